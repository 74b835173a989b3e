// The "Weather and Wind Parameters" sheet (Weather > Edit Weather Data, F7,
// and the Edit Weather Data button of the simulation parameters).
#pragma once

#include <QDialog>

#include <vector>

#include "forms/weather_form.h"

class QFormLayout;
class QLabel;
class QTabWidget;

namespace avelor {
class Project;
}

namespace avelor::ui {

class UnitFieldEdit;

// Runs the sheet on the project; true when it was accepted.
bool run_weather_dialog(QWidget* parent, Project& project);

class WeatherDialog final : public QDialog {
    Q_OBJECT
public:
    WeatherDialog(WeatherForm& form, QWidget* parent = nullptr);
    void accept() override;

private:
    QWidget* weather_page();
    QWidget* wind_page();
    QWidget* location_page();
    QWidget* display_page();
    // A row of the field, with its unit list when it has one.
    void add_field(QFormLayout* layout, WeatherField field, const char* label, const char* name);
    void show_derived();

    WeatherForm& form_;
    QTabWidget* pages_ = nullptr;
    std::vector<UnitFieldEdit*> edits_;
    QLabel* humidity_ = nullptr;
    QLabel* fraction_ = nullptr;
    QLabel* modifier_ = nullptr;
};

}  // namespace avelor::ui
