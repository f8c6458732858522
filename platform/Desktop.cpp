#include "Desktop.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

namespace {

// The X connection when the program runs on X11, else null.
xcb_connection_t *X11()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// A property of 32-bit values (atoms, windows); empty when it is not there.
QList<quint32> Values(xcb_connection_t *c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    QList<quint32> values;
    xcb_get_property_reply_t *reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 65536), nullptr);
    if (reply && reply->type == type && reply->format == 32) {
        const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply));
        values = QList<quint32>(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

xcb_window_t RootOf(xcb_connection_t *c, xcb_window_t window)
{
    xcb_query_tree_reply_t *reply = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    const xcb_window_t root = reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
    std::free(reply);
    return root;
}

// Asks the window manager for no taskbar entry. The state goes on the window while
// it is unmapped (the manager reads it when it maps the window and removes it when
// the window is withdrawn); Qt adds its own states to what it finds there.
void SkipTaskbar(QWidget *form)
{
    xcb_connection_t *c = X11();
    if (!c)
        return;
    const xcb_window_t window = xcb_window_t(form->winId());
    const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    const xcb_atom_t skip = Atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    QList<quint32> states = Values(c, window, state, XCB_ATOM_ATOM);
    if (states.contains(skip))
        return;
    states.append(skip);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32, uint32_t(states.size()),
                        states.constData());
    xcb_flush(c);
}

// The X windows from the bottom of the stack to its top: the window manager's list
// where it keeps one, else the root's children as the server stacks them.
QList<quint32> XStackingOrder(xcb_connection_t *c, xcb_window_t anyWindow)
{
    const xcb_window_t root = RootOf(c, anyWindow);
    if (root == XCB_WINDOW_NONE)
        return {};
    QList<quint32> stack = Values(c, root, Atom(c, "_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    if (!stack.isEmpty())
        return stack;
    xcb_query_tree_reply_t *reply = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (reply) {
        const xcb_window_t *children = xcb_query_tree_children(reply);
        stack = QList<quint32>(children, children + xcb_query_tree_children_length(reply));
    }
    std::free(reply);
    return stack;
}

// The program's visible top-level windows, lowest first as the window system
// stacks them where it tells (X11), else in Qt's order.
QList<QWidget *> VisibleWindowsInStackingOrder()
{
    QList<QWidget *> windows;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (w->isVisible() && (type == Qt::Window || type == Qt::Dialog))
            windows.append(w);
    }
    xcb_connection_t *c = X11();
    if (!c || windows.isEmpty())
        return windows;
    const QList<quint32> stack = XStackingOrder(c, xcb_window_t(windows.first()->winId()));
    std::stable_sort(windows.begin(), windows.end(), [&stack](QWidget *a, QWidget *b) {
        return stack.indexOf(quint32(a->winId())) < stack.indexOf(quint32(b->winId()));
    });
    return windows;
}

void ActivateTopmost()
{
    const QList<QWidget *> windows = VisibleWindowsInStackingOrder();
    if (windows.isEmpty())
        return;
    QWidget *top = windows.last();
    top->raise();
    top->activateWindow();
}

class SecondaryFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *form = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            SkipTaskbar(form);
        } else if (event->type() == QEvent::Close && form->isActiveWindow()) {
            // Once the close has hidden it, the window that lies highest takes over,
            // not whichever window the manager would pick.
            QTimer::singleShot(0, form, [form] {
                if (form->isHidden())
                    ActivateTopmost();
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

// The frame the window manager will put around a window not mapped yet, which it
// tells on request (none where it cannot).
QMargins FrameExtentsBeforeMap(QWidget *form)
{
    xcb_connection_t *c = X11();
    if (!c)
        return {};
    const xcb_window_t window = xcb_window_t(form->winId());
    const xcb_window_t root = RootOf(c, window);
    const xcb_atom_t request = Atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    if (root == XCB_WINDOW_NONE || !Values(c, root, Atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM).contains(request))
        return {};
    const xcb_atom_t extents = Atom(c, "_NET_FRAME_EXTENTS");
    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = request;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(c);
    // The answer is a property on the window; a manager answers within milliseconds.
    for (int i = 0; i < 50; ++i) {
        const QList<quint32> v = Values(c, window, extents, XCB_ATOM_CARDINAL);
        if (v.size() == 4) {
            // The manager counts device pixels; Qt's places are scaled ones.
            const qreal scale = form->devicePixelRatioF();
            return QMargins(qRound(v[0] / scale), qRound(v[2] / scale), qRound(v[1] / scale), qRound(v[3] / scale));
        }
        QThread::msleep(10);
    }
    return {};
}

QMargins FrameMargins(const QWidget *form)
{
    const QRect inner = form->geometry();
    const QRect outer = form->frameGeometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

QPoint CentredFrame(const QWidget *form, const QWidget *other, const QMargins &frame)
{
    QScreen *screen = other && other->isVisible() ? other->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen->geometry();
    const QSize outer = form->size().grownBy(frame);
    return area.topLeft() + QPoint(qMax(0, (area.width() - outer.width()) / 2),
                                   qMax(0, (area.height() - outer.height()) / 2));
}

// A modal dialog or message box hands the activation back to the window it belongs
// to when it closes, as on the platform the program was designed on. Window
// managers would pick by their own rules, which pass over windows without a
// taskbar entry.
class ModalReturn : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && watched->isWidgetType()) {
            auto *dialog = static_cast<QWidget *>(watched);
            QWidget *owner = dialog->isWindow() && dialog->isModal() && dialog->parentWidget()
                                 ? dialog->parentWidget()->window()
                                 : nullptr;
            if (owner) {
                QPointer<QWidget> guarded(owner);
                QTimer::singleShot(0, owner, [guarded] {
                    if (guarded && guarded->isVisible() && !QApplication::activeModalWidget())
                        guarded->activateWindow();
                });
            }
        }
        return false;
    }
};

class KeyConventions : public QObject {
public:
    explicit KeyConventions(QWidget *form) : QObject(form), Form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            auto *button = qobject_cast<QPushButton *>(watched);
            if (!button || !button->hasFocus())
                return false;
            // Held down, the key presses the button once, as a click would.
            if (!key->isAutoRepeat())
                button->click();
            return true;
        }
        if (key->key() == Qt::Key_F10 && watched == Form) {
            auto *window = qobject_cast<QMainWindow *>(Form);
            QMenuBar *bar = window ? window->menuBar() : nullptr;
            if (!bar)
                return false;
            for (QAction *menu : bar->actions()) {
                if (menu->isVisible() && menu->isEnabled()) {
                    bar->setActiveAction(menu);
                    return true;
                }
            }
        }
        return false;
    }

private:
    QWidget *Form;
};

} // namespace

void Desktop::ModalsReturnToTheirWindows()
{
    static ModalReturn *modalReturn = nullptr;
    if (!modalReturn) {
        modalReturn = new ModalReturn(qApp);
        qApp->installEventFilter(modalReturn);
    }
}

void Desktop::MainWindow(QWidget *form, const QString &title)
{
    // Taskbars that label an entry apart from the window's caption read the icon name.
    form->setWindowIconText(title);
}

void Desktop::SecondaryWindow(QWidget *form)
{
    Qt::WindowFlags flags = form->windowFlags();
    // A window's frame follows its type unless the hints are customised; a dialog's
    // then has to be spelled out.
    if ((flags & Qt::WindowType_Mask) == Qt::Dialog)
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    // A dialog is kept above the window it belongs to by every window manager.
    form->setParent(nullptr);
    form->setWindowFlags((flags & ~Qt::WindowType_Mask) | Qt::Window);
    form->installEventFilter(new SecondaryFilter(form));
}

QPoint Desktop::PlaceOnScreens(QPoint designed, const QList<QRect> &screens, const QRect &primaryAvailable)
{
    for (const QRect &screen : screens)
        if (screen.contains(designed))
            return designed;
    return primaryAvailable.topLeft() + designed;
}

void Desktop::KeepOnScreen(QWidget *form)
{
    QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    QList<QRect> screens;
    for (QScreen *screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    const QPoint place = PlaceOnScreens(form->pos(), screens, primary->availableGeometry());
    if (place != form->pos())
        form->move(place);
}

void Desktop::CentreOnScreenOf(QWidget *form, QWidget *other)
{
    // Asking Qt for the frame of a window not mapped yet would fix it at none. The
    // place goes to Qt as the client area's, which it hands on unchanged when it
    // does not know the frame.
    const bool mapped = form->windowHandle() && form->windowHandle()->isVisible();
    const QMargins frame = mapped ? FrameMargins(form) : FrameExtentsBeforeMap(form);
    const QPoint outer = CentredFrame(form, other, frame);
    form->setGeometry(QRect(outer + QPoint(frame.left(), frame.top()), form->size()));
}

void Desktop::KeyboardConventions(QWidget *form)
{
    auto *conventions = new KeyConventions(form);
    form->installEventFilter(conventions);
    for (QPushButton *button : form->findChildren<QPushButton *>())
        button->installEventFilter(conventions);
}
