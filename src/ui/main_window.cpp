#include "ui/main_window.h"

#include <QAction>
#include <QMenuBar>
#include <QStatusBar>

#include "app/startup.h"
#include "ui/text_1252.h"

namespace avelor::ui {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("AVELORW3"));
    set_project_name("");

    auto* sketchpad = new QWidget(this);
    sketchpad->setObjectName(QStringLiteral("SketchPadWindow"));
    setCentralWidget(sketchpad);
    build_menus();
    statusBar()->showMessage(QString());

    const WindowSize size = initial_main_window_size();
    resize(size.width, size.height);
    move(x(), 0);
}

void MainWindow::set_project_name(const std::string& name_with_extension)
{
    setWindowTitle(from_1252(window_title(name_with_extension)));
}

void MainWindow::build_menus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    exit_action_ = file->addAction(tr("E&xit"));
    exit_action_->setObjectName(QStringLiteral("ExitAction"));
    connect(exit_action_, &QAction::triggered, this, &QWidget::close);
}

}  // namespace avelor::ui
