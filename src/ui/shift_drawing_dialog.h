// "Shift Drawing": moves everything drawn on every level by an even number
// of cells, within the free margins around the drawing.
#pragma once

#include <QDialog>

#include "forms/shift_drawing_form.h"

class QSpinBox;

namespace avelor {
struct EditorSession;
}

namespace avelor::ui {

class ShiftDrawingDialog final : public QDialog {
    Q_OBJECT
public:
    // Opening measures the margins (the current level is stored first).
    explicit ShiftDrawingDialog(EditorSession& session, QWidget* parent = nullptr);

    QSpinBox* horizontal_box() const { return horizontal_; }
    QSpinBox* vertical_box() const { return vertical_; }

public slots:
    // OK: the shifts are made even and applied; the dialog closes when the
    // form took them. After an accepted dialog the levels have been shown
    // again: the opener repaints the SketchPad and the navigator.
    void accept() override;

private:
    EditorSession* session_;
    ShiftDrawingForm form_;
    QSpinBox* horizontal_ = nullptr;
    QSpinBox* vertical_ = nullptr;
};

}  // namespace avelor::ui
