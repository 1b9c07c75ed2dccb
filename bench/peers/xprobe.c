// SPDX-License-Identifier: GPL-3.0-or-later
// Two looks at an X program from the outside, the same for every toolkit:
//   xprobe start CMD [ARGS...]     starts CMD and prints "PID MS": its pid and the milliseconds from the start to
//                                  the map of its first top-level window (the child keeps running)
//   xprobe ping WINDOW SECONDS MS  sends the window manager's ping (_NET_WM_PING) to WINDOW every MS milliseconds
//                                  for SECONDS and prints the answer times: the window's thread answers it from its
//                                  event loop, so a busy loop answers late
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double NowMs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Waits at most `ms` for the next event; returns 0 when none came.
static int NextEvent(Display* d, XEvent* e, double ms) {
    const double end = NowMs() + ms;
    while (!XPending(d)) { // reads whatever the server has sent
        const double left = end - NowMs();
        if (left <= 0) return 0;
        struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, (int)left + 1);
    }
    XNextEvent(d, e);
    return 1;
}

static int Start(Display* d, char** argv) {
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
    const double t0 = NowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        close(ConnectionNumber(d));
        const int quiet = open("/dev/null", O_WRONLY); // its chatter would mix with the figures
        dup2(quiet, 1);
        dup2(quiet, 2);
        execvp(argv[0], argv);
        _exit(127);
    }
    for (;;) {
        XEvent e;
        if (!NextEvent(d, &e, 30000)) {
            fprintf(stderr, "xprobe: no window within 30 s\n");
            printf("%d -1\n", (int)pid);
            return 1;
        }
        if (e.type == MapNotify && !e.xmap.override_redirect) {
            printf("%d %.0f\n", (int)pid, NowMs() - t0);
            return 0;
        }
    }
}

static int ByValue(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

static int Ping(Display* d, Window w, double seconds, double every) {
    const Window root = DefaultRootWindow(d);
    const Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False), ping = XInternAtom(d, "_NET_WM_PING", False);
    XSelectInput(d, root, StructureNotifyMask | SubstructureNotifyMask); // Qt answers to the one, GTK to the other
    const int most = (int)(seconds * 1000 / every) + 1;
    double* took = calloc((size_t)most, sizeof *took);
    int sent = 0, answered = 0;
    const double end = NowMs() + seconds * 1000;
    while (NowMs() < end && sent < most) {
        XEvent e = {0};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = protocols;
        e.xclient.format = 32;
        e.xclient.data.l[0] = (long)ping;
        e.xclient.data.l[1] = sent + 1; // stands for the time stamp; the answer carries it back
        e.xclient.data.l[2] = (long)w;
        const double t0 = NowMs();
        XSendEvent(d, w, False, NoEventMask, &e);
        XFlush(d);
        ++sent;
        // A late answer counts as late as it is: the next ping waits for it (at most 5 s).
        for (;;) {
            XEvent r;
            if (!NextEvent(d, &r, t0 + 5000 - NowMs())) break;
            if (r.type == ClientMessage && r.xclient.message_type == protocols && (Atom)r.xclient.data.l[0] == ping &&
                r.xclient.data.l[1] == sent) {
                took[answered++] = NowMs() - t0;
                break;
            }
        }
        const double rest = t0 + every - NowMs();
        if (rest > 0) usleep((useconds_t)(rest * 1000));
    }
    if (answered == 0) {
        printf("answer none of %d\n", sent);
        return 1;
    }
    qsort(took, (size_t)answered, sizeof *took, ByValue);
#define AT(q) took[(int)((answered - 1) * (q))]
    printf("answer p50 %.1f ms  p95 %.1f ms  p99 %.1f ms  max %.1f ms  (%d of %d)\n", AT(0.5), AT(0.95), AT(0.99),
           took[answered - 1], answered, sent);
    free(took);
    return 0;
}

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "xprobe: no display\n");
        return 2;
    }
    if (argc >= 3 && strcmp(argv[1], "start") == 0) return Start(d, argv + 2);
    if (argc == 5 && strcmp(argv[1], "ping") == 0)
        return Ping(d, (Window)strtoul(argv[2], NULL, 0), atof(argv[3]), atof(argv[4]));
    fprintf(stderr, "usage: xprobe start CMD [ARGS...] | xprobe ping WINDOW SECONDS MS\n");
    return 2;
}
