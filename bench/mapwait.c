/* mapwait: starts a program and times it to its first mapped top-level window.
 *
 *   mapwait [-s SECONDS] PROGRAM [ARGS...]
 *
 * Prints "MS RSS_KB": milliseconds from just before exec to the MapNotify of the
 * first top-level window, and the resident memory of the process that owns that
 * window (_NET_WM_PID) SECONDS (default 2) later. Then ends the program's whole
 * process group. Waiting for the X event, not polling, keeps the time exact. */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static long window_pid(Display *dpy, Window w)
{
    Atom prop = XInternAtom(dpy, "_NET_WM_PID", True);
    if (prop == None)
        return -1;
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char *data = NULL;
    long pid = -1;
    if (XGetWindowProperty(dpy, w, prop, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after, &data) == Success &&
        data && n == 1)
        pid = (long)*(unsigned long *)data;
    if (data)
        XFree(data);
    return pid;
}

static long rss_kb(long pid)
{
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%ld/status", pid);
    FILE *f = fopen(path, "r");
    long kb = -1;
    if (!f)
        return -1;
    while (fgets(line, sizeof line, f))
        if (sscanf(line, "VmRSS: %ld kB", &kb) == 1)
            break;
    fclose(f);
    return kb;
}

int main(int argc, char **argv)
{
    int seconds = 2, first = 1;
    if (argc > 2 && strcmp(argv[1], "-s") == 0) {
        seconds = atoi(argv[2]);
        first = 3;
    }
    if (first >= argc) {
        fprintf(stderr, "usage: mapwait [-s SECONDS] PROGRAM [ARGS...]\n");
        return 2;
    }
    Display *dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "mapwait: no X display\n");
        return 2;
    }
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);

    double start = now_ms();
    pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        execvp(argv[first], argv + first);
        _exit(127);
    }
    setpgid(child, child);

    double mapped = -1;
    Window win = None;
    while (mapped < 0) {
        XEvent ev;
        XNextEvent(dpy, &ev);
        if (ev.type == MapNotify && !ev.xmap.override_redirect) {
            mapped = now_ms() - start;
            win = ev.xmap.window;
        }
    }
    sleep(seconds);
    long pid = window_pid(dpy, win);
    long kb = rss_kb(pid > 0 ? pid : child);
    printf("%.1f %ld\n", mapped, kb);
    fflush(stdout);
    kill(-child, SIGTERM);
    usleep(200000);
    kill(-child, SIGKILL);
    if (pid > 0)
        kill((pid_t)pid, SIGKILL);
    waitpid(child, NULL, 0);
    XCloseDisplay(dpy);
    return 0;
}
