// What a dialog's OK (or a page it leaves) answers: accepted, or refused
// with the message shown and the field the view moves the focus to.
//
// Every refusal has been shown to the user (through the port) by the time a
// form answers; the answer repeats it for the view.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "app/diagnostics.h"

namespace avelor {

template <class Field>
struct FormAnswer {
    bool accepted = true;
    int severity = NOTE;
    std::string text;  // the message shown, without the box's framing
    Field focus{};

    static FormAnswer ok() { return {}; }
    static FormAnswer refused(int severity, std::string text, Field focus)
    {
        return {false, severity, std::move(text), focus};
    }
};

// Passes every box on to the port in use and keeps the last one's message,
// so that a refusal shown by a shared check can be answered to the view too.
// Installed for its lifetime.
class LastBox final : public UserPort {
public:
    LastBox() : outer_(&user_port()) { set_user_port(this); }
    ~LastBox() override { set_user_port(outer_); }
    LastBox(const LastBox&) = delete;
    LastBox& operator=(const LastBox&) = delete;

    void show_box(std::string_view caption, BoxIcon icon, std::string_view text) override
    {
        text_ = text;
        outer_->show_box(caption, icon, text);
    }
    Answer ask(std::string_view text, bool with_cancel) override { return outer_->ask(text, with_cancel); }

    // The message without the blank and line end a box's text has round it.
    std::string message() const
    {
        std::string_view m = text_;
        if (!m.empty() && m.front() == ' ') m.remove_prefix(1);
        if (!m.empty() && m.back() == '\n') m.remove_suffix(1);
        return std::string(m);
    }

private:
    UserPort* outer_;
    std::string text_;
};

}  // namespace avelor
