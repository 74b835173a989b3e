#include "app/diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "app/run_log.h"

namespace avelor {

namespace {

constexpr std::size_t kMessageLimit = 255;

// Used until a program installs its own port: boxes become lines on standard
// error, questions are refused.
class StderrPort final : public UserPort {
public:
    void show_box(std::string_view caption, BoxIcon, std::string_view text) override
    {
        std::fprintf(stderr, "%.*s:%.*s", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
    }
    Answer ask(std::string_view, bool with_cancel) override
    {
        return with_cancel ? Answer::Cancel : Answer::No;
    }
};

struct DiagnosticsState {
    StderrPort fallback_port;
    UserPort* port = nullptr;
    FatalHandler fatal_handler;
    std::int32_t error_count = 0;
};

DiagnosticsState& state()
{
    static DiagnosticsState s;
    return s;
}

[[noreturn]] void end_fatal(const std::string& text)
{
    auto& handler = state().fatal_handler;
    if (handler) handler(text);
    // A handler that returns would let the caller run on past a fatal error.
    exit_program_fatal(text);
}

void show_box_for(int severity, std::string_view text)
{
    std::string_view caption = severity_word(severity);
    user_port().show_box(caption, icon_for_caption(caption), text);
}

}  // namespace

std::string_view severity_word(int severity)
{
    switch (severity) {
    case NOTE: return "NOTE";
    case WARNING: return "WARNING";
    case ERROR: return "ERROR";
    default: return "FATAL";
    }
}

BoxIcon icon_for_caption(std::string_view caption)
{
    if (!caption.empty() && caption.front() == 'N') return BoxIcon::Information;
    if (!caption.empty() && caption.front() == 'W') return BoxIcon::Exclamation;
    return BoxIcon::Stop;
}

void set_user_port(UserPort* port) { state().port = port; }

UserPort& user_port()
{
    auto& s = state();
    return s.port ? *s.port : s.fallback_port;
}

void set_fatal_handler(FatalHandler handler) { state().fatal_handler = std::move(handler); }

void exit_program_fatal(const std::string&)
{
    run_log().flush();
    std::exit(1);
}

void throw_fatal_stop(const std::string& text) { throw FatalStop(text); }

std::string build_message_text(Pieces pieces)
{
    std::string text = " ";
    for (std::string_view piece : pieces) {
        if (piece.empty()) break;
        text.append(piece);
        if (text.size() >= kMessageLimit) break;
    }
    if (text.size() > kMessageLimit) text.resize(kMessageLimit);
    text.push_back('\n');
    return text;
}

std::string module_base_name(std::string_view module_path)
{
    auto slash = module_path.find_last_of("\\/");
    if (slash != std::string_view::npos) module_path.remove_prefix(slash + 1);
    auto dot = module_path.find_last_of('.');
    if (dot != std::string_view::npos) module_path = module_path.substr(0, dot);
    return std::string(module_path.substr(0, 15));
}

int report_error_at(int severity, std::string_view module_path, int line, Pieces pieces)
{
    auto& s = state();
    if (severity == -1) return s.error_count;
    if (severity <= -2) {
        s.error_count = 0;
        return 0;
    }
    if (severity > FATAL) severity = FATAL;
    if (severity == ERROR) ++s.error_count;

    std::string text = build_message_text(pieces);
    std::string suffix = "  (file " + module_base_name(module_path) + ", line " +
                         std::to_string(line) + ")\n";
    RunLog& log = run_log();
    if (log.is_open()) {
        log.write(severity_word(severity));
        log.write(suffix);
        log.write(text);
        log.flush();
    }
    show_box_for(severity, text + suffix);
    if (severity == FATAL) end_fatal(text);
    return s.error_count;
}

int report_error(int severity, Pieces pieces, std::source_location where)
{
    return report_error_at(severity, where.file_name(), static_cast<int>(where.line()), pieces);
}

void report_fatal_at(std::string_view module_path, int line, Pieces pieces)
{
    report_error_at(FATAL, module_path, line, pieces);
    // report_error_at does not come back from severity 3.
    std::abort();
}

void report_fatal(Pieces pieces, std::source_location where)
{
    report_fatal_at(where.file_name(), static_cast<int>(where.line()), pieces);
}

int error_count() { return state().error_count; }

void reset_error_count() { state().error_count = 0; }

void show_message(int severity, Pieces pieces)
{
    if (severity < 0) return;
    if (severity > ERROR) severity = ERROR;
    show_box_for(severity, build_message_text(pieces));
}

void log_message(int severity, std::string_view text)
{
    if (severity > FATAL) severity = FATAL;
    RunLog& log = run_log();
    log.write(severity_word(severity));
    log.write(" ");
    log.write(text);
    log.write("\n");
    log.flush();
    if (severity == FATAL) end_fatal(std::string(text));
}

void beep() { user_port().beep(); }

int ask_question(std::string_view text)
{
    return user_port().ask(text, false) == Answer::Yes ? 1 : 0;
}

int ask_question_or_cancel(std::string_view text)
{
    switch (user_port().ask(text, true)) {
    case Answer::Yes: return 1;
    case Answer::No: return 0;
    case Answer::Cancel: return -1;
    default: return -2;
    }
}

Point centre_box(const Rect& main_window, const Rect& work_area, int box_width, int box_height)
{
    auto place = [](int main_pos, int main_size, int box_size, int area_pos, int area_size) {
        int pos = main_pos + (main_size - box_size) / 2;
        if (pos < area_pos)
            pos = area_pos;
        else if (pos + box_size > area_pos + area_size)
            pos = area_pos + area_size - box_size;
        return pos;
    };
    return {place(main_window.left, main_window.width, box_width, work_area.left, work_area.width),
            place(main_window.top, main_window.height, box_height, work_area.top, work_area.height)};
}

StatusNote::StatusNote(std::string_view text) { user_port().show_status(text); }
StatusNote::~StatusNote() { user_port().show_status(""); }

}  // namespace avelor
