#include "driver/moment.hh"

#include <sys/time.h>

#include <cmath>

const Moment program_start = time_of_day();

Moment operator+(Moment a, Moment b)
{
    Moment m(a.sec + b.sec, a.usec + b.usec);
    if (m.usec >= 1000000) {
        m.usec -= 1000000;
        m.sec += 1;
    }
    return m;
}

Moment operator-(Moment a, Moment b)
{
    Moment m(a.sec - b.sec, a.usec - b.usec);
    if (m.usec < 0) {
        m.usec += 1000000;
        m.sec -= 1;
    }
    return m;
}

double ratio(Moment a, Moment b)
{
    return a.microseconds() / b.microseconds();
}

Moment scaled(Moment a, double f)
{
    double t = f * (a.sec + a.usec / 1e6);
    double whole;
    double fraction = std::modf(t, &whole);
    return Moment((int64_t) whole, (int64_t) std::trunc(fraction * 1e6));
}

Moment time_of_day()
{
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    return Moment(tv.tv_sec, tv.tv_usec);
}

Moment now()
{
    return time_of_day() - program_start;
}
