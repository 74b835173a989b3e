#include "ui/floating_status.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <algorithm>
#include <limits>

#include "sketchpad/floating_box_place.h"
#include "sketchpad/status_text.h"
#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

const QColor kBoxBackground(255, 255, 225);

// The screen that holds the point, else the one nearest to it.
QScreen* screen_nearest(QPoint point)
{
    if (QScreen* at = QGuiApplication::screenAt(point)) return at;
    QScreen* nearest = QGuiApplication::primaryScreen();
    long long best = std::numeric_limits<long long>::max();
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const long long dx = std::max({0, g.left() - point.x(), point.x() - g.right()});
        const long long dy = std::max({0, g.top() - point.y(), point.y() - g.bottom()});
        const long long distance = dx * dx + dy * dy;
        if (distance < best) {
            best = distance;
            nearest = screen;
        }
    }
    return nearest;
}

}  // namespace

FloatingStatusBox::FloatingStatusBox(QWidget* parent)
    : QWidget(parent, parent ? Qt::Widget : Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("FloatingStatusBox"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Clicks and the wheel reach the drawing under the box.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBoxBackground);
    setPalette(colours);
    setAutoFillBackground(true);
    font_ = QFont(QStringLiteral("Arial"));
    font_.setStyleHint(QFont::SansSerif);
    font_.setPointSize(8);
    setFont(font_);
}

void FloatingStatusBox::show_text(const std::string& item_text, QPoint cursor_cell_top_left, int cell_size)
{
    lines_.clear();
    if (item_text.empty() || !floating_status_accepts(item_text)) {
        hide();
        return;
    }
    for (const std::string& line : floating_status_lines(item_text)) lines_.append(from_1252(line));
    if (lines_.isEmpty()) {
        hide();
        return;
    }

    const QFontMetrics metrics(font_);
    int widest = 0;
    for (const QString& line : lines_) widest = std::max(widest, metrics.horizontalAdvance(line));
    const int width = widest + 5;
    const int height = static_cast<int>(lines_.size()) * metrics.height() + 3;

    const QPoint anchor = cursor_cell_top_left + QPoint(2 * cell_size, 2 * cell_size);
    QPoint top_left = anchor;
    if (QWidget* drawing = parentWidget()) {
        const Point at = place_floating_box({anchor.x(), anchor.y()}, width, height,
                                            {0, 0, drawing->width(), drawing->height()});
        top_left = QPoint(at.x, at.y);
    } else if (QScreen* screen = screen_nearest(anchor)) {
        const QRect area = screen->availableGeometry();
        const Point at = place_floating_box({anchor.x(), anchor.y()}, width, height,
                                            {area.left(), area.top(), area.width(), area.height()});
        top_left = QPoint(at.x, at.y);
    }
    setFixedSize(width, height);
    move(top_left);
    show();
    raise();
    update();
}

void FloatingStatusBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBoxBackground);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setFont(font_);
    const QFontMetrics metrics(font_);
    int y = 1 + metrics.ascent();
    for (const QString& line : lines_) {
        painter.drawText(2, y, line);
        y += metrics.height();
    }
}

}  // namespace avelor::ui
