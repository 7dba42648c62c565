// The progress line: its text, and that it shows only on a terminal that
// asked for it.
#include "driver/progress.hh"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace {

TEST(Progress, LineText)
{
    struct Case {
        unsigned done, total;
        double seconds;
        const char *line;
    };
    const Case cases[] = {
        {0, 1000, 0, "0/1000 firings  0%  0 steps/s  ? left"},
        {250, 1000, 2, "250/1000 firings  25%  500 steps/s  0:00:06 left"},
        // Rounded down: 100 % only when done.
        {999, 1000, 9.99, "999/1000 firings  99%  400 steps/s  0:00:00 left"},
        {1000, 1000, 10, "1000/1000 firings  100%  400 steps/s  0:00:00 left"},
        {1, 100000, 1, "1/100000 firings  0%  4 steps/s  27:46:39 left"},
        {0, 0, 0, "0/0 firings  100%  0 steps/s  ? left"},
    };
    for (const Case &c : cases) {
        char line[160];
        Progress::format(line, sizeof line, c.done, c.total, 4, c.seconds);
        EXPECT_STREQ(c.line, line);
    }
}

TEST(Progress, ShownOnlyOnATerminalThatWantsIt)
{
    FILE *file = std::tmpfile();
    ASSERT_TRUE(file);
    Progress on_file(file, true, 10, 4);
    EXPECT_FALSE(on_file.shown());
    on_file.update(5);
    on_file.finish();
    EXPECT_EQ(0, std::ftell(file));
    std::fclose(file);

    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(0, grantpt(master));
    ASSERT_EQ(0, unlockpt(master));
    FILE *terminal = std::fopen(ptsname(master), "w");
    ASSERT_TRUE(terminal);
    EXPECT_FALSE(Progress(terminal, false, 10, 4).shown());

    Progress progress(terminal, true, 10, 4);
    EXPECT_TRUE(progress.shown());
    // The first update draws at once; the next one only a tenth of a
    // second later.
    double before = monotonic_seconds();
    progress.update(5);
    progress.update(6);
    double took = monotonic_seconds() - before;
    progress.finish();
    std::fclose(terminal);

    std::string seen;
    char buffer[512];
    fcntl(master, F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;)
        seen.append(buffer, n);
    close(master);
    const std::string start = "\r5/10 firings  50%  ";
    ASSERT_EQ(0u, seen.rfind(start, 0)) << seen;
    // Unless the machine stalled between the two updates.
    if (took < 0.1) {
        EXPECT_EQ(std::string::npos, seen.find("6/10")) << seen;
    }
    const std::string erase = "\r\033[K";
    ASSERT_GE(seen.size(), erase.size());
    EXPECT_EQ(erase, seen.substr(seen.size() - erase.size())) << seen;
}

}  // namespace
