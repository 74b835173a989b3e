#include "ui/filter_dialogs.h"

#include "ui/sheet_widgets.h"

#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "forms/filter_data_forms.h"
#include "model/project.h"
#include "ui/chart_facility.h"
#include "ui/definition_list.h"
#include "ui/library_manager_dialog.h"
#include "ui/text_1252.h"
#include "ui/unit_widgets.h"

namespace avelor::ui {

namespace {

constexpr int kChartWidth = 540;
constexpr int kChartHeight = 330;
constexpr int kDescriptionChars = 70;

const QColor kPointColour(0, 0, 0);
const QColor kCurveColour(0, 0, 200);

QString qs(std::string_view text) { return from_1252(text); }

QPushButton* plain_button(QWidget* parent, const QString& text, const char* name)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLineEdit* name_edit(QWidget* parent, const std::string& text)
{
    auto* e = new QLineEdit(qs(text), parent);
    e->setObjectName(QStringLiteral("Name"));
    e->setMaxLength(static_cast<int>(kNameSize) - 1);
    return e;
}

QLineEdit* description_edit(QWidget* parent, const std::string& text)
{
    auto* e = new QLineEdit(qs(text), parent);
    e->setObjectName(QStringLiteral("Description"));
    e->setMaxLength(kDescriptionChars);
    // Room for the longest description.
    e->setMinimumWidth(e->fontMetrics().averageCharWidth() * 60);
    return e;
}

// The lists of names and values: 8-point "Courier New" (any fixed font
// where that is missing), so that the columns line up.
QListWidget* fixed_list(QWidget* parent, const char* name, int columns)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    QFont font(QStringLiteral("Courier New"), 8);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    list->setFont(font);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setMinimumWidth(QFontMetrics(font).horizontalAdvance(QLatin1Char('0')) * columns + 30);
    return list;
}

void fill_lines(QListWidget* list, const std::vector<std::string>& lines, int selected)
{
    const QSignalBlocker quiet(list);
    list->clear();
    for (const std::string& line : lines) list->addItem(qs(line));
    if (selected >= 0 && selected < list->count()) list->setCurrentRow(selected);
}

QDialogButtonBox* ok_cancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// A unit field and its unit box in a grid row.
UnitFieldEdit* field_row(QWidget* parent, QGridLayout* grid, int row, const QString& label, const UnitField& field,
                         UnitFieldEdit::LeaveHook leave, const char* name)
{
    auto* text = new QLabel(label, parent);
    auto* edit = new UnitFieldEdit(field, std::move(leave), parent);
    edit->setObjectName(QString::fromLatin1(name));
    text->setBuddy(edit);
    grid->addWidget(text, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

UnitSelectorCombo* unit_box(QWidget* parent, QGridLayout* grid, int row, const UnitSelector& selector,
                            UnitSelectorCombo::SelectHook select, UnitFieldEdit* edit, const char* name)
{
    auto* combo = new UnitSelectorCombo(selector, std::move(select), parent);
    combo->setObjectName(QString::fromLatin1(name));
    if (edit) combo->pair_with(edit);
    grid->addWidget(combo, row, 2);
    return combo;
}

// The chart of a curve dialog: the points as markers and the fitted curve.
class CurveChart {
public:
    CurveChart(QWidget* parent, QBoxLayout* row)
    {
        host_ = new QWidget(parent);
        host_->setFixedSize(kChartWidth, kChartHeight);
        row->addWidget(host_, 0, Qt::AlignTop);
        chart_ = std::make_unique<Chart>(*host_, QRect(0, 0, kChartWidth, kChartHeight));
        chart_->view()->setObjectName(QStringLiteral("chart"));
        chart_->view()->setRenderHint(QPainter::Antialiasing, true);
        QFont labels(QStringLiteral("Times New Roman"));
        labels.setStyleHint(QFont::Serif);
        chart_->chart()->setFont(labels);
    }

    // Sizes span decades: the particle chart's X axis is logarithmic.
    void set_log_x() { log_x_ = true; }

    // Titles in the program's text encoding.
    void draw(const CurveRun& points, const CurveRun& curve, const std::string& x_title_1252,
              const std::string& y_title_1252)
    {
        const std::string x_title = qs(x_title_1252).toStdString();
        const std::string y_title = qs(y_title_1252).toStdString();
        const std::size_t longest = std::max<std::size_t>({points.size(), curve.size(), 1});
        ChartData data(2, static_cast<int>(longest));
        const CurveRun* runs[2] = {&points, &curve};
        for (int s = 0; s < 2; ++s) {
            const CurveRun& run = *runs[s];
            for (std::size_t p = 0; p < longest && run.size() > 0; ++p) {
                // Markers go round their points again, a line repeats its last.
                const std::size_t at = s == 0 ? p % run.size() : std::min(p, run.size() - 1);
                data.set_point(s, static_cast<int>(p), run.x[at], run.y[at]);
            }
        }
        chart_->attach(data);
        chart_->set_styles({{kPointColour, LinePattern::none, 1}, {kCurveColour, LinePattern::solid, 2}});
        double x_lo = 0, x_hi = 1, y_lo = 0, y_hi = 1;
        bool any = false;
        for (const CurveRun* run : runs)
            for (std::size_t p = 0; p < run->size(); ++p) {
                x_lo = any ? std::min(x_lo, run->x[p]) : run->x[p];
                x_hi = any ? std::max(x_hi, run->x[p]) : run->x[p];
                y_lo = any ? std::min(y_lo, run->y[p]) : run->y[p];
                y_hi = any ? std::max(y_hi, run->y[p]) : run->y[p];
                any = true;
            }
        const auto widen = [](double lo, double hi) {
            const double span = hi > lo ? hi - lo : std::max(std::fabs(hi), 1.0);
            return std::pair{lo - 0.05 * span, hi + 0.05 * span};
        };
        auto [x_min, x_max] = widen(x_lo, x_hi);
        if (log_x_ && any && x_lo > 0) {
            x_min = x_lo / 1.5;
            x_max = x_hi * 1.5;
        }
        const auto [y_min, y_max] = widen(std::min(y_lo, 0.0), std::max(y_hi, 1.0));
        chart_->set_axis_range(ChartAxis::x, x_min, x_max);
        chart_->set_axis_range(ChartAxis::y, y_min, y_max);
        chart_->set_axis_title(ChartAxis::x, x_title);
        chart_->set_axis_title(ChartAxis::y, y_title);
        const std::vector<QLineSeries*> series = chart_->series();
        if (series.size() >= 2) {
            series[0]->setVisible(points.size() > 0);
            series[0]->setPointsVisible(true);
            series[0]->setMarkerSize(7);
            series[0]->setColor(kPointColour);
            series[1]->setVisible(curve.size() > 0);
        }
        if (log_x_ && any && x_min > 0) show_log_x(x_min, x_max, x_title);
    }

private:
    // The series move from the facility's linear X axis to a logarithmic
    // one with the same title.
    void show_log_x(double x_min, double x_max, const std::string& title)
    {
        QChart* c = chart_->chart();
        QValueAxis* linear = chart_->value_axis(ChartAxis::x);
        if (!c || !linear) return;
        if (!log_axis_) {
            log_axis_ = new QLogValueAxis;
            log_axis_->setBase(10);
            log_axis_->setLabelFormat(QStringLiteral("%g"));
            log_axis_->setMinorTickCount(8);
            c->addAxis(log_axis_, Qt::AlignBottom);
        }
        log_axis_->setTitleFont(linear->titleFont());
        log_axis_->setLabelsFont(linear->labelsFont());
        log_axis_->setTitleText(QString::fromStdString(title));
        log_axis_->setRange(x_min, x_max);
        for (QLineSeries* line : chart_->series()) {
            line->detachAxis(linear);
            if (!line->attachedAxes().contains(log_axis_)) line->attachAxis(log_axis_);
        }
        linear->setVisible(false);
    }

    QWidget* host_ = nullptr;
    std::unique_ptr<Chart> chart_;
    bool log_x_ = false;
    QLogValueAxis* log_axis_ = nullptr;  // owned by the chart once added
};

// ---- Constant Efficiency Filter Data ----------------------------------------

class ConstantEfficiencyDialog final : public QDialog {
public:
    ConstantEfficiencyDialog(QWidget* parent, ConstantEfficiencyForm& form) : QDialog(parent), form_(form)
    {
        setWindowTitle(QStringLiteral("Constant Efficiency Filter Data"));
        setObjectName(QStringLiteral("ConstantEfficiencyDialog"));
        auto* layout = new QHBoxLayout(this);
        auto* left = new QGroupBox(QStringLiteral("Filtered Species"), this);
        auto* left_layout = new QVBoxLayout(left);
        list_ = fixed_list(left, "FilteredSpecies", 30);
        left_layout->addWidget(list_);
        layout->addWidget(left);

        auto* right = new QVBoxLayout;
        auto* grid = new QGridLayout;
        species_ = new QComboBox(this);
        species_->setObjectName(QStringLiteral("Species"));
        for (const std::string& n : form_.species_names()) species_->addItem(qs(n));
        species_->setCurrentIndex(form_.species_index());
        grid->addWidget(new QLabel(QStringLiteral("Species"), this), 0, 0);
        grid->addWidget(species_, 0, 1);
        efficiency_ = field_row(this, grid, 1, QStringLiteral("Efficiency"), form_.efficiency(),
                                [this](std::string_view t) { return form_.leave_efficiency(t); }, "Efficiency");
        right->addLayout(grid);
        add_ = plain_button(this, QStringLiteral("<< Add"), "Add");
        replace_ = plain_button(this, QStringLiteral("<< Replace"), "Replace");
        delete_ = plain_button(this, QStringLiteral("Delete"), "Delete");
        for (QPushButton* b : {add_, replace_, delete_}) right->addWidget(b);
        right->addStretch(1);
        right->addWidget(ok_cancel(this));
        layout->addLayout(right);

        connect(species_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int i) {
            form_.choose_species(i);
            enable();
        });
        connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
            form_.select(row);
            const QSignalBlocker quiet(species_);
            species_->setCurrentIndex(form_.species_index());
            efficiency_->show_field();
            enable();
        });
        connect(add_, &QPushButton::clicked, this, [this] { edited(efficiency_->commit() ? form_.add() : -2); });
        connect(replace_, &QPushButton::clicked, this,
                [this] { edited(efficiency_->commit() ? form_.replace() : -2); });
        connect(delete_, &QPushButton::clicked, this, [this] { edited(form_.remove()); });
        edited(-1);
    }

    void accept() override
    {
        if (!form_.accept().accepted) {
            list_->setFocus();
            return;
        }
        QDialog::accept();
    }

private:
    void edited(int row)
    {
        if (row == -2) return;  // the efficiency was refused
        fill_lines(list_, form_.lines(), row);
        form_.select(row);
        enable();
    }
    void enable()
    {
        add_->setEnabled(form_.can_add());
        replace_->setEnabled(form_.can_replace());
        delete_->setEnabled(form_.can_delete());
    }

    ConstantEfficiencyForm& form_;
    QListWidget* list_ = nullptr;
    QComboBox* species_ = nullptr;
    UnitFieldEdit* efficiency_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* delete_ = nullptr;
};

// ---- Simple Particle Filter Data ----------------------------------------------

class ParticleDialog final : public QDialog {
public:
    ParticleDialog(QWidget* parent, ParticleFilterForm& form) : QDialog(parent), form_(form)
    {
        setWindowTitle(QStringLiteral("Simple Particle Filter Data"));
        setObjectName(QStringLiteral("ParticleDialog"));
        auto* row = new QHBoxLayout(this);
        auto* left = new QVBoxLayout;
        row->addLayout(left);
        list_ = fixed_list(this, "points", 42);
        left->addWidget(list_);
        auto* grid = new QGridLayout;
        size_ = field_row(this, grid, 0, QStringLiteral("Particle Size"), form_.size(),
                          [this](std::string_view t) { return form_.leave_size(t); }, "Size");
        unit_box(this, grid, 0, form_.size_unit(), [this](int i) {
            form_.select_size_unit(i);
            refresh(list_->currentRow());
            return true;
        }, size_, "SizeUnit");
        efficiency_ = field_row(this, grid, 1, QStringLiteral("Efficiency"), form_.efficiency(),
                                [this](std::string_view t) { return form_.leave_efficiency(t); }, "Efficiency");
        left->addLayout(grid);
        auto* buttons = new QHBoxLayout;
        add_ = plain_button(this, QStringLiteral("<<    Add    <<"), "Add");
        delete_ = plain_button(this, QStringLiteral("Delete"), "Delete");
        buttons->addWidget(add_);
        buttons->addWidget(delete_);
        left->addLayout(buttons);
        left->addWidget(ok_cancel(this));
        chart_ = std::make_unique<CurveChart>(this, row);
        chart_->set_log_x();

        connect(list_, &QListWidget::currentRowChanged, this, [this](int r) {
            if (r < 0) return;
            form_.select(static_cast<std::size_t>(r));
            size_->show_field();
            efficiency_->show_field();
        });
        connect(add_, &QPushButton::clicked, this, [this] {
            if (size_->commit() && efficiency_->commit()) refresh(form_.add());
        });
        connect(delete_, &QPushButton::clicked, this, [this] {
            if (list_->currentRow() >= 0) refresh(form_.remove(static_cast<std::size_t>(list_->currentRow())));
        });
        refresh(-1);
    }

    void accept() override
    {
        if (!form_.accept().accepted) {
            list_->setFocus();
            return;
        }
        QDialog::accept();
    }

private:
    void refresh(int row)
    {
        fill_lines(list_, form_.lines(), row);
        add_->setEnabled(form_.can_add());
        delete_->setEnabled(form_.can_delete());
        chart_->draw(form_.chart_points(), form_.chart_curve(), form_.x_axis_title(), "Filtration Efficiency");
    }

    ParticleFilterForm& form_;
    QListWidget* list_ = nullptr;
    UnitFieldEdit* size_ = nullptr;
    UnitFieldEdit* efficiency_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    std::unique_ptr<CurveChart> chart_;
};

// ---- Simple Gaseous Filter Data -----------------------------------------------

class GaseousDialog final : public QDialog {
public:
    GaseousDialog(QWidget* parent, GaseousFilterForm& form) : QDialog(parent), form_(form)
    {
        setWindowTitle(QStringLiteral("Simple Gaseous Filter Data"));
        setObjectName(QStringLiteral("GaseousDialog"));
        auto* row = new QHBoxLayout(this);
        auto* left = new QVBoxLayout;
        row->addLayout(left);
        auto* top = new QGridLayout;
        species_ = new QComboBox(this);
        species_->setObjectName(QStringLiteral("Species"));
        for (const std::string& n : form_.species_names()) species_->addItem(qs(n));
        species_->setCurrentIndex(form_.species_index());
        top->addWidget(new QLabel(QStringLiteral("Filter Curve for Species:"), this), 0, 0);
        top->addWidget(species_, 0, 1);
        breakthrough_ = field_row(this, top, 1, QStringLiteral("Breakthrough Efficiency"), form_.breakthrough(),
                                  [this](std::string_view t) { return form_.leave_breakthrough(t); }, "Breakthrough");
        left->addLayout(top);
        list_ = fixed_list(this, "points", 42);
        left->addWidget(list_);
        auto* grid = new QGridLayout;
        loading_ = field_row(this, grid, 0, QStringLiteral("Relative Loading"), form_.loading(),
                             [this](std::string_view t) { return form_.leave_loading(t); }, "Loading");
        efficiency_ = field_row(this, grid, 1, QStringLiteral("Efficiency"), form_.efficiency(),
                                [this](std::string_view t) { return form_.leave_efficiency(t); }, "Efficiency");
        left->addLayout(grid);
        auto* buttons = new QHBoxLayout;
        add_ = plain_button(this, QStringLiteral("<<  Add  <<"), "Add");
        delete_ = plain_button(this, QStringLiteral("Delete"), "Delete");
        buttons->addWidget(add_);
        buttons->addWidget(delete_);
        left->addLayout(buttons);
        left->addWidget(ok_cancel(this));
        chart_ = std::make_unique<CurveChart>(this, row);

        connect(species_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int i) {
            form_.choose_species(i);
            breakthrough_->show_field();
            refresh(-1);
        });
        connect(list_, &QListWidget::currentRowChanged, this, [this](int r) {
            if (r < 0) return;
            form_.select(static_cast<std::size_t>(r));
            loading_->show_field();
            efficiency_->show_field();
        });
        connect(add_, &QPushButton::clicked, this, [this] {
            if (loading_->commit() && efficiency_->commit()) refresh(form_.add());
        });
        connect(delete_, &QPushButton::clicked, this, [this] {
            if (list_->currentRow() >= 0) refresh(form_.remove(static_cast<std::size_t>(list_->currentRow())));
        });
        refresh(-1);
    }

    void accept() override
    {
        if (!breakthrough_->commit()) return;
        if (!form_.accept().accepted) {
            list_->setFocus();
            return;
        }
        QDialog::accept();
    }

private:
    void refresh(int row)
    {
        fill_lines(list_, form_.lines(), row);
        add_->setEnabled(form_.can_add());
        delete_->setEnabled(form_.can_delete());
        chart_->draw(form_.chart_points(), form_.chart_curve(), "Relative Loading [Mass Species / Mass Filter]",
                     "Filtration Efficiency");
    }

    GaseousFilterForm& form_;
    QComboBox* species_ = nullptr;
    UnitFieldEdit* breakthrough_ = nullptr;
    QListWidget* list_ = nullptr;
    UnitFieldEdit* loading_ = nullptr;
    UnitFieldEdit* efficiency_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    std::unique_ptr<CurveChart> chart_;
};

// ---- Penn State UVGI Filter Data ------------------------------------------------

class UvgiDialog final : public QDialog {
public:
    UvgiDialog(QWidget* parent, UvgiFilterForm& form) : QDialog(parent), form_(form)
    {
        setWindowTitle(QStringLiteral("Penn State UVGI Filter Data"));
        setObjectName(QStringLiteral("UvgiDialog"));
        auto* layout = new QVBoxLayout(this);
        auto* design = new QGridLayout;
        const auto leave = [this](UvgiValue which) {
            return [this, which](std::string_view t) {
                const bool ok = form_.leave(which, t);
                show_derived();
                return ok;
            };
        };
        const auto edit = [&](QGridLayout* grid, int row, const char* label, UvgiValue which, const char* name) {
            UnitFieldEdit* e =
                field_row(this, grid, row, QString::fromLatin1(label), form_.field(which), leave(which), name);
            edits_.push_back(e);
            return e;
        };
        edit(design, 0, "Design Survivability:", UvgiValue::S, "S");
        UnitFieldEdit* v = edit(design, 1, "Design Velocity:", UvgiValue::v, "v");
        unit_box(this, design, 1, form_.velocity_unit(), [this](int i) {
            form_.select_velocity_unit(i);
            return true;
        }, v, "VelocityUnit");
        UnitFieldEdit* F = edit(design, 2, "Design Mass Flow Rate:", UvgiValue::F, "F");
        unit_box(this, design, 2, form_.flow_unit(), [this](int i) {
            form_.select_flow_unit(i);
            return true;
        }, F, "FlowUnit");
        edit(design, 3, "Design Organism-Specifc Rate Constant:", UvgiValue::k, "k");
        design->addWidget(new QLabel(QStringLiteral("m\u00B2/J"), this), 3, 2);
        layout->addLayout(design);

        auto* constants = new QHBoxLayout;
        auto* tu = new QGroupBox(QStringLiteral("TU Constants"), this);
        auto* tu_grid = new QGridLayout(tu);
        const char* c_labels[] = {"C0:", "C1:", "C2:", "C3:", "C4:"};
        const char* c_names[] = {"C0", "C1", "C2", "C3", "C4"};
        for (int i = 0; i < 5; ++i)
            edit(tu_grid, i, c_labels[i], static_cast<UvgiValue>(static_cast<int>(UvgiValue::C0) + i), c_names[i]);
        constants->addWidget(tu);
        auto* age = new QGroupBox(QStringLiteral("Age Constants"), this);
        auto* age_grid = new QGridLayout(age);
        k0_ = edit(age_grid, 0, "K0:", UvgiValue::K0, "K0");
        k1_ = edit(age_grid, 1, "K1:", UvgiValue::K1, "K1");
        age_model_ = new QCheckBox(QStringLiteral("Use Age Model"), age);
        age_model_->setObjectName(QStringLiteral("AgeModel"));
        age_model_->setChecked(form_.age_model());
        age_grid->addWidget(age_model_, 2, 0, 1, 2);
        age_grid->setRowStretch(3, 1);
        constants->addWidget(age);
        layout->addLayout(constants);

        auto* derived = new QGridLayout;
        area_ = new QLabel(this);
        area_->setObjectName(QStringLiteral("Area"));
        derived->addWidget(new QLabel(QStringLiteral("Cross-Sectional Flow Area:"), this), 0, 0);
        derived->addWidget(area_, 0, 1);
        unit_box(this, derived, 0, form_.area_unit(), [this](int i) {
            form_.select_area_unit(i);
            show_derived();
            return true;
        }, nullptr, "AreaUnit");
        dose_ = new QLabel(this);
        dose_->setObjectName(QStringLiteral("Dose"));
        derived->addWidget(new QLabel(QStringLiteral("Design Dose:"), this), 1, 0);
        derived->addWidget(dose_, 1, 1);
        derived->addWidget(new QLabel(QStringLiteral("J/m\u00B2"), this), 1, 2);
        layout->addLayout(derived);
        layout->addWidget(ok_cancel(this));

        connect(age_model_, &QCheckBox::toggled, this, [this](bool on) {
            form_.set_age_model(on);
            enable();
        });
        enable();
        show_derived();
    }

    void accept() override
    {
        for (UnitFieldEdit* e : edits_)
            if (e->isEnabled() && !e->commit()) return;
        if (!form_.accept().accepted) return;
        QDialog::accept();
    }

private:
    void enable()
    {
        k0_->setEnabled(form_.age_constants_enabled());
        k1_->setEnabled(form_.age_constants_enabled());
    }
    void show_derived()
    {
        area_->setText(qs(form_.area_text()));
        dose_->setText(qs(form_.dose_text()));
    }

    UvgiFilterForm& form_;
    std::vector<UnitFieldEdit*> edits_;
    UnitFieldEdit* k0_ = nullptr;
    UnitFieldEdit* k1_ = nullptr;
    QCheckBox* age_model_ = nullptr;
    QLabel* area_ = nullptr;
    QLabel* dose_ = nullptr;
};

}  // namespace

FilterChooser& session_filter_chooser()
{
    static FilterChooser chooser;
    return chooser;
}

bool run_filter_data_dialog(QWidget* parent, const Project& project, int type, const std::string& name,
                            FilterData& data)
{
    switch (type) {
    case kFltCef: {
        ConstantEfficiencyForm form(std::get<ConstantEfficiencyData>(data), project.species);
        ConstantEfficiencyDialog dialog(parent, form);
        if (dialog.exec() != QDialog::Accepted) return false;
        data = form.data();
        return true;
    }
    case kFltPf0: {
        ParticleFilterForm form(std::get<ParticleFilterData>(data), name);
        ParticleDialog dialog(parent, form);
        if (dialog.exec() != QDialog::Accepted) return false;
        data = form.data();
        return true;
    }
    case kFltGf0: {
        GaseousFilterForm form(std::get<GaseousFilterData>(data), project.species, name);
        GaseousDialog dialog(parent, form);
        if (dialog.exec() != QDialog::Accepted) return false;
        data = form.data();
        return true;
    }
    case kFltUv1: {
        UvgiFilterForm form(std::get<UvgiFilterData>(data));
        UvgiDialog dialog(parent, form);
        if (dialog.exec() != QDialog::Accepted) return false;
        data = form.data();
        return true;
    }
    default: return false;
    }
}

// ---------------------------------------------------------------- chooser

FilterChooserDialog::FilterChooserDialog(QWidget* parent, const Project& project, FilterChooser& chooser,
                                         bool inside_super)
    : QDialog(parent), chooser_(chooser), enabled_(chooser.enabled(project.filter_elements, project.species, inside_super))
{
    setWindowTitle(qs(kFilterChooserTitle));
    setObjectName(QStringLiteral("FilterChooserDialog"));
    auto* layout = new QVBoxLayout(this);
    group_ = new QButtonGroup(this);
    for (int t = 0; t < kFilterTypeCount; ++t) {
        const auto info = filter_type_info(t);
        auto* radio = new QRadioButton(qs(info->button), this);
        radio->setObjectName(qs(info->keyword));
        radio->setEnabled(enabled_[static_cast<std::size_t>(t)]);
        layout->addWidget(radio);
        group_->addButton(radio, t);
        buttons_[static_cast<std::size_t>(t)] = radio;
    }
    buttons_[static_cast<std::size_t>(chooser_.preselection(enabled_))]->setChecked(true);
    layout->addWidget(ok_cancel(this));
}

int FilterChooserDialog::chosen() const
{
    const int id = group_->checkedId();
    return id >= 0 && id < kFilterTypeCount && enabled_[static_cast<std::size_t>(id)] ? id
                                                                                      : chooser_.preselection(enabled_);
}

void FilterChooserDialog::accept()
{
    chooser_.last_choice = chosen();
    QDialog::accept();
}

// ---------------------------------------------------------------- element

FilterElementDialog::FilterElementDialog(QWidget* parent, Project& project, FilterElementForm& form,
                                         FilterElement* stored)
    : QDialog(parent), project_(project), form_(form), stored_(stored)
{
    setWindowTitle(qs(form_.caption()));
    setObjectName(QStringLiteral("FilterElementDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* head = new QFormLayout;
    name_ = name_edit(this, form_.name());
    desc_ = description_edit(this, form_.description());
    head->addRow(QStringLiteral("Name:"), name_);
    head->addRow(QStringLiteral("Description:"), desc_);
    layout->addLayout(head);

    auto* grid = new QGridLayout;
    edits_[0] = field_row(this, grid, 0, QStringLiteral("Area:"), form_.area(), [this](std::string_view t) {
        const bool ok = form_.leave_area(t);
        show_mass();
        return ok;
    }, "Area");
    edits_[1] = field_row(this, grid, 1, QStringLiteral("Depth:"), form_.depth(), [this](std::string_view t) {
        const bool ok = form_.leave_depth(t);
        show_mass();
        return ok;
    }, "Depth");
    edits_[2] = field_row(this, grid, 2, QStringLiteral("Density:"), form_.density(), [this](std::string_view t) {
        const bool ok = form_.leave_density(t);
        show_mass();
        return ok;
    }, "Density");
    // Area and depth share their unit: either box moves the other.
    UnitSelectorCombo* area_unit = unit_box(this, grid, 0, form_.area_unit(), [this](int i) {
        form_.select_length_unit(i);
        return true;
    }, edits_[0], "AreaUnit");
    UnitSelectorCombo* depth_unit = unit_box(this, grid, 1, form_.depth_unit(), [this](int i) {
        form_.select_length_unit(i);
        return true;
    }, edits_[1], "DepthUnit");
    connect(area_unit, &UnitSelectorCombo::unit_changed, this, [this, depth_unit](int) {
        const QSignalBlocker quiet(depth_unit);
        depth_unit->refill();
        edits_[1]->show_field();
    });
    connect(depth_unit, &UnitSelectorCombo::unit_changed, this, [this, area_unit](int) {
        const QSignalBlocker quiet(area_unit);
        area_unit->refill();
        edits_[0]->show_field();
    });
    unit_box(this, grid, 2, form_.density_unit(), [this](int i) {
        form_.select_density_unit(i);
        show_mass();
        return true;
    }, edits_[2], "DensityUnit");
    mass_ = new QLabel(this);
    mass_->setObjectName(QStringLiteral("Mass"));
    mass_unit_ = new QLabel(this);
    mass_unit_->setObjectName(QStringLiteral("MassUnit"));
    grid->addWidget(new QLabel(QStringLiteral("Mass:"), this), 3, 0);
    grid->addWidget(mass_, 3, 1);
    grid->addWidget(mass_unit_, 3, 2);
    layout->addLayout(grid);

    auto* data = plain_button(this, QStringLiteral("Edit Element Data"), "EditData");
    layout->addWidget(data);
    connect(data, &QPushButton::clicked, this, [this] { edit_data(); });
    layout->addWidget(ok_cancel(this));
    show_mass();
}

void FilterElementDialog::show_mass()
{
    mass_->setText(qs(form_.mass_text()).trimmed());
    mass_unit_->setText(qs(form_.mass_unit()));
}

void FilterElementDialog::edit_data()
{
    FilterData data = form_.data_copy();
    if (run_filter_data_dialog(this, project_, form_.working().type, to_1252(name_->text()), data))
        form_.set_data(std::move(data));
}

void FilterElementDialog::accept()
{
    for (UnitFieldEdit* e : edits_)
        if (!e->commit()) return;
    form_.set_name(to_1252(name_->text()));
    form_.set_description(to_1252(desc_->text()));
    const FilterElementAnswer answer = form_.accept(project_, stored_);
    if (!answer.accepted) {
        if (answer.focus == FilterElementField::Name) name_->setFocus();
        return;
    }
    record_ = form_.stored();
    QDialog::accept();
}

// ---------------------------------------------------------------- super

SuperFilterDialog::SuperFilterDialog(QWidget* parent, Project& project, SuperFilterForm& form,
                                     FilterElement* stored)
    : QDialog(parent), project_(project), form_(form), stored_(stored)
{
    setWindowTitle(qs(filter_caption(kFltSpf)));
    setObjectName(QStringLiteral("SuperFilterDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* head = new QFormLayout;
    name_ = name_edit(this, form_.name());
    desc_ = description_edit(this, form_.description());
    head->addRow(QStringLiteral("Name:"), name_);
    head->addRow(QStringLiteral("Description:"), desc_);
    layout->addLayout(head);

    auto* lists = new QHBoxLayout;
    auto* left = new QGroupBox(QStringLiteral("Sub-Elements"), this);
    auto* left_layout = new QVBoxLayout(left);
    subs_ = fixed_list(left, "SubElements", 38);
    left_layout->addWidget(subs_);
    auto* order = new QHBoxLayout;
    up_ = plain_button(left, QStringLiteral("Move Up"), "MoveUp");
    down_ = plain_button(left, QStringLiteral("Move Down"), "MoveDown");
    order->addWidget(up_);
    order->addWidget(down_);
    left_layout->addLayout(order);
    auto* middle = new QVBoxLayout;
    auto* add = plain_button(this, QStringLiteral("<<  Add  <<"), "Add");
    remove_ = plain_button(this, QStringLiteral("Delete"), "Delete");
    middle->addStretch(1);
    middle->addWidget(add);
    middle->addWidget(remove_);
    middle->addStretch(1);
    auto* right = new QGroupBox(QStringLiteral("Available Elements"), this);
    auto* right_layout = new QVBoxLayout(right);
    available_ = new QListWidget(right);
    available_->setObjectName(QStringLiteral("Available"));
    right_layout->addWidget(available_);
    type_ = new QLabel(right);
    type_->setObjectName(QStringLiteral("Type"));
    about_ = new QLabel(right);
    about_->setObjectName(QStringLiteral("About"));
    about_->setWordWrap(true);
    right_layout->addWidget(type_);
    right_layout->addWidget(about_);
    auto* element_buttons = new QHBoxLayout;
    auto* edit = plain_button(right, QStringLiteral("Edit Element"), "EditElement");
    auto* create = plain_button(right, QStringLiteral("New Element"), "NewElement");
    element_buttons->addWidget(edit);
    element_buttons->addWidget(create);
    right_layout->addLayout(element_buttons);
    lists->addWidget(left);
    lists->addLayout(middle);
    lists->addWidget(right);
    layout->addLayout(lists);
    layout->addWidget(ok_cancel(this));

    const auto sub_row = [this] { return static_cast<std::size_t>(std::max(0, subs_->currentRow())); };
    connect(add, &QPushButton::clicked, this, [this] {
        if (auto* e = current_definition<FilterElement>(*available_)) {
            form_.add(e);
            fill(static_cast<int>(form_.subs().size()) - 1);
        }
    });
    connect(remove_, &QPushButton::clicked, this, [this, sub_row] {
        if (subs_->currentRow() >= 0) fill(form_.remove(sub_row()));
    });
    connect(up_, &QPushButton::clicked, this, [this, sub_row] { fill(form_.move_up(sub_row())); });
    connect(down_, &QPushButton::clicked, this, [this, sub_row] { fill(form_.move_down(sub_row())); });
    connect(subs_, &QListWidget::currentRowChanged, this, [this](int) { fill(subs_->currentRow()); });
    connect(available_, &QListWidget::currentRowChanged, this, [this](int) { show_available(); });
    connect(edit, &QPushButton::clicked, this, [this] {
        if (auto* e = current_definition<FilterElement>(*available_)) {
            FilterChooser inner = session_filter_chooser();
            edit_filter_element_dialog(this, project_, *e, inner);
        }
        fill(subs_->currentRow());
    });
    connect(create, &QPushButton::clicked, this, [this] {
        create_filter_element_dialog(this, project_, session_filter_chooser(), true);
        fill(subs_->currentRow());
    });
    fill(-1);
}

void SuperFilterDialog::fill(int sub_row)
{
    fill_lines(subs_, form_.sub_lines(), sub_row);
    const int row = subs_->currentRow();
    remove_->setEnabled(row >= 0);
    up_->setEnabled(row >= 0 && form_.can_move_up(static_cast<std::size_t>(row)));
    down_->setEnabled(row >= 0 && form_.can_move_down(static_cast<std::size_t>(row)));
    const FilterElement* chosen = current_definition<FilterElement>(*available_);
    const QSignalBlocker quiet(available_);
    available_->clear();
    for (FilterElement* e : SuperFilterForm::available(project_.filter_elements)) {
        auto* item = new QListWidgetItem(qs(e->name), available_);
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(e)));
        if (e == chosen) available_->setCurrentItem(item);
    }
    show_available();
}

void SuperFilterDialog::show_available()
{
    const FilterElement* e = current_definition<FilterElement>(*available_);
    type_->setText(e ? QStringLiteral("Type: ") + qs(SuperFilterForm::type_text(*e)) : QString());
    about_->setText(e ? qs(e->desc) : QString());
}

void SuperFilterDialog::accept()
{
    form_.set_name(to_1252(name_->text()));
    form_.set_description(to_1252(desc_->text()));
    const SuperFilterAnswer answer = form_.accept(project_, stored_);
    if (!answer.accepted) {
        if (answer.focus == SuperFilterField::Name)
            name_->setFocus();
        else
            subs_->setFocus();
        return;
    }
    record_ = form_.stored();
    QDialog::accept();
}

FilterElement* create_filter_element_dialog(QWidget* parent, Project& project, FilterChooser& chooser,
                                            bool inside_super)
{
    FilterChooserDialog choose(parent, project, chooser, inside_super);
    if (choose.exec() != QDialog::Accepted) return nullptr;
    const int type = choose.chosen();
    if (type == kFltSpf) {
        SuperFilterForm form(new_filter_element(kFltSpf));
        SuperFilterDialog dialog(parent, project, form, nullptr);
        return dialog.exec() == QDialog::Accepted ? dialog.record() : nullptr;
    }
    FilterElementForm form(new_filter_element(type));
    FilterElementDialog dialog(parent, project, form, nullptr);
    return dialog.exec() == QDialog::Accepted ? dialog.record() : nullptr;
}

FilterElement* edit_filter_element_dialog(QWidget* parent, Project& project, FilterElement& element,
                                          FilterChooser&)
{
    if (element.type == kFltSpf) {
        SuperFilterForm form(element);
        SuperFilterDialog dialog(parent, project, form, &element);
        return dialog.exec() == QDialog::Accepted ? dialog.record() : nullptr;
    }
    if (element.type < kFltCef || element.type > kFltUv1) return nullptr;
    FilterElementForm form(element);
    FilterElementDialog dialog(parent, project, form, &element);
    return dialog.exec() == QDialog::Accepted ? dialog.record() : nullptr;
}

// ---------------------------------------------------------------- filter

FilterPropertiesDialog::FilterPropertiesDialog(QWidget* parent, Project& project, FilterForm& form,
                                               FilterChooser& chooser)
    : QDialog(parent), project_(project), form_(form), chooser_(chooser)
{
    setWindowTitle(qs(kFilterPropertiesTitle));
    setObjectName(QStringLiteral("FilterPropertiesDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* number = new QFormLayout;
    auto* number_text = new QLabel(qs(form_.number_text()), this);
    number_text->setObjectName(QStringLiteral("Number"));
    number->addRow(QStringLiteral("Filter Number:"), number_text);
    layout->addLayout(number);

    auto* element_group = new QGroupBox(QStringLiteral("Filter Element"), this);
    auto* element_layout = new QGridLayout(element_group);
    element_ = new QComboBox(element_group);
    element_->setObjectName(QStringLiteral("Element"));
    element_->setMinimumContentsLength(static_cast<int>(kNameSize));
    type_ = new QLabel(element_group);
    type_->setObjectName(QStringLiteral("Type"));
    about_ = new QLabel(element_group);
    about_->setObjectName(QStringLiteral("Description"));
    about_->setMinimumWidth(about_->fontMetrics().averageCharWidth() * 60);
    element_layout->addWidget(new QLabel(QStringLiteral("Name:"), element_group), 0, 0);
    element_layout->addWidget(element_, 0, 1);
    element_layout->addWidget(new QLabel(QStringLiteral("Type:"), element_group), 1, 0);
    element_layout->addWidget(type_, 1, 1);
    element_layout->addWidget(new QLabel(QStringLiteral("Description:"), element_group), 2, 0);
    element_layout->addWidget(about_, 2, 1);
    auto* element_buttons = new QHBoxLayout;
    edit_ = plain_button(element_group, QStringLiteral("Edit Element"), "EditElement");
    auto* create = plain_button(element_group, QStringLiteral("New Element"), "NewElement");
    auto* library = library_manager_button(this, project_, DefinitionKind::FilterElement, [this] { fill_elements(); });
    element_buttons->addWidget(edit_);
    element_buttons->addWidget(create);
    element_buttons->addWidget(library);
    element_layout->addLayout(element_buttons, 3, 0, 1, 2);
    layout->addWidget(element_group);

    auto* loads_group = new QGroupBox(QStringLiteral("Initial Filter Loading"), this);
    auto* loads_layout = new QVBoxLayout(loads_group);
    loads_ = fixed_list(loads_group, "Loads", 30);
    loads_layout->addWidget(loads_);
    auto* loading_row = new QHBoxLayout;
    loading_row->addWidget(new QLabel(QStringLiteral("Relative Loading of selected filter element"), loads_group));
    loading_ = new QLineEdit(loads_group);
    loading_->setObjectName(QStringLiteral("Loading"));
    loading_->setEnabled(false);
    auto* replace = plain_button(loads_group, QStringLiteral("Replace"), "Replace");
    replace->setEnabled(false);
    loading_row->addWidget(loading_);
    loading_row->addWidget(replace);
    loads_layout->addLayout(loading_row);
    layout->addWidget(loads_group);
    layout->addWidget(ok_cancel(this));

    connect(element_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int i) {
        auto* e = static_cast<FilterElement*>(element_->itemData(i).value<void*>());
        form_.choose_element(e);
        show_element();
    });
    connect(loads_, &QListWidget::currentRowChanged, this, [this](int r) {
        loading_->setText(r >= 0 ? qs(form_.load_text(static_cast<std::size_t>(r))) : QString());
    });
    connect(edit_, &QPushButton::clicked, this, [this] {
        auto* e = const_cast<FilterElement*>(form_.element());
        if (!e) return;
        if (FilterElement* edited = edit_filter_element_dialog(this, project_, *e, chooser_)) {
            form_.choose_element(edited);
            form_.element_edited();
        }
        fill_elements();
    });
    connect(create, &QPushButton::clicked, this, [this] {
        if (FilterElement* made = create_filter_element_dialog(this, project_, chooser_)) form_.choose_element(made);
        fill_elements();
    });
    fill_elements();
}

void FilterPropertiesDialog::fill_elements()
{
    {
        const QSignalBlocker quiet(element_);
        element_->clear();
        int chosen = -1;
        for (FilterElement* e : form_.element_choices()) {
            if (e == form_.element()) chosen = element_->count();
            element_->addItem(qs(e->name), QVariant::fromValue(static_cast<void*>(e)));
        }
        element_->setCurrentIndex(chosen);
    }
    show_element();
}

void FilterPropertiesDialog::show_element()
{
    type_->setText(qs(form_.type_text()));
    about_->setText(qs(form_.description_text()));
    edit_->setEnabled(form_.element() != nullptr);
    fill_lines(loads_, form_.load_lines(), -1);
    loading_->clear();
}

void FilterPropertiesDialog::accept()
{
    if (!form_.accept().accepted) {
        element_->setFocus();
        return;
    }
    QDialog::accept();
}

std::optional<Filter> run_filter_properties(QWidget* parent, Project& project, const Filter& working)
{
    FilterForm form(working, project.filter_elements);
    FilterPropertiesDialog dialog(parent, project, form, session_filter_chooser());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return form.working();
}

// ---------------------------------------------------------------- manager

FilterElementManagerDialog::FilterElementManagerDialog(QWidget* parent, Project& project, FilterChooser& chooser)
    : QDialog(parent), project_(project), chooser_(chooser)
{
    setWindowTitle(qs(kFilterManagerTitle));
    setObjectName(QStringLiteral("FilterElementManagerDialog"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("Elements"));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("Summary"));
    summary_->setTextFormat(Qt::PlainText);
    summary_->setMinimumHeight(summary_->fontMetrics().lineSpacing() * 7);
    summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    summary_->setWordWrap(true);
    const ManagerButtons buttons = lay_out_manager(*this, QStringLiteral("Project Filter Elements"), list_, summary_);
    edit_ = buttons.edit;
    delete_ = buttons.remove;
    connect(buttons.library, &QPushButton::clicked, this, [this] {
        run_library_manager(this, project_, DefinitionKind::FilterElement);
        fill(project_.filter_elements.head());
    });

    connect(list_, &QListWidget::currentRowChanged, this, [this] { show_summary(); });
    const auto edit = [this] {
        if (FilterElement* e = current()) fill(edit_filter_element_dialog(this, project_, *e, chooser_));
    };
    connect(list_, &QListWidget::itemDoubleClicked, this, edit);
    connect(edit_, &QPushButton::clicked, this, edit);
    connect(buttons.create, &QPushButton::clicked, this, [this] {
        if (FilterElement* e = create_filter_element_dialog(this, project_, chooser_)) fill(e);
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        if (FilterElement* e = current(); e && delete_filter_element(project_, *e)) fill(project_.filter_elements.head());
    });
    fill(project_.filter_elements.head());
}

void FilterElementManagerDialog::fill(const FilterElement* selected)
{
    if (!selected) selected = current();
    fill_definition_list(*list_, project_.filter_elements, selected);
    show_summary();
}

FilterElement* FilterElementManagerDialog::current() const { return current_definition<FilterElement>(*list_); }

void FilterElementManagerDialog::show_summary()
{
    const FilterElement* element = current();
    QString text;
    if (element) {
        text = qs(element->desc) + QLatin1Char('\n');
        for (const std::string& line : filter_element_summary(*element)) text += qs(line) + QLatin1Char('\n');
    }
    summary_->setText(text.trimmed());
    edit_->setEnabled(element != nullptr && element->type >= kFltCef && element->type <= kFltSpf);
    delete_->setEnabled(element != nullptr);
}

void run_filter_element_manager(QWidget* parent, Project& project)
{
    FilterElementManagerDialog dialog(parent, project, session_filter_chooser());
    dialog.exec();
}

}  // namespace avelor::ui
