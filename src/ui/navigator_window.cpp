#include "ui/navigator_window.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cstring>

#include "editing/editor_session.h"
#include "sketchpad/renderer.h"

namespace avelor::ui {

namespace {

constexpr int kOutlineWidth = 3;

// The four bands of a frame kOutlineWidth thick just inside the rectangle;
// they do not overlap, so inverting each once inverts the frame once.
QList<QRect> frame_bands(const QRect& r)
{
    const int t = std::min({kOutlineWidth, r.width(), r.height()});
    QList<QRect> bands;
    if (t <= 0) return bands;
    bands.append(QRect(r.left(), r.top(), r.width(), t));
    if (r.height() > t) bands.append(QRect(r.left(), r.bottom() - t + 1, r.width(), t));
    const int inner = r.height() - 2 * t;
    if (inner > 0) {
        bands.append(QRect(r.left(), r.top() + t, t, inner));
        if (r.width() > t) bands.append(QRect(r.right() - t + 1, r.top() + t, t, inner));
    }
    return bands;
}

}  // namespace

NavigatorWindow::NavigatorWindow(EditorSession& session, QWidget* parent)
    : QAbstractScrollArea(parent), session_(&session)
{
    setWindowFlags(Qt::Tool);
    setWindowTitle(QStringLiteral("Sketch Navigator"));
    setObjectName(QStringLiteral("SketchNavigator"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setCursor(Qt::CrossCursor);
    level_changed();
    resize(initial_size());
}

QSize NavigatorWindow::initial_size() const
{
    const int w = image_.width();
    const int h = image_.height();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    // A scroll bar takes room from the other side, which may then need one
    // of its own.
    bool wide = w > kInitialWidth;
    bool tall = h > kInitialHeight;
    wide = wide || (tall && w + bar > kInitialWidth);
    tall = tall || (wide && h + bar > kInitialHeight);
    const int width = std::clamp(w + (tall ? bar : 0), kSmallestWidth, kInitialWidth);
    const int height = std::clamp(h + (wide ? bar : 0), kSmallestHeight, kInitialHeight);
    return {width, height};
}

void NavigatorWindow::level_changed()
{
    EditorSession& s = *session_;
    PixelImage pixels;
    if (s.grid.allocated())
        render_navigator(s.grid, &s.project(), render_settings(s.view, s.project(), s.grid), pixels);
    if (pixels.width > 0 && pixels.height > 0) {
        QImage image(pixels.width, pixels.height, QImage::Format_RGB32);
        const std::size_t row_bytes = static_cast<std::size_t>(pixels.width) * sizeof(std::uint32_t);
        for (int y = 0; y < pixels.height; ++y)
            std::memcpy(image.scanLine(y), &pixels.at(0, y), row_bytes);
        image_ = std::move(image);
    } else {
        image_ = QImage();
    }
    fit_scroll_bars();
    shown_outline_ = outline();
    viewport()->update();
}

QRect NavigatorWindow::outline() const
{
    const SketchView& view = session_->view;
    return {view.first_col(), view.first_row(), view.visible_cols(), view.visible_rows()};
}

QRect NavigatorWindow::outline_on_viewport(const QRect& outline) const
{
    return outline.translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

void NavigatorWindow::view_changed()
{
    const QRect now = outline();
    if (now == shown_outline_) return;
    QRegion dirty;
    for (const QRect& band : frame_bands(outline_on_viewport(shown_outline_))) dirty += band;
    for (const QRect& band : frame_bands(outline_on_viewport(now))) dirty += band;
    shown_outline_ = now;
    viewport()->update(dirty);
}

void NavigatorWindow::fit_scroll_bars()
{
    const QSize area = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, image_.width() - area.width()));
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setRange(0, std::max(0, image_.height() - area.height()));
    verticalScrollBar()->setPageStep(area.height());
}

void NavigatorWindow::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    fit_scroll_bars();
}

void NavigatorWindow::closeEvent(QCloseEvent* event)
{
    QAbstractScrollArea::closeEvent(event);
    emit closed();
}

void NavigatorWindow::scrollContentsBy(int, int)
{
    viewport()->update();
}

void NavigatorWindow::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QRect picture = QRect(QPoint(0, 0), image_.size()).translated(-offset);
    // Beyond the level: the button face.
    QRegion beyond = QRegion(event->rect()) - QRegion(picture);
    for (const QRect& r : beyond) painter.fillRect(r, palette().button());
    const QRect drawn = picture.intersected(event->rect());
    if (!drawn.isEmpty()) painter.drawImage(drawn, image_, drawn.translated(offset));

    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const QRect& band : frame_bands(outline_on_viewport(shown_outline_)))
        painter.fillRect(band, Qt::white);
}

void NavigatorWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    EditorSession& s = *session_;
    if (!s.grid.allocated()) return;
    const QPoint at = event->position().toPoint() +
                      QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    // Clicks beyond the level count as its nearest edge; the view keeps
    // the cursor inside the drawable area.
    const GridCell cell{std::clamp(at.y(), 0, s.grid.rows() - 1), std::clamp(at.x(), 0, s.grid.cols() - 1)};
    s.view.place_cursor(s.grid, cell);
    view_changed();
    emit cursorPlaced();
}

void NavigatorWindow::mouseReleaseEvent(QMouseEvent* event)
{
    // The press did the work; its release belongs to it.
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QAbstractScrollArea::mouseReleaseEvent(event);
}

}  // namespace avelor::ui
