#include "ui/wind_profile_dialog.h"

#include <QButtonGroup>
#include <QChartView>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "app/description_line.h"
#include "model/project.h"
#include "ui/chart_facility.h"
#include "ui/definition_list.h"
#include "ui/library_manager_dialog.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

constexpr int kChartWidth = 440;
constexpr int kChartHeight = 360;

const QColor kPointColour(0, 0, 0);
// One colour per fit type 1..3, the same in "Show All" as alone.
const QColor kFitColours[] = {QColor(0, 0, 200), QColor(0, 140, 0), QColor(200, 0, 0)};

QString qs(std::string_view text) { return from_1252(text); }

QLineEdit* row_edit(const QString& name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMaxLength(12);
    edit->setFixedWidth(80);
    return edit;
}

// The polar picture of a run: each angle's direction from the centre, at
// the distance 1 + Cp (the unit circle the coefficient 0), the angle of the
// wind to the wall measured from the wall's normal, upwards.
CurveRun polar_run(const CurveRun& run)
{
    CurveRun polar;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const double r = 1.0 + run.y[i];
        const double a = run.x[i] * std::numbers::pi / 180.0;
        polar.x.push_back(r * std::sin(a));
        polar.y.push_back(r * std::cos(a));
    }
    return polar;
}

}  // namespace

WindProfileDialog::WindProfileDialog(NamedList<WindProfile>& profiles, WindProfile* original, QWidget* parent)
    : QDialog(parent), form_(profiles, original)
{
    setWindowTitle(QStringLiteral("Wind Pressure Profile"));
    setObjectName(QStringLiteral("WindProfileDialog"));

    name_ = new QLineEdit(qs(form_.name()));
    name_->setObjectName(QStringLiteral("name"));
    name_->setMaxLength(static_cast<int>(kNameSize - 1));
    description_ = new QLineEdit(qs(form_.description()));
    description_->setObjectName(QStringLiteral("description"));
    description_->setMaxLength(static_cast<int>(kDescriptionLimit));
    auto* names = new QFormLayout;
    names->addRow(QStringLiteral("Name:"), name_);
    names->addRow(QStringLiteral("Description:"), description_);

    auto* rows_box = new QGroupBox(QStringLiteral("Data Points"));
    auto* rows = new QGridLayout(rows_box);
    rows->setVerticalSpacing(2);
    rows->addWidget(new QLabel(QStringLiteral("Angle [deg]")), 0, 1);
    rows->addWidget(new QLabel(QStringLiteral("Coefficient")), 0, 2);
    for (int i = 0; i < WindProfileForm::kRows; ++i) {
        const auto at = static_cast<std::size_t>(i);
        rows->addWidget(new QLabel(QString::number(i + 1)), i + 1, 0, Qt::AlignRight);
        angles_[at] = row_edit(QStringLiteral("angle%1").arg(i + 1));
        coefficients_[at] = row_edit(QStringLiteral("coefficient%1").arg(i + 1));
        rows->addWidget(angles_[at], i + 1, 1);
        rows->addWidget(coefficients_[at], i + 1, 2);
        connect(angles_[at], &QLineEdit::editingFinished, this, [this, i] {
            const auto row = static_cast<std::size_t>(i);
            if (angles_[row]->isModified()) form_.leave_angle(i, to_1252(angles_[row]->text()));
            angles_[row]->setText(qs(form_.angle_field(i).shown_text()).trimmed());
            angles_[row]->setModified(false);
        });
        connect(coefficients_[at], &QLineEdit::editingFinished, this, [this, i] {
            const auto row = static_cast<std::size_t>(i);
            if (coefficients_[row]->isModified()) form_.leave_coefficient(i, to_1252(coefficients_[row]->text()));
            coefficients_[row]->setText(qs(form_.coefficient_field(i).shown_text()).trimmed());
            coefficients_[row]->setModified(false);
        });
    }

    auto* fit_box = new QGroupBox(QStringLiteral("Curve Fit"));
    auto* fit_layout = new QVBoxLayout(fit_box);
    fits_ = new QButtonGroup(this);
    for (int fit : {kWindFitLinear, kWindFitSpline, kWindFitTrigonometric, kWindFitShowAll}) {
        auto* button = new QRadioButton(qs(wind_fit_caption(fit)));
        button->setObjectName(QStringLiteral("fit%1").arg(fit));
        fits_->addButton(button, fit);
        fit_layout->addWidget(button);
    }
    polar_ = new QCheckBox(QStringLiteral("Polar"));
    polar_->setObjectName(QStringLiteral("polar"));
    fit_layout->addWidget(polar_);
    auto* redraw = new QPushButton(QStringLiteral("Redraw"));
    redraw->setObjectName(QStringLiteral("redraw"));
    redraw->setAutoDefault(false);
    fit_layout->addWidget(redraw);
    fit_layout->addStretch();

    auto* host = new QWidget;
    host->setFixedSize(kChartWidth, kChartHeight);
    chart_ = std::make_unique<Chart>(*host, QRect(0, 0, kChartWidth, kChartHeight));
    chart_->view()->setObjectName(QStringLiteral("chart"));
    chart_->view()->setRenderHint(QPainter::Antialiasing, true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* right = new QVBoxLayout;
    right->addLayout(names);
    auto* middle = new QHBoxLayout;
    middle->addWidget(fit_box);
    middle->addWidget(host, 0, Qt::AlignTop);
    right->addLayout(middle);
    right->addStretch();
    right->addWidget(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(rows_box);
    layout->addLayout(right);

    connect(fits_, &QButtonGroup::idClicked, this, [this](int fit) {
        take_rows();
        form_.choose_fit(fit);
        show_rows();
        draw();
    });
    connect(redraw, &QPushButton::clicked, this, [this] {
        take_rows();
        form_.redraw();
        show_rows();
        draw();
    });
    connect(polar_, &QCheckBox::toggled, this, [this] { draw(); });

    show_rows();
    draw();
}

WindProfileDialog::~WindProfileDialog()
{
    // The rows outlive the form by a moment: a field losing the focus as the
    // dialog goes must not reach it.
    for (std::size_t i = 0; i < angles_.size(); ++i) {
        angles_[i]->disconnect(this);
        coefficients_[i]->disconnect(this);
    }
}

bool WindProfileDialog::polar() const { return polar_->isChecked(); }

// A row still being typed in counts as left when a button is pressed.
void WindProfileDialog::take_rows()
{
    for (int i = 0; i < WindProfileForm::kRows; ++i) {
        const auto row = static_cast<std::size_t>(i);
        if (angles_[row]->isModified()) form_.leave_angle(i, to_1252(angles_[row]->text()));
        if (coefficients_[row]->isModified()) form_.leave_coefficient(i, to_1252(coefficients_[row]->text()));
    }
}

void WindProfileDialog::show_rows()
{
    for (int i = 0; i < WindProfileForm::kRows; ++i) {
        const auto row = static_cast<std::size_t>(i);
        angles_[row]->setText(qs(form_.angle_field(i).shown_text()).trimmed());
        coefficients_[row]->setText(qs(form_.coefficient_field(i).shown_text()).trimmed());
        angles_[row]->setModified(false);
        coefficients_[row]->setModified(false);
    }
    sync_fit_buttons();
}

void WindProfileDialog::sync_fit_buttons()
{
    fits_->button(kWindFitTrigonometric)->setEnabled(form_.fit_enabled(kWindFitTrigonometric));
    if (QAbstractButton* chosen = fits_->button(form_.fit())) chosen->setChecked(true);
}

void WindProfileDialog::draw()
{
    const WindProfileCurves curves = form_.curves();
    const bool round = polar();
    std::vector<CurveRun> runs{round ? polar_run(curves.points) : curves.points};
    StyleList styles{{kPointColour, LinePattern::none, 1}};
    for (const WindFitCurve& fit : curves.fits) {
        runs.push_back(round ? polar_run(fit.curve) : fit.curve);
        styles.push_back({kFitColours[std::clamp(fit.type, 1, 3) - 1], LinePattern::solid, 2});
    }
    std::size_t longest = 1;
    for (const CurveRun& run : runs) longest = std::max(longest, run.size());
    ChartData data(static_cast<int>(runs.size()), static_cast<int>(longest));
    for (std::size_t s = 0; s < runs.size(); ++s) {
        const CurveRun& run = runs[s];
        // Every series of a set has the same length: the points go round
        // again, a curve repeats its last sample.
        for (std::size_t p = 0; p < longest && run.size() > 0; ++p) {
            const std::size_t at = s == 0 ? p % run.size() : std::min(p, run.size() - 1);
            data.set_point(static_cast<int>(s), static_cast<int>(p), run.x[at], run.y[at]);
        }
        data.set_label(static_cast<int>(s), s == 0 ? std::string("Points")
                                                   : std::string(wind_fit_caption(curves.fits[s - 1].type)));
    }
    chart_->attach(data);
    chart_->set_styles(styles);

    double lo = 0, hi = 0;
    for (const CurveRun& run : runs)
        for (double y : run.y) {
            lo = std::min(lo, y);
            hi = std::max(hi, y);
        }
    if (round) {
        double reach = 1;
        for (const CurveRun& run : runs)
            for (std::size_t i = 0; i < run.size(); ++i) reach = std::max({reach, std::fabs(run.x[i]), std::fabs(run.y[i])});
        reach *= 1.1;
        chart_->set_axis_range(ChartAxis::x, -reach, reach);
        chart_->set_axis_range(ChartAxis::y, -reach, reach);
        chart_->set_tick_spacing(ChartAxis::x, 0);
        chart_->set_axis_title(ChartAxis::x, "");
        chart_->set_axis_title(ChartAxis::y, "");
    } else {
        const double margin = 0.05 * std::max(hi - lo, 0.2);
        chart_->set_axis_range(ChartAxis::x, 0, 360);
        chart_->set_tick_spacing(ChartAxis::x, 90);
        chart_->set_axis_range(ChartAxis::y, lo - margin, hi + margin);
        chart_->set_axis_title(ChartAxis::x, "Wind Angle [deg]");
        chart_->set_axis_title(ChartAxis::y, "Wind Pressure Coefficient");
    }
    const std::vector<QLineSeries*> series = chart_->series();
    if (!series.empty()) {
        series[0]->setPointsVisible(true);
        series[0]->setMarkerSize(7);
        series[0]->setColor(kPointColour);
        series[0]->setVisible(curves.points.size() > 0);
    }
}

void WindProfileDialog::accept()
{
    take_rows();
    form_.set_name(to_1252(name_->text()));
    form_.set_description(to_1252(description_->text()));
    const FormAnswer<WindProfileField> answer = form_.accept();
    show_rows();
    if (!answer.accepted) {
        if (answer.focus == WindProfileField::Name) {
            name_->setText(qs(form_.name()));
            name_->setFocus(Qt::OtherFocusReason);
            name_->selectAll();
        } else {
            angles_[0]->setFocus(Qt::OtherFocusReason);
        }
        draw();
        return;
    }
    QDialog::accept();
}

// ------------------------------------------------------------- the manager

WindProfileManagerDialog::WindProfileManagerDialog(Project& project, QWidget* parent)
    : QDialog(parent), project_(project)
{
    setWindowTitle(QStringLiteral("AVELORW Data and Library Manager: Wind Pressure Profiles"));
    setObjectName(QStringLiteral("WindProfileManagerDialog"));

    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("Profiles"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    description_ = new QLabel;
    description_->setObjectName(QStringLiteral("Description"));
    auto* new_button = new QPushButton(QStringLiteral("&New..."));
    new_button->setObjectName(QStringLiteral("New"));
    edit_ = new QPushButton(QStringLiteral("&Edit..."));
    edit_->setObjectName(QStringLiteral("Edit"));
    delete_ = new QPushButton(QStringLiteral("&Delete"));
    delete_->setObjectName(QStringLiteral("Delete"));
    auto* library = new QPushButton(QStringLiteral("&Library..."));
    library->setObjectName(QStringLiteral("Library"));
    for (QPushButton* b : {new_button, edit_, delete_, library}) b->setAutoDefault(false);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* group = new QGroupBox(QStringLiteral("Project Wind Pressure Profiles"));
    auto* group_layout = new QVBoxLayout(group);
    group_layout->addWidget(list_);
    group_layout->addWidget(description_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new_button);
    buttons->addWidget(edit_);
    buttons->addWidget(delete_);
    buttons->addWidget(library);
    buttons->addStretch();
    group_layout->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(close);

    connect(list_, &QListWidget::currentRowChanged, this, [this] { show_selected(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { edit_->click(); });
    connect(new_button, &QPushButton::clicked, this, [this] {
        WindProfile* made = run_wind_profile_dialog(this, project_);
        fill(made ? made : current());
    });
    connect(edit_, &QPushButton::clicked, this, [this] {
        WindProfile* profile = current();
        if (!profile) return;
        run_wind_profile_dialog(this, project_, profile);
        // The record keeps its address when a new name moves it.
        fill(profile);
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        WindProfile* profile = current();
        if (profile && delete_wind_profile(project_, *profile)) fill(nullptr);
    });

    connect(library, &QPushButton::clicked, this, [this] {
        const std::string selected = current() ? current()->name : std::string();
        run_library_manager(this, project_, DefinitionKind::WindProfile);
        fill(project_.wind_profiles.find_by_name(selected));
    });

    fill(project_.wind_profiles.head());
}

void WindProfileManagerDialog::fill(const WindProfile* selected)
{
    fill_definition_list(*list_, project_.wind_profiles, selected);
    show_selected();
}

WindProfile* WindProfileManagerDialog::current() const { return current_definition<WindProfile>(*list_); }

void WindProfileManagerDialog::show_selected()
{
    const WindProfile* profile = current();
    description_->setText(profile ? qs(profile->desc) : QString());
    edit_->setEnabled(profile != nullptr);
    delete_->setEnabled(profile != nullptr);
}

WindProfile* run_wind_profile_dialog(QWidget* parent, Project& project, WindProfile* original)
{
    WindProfileDialog dialog(project.wind_profiles, original, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.stored() : nullptr;
}

void run_wind_profile_manager(QWidget* parent, Project& project)
{
    WindProfileManagerDialog dialog(project, parent);
    dialog.exec();
}

}  // namespace avelor::ui
