// What every dialog does as it opens: it is sized to what it holds (the
// whole title readable, every tab of a property sheet shown without scroll
// arrows, never larger than the work area of its screen), Enter means its
// OK button whichever button was pressed last, and a property sheet opens
// with the first field of its page ready for typing.
#pragma once

#include <QObject>
#include <QSize>

class QApplication;
class QWidget;

namespace avelor::ui {

// The smallest work area a dialog must fit (with its frame), whatever the
// screen: a 1024 x 768 screen less a task bar.
inline constexpr QSize kSmallestWorkArea{1024, 738};

// Room a window manager's title bar takes beside the title: the frame's
// buttons and margins.
inline constexpr int kTitleBarExtras = 120;

// The width a window needs for its title to show in full.
int title_width(const QWidget& window);

// Lets every tab bar of the window show all its tabs, widens the window to
// its title and shrinks it to the work area of its screen.
void fit_dialog(QWidget& window);

// OK (or Yes, or the box's accepting button) is the default button, and
// no other button takes that role by being pressed.
void keep_ok_default(QWidget& window);

// On a window with pages, the first enabled field of the current page
// takes the focus rather than the tab row.
void focus_first_field(QWidget& window);

// All three, for every dialog of the application as it is first shown.
void install_dialog_setup(QApplication& app);

}  // namespace avelor::ui
