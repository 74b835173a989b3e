#include "ui/schedule_dialogs.h"

#include <QButtonGroup>
#include <QChartView>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>
#include <memory>

#include "model/project.h"
#include "model/units.h"
#include "ui/chart_facility.h"
#include "ui/library_manager_dialog.h"
#include "ui/text_1252.h"
#include "ui/unit_widgets.h"

namespace avelor::ui {

namespace {

QPushButton* button(const char* text, const char* name)
{
    auto* b = new QPushButton(QString::fromUtf8(text));
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// "Library...": the library manager for the definitions the dialog lists;
// after it, the dialog shows the project's definitions again.
QPushButton* library_button(QWidget* dialog, Project& project, DefinitionKind kind, std::function<void()> after)
{
    auto* b = button("&Library...", "Library");
    QObject::connect(b, &QPushButton::clicked, dialog, [dialog, &project, kind, after = std::move(after)] {
        run_library_manager(dialog, project, kind, false);
        after();
    });
    return b;
}

QDialogButtonBox* ok_cancel(QDialog* dialog)
{
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

// Name and description fields of a definition dialog.
struct NameFields {
    QLineEdit* name = nullptr;
    QLineEdit* desc = nullptr;

    QFormLayout* make(const std::string& name_text, const std::string& desc_text)
    {
        name = new QLineEdit(from_1252(name_text));
        name->setObjectName(QStringLiteral("Name"));
        name->setMaxLength(15);
        desc = new QLineEdit(from_1252(desc_text));
        desc->setObjectName(QStringLiteral("Description"));
        desc->setMaxLength(70);
        auto* form = new QFormLayout;
        form->addRow(QStringLiteral("&Name:"), name);
        form->addRow(QStringLiteral("&Description:"), desc);
        return form;
    }
};

// Hours, minutes and seconds of a point editor.
struct TimeFields {
    QSpinBox* h = nullptr;
    QSpinBox* m = nullptr;
    QSpinBox* s = nullptr;

    QHBoxLayout* make()
    {
        auto* row = new QHBoxLayout;
        auto spin = [&](int top, const char* name, const char* after) {
            auto* box = new QSpinBox;
            box->setRange(0, top);
            box->setObjectName(QString::fromLatin1(name));
            row->addWidget(box);
            if (after[0]) row->addWidget(new QLabel(QString::fromLatin1(after)));
            return box;
        };
        h = spin(24, "Hours", ":");
        m = spin(59, "Minutes", ":");
        s = spin(59, "Seconds", "");
        row->addStretch();
        return row;
    }
    void show(const TypedTime& t)
    {
        h->setValue(t.hours);
        m->setValue(t.minutes);
        s->setValue(t.seconds);
    }
    TypedTime typed() const { return {h->value(), m->value(), s->value()}; }
};

QFont fixed_font() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

std::string value_title(std::int16_t utyp, std::int16_t ucnv)
{
    if (utyp != kScheduleTemperature) return "Value [-]";
    return "Temperature [" + unit_display_name(UnitKind::Temperature, ucnv) + "]";
}

// ---------------------------------------------------------- day schedule

class DayScheduleDialog final : public QDialog {
public:
    DayScheduleDialog(QWidget* parent, Project& project, const DaySchedule& copy, DaySchedule* stored)
        : QDialog(parent), project_(project), stored_(stored), form_(copy)
    {
        setWindowTitle(QStringLiteral("Day Schedule"));
        setObjectName(QStringLiteral("DayScheduleDialog"));
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(names_.make(copy.name, copy.desc));

        auto* shape = new QGroupBox(QStringLiteral("Shape"));
        auto* shape_row = new QHBoxLayout(shape);
        rectangular_ = new QRadioButton(QStringLiteral("&Rectangular"));
        rectangular_->setObjectName(QStringLiteral("Rectangular"));
        auto* trapezoidal = new QRadioButton(QStringLiteral("&Trapezoidal"));
        trapezoidal->setObjectName(QStringLiteral("Trapezoidal"));
        shape_row->addWidget(rectangular_);
        shape_row->addWidget(trapezoidal);
        (form_.trapezoidal() ? trapezoidal : rectangular_)->setChecked(true);
        connect(trapezoidal, &QRadioButton::toggled, this, [this](bool on) { form_.set_trapezoidal(on); });
        layout->addWidget(shape);

        auto* body = new QHBoxLayout;
        points_ = new QListWidget;
        points_->setObjectName(QStringLiteral("Points"));
        points_->setFont(fixed_font());
        points_->setMinimumWidth(200);
        body->addWidget(points_);

        auto* editor = new QGroupBox(QStringLiteral("Point"));
        auto* editor_form = new QFormLayout(editor);
        editor_form->addRow(QStringLiteral("Time (h:m:s):"), time_.make());
        value_ = new UnitFieldEdit(form_.value_field());
        value_->setObjectName(QStringLiteral("Value"));
        auto* value_row = new QHBoxLayout;
        value_row->addWidget(value_);
        if (form_.unit_selector_shown()) {
            auto* unit = new UnitSelectorCombo(form_.unit());
            unit->setObjectName(QStringLiteral("Unit"));
            unit->pair_with(value_);
            connect(unit, &UnitSelectorCombo::unit_changed, this, [this] {
                form_.unit_changed();
                fill();
            });
            value_row->addWidget(unit);
        }
        auto* value_label = new QLabel(QStringLiteral("&Value:"));
        value_label->setBuddy(value_);
        editor_form->addRow(value_label, value_row);
        auto* insert = button("<< &Insert <<", "Insert");
        delete_ = button("De&lete", "Delete");
        auto* plot = button("Display &Graphically", "Display");
        auto* edit_buttons = new QHBoxLayout;
        edit_buttons->addWidget(insert);
        edit_buttons->addWidget(delete_);
        editor_form->addRow(edit_buttons);
        editor_form->addRow(plot);
        body->addWidget(editor);
        layout->addLayout(body);
        layout->addWidget(ok_cancel(this));

        connect(points_, &QListWidget::currentRowChanged, this, [this](int row) {
            if (filling_ || row < 0) return;
            form_.select_point(row);
            show_editor();
        });
        connect(insert, &QPushButton::clicked, this, [this] {
            if (!value_->commit()) return;
            form_.edit_time = time_.typed();
            if (form_.insert()) fill();
        });
        connect(delete_, &QPushButton::clicked, this, [this] {
            if (form_.delete_point()) {
                fill();
                show_editor();
            }
        });
        connect(plot, &QPushButton::clicked, this, [this] {
            const DaySchedule& d = form_.working();
            show_schedule_plot(this, "Day Schedule: " + to_1252(names_.name->text()), d.utyp, d.ucnv,
                               {{to_1252(names_.name->text()), form_.curve()}});
        });
        fill();
        show_editor();
    }

    DaySchedule* record() const { return form_.stored(); }

    void accept() override
    {
        form_.set_name(to_1252(names_.name->text()));
        form_.set_description(to_1252(names_.desc->text()));
        if (!form_.accept(project_.day_schedules, stored_)) {
            names_.name->setText(from_1252(form_.working().name));
            names_.name->setFocus();
            return;
        }
        QDialog::accept();
    }

private:
    void fill()
    {
        filling_ = true;
        points_->clear();
        for (const std::string& row : form_.point_rows()) points_->addItem(from_1252(row));
        points_->setCurrentRow(form_.selected());
        delete_->setEnabled(form_.delete_enabled());
        filling_ = false;
    }
    void show_editor()
    {
        time_.show(form_.edit_time);
        value_->show_field();
        delete_->setEnabled(form_.delete_enabled());
    }

    Project& project_;
    DaySchedule* stored_;
    DayScheduleForm form_;
    NameFields names_;
    TimeFields time_;
    QRadioButton* rectangular_ = nullptr;
    QListWidget* points_ = nullptr;
    UnitFieldEdit* value_ = nullptr;
    QPushButton* delete_ = nullptr;
    bool filling_ = false;
};

// --------------------------------------------------------- week schedule

class WeekScheduleDialog final : public QDialog {
public:
    WeekScheduleDialog(QWidget* parent, Project& project, const WeekSchedule& copy, WeekSchedule* stored)
        : QDialog(parent), project_(project), stored_(stored), form_(project, copy)
    {
        setWindowTitle(QStringLiteral("Week Schedule"));
        setObjectName(QStringLiteral("WeekScheduleDialog"));
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(names_.make(copy.name, copy.desc));

        auto* body = new QHBoxLayout;
        days_ = new QTreeWidget;
        days_->setObjectName(QStringLiteral("Days"));
        days_->setRootIsDecorated(false);
        days_->setColumnCount(2);
        days_->setHeaderLabels({QStringLiteral("Day Type"), QStringLiteral("Day Schedule")});
        days_->setSelectionMode(QAbstractItemView::ExtendedSelection);
        days_->setMinimumWidth(260);
        body->addWidget(days_);

        auto* middle = new QVBoxLayout;
        auto* replace = button("<< &Replace <<", "Replace");
        middle->addStretch();
        middle->addWidget(replace);
        middle->addStretch();
        body->addLayout(middle);

        auto* available = new QGroupBox(QStringLiteral("Available Schedules"));
        auto* available_layout = new QVBoxLayout(available);
        available_ = new QListWidget;
        available_->setObjectName(QStringLiteral("Available"));
        available_layout->addWidget(available_);
        auto* edit_day = button("&Edit Day Schedule", "EditDay");
        auto* new_day = button("Ne&w Day Schedule", "NewDay");
        available_layout->addWidget(edit_day);
        available_layout->addWidget(new_day);
        available_layout->addWidget(
            library_button(this, project_, DefinitionKind::DaySchedule, [this] { refresh(current_day()); }));
        body->addWidget(available);
        layout->addLayout(body);
        auto* plot = button("Display &Graphically", "Display");
        layout->addWidget(plot, 0, Qt::AlignLeft);
        layout->addWidget(ok_cancel(this));

        connect(replace, &QPushButton::clicked, this, [this] {
            std::vector<int> chosen;
            for (QTreeWidgetItem* item : days_->selectedItems()) chosen.push_back(days_->indexOfTopLevelItem(item));
            if (DaySchedule* d = current_day(); d && form_.replace(chosen, d)) fill_days();
        });
        connect(edit_day, &QPushButton::clicked, this, [this] {
            if (DaySchedule* d = current_day()) {
                DaySchedule* edited = run_day_schedule_dialog(this, project_, *d, d);
                if (edited) refresh(edited);
            }
        });
        connect(new_day, &QPushButton::clicked, this, [this] {
            const WeekSchedule& w = form_.working();
            if (DaySchedule* made = run_day_schedule_dialog(this, project_, new_day_schedule(w.utyp, w.ucnv), nullptr))
                refresh(made);
        });
        connect(plot, &QPushButton::clicked, this, [this] {
            if (auto curves = form_.display())
                show_schedule_plot(this, "Week Schedule: " + to_1252(names_.name->text()), form_.working().utyp,
                                   form_.working().ucnv, *curves);
        });
        fill_days();
        refresh(nullptr);
    }

    WeekSchedule* record() const { return form_.stored(); }

    void accept() override
    {
        form_.set_name(to_1252(names_.name->text()));
        form_.set_description(to_1252(names_.desc->text()));
        if (!form_.accept(project_.week_schedules, stored_)) {
            names_.name->setText(from_1252(form_.working().name));
            return;
        }
        QDialog::accept();
    }

private:
    DaySchedule* current_day() const
    {
        const int row = available_->currentRow();
        const auto& days = form_.available();
        return row >= 0 && row < static_cast<int>(days.size()) ? days[static_cast<std::size_t>(row)] : nullptr;
    }
    void fill_days()
    {
        const auto rows = form_.day_rows();
        const QSignalBlocker quiet(days_);
        if (days_->topLevelItemCount() == 0)
            for (const auto& row : rows) new QTreeWidgetItem(days_, {from_1252(row.first), QString()});
        for (int k = 0; k < static_cast<int>(rows.size()); ++k)
            days_->topLevelItem(k)->setText(1, from_1252(rows[static_cast<std::size_t>(k)].second));
    }
    // The day schedules changed: offers them anew, choosing choose.
    void refresh(DaySchedule* choose)
    {
        form_.refresh_available(project_);
        available_->clear();
        int row = form_.available().empty() ? -1 : 0;
        for (std::size_t k = 0; k < form_.available().size(); ++k) {
            available_->addItem(from_1252(form_.available()[k]->name));
            if (form_.available()[k] == choose) row = static_cast<int>(k);
        }
        available_->setCurrentRow(row);
        fill_days();
    }

    Project& project_;
    WeekSchedule* stored_;
    WeekScheduleForm form_;
    NameFields names_;
    QTreeWidget* days_ = nullptr;
    QListWidget* available_ = nullptr;
};

// ---------------------------------------------------- occupancy schedule

class OccupancyScheduleDialog final : public QDialog {
public:
    OccupancyScheduleDialog(QWidget* parent, Project& project, const OccupancySchedule& copy,
                            OccupancySchedule* stored)
        : QDialog(parent), project_(project), stored_(stored), form_(project, copy)
    {
        setWindowTitle(QStringLiteral("Occupancy Day Schedule"));
        setObjectName(QStringLiteral("OccupancyScheduleDialog"));
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(names_.make(copy.name, copy.desc));

        points_ = new QTreeWidget;
        points_->setObjectName(QStringLiteral("Points"));
        points_->setRootIsDecorated(false);
        points_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("X"), QStringLiteral("Y"),
                                  QStringLiteral("Rel Elev"), QStringLiteral("Level"), QStringLiteral("Zone")});
        points_->setMinimumHeight(160);
        layout->addWidget(points_);

        auto* buttons = new QHBoxLayout;
        auto* insert = button("^ &Insert ^", "Insert");
        delete_ = button("De&lete", "Delete");
        buttons->addWidget(insert);
        buttons->addWidget(delete_);
        buttons->addStretch();
        layout->addLayout(buttons);

        auto* editor = new QGroupBox(QStringLiteral("Point"));
        auto* editor_form = new QFormLayout(editor);
        editor_form->addRow(QStringLiteral("Time (h:m:s):"), time_.make());
        zone_ = new QComboBox;
        zone_->setObjectName(QStringLiteral("Zone"));
        for (const auto& c : form_.zone_choices())
            zone_->addItem(from_1252(c.level.empty() ? c.zone : c.level + ": " + c.zone));
        editor_form->addRow(QStringLiteral("Level and &zone:"), zone_);
        auto edit = [&](UnitField& field, const char* name) {
            auto* e = new UnitFieldEdit(field);
            e->setObjectName(QString::fromLatin1(name));
            return e;
        };
        x_ = edit(form_.X_field(), "X");
        y_ = edit(form_.Y_field(), "Y");
        z_ = edit(form_.Z_field(), "RelElevation");
        auto* unit = new UnitSelectorCombo(form_.length_unit());
        unit->setObjectName(QStringLiteral("Unit"));
        auto* xyz = new QHBoxLayout;
        for (QWidget* w : {static_cast<QWidget*>(x_), static_cast<QWidget*>(y_), static_cast<QWidget*>(z_),
                           static_cast<QWidget*>(unit)})
            xyz->addWidget(w);
        editor_form->addRow(QStringLiteral("X, Y, Rel Elevation:"), xyz);
        extent_ = new QLabel;
        extent_->setObjectName(QStringLiteral("Extent"));
        editor_form->addRow(extent_);
        editor_form->addRow(new QLabel(QStringLiteral("Location data is only required if within a 1D zone.")));
        layout->addWidget(editor);
        layout->addWidget(ok_cancel(this));

        connect(unit, &UnitSelectorCombo::unit_changed, this, [this] {
            form_.unit_changed();
            for (UnitFieldEdit* e : {x_, y_, z_}) e->show_field();
            fill();
        });
        connect(zone_, &QComboBox::currentIndexChanged, this, [this](int index) {
            form_.edit_zone = index;
            show_extent();
        });
        connect(points_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
            if (filling_ || !item) return;
            form_.select_point(points_->indexOfTopLevelItem(item));
            show_editor();
        });
        connect(insert, &QPushButton::clicked, this, [this] {
            for (UnitFieldEdit* e : {x_, y_, z_})
                if (!e->commit()) return;
            form_.edit_time = time_.typed();
            form_.edit_zone = zone_->currentIndex();
            if (form_.insert()) fill();
        });
        connect(delete_, &QPushButton::clicked, this, [this] {
            if (form_.delete_point()) {
                fill();
                show_editor();
            }
        });
        fill();
        show_editor();
    }

    OccupancySchedule* record() const { return form_.stored(); }

    void accept() override
    {
        form_.set_name(to_1252(names_.name->text()));
        form_.set_description(to_1252(names_.desc->text()));
        if (!form_.accept(project_.occupancy_schedules, stored_)) {
            names_.name->setText(from_1252(form_.working().name));
            return;
        }
        QDialog::accept();
    }

private:
    void fill()
    {
        filling_ = true;
        points_->clear();
        for (const auto& row : form_.point_rows()) {
            QStringList texts;
            for (const std::string& t : row) texts << from_1252(t);
            new QTreeWidgetItem(points_, texts);
        }
        if (form_.selected() >= 0) points_->setCurrentItem(points_->topLevelItem(form_.selected()));
        delete_->setEnabled(form_.delete_enabled());
        filling_ = false;
    }
    void show_editor()
    {
        time_.show(form_.edit_time);
        const QSignalBlocker quiet(zone_);
        zone_->setCurrentIndex(form_.edit_zone);
        for (UnitFieldEdit* e : {x_, y_, z_}) e->show_field();
        delete_->setEnabled(form_.delete_enabled());
        show_extent();
    }
    void show_extent()
    {
        const auto extent = form_.axis_extent();
        extent_->setText(extent ? from_1252("Zone Pt 1: " + extent->first + "    Zone Pt 2: " + extent->second)
                                : QString());
    }

    Project& project_;
    OccupancySchedule* stored_;
    OccupancyScheduleForm form_;
    NameFields names_;
    TimeFields time_;
    QTreeWidget* points_ = nullptr;
    QComboBox* zone_ = nullptr;
    UnitFieldEdit* x_ = nullptr;
    UnitFieldEdit* y_ = nullptr;
    UnitFieldEdit* z_ = nullptr;
    QLabel* extent_ = nullptr;
    QPushButton* delete_ = nullptr;
    bool filling_ = false;
};

// -------------------------------------------------------------- manager

class ScheduleManagerDialog final : public QDialog {
public:
    ScheduleManagerDialog(QWidget* parent, Project& project, ScheduleKind kind, std::int16_t utyp)
        : QDialog(parent), project_(project), kind_(kind), utyp_(utyp)
    {
        setWindowTitle(from_1252(schedule_manager_caption(kind, utyp)));
        setObjectName(QStringLiteral("ScheduleManagerDialog"));
        list_ = new QListWidget;
        list_->setObjectName(QStringLiteral("Schedules"));
        description_ = new QLabel;
        description_->setObjectName(QStringLiteral("ScheduleDescription"));
        description_->setWordWrap(true);
        auto* new_button = button("&New...", "New");
        edit_ = button("&Edit...", "Edit");
        delete_ = button("&Delete", "Delete");
        auto* group = new QGroupBox(QStringLiteral("Project Schedules"));
        auto* group_layout = new QVBoxLayout(group);
        group_layout->addWidget(list_);
        group_layout->addWidget(description_);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(new_button);
        buttons->addWidget(edit_);
        buttons->addWidget(delete_);
        // Day and week schedules have their library; occupancy schedules none.
        if (kind_ != ScheduleKind::Occupancy) {
            auto* library = button("&Library...", "Library");
            buttons->addWidget(library);
            connect(library, &QPushButton::clicked, this, [this] {
                const QListWidgetItem* item = list_->currentItem();
                const std::string selected = item ? to_1252(item->text()) : std::string();
                run_library_manager(this, project_,
                                    kind_ == ScheduleKind::Day ? DefinitionKind::DaySchedule
                                                               : DefinitionKind::WeekSchedule);
                fill(selected);
            });
        }
        buttons->addStretch();
        group_layout->addLayout(buttons);
        auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
        connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(group);
        layout->addWidget(close);

        connect(list_, &QListWidget::currentRowChanged, this, [this] { show_current(); });
        connect(list_, &QListWidget::itemDoubleClicked, this, [this] { edit(); });
        connect(new_button, &QPushButton::clicked, this, [this] { make(); });
        connect(edit_, &QPushButton::clicked, this, [this] { edit(); });
        connect(delete_, &QPushButton::clicked, this, [this] {
            if (QListWidgetItem* item = list_->currentItem())
                if (delete_schedule(project_, kind_, to_1252(item->text()))) fill({});
        });
        fill({});
    }

private:
    void fill(const std::string& select)
    {
        entries_ = schedule_entries(project_, kind_, utyp_);
        const QSignalBlocker quiet(list_);
        list_->clear();
        int row = entries_.empty() ? -1 : 0;
        for (std::size_t k = 0; k < entries_.size(); ++k) {
            list_->addItem(from_1252(entries_[k].name));
            if (entries_[k].name == select) row = static_cast<int>(k);
        }
        list_->setCurrentRow(row);
        show_current();
    }
    void show_current()
    {
        const int row = list_->currentRow();
        const bool any = row >= 0 && row < static_cast<int>(entries_.size());
        description_->setText(any ? from_1252(entries_[static_cast<std::size_t>(row)].description) : QString());
        edit_->setEnabled(any);
        delete_->setEnabled(any);
    }
    void make()
    {
        const std::int16_t unit = utyp_ == kScheduleTemperature ? static_cast<std::int16_t>(project_.rc.uT) : 0;
        std::string made;
        switch (kind_) {
        case ScheduleKind::Day:
            if (auto* d = run_day_schedule_dialog(this, project_, new_day_schedule(utyp_, unit), nullptr)) made = d->name;
            break;
        case ScheduleKind::Week:
            if (auto* w = run_week_schedule_dialog(this, project_, new_week_schedule(utyp_, unit), nullptr))
                made = w->name;
            break;
        case ScheduleKind::Occupancy:
            if (auto* o = run_occupancy_schedule_dialog(this, project_, new_occupancy_schedule(0), nullptr))
                made = o->name;
            break;
        }
        if (!made.empty()) fill(made);
    }
    void edit()
    {
        QListWidgetItem* item = list_->currentItem();
        if (!item) return;
        const std::string name = to_1252(item->text());
        std::string edited;
        switch (kind_) {
        case ScheduleKind::Day:
            if (DaySchedule* d = project_.day_schedules.find_by_name(name))
                if (run_day_schedule_dialog(this, project_, *d, d)) edited = d->name;
            break;
        case ScheduleKind::Week:
            if (WeekSchedule* w = project_.week_schedules.find_by_name(name))
                if (run_week_schedule_dialog(this, project_, *w, w)) edited = w->name;
            break;
        case ScheduleKind::Occupancy:
            if (OccupancySchedule* o = project_.occupancy_schedules.find_by_name(name))
                if (run_occupancy_schedule_dialog(this, project_, *o, o)) edited = o->name;
            break;
        }
        fill(edited.empty() ? name : edited);
    }

    Project& project_;
    ScheduleKind kind_;
    std::int16_t utyp_;
    std::vector<ScheduleManagerEntry> entries_;
    QListWidget* list_ = nullptr;
    QLabel* description_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
};

}  // namespace

DaySchedule* run_day_schedule_dialog(QWidget* parent, Project& project, const DaySchedule& copy, DaySchedule* stored)
{
    DayScheduleDialog dialog(parent, project, copy, stored);
    return dialog.exec() == QDialog::Accepted ? dialog.record() : nullptr;
}

WeekSchedule* run_week_schedule_dialog(QWidget* parent, Project& project, const WeekSchedule& copy,
                                       WeekSchedule* stored)
{
    WeekScheduleDialog dialog(parent, project, copy, stored);
    return dialog.exec() == QDialog::Accepted ? dialog.record() : nullptr;
}

OccupancySchedule* run_occupancy_schedule_dialog(QWidget* parent, Project& project, const OccupancySchedule& copy,
                                                 OccupancySchedule* stored)
{
    OccupancyScheduleDialog dialog(parent, project, copy, stored);
    return dialog.exec() == QDialog::Accepted ? dialog.record() : nullptr;
}

void show_schedule_plot(QWidget* parent, const std::string& title, std::int16_t utyp, std::int16_t ucnv,
                        const std::vector<std::pair<std::string, ScheduleCurve>>& curves)
{
    const std::string y_title = value_title(utyp, ucnv);
    QDialog dialog(parent);
    dialog.setWindowTitle(from_1252(title));
    dialog.setObjectName(QStringLiteral("SchedulePlot"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* host = new QWidget;
    host->setFixedSize(560, 340);
    layout->addWidget(host);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(close, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(close);

    std::size_t longest = 1;
    for (const auto& c : curves) longest = std::max(longest, c.second.size());
    ChartData data(static_cast<int>(std::max<std::size_t>(curves.size(), 1)), static_cast<int>(longest));
    double lo = 0, hi = 1;
    bool first = true;
    for (std::size_t s = 0; s < curves.size(); ++s) {
        const ScheduleCurve& c = curves[s].second;
        data.set_label(static_cast<int>(s), curves[s].first);
        for (std::size_t k = 0; k < longest && !c.empty(); ++k) {
            // Shorter curves repeat their last point, which draws nothing more.
            const auto& p = c[std::min(k, c.size() - 1)];
            data.set_point(static_cast<int>(s), static_cast<int>(k), p.first, p.second);
            lo = first ? p.second : std::min(lo, p.second);
            hi = first ? p.second : std::max(hi, p.second);
            first = false;
        }
    }
    if (utyp == kScheduleDimensionless) {
        lo = 0;
        hi = 1;
    }
    if (hi - lo < 1e-9) {
        lo -= 0.5;
        hi += 0.5;
    }
    const double margin = 0.05 * (hi - lo);
    Chart chart(*host, QRect(0, 0, host->width(), host->height()));
    chart.view()->setObjectName(QStringLiteral("chart"));
    chart.attach(data);
    chart.set_axis_title(ChartAxis::x, "Time of day [h]");
    chart.set_axis_title(ChartAxis::y, y_title);
    chart.set_axis_range(ChartAxis::x, 0, 24);
    chart.set_tick_spacing(ChartAxis::x, 3);
    chart.set_axis_range(ChartAxis::y, lo - margin, hi + margin);
    dialog.exec();
}

void run_schedule_manager(QWidget* parent, Project& project, ScheduleKind kind, std::int16_t utyp)
{
    ScheduleManagerDialog dialog(parent, project, kind, utyp);
    dialog.exec();
}

}  // namespace avelor::ui
