/* Loaded (LD_PRELOAD) into the peer terminals by side-by-side.sh, so that they keep a pseudo-terminal open as they
 * would a serial port. Nothing of Trelvo uses it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>

/* GTKTerm closes a port that udev does not know, and udev knows no pseudo-terminal: answer with /dev/ptmx's entry. */
void* g_udev_client_query_by_device_file(void* client, const char* file) {
    void* (*real)(void*, const char*) = (void* (*)(void*, const char*))dlsym(RTLD_NEXT, "g_udev_client_query_by_device_file");
    void* d = real(client, file);
    return d ? d : real(client, "/dev/ptmx");
}

/* A pseudo-terminal has no modem lines; a peer that reads or sets them then stops reading the port. Answer "none". */
int ioctl(int fd, unsigned long req, ...) {
    static int (*real)(int, unsigned long, void*);
    va_list ap;
    va_start(ap, req);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    if (!real) real = (int (*)(int, unsigned long, void*))dlsym(RTLD_NEXT, "ioctl");
    int r = real(fd, req, arg);
    if (r < 0 && errno == ENOTTY && (req == TIOCMGET || req == TIOCMSET || req == TIOCMBIS || req == TIOCMBIC)) {
        if (req == TIOCMGET) *(int*)arg = 0;
        return 0;
    }
    return r;
}
