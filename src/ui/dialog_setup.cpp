#include "ui/dialog_setup.h"

#include <QApplication>
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QEvent>
#include <QFontMetrics>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

namespace avelor::ui {

namespace {

class DialogFitter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* dialog = qobject_cast<QDialog*>(watched);
            if (dialog && dialog->isWindow() && !dialog->property(kFitted).toBool()) {
                dialog->setProperty(kFitted, true);
                fit_dialog(*dialog);
                keep_ok_default(*dialog);
                focus_first_field(*dialog);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static constexpr const char* kFitted = "avelorDialogFitted";
};

QRect work_area(const QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), kSmallestWorkArea);
}

}  // namespace

int title_width(const QWidget& window)
{
    // Window managers draw titles in a bold face a little larger than the
    // application's; measure with one.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.1);
    return QFontMetrics(font).horizontalAdvance(window.windowTitle()) + kTitleBarExtras;
}

void fit_dialog(QWidget& window)
{
    for (QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
        tabs->setUsesScrollButtons(false);
        tabs->tabBar()->setElideMode(Qt::ElideNone);
        tabs->updateGeometry();
    }
    if (QLayout* layout = window.layout()) layout->activate();
    const QRect area = work_area(window);
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    const int widest = area.width() - frame.width();
    const int tallest = area.height() - std::max(frame.height(), 30);
    const int wanted = std::min(title_width(window), widest);
    if (window.minimumWidth() < wanted) window.setMinimumWidth(wanted);
    QSize size = window.size().expandedTo(window.sizeHint()).expandedTo(window.minimumSize());
    size = size.boundedTo(QSize(widest, tallest));
    if (size != window.size()) window.resize(size);
}

void keep_ok_default(QWidget& window)
{
    QPushButton* ok = nullptr;
    for (QDialogButtonBox* box : window.findChildren<QDialogButtonBox*>()) {
        for (QAbstractButton* button : box->buttons()) {
            const QDialogButtonBox::ButtonRole role = box->buttonRole(button);
            if (!ok && (role == QDialogButtonBox::AcceptRole || role == QDialogButtonBox::YesRole))
                ok = qobject_cast<QPushButton*>(button);
        }
    }
    if (!ok) return;
    for (QPushButton* button : window.findChildren<QPushButton*>())
        if (button != ok) button->setAutoDefault(false);
    ok->setAutoDefault(true);
    ok->setDefault(true);
}

void focus_first_field(QWidget& window)
{
    const QList<QTabWidget*> sheets = window.findChildren<QTabWidget*>();
    if (sheets.isEmpty()) return;
    QWidget* page = sheets.first()->currentWidget();
    if (!page) return;
    // The page's widgets in the order the Tab key visits them.
    QWidget* field = page->nextInFocusChain();
    for (int guard = 0; field && field != page && guard < 10000; ++guard, field = field->nextInFocusChain()) {
        if (!page->isAncestorOf(field)) continue;
        if (!field->isEnabled() || !field->isVisibleTo(page) || !(field->focusPolicy() & Qt::TabFocus)) continue;
        if (const auto* line = qobject_cast<QLineEdit*>(field); line && !line->isReadOnly()) break;
        if (qobject_cast<QComboBox*>(field) || qobject_cast<QAbstractSpinBox*>(field)) break;
    }
    if (field && field != page && page->isAncestorOf(field)) field->setFocus(Qt::TabFocusReason);
}

void install_dialog_setup(QApplication& app) { app.installEventFilter(new DialogFitter(&app)); }

}  // namespace avelor::ui
