// avelorw: the interactive editor.
#include <QApplication>
#include <filesystem>
#include <system_error>

#include "app/diagnostics.h"
#include "app/paths.h"
#include "app/program_config.h"
#include "editing/program_settings.h"
#include "app/run_log.h"
#include "app/startup.h"
#include "editing/editor_session.h"
#include "ui/editor_application.h"
#include "ui/main_window.h"
#include "ui/qt_port.h"

int main(int argc, char** argv)
{
    avelor::ui::EditorApplication app(argc, argv);
    avelor::ui::QtUserPort port;
    avelor::set_user_port(&port);
    avelor::set_fatal_handler(avelor::exit_program_fatal);

    avelor::ProgramFolders folders =
        avelor::start_program(avelor::process_environment(argc > 0 ? argv[0] : "avelorw"));

    avelor::EditorSession session;
    session.read_options.backup_path = folders.project_backup_path;
    avelor::read_user_settings(folders.user_data_folder, session.config, session.recent);
    session.settings_folder = folders.user_data_folder;
    avelor::apply_program_config(session, 8);
    avelor::apply_new_project_defaults(session.config, session.project());
    avelor::prepare_sketchpad(session);

    avelor::ui::MainWindow window(session);
    port.set_main_window(&window);
    if (session.config.maximize != 0)
        window.showMaximized();
    else
        window.show();
    if (argc > 1) {
        std::string project = avelor::command_line_project(argv[1], folders);
        if (!project.empty()) {
            avelor::PathParts parts = avelor::PathSplit(project);
            std::error_code ec;
            std::filesystem::current_path(parts.drive + parts.directory, ec);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            avelor::open_in_session(session, project);
            QApplication::restoreOverrideCursor();
        }
    }
    window.project_replaced();
    int code = app.exec();
    session.recent.write(avelor::recent_projects_path(folders.user_data_folder));
    port.set_main_window(nullptr);
    avelor::finish_run_log();
    avelor::set_user_port(nullptr);
    return code;
}
