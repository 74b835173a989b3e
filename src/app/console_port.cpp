#include "app/console_port.h"

namespace avelor {

void ConsolePort::show_box(std::string_view caption, BoxIcon, std::string_view text)
{
    // The message text begins with its own blank.
    out_ << caption << ':' << text;
    if (text.empty() || text.back() != '\n') out_ << '\n';
    out_.flush();
}

Answer ConsolePort::ask(std::string_view text, bool with_cancel)
{
    Answer answer = Answer::No;
    const char* word = "No (refused: give --yes or --no to answer)";
    if (policy_ == QuestionPolicy::AnswerYes) {
        answer = Answer::Yes;
        word = "Yes";
    } else if (policy_ == QuestionPolicy::AnswerNo) {
        word = "No";
    } else if (with_cancel) {
        answer = Answer::Cancel;
        word = "Cancel (refused: give --yes or --no to answer)";
    }
    out_ << "Question: " << text << " -> " << word << '\n';
    out_.flush();
    return answer;
}

}  // namespace avelor
