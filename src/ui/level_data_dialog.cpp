#include "ui/level_data_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <charconv>
#include <string>

#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "editing/editor_session.h"
#include "model/units.h"
#include "sketchpad/sketch_grid.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

// A number as typed, read the same whatever the user's locale.
bool parse_value(const QString& text, float& value)
{
    const std::string typed = text.trimmed().toStdString();
    if (typed.empty()) return false;
    const auto [end, error] = std::from_chars(typed.data(), typed.data() + typed.size(), value);
    return error == std::errc() && end == typed.data() + typed.size();
}

QString shown_value(float value, const char* format)
{
    return QString::fromStdString(format_text(format, static_cast<double>(value)));
}

// The dialog reads the levels' icon lists: the current level's must be up
// to date first.
Project& with_current_level_stored(EditorSession& session)
{
    store_current_level(session.project(), session.grid);
    return session.project();
}

}  // namespace

LevelDataDialog::LevelDataDialog(EditorSession& session, QWidget* parent)
    : QDialog(parent), session_(session), form_(with_current_level_stored(session))
{
    setWindowTitle(QStringLiteral("Level Data"));
    setObjectName(QStringLiteral("LevelDataDialog"));
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("Levels"));
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (filling_ || row < 0) return;
        form_.select(row);
        show_fields();
    });

    name_ = new QLineEdit;
    name_->setObjectName(QStringLiteral("LevelName"));
    name_->setMaxLength(15);
    connect(name_, &QLineEdit::editingFinished, this, [this] {
        if (!form_.set_name(to_1252(name_->text()))) name_->setText(from_1252(form_.name()));
    });
    elevation_ = new QLineEdit;
    elevation_->setObjectName(QStringLiteral("Elevation"));
    height_ = new QLineEdit;
    height_->setObjectName(QStringLiteral("Height"));
    unit_ = new QComboBox;
    unit_->setObjectName(QStringLiteral("Units"));
    for (const std::string& name : unit_display_names(UnitKind::Length)) unit_->addItem(from_1252(name));
    connect(unit_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        commit_values();
        form_.set_unit(index);
        show_rows();
        show_fields();
    });

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Name:"), name_);
    fields->addRow(QStringLiteral("Elevation:"), elevation_);
    fields->addRow(QStringLiteral("Distance to level above:"), height_);
    fields->addRow(QStringLiteral("Units:"), unit_);

    replace_ = new QPushButton(QStringLiteral("<< Replace <<"));
    replace_->setObjectName(QStringLiteral("Replace"));
    connect(replace_, &QPushButton::clicked, this, [this] {
        if (!form_.set_name(to_1252(name_->text()))) {
            name_->setText(from_1252(form_.name()));
            return;
        }
        if (!commit_values()) return;
        if (form_.replace()) changed_ = true;
        show_rows();
        show_fields();
    });
    go_to_ = new QPushButton(QStringLiteral("Go To Level"));
    go_to_->setObjectName(QStringLiteral("GoToLevel"));
    connect(go_to_, &QPushButton::clicked, this, [this] {
        form_.go_to(session_.grid);
        went_ = true;
        accept();
    });

    auto* side = new QVBoxLayout;
    side->addLayout(fields);
    side->addWidget(replace_);
    side->addWidget(go_to_);
    side->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(list_, 1);
    body->addLayout(side);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);

    filling_ = true;
    unit_->setCurrentIndex(form_.unit());
    filling_ = false;
    show_rows();
    show_fields();
    list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QString(42, QLatin1Char('0'))));
}

void LevelDataDialog::show_rows()
{
    filling_ = true;
    list_->clear();
    for (const std::string& row : form_.rows()) list_->addItem(from_1252(row));
    list_->setCurrentRow(form_.selected());
    filling_ = false;
}

void LevelDataDialog::show_fields()
{
    filling_ = true;
    name_->setText(from_1252(form_.name()));
    elevation_->setText(shown_value(form_.elevation_shown(), "%.1f"));
    elevation_->setEnabled(form_.elevation_editable());
    height_->setText(shown_value(form_.height_shown(), "%.2f"));
    unit_->setCurrentIndex(form_.unit());
    filling_ = false;
}

bool LevelDataDialog::commit_values()
{
    float value = 0;
    if (form_.elevation_editable()) {
        if (!parse_value(elevation_->text(), value)) {
            show_message(WARNING, {"The elevation is not a number: ", to_1252(elevation_->text())});
            elevation_->setFocus();
            return false;
        }
        if (shown_value(value, "%.1f") != shown_value(form_.elevation_shown(), "%.1f") && !form_.set_elevation(value)) {
            elevation_->setFocus();
            return false;
        }
    }
    if (!parse_value(height_->text(), value)) {
        show_message(WARNING, {"The distance to the level above is not a number: ", to_1252(height_->text())});
        height_->setFocus();
        return false;
    }
    if (shown_value(value, "%.2f") != shown_value(form_.height_shown(), "%.2f") && !form_.set_height(value)) {
        height_->setFocus();
        return false;
    }
    return true;
}

}  // namespace avelor::ui
