// Rates are rounded to significant digits rather than to whole steps:
// with a large world a whole run may simulate fewer than one step a
// second, which a whole-number rate would show as 0.
#include "driver/speed_report.hh"

#include <cmath>
#include <cstdlib>

namespace {

const int significant_digits = 3;

}  // namespace

char *format_rate(double rate, char *out, std::size_t size)
{
    if (!(rate > 0) || !std::isfinite(rate)) {
        std::snprintf(out, size, "0");
        return out;
    }
    // Rounding first settles the exponent: 999.6 becomes 1000, not 999.6.
    char rounded[32];
    std::snprintf(rounded, sizeof rounded, "%.*e", significant_digits - 1, rate);
    double r = std::strtod(rounded, nullptr);
    int exponent = (int) std::floor(std::log10(r));
    int decimals = exponent >= significant_digits - 1 ? 0 : significant_digits - 1 - exponent;
    std::snprintf(out, size, "%.*f", decimals, r);
    return out;
}

void write_speed_report(FILE *f, const char *program, unsigned long long steps,
                        double seconds)
{
    char rate[400];
    format_rate(seconds > 0 ? steps / seconds : 0, rate, sizeof rate);
    std::fprintf(f, "%s: %llu steps in %.3f s, %s steps/s\n", program, steps, seconds, rate);
}
