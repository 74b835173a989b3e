// The floating status box: the cursor cell's item text in a small yellow
// box beside the cursor, one part of the text per line. Given a parent (the
// SketchPad's viewport) it is a child of it: it moves with the window, stays
// inside the drawing and never covers another window. Without one it is a
// tool-tip window kept on the screen.
#pragma once

#include <QFont>
#include <QPoint>
#include <QStringList>
#include <QWidget>
#include <string>

namespace avelor::ui {

class FloatingStatusBox final : public QWidget {
    Q_OBJECT
public:
    explicit FloatingStatusBox(QWidget* parent = nullptr);

    // Shows the item text beside the cursor cell whose top-left corner is
    // at the given position (in the parent's coordinates, or global without
    // a parent): two cells right of and two cells below it, kept inside the
    // parent or on the nearest screen. An empty text, or one the box does
    // not take, hides the box.
    void show_text(const std::string& item_text, QPoint cursor_cell_top_left, int cell_size);

    const QStringList& lines() const { return lines_; }
    // The font of the lines: 8-point Arial, or the default sans-serif face
    // where Arial is missing.
    const QFont& text_font() const { return font_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont font_;
    QStringList lines_;
};

}  // namespace avelor::ui
