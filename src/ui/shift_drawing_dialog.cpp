#include "ui/shift_drawing_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "editing/editor_session.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

QLabel* margin_label(int value, const char* name)
{
    auto* label = new QLabel(QString::number(value));
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QSpinBox* shift_box(int lowest, int highest, const char* name)
{
    auto* box = new QSpinBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(lowest, highest);
    box->setSingleStep(2);
    box->setValue(0);
    return box;
}

}  // namespace

ShiftDrawingDialog::ShiftDrawingDialog(EditorSession& session, QWidget* parent)
    : QDialog(parent), session_(&session), form_(session.project(), session.grid)
{
    setWindowTitle(from_1252(ShiftDrawingForm::kCaption));
    setObjectName(QStringLiteral("ShiftDrawingDialog"));

    const DrawingMargins& m = form_.margins();
    auto* margins = new QGroupBox(QStringLiteral("Free margins (cells)"));
    auto* grid = new QGridLayout(margins);
    grid->addWidget(new QLabel(QStringLiteral("Top:")), 0, 0);
    grid->addWidget(margin_label(m.top, "TopMargin"), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Bottom:")), 0, 2);
    grid->addWidget(margin_label(m.bottom, "BottomMargin"), 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Left:")), 1, 0);
    grid->addWidget(margin_label(m.left, "LeftMargin"), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Right:")), 1, 2);
    grid->addWidget(margin_label(m.right, "RightMargin"), 1, 3);

    horizontal_ = shift_box(form_.min_horizontal(), form_.max_horizontal(), "HorizontalShift");
    vertical_ = shift_box(form_.min_vertical(), form_.max_vertical(), "VerticalShift");
    auto* shifts = new QFormLayout;
    shifts->addRow(QStringLiteral("&Horizontal shift (%1 to %2):")
                       .arg(form_.min_horizontal())
                       .arg(form_.max_horizontal()),
                   horizontal_);
    shifts->addRow(QStringLiteral("&Vertical shift (%1 to %2):")
                       .arg(form_.min_vertical())
                       .arg(form_.max_vertical()),
                   vertical_);

    auto* note = new QLabel(from_1252(ShiftDrawingForm::kEvenNote));
    note->setObjectName(QStringLiteral("EvenNote"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &ShiftDrawingDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ShiftDrawingDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(margins);
    layout->addLayout(shifts);
    layout->addWidget(note);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ShiftDrawingDialog::accept()
{
    // A value still being typed counts.
    horizontal_->interpretText();
    vertical_->interpretText();
    if (form_.accept(horizontal_->value(), vertical_->value(), session_->view)) QDialog::accept();
}

}  // namespace avelor::ui
