// A port for tests: records every box and question, answers from a queue,
// and turns fatal errors into FatalStop exceptions.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/diagnostics.h"

namespace avelor::testing {

struct ShownBox {
    std::string caption;
    BoxIcon icon;
    std::string text;
};

class ScriptedPort final : public UserPort {
public:
    ScriptedPort()
    {
        set_user_port(this);
        set_fatal_handler(throw_fatal_stop);
        reset_error_count();
    }
    ~ScriptedPort() override
    {
        set_user_port(nullptr);
        set_fatal_handler(nullptr);
    }
    ScriptedPort(const ScriptedPort&) = delete;
    ScriptedPort& operator=(const ScriptedPort&) = delete;

    void show_box(std::string_view caption, BoxIcon icon, std::string_view text) override
    {
        boxes.push_back({std::string(caption), icon, std::string(text)});
    }
    Answer ask(std::string_view text, bool with_cancel) override
    {
        questions.push_back(std::string(text));
        asked_with_cancel.push_back(with_cancel);
        if (answers.empty()) return Answer::Other;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::string choose_file(FileChoice kind, std::string_view filter, std::string_view, std::string_view) override
    {
        file_requests.push_back({kind, std::string(filter)});
        if (files.empty()) return {};
        std::string f = files.front();
        files.pop_front();
        return f;
    }
    void show_status(std::string_view text) override { statuses.push_back(std::string(text)); }
    void beep() override { ++beeps; }

    struct FileRequest {
        FileChoice kind;
        std::string filter;
    };
    std::vector<FileRequest> file_requests;
    std::deque<std::string> files;  // answers of choose_file; empty = cancelled
    std::vector<std::string> statuses;
    int beeps = 0;
    std::vector<ShownBox> boxes;
    std::vector<std::string> questions;
    std::vector<bool> asked_with_cancel;
    std::deque<Answer> answers;
};

}  // namespace avelor::testing
