// Progress: the batch runner's one-line display of a long run on a
// terminal -- firings done of the total, percent, steps per second and the
// time left -- redrawn in place at most ten times a second and erased at
// the end.  On anything but a terminal it shows nothing, so logs stay
// clean.
#ifndef XTINKERBOT_DRIVER_PROGRESS_HH
#define XTINKERBOT_DRIVER_PROGRESS_HH

#include <cstdio>

class Progress {
  public:
    // Shown on stream only when wanted and stream is a terminal.
    Progress(FILE *stream, bool wanted, unsigned total, int steps_per_firing);

    bool shown() const { return _shown; }
    // After `done' firings; cheap when nothing is due.
    void update(unsigned done)
    {
        if (_shown)
            update_shown(done);
    }
    // Erases the line, leaving the cursor at its start.
    void finish();

    // The text of the line after `done' firings in `seconds', without the
    // carriage return that redraws it.
    static void format(char *out, int size, unsigned done, unsigned total,
                       int steps_per_firing, double seconds);

  private:
    FILE *_stream;
    bool _shown;
    bool _drawn;         // a line is on the terminal
    unsigned _total;
    int _steps_per_firing;
    double _start;       // monotonic seconds
    double _next_draw;   // not before this; the first update draws at once

    void update_shown(unsigned done);
};

// Seconds on the monotonic clock.
double monotonic_seconds();

#endif
