#include "ui/results_view.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/diagnostics.h"
#include "app/text_convert.h"

namespace avelor::ui {

ResultsOverlay results_overlay(const ResultsMode& results, ResultLines lines)
{
    ResultsOverlay overlay;
    overlay.lines = lines;
    overlay.flow_scale = results.flow_scale();
    overlay.pressure_scale = results.pressure_scale();
    for (const ResultsDisplayEntry& e : results.display_list()) {
        overlay.marks.push_back(ResultMark{e.row, e.col, e.dir, e.F0, e.dP});
        // The second part of a two-way flow is drawn as a flow of its own.
        if (e.F1 != 0)
            overlay.marks.push_back(ResultMark{e.row, e.col, e.dir, e.F1, 0});
    }
    return overlay;
}

namespace {

QLineEdit* two_digit_field(QWidget* parent, int top)
{
    auto* field = new QLineEdit(parent);
    field->setMaxLength(2);
    field->setValidator(new QIntValidator(0, top, field));
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    return field;
}

QString q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

GoToDateTimeDialog::GoToDateTimeDialog(ResultsMode& results, QWidget* parent) : QDialog(parent), results_(results)
{
    setWindowTitle(QStringLiteral("Go To Date/Time"));
    const ResultsPeriod period = results_.period();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Results are available"), this));
    layout->addWidget(new QLabel(QStringLiteral("from %1 %2 to %3 %4")
                                     .arg(q(day_text(period.day0)), q(time_text(period.time0)),
                                          q(day_text(period.day1)), q(time_text(period.time1))),
                                 this));
    auto* grid = new QGridLayout;
    month_ = new QComboBox(this);
    for (std::string_view m : month_names)
        month_->addItem(QString::fromLatin1(m.data(), static_cast<int>(m.size())));
    day_ = new QSpinBox(this);
    hours_ = two_digit_field(this, 24);
    minutes_ = two_digit_field(this, 59);
    seconds_ = two_digit_field(this, 59);
    grid->addWidget(new QLabel(QStringLiteral("Date:"), this), 0, 0);
    grid->addWidget(month_, 0, 1);
    grid->addWidget(day_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Time:"), this), 1, 0);
    auto* time_row = new QHBoxLayout;
    time_row->addWidget(hours_);
    time_row->addWidget(new QLabel(QStringLiteral(":"), this));
    time_row->addWidget(minutes_);
    time_row->addWidget(new QLabel(QStringLiteral(":"), this));
    time_row->addWidget(seconds_);
    time_row->addStretch();
    grid->addLayout(time_row, 1, 1, 1, 2);
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GoToDateTimeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GoToDateTimeDialog::reject);
    layout->addWidget(buttons);
    connect(month_, &QComboBox::currentIndexChanged, this, [this] { month_changed(); });
    set_choice(results_.day() > 0 ? results_.day() : period.day0, results_.time());
}

void GoToDateTimeDialog::month_changed()
{
    const int month = month_->currentIndex();
    day_->setRange(1, month_days[static_cast<std::size_t>(std::clamp(month, 0, 11))]);
}

void GoToDateTimeDialog::set_choice(int day, std::int32_t time)
{
    month_->setCurrentIndex(month_of(day) - 1);
    month_changed();
    day_->setValue(day_in_month(day));
    const TimeParts parts = split_time(std::clamp<std::int32_t>(time, 0, kSecondsInDay));
    hours_->setText(QString::number(parts.hours));
    minutes_->setText(QString::number(parts.minutes));
    seconds_->setText(QString::number(parts.seconds));
}

int GoToDateTimeDialog::chosen_day() const
{
    const int month = std::clamp(month_->currentIndex(), 0, 11);
    return days_before_month[static_cast<std::size_t>(month)] + day_->value();
}

std::int32_t GoToDateTimeDialog::chosen_time() const
{
    return hours_->text().toInt() * 3600 + minutes_->text().toInt() * 60 + seconds_->text().toInt();
}

void GoToDateTimeDialog::accept()
{
    const int day = chosen_day();
    const std::int32_t time = chosen_time();
    const std::string fault = results_.go_to_fault(day, time);
    if (!fault.empty()) {
        show_message(WARNING, {fault});
        // A time outside the period on a boundary day moves to its edge.
        const ResultsPeriod p = results_.period();
        if (day == p.day0 && time < p.time0)
            set_choice(day, p.time0);
        else if (day == p.day1 && time > p.time1)
            set_choice(day, p.time1);
        return;
    }
    if (results_.go_to(day, time))
        QDialog::accept();
}

}  // namespace avelor::ui
