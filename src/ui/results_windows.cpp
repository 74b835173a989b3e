#include "ui/results_windows.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "model/project.h"
#include "simulation/results_mode.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

QString q(std::string_view text) { return from_1252(text); }

QLineEdit* date_field(QWidget* parent, int day)
{
    auto* field = new QLineEdit(q(day_text(day)), parent);
    field->setMaxLength(5);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("WWW99")) + 12);
    field->setToolTip(QStringLiteral("Month and day, such as Jan01"));
    return field;
}

QLineEdit* time_field(QWidget* parent, std::int32_t time)
{
    auto* field = new QLineEdit(q(time_text(time)), parent);
    field->setMaxLength(8);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("99:99:99")) + 12);
    field->setToolTip(QStringLiteral("HH:MM:SS"));
    return field;
}

QHBoxLayout* instant_row(QLineEdit* day, QLineEdit* time)
{
    auto* row = new QHBoxLayout;
    row->addWidget(day);
    row->addWidget(time);
    row->addStretch();
    return row;
}

// The display's text: the core ends its lines with CR LF.
QString shown_lines(const std::string& text)
{
    QString shown = q(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

}  // namespace

ExportDataDialog::ExportDataDialog(ExportDataForm& form, ResultsMode& results, const Project& project,
                                   std::string project_path, QWidget* parent)
    : QDialog(parent), form_(form), results_(results), project_(project), project_path_(std::move(project_path))
{
    setWindowTitle(QStringLiteral("Export Data"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    for (int k = 0; k < kExportKindCount; ++k) {
        kinds_[static_cast<std::size_t>(k)] = new QRadioButton(q(export_label(static_cast<ExportKind>(k))), this);
        group->addButton(kinds_[static_cast<std::size_t>(k)], k);
    }
    const auto button = [&](ExportKind kind) { return kinds_[static_cast<std::size_t>(kind)]; };

    auto* airflows = new QGroupBox(QStringLiteral("Airflow results"), this);
    auto* a = new QGridLayout(airflows);
    airflow_day_ = date_field(this, form_.airflow_at.day);
    airflow_time_ = time_field(this, form_.airflow_at.time);
    a->addWidget(button(ExportKind::PathReport), 0, 0);
    a->addWidget(button(ExportKind::ZoneFlows), 1, 0);
    a->addLayout(instant_row(airflow_day_, airflow_time_), 0, 1, 2, 1);
    path_ = new QSpinBox(this);
    path_->setRange(project_.paths.head() ? 1 : 0, std::max(1, project_.paths.count()));
    path_->setValue(form_.path);
    a->addWidget(button(ExportKind::PathFlow), 2, 0);
    a->addWidget(path_, 2, 1, Qt::AlignLeft);
    a->addWidget(button(ExportKind::AverageFlows), 3, 0, 1, 2);
    layout->addWidget(airflows);

    auto* concentrations = new QGroupBox(QStringLiteral("Contaminant results"), this);
    auto* c = new QGridLayout(concentrations);
    concentration_day_ = date_field(this, form_.concentration_at.day);
    concentration_time_ = time_field(this, form_.concentration_at.time);
    c->addWidget(button(ExportKind::ConcentrationReport), 0, 0);
    c->addLayout(instant_row(concentration_day_, concentration_time_), 0, 1);
    c->addWidget(button(ExportKind::TransientReport), 1, 0, 1, 2);
    c->addWidget(button(ExportKind::ConcentrationExport), 2, 0, 1, 2);
    c->addWidget(button(ExportKind::ZoneConcentrations), 3, 0);
    level_ = new QComboBox(this);
    zone_ = new QComboBox(this);
    for (const Level& level : project_.levels) level_->addItem(q(level.name), level.nr);
    level_->setCurrentIndex(std::max(0, level_->findData(form_.level)));
    auto* zone_row = new QHBoxLayout;
    zone_row->addWidget(new QLabel(QStringLiteral("Level:"), this));
    zone_row->addWidget(level_);
    zone_row->addWidget(new QLabel(QStringLiteral("Zone:"), this));
    zone_row->addWidget(zone_);
    zone_row->addStretch();
    c->addLayout(zone_row, 3, 1);
    layout->addWidget(concentrations);

    auto* period = new QGroupBox(QStringLiteral("Export period"), this);
    auto* p = new QFormLayout(period);
    const ResultsPeriod& available = form_.period;
    p->addRow(new QLabel(QStringLiteral("Results are available from %1 %2 to %3 %4")
                             .arg(q(day_text(available.day0)), q(time_text(available.time0)),
                                  q(day_text(available.day1)), q(time_text(available.time1))),
                         this));
    from_day_ = date_field(this, form_.from.day);
    from_time_ = time_field(this, form_.from.time);
    to_day_ = date_field(this, form_.to.day);
    to_time_ = time_field(this, form_.to.time);
    p->addRow(QStringLiteral("From:"), instant_row(from_day_, from_time_));
    p->addRow(QStringLiteral("To:"), instant_row(to_day_, to_time_));
    layout->addWidget(period);

    auto* buttons = new QDialogButtonBox(this);
    save_ = buttons->addButton(QStringLiteral("Save As..."), QDialogButtonBox::ActionRole);
    // Done closes the dialog; Enter is Save As.
    QPushButton* done = buttons->addButton(QStringLiteral("Done"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(save_, &QPushButton::clicked, this, [this] { save_as(); });
    connect(done, &QPushButton::clicked, this, [this] {
        take_fields();
        accept();
    });
    connect(level_, &QComboBox::currentIndexChanged, this, [this] { fill_zones(); });
    connect(group, &QButtonGroup::idClicked, this, [this](int id) {
        form_.kind = static_cast<ExportKind>(id);
        update_enabled();
    });

    fill_zones();
    const int zone_index = zone_->findData(form_.zone);
    if (zone_index >= 0) zone_->setCurrentIndex(zone_index);
    button(form_.kind)->setChecked(form_.can_save());
    update_enabled();
    save_->setDefault(true);
    button(form_.kind)->setFocus();
}

void ExportDataDialog::fill_zones()
{
    zone_->clear();
    for (std::int32_t nr : ExportDataForm::level_zones(project_, level_->currentData().toInt()))
        if (const Zone* zone = project_.zones.at(nr)) zone_->addItem(q(zone->name), nr);
}

void ExportDataDialog::update_enabled()
{
    const ExportAvailability& a = form_.availability;
    for (int k = 0; k < kExportKindCount; ++k)
        kinds_[static_cast<std::size_t>(k)]->setEnabled(a.allows(static_cast<ExportKind>(k)));
    airflow_day_->setEnabled(a.airflows);
    airflow_time_->setEnabled(a.airflows);
    path_->setEnabled(a.airflows);
    concentration_day_->setEnabled(a.concentrations);
    concentration_time_->setEnabled(a.concentrations);
    level_->setEnabled(a.concentrations);
    zone_->setEnabled(a.concentrations);
    const bool period = !is_one_time_output(form_.kind);
    for (QLineEdit* field : {from_day_, from_time_, to_day_, to_time_}) field->setEnabled(form_.can_save() && period);
    save_->setEnabled(form_.can_save());
}

bool ExportDataDialog::take_fields()
{
    const auto take = [](QLineEdit* day, QLineEdit* time, ResultsInstant& into) {
        const std::optional<ResultsInstant> at = parse_instant(to_1252(day->text().trimmed()), to_1252(time->text().trimmed()));
        if (!at) return false;
        into = *at;
        return true;
    };
    bool ok = take(airflow_day_, airflow_time_, form_.airflow_at);
    ok = take(concentration_day_, concentration_time_, form_.concentration_at) && ok;
    ok = take(from_day_, from_time_, form_.from) && ok;
    ok = take(to_day_, to_time_, form_.to) && ok;
    form_.path = path_->value();
    form_.level = level_->currentData().toInt();
    form_.zone = zone_->currentData().toInt();
    return ok;
}

bool ExportDataDialog::save_as()
{
    if (!take_fields()) {
        show_message(WARNING, {std::string(kInstantFormat)});
        return false;
    }
    return save_export(results_.reader(), project_, project_path_, form_.request());
}

ResultsDisplayWindow::ResultsDisplayWindow(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setWindowTitle(q(kResultsDisplayTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* component = new QGroupBox(QStringLiteral("Building Component"), this);
    auto* form = new QFormLayout(component);
    type_ = new QLabel(this);
    number_ = new QLabel(this);
    level_ = new QLabel(this);
    name_ = new QLabel(this);
    form->addRow(QStringLiteral("Type:"), type_);
    form->addRow(QStringLiteral("Number:"), number_);
    form->addRow(QStringLiteral("Level:"), level_);
    form->addRow(QStringLiteral("Name:"), name_);
    layout->addWidget(component);

    QFont fixed(QStringLiteral("Courier New"), 8);
    fixed.setStyleHint(QFont::Monospace);
    if (!QFontInfo(fixed).fixedPitch()) {
        fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPointSize(8);
    }
    const auto text_box = [&](QGroupBox*& box, QPlainTextEdit*& text, const QString& title, int lines) {
        box = new QGroupBox(title, this);
        auto* inner = new QVBoxLayout(box);
        text = new QPlainTextEdit(box);
        text->setReadOnly(true);
        text->setFont(fixed);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        text->setMinimumHeight(text->fontMetrics().lineSpacing() * lines + 12);
        text->setMinimumWidth(text->fontMetrics().horizontalAdvance(QString(58, QLatin1Char('W'))));
        inner->addWidget(text);
        layout->addWidget(box);
    };
    text_box(results_box_, results_, QStringLiteral("Contaminant Results"), 4);
    text_box(flow_box_, flow_, QStringLiteral("Zone Airflow Results"), 6);
    flow_->document()->setDefaultFont(fixed);
}

void ResultsDisplayWindow::show_content(const ResultsDisplayContent& content)
{
    type_->setText(q(content.type));
    number_->setText(q(content.number));
    level_->setText(q(content.level));
    name_->setText(q(content.name));
    results_box_->setTitle(q(content.results_title));
    results_->setPlainText(shown_lines(content.results_text));
    flow_box_->setVisible(content.flow_box);
    flow_box_->setTitle(q(content.flow_title));
    flow_->setPlainText(content.flow_heading.empty()
                            ? shown_lines(content.flow_text)
                            : q(content.flow_heading) + QStringLiteral("\n") + shown_lines(content.flow_text));
}

QString ResultsDisplayWindow::type_text() const { return type_->text(); }
QString ResultsDisplayWindow::number_text() const { return number_->text(); }
QString ResultsDisplayWindow::name_text() const { return name_->text(); }
QString ResultsDisplayWindow::results_text() const { return results_->toPlainText(); }
QString ResultsDisplayWindow::flow_text() const { return flow_->toPlainText(); }
bool ResultsDisplayWindow::flow_box_shown() const { return !flow_box_->isHidden(); }

}  // namespace avelor::ui
