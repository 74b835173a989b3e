// The "Duct System Coloring" window: a modeless list of the fan segments
// of every level, the inlet, outlet and fan colours, the options of the
// walk, and "Set Colors" on the chosen fan. Choosing a line shows its cell
// on the SketchPad. The list and the colouring are the core's.
#pragma once

#include <QDialog>

#include <vector>

#include "editing/editor_session.h"
#include "sketchpad/duct_colouring.h"

class QButtonGroup;
class QCheckBox;
class QListWidget;
class QPushButton;

namespace avelor::ui {

// The "Color Picker": the palette's colours with a swatch, and "Use
// Default" (index -1). True, with index set, on OK.
bool pick_colour(QWidget* parent, int& index);

class DuctColouringWindow final : public QDialog {
    Q_OBJECT
public:
    enum ColourRole { InletColour, OutletColour, FanColour };

    explicit DuctColouringWindow(EditorSession& session, QWidget* parent = nullptr);

    // Lists the fan segments of the project as it is now.
    void refresh();

    QListWidget* list() const { return list_; }
    QPushButton* set_colors_button() const { return set_colors_; }
    QPushButton* swatch(ColourRole role) const { return swatches_[role]; }
    const DuctColourOptions& options() const { return options_; }
    // What the Color Picker of a swatch gives.
    void set_colour(ColourRole role, int index);

    // What a click on line i does: shows its cell. True when shown.
    bool show_line(int line);
    // "Set Colors" on the chosen line. True when the walk ran.
    bool set_colours();

signals:
    // A line's cell was made current: the SketchPad must follow.
    void lineShown();
    // Colours changed: the SketchPad must be drawn again.
    void coloursSet();

private:
    void show_swatch(ColourRole role);

    EditorSession& session_;
    DuctColourOptions options_;
    std::vector<FanDuctEntry> entries_;
    QListWidget* list_ = nullptr;
    QPushButton* swatches_[3] = {};
    QCheckBox* inlet_ = nullptr;
    QCheckBox* outlet_ = nullptr;
    QButtonGroup* fans_ = nullptr;
    QButtonGroup* passing_ = nullptr;
    QPushButton* set_colors_ = nullptr;
};

}  // namespace avelor::ui
