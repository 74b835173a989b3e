#include "editing/program_settings.h"
#include "ui/control_dialogs.h"
#include "ui/program_options_dialog.h"
#include "ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QResizeEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QLineEdit>
#include <QDialogButtonBox>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include "app/command_rules.h"
#include <functional>

#include "app/description_line.h"
#include "app/desktop_open.h"
#include "app/diagnostics.h"
#include "app/startup.h"
#include "app/version.h"
#include "check/building_check.h"
#include "editing/values_file_choice.h"
#include "editing/export_bitmap.h"
#include "editing/icon_editing.h"
#include "editing/level_editing.h"
#include "editing/set_origin.h"
#include "model/project.h"
#include "simulation/project_files.h"
#include "sketchpad/image_export.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/status_text.h"
#include "ui/command_table.h"
#include "ui/edit_dialogs.h"
#include "ui/duct_dialogs.h"
#include "ui/filter_dialogs.h"
#include "ui/source_dialogs.h"
#include "ui/element_manager.h"
#include "ui/level_data_dialog.h"
#include "ui/floating_status.h"
#include "ui/navigator_window.h"
#include "ui/problems_window.h"
#include "ui/duct_colouring_window.h"
#include "ui/project_config_dialog.h"
#include "ui/results_view.h"
#include "ui/results_windows.h"
#include "ui/schedule_dialogs.h"
#include "ui/shift_drawing_dialog.h"
#include "ui/simulation_parameters_dialog.h"
#include "ui/simulation_runner.h"
#include "ui/sketchpad_widget.h"
#include "ui/species_dialogs.h"
#include "ui/wind_profile_dialog.h"
#include "ui/text_1252.h"
#include "ui/weather_dialog.h"

namespace avelor::ui {

namespace {

QString text_of(std::string_view text) { return table_text(text); }

// The colour of the toolbar's line pictures: the palette's text colour,
// so that they show on a dark desktop as on a light one.
QColor ink() { return QGuiApplication::palette().color(QPalette::ButtonText); }

// A toolbar picture for the zoom buttons: a magnifier with a plus or minus.
void paint_zoom(QPainter& painter, bool larger)
{
    painter.setPen(QPen(ink(), 1.5));
    painter.drawEllipse(QRectF(1.5, 1.5, 10, 10));
    painter.drawLine(QPointF(10, 10), QPointF(15, 15));
    painter.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
    if (larger) painter.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
}

// Small line pictures for the edit and drawing buttons.
void paint_command(QPainter& painter, int command)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ink(), 1.5));
    switch (command) {
    case cmd::Cut:
        painter.drawLine(QPointF(4, 1), QPointF(11, 11));
        painter.drawLine(QPointF(12, 1), QPointF(5, 11));
        painter.drawEllipse(QRectF(1.5, 10.5, 4, 4));
        painter.drawEllipse(QRectF(10.5, 10.5, 4, 4));
        break;
    case cmd::Copy:
        painter.drawRect(QRectF(1.5, 1.5, 8, 10));
        painter.drawRect(QRectF(6.5, 4.5, 8, 10));
        break;
    case cmd::Paste:
        painter.drawRect(QRectF(2.5, 2.5, 11, 12));
        painter.fillRect(QRectF(5, 1, 6, 3), ink());
        break;
    case cmd::DrawWalls:
        painter.setPen(QPen(ink(), 2.5));
        painter.drawPolyline(QPolygonF({QPointF(2, 14), QPointF(2, 3), QPointF(13, 3), QPointF(13, 9)}));
        break;
    case cmd::DrawBoxes:
        painter.setPen(QPen(ink(), 2.5));
        painter.drawRect(QRectF(2.5, 2.5, 11, 11));
        break;
    case cmd::DrawDucts:
        painter.setPen(QPen(Qt::darkBlue, 1.5));
        painter.drawPolyline(QPolygonF({QPointF(2, 5), QPointF(10, 5), QPointF(10, 14)}));
        painter.drawPolyline(QPolygonF({QPointF(2, 9), QPointF(6, 9), QPointF(6, 14)}));
        break;
    case cmd::DrawLinks:
        painter.setPen(QPen(Qt::darkGreen, 1.5, Qt::DotLine));
        painter.drawPolyline(QPolygonF({QPointF(2, 3), QPointF(13, 3), QPointF(13, 13)}));
        painter.fillRect(QRectF(1, 1, 4, 4), Qt::darkGreen);
        break;
    case cmd::DeleteByBox:
    case cmd::DeleteByRegion:
        painter.setPen(QPen(ink(), 1, Qt::DashLine));
        if (command == cmd::DeleteByBox)
            painter.drawRect(QRectF(1.5, 1.5, 13, 13));
        else
            painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        painter.setPen(QPen(Qt::red, 1.5));
        painter.drawLine(QPointF(5, 5), QPointF(11, 11));
        painter.drawLine(QPointF(11, 5), QPointF(5, 11));
        break;
    default: break;
    }
}

// The pictures at 16 and at 32 pixels, so that a screen of twice the
// density shows them drawn, not enlarged.
QIcon crisp_icon(const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap picture(16 * scale, 16 * scale);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.scale(scale, scale);
        draw(painter);
        painter.end();
        icon.addPixmap(picture);
    }
    return icon;
}

QIcon zoom_icon(bool larger)
{
    return crisp_icon([larger](QPainter& painter) { paint_zoom(painter, larger); });
}

QIcon drawn_icon(int command)
{
    return crisp_icon([command](QPainter& painter) { paint_command(painter, command); });
}

QIcon tool_icon(int command, const QStyle* style)
{
    switch (command) {
    case cmd::NewProject: return style->standardIcon(QStyle::SP_FileIcon);
    case cmd::OpenProject: return style->standardIcon(QStyle::SP_DialogOpenButton);
    case cmd::SaveProject: return style->standardIcon(QStyle::SP_DialogSaveButton);
    case cmd::LevelAbove: return style->standardIcon(QStyle::SP_ArrowUp);
    case cmd::LevelBelow: return style->standardIcon(QStyle::SP_ArrowDown);
    case cmd::LargerIcons: return zoom_icon(true);
    case cmd::SmallerIcons: return zoom_icon(false);
    case cmd::Undo: return style->standardIcon(QStyle::SP_ArrowBack);
    case cmd::Find: return style->standardIcon(QStyle::SP_FileDialogContentsView);
    case cmd::Replace: return style->standardIcon(QStyle::SP_FileDialogDetailedView);
    case cmd::FirstTimeStep: return style->standardIcon(QStyle::SP_MediaSkipBackward);
    case cmd::JumpBack: return style->standardIcon(QStyle::SP_MediaSeekBackward);
    case cmd::PreviousTimeStep: return style->standardIcon(QStyle::SP_ArrowLeft);
    case cmd::NextTimeStep: return style->standardIcon(QStyle::SP_ArrowRight);
    case cmd::JumpAhead: return style->standardIcon(QStyle::SP_MediaSeekForward);
    case cmd::LastTimeStep: return style->standardIcon(QStyle::SP_MediaSkipForward);
    case cmd::DrawDucts:
    case cmd::DrawLinks:
    case cmd::Cut:
    case cmd::Copy:
    case cmd::Paste:
    case cmd::DrawWalls:
    case cmd::DrawBoxes:
    case cmd::DeleteByBox:
    case cmd::DeleteByRegion: return drawn_icon(command);
    default: return {};
    }
}

// A status bar field that never cuts its text off at its edge: a text too
// long for the room left beside the other fields ends in an ellipsis, and
// the whole of it shows as the field's tool tip.
class ElidedLabel final : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override { return {fontMetrics().averageCharWidth() * 8, QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect room = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
        setToolTip(shown == text() ? QString() : text());
        painter.drawText(room, static_cast<int>(alignment()), shown);
    }
};

}  // namespace

MainWindow::MainWindow(EditorSession& session, QWidget* parent) : QMainWindow(parent), session_(session)
{
    setObjectName(QStringLiteral("AVELORW3"));
    dialogs_ = std::make_unique<QtEditorDialogs>(this, session_, chooser_, duct_chooser_, source_chooser_,
                                                 [this](GridCell cell) {
        const SketchView& view = session_.view;
        const int size = view.cell_size();
        QWidget* viewport = sketchpad_->viewport();
        const QPoint corner = viewport->mapToGlobal(QPoint(view.cell_x(cell.col), view.cell_y(cell.row)));
        return QRect(corner, QSize(size, size));
    });
    editor_ = std::make_unique<SketchEditor>(session_, *dialogs_);
    sketchpad_ = new SketchPadWidget(session_, this);
    sketchpad_->set_editor(editor_.get());
    setCentralWidget(sketchpad_);
    build_menus();
    build_toolbar();
    build_status_bar();
    connect(sketchpad_, &SketchPadWidget::cursorMoved, this, &MainWindow::view_changed);
    connect(sketchpad_, &SketchPadWidget::edited, this, &MainWindow::edited);
    connect(sketchpad_, &SketchPadWidget::contextMenuWanted, this, [this](const QPoint& global) {
        const std::unique_ptr<QMenu> menu = make_context_menu();
        menu->exec(global);
    });

    RunHooks hooks;
    hooks.building_checked = [this] {
        building_checked();
        show_problems();
    };
    hooks.refresh_status = [this] { update_status(); };
    hooks.enter_results_mode = [this] { enter_results_mode(); };
    hooks.leave_results_mode = [this] { leave_results_mode(); };
    runner_ = new SimulationRunner(this, session_, std::move(hooks));
    connect(runner_, &SimulationRunner::engineFinished, this, [this] {
        run_status_label_->setText(QString::fromStdString(runner_->core().finished_text()));
        update_title();
        update_commands();
        // Results mode has begun: the keys step through it at once.
        sketchpad_->setFocus(Qt::OtherFocusReason);
    });

    const WindowSize size = initial_main_window_size();
    resize_itself(QSize(size.width, size.height));
    update_title();
    update_commands();
    update_status();
    sketchpad_->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::build_menus()
{
    std::map<std::string_view, QMenu*> menus;
    for (const MenuEntry& row : menu_entries()) {
        QMenu* menu = menuBar()->addMenu(text_of(row.title));
        QString name = text_of(row.title).remove(QLatin1Char('&'));
        menu->setObjectName(name + QStringLiteral("Menu"));
        menu->menuAction()->setStatusTip(text_of(row.hint));
        connect(menu, &QMenu::aboutToShow, this, [this] {
            menu_open_ = true;
            update_commands();
        });
        connect(menu, &QMenu::aboutToHide, this, [this] {
            menu_open_ = false;
            enable_edit_keys();
        });
        menus[row.title] = menu;
    }
    std::map<std::pair<std::string_view, std::string_view>, QMenu*> submenus;
    for (const CommandEntry& row : command_entries()) {
        QMenu* menu = row.menu.empty() ? nullptr : menus.at(row.menu);
        if (menu && !row.submenu.empty()) {
            QMenu*& sub = submenus[{row.menu, row.submenu}];
            if (!sub) {
                sub = menu->addMenu(text_of(row.submenu));
                connect(sub, &QMenu::aboutToShow, this, &MainWindow::update_commands);
            }
            menu = sub;
        }
        if (row.command == 0) {
            if (menu) menu->addSeparator();
            continue;
        }
        // A toolbar button of its own belongs to the window, for its key.
        QAction* action = menu ? menu->addAction(text_of(row.caption)) : new QAction(text_of(row.caption), this);
        if (!menu) addAction(action);
        action->setObjectName(QStringLiteral("Command%1").arg(row.command));
        action->setShortcuts(command_keys(row));
        action->setCheckable(row.mark != Mark::None);
        if (!row.built) action->setStatusTip(text_of(kNotAvailable));
        const int command = row.command;
        connect(action, &QAction::triggered, this, [this, command] { run_command(command); });
        actions_[command] = action;
        if (command == cmd::RecentProjectsNone && menu) {
            recent_menu_ = menu;
            connect(menu, &QMenu::aboutToShow, this, &MainWindow::rebuild_recent_menu);
        }
    }
    // The radio items of a group, exactly one marked: the display modes,
    // the wind pressure types.
    for (const auto& group : {std::vector<int>{cmd::NormalMode, cmd::ResultsMode, cmd::WindPressureMode},
                              std::vector<int>{cmd::WindUserSet, cmd::WindWeatherFile, cmd::WindWpc}}) {
        auto* radio = new QActionGroup(this);
        for (int command : group) radio->addAction(command_action(command));
    }
}

void MainWindow::rebuild_recent_menu()
{
    if (!recent_menu_) return;
    for (QAction* action : recent_actions_) {
        recent_menu_->removeAction(action);
        action->deleteLater();
    }
    recent_actions_.clear();
    const std::vector<RecentMenuEntry> entries = recent_projects_menu(session_.recent);
    const bool none = entries.size() == 1 && entries.front().command == kNoRecentProjectsCommand;
    if (QAction* placeholder = command_action(cmd::RecentProjectsNone)) placeholder->setVisible(none);
    if (none) return;
    for (const RecentMenuEntry& entry : entries) {
        QAction* action = recent_menu_->addAction(from_1252(entry.label));
        action->setObjectName(QStringLiteral("Command%1").arg(entry.command));
        const auto index = static_cast<std::size_t>(entry.command - kRecentProjectBaseCommand);
        connect(action, &QAction::triggered, this, [this, index] {
            if (runner_ && runner_->running()) {
                QApplication::beep();
                return;
            }
            const Project* before = session_.document.project.get();
            QApplication::setOverrideCursor(Qt::WaitCursor);
            const bool opened = open_recent_project(session_, index);
            QApplication::restoreOverrideCursor();
            if (opened || session_.document.project.get() != before) {
                editor_->project_replaced();
                project_replaced();
            }
        });
        recent_actions_.push_back(action);
    }
}

void MainWindow::build_toolbar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("Toolbar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    for (const ToolButton& row : tool_buttons()) {
        if (row.command == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* action = command_action(row.command);
        if (!action) continue;
        action->setToolTip(text_of(tooltip_text(row)));
        action->setIcon(tool_icon(row.command, style()));
        bar->addAction(action);
    }
}

void MainWindow::build_status_bar()
{
    status_label_ = new ElidedLabel(this);
    status_label_->setObjectName(QStringLiteral("StatusText"));
    status_label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    tool_label_ = new QLabel(this);
    tool_label_->setObjectName(QStringLiteral("ToolStatus"));
    position_label_ = new QLabel(this);
    position_label_->setObjectName(QStringLiteral("PositionText"));
    position_label_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Col 00000, Row 00000")));
    run_status_label_ = new QLabel(this);
    run_status_label_->setObjectName(QStringLiteral("RunStatus"));
    // The fields keep apart from the text before them.
    const int gap = fontMetrics().averageCharWidth() * 2;
    for (QLabel* field : {tool_label_, run_status_label_, position_label_}) field->setContentsMargins(gap, 0, 0, 0);
    position_label_->setMinimumWidth(position_label_->minimumWidth() + gap);
    statusBar()->addWidget(status_label_, 1);
    statusBar()->addPermanentWidget(tool_label_);
    statusBar()->addPermanentWidget(run_status_label_);
    statusBar()->addPermanentWidget(position_label_);
}

QAction* MainWindow::command_action(int command) const
{
    auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

QString MainWindow::status_text() const { return status_label_->text(); }
QString MainWindow::run_status_text() const { return run_status_label_->text(); }
QString MainWindow::tool_text() const { return tool_label_->text(); }
QString MainWindow::position_text() const { return position_label_->text(); }

void MainWindow::update_title() { setWindowTitle(from_1252(session_window_title(session_))); }

void MainWindow::update_status()
{
    const SketchGrid& grid = session_.grid;
    if (!grid.allocated()) {
        status_label_->clear();
        position_label_->clear();
        return;
    }
    const Project& project = session_.project();
    std::string status = cursor_status_text(results_, project, grid);
    // Wind pressure mode: the record or the test wind leads.
    if (wind_.active()) status = wind_.status_text(project) + (status.empty() ? "" : "; " + status);
    status_label_->setText(from_1252(status));
    position_label_->setText(from_1252(avelor::position_text(project, grid.cursor)));
    update_floating_status();
    update_results_window();
}

void MainWindow::update_floating_status()
{
    const SketchGrid& grid = session_.grid;
    const SketchView& view = session_.view;
    // A question box or any other modal dialog has the user's attention:
    // the box must not cover it or sit beside it.
    const bool blocked = blocked_by_modal_ || QApplication::activeModalWidget() != nullptr;
    if (!view.flags.floating_status || !isVisible() || isMinimized() || !grid.allocated() || blocked) {
        if (floating_) floating_->hide();
        return;
    }
    if (!floating_) {
        floating_ = new FloatingStatusBox(sketchpad_->viewport());
        floating_->setObjectName(QStringLiteral("FloatingStatus"));
    }
    const QPoint cell(view.cell_x(grid.cursor.col), view.cell_y(grid.cursor.row));
    floating_->show_text(cursor_item_text(results_, session_.project(), grid), cell, view.cell_size());
}

void MainWindow::show_navigator(bool on)
{
    if (!on) {
        if (navigator_) navigator_->hide();
        return;
    }
    if (!navigator_) {
        navigator_ = new NavigatorWindow(session_, this);
        navigator_->installEventFilter(this);
        connect(navigator_, &NavigatorWindow::cursorPlaced, sketchpad_, &SketchPadWidget::refresh);
        place_navigator();
    } else {
        navigator_->level_changed();
    }
    navigator_->show();
    navigator_->raise();
}

void MainWindow::place_navigator()
{
    // Beside the main window's right edge, level with the SketchPad; on the
    // left where the right has no room; over the pad's top-right corner
    // where neither has.
    const QScreen* screen = this->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QRect frame = frameGeometry();
    const QSize size = navigator_->frameGeometry().size().expandedTo(navigator_->size());
    const int top = std::max(area.top(), sketchpad_->mapToGlobal(QPoint(0, 0)).y() - (frame.height() - height()) / 2);
    QPoint at(frame.right() + 1, top);
    if (!area.isEmpty() && at.x() + size.width() - 1 > area.right()) {
        if (frame.left() - size.width() >= area.left())
            at.setX(frame.left() - size.width());
        else
            at.setX(sketchpad_->mapToGlobal(QPoint(sketchpad_->width(), 0)).x() - size.width());
    }
    if (!area.isEmpty() && at.y() + size.height() - 1 > area.bottom())
        at.setY(std::max(area.top(), area.bottom() - size.height() + 1));
    navigator_->move(at);
}

bool MainWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowBlocked:
        blocked_by_modal_ = true;
        if (floating_) floating_->hide();
        break;
    case QEvent::WindowUnblocked:
        blocked_by_modal_ = false;
        update_floating_status();
        break;
    default: break;
    }
    return QMainWindow::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Closing the navigator from its own frame switches it off.
    if (watched == navigator_ && event->type() == QEvent::Close && session_.view.flags.navigator) {
        session_.view.flags.navigator = false;
        update_commands();
    }
    return QMainWindow::eventFilter(watched, event);
}

CommandState MainWindow::command_state() const
{
    const Project& project = session_.project();
    const ViewFlags& flags = session_.view.flags;
    const LevelCommands levels = level_commands(project);
    CommandState s;
    s.mode = wind_.active() ? DisplayMode::WindPressure : results_.active() ? DisplayMode::Results : DisplayMode::Normal;
    s.wind_type = wind_.type();
    s.wind_time_series = wind_.time_series();
    s.tool = editor_->tool;
    s.level_above = levels.above;
    s.level_below = levels.below;
    s.paste_level = can_paste_level(*editor_);
    s.can_enlarge = session_.view.can_enlarge();
    s.can_reduce = session_.view.can_reduce();
    s.control_links = flags.control_links;
    s.reveal_below = flags.reveal_below;
    s.colour_zones_below = flags.colour_zones_below;
    s.floating_status = flags.floating_status;
    s.navigator = flags.navigator;
    s.pseudo_geometry = project.rc.showGeom != 0;
    s.results_loaded = results_.active();
    s.results_window = results_window_ != nullptr;
    if (s.results_loaded) {
        const ResultsHeader& header = results_.reader().header();
        s.transient_airflow = project.rc.sim_af != 0;
        s.transient_contaminants = header.zc != 0 && (project.rc.sim_mf == 2 || project.rc.sim_mf == 3);
        s.temperatures = header.zf != 0;
    }
    s.exposures = project.exposures.count() > 0;
    s.zones = project.zones.count() > 0;
    const RunControl& rc = project.rc;
    s.weather_file_named = !rc.weather_file.empty() && rc.weather_file != "null";
    s.files = existing_project_files(session_);
    s.super_element_editing = super_element_editing(*editor_);
    s.super_element_in_use = super_editing_ && super_editing_->sketch_locked();
    s.wpc_available = rc.wp != 0 && s.files[static_cast<std::size_t>(project_file_index(cmd::OpenWpcFile))];
    const EditMenuState edit = edit_menu_state(*editor_);
    s.icons = edit.icons;
    s.cut = edit.cut;
    s.copy = edit.copy;
    s.paste = edit.paste;
    s.del = edit.del;
    s.delete_network = edit.delete_network;
    return s;
}

void MainWindow::update_commands()
{
    const CommandState state = command_state();
    for (const auto& [command, action] : actions_) {
        action->setEnabled(command_enabled(command, state));
        if (action->isCheckable()) action->setChecked(command_checked(command, state));
    }
    const DrawingTool active = editor_->tool;
    tool_label_->setText(from_1252(tool_status_text(active)));
    tool_label_->setVisible(active != DrawingTool::None);
    // The menus show what the cursor cell allows; outside them the keys
    // always reach the editor.
    if (!menu_open_) enable_edit_keys();
}

void MainWindow::enable_edit_keys()
{
    // Outside the menus the keys of the edit commands always reach the
    // editor in normal mode, which beeps where a command cannot act.
    if (results_.active()) return;
    if (super_element_editing(*editor_)) {
        if (QAction* a = command_action(cmd::Delete)) a->setEnabled(!super_editing_ || !super_editing_->sketch_locked());
        return;
    }
    for (int i = 0; i < 10; ++i)
        if (QAction* a = command_action(cmd::FirstDrawIcon + i)) a->setEnabled(true);
    for (int command : {cmd::Cut, cmd::Copy, cmd::Paste, cmd::Delete})
        if (QAction* a = command_action(command)) a->setEnabled(true);
}

std::unique_ptr<QMenu> MainWindow::make_context_menu()
{
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QStringLiteral("SketchPadContextMenu"));
    const EditMenuState state = edit_menu_state(*editor_);
    auto item = [&](int command, int same_as, bool enabled) {
        const CommandEntry* row = find_command(same_as);
        QAction* action = menu->addAction(row ? text_of(row->caption) : QString());
        action->setObjectName(QStringLiteral("Command%1").arg(command));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, [this, same_as] { run_command(same_as); });
    };
    for (int i = 0; i < 10; ++i)
        item(cmd::FirstContextIcon + i, cmd::FirstDrawIcon + i, state.icons[static_cast<std::size_t>(i)]);
    menu->addSeparator();
    item(cmd::ContextSetOrigin, cmd::SetOrigin, state.set_origin);
    menu->addSeparator();
    item(cmd::ContextCut, cmd::Cut, state.cut);
    item(cmd::ContextCopy, cmd::Copy, state.copy);
    item(cmd::ContextPaste, cmd::Paste, state.paste);
    return menu;
}

void MainWindow::edit_command(EditAction action, IconCommand icon, DrawingTool tool)
{
    EditCommand command;
    command.action = action;
    command.icon = icon;
    command.tool = tool;
    sketchpad_->run_edit(command);
}

void MainWindow::edited(bool navigator, bool tool_changed)
{
    update_title();
    if (super_window_) super_window_->sketch_edited();
    if (navigator && navigator_) navigator_->level_changed();
    if (tool_changed) update_commands();
    enable_edit_keys();
}

void MainWindow::data_changed()
{
    update_title();
    sketchpad_->refresh();
    update_status();
    update_commands();
}

ProblemsWindow* MainWindow::problems_window() const { return problems_; }

void MainWindow::show_problems()
{
    ProblemList& problems = session_.problems;
    if (problems_) problems_->refresh();
    if (problems.empty()) return;
    if (!problems_) {
        problems_ = new ProblemsWindow(session_, problems, this);
        connect(problems_, &ProblemsWindow::rowShown, this, &MainWindow::problem_shown);
        connect(problems_, &ProblemsWindow::buildingChecked, this, &MainWindow::building_checked);
        connect(problems_, &ProblemsWindow::highlightCleared, this, [this] { sketchpad_->viewport()->update(); });
        connect(problems_, &ProblemsWindow::runSimulationWanted, this, [this] { run_command(cmd::RunSimulation); });
    }
    problems_->show();
    problems_->raise();
}

DuctColouringWindow* MainWindow::duct_colouring_window() const { return duct_colouring_; }

void MainWindow::show_duct_colouring()
{
    if (!duct_colouring_) {
        duct_colouring_ = new DuctColouringWindow(session_, this);
        connect(duct_colouring_, &DuctColouringWindow::lineShown, this, &MainWindow::problem_shown);
        connect(duct_colouring_, &DuctColouringWindow::coloursSet, this, &MainWindow::data_changed);
    } else {
        duct_colouring_->refresh();
    }
    duct_colouring_->show();
    duct_colouring_->raise();
}

void MainWindow::building_checked()
{
    update_title();
    level_changed();
    update_status();
}

void MainWindow::problem_shown()
{
    // The entry's level is current and the cursor on its cell.
    level_changed();
    update_status();
}

void MainWindow::before_level_change()
{
    // A stroke belongs to the level it was begun on.
    if (editor_->stroke.in_progress) edit_command(EditAction::RightClick);
}

void MainWindow::view_changed()
{
    update_status();
    if (navigator_) navigator_->view_changed();
}

void MainWindow::edit_description()
{
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Project Description"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Description:"), &dialog));
    auto* text = new QLineEdit(from_1252(session_.project().description), &dialog);
    text->setObjectName(QStringLiteral("description"));
    text->setMaxLength(static_cast<int>(kDescriptionLimit));
    text->setMinimumWidth(text->fontMetrics().averageCharWidth() * 72);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() == QDialog::Accepted && set_project_description(session_.project(), to_1252(text->text())))
        update_title();
}

void MainWindow::level_changed()
{
    if (results_.active()) refresh_results();
    if (wind_.active()) refresh_wind();
    if (navigator_) navigator_->level_changed();
    sketchpad_->refresh();
    update_commands();
}

void MainWindow::toggle_flag(bool ViewFlags::*flag)
{
    session_.view.flags.*flag = !(session_.view.flags.*flag);
    sketchpad_->viewport()->update();
    if (navigator_) navigator_->level_changed();  // it draws with the same colours
    update_commands();
}

void MainWindow::project_replaced()
{
    // The listed problems point into the project that went.
    session_.problems.clear();
    run_status_label_->clear();
    if (problems_) problems_->close();
    // Its lines point into the project that went.
    if (duct_colouring_) duct_colouring_->close();
    leave_wind_mode();
    leave_results_mode();
    update_results_availability(session_);
    update_title();
    fit_to_sketchpad();
    level_changed();
    // A project whose results match it opens showing them.
    if (session_.document.results_available) enter_results_mode();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_once_) return;
    shown_once_ = true;
    // The frame is known once the window manager has framed the window.
    QTimer::singleShot(0, this, &MainWindow::keep_in_work_area);
}

void MainWindow::resize_itself(QSize size)
{
    resizing_itself_ = true;
    resize(size);
    resizing_itself_ = false;
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // A size the window did not give itself, once it is on the screen, is
    // the user's (or the window manager's on the user's behalf).
    if (!resizing_itself_ && shown_once_ && isVisible() && event->oldSize().isValid() && !isMaximized() &&
        !isFullScreen() && event->size() != event->oldSize())
        user_sized_ = true;
}

void MainWindow::keep_in_work_area()
{
    if (isMaximized() || isFullScreen()) return;
    const QScreen* screen = this->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = frameGeometry();
    const QSize border = frame.size() - geometry().size();
    const QSize room = area.size() - border;
    if (width() > room.width() || height() > room.height()) resize_itself(size().boundedTo(room));
    QRect wanted(frame.topLeft(), size() + border);
    // The title bar inside the work area: never above its top or left of
    // its left edge, and the whole frame on the screen where it fits.
    if (wanted.right() > area.right()) wanted.moveRight(area.right());
    if (wanted.bottom() > area.bottom()) wanted.moveBottom(area.bottom());
    if (wanted.left() < area.left()) wanted.moveLeft(area.left());
    if (wanted.top() < area.top()) wanted.moveTop(area.top());
    if (wanted.topLeft() != frame.topLeft()) move(wanted.topLeft());
}

void MainWindow::fit_to_sketchpad()
{
    // Once the user has sized the window, the size is theirs.
    if (user_sized_ || isMaximized() || isFullScreen() || !session_.grid.allocated()) return;
    if (QLayout* frame = layout()) frame->activate();
    // Everything of the window that is not the SketchPad: menu, toolbar,
    // status bar.
    const QSize chrome = size() - sketchpad_->size();
    QSize wanted = sketchpad_->full_size() + chrome;
    if (const QScreen* screen = this->screen()) {
        const QSize border = frameGeometry().size() - geometry().size();
        wanted = wanted.boundedTo(screen->availableGeometry().size() - border);
    }
    resize_itself(wanted);
    if (shown_once_) keep_in_work_area();
}

void MainWindow::run_command(int command)
{
    QAction* action = command_action(command);
    if (action && !action->isEnabled()) return;
    // While the engine runs nothing may change the project it reads.
    if (runner_ && runner_->running() && command != cmd::About) {
        QApplication::beep();
        return;
    }
    EditorSession& s = session_;
    switch (command) {
    case cmd::NewProject:
        if (!settle_unsaved_changes(s)) break;
        editor_->project_replaced();
        free_sketch_arrays(s.grid);
        s.document = ProjectDocument{};
        apply_new_project_defaults(s.config, s.project());
        s.view.flags.control_links = false;
        prepare_sketchpad(s);
        project_replaced();
        edit_description();
        break;
    case cmd::ProjectDescription: edit_description(); break;
    case cmd::OpenProject: {
        const Project* before = s.document.project.get();
        const bool opened = open_from_menu(s);
        // A failed read leaves an empty project behind, which is shown too.
        if (opened || s.document.project.get() != before) {
            editor_->project_replaced();
            project_replaced();
        }
        break;
    }
    case cmd::SaveProject:
    case cmd::SaveProjectAs:
        save_session(s, command == cmd::SaveProjectAs);
        update_title();
        break;
    case cmd::SaveSketchPadBitmap:
        export_sketchpad_bitmap(s, nullptr);
        break;
    case cmd::Exit: close(); break;
    case cmd::AirflowElements:
        run_element_manager(this, s.project(), chooser_);
        data_changed();
        break;
    case cmd::DuctElements:
        run_duct_element_manager(this, s.project(), duct_chooser_);
        data_changed();
        break;
    case cmd::SourceSinks:
        run_source_element_manager(this, s.project(), source_chooser_);
        data_changed();
        break;
    case cmd::Filters:
        run_filter_element_manager(this, s.project());
        data_changed();
        break;
    case cmd::EditWeatherData:
        if (run_weather_dialog(this, s.project())) {
            data_changed();
            wind_.recompute(s.project());
            refresh_wind();
        }
        break;
    case cmd::ProgramOptions:
        if (run_program_options(this, s)) {
            if (floating_) floating_->setVisible(s.view.flags.floating_status);
            data_changed();
        }
        break;
    case cmd::SuperElements:
        // The same command enters and leaves; leaving goes the way the
        // window's OK does.
        if (super_window_)
            super_window_->accept();
        else
            start_super_element_editing();
        break;
    case cmd::ContinuousValuesFile:
    case cmd::DiscreteValuesFile:
        choose_values_file(s, command == cmd::ContinuousValuesFile ? ValuesFileKind::Continuous
                                                                    : ValuesFileKind::Discrete);
        data_changed();
        break;
    case cmd::WindProfiles:
        run_wind_profile_manager(this, s.project());
        data_changed();
        break;
    case cmd::SpeciesData:
        run_species_manager(this, s.project());
        data_changed();
        break;
    case cmd::KineticReactions:
        run_reaction_manager(this, s.project());
        data_changed();
        break;
    case cmd::DaySchedules:
    case cmd::DayTemperatureSchedules:
    case cmd::WeekSchedules:
    case cmd::WeekTemperatureSchedules:
    case cmd::OccupancySchedules: {
        const bool day = command == cmd::DaySchedules || command == cmd::DayTemperatureSchedules;
        const bool temperature = command == cmd::DayTemperatureSchedules || command == cmd::WeekTemperatureSchedules;
        const ScheduleKind kind = command == cmd::OccupancySchedules ? ScheduleKind::Occupancy
                                  : day                              ? ScheduleKind::Day
                                                                     : ScheduleKind::Week;
        run_schedule_manager(this, s.project(), kind, temperature ? kScheduleTemperature : kScheduleDimensionless);
        data_changed();
        break;
    }
    case cmd::Contaminants:
        run_project_species_dialog(this, s.project());
        data_changed();
        break;
    case cmd::ShiftDrawing: {
        ShiftDrawingDialog dialog(s, this);
        if (dialog.exec() == QDialog::Accepted) level_changed();
        break;
    }
    case cmd::ProjectOptions: {
        ProjectConfigDialog dialog(s, this);
        if (dialog.exec() == QDialog::Accepted) level_changed();
        break;
    }
    case cmd::ControlLinks: toggle_flag(&ViewFlags::control_links); break;
    case cmd::LargerIcons:
    case cmd::SmallerIcons:
        if (command == cmd::LargerIcons ? s.view.larger_cells(s.grid) : s.view.smaller_cells(s.grid))
            sketchpad_->refresh();
        update_commands();
        break;
    case cmd::SketchNavigator:
        s.view.flags.navigator = !s.view.flags.navigator;
        show_navigator(s.view.flags.navigator);
        update_commands();
        break;
    case cmd::SetOrigin:
        if (!set_origin(s.project(), s.grid)) QApplication::beep();
        sketchpad_->viewport()->update();
        update_status();
        break;
    case cmd::FloatingStatus:
        toggle_flag(&ViewFlags::floating_status);
        update_floating_status();
        break;
    case cmd::ColourDucts: toggle_flag(&ViewFlags::colour_ducts); break;
    case cmd::ColourZones: toggle_flag(&ViewFlags::colour_zones); break;
    case cmd::HighlightScheduled: toggle_flag(&ViewFlags::highlight_scheduled); break;
    case cmd::HighlightValuesFile: toggle_flag(&ViewFlags::highlight_values_file); break;
    case cmd::HighlightFiltered: toggle_flag(&ViewFlags::highlight_filtered); break;
    case cmd::HighlightControlled: toggle_flag(&ViewFlags::highlight_controlled); break;
    case cmd::DuctColouring: show_duct_colouring(); break;
    case cmd::RevealLevelBelow: toggle_flag(&ViewFlags::reveal_below); break;
    case cmd::ColourZonesBelow: toggle_flag(&ViewFlags::colour_zones_below); break;
    case cmd::LevelAbove:
        before_level_change();
        if (!level_up(s.project(), s.grid)) QApplication::beep();
        level_changed();
        break;
    case cmd::LevelBelow:
        before_level_change();
        if (!level_down(s.project(), s.grid)) QApplication::beep();
        level_changed();
        break;
    case cmd::TopLevel:
        before_level_change();
        if (s.project().top_level) goto_level(s.project(), s.grid, *s.project().top_level);
        level_changed();
        break;
    case cmd::BottomLevel:
        before_level_change();
        if (s.project().lowest_level) goto_level(s.project(), s.grid, *s.project().lowest_level);
        level_changed();
        break;
    case cmd::EditLevelData:
    case cmd::GoToLevel: {
        before_level_change();
        LevelDataDialog dialog(s, this);
        dialog.exec();
        if (dialog.changed()) editor_->level_copy = nullptr;
        level_changed();
        update_title();
        break;
    }
    case cmd::CopyLevel:
        before_level_change();
        copy_level(*editor_);
        update_commands();
        break;
    case cmd::PasteLevelAbove:
    case cmd::PasteLevelBelow:
    case cmd::InsertLevelAbove:
    case cmd::InsertLevelBelow:
    case cmd::DeleteLevel:
        before_level_change();
        if (command == cmd::PasteLevelAbove || command == cmd::PasteLevelBelow)
            paste_level(*editor_, command == cmd::PasteLevelAbove);
        else if (command == cmd::DeleteLevel)
            delete_current_level(*editor_, Asking::Interactive);
        else if (command == cmd::InsertLevelAbove)
            insert_level_above(*editor_);
        else
            insert_level_below(*editor_);
        level_changed();
        update_title();
        update_status();
        break;
    case cmd::CheckCurrentLevel:
        before_level_change();
        check_current_level(s, s.problems);
        building_checked();
        show_problems();
        break;
    case cmd::SimulationParameters:
        before_level_change();
        if (edit_simulation_parameters(s, &results_, this)) run_command(cmd::RunSimulation);
        update_title();
        break;
    case cmd::RunBuildingCheck:
    case cmd::RunSimulation:
        before_level_change();
        runner_->run(command == cmd::RunSimulation ? RunKind::Simulation : RunKind::BuildingCheck);
        update_title();
        break;
    case cmd::Cut: edit_command(EditAction::Cut); break;
    case cmd::Copy: edit_command(EditAction::Copy); break;
    case cmd::Paste: edit_command(EditAction::Paste); break;
    case cmd::Delete: edit_command(EditAction::Delete); break;
    case cmd::DeleteNetwork: edit_command(EditAction::DeleteNetwork); break;
    case cmd::DrawDucts: edit_command(EditAction::ToggleTool, IconCommand::Zone, DrawingTool::Ducts); break;
    case cmd::DrawLinks: edit_command(EditAction::ToggleTool, IconCommand::Zone, DrawingTool::Links); break;
    case cmd::DrawWalls: edit_command(EditAction::ToggleTool, IconCommand::Zone, DrawingTool::Walls); break;
    case cmd::DrawBoxes: edit_command(EditAction::ToggleTool, IconCommand::Zone, DrawingTool::Boxes); break;
    case cmd::DeleteByRegion:
        edit_command(EditAction::ToggleTool, IconCommand::Zone, DrawingTool::DeleteByRegion);
        break;
    case cmd::DeleteByBox: edit_command(EditAction::ToggleTool, IconCommand::Zone, DrawingTool::DeleteByBox); break;
    case cmd::DeleteByCoordinates: edit_command(EditAction::DeleteByCoordinates); break;
    case cmd::About: show_about(); break;
    case cmd::HelpContents: {
        const std::string guide = user_guide_path(QCoreApplication::applicationDirPath().toStdString());
        if (guide.empty())
            report_error(WARNING, {"Unable to activate help"});
        else
            open_with_desktop(guide);
        break;
    }
    case cmd::NormalMode:
    case cmd::ResultsMode:
    case cmd::WindPressureMode: change_display_mode(command); break;
    case cmd::WindUserSet: choose_wind_type(WindPressureType::UserSet); break;
    case cmd::WindWeatherFile: choose_wind_type(WindPressureType::WeatherFile); break;
    case cmd::WindWpc: choose_wind_type(WindPressureType::Wpc); break;
    case cmd::NextTimeStep: move_in_results(ResultsMove::Next); break;
    case cmd::PreviousTimeStep: move_in_results(ResultsMove::Previous); break;
    case cmd::FirstTimeStep: move_in_results(ResultsMove::First); break;
    case cmd::LastTimeStep: move_in_results(ResultsMove::Last); break;
    case cmd::JumpAhead: move_in_results(ResultsMove::JumpAhead); break;
    case cmd::JumpBack: move_in_results(ResultsMove::JumpBack); break;
    case cmd::GoToDateTime: go_to_date_time(); break;
    case cmd::ExportResults: export_results(); break;
    case cmd::ResultsDisplayWindow: toggle_results_window(); break;
    default:
        if (project_file_index(command) >= 0)
            open_with_desktop(project_file_path(s, command));
        else if (command >= cmd::FirstDrawIcon && command < cmd::FirstDrawIcon + 10)
            edit_command(EditAction::PlaceIcon, static_cast<IconCommand>(command - cmd::FirstDrawIcon));
        break;
    }
}

void MainWindow::change_display_mode(int command)
{
    const DisplayMode current =
        wind_.active() ? DisplayMode::WindPressure : results_.active() ? DisplayMode::Results : DisplayMode::Normal;
    const ModeChange change = change_mode(current, command);
    switch (change.mode) {
    // Entering turns the tools off once the results are there.
    case DisplayMode::Results:
        leave_wind_mode();
        enter_results_mode();
        break;
    case DisplayMode::Normal:
        leave_wind_mode();
        leave_results_mode();
        break;
    case DisplayMode::WindPressure:
        leave_results_mode();
        enter_wind_mode();
        break;
    }
}

void MainWindow::enter_wind_mode()
{
    if (wind_.active()) return;
    if (!wind_.enter(session_)) {
        update_commands();
        return;
    }
    editor_->leave_tools();
    editor_->mode = DisplayMode::WindPressure;
    refresh_wind();
    update_commands();
}

void MainWindow::leave_wind_mode()
{
    if (!wind_.active()) return;
    wind_.leave();
    editor_->mode = DisplayMode::Normal;
    results_overlay_ = ResultsOverlay{};
    sketchpad_->set_results_overlay(nullptr);
    update_status();
    update_commands();
}

void MainWindow::choose_wind_type(WindPressureType type)
{
    if (wind_.choose_type(session_, type) && wind_.active()) refresh_wind();
    update_commands();
}

void MainWindow::refresh_wind()
{
    if (!wind_.active()) return;
    results_overlay_ = wind_.overlay(session_);
    sketchpad_->set_results_overlay(&results_overlay_);
    statusBar()->clearMessage();
    update_status();
}

void MainWindow::enter_results_mode()
{
    if (results_.active()) return;
    results_.time_jump = std::max(1, session_.config.time_jump);
    if (!results_.enter(session_)) {
        update_commands();
        return;
    }
    editor_->leave_tools();
    editor_->mode = DisplayMode::Results;
    refresh_results();
    update_commands();
}

void MainWindow::leave_results_mode()
{
    if (!results_.active()) return;
    if (results_window_) results_window_->close();
    results_.leave();
    editor_->mode = DisplayMode::Normal;
    results_overlay_ = ResultsOverlay{};
    sketchpad_->set_results_overlay(nullptr);
    update_status();
    update_commands();
}

void MainWindow::move_in_results(ResultsMove how)
{
    if (wind_.active()) {
        if (wind_.move(session_.project(), how, std::max(1, session_.config.time_jump))) refresh_wind();
        return;
    }
    if (!results_.active()) return;
    if (results_.move(how)) refresh_results();
}

void MainWindow::go_to_date_time()
{
    if (!results_.active()) return;
    GoToDateTimeDialog dialog(results_, this);
    if (dialog.exec() == QDialog::Accepted) refresh_results();
}

void MainWindow::export_results()
{
    if (!results_.active()) return;
    const Project& project = session_.project();
    if (!has_export_items(project)) {
        show_message(WARNING, {std::string(kNothingToExport)});
        return;
    }
    export_form_.start(results_, project, cursor_flow_path(session_.grid));
    ExportDataDialog dialog(export_form_, results_, project, session_.document.path, this);
    dialog.exec();
    // The reader's day and step are as before; the overlay stays valid.
    update_status();
}

ResultsDisplayWindow* MainWindow::results_window() const { return results_window_; }

void MainWindow::toggle_results_window()
{
    if (results_window_) {
        results_window_->close();
        return;
    }
    if (!results_.active()) return;
    results_window_ = new ResultsDisplayWindow(this);
    connect(results_window_, &QObject::destroyed, this, [this] { update_commands(); }, Qt::QueuedConnection);
    // Beside the main window's right edge, where it hides none of the
    // drawing, as far as the screen leaves room for it.
    update_results_window();
    const QSize size = results_window_->sizeHint();
    QPoint at = frameGeometry().topRight() + QPoint(8, 0);
    if (const QScreen* shown_on = screen()) {
        const QRect room = shown_on->availableGeometry();
        at.setX(std::max(room.left(), std::min(at.x(), room.right() - size.width() - 8)));
        at.setY(std::max(room.top(), std::min(at.y(), room.bottom() - size.height() - 32)));
    }
    results_window_->move(at);
    results_window_->show();
    update_commands();
}

void MainWindow::update_results_window()
{
    if (!results_window_ || !results_.active() || !session_.grid.allocated()) return;
    const std::optional<ResultsDisplayContent> content =
        results_display_content(results_, session_.project(), session_.grid, session_.grid.cursor);
    if (content) results_window_->show_content(*content);
}

void MainWindow::refresh_results()
{
    results_.build_display_list(session_);
    results_overlay_ = results_overlay(results_, static_cast<ResultLines>(std::clamp(session_.config.result_lines, 0, 2)));
    sketchpad_->set_results_overlay(&results_overlay_);
    // The step's day and time lead the cursor's status text: the note the
    // step's reading left would hide that text.
    statusBar()->clearMessage();
    update_status();
}

void MainWindow::show_about()
{
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    const std::string engine = runner_->engine_path().toStdString();
    const std::string text = about_version_line("AvelorW", program_version()) + "\n" + file_time_text(program) +
                             "\n\n" + about_version_line("AvelorX", file_version(engine)) + "\n" +
                             file_time_text(engine);
    QMessageBox::about(this, QStringLiteral("About Avelor"), QString::fromStdString(text));
}

void MainWindow::start_super_element_editing()
{
    super_editing_ = std::make_unique<SuperElementsEditing>(*editor_);
    if (!super_editing_->active()) {
        super_editing_.reset();
        return;
    }
    super_window_ = new SuperElementsWindow(*super_editing_, this);
    connect(super_window_, &SuperElementsWindow::sketchChanged, this, [this] {
        sketchpad_->refresh();
        update_status();
        update_commands();
    });
    connect(super_window_, &SuperElementsWindow::finishedEditing, this, [this] { end_super_element_editing(); });
    reduce_menus(true);
    sketchpad_->refresh();
    update_title();
    update_status();
    update_commands();
    super_window_->adjustSize();
    super_window_->show();
    // Beside the main window where the screen has room, else at the
    // screen's right edge: never over the sketch's top-left corner.
    const QRect frame = frameGeometry();
    const QRect area = screen() ? screen()->availableGeometry() : frame;
    const QSize size = super_window_->frameGeometry().size();
    int x = frame.right() + 1;
    if (x + size.width() > area.right()) x = std::max(area.left(), area.right() - size.width());
    const int y = std::clamp(frame.top() + 60, area.top(), std::max(area.top(), area.bottom() - size.height()));
    super_window_->move(x, y);
}

void MainWindow::end_super_element_editing()
{
    if (super_window_) {
        super_window_->hide();
        super_window_->deleteLater();
    }
    super_window_ = nullptr;
    super_editing_.reset();
    reduce_menus(false);
    if (navigator_) navigator_->level_changed();
    data_changed();
    sketchpad_->setFocus();
}

void MainWindow::reduce_menus(bool reduced)
{
    for (QAction* top : menuBar()->actions()) {
        if (!top->menu()) continue;
        const CommandEntry* entry = find_command(cmd::SuperElements);
        const bool data = entry && top->menu()->title() == text_of(entry->menu);
        top->setEnabled(!reduced || data);
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The building's own grid comes back before anything is saved.
    if (super_window_) {
        super_window_->accept();
        if (super_window_) {
            event->ignore();
            return;
        }
    }
    if (!settle_unsaved_changes(session_)) {
        event->ignore();
        return;
    }
    if (floating_) floating_->hide();
    if (navigator_) navigator_->hide();
    event->accept();
}

}  // namespace avelor::ui
