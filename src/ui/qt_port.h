// The editor's port to the user: message and question boxes, centred on the
// main window and kept on the screen's work area.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/diagnostics.h"

class QMessageBox;

namespace avelor::ui {

class QtUserPort final : public UserPort {
public:
    void set_main_window(QWidget* main_window) { main_window_ = main_window; }
    void show_box(std::string_view caption, BoxIcon icon, std::string_view text) override;
    Answer ask(std::string_view text, bool with_cancel) override;

private:
    QWidget* owner() const;
    void place(QMessageBox& box) const;
    QPointer<QWidget> main_window_;
};

}  // namespace avelor::ui
