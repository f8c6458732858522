/* xstep: one timed step of a learner at a Qt program under X, for the big-list
 * benchmark. Every step ends when the program is idle again: a _NET_WM_PING sent to
 * its window comes back only once the program has left the handler and returned to
 * its event loop; a second ping lets the repaints it posted go out.
 *
 *   xstep idle WINDOW            waits until the program is idle
 *   xstep click WINDOW X Y       clicks at window-relative X Y, waits until idle
 *   xstep confirm WINDOW DIALOG TITLE
 *                                presses Return in the focused file dialog DIALOG and
 *                                waits until WINDOW is titled TITLE and the program
 *                                is idle
 *
 * Qt answers a ping on the root window for the window manager only (the client
 * holding substructure redirection), so xstep stands in for one while it runs: there
 * must be none, and the windows mapped meanwhile are mapped and placed as asked.
 *
 * Prints the milliseconds from the click or the confirming Return to idle. The file
 * dialog's completion list, which opens a while after typing (the folder is read in
 * the background), can take a Return itself: when the program is idle again with the
 * dialog still open and the title unchanged, confirm presses Return once more and
 * times from there. */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static Display *dpy;
static Window root;
static Atom wm_protocols, net_wm_ping, net_wm_name, utf8_string;
static unsigned long serial = 1;

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

/* The window manager's part: map and place windows as their program asks. */
static void serve(XEvent *ev)
{
    if (ev->type == MapRequest) {
        XMapWindow(dpy, ev->xmaprequest.window);
    } else if (ev->type == ConfigureRequest) {
        XWindowChanges c;
        c.x = ev->xconfigurerequest.x;
        c.y = ev->xconfigurerequest.y;
        c.width = ev->xconfigurerequest.width;
        c.height = ev->xconfigurerequest.height;
        c.border_width = ev->xconfigurerequest.border_width;
        c.sibling = ev->xconfigurerequest.above;
        c.stack_mode = ev->xconfigurerequest.detail;
        XConfigureWindow(dpy, ev->xconfigurerequest.window, (unsigned int)ev->xconfigurerequest.value_mask, &c);
    } else if (ev->type == CirculateRequest) {
        XCirculateSubwindows(dpy, ev->xcirculaterequest.parent,
                             ev->xcirculaterequest.place == PlaceOnTop ? RaiseLowest : LowerHighest);
    }
}

static void ping(Window w)
{
    XEvent ev;
    memset(&ev, 0, sizeof ev);
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = wm_protocols;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = (long)net_wm_ping;
    ev.xclient.data.l[1] = (long)++serial; /* stands in for the time stamp */
    ev.xclient.data.l[2] = (long)w;
    XSendEvent(dpy, w, False, NoEventMask, &ev);
    XFlush(dpy);
    for (;;) {
        XNextEvent(dpy, &ev);
        serve(&ev);
        if (ev.type == ClientMessage && ev.xclient.window == root && (Atom)ev.xclient.data.l[0] == net_wm_ping &&
            (unsigned long)ev.xclient.data.l[1] == serial)
            return;
    }
}

static void idle(Window w)
{
    ping(w);
    ping(w);
}

static char *title_of(Window w)
{
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char *data = NULL;
    if (XGetWindowProperty(dpy, w, net_wm_name, 0, 4096, False, utf8_string, &type, &format, &n, &after, &data) !=
            Success ||
        !data)
        return NULL;
    return (char *)data;
}

static int title_is(Window w, const char *title)
{
    char *t = title_of(w);
    int same = t && strcmp(t, title) == 0;
    if (t)
        XFree(t);
    return same;
}

static int ignore_error(Display *d, XErrorEvent *e)
{
    (void)d;
    (void)e;
    return 0;
}

static int failed;

static int note_error(Display *d, XErrorEvent *e)
{
    (void)d;
    (void)e;
    failed = 1;
    return 0;
}

/* The dialog can be gone altogether once the program is done with it. */
static int mapped(Window w)
{
    XWindowAttributes a;
    XSync(dpy, False);
    return XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable;
}

/* Waits up to ms for a change of WINDOW's title; 1 when one came. */
static int title_changed(Window w, int ms)
{
    const double until = now_ms() + ms;
    for (;;) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            serve(&ev);
            if (ev.type == PropertyNotify && ev.xproperty.window == w && ev.xproperty.atom == net_wm_name)
                return 1;
        }
        const int left = (int)(until - now_ms());
        if (left <= 0)
            return 0;
        struct pollfd pfd = {ConnectionNumber(dpy), POLLIN, 0};
        poll(&pfd, 1, left);
    }
}

static void key_return(void)
{
    KeyCode code = XKeysymToKeycode(dpy, XK_Return);
    XTestFakeKeyEvent(dpy, code, True, 0);
    XTestFakeKeyEvent(dpy, code, False, 0);
    XFlush(dpy);
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: xstep idle|click|confirm WINDOW [X Y | TITLE]\n");
        return 2;
    }
    dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "xstep: no X display\n");
        return 2;
    }
    root = DefaultRootWindow(dpy);
    wm_protocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
    net_wm_ping = XInternAtom(dpy, "_NET_WM_PING", False);
    net_wm_name = XInternAtom(dpy, "_NET_WM_NAME", False);
    utf8_string = XInternAtom(dpy, "UTF8_STRING", False);
    XSetErrorHandler(note_error);
    XSelectInput(dpy, root, SubstructureNotifyMask | SubstructureRedirectMask);
    XSync(dpy, False);
    if (failed) {
        fprintf(stderr, "xstep: another client manages the windows; run without a window manager\n");
        return 2;
    }
    XSetErrorHandler(ignore_error);
    Window w = (Window)strtoul(argv[2], NULL, 0);
    double start;

    if (strcmp(argv[1], "idle") == 0) {
        start = now_ms();
        idle(w);
    } else if (strcmp(argv[1], "click") == 0 && argc == 5) {
        int x, y;
        Window child;
        XTranslateCoordinates(dpy, w, root, atoi(argv[3]), atoi(argv[4]), &x, &y, &child);
        XTestFakeMotionEvent(dpy, -1, x, y, 0);
        XSync(dpy, False);
        idle(w);
        start = now_ms();
        XTestFakeButtonEvent(dpy, 1, True, 0);
        XTestFakeButtonEvent(dpy, 1, False, 0);
        XFlush(dpy);
        idle(w);
    } else if (strcmp(argv[1], "confirm") == 0 && argc == 5) {
        const Window dialog = (Window)strtoul(argv[3], NULL, 0);
        const char *title = argv[4];
        XSelectInput(dpy, w, PropertyChangeMask);
        usleep(300000);
        idle(w);
        int done = 0;
        for (int attempt = 0; attempt < 5 && !done; ++attempt) {
            start = now_ms();
            key_return();
            for (;;) {
                if (title_is(w, title)) {
                    done = 1;
                    break;
                }
                if (title_changed(w, 300))
                    continue;
                /* Quiet for a while: a busy program answers the ping only when it is
                 * done; an idle one with the dialog still open did not take the Return. */
                ping(w);
                if (!title_is(w, title) && mapped(dialog))
                    break;
            }
        }
        if (!done) {
            fprintf(stderr, "xstep: the dialog did not take Return\n");
            return 1;
        }
        idle(w);
    } else {
        fprintf(stderr, "xstep: unknown step %s\n", argv[1]);
        return 2;
    }
    printf("%.1f\n", now_ms() - start);
    XCloseDisplay(dpy);
    return 0;
}
