#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

#include "forms/control_node_forms.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "ui/control_dialogs.h"

using namespace avelor;

namespace {

// Drives the modal dialog a run_* call opens: act runs once it is up and
// must close it.
void when_open(std::function<void(QDialog&)> act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            qWarning("no modal dialog");
            return;
        }
        act(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
}

template <class W>
W* child(QDialog& dialog, const QString& name)
{
    W* w = dialog.findChild<W*>(name);
    if (!w) qWarning("missing %s", qPrintable(name));
    return w;
}

void press_ok(QDialog& dialog)
{
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

}  // namespace

class ControlDialogsTest : public QObject {
    Q_OBJECT
private slots:
    // With two arrowheads in, only the two- and many-input types can be
    // chosen, "+ Add" is checked, and OK takes the button checked.
    void chooser_enables_by_inputs_and_takes_the_choice()
    {
        testing::ScriptedPort port;
        ControlTypeChooser chooser(2, 0, ControlEditMode::Building);
        bool add_checked = false, constant_enabled = true, multiply_enabled = false;
        when_open([&](QDialog& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Control Element Types"));
            add_checked = child<QRadioButton>(d, QStringLiteral("Type%1").arg(kCtAdd))->isChecked();
            constant_enabled = child<QRadioButton>(d, QStringLiteral("Type%1").arg(kCtSet))->isEnabled();
            auto* multiply = child<QRadioButton>(d, QStringLiteral("Type%1").arg(kCtMul));
            multiply_enabled = multiply->isEnabled();
            multiply->click();
            press_ok(d);
        });
        QVERIFY(ui::run_control_chooser(nullptr, chooser));
        QVERIFY(add_checked);
        QVERIFY(!constant_enabled);
        QVERIFY(multiply_enabled);
        QCOMPARE(chooser.chosen_type(), int(kCtMul));
    }

    // The polynomial dialog: order 1 with coefficients 1 and 1; a raised
    // order and a replaced coefficient reach the form on OK.
    void polynomial_dialog_edits_order_and_coefficients()
    {
        testing::ScriptedPort port;
        Project project;
        ControlNodeForm form(project, new_control_node(kCtPly, ControlEditMode::Building), {}, nullptr);
        int rows_at_open = 0;
        when_open([&](QDialog& d) {
            auto* list = child<QTreeWidget>(d, QStringLiteral("Coefficients"));
            rows_at_open = list->topLevelItemCount();
            child<QSpinBox>(d, QStringLiteral("Order"))->setValue(2);
            list->setCurrentItem(list->topLevelItem(2));
            auto* value = child<QLineEdit>(d, QStringLiteral("CoefficientValue"));
            value->setText(QStringLiteral("4"));
            child<QPushButton>(d, QStringLiteral("Replace"))->click();
            child<QLineEdit>(d, QStringLiteral("Name"))->setText(QStringLiteral("poly"));
            press_ok(d);
        });
        QVERIFY(ui::run_control_node_dialog(nullptr, form, project));
        QCOMPARE(rows_at_open, 2);
        const auto& c = std::get<PolynomialData>(form.working().data).coefficients;
        QCOMPARE(int(c.size()), 3);
        QCOMPARE(c[2], 4.0f);
        QCOMPARE(QString::fromStdString(form.working().name), QStringLiteral("poly"));
    }

    // A refused OK (a hysteresis slack of 0.6) keeps the dialog open.
    void refused_slack_keeps_the_dialog_open()
    {
        testing::ScriptedPort port;
        Project project;
        ControlNodeForm form(project, new_control_node(kCtHys, ControlEditMode::Building), {}, nullptr);
        bool still_open = false;
        when_open([&](QDialog& d) {
            child<QLineEdit>(d, QStringLiteral("Slack"))->setText(QStringLiteral("0.6"));
            press_ok(d);
            still_open = d.isVisible();
        });
        QVERIFY(!ui::run_control_node_dialog(nullptr, form, project));
        QVERIFY(still_open);
        QVERIFY(!port.boxes.empty());
    }
};

QTEST_MAIN(ControlDialogsTest)
#include "control_dialogs_test.moc"
