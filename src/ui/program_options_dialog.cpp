#include "ui/program_options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/diagnostics.h"
#include "editing/editor_session.h"
#include "editing/program_settings.h"
#include "model/units.h"
#include "sketchpad/palette.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

QString swatch_style(int index)
{
    const Rgb c = sketch_colour(index, Rgb{255, 255, 255});
    return QStringLiteral("background-color: rgb(%1,%2,%3); border: 1px solid gray;").arg(c.r).arg(c.g).arg(c.b);
}

}  // namespace

ProgramOptionsDialog::ProgramOptionsDialog(ProgramOptionsForm& form, QWidget* parent) : QDialog(parent), form_(form)
{
    setWindowTitle(from_1252(kProgramOptionsCaption));
    setObjectName(QStringLiteral("ProgramOptionsDialog"));
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget;
    pages_->addTab(units_page(), QStringLiteral("Default Units"));
    pages_->addTab(display_page(), QStringLiteral("SketchPad Display"));
    pages_->addTab(size_page(), QStringLiteral("Cell/Icon Size"));
    pages_->addTab(colours_page(), QStringLiteral("Colors"));
    pages_->addTab(results_page(), QStringLiteral("Results Display"));
    layout->addWidget(pages_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QWidget* ProgramOptionsDialog::units_page()
{
    auto* page = new QGroupBox(QStringLiteral("Units and Values"));
    auto* f = new QFormLayout(page);
    auto* si = new QRadioButton(QStringLiteral("SI"));
    auto* ip = new QRadioButton(QStringLiteral("IP"));
    (form_.config().units == 1 ? ip : si)->setChecked(true);
    connect(ip, &QRadioButton::toggled, this, [this](bool on) { form_.set_units(on ? 1 : 0); });
    auto* system = new QWidget;
    auto* sl = new QHBoxLayout(system);
    sl->setContentsMargins(0, 0, 0, 0);
    sl->addWidget(si);
    sl->addWidget(ip);
    sl->addStretch();
    f->addRow(QStringLiteral("Units:"), system);

    auto* flow = new QComboBox;
    flow->setObjectName(QStringLiteral("FlowUnit"));
    for (int i = 0; i < 9; ++i) flow->addItem(from_1252(unit_display_name(UnitKind::MassFlow, i)));
    flow->setCurrentIndex(form_.config().flow_unit);
    connect(flow, &QComboBox::currentIndexChanged, this, [this](int i) { form_.set_flow_unit(i); });
    f->addRow(QStringLiteral("Flow units:"), flow);

    temperature_ = new QDoubleSpinBox;
    temperature_->setObjectName(QStringLiteral("Temperature"));
    temperature_->setDecimals(2);
    temperature_->setRange(-1000, 1000);
    temperature_->setValue(form_.temperature());
    auto* unit = new QComboBox;
    unit->setObjectName(QStringLiteral("TemperatureUnit"));
    for (int i = 0; i < 4; ++i) unit->addItem(from_1252(unit_display_name(UnitKind::Temperature, i)));
    unit->setCurrentIndex(form_.temperature_unit());
    connect(unit, &QComboBox::currentIndexChanged, this, [this](int i) {
        form_.set_temperature_unit(i);
        temperature_->setValue(form_.temperature());
    });
    auto* t = new QWidget;
    auto* tl = new QHBoxLayout(t);
    tl->setContentsMargins(0, 0, 0, 0);
    tl->addWidget(temperature_);
    tl->addWidget(unit);
    f->addRow(QStringLiteral("Zone and junction temperature:"), t);
    auto* note = new QLabel(from_1252(kNewProjectNote));
    note->setWordWrap(true);
    f->addRow(note);
    return page;
}

QWidget* ProgramOptionsDialog::display_page()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto box = [&](const char* text, bool on, auto set) {
        auto* b = new QCheckBox(QString::fromLatin1(text));
        b->setChecked(on);
        connect(b, &QCheckBox::toggled, this, set);
        v->addWidget(b);
    };
    const ProgramConfig& c = form_.config();
    box("Show Floating Status Box", c.floating_status != 0, [this](bool on) { form_.set_floating_status(on); });
    box("Show Zone Colors", c.zone_colours != 0, [this](bool on) { form_.set_zone_colours(on); });
    box("Show Duct Colors", c.duct_colours != 0, [this](bool on) { form_.set_duct_colours(on); });
    box("Maximize AvelorW at startup", c.maximize != 0, [this](bool on) { form_.set_maximize(on); });
    v->addStretch();
    return page;
}

QWidget* ProgramOptionsDialog::size_page()
{
    auto* page = new QWidget;
    auto* f = new QFormLayout(page);
    auto* current = new QComboBox;
    current->setObjectName(QStringLiteral("CellSize"));
    auto fill_current = [this, current] {
        const QSignalBlocker quiet(current);
        current->clear();
        for (int size : form_.config().cell_sizes) current->addItem(QString::number(size), size);
        current->setCurrentIndex(current->findData(form_.cell_size()));
    };
    fill_current();
    connect(current, &QComboBox::currentIndexChanged, this,
            [this, current](int i) { form_.set_cell_size(current->itemData(i).toInt()); });
    f->addRow(QStringLiteral("Current cell size:"), current);
    auto* sizes = new QWidget;
    auto* sl = new QHBoxLayout(sizes);
    sl->setContentsMargins(0, 0, 0, 0);
    std::vector<QCheckBox*> boxes;
    for (int size : kAvailableCellSizes) {
        auto* b = new QCheckBox(QString::number(size));
        b->setObjectName(QStringLiteral("Size%1").arg(size));
        b->setChecked(form_.size_available(size));
        boxes.push_back(b);
        sl->addWidget(b);
    }
    auto sync = [this, boxes, fill_current] {
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const QSignalBlocker quiet(boxes[i]);
            boxes[i]->setChecked(form_.size_available(kAvailableCellSizes[i]));
            boxes[i]->setEnabled(form_.can_drop_size(kAvailableCellSizes[i]) ||
                                 !form_.size_available(kAvailableCellSizes[i]));
        }
        fill_current();
    };
    for (std::size_t i = 0; i < boxes.size(); ++i)
        connect(boxes[i], &QCheckBox::toggled, this, [this, i, sync](bool on) {
            form_.set_size_available(kAvailableCellSizes[i], on);
            sync();
        });
    connect(current, &QComboBox::currentIndexChanged, this, [sync] { sync(); });
    sync();
    f->addRow(QStringLiteral("Available sizes:"), sizes);
    auto* jump = new QSpinBox;
    jump->setObjectName(QStringLiteral("CellJump"));
    jump->setRange(1, 10000);
    jump->setValue(form_.config().cell_jump);
    connect(jump, &QSpinBox::valueChanged, this, [this](int v) { form_.set_cell_jump(v); });
    f->addRow(QStringLiteral("Cell Jump:"), jump);
    return page;
}

QWidget* ProgramOptionsDialog::colours_page()
{
    auto* page = new QGroupBox(QStringLiteral("SketchPad Appearance"));
    auto* v = new QVBoxLayout(page);
    palette_ = new QComboBox;
    palette_->setObjectName(QStringLiteral("Palette"));
    for (const char* name : {"Default", "User Palette 1", "User Palette 2", "User Palette 3"})
        palette_->addItem(QString::fromLatin1(name));
    palette_->setCurrentIndex(form_.config().palette);
    connect(palette_, &QComboBox::currentIndexChanged, this, [this](int i) {
        form_.set_palette(i);
        show_colours();
    });
    v->addWidget(palette_);
    auto* grid = new QGridLayout;
    for (int role = 0; role < 12; ++role) {
        auto* swatch = new QPushButton;
        swatch->setFixedSize(28, 18);
        swatch->setObjectName(QStringLiteral("Colour%1").arg(role));
        swatches_.push_back(swatch);
        grid->addWidget(new QLabel(from_1252(kPaletteRoleNames[role])), role % 6, (role / 6) * 2);
        grid->addWidget(swatch, role % 6, (role / 6) * 2 + 1);
        connect(swatch, &QPushButton::clicked, this, [this, role] {
            const int palette = form_.config().palette;
            if (palette < 1) return;
            bool ok = false;
            const int index = QInputDialog::getInt(this, QStringLiteral("Color"),
                                                   QStringLiteral("Colour table index (0 to 255):"),
                                                   form_.palette_colours(palette)[static_cast<std::size_t>(role)],
                                                   0, 255, 1, &ok);
            if (ok) form_.set_user_colour(palette, role, index);
            show_colours();
        });
    }
    v->addLayout(grid);
    auto* hint = new QLabel(QStringLiteral("Click a colour of a user palette to change it."));
    hint->setWordWrap(true);
    v->addWidget(hint);
    v->addStretch();
    show_colours();
    return page;
}

void ProgramOptionsDialog::show_colours()
{
    const int palette = form_.config().palette;
    const PaletteIndices colours = form_.palette_colours(palette);
    for (std::size_t i = 0; i < swatches_.size(); ++i) {
        swatches_[i]->setStyleSheet(swatch_style(colours[i]));
        swatches_[i]->setEnabled(palette >= 1);
        swatches_[i]->setToolTip(QString::number(colours[i]));
    }
}

QWidget* ProgramOptionsDialog::results_page()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* group = new QButtonGroup(page);
    const char* names[] = {"Flow Only", "Both Pressure and Flow", "Pressure Only"};
    for (int i : {1, 2, 0}) {
        auto* b = new QRadioButton(QString::fromLatin1(names[i]));
        b->setChecked(form_.config().result_lines == i);
        group->addButton(b, i);
        v->addWidget(b);
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { form_.set_result_lines(id); });
    auto* f = new QFormLayout;
    auto* jump = new QSpinBox;
    jump->setObjectName(QStringLiteral("TimeJump"));
    jump->setRange(2, 100000);
    jump->setValue(form_.config().time_jump);
    connect(jump, &QSpinBox::valueChanged, this, [this](int s) { form_.set_time_jump(s); });
    f->addRow(QStringLiteral("Jump (time steps):"), jump);
    v->addLayout(f);
    v->addStretch();
    return page;
}

void ProgramOptionsDialog::accept()
{
    if (!form_.set_temperature(temperature_->value())) {
        show_message(WARNING, {form_.temperature_refusal()});
        pages_->setCurrentIndex(0);
        temperature_->setFocus();
        return;
    }
    QDialog::accept();
}

bool run_program_options(QWidget* parent, EditorSession& session)
{
    ProgramOptionsForm form(session.config, session.view.cell_size());
    ProgramOptionsDialog dialog(form, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    form.save(session.project());
    session.config = form.config();
    apply_program_config(session, form.cell_size());
    if (!session.settings_folder.empty())
        write_program_config(program_config_path(session.settings_folder), session.config);
    return true;
}

}  // namespace avelor::ui
