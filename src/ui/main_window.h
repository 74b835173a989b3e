// The editor's main window: menu bar, the SketchPad area and the status bar.
#pragma once

#include <QMainWindow>
#include <string>

class QAction;

namespace avelor::ui {

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Shows "AVELORW3 - NAME" or "AVELORW3 - (untitled)".
    void set_project_name(const std::string& name_with_extension);
    QAction* exit_action() const { return exit_action_; }

private:
    void build_menus();
    QAction* exit_action_ = nullptr;
};

}  // namespace avelor::ui
