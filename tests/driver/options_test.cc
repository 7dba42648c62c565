// The program's option table as Argkit reads it, the texts, and the option
// loop's effect on the start-up settings and the world.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/options.hh"
#include "driver/startup.hh"
#include "lib/argkit.hh"
#include "sim/world.hh"

namespace {

std::string captured;

void capture(Argkit_Context *, const char *message)
{
    captured += message;
}

// One answer of Argkit_ParseNext, as a compact string:
//   "306"  "306-" (negated)  "317=5" (value, doubles printed with %g)
//   "op:5" (operand)  "invalid"
std::string describe(int r, const Argkit_Context *cli)
{
    if (r == Argkit_Operand)
        return std::string("op:") + cli->value_text;
    if (r == Argkit_Invalid)
        return "invalid";
    if (r < 0)
        return "r" + std::to_string(r);
    std::string s = std::to_string(r);
    if (cli->is_negated)
        s += "-";
    if (cli->has_value) {
        char buf[64];
        bool is_double = r >= optStaticFriction && r <= optAngularFriction;
        if (r == optLights)
            is_double = true;
        if (is_double)
            std::snprintf(buf, sizeof buf, "=%g", cli->value.d);
        else
            std::snprintf(buf, sizeof buf, "=%s", cli->value_text);
        s += buf;
    }
    return s;
}

// Argkit normalises the rows it is given, so each parser reads a fresh
// copy of the table, as the program's own parsers do.
std::vector<Argkit_Spec> parser_rows;

Argkit_Spec *fresh_rows()
{
    parser_rows.assign(option_table, option_table + option_count);
    return parser_rows.data();
}

Argkit_Context *make_parser(std::vector<const char *> &argv)
{
    Argkit_Context *cli = Argkit_Create((int) argv.size(), argv.data(), option_count,
                                        fresh_rows());
    Argkit_SetPrefixChar(cli, '-', minus_prefix_class);
    Argkit_SetPrefixChar(cli, '+', plus_prefix_class);
    Argkit_SetErrorSink(cli, capture);
    return cli;
}

struct Parsed {
    std::string results;   // answers separated by spaces, up to the end
    std::string messages;
};

// Parses to Argkit_End, or to the first error unless read_on is set (the
// program stops there).
Parsed parse(std::vector<const char *> args, bool read_on)
{
    args.insert(args.begin(), "/usr/local/bin/xtinkerbot");
    Argkit_Context *cli = make_parser(args);
    captured.clear();
    Parsed p;
    for (int guard = 0; guard < 100; guard++) {
        int r = Argkit_ParseNext(cli);
        if (r == Argkit_End)
            break;
        if (!p.results.empty())
            p.results += " ";
        p.results += describe(r, cli);
        if (r == Argkit_Invalid && !read_on)
            break;
    }
    if (p.results.find("invalid") == std::string::npos) {
        EXPECT_EQ(Argkit_ParseNext(cli), Argkit_End);  // and it stays there
    }
    p.messages = captured;
    Argkit_Destroy(cli);
    return p;
}

struct Case {
    std::vector<const char *> args;
    const char *results;
    const char *messages;
    bool read_on = false;  // go on after an error
};

void check(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        std::string line;
        for (const char *a : c.args)
            line += std::string(a) + " ";
        Parsed p = parse(c.args, c.read_on);
        EXPECT_EQ(p.results, c.results) << "command line: " << line;
        EXPECT_EQ(p.messages, c.messages) << "command line: " << line;
    }
}

TEST(OptionTable, Abbreviations)
{
    check({
        // Five long forms begin with d: one letter selects the short -d.
        {{"-d", ":1"}, "301=:1", ""},
        {{"-di", ":1"}, "301=:1", ""},
        {{"-do"}, "305", ""},
        {{"-db"}, "305", ""},
        {{"-df", "2"}, "312=2", ""},
        {{"-dy", "2"}, "312=2", ""},
        // x is cross-logic's short character, so xrm needs two letters.
        {{"-x"}, "310", ""},
        {{"-xr", "a"}, "300=a", ""},
        {{"--x"}, "invalid",
         "xtinkerbot: option `--x' is ambiguous\n"
         "xtinkerbot: (Possibilities are --xrm.)\n"},
        // The earlier of two rows with one id wins.
        {{"-s", "1"}, "311=1", ""},
        {{"-st", "1"}, "311=1", ""},
        {{"-r", "e"}, "309=e", ""},
        {{"-l"}, "317", ""},
        {{"-ll", "e"}, "308=e", ""},
        {{"-le", "e"}, "308=e", ""},
        {{"-li"}, "317", ""},
        {{"-a", "1"}, "314=1", ""},
        {{"-an", "1"}, "314=1", ""},
        {{"-g", "100x100"}, "302=100x100", ""},
        {{"-h"}, "304", ""},
        {{"--he"}, "304", ""},
        {{"-v"}, "303", ""},
        {{"-o", "out.%d"}, "307=out.%d", ""},
        {{"-c"}, "310", ""},
        {{"-t"}, "306", ""},
        {{"-tr"}, "306", ""},
        // Every negated long form needs one letter.
        {{"-no-d"}, "305-", ""},
        {{"-no-l"}, "317-", ""},
        {{"-no-c"}, "310-", ""},
        {{"+d"}, "305-", ""},
        {{"+l"}, "317-", ""},
    });
}

TEST(OptionTable, AmbiguousPrefixes)
{
    check({
        // "--" rules out the short reading.
        {{"--d"}, "invalid",
         "xtinkerbot: option `--d' is ambiguous\n"
         "xtinkerbot: (Possibilities are --db, --df, --display, --double-buffer, "
         "and others.)\n"},
        {{"--l"}, "invalid",
         "xtinkerbot: option `--l' is ambiguous\n"
         "xtinkerbot: (Possibilities are --lights, --left-logic, and --ll.)\n"},
        {{"--no-x"}, "invalid", "xtinkerbot: unrecognized option `--no-x'\n"},
        // Candidates met after stripping "no-" are named with it.
        {{"+no-x"}, "invalid",
         "xtinkerbot: option `+no-x' is ambiguous\n"
         "xtinkerbot: (Possibilities are +no-xrm.)\n"},
    });
}

TEST(OptionTable, Clusters)
{
    check({
        {{"-tx"}, "306 310", ""},
        {{"-xt"}, "310 306", ""},
        // An optional value is only ever attached.
        {{"-lx"}, "317 310", ""},
        {{"-l5"}, "317=5", ""},
        {{"-l=5"}, "317=5", ""},
        {{"-lights=5"}, "317=5", ""},
        {{"--lights=2.5"}, "317=2.5", ""},
        {{"-lights", "5"}, "317 op:5", ""},
        {{"-lights=abc"}, "317", "xtinkerbot: `-lights' expects a real number, not `abc'\n"},
        {{"-tl7"}, "306 317=7", ""},
        // A needed value takes the rest of the cluster.
        {{"-d:1"}, "301=:1", ""},
        {{"-tf0.5"}, "306 313=0.5", ""},
        {{"-tz"}, "306 invalid", "xtinkerbot: unrecognized option `-z'\n"},
    });
}

TEST(OptionTable, Negations)
{
    check({
        {{"+t"}, "306-", ""},
        {{"-no-trails"}, "306-", ""},
        {{"--no-double-buffer"}, "305-", ""},
        {{"+no-db"}, "305", ""},
        {{"+x"}, "310-", ""},
        {{"+tx"}, "306- 310-", ""},
        {{"+lights"}, "317-", ""},
        {{"-no-lights"}, "317-", ""},
        {{"+lights=3"}, "invalid", "xtinkerbot: `+lights' can't take an argument\n"},
        {{"-no-trails=1"}, "invalid", "xtinkerbot: `-no-trails' can't take an argument\n"},
        {{"-trails=1"}, "invalid", "xtinkerbot: `-trails' can't take an argument\n"},
        {{"+help"}, "invalid", "xtinkerbot: unrecognized option `+help'\n"},
        {{"+f", "1"}, "invalid op:1", "xtinkerbot: unrecognized option `+f'\n", true},
    });
}

TEST(OptionTable, Values)
{
    check({
        {{"-f", "-1"}, "313=-1", ""},
        // After an error the parser stands on the element that failed.
        {{"-zz"}, "invalid invalid",
         "xtinkerbot: unrecognized option `-zz'\nxtinkerbot: unrecognized option `-z'\n",
         true},
        {{"-f=2", "-af", "-0.5"}, "313=2 314=-0.5", ""},
        {{"-display=:1"}, "301=:1", ""},
        {{"-xrm", "a", "-xrm", "-b"}, "300=a 300=-b", ""},
        {{"-ll", "--", "-rl", "+"}, "308=-- 309=+", ""},
        // -f is found as the long form friction, and %O names it so.
        {{"-f"}, "invalid", "xtinkerbot: `-friction' requires an argument\n"},
        {{"-geometry"}, "invalid", "xtinkerbot: `-geometry' requires an argument\n"},
        {{"-display", "-t"}, "invalid 306",
         "xtinkerbot: `-display' requires a non-option argument\n", true},
        {{"-d", "-t"}, "invalid 306", "xtinkerbot: `-d' requires a non-option argument\n", true},
        {{"-display", "+x"}, "invalid 310-",
         "xtinkerbot: `-display' requires a non-option argument\n", true},
        {{"-display", "-"}, "301=-", ""},
        {{"-f", "abc"}, "invalid", "xtinkerbot: `-friction' expects a real number, not `abc'\n"},
        {{"-sf", ""}, "invalid", "xtinkerbot: `-sf' expects a real number, not `'\n"},
        {{"-df", "1x"}, "invalid", "xtinkerbot: `-df' expects a real number, not `1x'\n"},
    });
}

TEST(OptionTable, OperandsAndEndOfOptions)
{
    check({
        {{"-"}, "op:-", ""},
        {{"+"}, "op:+", ""},
        {{""}, "op:", ""},
        {{"v1", "-t", "l"}, "op:v1 306 op:l", ""},
        {{"--", "-t", "+x", "--"}, "op:-t op:+x op:--", ""},
        {{"-t", "--"}, "306", ""},
        {{}, "", ""},
    });
}

TEST(OptionTable, UnrecognisedOptions)
{
    check({
        {{"-zz"}, "invalid", "xtinkerbot: unrecognized option `-zz'\n"},
        {{"--zz"}, "invalid", "xtinkerbot: unrecognized option `--zz'\n"},
        {{"--trails-x"}, "invalid", "xtinkerbot: unrecognized option `--trails-x'\n"},
        {{"-\xE9"}, "invalid", "xtinkerbot: unrecognized option `-\xE9'\n"},
        // In a cluster the character goes through %c: bytes above 127
        // arrive negative and print as ^ and the byte plus 64.
        {{"-t\xE9"}, "306 invalid", "xtinkerbot: unrecognized option `-^)'\n"},
        {{"-t\x01"}, "306 invalid", "xtinkerbot: unrecognized option `-^A'\n"},
        {{"-t\x7F"}, "306 invalid", "xtinkerbot: unrecognized option `-\\177'\n"},
        // 0xC0 would print as ^ and a NUL, which would cut the message.
        {{"-t\xC0"}, "306 invalid", "xtinkerbot: unrecognized option `-\\300'\n"},
    });
}

std::string captured_text(void (*write)(FILE *))
{
    char *buffer = nullptr;
    size_t size = 0;
    FILE *f = open_memstream(&buffer, &size);
    write(f);
    std::fclose(f);
    std::string s(buffer, size);
    std::free(buffer);
    return s;
}

TEST(ProgramTexts, HelpByteForByte)
{
    const char *expected[36] = {
        "`Xtinkerbot' is a program to simulate one or more Tinkerbot vehicles.",
        "",
        "Usage: xt [OPTION]...",
        "",
        "Options are:",
        "      -display DISPLAY        Set the X display for the Xtinkerbot window",
        "      -geometry GEOMETRY      Set the Xtinkerbot window's geometry",
        "  -db, -double-buffer         Use double-buffering (better display, slower)",
        "  -t, -trails                 Show vehicle trails",
        "  -o, -output-eps FILE        Name output EPS files `FILE'",
        "  -h, --help                  Print this message and exit",
        "  -v, --version               Print version number and exit",
        "",
        "  -f, -friction K             Set world's coefficient of friction to K",
        "  -sf, -static-friction K     Set world's static friction coefficient to K",
        "  -df, -dynamic-friction K    Set world's dynamic friction coefficient to K",
        "  -af, -angular-friction K    Set \"coefficient of angular friction\" to K",
        "",
        "  -l[VAL], -lights[=VAL]      Add lights to vehicles, strength VAL (default 6)",
        "  -x, -cross-logic            Switch logic for left and right actuators",
        "  -ll, -left-logic EXP        Set logic for wiring to left actuator",
        "  -rl, -right-logic EXP       Set logic for wiring to right actuator",
        "",
        "  -threads N                  Step vehicles on N threads (default: all cores)",
        "",
        "Keystrokes:",
        "  up, down, left, right       Pan through space (Control-<key> moves less)",
        "  =, -                        Zoom in and out",
        "  <, >                        Animate slower or faster",
        "  Escape                      Pause/resume",
        "  t                           Toggle trails display",
        "  o                           Output current trails in EPS format",
        "  r                           Restart with all vehicles in random positions",
        "  q                           Quit",
        "",
        nullptr,  // the bug-report line, checked by its shape
    };
    std::string help = captured_text([](FILE *f) { write_help(f, "xt"); });
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = help.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(help.substr(start, nl - start));
    EXPECT_EQ(start, help.size()) << "text after the last newline";
    ASSERT_EQ(lines.size(), 36u);
    for (int i = 0; i < 35; i++)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
    const std::string &last = lines[35];
    EXPECT_EQ(last.rfind("Reporting bugs? <", 0), 0u) << last;
    EXPECT_EQ(last.back(), '>');
    EXPECT_NE(last.find('@'), std::string::npos);
    // Descriptions start in column 31 wherever an option is described.
    for (int i : {5, 6, 7, 8, 13, 16, 18, 21, 23, 26, 33})
        EXPECT_EQ(lines[i].find_first_not_of(' ', 30), 30u) << "line " << i + 1;
}

TEST(ProgramTexts, VersionAndUsage)
{
    std::string version = captured_text(write_version);
    EXPECT_EQ(version.rfind("Wexlo Xtinkerbot version 0.9\n", 0), 0u);
    int newlines = 0;
    for (char c : version)
        newlines += c == '\n';
    EXPECT_EQ(newlines, 5);
    EXPECT_EQ(version.back(), '\n');

    std::string usage = captured_text([](FILE *f) { write_usage(f, "xt"); });
    EXPECT_EQ(usage, "Usage: xt [OPTION]...\nTry `xt --help' for more information.\n");
}

// The option loop, through a parser over the program's table.
class OptionLoop : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!the_world)
            the_world = new World;
    }
    void read(std::vector<const char *> args)
    {
        args.insert(args.begin(), "xtinkerbot");
        argv = args;
        Argkit_Context *cli = Argkit_Create((int) argv.size(), argv.data(), option_count,
                                            fresh_rows());
        Argkit_SetPrefixChar(cli, '-', minus_prefix_class);
        Argkit_SetPrefixChar(cli, '+', plus_prefix_class);
        read_options(cli, settings);
        Argkit_Destroy(cli);
    }
    std::vector<const char *> argv;
    StartupSettings settings;
};

TEST_F(OptionLoop, SettingsFollowTheLastOccurrence)
{
    read({"-t", "+t", "-db", "-no-db", "-d", ":1", "-display=:2", "-geometry", "10x10",
          "-geometry", "20x20+1+1"});
    EXPECT_FALSE(settings.show_trails);
    EXPECT_FALSE(settings.double_buffer);
    EXPECT_STREQ(settings.display_name, ":2");
    EXPECT_STREQ(settings.geometry_spec, "20x20+1+1");
    EXPECT_EQ(settings.display_name, argv[7] + 9);  // the argument itself, no copy
}

TEST_F(OptionLoop, SwitchesOnAndXrmAccumulates)
{
    read({"-tx", "+x", "-double-buffer", "-xrm", "one", "-xrm", "two", "-xrm", "*three"});
    EXPECT_TRUE(settings.show_trails);
    EXPECT_TRUE(settings.double_buffer);
    ASSERT_EQ(settings.xrm_lines.size(), 3);
    EXPECT_STREQ(settings.xrm_lines[0], "one");
    EXPECT_STREQ(settings.xrm_lines[1], "two");
    EXPECT_STREQ(settings.xrm_lines[2], "*three");
    EXPECT_EQ(settings.display_name, nullptr);
    EXPECT_EQ(settings.geometry_spec, nullptr);
}

TEST_F(OptionLoop, FrictionOptionsChangeTheWorld)
{
    read({"-f", "0.5"});
    EXPECT_DOUBLE_EQ(the_world->static_friction(), 0.5);
    EXPECT_DOUBLE_EQ(the_world->dynamic_friction(), 0.4);
    read({"-f", "0.5", "-df", "1"});
    EXPECT_DOUBLE_EQ(the_world->dynamic_friction(), 1.0);
    read({"-df", "1", "-f", "0.5"});
    EXPECT_DOUBLE_EQ(the_world->dynamic_friction(), 0.4);
    read({"-sf", "0.7", "-af", "-1"});
    EXPECT_DOUBLE_EQ(the_world->static_friction(), 0.7);
    EXPECT_DOUBLE_EQ(the_world->angular_friction(), 0.0);
    read({"--angular-friction=0.25"});
    EXPECT_DOUBLE_EQ(the_world->angular_friction(), 0.25);
}

// A count out of range is reported and the run goes on with the old one.
TEST_F(OptionLoop, ThreadsOptionSetsTheWorldsThreads)
{
    read({"-threads", "3"});
    EXPECT_EQ(the_world->threads(), 3);
    testing::internal::CaptureStderr();
    read({"-threads", "0", "-t"});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "xtinkerbot: `-threads' expects a number from 1 to 256, not `0'\n");
    EXPECT_EQ(the_world->threads(), 3);
    EXPECT_TRUE(settings.show_trails) << "-t is still -trails";
}

TEST_F(OptionLoop, BadOptionPrintsUsageAndExits1)
{
    EXPECT_EXIT(read({"-t", "-zz", "-h"}), ::testing::ExitedWithCode(1),
                "^xtinkerbot: unrecognized option `-zz'\n"
                "Usage: xtinkerbot \\[OPTION\\]\\.\\.\\.\n"
                "Try `xtinkerbot --help' for more information\\.\n$");
    EXPECT_EXIT(read({"-d", "-t"}), ::testing::ExitedWithCode(1),
                "`-d' requires a non-option argument\nUsage: ");
}

// An infinite or undefined friction or light strength would turn every
// position into a non-number on the first step.
TEST_F(OptionLoop, NonFiniteFrictionsAndStrengthsAreBadValues)
{
    struct Case {
        std::vector<const char *> args;
        const char *option, *value;  // as the message quotes them
    } cases[] = {
        // -f is read as an abbreviation of -friction here.
        {{"-f", "nan"}, "-friction", "nan"}, {{"-f", "-inf"}, "-friction", "-inf"},
        {{"-df", "inf"}, "-df", "inf"},      {{"-sf", "1e999"}, "-sf", "1e999"},
        {{"-af", "NAN"}, "-af", "NAN"},      {{"-lnan"}, "-l", "nan"},
        {{"-lights=inf"}, "-lights", "inf"},
    };
    for (const Case &c : cases) {
        EXPECT_EXIT(read(c.args), ::testing::ExitedWithCode(1),
                    "^xtinkerbot: `" + std::string(c.option) + "' expects a finite number, not `"
                        + c.value + "'\nUsage: xtinkerbot ")
            << c.args[0];
    }
    read({"-f", "1e300", "-af", "-1e300"});  // huge, negative: still numbers
    EXPECT_DOUBLE_EQ(the_world->static_friction(), 1e300);
}

TEST_F(OptionLoop, HelpAndVersionExit0BeforeReadingOn)
{
    auto quietly = [this](std::vector<const char *> args) {
        std::freopen("/dev/null", "w", stdout);
        read(args);
    };
    EXPECT_EXIT(quietly({"-h", "-zz"}), ::testing::ExitedWithCode(0), "^$");
    EXPECT_EXIT(quietly({"-version", "-zz"}), ::testing::ExitedWithCode(0), "^$");
    // A help text that cannot be written is not a success.
    EXPECT_EXIT(
        {
            std::freopen("/dev/full", "w", stdout);
            read({"--help"});
        },
        ::testing::ExitedWithCode(1), "error writing to standard output");
}

}  // namespace
