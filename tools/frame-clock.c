/* Preloaded into xtinkerbot by tools/drag-timing.sh: notes the time of
 * every frame, which starts with XClearWindow on a single-buffered window
 * and ends with XdbeSwapBuffers on a double-buffered one, as one line of
 * seconds since the epoch in the file named by FRAME_CLOCK_FILE. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static FILE *log_file(void)
{
    static FILE *f;
    if (!f) {
        const char *name = getenv("FRAME_CLOCK_FILE");
        f = fopen(name ? name : "/dev/null", "w");
        if (f)
            setvbuf(f, NULL, _IOLBF, 0);
    }
    return f;
}

static void note(void)
{
    struct timespec t;
    FILE *f = log_file();
    clock_gettime(CLOCK_REALTIME, &t);
    if (f)
        fprintf(f, "%lld.%06ld\n", (long long) t.tv_sec, t.tv_nsec / 1000);
}

int XClearWindow(void *display, unsigned long window)
{
    static int (*real)(void *, unsigned long);
    if (!real)
        real = (int (*)(void *, unsigned long)) dlsym(RTLD_NEXT, "XClearWindow");
    note();
    return real(display, window);
}

int XdbeSwapBuffers(void *display, void *info, int n)
{
    static int (*real)(void *, void *, int);
    if (!real)
        real = (int (*)(void *, void *, int)) dlsym(RTLD_NEXT, "XdbeSwapBuffers");
    note();
    return real(display, info, n);
}
