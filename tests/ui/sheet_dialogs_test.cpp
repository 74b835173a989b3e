#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
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
#include "model/airflow_element.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "model/unit_field.h"
#include "support/scripted_port.h"
#include "ui/sheet_dialogs.h"

using namespace avelor;

namespace {

constexpr GridCell kCell{5, 6};

// A one-level project (3 m high) in a SketchPad with nothing drawn.
struct Fixture {
    testing::ScriptedPort port;
    EditorSession session;
    SubPathChains chains;

    Fixture()
    {
        prepare_sketchpad(session);
        port.boxes.clear();
    }
    Project& project() { return session.project(); }
    SketchGrid& grid() { return session.grid; }

    ZoneSheet new_zone_sheet()
    {
        grid().current().Sketch(kCell.row, kCell.col) = ICN_ZONE;
        grid().current().Paths(kCell.row, kCell.col) = ZONE_UNDEFINED;
        return ZoneSheet::for_new_zone(project(), grid(), kCell);
    }
    AirflowElement* element(const std::string& name, int type)
    {
        NewElementState state;
        AirflowElement e = new_airflow_element(type, {}, state);
        e.name = name;
        return project().elements.insert_copy(e);
    }
    // A new path at the cell; on a wall piece when wall is set.
    PathSheet path_sheet(bool wall)
    {
        grid().current().Walls(kCell.row, kCell.col) = wall ? ICN_WALL_H : 0;
        grid().current().Sketch(kCell.row, kCell.col) = ICN_PATH;
        return PathSheet(project(), grid(), kCell, new_flow_path(project(), grid(), kCell), 0);
    }
    // The last box's message without its margins.
    QString last_box() const
    {
        if (port.boxes.empty()) return {};
        return QString::fromStdString(port.boxes.back().text).trimmed();
    }
};

template <class T>
T* child(QWidget& dialog, const char* name)
{
    return dialog.findChild<T*>(QString::fromLatin1(name));
}

// Types into an edit as a person would and leaves it with Tab (Return
// would press the dialog's default button).
void type_into(QLineEdit* edit, const QString& text)
{
    QVERIFY(edit);
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
    QVERIFY(!edit->hasFocus());
}

void press_ok(QDialog& dialog)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(box);
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

QRadioButton* radio_in(QWidget& dialog, const char* group, int index)
{
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>())
        if (box->title() == QString::fromLatin1(group)) return box->findChildren<QRadioButton*>().value(index);
    return nullptr;
}

}  // namespace

class SheetDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void zone_values_typed_in_chosen_units_reach_the_record_on_ok();
    void refused_zone_name_keeps_the_sheet_on_its_page();
    void zone_sheet_runs_modally_beside_the_cell();
    void path_takes_the_chosen_element_multiplier_and_direction();
    void path_without_element_stays_open();
    void new_element_hook_gets_the_place_and_its_element_is_chosen();
    void variable_wind_takes_a_new_or_listed_profile();
};

void SheetDialogsTest::initTestCase()
{
    // A locale writing decimal commas: the sheets must not follow it.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void SheetDialogsTest::zone_values_typed_in_chosen_units_reach_the_record_on_ok()
{
    Fixture f;
    ZoneSheet sheet = f.new_zone_sheet();
    ui::ZoneSheetDialog dialog(sheet);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Zone Properties"));

    type_into(child<QLineEdit>(dialog, "name"), QStringLiteral("Office"));
    auto* volume_unit = child<QComboBox>(dialog, "volume_unit");
    const int cubic_feet = volume_unit->findText(QString::fromUtf8("ft\u00b3"));
    QVERIFY(cubic_feet > 0);
    volume_unit->setCurrentIndex(cubic_feet);
    // Volume and floor area share their unit.
    QCOMPARE(child<QComboBox>(dialog, "floor_area_unit")->currentText(), QString::fromUtf8("ft\u00b2"));
    type_into(child<QLineEdit>(dialog, "volume"), QStringLiteral("300"));
    auto* temperature_unit = child<QComboBox>(dialog, "temperature_unit");
    temperature_unit->setCurrentIndex(temperature_unit->findText(QString::fromUtf8("\u00b0F")));
    type_into(child<QLineEdit>(dialog, "temperature"), QStringLiteral("77"));
    // 300 ft³ on a 3 m (9.84 ft) level.
    QCOMPARE(child<QLineEdit>(dialog, "floor_area")->text().trimmed(),
             QString::fromStdString(format_number(300.0 / (3 / 0.3048), 0, 5)));

    press_ok(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(sheet.accepted());
    const Zone* zone = f.project().zones.at(sheet.number());
    QVERIFY(zone);
    QCOMPARE(QString::fromStdString(zone->name), QStringLiteral("Office"));
    QVERIFY(std::abs(zone->Vol - 8.4950539f) < 1e-5f);
    QVERIFY(std::abs(zone->T0 - 298.15f) < 1e-4f);
    QCOMPARE(zone->u[kZoneUnitVolume], std::int16_t(cubic_feet));
    QCOMPARE(f.grid().current().Paths(kCell.row, kCell.col), sheet.number());
    QVERIFY(f.port.boxes.empty());
}

void SheetDialogsTest::refused_zone_name_keeps_the_sheet_on_its_page()
{
    struct Case {
        QString name;
        bool by_ok;  // else by changing the page
        QString box;
    };
    const Case cases[] = {
        {QString(), false, QStringLiteral("Empty name not permitted")},
        {QStringLiteral("Office"), true,
         QStringLiteral("The Zone Name must not match another on this level.\nYou can either enter a different name "
                        "or CANCEL.")},
    };
    for (const Case& c : cases) {
        Fixture f;
        Zone other = new_zone(f.project());
        other.name = "Office";
        add_zone(f.project(), other)->level = f.project().current_level;
        ZoneSheet sheet = f.new_zone_sheet();
        const std::int32_t zones = f.project().zones.count();
        ui::ZoneSheetDialog dialog(sheet);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* name = child<QLineEdit>(dialog, "name");
        type_into(name, c.name);
        if (c.by_ok)
            press_ok(dialog);
        else
            dialog.tabs()->setCurrentIndex(2);
        QCOMPARE(f.last_box(), c.box);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.tabs()->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(name));
        QVERIFY(!sheet.accepted());
        QCOMPARE(f.project().zones.count(), zones);

        // A good name then passes.
        type_into(name, QStringLiteral("Lab"));
        press_ok(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.project().zones.count(), zones + 1);
    }
}

void SheetDialogsTest::zone_sheet_runs_modally_beside_the_cell()
{
    Fixture f;
    ZoneSheet sheet = f.new_zone_sheet();
    const QRect cell(10, 20, 12, 12);
    std::optional<QPoint> at;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<ui::ZoneSheetDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        at = dialog->pos();
        child<QLineEdit>(*dialog, "name")->setText(QStringLiteral("Hall"));
        child<QLineEdit>(*dialog, "name")->textEdited(QStringLiteral("Hall"));
        press_ok(*dialog);
    });
    QVERIFY(ui::run_zone_sheet(nullptr, sheet, cell));
    QVERIFY(at);
    QCOMPARE(at->x(), cell.x() + cell.width());
    QCOMPARE(QString::fromStdString(f.project().zones.at(sheet.number())->name), QStringLiteral("Hall"));
}

void SheetDialogsTest::path_takes_the_chosen_element_multiplier_and_direction()
{
    Fixture f;
    AirflowElement* orifice = f.element("orf", kPlrOrfc);
    PathSheet sheet = f.path_sheet(false);
    const int first_dir = sheet.path().dir;
    ui::PathSheetDialog dialog(sheet, f.chains, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Airflow Path Properties"));

    auto* element = child<QComboBox>(dialog, "element");
    QCOMPARE(element->itemText(0), QStringLiteral(" <required>"));
    element->setCurrentIndex(element->findText(QStringLiteral("orf")));
    QCOMPARE(sheet.path().element, orifice);
    QVERIFY(!child<QLabel>(dialog, "summary_type")->text().isEmpty());
    // One line per value of the element's dialog.
    QVERIFY(child<QLabel>(dialog, "summary_parameters")->text().count(QLatin1Char('\n')) >= 1);

    dialog.tabs()->setCurrentIndex(1);
    QCOMPARE(dialog.tabs()->currentIndex(), 1);
    type_into(child<QLineEdit>(dialog, "multiplier"), QStringLiteral("2.5"));
    const int other = 1 - sheet.direction_choice();
    QRadioButton* reverse = radio_in(dialog, "Positive Flow Direction", other);
    QVERIFY(reverse);
    QCOMPARE(reverse->text(), QString::fromStdString(sheet.direction_choices()[other]));
    reverse->click();

    press_ok(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const FlowPath* path = f.project().paths.at(sheet.number());
    QVERIFY(path);
    QCOMPARE(path->element, orifice);
    QCOMPARE(path->mult, 2.5f);
    QCOMPARE(int(path->dir), other == 1 ? first_dir + 3 : first_dir - 3);
    QCOMPARE(f.grid().current().Paths(kCell.row, kCell.col), sheet.number());
    QVERIFY(f.port.boxes.empty());
}

void SheetDialogsTest::path_without_element_stays_open()
{
    Fixture f;
    f.element("orf", kPlrOrfc);
    PathSheet sheet = f.path_sheet(false);
    ui::PathSheetDialog dialog(sheet, f.chains, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.tabs()->setCurrentIndex(5);
    QCOMPARE(dialog.tabs()->currentIndex(), 0);
    press_ok(dialog);
    QVERIFY(dialog.isVisible());
    QCOMPARE(f.port.boxes.size(), std::size_t{2});  // the page change and OK
    QCOMPARE(f.last_box(), QStringLiteral("A Name must be selected. You can do one of the following:\n1) Select "
                                          "from the Name drop-down list,\n2) Create a new element by clicking the "
                                          "'New Element' button, or\n3) CANCEL"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(child<QComboBox>(dialog, "element")));
    QCOMPARE(f.project().paths.count(), 0);
}

void SheetDialogsTest::new_element_hook_gets_the_place_and_its_element_is_chosen()
{
    Fixture f;
    f.element("orf", kPlrOrfc);
    PathSheet sheet = f.path_sheet(true);
    std::optional<ChooserContext> asked;
    ui::PathSheetHooks hooks;
    hooks.new_element = [&](QWidget*, const ChooserContext& context) {
        asked = context;
        return f.element("crack", kPlrLeak2);
    };
    ui::PathSheetDialog dialog(sheet, f.chains, hooks);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QPushButton* edit = nullptr;
    QPushButton* made = nullptr;
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
        if (b->text() == QStringLiteral("Edit Element")) edit = b;
        if (b->text() == QStringLiteral("New Element")) made = b;
    }
    QVERIFY(edit && made);
    QVERIFY(!edit->isEnabled());
    QTest::mouseClick(made, Qt::LeftButton);
    QVERIFY(asked);
    QCOMPARE(int(asked->place), int(PathPlace::OnWall));
    QVERIFY(asked->project_has_elements);
    QCOMPARE(child<QComboBox>(dialog, "element")->currentText(), QStringLiteral("crack"));
    QCOMPARE(sheet.path().element->name, std::string("crack"));
    // The new leakage type retitles the multiplier.
    QCOMPARE(child<QLabel>(dialog, "multiplier_label")->text(), QStringLiteral("Total length:"));
}

void SheetDialogsTest::variable_wind_takes_a_new_or_listed_profile()
{
    Fixture f;
    f.element("orf", kPlrOrfc);
    WindProfile listed = new_wind_profile();
    listed.name = "listed";
    f.project().wind_profiles.insert_copy(listed);
    PathSheet sheet = f.path_sheet(true);
    sheet.choose_element(f.project().elements.head());
    int edits = 0;
    ui::PathSheetHooks hooks;
    hooks.new_profile = [&](QWidget*) {
        WindProfile made = new_wind_profile();
        made.name = "made";
        made.desc = "made in the dialog";
        return f.project().wind_profiles.insert_copy(made);
    };
    hooks.edit_profile = [&](QWidget*, WindProfile&) { return ++edits > 0; };
    ui::PathSheetDialog dialog(sheet, f.chains, hooks);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.tabs()->setCurrentIndex(2);
    QCOMPARE(dialog.tabs()->currentIndex(), 2);
    radio_in(dialog, "Wind Pressure Option", 2)->click();
    auto* profile = child<QComboBox>(dialog, "profile");
    QCOMPARE(profile->itemText(0), QStringLiteral(" <req'd>"));
    QCOMPARE(profile->count(), 2);
    auto* edit = child<QPushButton>(dialog, "edit_profile");
    QVERIFY(!edit->isEnabled());
    QPushButton* library = nullptr;
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>())
        if (box->title() == QStringLiteral("Variable Pressure Data"))
            for (QPushButton* b : box->findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("Library...")) library = b;
    QVERIFY(library && library->isEnabled());  // opens the library manager for wind profiles

    QTest::mouseClick(child<QPushButton>(dialog, "new_profile"), Qt::LeftButton);
    QCOMPARE(profile->currentText(), QStringLiteral("made"));
    QCOMPARE(child<QLabel>(dialog, "profile_description")->text(), QStringLiteral("made in the dialog"));
    QVERIFY(edit->isEnabled());
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(edits, 1);
    profile->setCurrentIndex(profile->findText(QStringLiteral("listed")));
    QCOMPARE(sheet.path().wind_profile, f.project().wind_profiles.find_by_name("listed"));
}

QTEST_MAIN(SheetDialogsTest)
#include "sheet_dialogs_test.moc"
