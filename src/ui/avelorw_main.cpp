// avelorw: the interactive editor.
#include <QApplication>

#include "app/diagnostics.h"
#include "app/run_log.h"
#include "app/startup.h"
#include "ui/main_window.h"
#include "ui/qt_port.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    avelor::ui::QtUserPort port;
    avelor::set_user_port(&port);
    avelor::set_fatal_handler(avelor::exit_program_fatal);

    avelor::ProgramFolders folders =
        avelor::start_program(avelor::process_environment(argc > 0 ? argv[0] : "avelorw"));

    avelor::ui::MainWindow window;
    port.set_main_window(&window);
    if (argc > 1) {
        std::string project = avelor::command_line_project(argv[1], folders);
        if (!project.empty())
            avelor::run_log().printf("Opening projects comes with the project reader: %s\n",
                                     project.c_str());
    }
    window.show();
    int code = app.exec();
    port.set_main_window(nullptr);
    avelor::finish_run_log();
    avelor::set_user_port(nullptr);
    return code;
}
