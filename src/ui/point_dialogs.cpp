#include "ui/point_dialogs.h"

#include <QChartView>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/diagnostics.h"
#include "app/lists.h"
#include "model/airflow_rules.h"
#include "model/curve_samples.h"
#include "model/duct_element.h"
#include "model/point_lists.h"
#include "model/project.h"
#include "model/unit_field.h"
#include "model/units.h"
#include "ui/chart_facility.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

// The size of the chart each dialog shows.
constexpr int kChartWidth = 440;
constexpr int kChartHeight = 330;
constexpr std::size_t kDescriptionChars = 70;

const QColor kPointColour(0, 0, 0);
const QColor kCurveColour(0, 0, 200);
const QColor kFailedColour(220, 0, 0);
const QColor kRevisedColour(0, 140, 0);

QString qs(std::string_view text) { return from_1252(text); }

int valid_unit(UnitKind kind, int unit) { return unit_index_valid(kind, unit) ? unit : 0; }

double shown_value(float value, UnitKind kind, int unit)
{
    return convert_units(value, true, kind, valid_unit(kind, unit));
}

// A typed number in the unit shown, as a base-unit float; nothing when the
// text is not a number.
std::optional<float> base_value(const QLineEdit* edit, UnitKind kind, int unit)
{
    const auto typed = parse_typed_number(to_1252(edit->text()));
    if (!typed) return std::nullopt;
    return convert_units(static_cast<float>(*typed), false, kind, valid_unit(kind, unit));
}

QComboBox* unit_combo(QWidget* parent, UnitKind kind, int unit, const char* object_name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(object_name));
    for (const std::string& name : unit_display_names(kind)) box->addItem(qs(name));
    box->setCurrentIndex(valid_unit(kind, unit));
    return box;
}

QPushButton* button(QWidget* parent, const char* text, const char* object_name)
{
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QString::fromLatin1(object_name));
    b->setAutoDefault(false);
    return b;
}

QLineEdit* line_edit(QWidget* parent, const char* object_name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(object_name));
    return e;
}

QListWidget* point_list(QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(QStringLiteral("points"));
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setMinimumWidth(420);
    return list;
}

std::optional<std::size_t> selected_row(const QListWidget* list)
{
    const int row = list->currentRow();
    if (row < 0 || !list->item(row) || !list->item(row)->isSelected()) return std::nullopt;
    return static_cast<std::size_t>(row);
}

std::string axis_title(UnitKind kind, std::string_view caption, int unit)
{
    return std::string(caption) + " [" + unit_display_name(kind, valid_unit(kind, unit)) + "]";
}

// One chart series: what it draws and how.
struct Drawn {
    const CurveRun* run;
    SeriesStyle style;
    bool markers = false;
};

// Shows the runs as one data set. Every series of a set has the same number
// of points: a shorter line repeats its last point, a shorter set of markers
// goes round its points again, so that every marker is drawn alike.
void draw(Chart& chart, const std::vector<Drawn>& drawn)
{
    std::size_t longest = 1;
    for (const Drawn& d : drawn) longest = std::max(longest, d.run->size());
    ChartData data(static_cast<int>(drawn.size()), static_cast<int>(longest));
    StyleList styles;
    for (std::size_t s = 0; s < drawn.size(); ++s) {
        const CurveRun& run = *drawn[s].run;
        for (std::size_t p = 0; p < longest && run.size() > 0; ++p) {
            const std::size_t at = drawn[s].markers ? p % run.size() : std::min(p, run.size() - 1);
            data.set_point(static_cast<int>(s), static_cast<int>(p), run.x[at], run.y[at]);
        }
        styles.push_back(drawn[s].style);
    }
    chart.attach(data);
    chart.set_styles(styles);
    // A margin around the data, so that no marker sits on an axis.
    double x_lo = 0, x_hi = 0, y_lo = 0, y_hi = 0;
    bool any = false;
    for (const Drawn& d : drawn)
        for (std::size_t p = 0; p < d.run->size(); ++p) {
            const double x = d.run->x[p], y = d.run->y[p];
            x_lo = any ? std::min(x_lo, x) : x;
            x_hi = any ? std::max(x_hi, x) : x;
            y_lo = any ? std::min(y_lo, y) : y;
            y_hi = any ? std::max(y_hi, y) : y;
            any = true;
        }
    const auto widen = [](double lo, double hi) {
        const double span = hi > lo ? hi - lo : std::max(std::fabs(hi), 1.0);
        return std::pair{lo - 0.05 * span, hi + 0.05 * span};
    };
    const auto [x_min, x_max] = widen(x_lo, x_hi);
    const auto [y_min, y_max] = widen(y_lo, y_hi);
    chart.set_axis_range(ChartAxis::x, x_min, x_max);
    chart.set_axis_range(ChartAxis::y, y_min, y_max);
    const std::vector<QLineSeries*> series = chart.series();
    for (std::size_t s = 0; s < series.size() && s < drawn.size(); ++s) {
        // Empty runs (no curve yet) stay invisible rather than a dot at 0, 0.
        series[s]->setVisible(drawn[s].run->size() > 0);
        if (!drawn[s].markers) continue;
        series[s]->setPointsVisible(true);
        series[s]->setMarkerSize(7);
        series[s]->setColor(drawn[s].style.colour);
    }
}

// The Insert, Replace and Delete buttons under a point list, then OK and
// Cancel, which accept or reject the dialog.
struct PointButtons {
    QPushButton* insert;
    QPushButton* replace;
    QPushButton* remove;
};

PointButtons add_point_buttons(QDialog* dialog, QVBoxLayout* left)
{
    auto* edits = new QHBoxLayout;
    left->addLayout(edits);
    const PointButtons b{button(dialog, "Insert", "insert"), button(dialog, "Replace", "replace"),
                         button(dialog, "Delete", "delete")};
    edits->addWidget(b.insert);
    edits->addWidget(b.replace);
    edits->addWidget(b.remove);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName(QStringLiteral("buttons"));
    left->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return b;
}

std::unique_ptr<Chart> make_chart(QWidget* parent, QHBoxLayout* row)
{
    auto* host = new QWidget(parent);
    host->setFixedSize(kChartWidth, kChartHeight);
    row->addWidget(host, 0, Qt::AlignTop);
    auto chart = std::make_unique<Chart>(*host, QRect(0, 0, kChartWidth, kChartHeight));
    chart->view()->setObjectName(QStringLiteral("chart"));
    chart->view()->setRenderHint(QPainter::Antialiasing, true);
    return chart;
}

// ---- cubic spline data ----

struct SplineAxes {
    const char* title;
    const char* x_caption;
    const char* y_caption;
};

SplineAxes spline_axes(const SplineKinds& kinds)
{
    if (kinds.x == UnitKind::PressureDifference)
        return kinds.y == UnitKind::VolumeFlow
                   ? SplineAxes{"Cubic Spline Data - Q vs P", "Pressure", "Volume Flow Rate"}
                   : SplineAxes{"Cubic Spline Data - F vs P", "Pressure", "Mass Flow Rate"};
    return kinds.x == UnitKind::VolumeFlow
               ? SplineAxes{"Cubic Spline Data - P vs Q", "Volume Flow Rate", "Pressure"}
               : SplineAxes{"Cubic Spline Data - P vs F", "Mass Flow Rate", "Pressure"};
}

// The spline data of one element: its own name and description, or, for a
// duct element, those of the duct element's sheet shown but not edited.
// OK hands the name and description to the owner's hook, which runs the
// point test and the name rules; a refusal keeps the dialog open.
class SplineDataDialog : public QDialog {
public:
    using OkHook = std::function<bool(const std::string& name, const std::string& desc, bool& name_refused)>;

    SplineDataDialog(QWidget* parent, SplineData& data, int type, const std::string& name, const std::string& desc,
                     OkHook ok)
        : QDialog(parent),
          ok_(std::move(ok)),
          type_(type),
          name_text_(name),
          data_(&data),
          list_(*data_, type),
          kinds_(spline_kinds(type)),
          axes_(spline_axes(kinds_))
    {
        setWindowTitle(QString::fromLatin1(axes_.title));
        auto* row = new QHBoxLayout(this);
        auto* left = new QVBoxLayout;
        row->addLayout(left);

        auto* ids = new QGridLayout;
        left->addLayout(ids);
        name_ = line_edit(this, "name");
        name_->setMaxLength(static_cast<int>(kNameSize - 1));
        name_->setText(qs(name));
        description_ = line_edit(this, "description");
        description_->setMaxLength(static_cast<int>(kDescriptionChars));
        description_->setText(qs(desc));
        // The duct element dialog owns a duct element's name and description.
        const bool own_name = type < kFirstDuctType;
        name_->setEnabled(own_name);
        description_->setEnabled(own_name);
        ids->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 0);
        ids->addWidget(name_, 0, 1);
        ids->addWidget(new QLabel(QStringLiteral("Description:"), this), 1, 0);
        ids->addWidget(description_, 1, 1);

        list_widget_ = point_list(this);
        left->addWidget(list_widget_);

        auto* fields = new QGridLayout;
        left->addLayout(fields);
        x_unit_ = unit_combo(this, kinds_.x, data_->u_X, "x_unit");
        y_unit_ = unit_combo(this, kinds_.y, data_->u_Y, "y_unit");
        x_edit_ = line_edit(this, "x_value");
        y_edit_ = line_edit(this, "y_value");
        fields->addWidget(new QLabel(QString::fromLatin1(axes_.x_caption) + QStringLiteral(" (X):"), this), 0, 0);
        fields->addWidget(x_edit_, 0, 1);
        fields->addWidget(x_unit_, 0, 2);
        fields->addWidget(new QLabel(QString::fromLatin1(axes_.y_caption) + QStringLiteral(" (Y):"), this), 1, 0);
        fields->addWidget(y_edit_, 1, 1);
        fields->addWidget(y_unit_, 1, 2);

        const PointButtons edits = add_point_buttons(this, left);
        insert_ = edits.insert;
        replace_ = edits.replace;
        delete_ = edits.remove;
        chart_ = make_chart(this, row);

        connect(insert_, &QPushButton::clicked, this, [this] { insert_point(); });
        connect(replace_, &QPushButton::clicked, this, [this] { replace_point(); });
        connect(delete_, &QPushButton::clicked, this, [this] { delete_point(); });
        connect(list_widget_, &QListWidget::currentRowChanged, this, [this](int) { show_selected(); });
        connect(x_unit_, &QComboBox::currentIndexChanged, this, [this](int) { units_chosen(); });
        connect(y_unit_, &QComboBox::currentIndexChanged, this, [this](int) { units_chosen(); });

        list_.set_units(static_cast<std::int16_t>(x_unit_->currentIndex()),
                        static_cast<std::int16_t>(y_unit_->currentIndex()));
        refresh(false, std::nullopt);
    }

    void accept() override
    {
        name_text_ = to_1252(name_->text());
        bool name_refused = false;
        // The point test comes first, then the name rules; every refusal
        // has shown its box and the dialog stays open.
        if (!ok_(name_text_, to_1252(description_->text()), name_refused)) {
            if (name_refused) name_->setFocus();
            return;
        }
        QDialog::accept();
    }

private:
    std::optional<std::pair<float, float>> entered() const
    {
        const auto x = base_value(x_edit_, kinds_.x, data_->u_X);
        const auto y = base_value(y_edit_, kinds_.y, data_->u_Y);
        if (!x || !y) {
            beep();
            return std::nullopt;
        }
        return std::pair{*x, *y};
    }

    void insert_point()
    {
        if (!list_.can_insert()) return;
        const auto xy = entered();
        if (!xy) return;
        list_.insert(xy->first, xy->second);
        refresh(false, row_of(xy->first));
    }

    void replace_point()
    {
        const auto row = selected_row(list_widget_);
        if (!row || !list_.can_replace()) return;
        const auto xy = entered();
        if (!xy) return;
        list_.replace(*row, xy->first, xy->second);
        refresh(false, row_of(xy->first));
    }

    void delete_point()
    {
        const auto row = selected_row(list_widget_);
        if (!row || !list_.can_delete()) return;
        list_.remove(*row);
        refresh(false, std::nullopt);
    }

    std::optional<std::size_t> row_of(float x) const
    {
        for (std::size_t i = 0; i < list_.size(); ++i)
            if (list_.x(i) == x) return i;
        return std::nullopt;
    }

    void units_chosen()
    {
        list_.set_units(static_cast<std::int16_t>(x_unit_->currentIndex()),
                        static_cast<std::int16_t>(y_unit_->currentIndex()));
        refresh(true, selected_row(list_widget_));
    }

    void show_selected()
    {
        const auto row = selected_row(list_widget_);
        if (!row || *row >= list_.size()) return;
        x_edit_->setText(qs(format_number(shown_value(list_.x(*row), kinds_.x, data_->u_X), 6)));
        y_edit_->setText(qs(format_number(shown_value(list_.y(*row), kinds_.y, data_->u_Y), 6)));
    }

    // Rows, buttons and chart after a change. rebuilt: the rows' form after a
    // unit change; a point edit fills the list in the plain form again.
    void refresh(bool rebuilt, std::optional<std::size_t> select)
    {
        {
            const QSignalBlocker quiet(list_widget_);
            list_widget_->clear();
            for (std::size_t i = 0; i < list_.size(); ++i) list_widget_->addItem(qs(list_.row_text(i, rebuilt)));
            if (select && *select < list_.size()) {
                list_widget_->setCurrentRow(static_cast<int>(*select));
                list_widget_->item(static_cast<int>(*select))->setSelected(true);
            }
        }
        insert_->setEnabled(list_.can_insert());
        replace_->setEnabled(list_.can_replace());
        delete_->setEnabled(list_.can_delete());
        redraw();
    }

    void redraw()
    {
        samples_ = sample_spline(*data_, type_, name_text_);
        std::vector<Drawn> drawn{{&samples_.points, {kPointColour, LinePattern::none, 1}, true}};
        for (const CurveRun& run : samples_.passed) drawn.push_back({&run, {kCurveColour, LinePattern::solid, 2}});
        for (const CurveRun& run : samples_.failed) drawn.push_back({&run, {kFailedColour, LinePattern::solid, 2}});
        draw(*chart_, drawn);
        chart_->set_axis_title(ChartAxis::x, axis_title(kinds_.x, axes_.x_caption, data_->u_X));
        chart_->set_axis_title(ChartAxis::y, axis_title(kinds_.y, axes_.y_caption, data_->u_Y));
    }

    OkHook ok_;
    int type_;
    std::string name_text_;
    SplineData* data_;
    SplinePointList list_;
    SplineKinds kinds_;
    SplineAxes axes_;
    SplineSamples samples_;
    std::unique_ptr<Chart> chart_;

    QLineEdit* name_ = nullptr;
    QLineEdit* description_ = nullptr;
    QListWidget* list_widget_ = nullptr;
    QComboBox* x_unit_ = nullptr;
    QComboBox* y_unit_ = nullptr;
    QLineEdit* x_edit_ = nullptr;
    QLineEdit* y_edit_ = nullptr;
    QPushButton* insert_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* delete_ = nullptr;
};

// ---- fan performance ----

class FanPerformanceDialog : public QDialog {
public:
    FanPerformanceDialog(QWidget* parent, FanData& fan, std::int16_t flow_unit, std::int16_t pressure_unit)
        : QDialog(parent), fan_(&fan), work_(fan), list_(work_, flow_unit, pressure_unit)
    {
        setWindowTitle(QStringLiteral("Fan Performance Data"));
        auto* row = new QHBoxLayout(this);
        auto* left = new QVBoxLayout;
        row->addLayout(left);

        auto* header = new QLabel(QStringLiteral("Flow Rate / Pressure Rise / Revised Pressure Rise"), this);
        left->addWidget(header);
        list_widget_ = point_list(this);
        left->addWidget(list_widget_);

        auto* fields = new QGridLayout;
        left->addLayout(fields);
        flow_ = line_edit(this, "flow");
        rise_ = line_edit(this, "rise");
        revised_ = line_edit(this, "revised");
        flow_unit_ = unit_combo(this, UnitKind::MassFlow, list_.flow_unit(), "flow_unit");
        pressure_unit_ = unit_combo(this, UnitKind::PressureDifference, list_.pressure_unit(), "pressure_unit");
        fields->addWidget(new QLabel(QStringLiteral("Flow Rate:"), this), 0, 0);
        fields->addWidget(flow_, 0, 1);
        fields->addWidget(flow_unit_, 0, 2);
        fields->addWidget(new QLabel(QStringLiteral("Pressure Rise:"), this), 1, 0);
        fields->addWidget(rise_, 1, 1);
        fields->addWidget(pressure_unit_, 1, 2);
        fields->addWidget(new QLabel(QStringLiteral("Revised Pressure Rise:"), this), 2, 0);
        fields->addWidget(revised_, 2, 1);

        const PointButtons edits = add_point_buttons(this, left);
        insert_ = edits.insert;
        replace_ = edits.replace;
        delete_ = edits.remove;
        chart_ = make_chart(this, row);

        connect(insert_, &QPushButton::clicked, this, [this] { insert_point(); });
        connect(replace_, &QPushButton::clicked, this, [this] { replace_point(); });
        connect(delete_, &QPushButton::clicked, this, [this] { delete_point(); });
        connect(list_widget_, &QListWidget::currentRowChanged, this, [this](int) { show_selected(); });
        // Typing a pressure rise types the revised rise too.
        connect(rise_, &QLineEdit::textEdited, revised_, &QLineEdit::setText);
        connect(flow_unit_, &QComboBox::currentIndexChanged, this, [this](int) { units_chosen(); });
        connect(pressure_unit_, &QComboBox::currentIndexChanged, this, [this](int) { units_chosen(); });
        refresh(std::nullopt);
    }

    void accept() override
    {
        // With too few points nothing happens; a refused fit has said why.
        if (!list_.accept()) return;
        *fan_ = work_;
        QDialog::accept();
    }

private:
    std::optional<FanPointEntry> entered() const
    {
        const auto flow = base_value(flow_, UnitKind::MassFlow, list_.flow_unit());
        const auto rise = base_value(rise_, UnitKind::PressureDifference, list_.pressure_unit());
        const auto revised = base_value(revised_, UnitKind::PressureDifference, list_.pressure_unit());
        if (!flow || !rise || !revised) {
            beep();
            return std::nullopt;
        }
        FanPointEntry entry;
        entry.flow = *flow;
        entry.set_rise(*rise);
        entry.revised = *revised;
        return entry;
    }

    void insert_point()
    {
        if (!list_.can_insert()) return;
        const auto entry = entered();
        if (!entry) return;
        list_.insert(*entry);
        refresh(row_of(entry->flow));
    }

    void replace_point()
    {
        const auto row = selected_row(list_widget_);
        if (!row || !list_.can_replace()) return;
        const auto entry = entered();
        if (!entry) return;
        list_.replace(*row, *entry);
        refresh(row_of(entry->flow));
    }

    void delete_point()
    {
        const auto row = selected_row(list_widget_);
        if (!row || !list_.can_delete()) return;
        list_.remove(*row);
        refresh(std::nullopt);
    }

    std::optional<std::size_t> row_of(float flow) const
    {
        for (std::size_t i = 0; i < list_.size(); ++i)
            if (list_.point(i).F == flow) return i;
        return std::nullopt;
    }

    void units_chosen()
    {
        list_.set_units(static_cast<std::int16_t>(flow_unit_->currentIndex()),
                        static_cast<std::int16_t>(pressure_unit_->currentIndex()));
        refresh(selected_row(list_widget_));
    }

    void show_selected()
    {
        const auto row = selected_row(list_widget_);
        if (!row || *row >= list_.size()) return;
        const FanPoint& p = list_.point(*row);
        const auto text = [](double v) { return qs(format_number(v, 6)); };
        flow_->setText(text(shown_value(p.F, UnitKind::MassFlow, list_.flow_unit())));
        rise_->setText(text(shown_value(p.dP, UnitKind::PressureDifference, list_.pressure_unit())));
        revised_->setText(text(shown_value(p.rP, UnitKind::PressureDifference, list_.pressure_unit())));
    }

    void refresh(std::optional<std::size_t> select)
    {
        {
            const QSignalBlocker quiet(list_widget_);
            list_widget_->clear();
            for (std::size_t i = 0; i < list_.size(); ++i) list_widget_->addItem(qs(list_.row_text(i)));
            if (select && *select < list_.size()) {
                list_widget_->setCurrentRow(static_cast<int>(*select));
                list_widget_->item(static_cast<int>(*select))->setSelected(true);
            }
        }
        insert_->setEnabled(list_.can_insert());
        replace_->setEnabled(list_.can_replace());
        delete_->setEnabled(list_.can_delete());
        redraw();
    }

    // The points and, from four distinct flows on, the cubic OK would fit:
    // drawn in the failure colour while it turns.
    void redraw()
    {
        samples_ = sample_fan_curve(work_, list_.flow_unit(), list_.pressure_unit());
        const std::vector<Drawn> drawn{
            {&samples_.rise, {kPointColour, LinePattern::none, 1}, true},
            {&samples_.revised, {kRevisedColour, LinePattern::none, 1}, true},
            {&samples_.curve, {samples_.monotonic ? kCurveColour : kFailedColour, LinePattern::solid, 2}},
        };
        draw(*chart_, drawn);
        chart_->set_axis_title(ChartAxis::x, axis_title(UnitKind::MassFlow, "Flow Rate", list_.flow_unit()));
        chart_->set_axis_title(ChartAxis::y,
                               axis_title(UnitKind::PressureDifference, "Pressure Rise", list_.pressure_unit()));
    }

    FanData* fan_;
    FanData work_;
    FanPointList list_;
    FanSamples samples_;
    std::unique_ptr<Chart> chart_;

    QListWidget* list_widget_ = nullptr;
    QLineEdit* flow_ = nullptr;
    QLineEdit* rise_ = nullptr;
    QLineEdit* revised_ = nullptr;
    QComboBox* flow_unit_ = nullptr;
    QComboBox* pressure_unit_ = nullptr;
    QPushButton* insert_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* delete_ = nullptr;
};

}  // namespace

bool run_fan_points_dialog(QWidget* parent, FanData& fan, std::int16_t flow_unit, std::int16_t pressure_unit)
{
    FanPerformanceDialog dialog(parent, fan, flow_unit, pressure_unit);
    return dialog.exec() == QDialog::Accepted;
}

AirflowElement* run_spline_element_dialog(QWidget* parent, Project& project, AirflowElement& copy,
                                          AirflowElement* stored)
{
    if (!is_spline_type(copy.type) || !std::holds_alternative<SplineData>(copy.data)) return nullptr;
    AirflowElement* record = nullptr;
    SplineDataDialog dialog(parent, std::get<SplineData>(copy.data), copy.type, copy.name, copy.desc,
                            [&](const std::string& name, const std::string& desc, bool& name_refused) {
                                copy.name = name;
                                copy.desc = desc;
                                const AcceptOutcome outcome = accept_element(project, copy, stored);
                                name_refused = outcome.verdict.field == "name";
                                record = outcome.record;
                                return record != nullptr;
                            });
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return record;
}

bool run_duct_spline_dialog(QWidget* parent, SplineData& data, int type, const std::string& name,
                            const std::string& desc)
{
    if (!is_duct_spline_type(type)) return false;
    // The points change only when OK accepts them.
    SplineData work = data;
    SplineDataDialog dialog(parent, work, type, name, desc, [&](const std::string&, const std::string&, bool&) {
        return static_cast<bool>(SplinePointList(work, type).check(name));
    });
    if (dialog.exec() != QDialog::Accepted) return false;
    data = std::move(work);
    return true;
}

}  // namespace avelor::ui
