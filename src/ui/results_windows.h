// The results windows of results mode: the "Export Data" dialog over its
// model in the core, and the modeless results display window that shows
// the texts the core builds for the item under the cursor.
#pragma once

#include <array>
#include <string>

#include <QDialog>
#include <QWidget>

#include "simulation/results_display.h"
#include "simulation/results_export.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace avelor {
class Project;
class ResultsMode;
}  // namespace avelor

namespace avelor::ui {

class ExportDataDialog final : public QDialog {
    Q_OBJECT
public:
    // The form is started by the caller; it keeps the choices afterwards.
    ExportDataDialog(ExportDataForm& form, ResultsMode& results, const Project& project, std::string project_path,
                     QWidget* parent = nullptr);

    QRadioButton* output_button(ExportKind kind) const { return kinds_[static_cast<std::size_t>(kind)]; }
    QPushButton* save_button() const { return save_; }
    QLineEdit* airflow_day() const { return airflow_day_; }
    QLineEdit* airflow_time() const { return airflow_time_; }
    QLineEdit* from_day() const { return from_day_; }
    QLineEdit* from_time() const { return from_time_; }
    QLineEdit* to_day() const { return to_day_; }
    QLineEdit* to_time() const { return to_time_; }
    QSpinBox* path_field() const { return path_; }
    QComboBox* zone_field() const { return zone_; }

    // Save As...: the fields into the form, then its checks, the file
    // choice and the write. The dialog stays open.
    bool save_as();

private:
    void fill_zones();
    void update_enabled();
    bool take_fields();

    ExportDataForm& form_;
    ResultsMode& results_;
    const Project& project_;
    std::string project_path_;
    std::array<QRadioButton*, kExportKindCount> kinds_{};
    QLineEdit* airflow_day_ = nullptr;
    QLineEdit* airflow_time_ = nullptr;
    QLineEdit* concentration_day_ = nullptr;
    QLineEdit* concentration_time_ = nullptr;
    QLineEdit* from_day_ = nullptr;
    QLineEdit* from_time_ = nullptr;
    QLineEdit* to_day_ = nullptr;
    QLineEdit* to_time_ = nullptr;
    QSpinBox* path_ = nullptr;
    QComboBox* level_ = nullptr;
    QComboBox* zone_ = nullptr;
    QPushButton* save_ = nullptr;
};

class ResultsDisplayWindow final : public QWidget {
    Q_OBJECT
public:
    explicit ResultsDisplayWindow(QWidget* parent = nullptr);

    void show_content(const ResultsDisplayContent& content);

    QString type_text() const;
    QString number_text() const;
    QString name_text() const;
    QString results_text() const;
    QString flow_text() const;
    bool flow_box_shown() const;

private:
    QLabel* type_ = nullptr;
    QLabel* number_ = nullptr;
    QLabel* level_ = nullptr;
    QLabel* name_ = nullptr;
    QGroupBox* results_box_ = nullptr;
    QPlainTextEdit* results_ = nullptr;
    QGroupBox* flow_box_ = nullptr;
    QPlainTextEdit* flow_ = nullptr;
};

}  // namespace avelor::ui
