#include "ui/sketchpad_widget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace avelor::ui {

namespace {

// Cells scrolled by one notch of the wheel.
constexpr int kWheelCells = 3;
constexpr int kWheelNotch = 120;

}  // namespace

SketchPadWidget::SketchPadWidget(EditorSession& session, QWidget* parent)
    : QAbstractScrollArea(parent), session_(session)
{
    setObjectName(QStringLiteral("SketchPadWindow"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::CrossCursor);
}

QSize SketchPadWidget::full_size() const
{
    const int s = session_.view.cell_size();
    const int frame = 2 * frameWidth();
    return {session_.grid.cols() * s + frame, session_.grid.rows() * s + frame};
}

QSize SketchPadWidget::sizeHint() const
{
    if (!session_.grid.allocated()) return QAbstractScrollArea::sizeHint();
    return full_size();
}

RenderSettings SketchPadWidget::paint_settings() const
{
    RenderSettings settings = render_settings(session_.view, session_.project(), session_.grid);
    settings.show_cursor = hasFocus();
    settings.results = results_overlay_;
    return settings;
}

void SketchPadWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const int width = viewport()->width();
    const int height = viewport()->height();
    const QColor outside = palette().color(QPalette::Window);
    if (width <= 0 || height <= 0) return;
    const SketchView& view = session_.view;
    const Rgb paper = sketch_colour(view.palette.background, Rgb{255, 255, 255});
    if (!session_.grid.allocated()) {
        // Between two projects (while one is read) the pad is blank paper.
        painter.fillRect(viewport()->rect(), QColor(paper.r, paper.g, paper.b));
        return;
    }
    // Only the cells under the part to repaint are drawn: while a stroke is
    // dragged that is the stroke's own box.
    const int s = view.cell_size();
    const QRect wanted = event->rect().intersected(viewport()->rect());
    if (wanted.isEmpty()) return;
    const int col0 = wanted.left() / s;
    const int row0 = wanted.top() / s;
    const int col1 = wanted.right() / s;
    const int row1 = wanted.bottom() / s;
    const int part_width = (col1 - col0 + 1) * s;
    const int part_height = (row1 - row0 + 1) * s;
    if ((image_.width != part_width || image_.height != part_height) && !image_.resize(part_width, part_height)) {
        painter.fillRect(wanted, outside);
        return;
    }
    // A window larger than the grid shows the pad's paper beyond its last
    // row and column, with a line where the drawing area ends.
    const Rgb edge = sketch_colour(view.palette.sub_level, Rgb{128, 128, 128});
    std::fill(image_.pixels.begin(), image_.pixels.end(), qRgb(paper.r, paper.g, paper.b));
    render_cells(session_.grid, &session_.project(), paint_settings(), view.first_row() + row0,
                 view.first_col() + col0, image_);
    const int end_x = (session_.grid.cols() - view.first_col() - col0) * s;
    const int end_y = (session_.grid.rows() - view.first_row() - row0) * s;
    const std::uint32_t edge_pixel = qRgb(edge.r, edge.g, edge.b);
    if (end_x >= 0 && end_x < part_width)
        for (int y = 0; y < std::min(part_height, std::max(end_y + 1, 0)); ++y) image_.at(end_x, y) = edge_pixel;
    if (end_y >= 0 && end_y < part_height)
        for (int x = 0; x < std::min(part_width, std::max(end_x + 1, 0)); ++x) image_.at(x, end_y) = edge_pixel;
    const QImage picture(reinterpret_cast<const uchar*>(image_.pixels.data()), part_width, part_height,
                         static_cast<qsizetype>(part_width) * 4, QImage::Format_RGB32);
    // On a high-density screen every image pixel becomes a block of device
    // pixels, never a blend of neighbours.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(col0 * s, row0 * s, part_width, part_height), picture);
}

void SketchPadWidget::resizeEvent(QResizeEvent* /*event*/)
{
    session_.view.set_window_pixels(viewport()->width(), viewport()->height(), session_.grid);
    sync_scroll_bars();
}

void SketchPadWidget::refresh()
{
    session_.view.set_window_pixels(viewport()->width(), viewport()->height(), session_.grid);
    session_.view.keep_cursor_visible(session_.grid);
    changed();
}

void SketchPadWidget::sync_scroll_bars()
{
    const SketchView& view = session_.view;
    const SketchGrid& grid = session_.grid;
    syncing_ = true;
    verticalScrollBar()->setRange(0, grid.allocated() ? view.vertical_range(grid) : 0);
    verticalScrollBar()->setPageStep(view.visible_rows());
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setValue(view.first_row());
    horizontalScrollBar()->setRange(0, grid.allocated() ? view.horizontal_range(grid) : 0);
    horizontalScrollBar()->setPageStep(view.visible_cols());
    horizontalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setValue(view.first_col());
    syncing_ = false;
}

void SketchPadWidget::changed()
{
    sync_scroll_bars();
    viewport()->update();
    emit cursorMoved();
}

void SketchPadWidget::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    if (syncing_) return;
    session_.view.scroll_to(verticalScrollBar()->value(), horizontalScrollBar()->value(), session_.grid);
    changed();
}

EditOutcome SketchPadWidget::run_edit(const EditCommand& command)
{
    if (!editor_) return {};
    const SketchView& view = session_.view;
    const int first_row = view.first_row();
    const int first_col = view.first_col();
    const GridCell cursor = session_.grid.cursor;
    const EditOutcome outcome = editor_->apply(command);
    const bool scrolled = view.first_row() != first_row || view.first_col() != first_col;
    if (scrolled) sync_scroll_bars();
    if (outcome.repaint_all || scrolled) {
        viewport()->update();
    } else {
        const int s = view.cell_size();
        auto cells = [&](int r0, int c0, int r1, int c1) {
            viewport()->update(QRect(view.cell_x(c0), view.cell_y(r0), (c1 - c0 + 1) * s, (r1 - r0 + 1) * s));
        };
        if (outcome.damage) {
            const CellBounds& b = *outcome.damage;
            cells(b.min_row, b.min_col, b.max_row, b.max_col);
        }
        // The cursor cell is drawn inverted where it was and where it is.
        const GridCell now = session_.grid.cursor;
        if (!(now == cursor)) {
            cells(cursor.row, cursor.col, cursor.row, cursor.col);
            cells(now.row, now.col, now.row, now.col);
        }
    }
    if (!editor_->stroke.in_progress) viewport()->setMouseTracking(false);
    emit edited(outcome.navigator, outcome.tool_changed);
    emit cursorMoved();
    return outcome;
}

EditOutcome SketchPadWidget::edit(EditAction action)
{
    EditCommand command;
    command.action = action;
    return run_edit(command);
}

void SketchPadWidget::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    ViewDirection direction;
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up: direction = ViewDirection::North, step = 1; break;
    case Qt::Key_Down: direction = ViewDirection::South, step = 4; break;
    case Qt::Key_Left: direction = ViewDirection::West, step = 8; break;
    case Qt::Key_Right: direction = ViewDirection::East, step = 2; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter clicks with a tool and defines the item without one.
        if (editor_) edit(drawing() ? EditAction::LeftClick : EditAction::Define);
        return;
    case Qt::Key_Escape:
        if (drawing()) edit(EditAction::RightClick);
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // A level or zoom key reaches the window only when its command is
        // not available here.
        QApplication::beep();
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (editor_ && editor_->stroke.in_progress) {
        // A stroke moves by its own step, one at a time.
        EditCommand command;
        command.action = EditAction::StepCursor;
        command.direction = step;
        run_edit(command);
        return;
    }
    const CursorMove how = (mods & Qt::ControlModifier) ? CursorMove::ToItem
                           : (mods & Qt::ShiftModifier) ? CursorMove::Jump
                                                         : CursorMove::Step;
    session_.view.move_cursor(session_.grid, direction, how);
    changed();
}

void SketchPadWidget::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    // Mouse events of the viewport come in its own coordinates.
    const QPoint at = event->position().toPoint();
    GridCell cell;
    const bool on_grid = session_.view.cell_at(at.x(), at.y(), session_.grid, cell);
    if (event->button() == Qt::RightButton) {
        if (drawing()) {
            edit(EditAction::RightClick);
            return;
        }
        if (on_grid) {
            session_.view.place_cursor(session_.grid, cell);
            changed();
        }
        emit contextMenuWanted(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || !on_grid) return;
    if (drawing()) {
        // The first click starts where the pointer is; the stroke itself
        // follows the pointer until the second click ends it.
        if (!editor_->stroke.in_progress) session_.view.place_cursor(session_.grid, cell);
        viewport()->setMouseTracking(true);
        edit(EditAction::LeftClick);
        return;
    }
    session_.view.place_cursor(session_.grid, cell);
    changed();
}

void SketchPadWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || drawing() || !editor_) {
        mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    GridCell cell;
    if (!session_.view.cell_at(at.x(), at.y(), session_.grid, cell)) return;
    session_.view.place_cursor(session_.grid, cell);
    edit(EditAction::Define);
}

void SketchPadWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!editor_ || !editor_->stroke.in_progress) return;
    const QPoint at = event->position().toPoint();
    GridCell cell;
    if (!session_.view.cell_at(at.x(), at.y(), session_.grid, cell)) return;
    EditCommand command;
    command.action = EditAction::PointerAt;
    command.cell = cell;
    run_edit(command);
}

void SketchPadWidget::wheelEvent(QWheelEvent* event)
{
    QPoint delta = event->angleDelta();
    // Shift turns the wheel sideways where the platform has not already.
    if ((event->modifiers() & Qt::ShiftModifier) && delta.x() == 0) delta = QPoint(delta.y(), 0);
    wheel_rest_ += delta;
    const int down = -(wheel_rest_.y() / kWheelNotch);
    const int right = -(wheel_rest_.x() / kWheelNotch);
    wheel_rest_ = QPoint(wheel_rest_.x() % kWheelNotch, wheel_rest_.y() % kWheelNotch);
    event->accept();
    if (down == 0 && right == 0) return;
    SketchView& view = session_.view;
    view.scroll_to(view.first_row() + down * kWheelCells, view.first_col() + right * kWheelCells,
                   session_.grid);
    changed();
}

void SketchPadWidget::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void SketchPadWidget::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

}  // namespace avelor::ui
