#include <QPushButton>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>
#include <algorithm>
#include <vector>

#include "editing/editor_session.h"
#include "forms/shift_drawing_form.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "sketchpad/renderer.h"
#include "sketchpad/status_text.h"
#include "support/scripted_port.h"
#include "ui/floating_status.h"
#include "ui/navigator_window.h"
#include "ui/project_config_dialog.h"
#include "ui/shift_drawing_dialog.h"

using namespace avelor;

namespace {

const std::string kTwoRooms = std::string(AVELOR_SOURCE_DIR) + "/examples/two_rooms.prj";

// two_rooms.prj opened without a single box.
struct TwoRooms {
    TwoRooms() { ok = open_in_session(session, kTwoRooms) && port.boxes.empty(); }
    testing::ScriptedPort port;
    EditorSession session;
    bool ok = false;
};

std::vector<IconEntry> all_icons(const Project& project)
{
    std::vector<IconEntry> icons;
    for (const Level& level : project.levels) icons.insert(icons.end(), level.icons.begin(), level.icons.end());
    return icons;
}

void type_into(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QPushButton* button(QDialog& dialog, QDialogButtonBox::StandardButton which)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    return box ? box->button(which) : nullptr;
}

}  // namespace

class SketchToolsTest : public QObject {
    Q_OBJECT
private slots:
    void navigator_shows_the_level_and_outlines_the_view();
    void navigator_click_places_the_cursor();
    void navigator_of_a_large_level_scrolls();
    void floating_box_size_and_place();
    void floating_box_hides_for_empty_or_refused_text();
    void shift_dialog_applies_even_shifts();
    void config_dialog_applies_or_refuses_a_width();
    void config_dialog_stays_on_dimensions_when_origin_is_off();
};

void SketchToolsTest::navigator_shows_the_level_and_outlines_the_view()
{
    TwoRooms t;
    QVERIFY(t.ok);
    SketchGrid& grid = t.session.grid;
    t.session.view.set_window_pixels(160, 120, grid);
    t.session.view.scroll_to(10, 12, grid);
    ui::NavigatorWindow nav(t.session);
    QCOMPARE(nav.windowTitle(), QStringLiteral("Sketch Navigator"));
    QCOMPARE(nav.level_image().size(), QSize(grid.cols(), grid.rows()));

    PixelImage expected;
    render_navigator(grid, &t.session.project(), render_settings(t.session.view, t.session.project(), grid),
                     expected);
    const QImage& image = nav.level_image();
    QCOMPARE(image.pixel(18, 17), expected.at(18, 17));  // a zone icon
    QCOMPARE(image.pixel(40, 40), expected.at(40, 40));  // empty cell

    const SketchView& view = t.session.view;
    nav.view_changed();
    const QRect outline(view.first_col(), view.first_row(), view.visible_cols(), view.visible_rows());
    QCOMPARE(nav.outline(), outline);
    nav.resize(grid.cols() + 40, grid.rows() + 40);
    const QImage shown = nav.viewport()->grab().toImage();
    auto rgb = [](QRgb p) { return p & 0xFFFFFFu; };
    // Three pixels of frame inverted, the inside and outside as drawn.
    for (int inset : {0, 1, 2})
        QCOMPARE(rgb(shown.pixel(outline.left() + inset, outline.top() + 5)),
                 rgb(~image.pixel(outline.left() + inset, outline.top() + 5)));
    QCOMPARE(rgb(shown.pixel(outline.left() + 3, outline.top() + 5)),
             rgb(image.pixel(outline.left() + 3, outline.top() + 5)));
    QCOMPARE(rgb(shown.pixel(outline.left() - 1, outline.top() + 5)),
             rgb(image.pixel(outline.left() - 1, outline.top() + 5)));
    // Beyond the level: the button face.
    QCOMPARE(rgb(shown.pixel(grid.cols() + 10, 5)), rgb(nav.palette().button().color().rgb()));
}

void SketchToolsTest::navigator_click_places_the_cursor()
{
    TwoRooms t;
    QVERIFY(t.ok);
    SketchGrid& grid = t.session.grid;
    t.session.view.set_window_pixels(160, 120, grid);
    ui::NavigatorWindow nav(t.session);
    nav.resize(grid.cols() + 40, grid.rows() + 40);
    nav.show();
    QVERIFY(QTest::qWaitForWindowExposed(&nav));
    QSignalSpy placed(&nav, &ui::NavigatorWindow::cursorPlaced);

    struct Click {
        QPoint at;
        GridCell cursor;
    };
    const Click clicks[] = {
        {{30, 20}, {20, 30}},                              // a cell of the drawing
        {{0, 1}, {1, 1}},                                  // the border: clamped inside
        {{grid.cols() + 20, grid.rows() + 20}, {grid.rows() - 2, grid.cols() - 2}},  // beyond the level
    };
    for (const Click& c : clicks) {
        QTest::mouseClick(nav.viewport(), Qt::LeftButton, {}, c.at);
        QCOMPARE(grid.cursor, c.cursor);
        const SketchView& view = t.session.view;
        QVERIFY(c.cursor.row >= view.first_row() && c.cursor.row < view.first_row() + view.visible_rows());
        QVERIFY(c.cursor.col >= view.first_col() && c.cursor.col < view.first_col() + view.visible_cols());
        QCOMPARE(nav.outline(), QRect(view.first_col(), view.first_row(), view.visible_cols(), view.visible_rows()));
    }
    QCOMPARE(placed.count(), 3);
}

void SketchToolsTest::navigator_of_a_large_level_scrolls()
{
    testing::ScriptedPort port;
    EditorSession session;
    session.project().rc.rows = 500;
    session.project().rc.cols = 400;
    prepare_sketchpad(session);
    QCOMPARE(session.grid.rows(), 500);
    ui::NavigatorWindow nav(session);
    nav.show();
    QVERIFY(QTest::qWaitForWindowExposed(&nav));
    QCOMPARE(nav.level_image().size(), QSize(400, 500));
    QVERIFY(nav.width() <= ui::NavigatorWindow::kInitialWidth);
    QVERIFY(nav.height() <= ui::NavigatorWindow::kInitialHeight);
    QVERIFY(nav.horizontalScrollBar()->maximum() > 0);
    QVERIFY(nav.verticalScrollBar()->maximum() > 0);

    // A click on the scrolled picture counts from the level's corner.
    nav.horizontalScrollBar()->setValue(100);
    nav.verticalScrollBar()->setValue(150);
    QTest::mouseClick(nav.viewport(), Qt::LeftButton, {}, QPoint(7, 9));
    QCOMPARE(session.grid.cursor, (GridCell{159, 107}));
}

void SketchToolsTest::floating_box_size_and_place()
{
    testing::ScriptedPort port;
    ui::FloatingStatusBox box;
    QCOMPARE(box.text_font().pointSize(), 8);
    const std::string text = " Zone(1): West / ground; Vol: 75 m\xB3  Area: 25 m\xB2  Ht: 3.0 m";
    box.show_text(text, QPoint(100, 100), 8);
    QVERIFY(box.isVisible());
    QCOMPARE(box.lines().size(), 2);
    const QFontMetrics metrics(box.text_font());
    const int widest = std::max(metrics.horizontalAdvance(box.lines()[0]), metrics.horizontalAdvance(box.lines()[1]));
    QCOMPARE(box.size(), QSize(widest + 5, 2 * metrics.height() + 3));
    QCOMPARE(box.pos(), QPoint(116, 116));  // two cells right and down

    // Near the screen's bottom-right corner the box moves back onto it.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    box.show_text(text, area.bottomRight() - QPoint(8, 8), 16);
    QCOMPARE(box.geometry().right(), area.right());
    QCOMPARE(box.geometry().bottom(), area.bottom());
    QVERIFY(port.boxes.empty());
}

void SketchToolsTest::floating_box_hides_for_empty_or_refused_text()
{
    testing::ScriptedPort port;
    ui::FloatingStatusBox box;
    box.show_text(" Zone: Ambt", QPoint(10, 10), 8);
    QVERIFY(box.isVisible());
    box.show_text("", QPoint(10, 10), 8);
    QVERIFY(!box.isVisible());
    QVERIFY(port.boxes.empty());

    box.show_text(" Zone: Ambt", QPoint(10, 10), 8);
    box.show_text(std::string(kMaxFloatingStatusLength + 1, 'x'), QPoint(10, 10), 8);
    QVERIFY(!box.isVisible());
    QCOMPARE(port.boxes.size(), std::size_t{1});
    QVERIFY(port.boxes[0].text.starts_with(" tooltip too long\n"));
}

void SketchToolsTest::shift_dialog_applies_even_shifts()
{
    TwoRooms t;
    QVERIFY(t.ok);
    // Measuring stores the current level, in the grid's own icon order.
    const DrawingMargins margins = drawing_margins(t.session.project(), t.session.grid);
    const std::vector<IconEntry> before = all_icons(t.session.project());
    QVERIFY(!before.empty());
    QVERIFY(margins.right >= 3 && margins.top >= 3);

    {
        // Cancel moves nothing.
        ui::ShiftDrawingDialog dialog(t.session);
        dialog.horizontal_box()->setValue(2);
        button(dialog, QDialogButtonBox::Cancel)->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(all_icons(t.session.project()) == before);
    }

    ui::ShiftDrawingDialog dialog(t.session);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Shift Drawing"));
    QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("EvenNote"))->text() ==
            QStringLiteral("Shifting only occurs in even increments."));
    QCOMPARE(dialog.horizontal_box()->minimum(), -margins.left);
    QCOMPARE(dialog.horizontal_box()->maximum(), margins.right);
    QCOMPARE(dialog.vertical_box()->minimum(), -margins.top);
    QCOMPARE(dialog.vertical_box()->maximum(), margins.bottom);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("TopMargin"))->text(), QString::number(margins.top));

    dialog.horizontal_box()->setValue(3);
    dialog.vertical_box()->setValue(-3);
    button(dialog, QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const std::vector<IconEntry> after = all_icons(t.session.project());
    QCOMPARE(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        QCOMPARE(int(after[i].col), before[i].col + 2);
        QCOMPARE(int(after[i].row), before[i].row - 2);
        QCOMPARE(after[i].code, before[i].code);
    }
    // The grid shows the moved drawing.
    const auto zone = std::find_if(after.begin(), after.end(),
                                   [](const IconEntry& e) { return e.code == ICN_ZONE; });
    QVERIFY(zone != after.end());
    QCOMPARE(t.session.grid.current().Sketch(zone->row, zone->col), ICN_ZONE);
}

void SketchToolsTest::config_dialog_applies_or_refuses_a_width()
{
    struct Case {
        QString typed;
        bool closes;
        int cols;
        std::string box;
    };
    const Case cases[] = {
        {QStringLiteral("80"), true, 80, ""},
        {QStringLiteral("20"), false, kMinSketchCols, " Value must not be less than 66.\n"},
    };
    for (const Case& c : cases) {
        TwoRooms t;
        QVERIFY(t.ok);
        ui::ProjectConfigDialog dialog(t.session);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Project Configuration Properties"));
        QCOMPARE(dialog.pages()->tabText(0), QStringLiteral("Units"));
        QCOMPARE(dialog.pages()->tabText(1), QStringLiteral("SketchPad Dimensions"));
        auto* width = qobject_cast<QLineEdit*>(dialog.field_widget(ConfigField::Width));
        QVERIFY(width != nullptr);
        dialog.pages()->setCurrentIndex(1);
        type_into(width, c.typed);
        button(dialog, QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result() == QDialog::Accepted, c.closes);
        QCOMPARE(t.session.grid.cols(), c.cols);
        QCOMPARE(int(t.session.project().rc.cols), c.cols);
        if (c.box.empty()) {
            QVERIFY(t.port.boxes.empty());
        } else {
            QCOMPARE(t.port.boxes.size(), std::size_t{1});
            QCOMPARE(t.port.boxes[0].text, c.box);
            QCOMPARE(width->text(), QString::number(kMinSketchCols));
        }
    }
}

void SketchToolsTest::config_dialog_stays_on_dimensions_when_origin_is_off()
{
    TwoRooms t;
    QVERIFY(t.ok);
    ui::ProjectConfigDialog dialog(t.session);
    auto* width = qobject_cast<QLineEdit*>(dialog.field_widget(ConfigField::Width));
    auto* origin = qobject_cast<QLineEdit*>(dialog.field_widget(ConfigField::OriginColumn));
    dialog.pages()->setCurrentIndex(1);
    type_into(width, QStringLiteral("200"));
    type_into(origin, QStringLiteral("190"));
    type_into(width, QStringLiteral("66"));
    QVERIFY(t.port.boxes.empty());

    dialog.pages()->setCurrentIndex(0);
    QCOMPARE(dialog.pages()->currentIndex(), 1);
    QCOMPARE(t.port.boxes.size(), std::size_t{1});
    QCOMPARE(t.port.boxes[0].text, std::string(" Origin Column is not on the SketchPad.\n"));
    QCOMPARE(t.session.grid.cols(), kMinSketchCols);  // nothing applied yet

    type_into(origin, QStringLiteral("10"));
    dialog.pages()->setCurrentIndex(0);
    QCOMPARE(dialog.pages()->currentIndex(), 0);
    button(dialog, QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(int(t.session.project().rc.orgCol), 10);
}

QTEST_MAIN(SketchToolsTest)
#include "sketch_tools_test.moc"
