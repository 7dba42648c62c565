// The batch runner's command line: its table against the interactive one,
// the size syntax, the option loop's settings and effects, its errors and
// its help text.
#include "driver/batch_options.hh"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/eps.hh"
#include "driver/body_options.hh"
#include "driver/catalogue.hh"
#include "driver/options.hh"
#include "lib/program_name.hh"
#include "sim/world.hh"

namespace {

TEST(BatchOptionTable, SharedRowsAreTheInteractiveRows)
{
    // Argkit may already have normalised either table in this process.
    auto flags = [](const Argkit_Spec &s) { return s.flags & ~Argkit_NeedsValue; };
    int shared = 0;
    for (int i = 0; i < batch_option_count; i++) {
        const Argkit_Spec &b = batch_option_table[i];
        for (int j = 0; j < option_count; j++) {
            const Argkit_Spec &o = option_table[j];
            if (std::strcmp(b.long_form, o.long_form) != 0)
                continue;
            shared++;
            EXPECT_EQ(b.short_char, o.short_char) << b.long_form;
            EXPECT_EQ(b.option_id, o.option_id) << b.long_form;
            EXPECT_EQ(b.value_kind, o.value_kind) << b.long_form;
            EXPECT_EQ(flags(b), flags(o)) << b.long_form;
        }
    }
    // Everything but the five window rows and -xrm.
    EXPECT_EQ(shared, option_count - 6);
    EXPECT_EQ(batch_option_count, shared + 8);
}

TEST(BatchOptionTable, SizeSyntax)
{
    struct Case {
        const char *text;
        int width, height;  // 0: refused
    };
    const Case cases[] = {
        {"640x520", 640, 520},
        {"1x1", 1, 1},
        {"32767x32767", 32767, 32767},
        {"007x08", 7, 8},
        {"0x5", 0, 0},
        {"5x0", 0, 0},
        {"32768x10", 0, 0},
        {"10x99999999999999999999", 0, 0},
        {"640", 0, 0},
        {"640x", 0, 0},
        {"x520", 0, 0},
        {"640X520", 0, 0},
        {"+640x520", 0, 0},
        {"-640x520", 0, 0},
        {" 640x520", 0, 0},
        {"640x520 ", 0, 0},
        {"640x520x3", 0, 0},
        {"64.5x52", 0, 0},
        {"", 0, 0},
    };
    for (const Case &c : cases) {
        int w = -1, h = -1;
        bool ok = parse_size(c.text, &w, &h);
        EXPECT_EQ(ok, c.width != 0) << c.text;
        EXPECT_EQ(w, ok ? c.width : -1) << c.text;
        EXPECT_EQ(h, ok ? c.height : -1) << c.text;
    }
}

class BatchOptionLoop : public ::testing::Test {
  protected:
    void SetUp() override
    {
        saved_name = program_name;
        saved_pattern = eps_name_pattern;
        if (!the_world)
            the_world = new World;
        if (!the_catalogue)
            build_catalogue();
        // The settings for the bodies named next persist in the process,
        // as on one command line: each test starts from none.
        handle_cross_option(true);
        handle_lights_option(true, false, 0);
        set_left_logic(nullptr);
        set_right_logic(nullptr);
    }
    void TearDown() override
    {
        program_name = saved_name;
        eps_name_pattern = saved_pattern;
    }
    BatchSettings read(std::vector<const char *> args)
    {
        args.insert(args.begin(), "/opt/bin/xtinkerbot-batch");
        argv.assign(args.begin(), args.end());
        argv.push_back(nullptr);
        Argkit_Context *cli = create_batch_parser((int) args.size(),
                                                  const_cast<char **>(argv.data()));
        BatchSettings settings;
        read_batch_options(cli, settings);
        Argkit_Destroy(cli);
        return settings;
    }
    std::vector<const char *> argv;
    const char *saved_name;
    String saved_pattern;
};

TEST_F(BatchOptionLoop, DefaultsAndItsOwnOptions)
{
    BatchSettings s = read({});
    EXPECT_EQ(s.firings, 1000u);
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.height, 520);
    EXPECT_FALSE(s.seeded);
    EXPECT_EQ(s.trace_name, nullptr);
    EXPECT_EQ(s.trace_every, 6u);
    EXPECT_FALSE(s.quiet);
    EXPECT_FALSE(s.reference);
    EXPECT_FALSE(s.fit);
    EXPECT_STREQ(program_name, "xtinkerbot-batch");

    s = read({"-trace", "run.csv", "-trace-every=0x10", "-quiet", "-reference", "-fit"});
    EXPECT_STREQ(s.trace_name, "run.csv");
    EXPECT_EQ(s.trace_every, 16u);
    EXPECT_TRUE(s.quiet);
    EXPECT_TRUE(s.reference);
    EXPECT_TRUE(s.fit);
    // The trace on standard output is fine while the picture goes to a file.
    s = read({"-trace", "-", "-o", "fig.eps", "-trace-every", "2147483647"});
    EXPECT_STREQ(s.trace_name, "-");
    EXPECT_EQ(s.trace_every, 2147483647u);

    s = read({"-n", "5", "-size", "10x20", "-seed", "7"});
    EXPECT_EQ(s.firings, 5u);
    EXPECT_EQ(s.width, 10);
    EXPECT_EQ(s.height, 20);
    EXPECT_TRUE(s.seeded);
    EXPECT_EQ(s.seed, 7u);

    // Abbreviations, attached values, clusters and hexadecimal counts.
    struct Case {
        std::vector<const char *> args;
        unsigned firings, seed;
        int width;
    };
    const Case cases[] = {
        {{"-n5"}, 5, 0, 640},
        {{"-fir=0x10"}, 16, 0, 640},
        {{"--firings", "0"}, 0, 0, 640},
        {{"-n", "2147483647"}, 2147483647u, 0, 640},
        {{"-se", "0"}, 1000, 0, 640},
        {{"--seed=4294967295"}, 1000, 4294967295u, 640},
        {{"-si", "3x4", "-size=5x6"}, 1000, 0, 5},
        {{"-xn3"}, 3, 0, 640},
    };
    for (const Case &c : cases) {
        s = read(c.args);
        EXPECT_EQ(s.firings, c.firings) << c.args[0];
        EXPECT_EQ(s.seed, c.seed) << c.args[0];
        EXPECT_EQ(s.width, c.width) << c.args[0];
    }
}

TEST_F(BatchOptionLoop, SharedOptionsGoThroughTheSharedHandlers)
{
    // -f is friction's short form here: firings and friction share "f".
    read({"-f", "0.5"});
    EXPECT_DOUBLE_EQ(the_world->static_friction(), 0.5);
    EXPECT_DOUBLE_EQ(the_world->dynamic_friction(), 0.4);
    read({"-st", "0.7", "-d", "0.3", "-af", "-1"});
    EXPECT_DOUBLE_EQ(the_world->static_friction(), 0.7);
    EXPECT_DOUBLE_EQ(the_world->dynamic_friction(), 0.3);
    EXPECT_DOUBLE_EQ(the_world->angular_friction(), 0.0);
    read({"-o", "run-%02d.eps"});
    EXPECT_STREQ(eps_name_pattern.c_str(), "run-%02d.eps");
    read({"-o", "-"});
    EXPECT_STREQ(eps_name_pattern.c_str(), "-");
    read({"-threads", "7", "-th=1"});
    EXPECT_EQ(the_world->threads(), 1);
    read({"-threads", "256"});
    EXPECT_EQ(the_world->threads(), 256);
}

TEST_F(BatchOptionLoop, BadOptionsAndValuesExit1WithUsage)
{
    const std::string usage =
        "Usage: xtinkerbot-batch \\[OPTION\\]\\.\\.\\. \\[BODY\\]\\.\\.\\.\n"
        "Try `xtinkerbot-batch --help' for more information\\.\n$";
    struct Case {
        std::vector<const char *> args;
        const char *message;  // regex, before the usage lines
    };
    const Case cases[] = {
        {{"-zz"}, "unrecognized option `-zz'"},
        // Window options are not options of the batch runner.
        {{"-display", ":0"}, "unrecognized option `-display'"},
        {{"-t"},
         "option `-t' is ambiguous\nxtinkerbot-batch: \\(Possibilities are -threads, -trace, "
         "and -trace-every\\.\\)"},
        {{"-trails"}, "unrecognized option `-trails'"},
        {{"-geometry", "10x10"}, "unrecognized option `-geometry'"},
        {{"-size", "0x5"}, "bad size `0x5'"},
        {{"-size", "640"}, "bad size `640'"},
        {{"-size"}, "`-size' requires an argument"},
        {{"-n", "abc"}, "`-n' expects a nonnegative integer, not `abc'"},
        {{"-firings", "-1"}, "`-firings' expects a nonnegative integer, not `-1'"},
        {{"-n", "2147483648"}, "`-n' expects an integer up to 2147483647, not `2147483648'"},
        {{"-n", "99999999999999999999999"},
         "`-n' expects an integer up to 2147483647, not `99999999999999999999999'"},
        {{"-seed", "4294967296"},
         "`-seed' expects an integer up to 4294967295, not `4294967296'"},
        {{"-s", "1"},
         "option `-s' is ambiguous\nxtinkerbot-batch: \\(Possibilities are -seed, -sf, "
         "-size, and -static-friction\\.\\)"},
        {{"-threads", "0"}, "`-threads' expects a number from 1 to 256, not `0'"},
        {{"-threads", "257"}, "`-threads' expects a number from 1 to 256, not `257'"},
        {{"-threads", "two"}, "`-threads' expects an integer, not `two'"},
        // A bad pattern would send the one picture elsewhere: refused.
        {{"-o", "%s"}, "bad output EPS name"},
        {{"-trace-every", "0"}, "`-trace-every' expects a positive integer, not `0'"},
        {{"-trace-every", "-6"}, "`-trace-every' expects a positive integer, not `-6'"},
        {{"-trace-every", "6x"}, "`-trace-every' expects a positive integer, not `6x'"},
        {{"-trace-every=4294967296"},
         "`-trace-every' expects an integer up to 2147483647, not `4294967296'"},
        {{"-trace"}, "`-trace' requires an argument"},
        {{"-trace", "-", "-o", "-"},
         "the trace and the picture cannot both go to standard output"},
        {{"-o", "", "-trace", "-"},
         "the trace and the picture cannot both go to standard output"},
        // fit and firings share "fi", so -fi is friction's -f with the value "i".
        {{"-fi", "3"}, "`-f' expects a real number, not `i'"},
        {{"-o", "a%2147483646d"}, "bad output EPS name"},
        {{"-f", "nan"}, "`-f' expects a finite number, not `nan'"},
        {{"-sf", "1e999"}, "`-sf' expects a finite number, not `1e999'"},
        {{"-linf"}, "`-l' expects a finite number, not `inf'"},
    };
    for (const Case &c : cases) {
        EXPECT_EXIT(read(c.args), ::testing::ExitedWithCode(1),
                    "^xtinkerbot-batch: " + std::string(c.message) + "\n" + usage)
            << c.args[0];
    }
}

TEST_F(BatchOptionLoop, ErrorsInBodiesOrWiringsExit1BeforeRunning)
{
    const std::string not_run = "xtinkerbot-batch: not run: the command line has errors\n$";
    struct Case {
        std::vector<const char *> args;
        const char *message;  // regex, before the closing line
    };
    const Case cases[] = {
        {{"v2a", "V2A"}, "xtinkerbot-batch: no such body `V2A'\n"},
        {{"-ll", "(left", "v2a"}, "<argument>:1:expected `\\)', found `\\(null\\)'\n"},
        {{"-rl", "right", "v1"},
         "xtinkerbot-batch: `v1' has only one actuator; -right-logic ignored\n"},
    };
    for (const Case &c : cases) {
        EXPECT_EXIT(read(c.args), ::testing::ExitedWithCode(1),
                    "^" + std::string(c.message) + not_run)
            << c.args[0];
    }
    // Warnings are no errors, and errors before this command line do not
    // count against it.
    program_name = "xtinkerbot-batch";
    testing::internal::CaptureStderr();
    handle_operand("nosuchbody");
    read({"-ll", "10U", "v2a"});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "xtinkerbot-batch: no such body `nosuchbody'\n"
              "<argument>:1:warning: unsigned not yet supported\n");
}

TEST_F(BatchOptionLoop, HelpAndVersionExit0)
{
    auto quietly = [this](std::vector<const char *> args) {
        std::freopen("/dev/null", "w", stdout);
        read(args);
    };
    EXPECT_EXIT(quietly({"-h", "-zz"}), ::testing::ExitedWithCode(0), "^$");
    EXPECT_EXIT(quietly({"--help"}), ::testing::ExitedWithCode(0), "^$");
    EXPECT_EXIT(quietly({"-v", "-zz"}), ::testing::ExitedWithCode(0), "^$");
}

TEST(BatchTexts, HelpLayout)
{
    char *buffer = nullptr;
    size_t size = 0;
    FILE *f = open_memstream(&buffer, &size);
    write_batch_help(f, "xb");
    std::fclose(f);
    std::string help(buffer, size);
    std::free(buffer);

    EXPECT_NE(help.find("\nUsage: xb [OPTION]... [BODY]...\n"), std::string::npos);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = help.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(help.substr(start, nl - start));
    EXPECT_EQ(start, help.size());
    int described = 0;
    for (const std::string &line : lines) {
        EXPECT_LE(line.size(), 79u) << line;
        // Every option line: name from column 3, description from 31.
        if (line.rfind("  -", 0) == 0) {
            described++;
            EXPECT_EQ(line.find_first_not_of(' ', 30), 30u) << line;
            EXPECT_EQ(line[29], ' ') << line;
        }
    }
    EXPECT_EQ(described, 20);
    for (const char *name : {"-firings N", "-size WxH", "-seed N", "-output-eps FILE",
                             "-lights[=VAL]", "-right-logic EXP", "-trace FILE", "-trace-every K",
                             "-reference", "-fit", "-quiet", "-threads N"})
        EXPECT_NE(help.find(name), std::string::npos) << name;
    EXPECT_EQ(lines.back().rfind("Reporting bugs? <", 0), 0u);
}

}  // namespace
