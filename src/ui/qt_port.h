// The editor's port to the user: message and question boxes, centred on the
// main window and kept on the screen's work area; file dialogs; the main
// window's status bar.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/diagnostics.h"

class QMessageBox;

namespace avelor::ui {

// A file filter of the program ("Project Files (*.PRJ)") as a file dialog
// filter that matches the patterns in either case ("Project Files (*.PRJ
// *.prj)"), since file names on this system are case-sensitive.
QString file_dialog_filter(std::string_view filter);

class QtUserPort final : public UserPort {
public:
    void set_main_window(QWidget* main_window) { main_window_ = main_window; }
    void show_box(std::string_view caption, BoxIcon icon, std::string_view text) override;
    Answer ask(std::string_view text, bool with_cancel) override;
    std::string choose_file(FileChoice kind, std::string_view filter, std::string_view default_extension,
                            std::string_view proposed) override;
    void show_status(std::string_view text) override;
    void beep() override;

private:
    QWidget* owner() const;
    void place(QMessageBox& box) const;
    QPointer<QWidget> main_window_;
};

}  // namespace avelor::ui
