#include "ui/chart_facility.h"

#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QEvent>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace avelor::ui {

namespace {

// More ticks than this on one axis are not drawn; the axis picks its own.
constexpr double max_ticks = 1000.0;

// Keeps a chart view at the host's client area less the window inset.
class InsetFollower : public QObject {
public:
    InsetFollower(QWidget& host, QWidget& view) : QObject(&view), host_(host), view_(view)
    {
        host.installEventFilter(this);
        place();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &host_ && event->type() == QEvent::Resize) place();
        return false;
    }

private:
    void place()
    {
        const int d = Chart::window_inset;
        QRect area = host_.rect().adjusted(d, d, -d, -d);
        if (area.width() < 0) area.setWidth(0);
        if (area.height() < 0) area.setHeight(0);
        view_.setGeometry(area);
    }

    QWidget& host_;
    QWidget& view_;
};

Qt::PenStyle pen_style(LinePattern pattern)
{
    switch (pattern) {
    case LinePattern::solid: return Qt::SolidLine;
    case LinePattern::dash: return Qt::DashLine;
    case LinePattern::dot: return Qt::DotLine;
    case LinePattern::dash_dot: return Qt::DashDotLine;
    case LinePattern::dash_dot_dot: return Qt::DashDotDotLine;
    case LinePattern::none: return Qt::NoPen;
    }
    return Qt::SolidLine;
}

LinePattern pattern_of(Qt::PenStyle style)
{
    switch (style) {
    case Qt::DashLine: return LinePattern::dash;
    case Qt::DotLine: return LinePattern::dot;
    case Qt::DashDotLine: return LinePattern::dash_dot;
    case Qt::DashDotDotLine: return LinePattern::dash_dot_dot;
    case Qt::NoPen: return LinePattern::none;
    default: return LinePattern::solid;
    }
}

bool finite(double v) { return std::isfinite(v); }

// A usable axis span: finite, and widened when it is a single value.
std::pair<double, double> usable(std::pair<double, double> span)
{
    if (!finite(span.first) || !finite(span.second) || span.first > span.second) return {0.0, 1.0};
    if (span.first == span.second) {
        const double pad = span.first == 0.0 ? 0.5 : std::abs(span.first) * 0.05;
        return {span.first - pad, span.second + pad};
    }
    return span;
}

}  // namespace

// ---- ChartData ----

ChartData::ChartData(int series_count, int point_count)
    : series_count_(std::max(series_count, 0)), point_count_(std::max(point_count, 0)),
      x_(static_cast<std::size_t>(series_count_) * static_cast<std::size_t>(point_count_), 0.0),
      y_(x_.size(), 0.0), labels_(static_cast<std::size_t>(series_count_))
{
}

std::size_t ChartData::at(int series, int point) const
{
    return static_cast<std::size_t>(series) * static_cast<std::size_t>(point_count_) +
           static_cast<std::size_t>(point);
}

bool ChartData::set_x(int series, std::span<const double> values)
{
    if (!valid_series(series)) return false;
    const std::size_t n = std::min(values.size(), static_cast<std::size_t>(point_count_));
    std::copy_n(values.begin(), n, x_.begin() + static_cast<std::ptrdiff_t>(at(series, 0)));
    return true;
}

bool ChartData::set_y(int series, std::span<const double> values)
{
    if (!valid_series(series)) return false;
    const std::size_t n = std::min(values.size(), static_cast<std::size_t>(point_count_));
    std::copy_n(values.begin(), n, y_.begin() + static_cast<std::ptrdiff_t>(at(series, 0)));
    return true;
}

bool ChartData::set_point(int series, int point, double x, double y)
{
    if (!valid_series(series) || point < 0 || point >= point_count_) return false;
    x_[at(series, point)] = x;
    y_[at(series, point)] = y;
    return true;
}

bool ChartData::set_label(int series, std::string label)
{
    if (!valid_series(series)) return false;
    labels_[static_cast<std::size_t>(series)] = std::move(label);
    return true;
}

double ChartData::x(int series, int point) const
{
    if (!valid_series(series) || point < 0 || point >= point_count_) return 0.0;
    return x_[at(series, point)];
}

double ChartData::y(int series, int point) const
{
    if (!valid_series(series) || point < 0 || point >= point_count_) return 0.0;
    return y_[at(series, point)];
}

const std::string& ChartData::label(int series) const
{
    static const std::string none;
    return valid_series(series) ? labels_[static_cast<std::size_t>(series)] : none;
}

// ---- time values ----

double seconds_from(const QDateTime& base, const QDateTime& when)
{
    return static_cast<double>(base.msecsTo(when)) / 1000.0;
}

QString time_label_format(const std::string& format)
{
    QString out;
    QString literal;
    auto flush = [&] {
        if (literal.isEmpty()) return;
        // Letters and quotes would be read as fields; separators stand as they are.
        const bool quote = std::any_of(literal.begin(), literal.end(),
                                       [](QChar ch) { return ch.isLetter() || ch == QLatin1Char('\''); });
        if (quote)
            out += QLatin1Char('\'') + QString(literal).replace(QLatin1String("'"), QLatin1String("''")) +
                   QLatin1Char('\'');
        else
            out += literal;
        literal.clear();
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            literal += QLatin1Char(format[i]);
            continue;
        }
        const char c = format[++i];
        const char* field = nullptr;
        switch (c) {
        case 'H': field = "HH"; break;
        case 'M': field = "mm"; break;
        case 'S': field = "ss"; break;
        case 'd': field = "dd"; break;
        case 'm': field = "MM"; break;
        case 'y': field = "yy"; break;
        case 'Y': field = "yyyy"; break;
        default: break;
        }
        if (field) {
            flush();
            out += QLatin1String(field);
        } else {
            literal += QLatin1Char(c);  // "%%" and unknown fields show the character
        }
    }
    flush();
    return out;
}

// ---- Chart ----

Chart::Chart(QWidget& host, const QRect& area)
{
    build(host);
    view_->setGeometry(area);
}

Chart::Chart(QWidget& host)
{
    build(host);
    new InsetFollower(host, *view_);  // owned by the view
}

Chart::~Chart()
{
    QObject::disconnect(view_gone_);
    view_.reset();
}

void Chart::build(QWidget& host)
{
    // The view is a child of host; if host goes first, it takes the view with it.
    view_ = std::make_unique<QChartView>(&host);
    view_gone_ = QObject::connect(view_.get(), &QObject::destroyed, [this] {
        (void)view_.release();
        x_ = nullptr;
        time_x_ = nullptr;
        y_ = nullptr;
        y2_ = nullptr;
        primary_.series.clear();
        secondary_.series.clear();
    });
    view_->setRenderHint(QPainter::Antialiasing);
    QChart* c = view_->chart();
    c->legend()->setVisible(false);

    x_ = new QValueAxis;  // the axes belong to the chart from addAxis on
    time_x_ = new QDateTimeAxis;
    y_ = new QValueAxis;
    y2_ = new QValueAxis;
    c->addAxis(x_, Qt::AlignBottom);
    c->addAxis(time_x_, Qt::AlignBottom);
    c->addAxis(y_, Qt::AlignLeft);
    c->addAxis(y2_, Qt::AlignRight);
    time_x_->setVisible(false);
    y2_->setVisible(false);
    apply_axes();
    view_->show();
}

QChart* Chart::chart() const { return view_ ? view_->chart() : nullptr; }

Chart::DataSet& Chart::set_of(ChartAxis y_axis) { return y_axis == ChartAxis::y2 ? secondary_ : primary_; }

const Chart::DataSet& Chart::set_of(ChartAxis y_axis) const
{
    return y_axis == ChartAxis::y2 ? secondary_ : primary_;
}

Chart::AxisSettings& Chart::settings_of(ChartAxis axis)
{
    switch (axis) {
    case ChartAxis::x: return x_settings_;
    case ChartAxis::y: return y_settings_;
    case ChartAxis::y2: return y2_settings_;
    }
    return x_settings_;
}

std::vector<QLineSeries*> Chart::series(ChartAxis y_axis) const { return set_of(y_axis).series; }

QValueAxis* Chart::value_axis(ChartAxis axis) const
{
    switch (axis) {
    case ChartAxis::x: return x_;
    case ChartAxis::y: return y_;
    case ChartAxis::y2: return y2_;
    }
    return nullptr;
}

void Chart::attach(const ChartData& data, ChartAxis y_axis)
{
    const ChartAxis which = y_axis == ChartAxis::y2 ? ChartAxis::y2 : ChartAxis::y;
    DataSet& set = set_of(which);
    set.points.assign(static_cast<std::size_t>(data.series_count()), {});
    set.labels.assign(static_cast<std::size_t>(data.series_count()), {});
    for (int s = 0; s < data.series_count(); ++s) {
        auto& pts = set.points[static_cast<std::size_t>(s)];
        pts.reserve(static_cast<std::size_t>(data.point_count()));
        for (int p = 0; p < data.point_count(); ++p) pts.emplace_back(data.x(s, p), data.y(s, p));
        set.labels[static_cast<std::size_t>(s)] = data.label(s);
    }
    if (which == ChartAxis::y2) y2_shown_ = true;
    rebuild_series(set, which);
    apply_axes();
    show_legend_if_named();
}

void Chart::detach(ChartAxis y_axis)
{
    const ChartAxis which = y_axis == ChartAxis::y2 ? ChartAxis::y2 : ChartAxis::y;
    DataSet& set = set_of(which);
    set.points.clear();
    set.labels.clear();
    rebuild_series(set, which);
    apply_axes();
    show_legend_if_named();
}

void Chart::show_legend_if_named()
{
    QChart* c = chart();
    if (!c) return;
    auto named = [](const DataSet& set) {
        return std::any_of(set.labels.begin(), set.labels.end(), [](const std::string& l) { return !l.empty(); });
    };
    c->legend()->setVisible(named(primary_) || named(secondary_));
}

void Chart::rebuild_series(DataSet& set, ChartAxis y_axis)
{
    QChart* c = chart();
    if (!c) return;
    for (QLineSeries* old : set.series) {
        std::unique_ptr<QLineSeries> owned(old);  // the chart gives it back on removal
        c->removeSeries(old);
    }
    set.series.clear();

    const bool timed = time_base_.has_value();
    const double base_ms = timed ? static_cast<double>(time_base_->toMSecsSinceEpoch()) : 0.0;
    for (std::size_t s = 0; s < set.points.size(); ++s) {
        auto* line = new QLineSeries;  // owned by the chart from addSeries on
        line->setName(QString::fromStdString(set.labels[s]));
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(set.points[s].size()));
        for (const auto& [x, y] : set.points[s]) {
            if (!finite(x) || !finite(y)) continue;  // holes are not drawn
            points.append(QPointF(timed ? base_ms + x * 1000.0 : x, y));
        }
        line->replace(points);
        c->addSeries(line);
        line->attachAxis(timed ? static_cast<QAbstractAxis*>(time_x_) : x_);
        line->attachAxis(y_axis == ChartAxis::y2 ? y2_ : y_);
        if (s < set.styles.size()) apply_style(*line, set.styles[s]);
        set.series.push_back(line);
    }
}

void Chart::rebuild_x_axis()
{
    rebuild_series(primary_, ChartAxis::y);
    rebuild_series(secondary_, ChartAxis::y2);
    apply_axes();
}

std::pair<double, double> Chart::data_span(ChartAxis axis) const
{
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    auto take = [&](const DataSet& set, bool x) {
        for (const auto& pts : set.points)
            for (const auto& [px, py] : pts) {
                if (!finite(px) || !finite(py)) continue;
                const double v = x ? px : py;
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
    };
    if (axis == ChartAxis::x) {
        take(primary_, true);
        take(secondary_, true);
    } else {
        take(set_of(axis), false);
    }
    if (lo > hi) return {0.0, 1.0};
    return usable({lo, hi});
}

void Chart::apply_axes()
{
    if (!chart()) return;
    auto apply_value = [&](QValueAxis& axis, const AxisSettings& settings, std::pair<double, double> span) {
        axis.setTitleText(settings.title);
        axis.setRange(span.first, span.second);
        const double width = span.second - span.first;
        if (settings.tick > 0.0 && width / settings.tick <= max_ticks) {
            axis.setTickType(QValueAxis::TicksDynamic);
            axis.setTickAnchor(span.first);
            axis.setTickInterval(settings.tick);
        } else {
            axis.setTickType(QValueAxis::TicksFixed);
        }
    };

    const auto x_span = x_settings_.range ? usable(*x_settings_.range) : data_span(ChartAxis::x);
    const bool timed = time_base_.has_value();
    x_->setVisible(!timed);
    time_x_->setVisible(timed);
    if (timed) {
        time_x_->setTitleText(x_settings_.title);
        time_x_->setFormat(time_label_format(time_format_));
        const double width = x_span.second - x_span.first;
        const auto to_time = [&](double s) { return time_base_->addMSecs(std::llround(s * 1000.0)); };
        time_x_->setRange(to_time(x_span.first), to_time(x_span.second));
        int ticks = 5;
        if (x_settings_.tick > 0.0 && width / x_settings_.tick <= max_ticks)
            ticks = std::max(2, static_cast<int>(std::lround(width / x_settings_.tick)) + 1);
        time_x_->setTickCount(ticks);
    } else {
        apply_value(*x_, x_settings_, x_span);
    }

    apply_value(*y_, y_settings_, y_settings_.range ? usable(*y_settings_.range) : data_span(ChartAxis::y));
    y2_->setVisible(y2_shown_);
    apply_value(*y2_, y2_settings_, y2_settings_.range ? usable(*y2_settings_.range) : data_span(ChartAxis::y2));
}

void Chart::set_header(std::vector<std::string> lines)
{
    header_ = std::move(lines);
    if (QChart* c = chart()) {
        QStringList shown;
        for (const auto& line : header_) shown << QString::fromStdString(line).toHtmlEscaped();
        c->setTitle(shown.join(QLatin1String("<br>")));
    }
}

void Chart::set_axis_title(ChartAxis axis, const std::string& title)
{
    settings_of(axis).title = QString::fromStdString(title);
    apply_axes();
}

void Chart::show_second_y_axis(bool shown)
{
    y2_shown_ = shown;
    apply_axes();
}

void Chart::set_axis_range(ChartAxis axis, double min, double max)
{
    if (!finite(min) || !finite(max) || min > max) return;
    settings_of(axis).range = std::make_pair(min, max);
    apply_axes();
}

void Chart::clear_axis_range(ChartAxis axis)
{
    settings_of(axis).range.reset();
    apply_axes();
}

void Chart::set_tick_spacing(ChartAxis axis, double spacing)
{
    settings_of(axis).tick = finite(spacing) && spacing > 0.0 ? spacing : 0.0;
    apply_axes();
}

void Chart::set_time_axis(const QDateTime& base, const std::string& format)
{
    if (!base.isValid()) return;
    time_base_ = base;
    time_format_ = format;
    rebuild_x_axis();
}

void Chart::clear_time_axis()
{
    time_base_.reset();
    time_format_.clear();
    rebuild_x_axis();
}

void Chart::apply_style(QLineSeries& series, const SeriesStyle& style) const
{
    QPen pen = series.pen();
    if (style.colour.isValid()) pen.setColor(style.colour);
    pen.setStyle(pen_style(style.pattern));
    pen.setWidth(std::max(style.width, 0));
    series.setPen(pen);
}

StyleList Chart::styles(ChartAxis y_axis) const
{
    StyleList out;
    for (const QLineSeries* s : set_of(y_axis).series) {
        const QPen pen = s->pen();
        out.push_back({pen.color(), pattern_of(pen.style()), pen.width()});
    }
    return out;
}

void Chart::set_styles(const StyleList& styles, ChartAxis y_axis)
{
    DataSet& set = set_of(y_axis);
    set.styles = styles;
    for (std::size_t i = 0; i < set.series.size() && i < styles.size(); ++i) apply_style(*set.series[i], styles[i]);
}

bool Chart::set_style(int series, const SeriesStyle& style, ChartAxis y_axis)
{
    DataSet& set = set_of(y_axis);
    if (series < 0) return false;
    const auto i = static_cast<std::size_t>(series);
    if (i >= set.points.size()) return false;
    if (set.styles.size() <= i) {
        // Earlier series keep the look they have now.
        for (std::size_t k = set.styles.size(); k < i; ++k) {
            const QPen pen = k < set.series.size() ? set.series[k]->pen() : QPen();
            set.styles.push_back({pen.color(), pattern_of(pen.style()), pen.width()});
        }
        set.styles.push_back(style);
    } else {
        set.styles[i] = style;
    }
    if (i < set.series.size()) apply_style(*set.series[i], style);
    return true;
}

}  // namespace avelor::ui
