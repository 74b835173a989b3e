// The floating status box: the cursor cell's item text in a small yellow
// window beside the cursor, one part of the text per line.
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
    // at the given global position: two cells right of and two cells below
    // it, kept on the nearest screen. An empty text, or one the box does
    // not take, hides the box.
    void show_text(const std::string& item_text, QPoint cursor_cell_global_top_left, int cell_size);

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
