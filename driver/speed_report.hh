// The batch runner's closing line: how many world steps it simulated, in
// how long, and the rate.
#ifndef XTINKERBOT_DRIVER_SPEED_REPORT_HH
#define XTINKERBOT_DRIVER_SPEED_REPORT_HH

#include <cstddef>
#include <cstdio>

// A rate with three significant digits and no exponent: 851090 becomes
// "851000", 12.345 "12.3", 0.0004567 "0.000457"; 0 (and anything not
// positive and finite) is "0".  Returns out.
char *format_rate(double rate, char *out, std::size_t size);

// "PROGRAM: N steps in S s, R steps/s\n".
void write_speed_report(FILE *f, const char *program, unsigned long long steps,
                        double seconds);

#endif
