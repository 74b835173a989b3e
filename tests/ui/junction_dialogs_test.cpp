#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <optional>
#include <string>

#include "editing/editor_session.h"
#include "model/cell_codes.h"
#include "model/duct_element.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "ui/junction_dialogs.h"

using namespace avelor;

namespace {

// A terminal in the open fed from a junction above it.
constexpr GridCell kTerminal{6, 6};
constexpr GridCell kPiece{5, 6};

struct Fixture {
    testing::ScriptedPort port;
    EditorSession session;

    Fixture()
    {
        prepare_sketchpad(session);
        LevelCells& l = grid().current();
        l.Ducts(4, 6) = ICN_JUNCTION;
        l.Ducts(kPiece.row, kPiece.col) = ICN_DUCT_V;
        l.Ducts(kTerminal.row, kTerminal.col) = ICN_TERMINAL;
        grid().cursor = kTerminal;
        port.boxes.clear();
    }
    Project& project() { return session.project(); }
    SketchGrid& grid() { return session.grid; }

    JunctionSheet terminal_sheet()
    {
        return JunctionSheet(project(), grid(), kTerminal, new_junction(project(), ICN_TERMINAL, {}), std::nullopt, 0);
    }
    DuctSegmentSheet segment_sheet()
    {
        grid().cursor = kPiece;
        return DuctSegmentSheet(project(), grid(), kPiece, new_duct_segment(project(), SegmentRun::Vertical), 0);
    }
    DuctElement* element(const std::string& name)
    {
        DuctElement e = new_duct_element(kDctDwc, {});
        e.name = name;
        return project().duct_elements.insert_copy(e);
    }
    QString last_box() const
    {
        return port.boxes.empty() ? QString() : QString::fromStdString(port.boxes.back().text).trimmed();
    }
};

template <class T>
T* child(QWidget& dialog, const char* name)
{
    return dialog.findChild<T*>(QString::fromLatin1(name));
}

void type_into(QLineEdit* edit, const QString& text)
{
    QVERIFY(edit);
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

void press_ok(QDialog& dialog)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(box);
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

QStringList tab_titles(const QTabWidget* tabs)
{
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i) titles << tabs->tabText(i);
    return titles;
}

}  // namespace

class JunctionDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void pages_follow_the_kind();
    void values_reach_the_record_on_ok();
    void downward_kind_keeps_the_page_until_its_duct_is_defined();
    void balance_coefficient_answered_no_keeps_its_value();
    void segment_sheet_refuses_then_stores_the_segment();
};

void JunctionDialogsTest::pages_follow_the_kind()
{
    Fixture f;
    JunctionSheet sheet = f.terminal_sheet();
    ui::JunctionSheetDialog dialog(sheet, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Duct Junction Properties"));
    QCOMPARE(child<QLabel>(dialog, "junction_number")->text(), QStringLiteral("0"));
    QCOMPARE(tab_titles(dialog.tabs()), (QStringList{"Junction", "Terminal Data", "Wind Pressure", "Schedule", "Filter"}));
    // One duct ends here: no plain junction and no up-connected terminal.
    QVERIFY(!child<QRadioButton>(dialog, "kind_158")->isEnabled());
    QVERIFY(!child<QRadioButton>(dialog, "kind_163")->isEnabled());
    QVERIFY(child<QRadioButton>(dialog, "kind_162")->isChecked());
    QVERIFY(!child<QLineEdit>(dialog, "temperature")->isEnabled());
    QCOMPARE(child<QLineEdit>(dialog, "temperature")->text(), QStringLiteral(" N/A"));

    child<QRadioButton>(dialog, "kind_159")->click();
    QCOMPARE(tab_titles(dialog.tabs()), (QStringList{"Junction", "Schedule"}));
    QVERIFY(child<QLineEdit>(dialog, "temperature")->isEnabled());
    child<QRadioButton>(dialog, "kind_162")->click();
    QCOMPARE(dialog.tabs()->count(), 5);
    QCOMPARE(dialog.tabs()->currentIndex(), 0);
}

void JunctionDialogsTest::values_reach_the_record_on_ok()
{
    Fixture f;
    JunctionSheet sheet = f.terminal_sheet();
    ui::JunctionSheetDialog dialog(sheet, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* unit = child<QComboBox>(dialog, "length_unit");
    unit->setCurrentIndex(unit->findText(QStringLiteral("ft")));
    type_into(child<QLineEdit>(dialog, "relative_elevation"), QStringLiteral("10"));
    QCOMPARE(child<QComboBox>(dialog, "location_unit")->currentText(), QStringLiteral("ft"));

    dialog.tabs()->setCurrentIndex(1);
    QCOMPARE(dialog.tabs()->currentIndex(), 1);
    QCOMPARE(child<QLineEdit>(dialog, "duct_area")->text().trimmed(), QStringLiteral("0.0314"));
    type_into(child<QLineEdit>(dialog, "free_face_area"), QStringLiteral("0.05"));
    child<QCheckBox>(dialog, "balance_terminal")->click();

    press_ok(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const Junction* j = f.project().junctions.at(1);
    QVERIFY(j);
    QVERIFY(std::abs(j->relHt - 3.048f) < 1e-5f);
    QCOMPARE(j->u[kJunctionUnitLength], std::int16_t(1));
    QCOMPARE(j->terminal.free_face_area(), 0.05f);
    QCOMPARE(int(j->terminal.balance_terminal()), 1);
    QCOMPARE(j->t, std::int16_t(3));
    QCOMPARE(f.grid().current().Paths(kTerminal.row, kTerminal.col), 1);
    QVERIFY(f.port.boxes.empty());
}

void JunctionDialogsTest::downward_kind_keeps_the_page_until_its_duct_is_defined()
{
    Fixture f;
    DuctElement* round = f.element("round");
    JunctionSheet sheet = f.terminal_sheet();
    ui::JunctionSheetDialog dialog(sheet, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    child<QRadioButton>(dialog, "kind_160")->click();
    auto* define = child<QPushButton>(dialog, "define_downward");
    QVERIFY(define->isEnabled());
    QCOMPARE(define->text(), QStringLiteral("Define Downward\nDuct"));
    dialog.tabs()->setCurrentIndex(1);
    QCOMPARE(f.last_box(), QStringLiteral("The duct segment must be defined"));
    QCOMPARE(dialog.tabs()->currentIndex(), 0);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(define));

    // The button's segment sheet: the element, a length, OK.
    bool nested = false;
    QTimer::singleShot(0, [&] {
        auto* segment = qobject_cast<ui::DuctSegmentSheetDialog*>(QApplication::activeModalWidget());
        if (!segment) return;
        nested = true;
        auto* element = child<QComboBox>(*segment, "element");
        element->setCurrentIndex(element->findText(QStringLiteral("round")));
        segment->tabs()->setCurrentIndex(1);
        type_into(child<QLineEdit>(*segment, "length"), QStringLiteral("3"));
        press_ok(*segment);
    });
    define->click();
    QVERIFY(nested);
    QCOMPARE(child<QLabel>(dialog, "downward_state")->text(), QStringLiteral("Defined"));
    press_ok(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const Junction* j = f.project().junctions.at(1);
    QVERIFY(j && j->duct);
    QCOMPARE(j->duct->element, round);
    QCOMPARE(j->duct->len, 3.0f);
}

void JunctionDialogsTest::balance_coefficient_answered_no_keeps_its_value()
{
    Fixture f;
    JunctionSheet sheet = f.terminal_sheet();
    ui::JunctionSheetDialog dialog(sheet, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.tabs()->setCurrentIndex(1);
    f.port.answers = {Answer::No};
    auto* balance = child<QLineEdit>(dialog, "balance_loss");
    type_into(balance, QStringLiteral("0.5"));
    QCOMPARE(f.port.questions.size(), std::size_t(1));
    QCOMPARE(balance->text().trimmed(), QStringLiteral("0"));
    QCOMPARE(sheet.junction().terminal.balance_coefficient(), 0.0f);
    f.port.answers = {Answer::Yes};
    type_into(balance, QStringLiteral("0.5"));
    QCOMPARE(balance->text().trimmed(), QStringLiteral("0.5"));
}

void JunctionDialogsTest::segment_sheet_refuses_then_stores_the_segment()
{
    Fixture f;
    f.element("round");
    DuctSegmentSheet sheet = f.segment_sheet();
    ui::DuctSegmentSheetDialog dialog(sheet, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Duct Segment Properties"));
    QCOMPARE(tab_titles(dialog.tabs()), (QStringList{"Duct Element", "Duct Segment", "Schedule", "Filter"}));
    dialog.tabs()->setCurrentIndex(1);
    QCOMPARE(dialog.tabs()->currentIndex(), 0);
    QVERIFY(f.last_box().startsWith(QStringLiteral("A Name must be selected.")));

    auto* element = child<QComboBox>(dialog, "element");
    QCOMPARE(element->itemText(0), QStringLiteral(" <required>"));
    element->setCurrentIndex(element->findText(QStringLiteral("round")));
    QVERIFY(child<QLabel>(dialog, "element_summary")->text().contains(QStringLiteral("Darcey-Colebrook Model")));
    dialog.tabs()->setCurrentIndex(1);
    QCOMPARE(dialog.tabs()->currentIndex(), 1);
    press_ok(dialog);
    QVERIFY(f.last_box().startsWith(QStringLiteral("Darcy-Colebrook duct elements require")));
    QCOMPARE(dialog.tabs()->currentIndex(), 1);
    QVERIFY(dialog.isVisible());

    type_into(child<QLineEdit>(dialog, "loss_coefficients"), QStringLiteral("1.5"));
    auto* south = child<QRadioButton>(dialog, "direction_1");
    QCOMPARE(south->text(), QStringLiteral("Southward"));
    south->click();
    press_ok(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const DuctSegment* d = f.project().ducts.at(1);
    QVERIFY(d);
    QCOMPARE(d->sllc, 1.5f);
    QCOMPARE(int(d->dir), 4);
    QCOMPARE(f.grid().current().Ducts(kPiece.row, kPiece.col), ICN_SEGMENT_S);
    QCOMPARE(f.grid().current().Paths(kPiece.row, kPiece.col), 1);
}

QTEST_MAIN(JunctionDialogsTest)
#include "junction_dialogs_test.moc"
