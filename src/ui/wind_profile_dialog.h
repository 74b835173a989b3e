// "Wind Pressure Profile" over a WindProfileForm, with its chart of the
// points and the fit, and the Data menu's manager of the project's wind
// pressure profiles.
#pragma once

#include <QDialog>

#include <array>
#include <memory>

#include "app/lists.h"
#include "forms/wind_profile_form.h"
#include "model/wind_profile.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace avelor {
class Project;
}

namespace avelor::ui {

class Chart;

class WindProfileDialog final : public QDialog {
    Q_OBJECT
public:
    // A new profile when original is null, else the record of the list.
    WindProfileDialog(NamedList<WindProfile>& profiles, WindProfile* original, QWidget* parent = nullptr);
    ~WindProfileDialog() override;

    WindProfileForm& form() { return form_; }
    // The stored profile once OK was accepted, else null.
    WindProfile* stored() const { return form_.stored(); }
    Chart& chart() const { return *chart_; }
    // Whether the chart shows the fit around a circle (radius 1 + Cp, the
    // unit circle the zero coefficient) rather than against the angle.
    bool polar() const;

    void accept() override;

private:
    void take_rows();
    void show_rows();
    void draw();
    void sync_fit_buttons();

    WindProfileForm form_;
    QLineEdit* name_ = nullptr;
    QLineEdit* description_ = nullptr;
    std::array<QLineEdit*, WindProfileForm::kRows> angles_{};
    std::array<QLineEdit*, WindProfileForm::kRows> coefficients_{};
    QButtonGroup* fits_ = nullptr;
    QCheckBox* polar_ = nullptr;
    std::unique_ptr<Chart> chart_;
};

// "AVELORW Data and Library Manager: Wind Pressure Profiles": the project's
// profiles in name order with the selected one's description; "New...",
// "Edit..." (or a double click) open the profile dialog, "Delete" removes a
// profile nothing uses.
class WindProfileManagerDialog final : public QDialog {
    Q_OBJECT
public:
    explicit WindProfileManagerDialog(Project& project, QWidget* parent = nullptr);

    QListWidget* profile_list() const { return list_; }

private:
    void fill(const WindProfile* selected);
    WindProfile* current() const;
    void show_selected();

    Project& project_;
    QListWidget* list_ = nullptr;
    QLabel* description_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
};

// The profile dialog on a new profile (original null) or a project profile;
// the stored profile once accepted, else null.
WindProfile* run_wind_profile_dialog(QWidget* parent, Project& project, WindProfile* original = nullptr);
// The Data menu's "Wind Pressure Profiles...".
void run_wind_profile_manager(QWidget* parent, Project& project);

}  // namespace avelor::ui
