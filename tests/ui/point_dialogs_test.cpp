#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <cstdlib>
#include <functional>

#include "model/airflow_rules.h"
#include "model/point_lists.h"
#include "model/project.h"
#include "support/scripted_port.h"
#include "ui/point_dialogs.h"

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
W* child(QDialog& dialog, const char* name)
{
    W* w = dialog.findChild<W*>(QString::fromLatin1(name));
    if (!w) qWarning("missing %s", name);
    return w;
}

void click(QDialog& dialog, const char* name) { child<QPushButton>(dialog, name)->click(); }
void press_ok(QDialog& dialog) { child<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok)->click(); }

void type_into(QDialog& dialog, const char* name, const QString& text)
{
    auto* edit = child<QLineEdit>(dialog, name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void select_row(QDialog& dialog, int row)
{
    auto* list = child<QListWidget>(dialog, "points");
    list->setCurrentRow(row);
    list->item(row)->setSelected(true);
}

void enter_spline_point(QDialog& dialog, const QString& x, const QString& y)
{
    type_into(dialog, "x_value", x);
    type_into(dialog, "y_value", y);
}

void enter_fan_point(QDialog& dialog, const QString& flow, const QString& rise)
{
    type_into(dialog, "flow", flow);
    type_into(dialog, "rise", rise);  // the revised rise follows
}

AirflowElement new_spline(Project& project, int type, const char* name)
{
    NewElementState state;
    AirflowElement e = new_airflow_element(type, new_element_context(project), state);
    e.name = name;
    return e;
}

QImage chart_image(QDialog& dialog)
{
    return child<QChartView>(dialog, "chart")->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QString output_dir()
{
    const char* tmp = std::getenv("TEST_TMPDIR");
    return tmp && *tmp ? QString::fromLocal8Bit(tmp) : QDir::currentPath();
}

// The share of pixels whose colour differs noticeably.
double differing_share(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return 1.0;
    long long differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q))});
            if (d > 40) ++differing;
        }
    return static_cast<double>(differing) / (a.width() * a.height());
}

}  // namespace

class PointDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void spline_dialog_refuses_until_the_curve_rises();
    void fan_dialog_refuses_a_turning_curve_and_stores_a_falling_one();
    void charts_match_the_reference_image();
};

void PointDialogsTest::spline_dialog_refuses_until_the_curve_rises()
{
    testing::ScriptedPort port;
    Project project;
    AirflowElement copy = new_spline(project, kCsfQsp, "curve1");
    QString title;
    int rows_after_three = -1;
    bool delete_enabled = true;
    bool open_after_few = false, open_after_falling = false;
    std::vector<testing::ShownBox> boxes;
    QString last_row;

    when_open([&](QDialog& d) {
        title = d.windowTitle();
        enter_spline_point(d, "1", "1");
        click(d, "insert");
        enter_spline_point(d, "3", "3");
        click(d, "insert");
        enter_spline_point(d, "2", "2");
        click(d, "insert");
        rows_after_three = child<QListWidget>(d, "points")->count();
        press_ok(d);
        open_after_few = d.isVisible();
        enter_spline_point(d, "4", "0.5");
        click(d, "insert");
        delete_enabled = child<QPushButton>(d, "delete")->isEnabled();
        press_ok(d);
        open_after_falling = d.isVisible();
        boxes = port.boxes;
        select_row(d, 3);
        QCOMPARE(child<QLineEdit>(d, "x_value")->text(), QStringLiteral("4"));
        type_into(d, "y_value", "5");
        click(d, "replace");
        child<QComboBox>(d, "y_unit")->setCurrentIndex(1);
        last_row = child<QListWidget>(d, "points")->item(3)->text();
        press_ok(d);
    });
    AirflowElement* stored = ui::run_spline_element_dialog(nullptr, project, copy, nullptr);

    QCOMPARE(title, QStringLiteral("Cubic Spline Data - Q vs P"));
    QCOMPARE(rows_after_three, 3);
    QVERIFY(!delete_enabled);  // four points are the least
    QVERIFY(open_after_few);
    QVERIFY(open_after_falling);
    QCOMPARE(boxes.size(), std::size_t{2});
    QCOMPARE(boxes[0].text, std::string(" Minimum of 4 points required.\n"));
    QVERIFY(boxes[1].text.starts_with(" Unacceptable curve fit.\n  seg "));
    QVERIFY(boxes[1].text.find("seg   2: y' <= 0") != std::string::npos);
    QVERIFY(stored);
    QCOMPARE(project.elements.find_by_name("curve1"), stored);
    const auto& points = std::get<SplineData>(stored->data);
    QCOMPARE(points.x, (std::vector<float>{1, 2, 3, 4}));
    QCOMPARE(points.y, (std::vector<float>{1, 2, 3, 5}));
    // Another unit rebuilds the rows in it, and is kept.
    QCOMPARE(points.u_Y, std::int16_t{1});
    SplineData shown = points;
    QCOMPARE(last_row, QString::fromStdString(SplinePointList(shown, kCsfQsp).row_text(3, true)));
}

void PointDialogsTest::fan_dialog_refuses_a_turning_curve_and_stores_a_falling_one()
{
    testing::ScriptedPort port;
    FanData fan;
    QString revised_follows;
    bool open_after_turning = false;
    std::vector<testing::ShownBox> boxes;
    FanData during;

    when_open([&](QDialog& d) {
        // dP = 400 - 10 F - 5 F^2 - F^3, but the last point turns it up.
        enter_fan_point(d, "0", "400");
        revised_follows = child<QLineEdit>(d, "revised")->text();
        click(d, "insert");
        enter_fan_point(d, "3", "420");
        click(d, "insert");
        enter_fan_point(d, "1", "384");
        click(d, "insert");
        enter_fan_point(d, "2", "352");
        click(d, "insert");
        press_ok(d);
        open_after_turning = d.isVisible();
        boxes = port.boxes;
        during = fan;
        select_row(d, 3);
        type_into(d, "rise", "298");
        click(d, "replace");
        press_ok(d);
    });
    QVERIFY(ui::run_fan_points_dialog(nullptr, fan, 0, 0));

    QCOMPARE(revised_follows, QStringLiteral("400"));
    QVERIFY(open_after_turning);
    QCOMPARE(boxes.size(), std::size_t{1});
    QCOMPARE(boxes[0].text, std::string(" The fitted curve includes points of contraflecture. Either modify the fan "
                                        "curve or CANCEL.\n"));
    QVERIFY(during == FanData{});  // nothing reaches the element before OK accepts
    QCOMPARE(fan.points.size(), std::size_t{4});
    const std::array<double, 4> expected{400, -10, -5, -1};
    for (std::size_t i = 0; i < 4; ++i) QVERIFY2(std::fabs(fan.c[i] - expected[i]) < 1e-2, qPrintable(QString::number(i)));
    QCOMPARE(fan.sop, fan.c[0]);
    const double f = fan.fdf;
    QVERIFY(f > 5 && std::fabs(400 - 10 * f - 5 * f * f - f * f * f) < 0.01);
}

void PointDialogsTest::charts_match_the_reference_image()
{
    testing::ScriptedPort port;
    Project project;
    AirflowElement copy = new_spline(project, kCsfFsp, "dip");
    // A curve whose middle segment dips: drawn as a failed segment.
    auto& data = std::get<SplineData>(copy.data);
    data.x = {0, 10, 20, 30};
    data.y = {0, 1, 0.5f, 1.5f};
    QImage spline_chart;
    QColor failed_colour;
    int spline_series = 0;
    when_open([&](QDialog& d) {
        spline_chart = chart_image(d);
        const auto series = child<QChartView>(d, "chart")->chart()->series();
        spline_series = static_cast<int>(series.size());
        if (!series.isEmpty()) failed_colour = static_cast<QLineSeries*>(series.back())->color();
    });
    QVERIFY(!ui::run_spline_element_dialog(nullptr, project, copy, nullptr));

    FanData fan;
    for (float f : {0.0f, 1.0f, 2.0f, 3.0f, 4.0f}) {
        const float dp = 400 - 10 * f - 5 * f * f - f * f * f;
        fan.points.push_back({f, 0, dp + 20, 0, dp, 0});
    }
    QImage fan_chart;
    when_open([&](QDialog& d) { fan_chart = chart_image(d); });
    QVERIFY(!ui::run_fan_points_dialog(nullptr, fan, 0, 0));

    QCOMPARE(spline_series, 4);  // points, two passing runs, one failed run
    QCOMPARE(failed_colour, QColor(220, 0, 0));
    QVERIFY(!spline_chart.isNull() && spline_chart.size() == fan_chart.size());

    QImage both(spline_chart.width() * 2, spline_chart.height(), QImage::Format_RGB32);
    {
        QPainter painter(&both);
        painter.drawImage(0, 0, spline_chart);
        painter.drawImage(spline_chart.width(), 0, fan_chart);
    }
    const QString reference = QStringLiteral(AVELOR_SOURCE_DIR "/tests/data/reference/point_dialog_charts.png");
    const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
    const double share = differing_share(both, expected);
    if (expected.isNull() || share >= 0.02) {
        const QString fresh = output_dir() + QStringLiteral("/point_dialog_charts.png");
        both.save(fresh);
        QFAIL(qPrintable(QStringLiteral("charts differ from %1 in %2 of the pixels; this rendering: %3")
                             .arg(reference)
                             .arg(share)
                             .arg(fresh)));
    }
}

QTEST_MAIN(PointDialogsTest)
#include "point_dialogs_test.moc"
