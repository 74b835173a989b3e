#include "ui/qt_port.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include "ui/text_1252.h"

namespace avelor::ui {

namespace {

QMessageBox::Icon qt_icon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Exclamation: return QMessageBox::Warning;
    case BoxIcon::Question: return QMessageBox::Question;
    case BoxIcon::Stop: break;
    }
    return QMessageBox::Critical;
}

}  // namespace

QWidget* QtUserPort::owner() const
{
    if (QWidget* focus = QApplication::focusWidget()) return focus->window();
    if (QWidget* active = QApplication::activeWindow()) return active;
    return main_window_.data();
}

void QtUserPort::place(QMessageBox& box) const
{
    if (!main_window_) return;
    box.adjustSize();
    const QRect main = main_window_->frameGeometry();
    // The work area of the monitor that holds the drawing's top-right corner.
    QWidget* drawing = main_window_->findChild<QWidget*>(QStringLiteral("SketchPadWindow"));
    QPoint corner = drawing ? drawing->mapToGlobal(QPoint(drawing->width() - 1, 0))
                            : main.topRight();
    QScreen* screen = QGuiApplication::screenAt(corner);
    if (!screen) screen = main_window_->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size = box.frameGeometry().size().expandedTo(box.sizeHint());
    Point at = centre_box({main.left(), main.top(), main.width(), main.height()},
                          {area.left(), area.top(), area.width(), area.height()}, size.width(),
                          size.height());
    box.move(at.x, at.y);
}

void QtUserPort::show_box(std::string_view caption, BoxIcon icon, std::string_view text)
{
    QMessageBox box(qt_icon(icon), from_1252(caption), from_1252(text), QMessageBox::Ok, owner());
    place(box);
    box.exec();
}

Answer QtUserPort::ask(std::string_view text, bool with_cancel)
{
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (with_cancel) buttons |= QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Question"), from_1252(text), buttons,
                    owner());
    box.setEscapeButton(with_cancel ? QMessageBox::Cancel : QMessageBox::No);
    place(box);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return Answer::Other;
    }
}

}  // namespace avelor::ui
