#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QPointer>
#include <QValueAxis>
#include <QWidget>
#include <QtTest>

#include <array>
#include <memory>

#include "ui/chart_facility.h"

using namespace avelor::ui;

namespace {

const QDateTime day_start(QDate(2024, 3, 5), QTime(0, 0));

// Two series of four points: the first filled whole, the second point by point.
ChartData two_series()
{
    ChartData data(2, 4);
    const std::array<double, 4> xs{0.0, 600.0, 1200.0, 3000.0};
    const std::array<double, 4> ys{1.0, 2.5, 4.0, 3.0};
    data.set_x(0, xs);
    data.set_y(0, ys);
    data.set_label(0, "Zone 1");
    for (int p = 0; p < 4; ++p) data.set_point(1, p, xs[static_cast<std::size_t>(p)], -1.0 * p);
    data.set_label(1, "Zone 2");
    return data;
}

}  // namespace

class ChartFacilityTest : public QObject {
    Q_OBJECT
private slots:
    void data_set_refuses_indices_outside_it();
    void time_axis_chart_with_two_styled_series();
    void second_y_axis_takes_the_second_data_set();
    void axes_span_their_data_until_given_a_range();
    void time_formats_data();
    void time_formats();
    void chart_window_follows_its_host_inset();
    void destroying_releases_the_widgets();
    void host_closing_first_leaves_a_harmless_handle();
};

void ChartFacilityTest::data_set_refuses_indices_outside_it()
{
    ChartData data(2, 3);
    QVERIFY(!data.set_point(2, 0, 1.0, 1.0));
    QVERIFY(!data.set_point(0, 3, 1.0, 1.0));
    QVERIFY(!data.set_point(-1, 0, 1.0, 1.0));
    QVERIFY(!data.set_label(5, "x"));
    const std::array<double, 5> many{1, 2, 3, 4, 5};
    QVERIFY(data.set_x(1, many));  // only the set's three points are taken
    QCOMPARE(data.x(1, 2), 3.0);
    QCOMPARE(data.x(0, 2), 0.0);
    QCOMPARE(data.x(1, 3), 0.0);  // reading outside gives zero, not memory past the set
}

void ChartFacilityTest::time_axis_chart_with_two_styled_series()
{
    QWidget host;
    host.resize(500, 400);
    Chart chart(host, QRect(10, 20, 300, 200));
    QCOMPARE(chart.view()->parentWidget(), &host);
    QCOMPARE(chart.view()->geometry(), QRect(10, 20, 300, 200));

    {
        const ChartData data = two_series();
        chart.attach(data);
    }  // the data set is released; the chart keeps what it shows
    chart.set_header({"Contaminant Concentrations", "Day 1 <all>"});
    chart.set_axis_title(ChartAxis::x, "Time of Day [hour]");
    chart.set_axis_title(ChartAxis::y, "Concentration [kg/kg]");
    chart.set_time_axis(day_start, "%H:%M");
    chart.set_axis_range(ChartAxis::x, 0.0, 3000.0);
    chart.set_tick_spacing(ChartAxis::x, 600.0);
    chart.set_axis_range(ChartAxis::y, -5.0, 5.0);
    chart.set_tick_spacing(ChartAxis::y, 2.5);
    chart.set_styles({{QColor(255, 0, 0), LinePattern::solid, 1}, {QColor(0, 0, 255), LinePattern::dash, 2}});

    QChart* c = chart.chart();
    QVERIFY(c->title().contains("Contaminant Concentrations"));
    QVERIFY(c->title().contains("Day 1 &lt;all&gt;"));
    QCOMPARE(chart.header().size(), std::size_t{2});

    const auto series = chart.series();
    QCOMPARE(series.size(), std::size_t{2});
    QCOMPARE(c->series().size(), 2);
    QCOMPARE(series[0]->count(), 4);
    QCOMPARE(series[1]->count(), 4);
    QCOMPARE(series[0]->name(), QString("Zone 1"));
    // X values are seconds from the time base.
    const double base_ms = static_cast<double>(day_start.toMSecsSinceEpoch());
    QCOMPARE(series[0]->at(1), QPointF(base_ms + 600'000.0, 2.5));
    QCOMPARE(series[1]->at(3), QPointF(base_ms + 3'000'000.0, -3.0));
    QVERIFY(c->legend()->isVisible());

    QCOMPARE(series[0]->pen().color(), QColor(255, 0, 0));
    QCOMPARE(series[0]->pen().style(), Qt::SolidLine);
    QCOMPARE(series[1]->pen().color(), QColor(0, 0, 255));
    QCOMPARE(series[1]->pen().style(), Qt::DashLine);
    QCOMPARE(chart.styles()[1].pattern, LinePattern::dash);

    QDateTimeAxis* time = chart.time_axis();
    QVERIFY(time->isVisible());
    QVERIFY(!chart.value_axis(ChartAxis::x)->isVisible());
    QCOMPARE(time->format(), QString("HH:mm"));
    QCOMPARE(time->titleText(), QString("Time of Day [hour]"));
    QCOMPARE(time->min(), day_start);
    QCOMPARE(time->max(), day_start.addSecs(3000));
    QCOMPARE(time->tickCount(), 6);  // every ten minutes over fifty
    QVERIFY(series[0]->attachedAxes().contains(time));

    QValueAxis* y = chart.value_axis(ChartAxis::y);
    QCOMPARE(y->titleText(), QString("Concentration [kg/kg]"));
    QCOMPARE(y->min(), -5.0);
    QCOMPARE(y->max(), 5.0);
    QCOMPARE(y->tickType(), QValueAxis::TicksDynamic);
    QCOMPARE(y->tickInterval(), 2.5);
    QVERIFY(!chart.value_axis(ChartAxis::y2)->isVisible());

    // A later style for one series leaves the other as it was.
    QVERIFY(chart.set_style(0, {QColor(0, 100, 0), LinePattern::dot, 1}));
    QCOMPARE(series[0]->pen().color(), QColor(0, 100, 0));
    QCOMPARE(series[0]->pen().style(), Qt::DotLine);
    QCOMPARE(series[1]->pen().color(), QColor(0, 0, 255));
    QVERIFY(!chart.set_style(2, {QColor(1, 2, 3), LinePattern::dot, 1}));

    // Leaving the time axis puts the plain seconds back on a value axis.
    chart.clear_time_axis();
    QVERIFY(!time->isVisible());
    QVERIFY(chart.value_axis(ChartAxis::x)->isVisible());
    QCOMPARE(chart.series()[0]->at(1), QPointF(600.0, 2.5));
    QCOMPARE(chart.series()[0]->pen().color(), QColor(0, 100, 0));
}

void ChartFacilityTest::second_y_axis_takes_the_second_data_set()
{
    QWidget host;
    Chart chart(host, QRect(0, 0, 200, 100));
    chart.attach(two_series());
    ChartData dp(1, 3);
    const std::array<double, 3> xs{0.0, 10.0, 20.0};
    const std::array<double, 3> ys{-4.0, 8.0, 2.0};
    dp.set_x(0, xs);
    dp.set_y(0, ys);
    chart.attach(dp, ChartAxis::y2);
    chart.set_axis_title(ChartAxis::y2, "Pressure Difference [Pa]");

    QValueAxis* y2 = chart.value_axis(ChartAxis::y2);
    QVERIFY(chart.second_y_axis_shown());
    QVERIFY(y2->isVisible());
    QCOMPARE(y2->alignment(), Qt::AlignRight);
    QCOMPARE(y2->titleText(), QString("Pressure Difference [Pa]"));
    QCOMPARE(chart.series(ChartAxis::y2).size(), std::size_t{1});
    QVERIFY(chart.series(ChartAxis::y2)[0]->attachedAxes().contains(y2));
    QVERIFY(!chart.series(ChartAxis::y)[0]->attachedAxes().contains(y2));
    QCOMPARE(chart.chart()->series().size(), 3);
    QCOMPARE(y2->min(), -4.0);
    QCOMPARE(y2->max(), 8.0);

    chart.show_second_y_axis(false);
    QVERIFY(!y2->isVisible());
}

void ChartFacilityTest::axes_span_their_data_until_given_a_range()
{
    QWidget host;
    Chart chart(host, QRect(0, 0, 200, 100));
    chart.attach(two_series());
    QValueAxis* x = chart.value_axis(ChartAxis::x);
    QValueAxis* y = chart.value_axis(ChartAxis::y);
    QCOMPARE(x->min(), 0.0);
    QCOMPARE(x->max(), 3000.0);
    QCOMPARE(y->min(), -3.0);
    QCOMPARE(y->max(), 4.0);
    QCOMPARE(y->tickType(), QValueAxis::TicksFixed);

    chart.set_axis_range(ChartAxis::y, 0.0, 10.0);
    chart.set_axis_range(ChartAxis::y, 5.0, 1.0);  // refused: min above max
    QCOMPARE(y->min(), 0.0);
    QCOMPARE(y->max(), 10.0);
    chart.clear_axis_range(ChartAxis::y);
    QCOMPARE(y->max(), 4.0);
}

void ChartFacilityTest::time_formats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("expected");
    QTest::newRow("hours and minutes") << "%H:%M" << "HH:mm";
    QTest::newRow("hours") << "%H" << "HH";
    QTest::newRow("literal text") << "%H h" << "HH' h'";
    QTest::newRow("percent") << "%%%H" << "%HH";
    QTest::newRow("trailing percent") << "%H%" << "HH%";
    QTest::newRow("quote") << "%H'" << "HH''''";
}

void ChartFacilityTest::time_formats()
{
    QFETCH(QString, format);
    QFETCH(QString, expected);
    QCOMPARE(time_label_format(format.toStdString()), expected);

    QWidget host;
    Chart chart(host, QRect(0, 0, 100, 100));
    chart.set_time_axis(day_start, format.toStdString());
    QCOMPARE(chart.time_axis()->format(), expected);
    QCOMPARE(seconds_from(day_start, day_start.addSecs(5400)), 5400.0);
}

void ChartFacilityTest::chart_window_follows_its_host_inset()
{
    QWidget host;
    host.resize(400, 300);
    Chart chart(host);
    QCOMPARE(chart.view()->geometry(), QRect(7, 7, 386, 286));
    host.show();  // a hidden widget hears of its new size only when shown
    host.resize(250, 120);
    QCOMPARE(chart.view()->geometry(), QRect(7, 7, 236, 106));
}

void ChartFacilityTest::destroying_releases_the_widgets()
{
    QWidget host;
    auto chart = std::make_unique<Chart>(host);
    chart->attach(two_series());
    chart->set_time_axis(day_start, "%H");
    QPointer<QChartView> view = chart->view();
    QPointer<QChart> drawn = chart->chart();
    QPointer<QLineSeries> line = chart->series()[1];
    QPointer<QDateTimeAxis> time = chart->time_axis();
    QVERIFY(view && drawn && line && time);
    QCOMPARE(host.findChildren<QChartView*>().size(), 1);

    chart.reset();
    QVERIFY(!view);
    QVERIFY(!drawn);
    QVERIFY(!line);
    QVERIFY(!time);
    QVERIFY(host.findChildren<QChartView*>().isEmpty());
    QVERIFY(host.findChildren<QObject*>().isEmpty());  // nothing left behind, not even the resize follower
}

void ChartFacilityTest::host_closing_first_leaves_a_harmless_handle()
{
    auto host = std::make_unique<QWidget>();
    Chart chart(*host);
    chart.attach(two_series());
    host.reset();
    QCOMPARE(chart.view(), nullptr);
    QCOMPARE(chart.chart(), nullptr);
    QVERIFY(chart.series().empty());
    chart.attach(two_series());  // nothing to draw on any more, and no harm done
    chart.set_axis_title(ChartAxis::y, "Temperature [C]");
    chart.set_time_axis(day_start, "%H");
    QVERIFY(chart.series().empty());
}

QTEST_MAIN(ChartFacilityTest)
#include "chart_facility_test.moc"
