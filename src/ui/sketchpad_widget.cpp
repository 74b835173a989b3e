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
    return settings;
}

void SketchPadWidget::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(viewport());
    const int width = viewport()->width();
    const int height = viewport()->height();
    const QColor outside = palette().color(QPalette::Window);
    if (width <= 0 || height <= 0) return;
    if (!session_.grid.allocated() ||
        ((image_.width != width || image_.height != height) && !image_.resize(width, height))) {
        painter.fillRect(viewport()->rect(), outside);
        return;
    }
    // Beyond the grid's last row and column the window shows its own colour.
    std::fill(image_.pixels.begin(), image_.pixels.end(), static_cast<std::uint32_t>(outside.rgb()));
    const SketchView& view = session_.view;
    render_cells(session_.grid, &session_.project(), paint_settings(), view.first_row(), view.first_col(),
                 image_);
    const QImage picture(reinterpret_cast<const uchar*>(image_.pixels.data()), width, height,
                         static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
    // On a high-density screen every image pixel becomes a block of device
    // pixels, never a blend of neighbours.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(0, 0, width, height), picture);
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

void SketchPadWidget::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    ViewDirection direction;
    switch (event->key()) {
    case Qt::Key_Up: direction = ViewDirection::North; break;
    case Qt::Key_Down: direction = ViewDirection::South; break;
    case Qt::Key_Left: direction = ViewDirection::West; break;
    case Qt::Key_Right: direction = ViewDirection::East; break;
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
    const CursorMove how = (mods & Qt::ControlModifier) ? CursorMove::ToItem
                           : (mods & Qt::ShiftModifier) ? CursorMove::Jump
                                                         : CursorMove::Step;
    session_.view.move_cursor(session_.grid, direction, how);
    changed();
}

void SketchPadWidget::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) return;
    // Mouse events of the viewport come in its own coordinates.
    const QPoint at = event->position().toPoint();
    GridCell cell;
    if (!session_.view.cell_at(at.x(), at.y(), session_.grid, cell)) return;
    session_.view.place_cursor(session_.grid, cell);
    changed();
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
