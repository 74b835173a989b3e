// The editor as a new user meets it: dialogs that fit a small screen and
// show their whole title, sheets ready for typing with OK as the default
// button, the floating status box out of the way of questions, a main
// window that stays where the user put it and at the user's size, and a
// status bar that names the active tool.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/diagnostics.h"
#include "editing/editor_session.h"
#include "forms/annotation_form.h"
#include "forms/duct_element_form.h"
#include "forms/element_form.h"
#include "model/airflow_element.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "ui/command_table.h"
#include "ui/dialog_setup.h"
#include "ui/editor_application.h"
#include "ui/simulation_parameters_dialog.h"
#include "ui/duct_dialogs.h"
#include "ui/edit_dialogs.h"
#include "ui/element_dialogs.h"
#include "ui/element_manager.h"
#include "ui/floating_status.h"
#include "ui/level_data_dialog.h"
#include "ui/schedule_dialogs.h"
#include "ui/main_window.h"
#include "ui/navigator_window.h"
#include "ui/project_config_dialog.h"
#include "ui/qt_port.h"
#include "ui/junction_dialogs.h"
#include "ui/sheet_dialogs.h"
#include "ui/shift_drawing_dialog.h"
#include "ui/sketchpad_widget.h"
#include "ui/species_dialogs.h"
#include "ui/wind_profile_dialog.h"

using namespace avelor;

namespace {

const std::string kTwoRooms = std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj";
constexpr GridCell kCell{5, 6};

AirflowElement fresh(int type)
{
    NewElementState state;
    return new_airflow_element(type, NewElementContext{}, state);
}

// A one-level project with nothing drawn, in a SketchPad.
struct Blank {
    Blank()
    {
        prepare_sketchpad(session);
        port.boxes.clear();
    }
    Project& project() { return session.project(); }
    ZoneSheet zone_sheet()
    {
        session.grid.current().Sketch(kCell.row, kCell.col) = ICN_ZONE;
        session.grid.current().Paths(kCell.row, kCell.col) = ZONE_UNDEFINED;
        return ZoneSheet::for_new_zone(project(), session.grid, kCell);
    }
    AirflowElement* element(const std::string& name, int type)
    {
        AirflowElement e = fresh(type);
        e.name = name;
        return project().elements.insert_copy(e);
    }
    PathSheet path_sheet()
    {
        session.grid.current().Sketch(kCell.row, kCell.col) = ICN_PATH;
        return PathSheet(project(), session.grid, kCell, new_flow_path(project(), session.grid, kCell), 0);
    }
    testing::ScriptedPort port;
    EditorSession session;
    SubPathChains chains;
};

// Shows the dialog as the editor would and checks that its frame fits the
// smallest work area and its title shows in full.
void check_fits(QDialog& dialog, const QString& what)
{
    dialog.show();
    QApplication::processEvents();
    const QSize size = dialog.frameGeometry().size().expandedTo(dialog.size());
    const QString where = what + QStringLiteral(" \"") + dialog.windowTitle() + QStringLiteral("\" ") +
                          QString::number(size.width()) + QLatin1Char('x') + QString::number(size.height());
    QVERIFY2(size.width() <= ui::kSmallestWorkArea.width(), qPrintable(where));
    QVERIFY2(size.height() <= ui::kSmallestWorkArea.height() - 30, qPrintable(where));
    QVERIFY2(dialog.width() >= std::min(ui::title_width(dialog), ui::kSmallestWorkArea.width()), qPrintable(where));
    // Nothing in it is squeezed below what it needs.
    const QSize least = dialog.minimumSizeHint();
    QVERIFY2(dialog.width() >= least.width() && dialog.height() >= least.height(), qPrintable(where));
    for (QTabWidget* tabs : dialog.findChildren<QTabWidget*>()) {
        QTabBar* bar = tabs->tabBar();
        const QRect last = bar->tabRect(bar->count() - 1);
        QVERIFY2(last.right() < bar->width(), qPrintable(where + QStringLiteral(": tabs need scroll arrows")));
    }
    dialog.reject();
}

// Answers the next modal dialog with the given step, once it shows.
void when_modal(std::function<void(QDialog&)> step)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step = std::move(step), tries = 0]() mutable {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog && ++tries < 200) return;
        timer->stop();
        timer->deleteLater();
        if (dialog) step(*dialog);
    });
    timer->start();
}

}  // namespace

class DesktopFitTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void every_dialog_fits_a_small_screen_with_its_title_whole();
    void sheets_focus_their_first_field_and_ok_stays_default();
    void floating_box_rides_on_the_pad_and_hides_under_questions();
    void main_window_keeps_the_users_size_and_the_navigator_opens_beside_it();
    void status_bar_names_the_active_tool_and_elides_long_texts();
    void toolbar_pictures_follow_a_dark_palette();
};

void DesktopFitTest::initTestCase()
{
    // Files and reports are printed with printf: a decimal point, always.
    QCOMPARE(QByteArray(std::setlocale(LC_NUMERIC, nullptr)), QByteArray("C"));
    std::string number(16, '\0');
    number.resize(static_cast<std::size_t>(std::snprintf(number.data(), number.size(), "%.2f", 1.25)));
    QCOMPARE(number, std::string("1.25"));
}

void DesktopFitTest::every_dialog_fits_a_small_screen_with_its_title_whole()
{
    Blank b;
    ChooserState chooser;
    {
        ui::ElementChooserDialog dialog(nullptr, ChooserContext{}, nullptr, chooser);
        check_fits(dialog, QStringLiteral("chooser"));
    }
    for (int type = 0; type < kAirflowTypeCount; ++type) {
        if (type == kSupAfe || !is_airflow_type(type)) continue;
        ElementForm form(fresh(type));
        ui::ElementDialog dialog(nullptr, b.project(), form, nullptr);
        check_fits(dialog, QStringLiteral("element type %1").arg(type));
    }
    {
        AirflowElement copy = fresh(kSupAfe);
        ui::SuperElementDialog dialog(nullptr, b.project(), copy, nullptr, chooser);
        check_fits(dialog, QStringLiteral("super element"));
    }
    {
        ui::ElementManagerDialog dialog(nullptr, b.project(), chooser);
        check_fits(dialog, QStringLiteral("element manager"));
    }
    DuctChooserState duct_chooser;
    {
        ui::DuctChooserDialog dialog(nullptr, nullptr, duct_chooser);
        check_fits(dialog, QStringLiteral("duct chooser"));
    }
    for (int type = kFirstDuctType; type <= kLastDuctType; ++type) {
        DuctElementForm form(new_duct_element(type, NewElementContext{}));
        ui::DuctElementSheet sheet(nullptr, b.project().duct_elements, form, nullptr);
        check_fits(sheet, QStringLiteral("duct element type %1").arg(type));
    }
    {
        ui::DuctElementManagerDialog dialog(nullptr, b.project(), duct_chooser);
        check_fits(dialog, QStringLiteral("duct element manager"));
    }
    {
        ZoneSheet sheet = b.zone_sheet();
        ui::ZoneSheetDialog dialog(sheet);
        check_fits(dialog, QStringLiteral("zone sheet"));
    }
    {
        PathSheet sheet = b.path_sheet();
        ui::PathSheetDialog dialog(sheet, b.chains, {});
        check_fits(dialog, QStringLiteral("path sheet"));
    }
    {
        // A terminal in the open at the end of a duct: the sheet with every
        // page, and the segment sheet of its duct.
        LevelCells& l = b.session.grid.current();
        const GridCell piece{kCell.row - 1, kCell.col};
        l.Ducts(piece.row, piece.col) = ICN_DUCT_V;
        l.Ducts(kCell.row, kCell.col) = ICN_TERMINAL;
        JunctionSheet sheet(b.project(), b.session.grid, kCell, new_junction(b.project(), ICN_TERMINAL, {}),
                            std::nullopt, 0);
        ui::JunctionSheetDialog dialog(sheet, {});
        QCOMPARE(dialog.tabs()->count(), 5);
        check_fits(dialog, QStringLiteral("junction sheet"));
        DuctSegmentSheet segment(b.project(), b.session.grid, piece,
                                 new_duct_segment(b.project(), SegmentRun::Vertical), 0);
        ui::DuctSegmentSheetDialog segment_dialog(segment, {});
        check_fits(segment_dialog, QStringLiteral("duct segment sheet"));
        l.Ducts(piece.row, piece.col) = 0;
        l.Ducts(kCell.row, kCell.col) = 0;
    }
    {
        ui::SpeciesDialog dialog(b.project().species, nullptr);
        check_fits(dialog, QStringLiteral("species"));
    }
    {
        ui::ProjectSpeciesDialog dialog(b.project());
        check_fits(dialog, QStringLiteral("project species"));
    }
    {
        ui::KineticReactionDialog dialog(b.project().reactions, b.project().species, nullptr);
        check_fits(dialog, QStringLiteral("reaction"));
    }
    for (const ui::ProjectElementsDialog::Kind& kind :
         {ui::species_manager_kind(b.project()), ui::reaction_manager_kind(b.project())}) {
        ui::ProjectElementsDialog dialog(kind);
        check_fits(dialog, kind.name);
    }
    {
        ui::WindProfileDialog dialog(b.project().wind_profiles, nullptr);
        check_fits(dialog, QStringLiteral("wind pressure profile"));
    }
    {
        ui::WindProfileManagerDialog dialog(b.project());
        check_fits(dialog, QStringLiteral("wind pressure profiles"));
    }
    {
        ui::ShiftDrawingDialog dialog(b.session);
        check_fits(dialog, QStringLiteral("shift drawing"));
    }
    {
        ui::ProjectConfigDialog dialog(b.session);
        check_fits(dialog, QStringLiteral("project options"));
    }
    {
        ui::SimulationParametersDialog dialog(b.session, nullptr);
        check_fits(dialog, QStringLiteral("simulation parameters"));
    }
    {
        AnnotationForm form;
        ui::AnnotationDialog dialog(form);
        check_fits(dialog, QStringLiteral("annotation"));
    }
    {
        ui::LevelDataDialog dialog(b.session);
        check_fits(dialog, QStringLiteral("level data"));
    }
    {
        auto fits = [](const char* what) {
            return [what](QDialog& dialog) { check_fits(dialog, QString::fromLatin1(what)); };
        };
        when_modal(fits("day schedule"));
        ui::run_day_schedule_dialog(nullptr, b.project(), new_day_schedule(kScheduleTemperature, 0), nullptr);
        when_modal(fits("week schedule"));
        ui::run_week_schedule_dialog(nullptr, b.project(), new_week_schedule(kScheduleDimensionless, 0), nullptr);
        when_modal(fits("occupancy schedule"));
        ui::run_occupancy_schedule_dialog(nullptr, b.project(), new_occupancy_schedule(0), nullptr);
        when_modal(fits("schedule manager"));
        ui::run_schedule_manager(nullptr, b.project(), ScheduleKind::Week, kScheduleTemperature);
    }
    QVERIFY(b.port.boxes.empty());
}

void DesktopFitTest::sheets_focus_their_first_field_and_ok_stays_default()
{
    Blank b;
    {
        ZoneSheet sheet = b.zone_sheet();
        ui::ZoneSheetDialog dialog(sheet);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        // A typed name goes into the name field, not into the tab row.
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("name"));
        QVERIFY(name);
        QCOMPARE(QApplication::focusWidget(), name);
        dialog.reject();
    }
    b.element("orf", kPlrOrfc);
    PathSheet sheet = b.path_sheet();
    bool chose = false;
    ui::PathSheetHooks hooks;
    hooks.new_element = [&](QWidget*, const ChooserContext&) {
        chose = true;
        return b.element("made", kPlrOrfc);
    };
    ui::PathSheetDialog dialog(sheet, b.chains, hooks);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QVERIFY(qobject_cast<QTabBar*>(QApplication::focusWidget()) == nullptr);
    QPushButton* new_element = nullptr;
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("New Element")) new_element = button;
    QVERIFY(new_element);
    new_element->setFocus();
    new_element->click();
    QVERIFY(chose);
    // Back on the sheet, Enter is OK, not another chooser.
    chose = false;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!chose);
    QVERIFY(!dialog.isVisible());
}

void DesktopFitTest::floating_box_rides_on_the_pad_and_hides_under_questions()
{
    testing::ScriptedPort scripted;
    EditorSession session;
    QVERIFY(open_in_session(session, kTwoRooms));
    ui::MainWindow window(session);
    window.project_replaced();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ui::QtUserPort port;
    port.set_main_window(&window);
    set_user_port(&port);

    // On a zone icon the box shows, as a child of the drawing.
    const Level& level = *session.project().current_level;
    QVERIFY(!level.icons.empty());
    session.grid.cursor = {level.icons.front().row, level.icons.front().col};
    window.sketchpad()->refresh();
    QApplication::processEvents();
    auto* box = window.findChild<ui::FloatingStatusBox*>();
    QVERIFY(box && box->isVisible());
    QVERIFY(!box->isWindow());
    QCOMPARE(box->parentWidget(), window.sketchpad()->viewport());
    QVERIFY(window.sketchpad()->viewport()->rect().contains(box->geometry()));
    const QPoint before = box->mapToGlobal(QPoint(0, 0));
    window.move(window.pos() + QPoint(40, 30));
    QApplication::processEvents();
    QCOMPARE(box->mapToGlobal(QPoint(0, 0)), before + QPoint(40, 30));

    // A question hides it while it is asked, and it comes back after.
    bool hidden_while_asked = false;
    when_modal([&](QDialog& question) {
        hidden_while_asked = !box->isVisible();
        question.reject();
    });
    ask_question_or_cancel("Save changes to current project file: two_rooms.prj ?");
    QVERIFY(hidden_while_asked);
    QApplication::processEvents();
    QVERIFY(box->isVisible());

    // So does any other modal dialog.
    bool hidden_under_dialog = false;
    when_modal([&](QDialog& dialog) {
        hidden_under_dialog = !box->isVisible();
        dialog.reject();
    });
    ui::ShiftDrawingDialog shift(session, &window);
    shift.exec();
    QVERIFY(hidden_under_dialog);
    QApplication::processEvents();
    QVERIFY(box->isVisible());
    set_user_port(&scripted);
}

void DesktopFitTest::main_window_keeps_the_users_size_and_the_navigator_opens_beside_it()
{
    testing::ScriptedPort port;
    EditorSession session;
    prepare_sketchpad(session);
    ui::MainWindow window(session);
    window.project_replaced();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    const QRect area = window.screen()->availableGeometry();
    QVERIFY(area.contains(window.frameGeometry()));

    // The user's size stays through New Project and Open.
    const QSize users(760, 590);
    window.resize(users);
    QApplication::processEvents();
    when_modal([](QDialog& description) { description.accept(); });
    window.run_command(ui::cmd::NewProject);
    QCOMPARE(window.size(), users);
    port.files.push_back(kTwoRooms);
    window.run_command(ui::cmd::OpenProject);
    QCOMPARE(session.document.title_name(), std::string("two_rooms.prj"));
    QCOMPARE(window.size(), users);
    // The pad fills the window.
    QCOMPARE(window.sketchpad()->width(), window.centralWidget()->width());

    // The navigator opens beside the main window at a size a frame can use.
    window.run_command(ui::cmd::SketchNavigator);
    auto* navigator = window.findChild<ui::NavigatorWindow*>();
    QVERIFY(navigator && navigator->isVisible());
    QVERIFY(navigator->width() >= ui::NavigatorWindow::kSmallestWidth);
    QVERIFY(navigator->height() >= ui::NavigatorWindow::kSmallestHeight);
    const QRect nav = navigator->frameGeometry();
    const QRect main = window.frameGeometry();
    QVERIFY2(std::abs(nav.left() - main.right()) <= 2 || std::abs(nav.right() - main.left()) <= 2 ||
                 main.contains(nav.topLeft()),
             qPrintable(QStringLiteral("navigator at %1,%2").arg(nav.left()).arg(nav.top())));
    QVERIFY(nav.top() >= main.top() && nav.top() <= main.bottom());
    QVERIFY(port.boxes.empty());
}

void DesktopFitTest::status_bar_names_the_active_tool_and_elides_long_texts()
{
    testing::ScriptedPort port;
    EditorSession session;
    prepare_sketchpad(session);
    ui::MainWindow window(session);
    window.project_replaced();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAction* walls = window.command_action(ui::cmd::DrawWalls);
    QAction* boxes = window.command_action(ui::cmd::DrawBoxes);
    QVERIFY(window.tool_text().isEmpty());
    window.sketchpad()->setFocus();
    QTest::keyClick(window.sketchpad(), Qt::Key_W, Qt::ControlModifier);
    QVERIFY(walls->isChecked() && !boxes->isChecked());
    QCOMPARE(window.tool_text(), QStringLiteral("Tool: Draw Walls"));
    auto* tool = window.findChild<QLabel*>(QStringLiteral("ToolStatus"));
    QVERIFY(tool && tool->isVisible());
    boxes->trigger();
    QVERIFY(boxes->isChecked() && !walls->isChecked());
    QCOMPARE(window.tool_text(), QStringLiteral("Tool: Draw Boxes"));
    boxes->trigger();
    QVERIFY(!boxes->isChecked());
    QVERIFY(window.tool_text().isEmpty() && !tool->isVisible());

    // A status text longer than its room ends in an ellipsis and shows
    // whole as the field's tool tip.
    auto* status = window.findChild<QLabel*>(QStringLiteral("StatusText"));
    QVERIFY(status);
    const QString text = QStringLiteral("Path(12): a_rather_long_element_name / Sched: <none>; ") + QString(200, 'x');
    status->setText(text);
    status->repaint();
    QCOMPARE(status->toolTip(), text);
    QVERIFY(status->width() < status->fontMetrics().horizontalAdvance(text));
    QVERIFY(port.boxes.empty());
}

void DesktopFitTest::toolbar_pictures_follow_a_dark_palette()
{
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Button, QColor(40, 44, 52));
    dark.setColor(QPalette::ButtonText, QColor(230, 232, 236));
    QApplication::setPalette(dark);
    testing::ScriptedPort port;
    EditorSession session;
    prepare_sketchpad(session);
    ui::MainWindow window(session);
    const QImage picture = window.command_action(ui::cmd::DrawWalls)->icon().pixmap(QSize(16, 16)).toImage();
    QApplication::setPalette(light);
    int light_ink = 0;
    int black = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.alpha() < 200) continue;
            if (c.lightness() > 180) ++light_ink;
            if (c.lightness() < 60) ++black;
        }
    QVERIFY(light_ink > 10);
    QCOMPARE(black, 0);
}

int main(int argc, char** argv)
{
    // A user whose environment names a locale: Qt takes it over for the C
    // library at start.
    setenv("LC_ALL", "C.UTF-8", 1);
    ui::EditorApplication app(argc, argv);
    DesktopFitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "desktop_fit_test.moc"
