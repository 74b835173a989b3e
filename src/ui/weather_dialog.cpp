#include "ui/weather_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/text_1252.h"
#include "ui/unit_widgets.h"

namespace avelor::ui {

namespace {

QString text_of(std::string_view text) { return from_1252(text); }

}  // namespace

WeatherDialog::WeatherDialog(WeatherForm& form, QWidget* parent) : QDialog(parent), form_(form)
{
    setWindowTitle(text_of(kWeatherSheetCaption));
    setObjectName(QStringLiteral("WeatherDialog"));
    pages_ = new QTabWidget;
    pages_->setObjectName(QStringLiteral("Pages"));
    pages_->addTab(weather_page(), text_of(kWeatherPageCaptions[0]));
    pages_->addTab(wind_page(), text_of(kWeatherPageCaptions[1]));
    pages_->addTab(location_page(), text_of(kWeatherPageCaptions[2]));
    pages_->addTab(display_page(), text_of(kWeatherPageCaptions[3]));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
    show_derived();
}

void WeatherDialog::add_field(QFormLayout* layout, WeatherField field, const char* label, const char* name)
{
    auto* edit = new UnitFieldEdit(form_.field(field),
                                   [this, field](std::string_view text) { return form_.set_field(field, text); });
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12);
    edits_.push_back(edit);
    connect(edit, &UnitFieldEdit::validated, this, [this] {
        // A new altitude shows another pressure.
        for (UnitFieldEdit* e : edits_) e->show_field();
        show_derived();
    });
    const UnitSelector* units = form_.units(field);
    if (!units) {
        layout->addRow(QString::fromLatin1(label), edit);
        return;
    }
    auto* row = new QHBoxLayout;
    row->addWidget(edit);
    auto* combo = new UnitSelectorCombo(*units, [this, field](int entry) { return form_.select_unit(field, entry); });
    combo->setObjectName(QString::fromLatin1(name) + QStringLiteral("Unit"));
    combo->pair_with(edit);
    row->addWidget(combo);
    layout->addRow(QString::fromLatin1(label), row);
}

QWidget* WeatherDialog::weather_page()
{
    auto* page = new QWidget;
    auto* f = new QFormLayout(page);
    add_field(f, WeatherField::Temperature, "Ambient Temperature:", "Temperature");
    add_field(f, WeatherField::Pressure, "Absolute Pressure:", "Pressure");
    add_field(f, WeatherField::WindSpeed, "Wind Speed:", "WindSpeed");
    add_field(f, WeatherField::WindDirection, "Wind Direction [deg]:", "WindDirection");
    add_field(f, WeatherField::RelativeHumidity, "Relative Humidity [0-1]:", "RelativeHumidity");
    auto* day = new QComboBox;
    day->setObjectName(QStringLiteral("DayType"));
    const char* names[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday",
                           "8",      "9",      "10",      "11",        "12"};
    for (const char* n : names) day->addItem(QString::fromLatin1(n));
    day->setCurrentIndex(form_.day_type() - 1);
    connect(day, &QComboBox::currentIndexChanged, this, [this](int i) { form_.set_day_type(i + 1); });
    f->addRow(QStringLiteral("Day Type:"), day);
    humidity_ = new QLabel;
    humidity_->setObjectName(QStringLiteral("HumidityRatio"));
    fraction_ = new QLabel;
    fraction_->setObjectName(QStringLiteral("MassFraction"));
    f->addRow(QStringLiteral("Humidity Ratio [g/kg]:"), humidity_);
    f->addRow(QStringLiteral("Mass Fraction of H2O [kg/kg]:"), fraction_);
    return page;
}

QWidget* WeatherDialog::wind_page()
{
    auto* page = new QWidget;
    auto* f = new QFormLayout(page);
    add_field(f, WeatherField::RelativeNorth, "Relative North [deg]:", "RelativeNorth");
    add_field(f, WeatherField::WallHeight, "Roof or Wall Height:", "WallHeight");
    add_field(f, WeatherField::TerrainConstant, "Local Terrain Constant [0.2-1.0]:", "TerrainConstant");
    add_field(f, WeatherField::ProfileExponent, "Velocity Profile Exponent [0.1-0.5]:", "ProfileExponent");
    modifier_ = new QLabel;
    modifier_->setObjectName(QStringLiteral("WindModifier"));
    f->addRow(QStringLiteral("Wind Speed Modifier:"), modifier_);
    return page;
}

QWidget* WeatherDialog::location_page()
{
    auto* page = new QWidget;
    auto* f = new QFormLayout(page);
    add_field(f, WeatherField::Latitude, "Latitude [deg, north positive]:", "Latitude");
    add_field(f, WeatherField::Longitude, "Longitude [deg, east positive]:", "Longitude");
    add_field(f, WeatherField::TimeZone, "Time Zone [h]:", "TimeZone");
    add_field(f, WeatherField::Altitude, "Altitude:", "Altitude");
    return page;
}

QWidget* WeatherDialog::display_page()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* note = new QLabel(text_of(kWindPressureDisplayNote));
    note->setWordWrap(true);
    v->addWidget(note);
    auto* f = new QFormLayout;
    add_field(f, WeatherField::TestTemperature, "Ambient Temperature:", "TestTemperature");
    add_field(f, WeatherField::TestPressure, "Absolute Pressure:", "TestPressure");
    add_field(f, WeatherField::TestWindSpeed, "Wind Speed:", "TestWindSpeed");
    add_field(f, WeatherField::TestWindDirection, "Wind Direction [deg]:", "TestWindDirection");
    v->addLayout(f);
    v->addStretch();
    return page;
}

void WeatherDialog::show_derived()
{
    if (humidity_) humidity_->setText(text_of(form_.humidity_ratio_text()));
    if (fraction_) fraction_->setText(text_of(form_.mass_fraction_text()));
    if (modifier_) modifier_->setText(text_of(form_.wind_modifier_text()));
}

void WeatherDialog::accept()
{
    // A field still being typed in is checked first, as leaving it would;
    // the others keep their values exactly.
    for (UnitFieldEdit* e : edits_)
        if (e->text() != text_of(e->field().shown_text()) && !e->commit()) return;
    form_.accept();
    QDialog::accept();
}

bool run_weather_dialog(QWidget* parent, Project& project)
{
    WeatherForm form(project);
    WeatherDialog dialog(form, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace avelor::ui
