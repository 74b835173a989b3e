// avelorw: the interactive editor.
#include <QApplication>
#include <filesystem>
#include <system_error>

#include "app/diagnostics.h"
#include "app/run_log.h"
#include "app/paths.h"
#include "app/startup.h"
#include "prjfile/project_file.h"
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
    avelor::ProjectDocument document;
    if (argc > 1) {
        std::string project = avelor::command_line_project(argv[1], folders);
        if (!project.empty()) {
            avelor::PathParts parts = avelor::PathSplit(project);
            std::error_code ec;
            std::filesystem::current_path(parts.drive + parts.directory, ec);
            avelor::ReadOptions options;
            options.backup_path = folders.project_backup_path;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            avelor::open_project(document, project, options);
            QApplication::restoreOverrideCursor();
        }
    }
    window.set_project_name(document.title_name());
    window.show();
    int code = app.exec();
    port.set_main_window(nullptr);
    avelor::finish_run_log();
    avelor::set_user_port(nullptr);
    return code;
}
