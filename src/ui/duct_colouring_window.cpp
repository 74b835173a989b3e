#include "ui/duct_colouring_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "sketchpad/palette.h"
#include "ui/sheet_widgets.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

// A swatch of a colour index; the default colour (-1) shows the background.
QPixmap swatch_pixmap(int index, QSize size)
{
    const Rgb background = sketch_colour(builtin_palette(0).background, {});
    const Rgb c = sketch_colour(index, background);
    QPixmap pixmap(size);
    pixmap.fill(QColor(c.r, c.g, c.b));
    return pixmap;
}

}  // namespace

bool pick_colour(QWidget* parent, int& index)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ColorPicker"));
    dialog.setWindowTitle(QStringLiteral("Color Picker"));
    QComboBox* choice = colour_choice("colour");
    show_colour(choice, index);
    auto* swatch = new QLabel;
    swatch->setObjectName(QStringLiteral("swatch"));
    auto show_swatch = [&] { swatch->setPixmap(swatch_pixmap(chosen_colour(choice->currentIndex()), {48, 24})); };
    show_swatch();
    QObject::connect(choice, &QComboBox::currentIndexChanged, &dialog, show_swatch);
    auto* use_default = new QPushButton(QStringLiteral("Use Default"));
    use_default->setObjectName(QStringLiteral("UseDefault"));
    QObject::connect(use_default, &QPushButton::clicked, &dialog, [&] { choice->setCurrentIndex(0); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(choice, 1);
    row->addWidget(swatch);
    row->addWidget(use_default);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(row);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    index = chosen_colour(choice->currentIndex());
    return true;
}

DuctColouringWindow::DuctColouringWindow(EditorSession& session, QWidget* parent) : QDialog(parent), session_(session)
{
    setObjectName(QStringLiteral("DuctColouringWindow"));
    setModal(false);
    setWindowTitle(QStringLiteral("Duct System Coloring"));

    auto* fans_box = new QGroupBox(QStringLiteral("Ducts with a Fan"));
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("FanDucts"));
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    (new QVBoxLayout(fans_box))->addWidget(list_);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { show_line(list_->row(item)); });
    connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { show_line(list_->row(item)); });
    connect(list_, &QListWidget::currentRowChanged, this,
            [this](int row) { set_colors_->setEnabled(row >= 0 && row < static_cast<int>(entries_.size())); });

    auto* colours_box = new QGroupBox(QStringLiteral("Duct Colors"));
    auto* colours = new QGridLayout(colours_box);
    inlet_ = new QCheckBox(QStringLiteral("Inlet"));
    inlet_->setObjectName(QStringLiteral("Inlet"));
    outlet_ = new QCheckBox(QStringLiteral("Outlet"));
    outlet_->setObjectName(QStringLiteral("Outlet"));
    inlet_->setChecked(options_.inlet);
    outlet_->setChecked(options_.outlet);
    connect(inlet_, &QCheckBox::toggled, this, [this](bool on) { options_.inlet = on; });
    connect(outlet_, &QCheckBox::toggled, this, [this](bool on) { options_.outlet = on; });
    const char* names[] = {"InletColor", "OutletColor", "FanColor"};
    for (int role : {InletColour, OutletColour, FanColour}) {
        auto* b = new QPushButton;
        b->setObjectName(QString::fromLatin1(names[role]));
        b->setAutoDefault(false);
        b->setIconSize({40, 16});
        b->setToolTip(QStringLiteral("Edit Color"));
        connect(b, &QPushButton::clicked, this, [this, role] {
            const auto r = static_cast<ColourRole>(role);
            int index = r == InletColour ? options_.inlet_colour : r == OutletColour ? options_.outlet_colour
                                                                                       : options_.fan_colour;
            if (pick_colour(this, index)) set_colour(r, index);
        });
        swatches_[role] = b;
        show_swatch(static_cast<ColourRole>(role));
    }
    colours->addWidget(inlet_, 0, 0);
    colours->addWidget(swatches_[InletColour], 0, 1);
    colours->addWidget(outlet_, 1, 0);
    colours->addWidget(swatches_[OutletColour], 1, 1);
    colours->addWidget(new QLabel(QStringLiteral("Fan")), 2, 0);
    colours->addWidget(swatches_[FanColour], 2, 1);

    auto* options_box = new QGroupBox(QStringLiteral("Options"));
    auto* options = new QVBoxLayout(options_box);
    options->addWidget(new QLabel(QStringLiteral("Fan Coloring:")));
    fans_ = new QButtonGroup(this);
    sheet_radio("Starting fan only", fans_, static_cast<int>(FanColouring::StartingFanOnly), options);
    sheet_radio("All fans in system", fans_, static_cast<int>(FanColouring::AllFans), options);
    options->addWidget(new QLabel(QStringLiteral("Fans in System:")));
    passing_ = new QButtonGroup(this);
    sheet_radio("Continue through fans", passing_, static_cast<int>(FansInSystem::ContinueThrough), options);
    sheet_radio("Stop at any fan", passing_, static_cast<int>(FansInSystem::StopAtAny), options);
    check_button(fans_, static_cast<int>(options_.fans));
    check_button(passing_, static_cast<int>(options_.passing));
    connect(fans_, &QButtonGroup::idClicked, this, [this](int id) { options_.fans = static_cast<FanColouring>(id); });
    connect(passing_, &QButtonGroup::idClicked, this,
            [this](int id) { options_.passing = static_cast<FansInSystem>(id); });

    set_colors_ = new QPushButton(QStringLiteral("Set Colors"));
    set_colors_->setObjectName(QStringLiteral("SetColors"));
    set_colors_->setAutoDefault(false);
    connect(set_colors_, &QPushButton::clicked, this, [this] { set_colours(); });
    auto* close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("Close"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addWidget(colours_box);
    side->addWidget(options_box);
    side->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(fans_box, 1);
    top->addLayout(side);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(set_colors_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(640, 300);
    refresh();
}

void DuctColouringWindow::refresh()
{
    entries_ = fan_duct_list(session_.project(), session_.grid);
    list_->clear();
    for (const FanDuctEntry& entry : entries_) list_->addItem(from_1252(fan_duct_line(entry)));
    set_colors_->setEnabled(false);
}

void DuctColouringWindow::set_colour(ColourRole role, int index)
{
    const auto value = static_cast<std::int16_t>(index >= -1 && index < kSketchColourCount ? index : -1);
    (role == InletColour ? options_.inlet_colour : role == OutletColour ? options_.outlet_colour
                                                                          : options_.fan_colour) = value;
    show_swatch(role);
}

void DuctColouringWindow::show_swatch(ColourRole role)
{
    const int index = role == InletColour ? options_.inlet_colour : role == OutletColour ? options_.outlet_colour
                                                                                          : options_.fan_colour;
    swatches_[role]->setIcon(swatch_pixmap(index, swatches_[role]->iconSize()));
}

bool DuctColouringWindow::show_line(int line)
{
    if (line < 0 || line >= static_cast<int>(entries_.size())) return false;
    if (!show_fan_duct(session_.project(), session_.grid, session_.view, entries_[static_cast<std::size_t>(line)]))
        return false;
    emit lineShown();
    return true;
}

bool DuctColouringWindow::set_colours()
{
    const int line = list_->currentRow();
    if (line < 0 || line >= static_cast<int>(entries_.size())) return false;
    const FanDuctEntry& entry = entries_[static_cast<std::size_t>(line)];
    // The window stays open while the user edits: the fan may be gone.
    if (!fan_duct_of(session_.project(), entry)) {
        QApplication::beep();
        refresh();
        return false;
    }
    const bool walked = set_fan_duct_colours(session_.project(), session_.grid, entry, options_);
    // The fan's own colour changes even when the walk cannot start.
    emit coloursSet();
    return walked;
}

}  // namespace avelor::ui
