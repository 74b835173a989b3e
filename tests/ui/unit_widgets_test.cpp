#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>
#include <QtTest>

#include <cstdint>
#include <memory>

#include "model/species.h"
#include "model/unit_field.h"
#include "support/scripted_port.h"
#include "ui/unit_widgets.h"

using namespace avelor;

namespace {

constexpr int kFeet = 1;  // Length units: m, ft, ...

// A window holding a unit edit and a plain edit to move the focus to.
struct Form {
    explicit Form(UnitField& field) : Form(std::make_unique<ui::UnitFieldEdit>(field)) {}
    explicit Form(std::unique_ptr<ui::UnitFieldEdit> made)
    {
        auto* layout = new QVBoxLayout(&window);
        edit = made.release();
        layout->addWidget(edit);
        other = new QLineEdit(&window);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
    }
    bool ready() { return QTest::qWaitForWindowActive(&window); }
    // Types text into the edit as a person would: focus, select all, type.
    void type(const QString& text)
    {
        edit->setFocus(Qt::TabFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void leave() { other->setFocus(Qt::TabFocusReason); }

    QWidget window;
    ui::UnitFieldEdit* edit = nullptr;
    QLineEdit* other = nullptr;
};

}  // namespace

class UnitWidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void typed_value_is_stored_in_the_base_unit();
    void value_out_of_bounds_is_refused_and_the_old_text_comes_back();
    void form_hook_validates_instead_of_the_field();
    void choosing_a_unit_shows_the_value_in_it();
    void unit_the_species_cannot_support_puts_the_old_unit_back();
};

void UnitWidgetsTest::initTestCase()
{
    // A locale writing decimal commas: the widgets must not follow it.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void UnitWidgetsTest::typed_value_is_stored_in_the_base_unit()
{
    testing::ScriptedPort port;
    float stored = 0.5f;  // m
    UnitField field(stored, UnitKind::Length, kFeet, 0.01f, 1.0f);
    Form form(field);
    QVERIFY(form.ready());
    QCOMPARE(form.edit->text(), QString::fromStdString(format_number(0.5 / 0.3048, 6)));

    // Leaving by the focus.
    form.type(QStringLiteral("3.0"));
    QCOMPARE(stored, 0.5f);  // nothing is stored while typing
    form.leave();
    QVERIFY(!form.edit->hasFocus());
    QCOMPARE(stored, 0.9144f);
    QCOMPARE(form.edit->text(), QStringLiteral("     3"));

    // Leaving by Return.
    form.type(QStringLiteral("1.5e0"));
    QTest::keyClick(form.edit, Qt::Key_Return);
    QCOMPARE(stored, 0.4572f);
    QCOMPARE(form.edit->text(), QStringLiteral("   1.5"));

    // Leaving an untouched field validates its text as shown, once.
    QSignalSpy validations(form.edit, &ui::UnitFieldEdit::validated);
    form.edit->setFocus(Qt::TabFocusReason);
    form.leave();
    QCOMPARE(validations.size(), 1);
    QCOMPARE(stored, 0.4572f);
    QVERIFY(port.boxes.empty());
}

void UnitWidgetsTest::value_out_of_bounds_is_refused_and_the_old_text_comes_back()
{
    struct Case {
        QString typed;
        std::string box;
    };
    const Case cases[] = {
        {QStringLiteral("4"), " Value must not be greater than 3.28084 ft\n"},
        {QStringLiteral("0,5"), " Not a valid number: \"0,5\"\n"},
    };
    for (const Case& c : cases) {
        testing::ScriptedPort port;
        float stored = 0.5f;
        UnitField field(stored, UnitKind::Length, kFeet, 0.01f, 1.0f);
        Form form(field);
        QVERIFY(form.ready());
        const QString before = form.edit->text();
        form.type(c.typed);
        QCOMPARE(form.edit->text(), c.typed);
        form.leave();
        QCOMPARE(stored, 0.5f);
        QCOMPARE(form.edit->text(), before);
        QCOMPARE(port.boxes.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(port.boxes[0].caption), QStringLiteral("WARNING"));
        QCOMPARE(QString::fromStdString(port.boxes[0].text), QString::fromStdString(c.box));
    }
}

void UnitWidgetsTest::form_hook_validates_instead_of_the_field()
{
    testing::ScriptedPort port;
    float stored = 1.0f;
    UnitField field(stored, UnitKind::Length, 0);
    int calls = 0;
    Form form(std::make_unique<ui::UnitFieldEdit>(
        static_cast<const UnitField&>(field), [&](std::string_view text) {
            ++calls;
            return field.validate(text);
        }));
    QVERIFY(form.ready());
    form.type(QStringLiteral("2"));
    form.leave();
    QCOMPARE(calls, 1);
    QCOMPARE(stored, 2.0f);
    QVERIFY(form.edit->commit());
    QCOMPARE(calls, 2);
}

void UnitWidgetsTest::choosing_a_unit_shows_the_value_in_it()
{
    testing::ScriptedPort port;
    float stored = 1.0f;  // m
    std::int16_t unit = 0;
    UnitSelector selector(UnitKind::Length, stored, unit);
    UnitField field(stored, UnitKind::Length, unit);
    Form form(field);
    auto* combo = new ui::UnitSelectorCombo(selector, &form.window);
    auto* label = new QLabel(&form.window);
    combo->pair_with(form.edit);
    combo->set_label(label);
    QVERIFY(form.ready());
    QCOMPARE(combo->count(), 7);
    QCOMPARE(combo->itemText(6), QString::fromUtf8("\u00b5m"));
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(form.edit->text(), QStringLiteral("     1"));

    QSignalSpy changes(combo, &ui::UnitSelectorCombo::unit_changed);
    combo->setFocus(Qt::TabFocusReason);
    QTest::keyClick(combo, Qt::Key_Down);  // m -> ft
    QCOMPARE(combo->currentIndex(), kFeet);
    QCOMPARE(unit, std::int16_t{kFeet});
    QCOMPARE(field.unit(), kFeet);
    QCOMPARE(form.edit->text(), QString::fromStdString(format_number(1 / 0.3048, 6)));
    QCOMPARE(label->text(), QStringLiteral("ft"));
    QCOMPARE(stored, 1.0f);  // choosing a unit leaves the stored value alone
    QCOMPARE(changes.size(), 1);

    // The next value typed is read in the new unit.
    form.type(QStringLiteral("10"));
    form.leave();
    QCOMPARE(stored, 3.048f);
    QVERIFY(port.boxes.empty());
}

void UnitWidgetsTest::unit_the_species_cannot_support_puts_the_old_unit_back()
{
    testing::ScriptedPort port;
    Species gas;
    gas.molwt = 44;  // no particle diameter or density
    float rate = 1;
    std::int16_t unit = 12;  // kg/min
    UnitSelector selector(UnitKind::SourceStrength, rate, unit, &gas);
    UnitField field(rate, UnitKind::SourceStrength, unit, 0.0f, NO_LIMIT, &gas);
    Form form(field);
    auto* combo = new ui::UnitSelectorCombo(selector, &form.window);
    combo->pair_with(form.edit);
    QVERIFY(form.ready());
    const QString shown = form.edit->text();
    QSignalSpy changes(combo, &ui::UnitSelectorCombo::unit_changed);

    const int count = combo->findText(QStringLiteral("#/s"));
    QVERIFY(count > 0);
    combo->setCurrentIndex(count);
    QCOMPARE(combo->currentIndex(), 12);
    QCOMPARE(unit, std::int16_t{12});
    QCOMPARE(field.unit(), 12);
    QCOMPARE(form.edit->text(), shown);
    QCOMPARE(changes.size(), 0);
    QCOMPARE(port.boxes.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(port.boxes[0].caption), QStringLiteral("ERROR"));
    QCOMPARE(QString::fromStdString(port.boxes[0].text), QStringLiteral(" Units [#/s] require diameter and density\n"));
}

QTEST_MAIN(UnitWidgetsTest)
#include "unit_widgets_test.moc"
