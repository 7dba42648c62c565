// The batch runner's speed line: rates keep three significant digits, so
// slow runs of large worlds do not read 0.
#include "driver/speed_report.hh"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

TEST(FormatRate, ThreeSignificantDigitsWithoutExponent)
{
    const struct {
        double rate;
        const char *text;
    } cases[] = {
        {851090, "851000"},
        {999.6, "1000"},      // rounding moves the exponent
        {123.45, "123"},
        {12.345, "12.3"},
        {1, "1.00"},
        {0.4, "0.400"},
        {0.0004567, "0.000457"},
        {3.2e-7, "0.000000320"},
        {1.5e12, "1500000000000"},
        {0, "0"},
        {-5, "0"},
        {NAN, "0"},
        {INFINITY, "0"},
    };
    for (const auto &c : cases) {
        char out[400];
        EXPECT_STREQ(format_rate(c.rate, out, sizeof out), c.text) << c.rate;
    }
}

TEST(WriteSpeedReport, SlowRunsKeepTheirRate)
{
    char *text = nullptr;
    size_t size = 0;
    FILE *f = open_memstream(&text, &size);
    ASSERT_NE(f, nullptr);
    write_speed_report(f, "xtinkerbot-batch", 4, 12.5);
    write_speed_report(f, "xtinkerbot-batch", 12000, 0);
    std::fclose(f);
    EXPECT_EQ(std::string(text, size),
              "xtinkerbot-batch: 4 steps in 12.500 s, 0.320 steps/s\n"
              "xtinkerbot-batch: 12000 steps in 0.000 s, 0 steps/s\n");
    free(text);
}

}  // namespace
