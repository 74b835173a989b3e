#include "ui/qt_port.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMainWindow>
#include <QStatusBar>
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

QString file_dialog_filter(std::string_view filter)
{
    QString text = from_1252(filter);
    const qsizetype open = text.indexOf(QLatin1Char('('));
    const qsizetype close = text.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close <= open) return text;
    QStringList patterns;
    const QStringList given = text.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& pattern : given)
        for (const QString& form : {pattern, pattern.toUpper(), pattern.toLower()})
            if (!patterns.contains(form)) patterns.append(form);
    return text.left(open + 1) + patterns.join(QLatin1Char(' ')) + text.mid(close);
}

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

std::string QtUserPort::choose_file(FileChoice kind, std::string_view filter,
                                    std::string_view default_extension, std::string_view proposed)
{
    // Paths are the file system's own bytes, not project text.
    const QString proposed_path = QFile::decodeName(QByteArray(proposed.data(), static_cast<qsizetype>(proposed.size())));
    QFileDialog dialog(owner(), kind == FileChoice::Open ? QStringLiteral("Open") : QStringLiteral("Save As"));
    dialog.setAcceptMode(kind == FileChoice::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(kind == FileChoice::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(file_dialog_filter(filter));
    dialog.setDefaultSuffix(from_1252(default_extension));
    if (!proposed_path.isEmpty()) dialog.selectFile(proposed_path);
    // Wide enough for the names, sizes, types and dates of its columns.
    dialog.resize(dialog.sizeHint().expandedTo(QSize(820, 480)));
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return {};
    return QFile::encodeName(chosen.first()).toStdString();
}

void QtUserPort::beep() { QApplication::beep(); }

void QtUserPort::show_status(std::string_view text)
{
    auto* window = qobject_cast<QMainWindow*>(main_window_.data());
    if (!window) return;
    QStatusBar* bar = window->statusBar();
    if (text.empty()) {
        bar->clearMessage();
    } else {
        bar->showMessage(from_1252(text));
        // The text is for a long piece of work that runs before the next
        // paint would come.
        bar->repaint();
    }
}

}  // namespace avelor::ui
