// The port of the command-line programs: boxes become "SEVERITY: text" lines
// on standard error; questions are answered by a policy the user chose with
// a flag, and refused when none was chosen.
#pragma once

#include <ostream>

#include "app/diagnostics.h"

namespace avelor {

enum class QuestionPolicy { Refuse, AnswerYes, AnswerNo };

class ConsolePort final : public UserPort {
public:
    explicit ConsolePort(std::ostream& out, QuestionPolicy policy = QuestionPolicy::Refuse)
        : out_(out), policy_(policy)
    {
    }
    void show_box(std::string_view caption, BoxIcon icon, std::string_view text) override;
    Answer ask(std::string_view text, bool with_cancel) override;

private:
    std::ostream& out_;
    QuestionPolicy policy_;
};

}  // namespace avelor
