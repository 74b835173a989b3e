#include "ui/sheet_widgets.h"

#include "ui/library_manager_dialog.h"

#include <QButtonGroup>
#include <QColor>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "model/project.h"
#include "sketchpad/palette.h"
#include "ui/schedule_dialogs.h"

namespace avelor::ui {

QRadioButton* sheet_radio(const char* text, QButtonGroup* group, int id, QLayout* layout)
{
    auto* button = new QRadioButton(QString::fromLatin1(text));
    group->addButton(button, id);
    layout->addWidget(button);
    return button;
}

QPushButton* unavailable_button(const char* text, const char* tip)
{
    auto* button = new QPushButton(QString::fromLatin1(text));
    button->setEnabled(false);
    button->setToolTip(QString::fromLatin1(tip));
    return button;
}

QPushButton* library_manager_button(QWidget* dialog, Project& project, DefinitionKind kind, std::function<void()> after)
{
    auto* button = new QPushButton(QStringLiteral("Library..."));
    button->setObjectName(QStringLiteral("Library"));
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, dialog, [dialog, &project, kind, after = std::move(after)] {
        run_library_manager(dialog, project, kind, false);
        after();
    });
    return button;
}

void check_button(QButtonGroup* group, int id)
{
    if (QAbstractButton* button = group->button(id)) button->setChecked(true);
}

void fill_unit_names(QComboBox* combo, UnitKind kind, int unit)
{
    const QSignalBlocker block(combo);
    combo->clear();
    for (const std::string& name : unit_display_names(kind)) combo->addItem(from_1252(name));
    combo->setCurrentIndex(unit_index_valid(kind, unit) ? unit : 0);
}

QComboBox* colour_choice(const char* name)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    combo->addItem(QStringLiteral("Use Default"));
    for (int i = 0; i < kSketchColourCount; ++i) {
        const Rgb c = sketch_colour(i, {});
        QPixmap swatch(16, 16);
        swatch.fill(QColor(c.r, c.g, c.b));
        combo->addItem(QIcon(swatch), QString::number(i));
    }
    return combo;
}

void show_colour(QComboBox* combo, int index)
{
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(index >= -1 && index < kSketchColourCount ? index + 1 : 0);
}

// ------------------------------------------------------------ schedule page

SchedulePageWidget::SchedulePageWidget(SchedulePage& page, Project& project, QWidget* parent)
    : QWidget(parent), page_(page), project_(project)
{
    auto* layout = new QVBoxLayout(this);
    auto* schedule = new QGroupBox(QStringLiteral("Schedule"));
    auto* form = new QFormLayout(schedule);
    name_ = new QComboBox;
    name_->setObjectName(QStringLiteral("schedule"));
    form->addRow(QStringLiteral("Name:"), name_);
    description_ = new QLabel;
    form->addRow(QStringLiteral("Description:"), description_);
    auto* buttons = new QHBoxLayout;
    edit_ = new QPushButton(QStringLiteral("&Edit Schedule"));
    edit_->setObjectName(QStringLiteral("EditSchedule"));
    auto* make = new QPushButton(QStringLiteral("&New Schedule"));
    make->setObjectName(QStringLiteral("NewSchedule"));
    buttons->addWidget(edit_);
    buttons->addWidget(make);
    buttons->addWidget(library_manager_button(this, project_, DefinitionKind::WeekSchedule, [this] {
        page_.reload(project_, page_.chosen());
        refresh();
    }));
    connect(edit_, &QPushButton::clicked, this, [this] {
        if (WeekSchedule* w = page_.chosen()) {
            run_week_schedule_dialog(this, project_, *w, w);
            page_.reload(project_, w);
            refresh();
        }
    });
    connect(make, &QPushButton::clicked, this, [this] {
        const auto utyp = static_cast<std::int16_t>(kind_number(page_.schedule_kind));
        const auto unit = static_cast<std::int16_t>(utyp == kScheduleTemperature ? project_.rc.uT : 0);
        if (WeekSchedule* w = run_week_schedule_dialog(this, project_, new_week_schedule(utyp, unit), nullptr)) {
            page_.reload(project_, w);
            refresh();
        }
    });
    form->addRow(buttons);
    layout->addWidget(schedule);

    auto* control = new QGroupBox(QStringLiteral("CVF/DVF Control"));
    auto* control_layout = new QVBoxLayout(control);
    kind_ = new QButtonGroup(this);
    sheet_radio("Use Neither", kind_, 0, control_layout);
    sheet_radio("Use CVF", kind_, 1, control_layout);
    sheet_radio("Use DVF", kind_, 2, control_layout);
    column_ = new QComboBox;
    column_->setObjectName(QStringLiteral("column"));
    control_layout->addWidget(column_);
    layout->addWidget(control);

    auto* status = new QGroupBox(QStringLiteral("Control Status"));
    auto* status_layout = new QVBoxLayout(status);
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("control_status"));
    status_layout->addWidget(status_);
    layout->addWidget(status);
    layout->addStretch();

    connect(name_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        page_.choose_schedule(index);
        refresh();
    });
    connect(kind_, &QButtonGroup::idClicked, this, [this](int id) {
        page_.set_control_kind(id);
        refresh();
    });
    connect(column_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        page_.choose_column(to_1252(column_->itemText(index)));
        refresh();
    });
    refresh();
}

QWidget* SchedulePageWidget::column() const { return column_; }

void SchedulePageWidget::refresh()
{
    filling_ = true;
    name_->clear();
    for (const std::string& choice : page_.schedule_choices()) name_->addItem(from_1252(choice));
    name_->setCurrentIndex(page_.schedule);
    description_->setText(from_1252(page_.description()));
    edit_->setEnabled(page_.edit_schedule_enabled());
    kind_->button(1)->setEnabled(page_.cvf_enabled());
    kind_->button(2)->setEnabled(page_.dvf_enabled());
    check_button(kind_, page_.cdvf.kind);
    column_->clear();
    for (const std::string& c : page_.column_choices()) column_->addItem(from_1252(c));
    column_->setCurrentIndex(column_->findText(from_1252(page_.cdvf.name)));
    column_->setEnabled(page_.cdvf.kind == 1 || page_.cdvf.kind == 2);
    status_->setText(from_1252(page_.control_status()));
    filling_ = false;
}

}  // namespace avelor::ui
