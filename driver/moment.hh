// Moment: a time value in whole seconds and microseconds, the program's
// time base.  Values made by the operations here are normalised (the
// microseconds lie in 0..999999); now() counts from program_start, taken
// before main runs.
#ifndef XTINKERBOT_DRIVER_MOMENT_HH
#define XTINKERBOT_DRIVER_MOMENT_HH

#include <cstdint>

struct Moment {
    int64_t sec;
    int64_t usec;

    Moment() : sec(0), usec(0) {}
    Moment(int64_t s, int64_t us) : sec(s), usec(us) {}

    double microseconds() const { return sec * 1e6 + usec; }
};

Moment operator+(Moment a, Moment b);
Moment operator-(Moment a, Moment b);
inline bool operator<=(Moment a, Moment b)
{
    return a.sec < b.sec || (a.sec == b.sec && a.usec <= b.usec);
}
inline bool operator<(Moment a, Moment b) { return !(b <= a); }
inline bool operator==(Moment a, Moment b)
{
    return a.sec == b.sec && a.usec == b.usec;
}
inline bool operator!=(Moment a, Moment b) { return !(a == b); }

// a / b, both taken in microseconds.
double ratio(Moment a, Moment b);
// a times f; the fraction of a second is truncated to whole microseconds.
Moment scaled(Moment a, double f);

// The time of day, from gettimeofday.
Moment time_of_day();
extern const Moment program_start;
// Time since program_start.
Moment now();

#endif
