#pragma once

// The charting facility: the one place that draws curves and result series.
// Every value drawn is computed by the caller; the facility only shows it.
//
// A chart's life: create it in a rectangle of a host widget (a dialog's
// chart area, or a chart window's whole client area less a small inset),
// fill one or two data sets, set titles, axes and series styles, and let the
// Chart object go out of scope when its window closes.

#include <QColor>
#include <QDateTime>
#include <QMetaObject>
#include <QRect>
#include <QString>

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QWidget;
QT_BEGIN_NAMESPACE
class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace avelor::ui {

// A data set of n series of m points each, all starting at (0, 0).
// Filled by whole series or point by point; indices out of range are refused
// (the call returns false) and never touch memory outside the set.
class ChartData {
public:
    ChartData(int series_count, int point_count);

    int series_count() const { return series_count_; }
    int point_count() const { return point_count_; }

    // Whole series: the first min(m, values.size()) points take the values.
    bool set_x(int series, std::span<const double> values);
    bool set_y(int series, std::span<const double> values);
    bool set_point(int series, int point, double x, double y);
    bool set_label(int series, std::string label);

    double x(int series, int point) const;
    double y(int series, int point) const;
    const std::string& label(int series) const;

private:
    bool valid_series(int series) const { return series >= 0 && series < series_count_; }
    std::size_t at(int series, int point) const;

    int series_count_;
    int point_count_;
    std::vector<double> x_;
    std::vector<double> y_;
    std::vector<std::string> labels_;
};

enum class LinePattern { solid, dash, dot, dash_dot, dash_dot_dot, none };

struct SeriesStyle {
    QColor colour;
    LinePattern pattern = LinePattern::solid;
    int width = 1;
};

// A style list: one entry per series, in series order.
using StyleList = std::vector<SeriesStyle>;

enum class ChartAxis { x, y, y2 };

// Seconds from a time base, the X values of a time axis.
double seconds_from(const QDateTime& base, const QDateTime& when);
// A label format of the form "%H:%M" or "%H" in the label form used by the
// axis ("HH:mm", "HH"); other text is kept literally.
QString time_label_format(const std::string& format);

class Chart {
public:
    // Chart windows draw the chart this far inside their client area.
    static constexpr int window_inset = 7;

    // A chart in the given rectangle of host (dialogs).
    Chart(QWidget& host, const QRect& area);
    // A chart filling host's client area less window_inset on every side,
    // following the host's size (chart windows).
    explicit Chart(QWidget& host);
    ~Chart();

    Chart(const Chart&) = delete;
    Chart& operator=(const Chart&) = delete;

    // Shows the data set against the Y axis (set 0) or the second Y axis
    // (set 1), replacing what that set showed before. The data are copied:
    // the ChartData may be released afterwards.
    void attach(const ChartData& data, ChartAxis y_axis = ChartAxis::y);
    void detach(ChartAxis y_axis);

    void set_header(std::vector<std::string> lines);
    const std::vector<std::string>& header() const { return header_; }

    void set_axis_title(ChartAxis axis, const std::string& title);
    void show_second_y_axis(bool shown);
    bool second_y_axis_shown() const { return y2_shown_; }

    // A fixed range; without one an axis spans its data.
    void set_axis_range(ChartAxis axis, double min, double max);
    void clear_axis_range(ChartAxis axis);
    // Distance between ticks in axis units (seconds on a time axis);
    // zero or less lets the facility choose.
    void set_tick_spacing(ChartAxis axis, double spacing);

    // X values become seconds from base and are labelled as times of day
    // in the given format ("%H:%M", "%H").
    void set_time_axis(const QDateTime& base, const std::string& format);
    void clear_time_axis();
    bool has_time_axis() const { return time_base_.has_value(); }

    // Series styles of a data set; series beyond the list keep the
    // facility's own colours.
    StyleList styles(ChartAxis y_axis = ChartAxis::y) const;
    void set_styles(const StyleList& styles, ChartAxis y_axis = ChartAxis::y);
    bool set_style(int series, const SeriesStyle& style, ChartAxis y_axis = ChartAxis::y);

    // The drawing itself, for the caller's appearance choices and for tests.
    QChartView* view() const { return view_.get(); }
    QChart* chart() const;
    std::vector<QLineSeries*> series(ChartAxis y_axis = ChartAxis::y) const;
    QValueAxis* value_axis(ChartAxis axis) const;
    QDateTimeAxis* time_axis() const { return time_x_; }

private:
    struct AxisSettings {
        QString title;
        std::optional<std::pair<double, double>> range;
        double tick = 0.0;
    };
    struct DataSet {
        std::vector<std::vector<std::pair<double, double>>> points;
        std::vector<std::string> labels;
        StyleList styles;
        std::vector<QLineSeries*> series;
    };

    void build(QWidget& host);
    DataSet& set_of(ChartAxis y_axis);
    const DataSet& set_of(ChartAxis y_axis) const;
    AxisSettings& settings_of(ChartAxis axis);
    void rebuild_x_axis();
    void rebuild_series(DataSet& set, ChartAxis y_axis);
    void apply_axes();
    void show_legend_if_named();
    void apply_style(QLineSeries& series, const SeriesStyle& style) const;
    std::pair<double, double> data_span(ChartAxis axis) const;

    std::unique_ptr<QChartView> view_;
    QMetaObject::Connection view_gone_;
    QValueAxis* x_ = nullptr;
    QDateTimeAxis* time_x_ = nullptr;
    QValueAxis* y_ = nullptr;
    QValueAxis* y2_ = nullptr;
    bool y2_shown_ = false;
    std::vector<std::string> header_;
    AxisSettings x_settings_;
    AxisSettings y_settings_;
    AxisSettings y2_settings_;
    std::optional<QDateTime> time_base_;
    std::string time_format_;
    DataSet primary_;
    DataSet secondary_;
};

}  // namespace avelor::ui
