// "Sketch Navigator": the whole current level at one pixel per cell, with
// the part the SketchPad shows outlined. A click puts the cursor there.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QRect>

namespace avelor {
struct EditorSession;
}

namespace avelor::ui {

class NavigatorWindow final : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The largest picture the window shows when it opens; a larger level
    // scrolls.
    static constexpr int kInitialWidth = 280;
    static constexpr int kInitialHeight = 350;
    // The smallest it opens at, so that a small level still makes a window
    // whose frame and title can be used; the rest is button face.
    static constexpr int kSmallestWidth = 200;
    static constexpr int kSmallestHeight = 150;

    explicit NavigatorWindow(EditorSession& session, QWidget* parent = nullptr);

    // The level's cells changed (an edit, another level, a new size or
    // project): draws the picture again.
    void level_changed();
    // The SketchPad scrolled, resized or changed its cell size: moves the
    // outline only.
    void view_changed();

    // The cached picture, one pixel per cell.
    const QImage& level_image() const { return image_; }
    // The outlined cells, in picture pixels.
    QRect outline() const;

signals:
    // A click put the cursor on another cell (and scrolled the view to
    // it); the SketchPad repaints.
    void cursorPlaced();
    // The user closed the window (the View menu's check follows).
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void fit_scroll_bars();
    QSize initial_size() const;
    // The window area the outline covers, in viewport coordinates.
    QRect outline_on_viewport(const QRect& outline) const;

    EditorSession* session_;
    QImage image_;
    QRect shown_outline_;
};

}  // namespace avelor::ui
