// The view side of results mode: the lines drawn over the paths of the
// current level and the "Go To Date/Time" dialog. The state, the moves and
// every check live in the core's ResultsMode.
#pragma once

#include <QDialog>

#include "sketchpad/renderer.h"
#include "simulation/results_mode.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace avelor::ui {

// The results lines of the display list: each entry's flow parts and its
// pressure difference at its cell, with the file's scales.
ResultsOverlay results_overlay(const ResultsMode& results, ResultLines lines);

class GoToDateTimeDialog final : public QDialog {
    Q_OBJECT
public:
    GoToDateTimeDialog(ResultsMode& results, QWidget* parent = nullptr);

    // The day (1..365) and time of day (s) the fields hold.
    int chosen_day() const;
    std::int32_t chosen_time() const;
    void set_choice(int day, std::int32_t time);

    void accept() override;

private:
    void month_changed();

    ResultsMode& results_;
    QComboBox* month_ = nullptr;
    QSpinBox* day_ = nullptr;
    QLineEdit* hours_ = nullptr;
    QLineEdit* minutes_ = nullptr;
    QLineEdit* seconds_ = nullptr;
};

}  // namespace avelor::ui
