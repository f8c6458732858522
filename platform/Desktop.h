#pragma once
// How the program's windows live on a real desktop, beside the window operations
// of Forms: where they open on the screens there are, how they stack and share one
// taskbar entry under a window manager, and the desktop's keyboard conventions.
#include <QList>
#include <QPoint>
#include <QRect>

class QString;
class QWidget;

namespace Desktop {

// The main window carries the program's one taskbar entry. Where the platform has
// a label for that entry apart from the caption (X11: the icon name), it is title.
void MainWindow(QWidget *form, const QString &title);

// From now on a modal dialog or message box that closes activates the window it
// belongs to again (needs the application object).
void ModalsReturnToTheirWindows();

// A secondary window: an ordinary top-level window, free to lie above or below the
// others (a dialog keeps its dialog frame: close box and window menu only), with
// no taskbar entry of its own where the platform allows it (X11). Closing it by a
// close request (close box, window menu, Alt+F4) while it is active activates the
// program's next visible window in stacking order.
void SecondaryWindow(QWidget *form);

// Keeps a window's designed place (the outer frame's, set before the window is
// first shown) where it lies on a screen; otherwise moves it to the same offset from
// the top left of the primary screen's available area. Call it before the first
// show: Qt then hands the place to the window manager as the frame's.
void KeepOnScreen(QWidget *form);
// The rule itself, on screen rectangles.
QPoint PlaceOnScreens(QPoint designed, const QList<QRect> &screens, const QRect &primaryAvailable);

// Places form, by its outer frame, at the centre of the screen that shows other
// (the primary screen when other is null or hidden). Before form is first mapped
// the window manager is asked what frame it will give it.
void CentreOnScreenOf(QWidget *form, QWidget *other);

// Enter or Return presses the focused push button of form (no button becomes a
// default button); F10 opens form's menu bar.
void KeyboardConventions(QWidget *form);

} // namespace Desktop
