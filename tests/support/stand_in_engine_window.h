// For the view tests of running: a copy of a shipped example opened in a
// shown main window whose runs start a stand-in engine, a shell script that
// records its arguments and then does what the test says.
#pragma once

#include <sys/stat.h>

#include <QString>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "editing/editor_session.h"
#include "support/scripted_port.h"
#include "ui/main_window.h"
#include "ui/simulation_runner.h"

namespace avelor::testing {

struct StandInEngineWindow {
    // The script's lines after the one recording the arguments, e.g.
    // "sleep 0.3\nexit 0".
    explicit StandInEngineWindow(const std::string& script_tail)
    {
        folder = dir.path().toStdString() + "/";
        project = folder + "two_rooms.prj";
        args_file = folder + "engine_args.txt";
        ok = dir.isValid() && QFile::copy(QString::fromStdString(std::string(AVELOR_SOURCE_DIR) +
                                                                 "/examples/two_rooms.prj"),
                                          QString::fromStdString(project));
        engine = folder + "AVELORX3";
        {
            std::ofstream out(engine, std::ios::binary);
            out << "#!/bin/sh\n"
                << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << args_file << "'\n"
                << script_tail << "\n";
        }
        ::chmod(engine.c_str(), 0755);
        ok = ok && open_in_session(session, project) && port.boxes.empty();
        main = std::make_unique<ui::MainWindow>(session);
        main->show();
        ok = ok && QTest::qWaitForWindowExposed(main.get());
        main->simulation_runner()->set_engine_path(QString::fromStdString(engine));
    }

    // The arguments the engine was started with, one per line of the file.
    std::vector<std::string> engine_args() const
    {
        std::vector<std::string> lines;
        std::ifstream in(args_file);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    ScriptedPort port;
    QTemporaryDir dir;
    std::string folder, project, args_file, engine;
    EditorSession session;
    std::unique_ptr<ui::MainWindow> main;
    bool ok = false;
};

}  // namespace avelor::testing
