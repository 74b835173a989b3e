#include "ui/editor_application.h"

#include <clocale>

#include "ui/dialog_setup.h"

namespace avelor::ui {

EditorApplication::EditorApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    std::setlocale(LC_NUMERIC, "C");
    install_dialog_setup(*this);
}

}  // namespace avelor::ui
