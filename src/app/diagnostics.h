// Every message of the program leaves the core through the functions here.
//
// report_error() logs, shows, counts and may end the program; show_message()
// shows a box only; log_message() writes to the run log only; ask_question()
// and ask_question_or_cancel() ask the user. What "show" and "ask" mean is up
// to the installed UserPort: message boxes in the editor, lines on standard
// error in the command-line tools, a recording fake in tests.
//
// A fatal error (severity 3) ends the program through the installed fatal
// handler. The programs' handler exits with code 1; tests install one that
// throws FatalStop so they can observe the stop without dying.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <source_location>
#include <stdexcept>
#include <string>
#include <string_view>

namespace avelor {

enum Severity : int { NOTE = 0, WARNING = 1, ERROR = 2, FATAL = 3 };

// Severity words, also the captions of the message boxes.
std::string_view severity_word(int severity);

enum class BoxIcon { Information, Exclamation, Stop, Question };

// The icon a box gets from its caption: "N..." information, "W..."
// exclamation, anything else stop.
BoxIcon icon_for_caption(std::string_view caption);

enum class Answer { Yes, No, Cancel, Other };

enum class FileChoice { Open, Save };

// The one way the core reaches a person.
class UserPort {
public:
    virtual ~UserPort() = default;
    // A modal box with the given caption, icon and text.
    virtual void show_box(std::string_view caption, BoxIcon icon, std::string_view text) = 0;
    // A question box with caption "Question": Yes/No, or Yes/No/Cancel.
    virtual Answer ask(std::string_view text, bool with_cancel) = 0;
    // A file dialog: the filter text ("Bitmap Files (*.BMP)"), the default
    // extension without the dot, and the proposed path. The chosen path, or
    // empty when the user cancelled (the default: nothing to choose from).
    virtual std::string choose_file(FileChoice /*kind*/, std::string_view /*filter*/,
                                    std::string_view /*default_extension*/, std::string_view /*proposed*/)
    {
        return {};
    }
    // A short text in the status bar ("Reading Project"); empty clears it.
    virtual void show_status(std::string_view /*text*/) {}
    // The short sound of a refused command.
    virtual void beep() {}
};

// The port in use; without one installed, boxes go to standard error and
// every question is answered No (or Cancel where offered).
void set_user_port(UserPort* port);
UserPort& user_port();

// Thrown by the test fatal handler; carries the message text of the stop.
class FatalStop : public std::runtime_error {
public:
    explicit FatalStop(const std::string& text) : std::runtime_error(text) {}
};

// Called after a fatal message has been logged and shown. It must not
// return: it either ends the process or throws.
using FatalHandler = std::function<void(const std::string& text)>;
void set_fatal_handler(FatalHandler handler);
// The handler of the programs: flush the run log and exit with code 1.
[[noreturn]] void exit_program_fatal(const std::string& text);
// The handler of the tests: throw FatalStop(text).
[[noreturn]] void throw_fatal_stop(const std::string& text);

using Pieces = std::initializer_list<std::string_view>;

// Severity 0..3 (above 3 counts as 3, but only exactly 2 raises the count):
// log, show, count, and at 3 end the program. Severity -1 returns the error
// count; -2 or lower resets it to 0. The pieces are joined up to the first
// empty one. Returns the error count after the call.
int report_error(int severity, Pieces pieces,
                 std::source_location where = std::source_location::current());
// The same with the caller's module path and line given explicitly.
int report_error_at(int severity, std::string_view module_path, int line, Pieces pieces);

// A fatal report, for callers that need the compiler to know it ends here.
[[noreturn]] void report_fatal(Pieces pieces,
                               std::source_location where = std::source_location::current());
[[noreturn]] void report_fatal_at(std::string_view module_path, int line, Pieces pieces);

// The current error count (same as report_error(-1)) and its reset.
int error_count();
void reset_error_count();

// A box only: no log, no count, never ends the program. Severity below 0
// shows nothing; above 2 counts as 2.
void show_message(int severity, Pieces pieces);

// Log only: "%s %s\n" with the severity word and the text. Severity 3 (or
// more) then ends the program.
void log_message(int severity, std::string_view text);

// A status-bar note for a piece of work, taken away when the work ends,
// however it ends (a refusal, an early return, a fatal stop).
class StatusNote {
public:
    explicit StatusNote(std::string_view text);
    ~StatusNote();
    StatusNote(const StatusNote&) = delete;
    StatusNote& operator=(const StatusNote&) = delete;
};

// 1 for Yes, 0 for anything else.
int ask_question(std::string_view text);
// Tells the user that a command was refused, by sound.
void beep();
// 1 Yes, 0 No, -1 Cancel (also a box closed with Escape), -2 anything else.
int ask_question_or_cancel(std::string_view text);

// Building blocks, exposed for the ports and for tests.
// " " + pieces up to the first empty one, cut at 255 characters, + "\n".
std::string build_message_text(Pieces pieces);
// The module path's base name without folder and extension, at most 15
// characters; both "\" and "/" separate folders.
std::string module_base_name(std::string_view module_path);

// Where a message box goes: centred on the main window, kept inside the
// work area of the monitor (integer division as the window system does).
struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};
struct Point {
    int x = 0, y = 0;
};
Point centre_box(const Rect& main_window, const Rect& work_area, int box_width, int box_height);

}  // namespace avelor
