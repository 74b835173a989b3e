// The editor's application object: Qt's, with what every window of the
// editor relies on set up before the first one opens.
#pragma once

#include <QApplication>

namespace avelor::ui {

class EditorApplication final : public QApplication {
    Q_OBJECT
public:
    // Qt sets the C library's locale from the user's environment; the
    // project files, reports and status texts are printed with printf and
    // keep a decimal point, so the numeric category goes back to "C".
    // Every dialog gets the common set-up of dialog_setup.h.
    EditorApplication(int& argc, char** argv);
};

}  // namespace avelor::ui
