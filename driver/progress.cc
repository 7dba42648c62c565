// The progress line.  The clock is read on every update while the line is
// shown; a firing takes far longer than reading it, and nothing is read
// at all when stderr is no terminal.
#include "driver/progress.hh"

#include <time.h>
#include <unistd.h>

double monotonic_seconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

namespace {

const double redraw_seconds = 0.1;

}  // namespace

Progress::Progress(FILE *stream, bool wanted, unsigned total, int steps_per_firing)
    : _stream(stream), _shown(wanted && isatty(fileno(stream))), _drawn(false),
      _total(total), _steps_per_firing(steps_per_firing), _start(monotonic_seconds()),
      _next_draw(_start)
{
}

void Progress::format(char *out, int size, unsigned done, unsigned total,
                      int steps_per_firing, double seconds)
{
    // Rounded down, so 100 % means done.
    unsigned percent = total > 0 ? (unsigned) (100.0 * done / total) : 100;
    double rate = seconds > 0 ? (double) done * steps_per_firing / seconds : 0;
    char left[32] = "?";
    if (done > 0 && seconds > 0) {
        long rest = (long) (seconds / done * (total - done) + 0.5);
        std::snprintf(left, sizeof left, "%ld:%02ld:%02ld", rest / 3600, rest / 60 % 60,
                      rest % 60);
    }
    std::snprintf(out, size, "%u/%u firings  %u%%  %.0f steps/s  %s left", done, total,
                  percent, rate, left);
}

void Progress::update_shown(unsigned done)
{
    double now = monotonic_seconds();
    if (now < _next_draw)
        return;
    _next_draw = now + redraw_seconds;
    char line[160];
    format(line, sizeof line, done, _total, _steps_per_firing, now - _start);
    // Erase to the end of the line: the new text may be shorter.
    std::fprintf(_stream, "\r%s\033[K", line);
    std::fflush(_stream);
    _drawn = true;
}

void Progress::finish()
{
    if (_drawn) {
        std::fputs("\r\033[K", _stream);
        std::fflush(_stream);
    }
    _drawn = false;
}
