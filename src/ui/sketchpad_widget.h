// The SketchPad window: shows the visible cells of the session's grid,
// moves the cursor by keys and clicks, and scrolls. It holds nothing of the
// model; every picture comes from the core renderer and every move from
// the session's view.
#pragma once

#include <QAbstractScrollArea>

#include "editing/editor_session.h"
#include "editing/sketch_editor.h"
#include "sketchpad/renderer.h"

namespace avelor::ui {

class SketchPadWidget final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit SketchPadWidget(EditorSession& session, QWidget* parent = nullptr);

    EditorSession& session() const { return session_; }

    // After the grid, the cell size or the view changed elsewhere: fits the
    // view to the window, keeps the cursor in sight, sets the scroll bars
    // and repaints. Emits cursorMoved().
    void refresh();

    // The pixels the whole grid takes at the current cell size.
    QSize full_size() const;

    // What a paint draws with (the caret shown while the window has focus).
    RenderSettings paint_settings() const;

    QSize sizeHint() const override;

    // The results lines drawn over the paths in results mode; null draws
    // none. The overlay must outlive its use here.
    void set_results_overlay(const ResultsOverlay* overlay)
    {
        results_overlay_ = overlay;
        viewport()->update();
    }
    const ResultsOverlay* results_overlay() const { return results_overlay_; }

    // Editing: without an editor the SketchPad only shows and moves the
    // cursor. With one, clicks, drags and keys draw with its tools.
    void set_editor(SketchEditor* editor) { editor_ = editor; }
    SketchEditor* editor() const { return editor_; }
    // Runs an edit and repaints what it changed.
    EditOutcome run_edit(const EditCommand& command);

signals:
    // After every move of the cursor or the view.
    void cursorMoved();
    // After an edit; navigator says the overview picture changed too.
    void edited(bool navigator, bool tool_changed);
    // A right click outside any drawing tool, at a global position.
    void contextMenuWanted(const QPoint& global);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void sync_scroll_bars();
    void changed();
    bool drawing() const { return editor_ && editor_->tool != DrawingTool::None; }
    EditOutcome edit(EditAction action);

    EditorSession& session_;
    SketchEditor* editor_ = nullptr;
    const ResultsOverlay* results_overlay_ = nullptr;
    PixelImage image_;  // the last picture, reused while the size stays
    bool syncing_ = false;
    QPoint wheel_rest_;  // wheel movement not yet turned into cells
};

}  // namespace avelor::ui
