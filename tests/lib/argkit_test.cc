// Argkit beyond the program's own table: the other value kinds, table
// normalisation, prefix classes, word lists and the rest of the interface.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/argkit.hh"

namespace {

std::string captured;

void capture(Argkit_Context *, const char *message)
{
    captured += message;
}

enum { idInt = 1, idUnsigned, idBool, idWord, idName, idNumber, idQuiet, idSecret };

// A parser over "prog" + args with '-' for short and long options.
class Parser {
  public:
    Parser(std::vector<Argkit_Spec> rows, std::vector<const char *> args,
           int minus_class = Argkit_ShortPrefix | Argkit_LongPrefix)
        : _rows(std::move(rows)), _argv(std::move(args))
    {
        _argv.insert(_argv.begin(), "bin/prog");
        cli = Argkit_Create((int) _argv.size(), _argv.data(), (int) _rows.size(),
                            _rows.data());
        Argkit_SetPrefixChar(cli, '-', minus_class);
        Argkit_SetErrorSink(cli, capture);
        captured.clear();
    }
    ~Parser() { Argkit_Destroy(cli); }
    const Argkit_Spec &row(int i) const { return _rows[i]; }

    Argkit_Context *cli;

  private:
    std::vector<Argkit_Spec> _rows;
    std::vector<const char *> _argv;
};

std::vector<Argkit_Spec> kinds_table()
{
    return {
        {"int", 'i', idInt, Argkit_IntValue, 0},
        {"unsigned", 'u', idUnsigned, Argkit_UnsignedValue, 0},
        {"bool", 'b', idBool, Argkit_BoolValue, 0},
        {"quiet", 'q', idQuiet, Argkit_NoValue, 0},
    };
}

TEST(Argkit, IntegerValues)
{
    struct Case {
        const char *option, *text;
        int result, value;
        const char *message;
    } cases[] = {
        {"-i", "42", idInt, 42, ""},
        {"-i", "-7", idInt, -7, ""},
        {"-i", "0x1F", idInt, 31, ""},
        {"-i", "0X10", idInt, 16, ""},
        {"-i", "-0x10", Argkit_Invalid, 0, "prog: `-int' expects an integer, not `-0x10'\n"},
        {"-i", "12abc", Argkit_Invalid, 0, "prog: `-int' expects an integer, not `12abc'\n"},
        {"-i", "", Argkit_Invalid, 0, "prog: `-int' expects an integer, not `'\n"},
        {"-i", "0x", Argkit_Invalid, 0, "prog: `-int' expects an integer, not `0x'\n"},
        {"-u", "0x10", idUnsigned, 16, ""},
        {"-u", "-1", Argkit_Invalid, 0,
         "prog: `-unsigned' expects a nonnegative integer, not `-1'\n"},
        {"-u", "0x-1", Argkit_Invalid, 0,
         "prog: `-unsigned' expects a nonnegative integer, not `0x-1'\n"},
    };
    for (const Case &c : cases) {
        Parser p(kinds_table(), {c.option, c.text});
        int r = Argkit_ParseNext(p.cli);
        EXPECT_EQ(r, c.result) << c.option << " " << c.text;
        if (r > 0) {
            EXPECT_EQ(p.cli->value.i, c.value) << c.text;
        }
        EXPECT_EQ(captured, c.message) << c.text;
    }
}

TEST(Argkit, BoolValues)
{
    struct Case {
        const char *text;
        int value;  // -1: refused
    } cases[] = {
        {"Y", 1}, {"tru", 1}, {"1", 1}, {"TRUE", 1}, {"yes", 1},
        {"N", 0}, {"fal", 0}, {"no", 0}, {"False", 0},
        {"yess", -1}, {"", -1}, {"0", -1}, {"falsey", -1}, {"t=1", -1},
    };
    for (const Case &c : cases) {
        Parser p(kinds_table(), {"--bool", c.text});
        int r = Argkit_ParseNext(p.cli);
        if (c.value < 0) {
            EXPECT_EQ(r, Argkit_Invalid) << c.text;
            EXPECT_EQ(captured, std::string("prog: `--bool' expects a true-or-false value, not `")
                                    + c.text + "'\n");
        } else {
            EXPECT_EQ(r, idBool) << c.text;
            EXPECT_EQ(p.cli->value.i, c.value) << c.text;
        }
    }
}

TEST(Argkit, CreationNormalisesTheTable)
{
    std::vector<Argkit_Spec> rows = {
        {"alpha", 'a', idInt, Argkit_IntValue, Argkit_NeedsValue | Argkit_MayHaveValue},
        {"bad", 'b', -5, Argkit_NoValue, 0},
        {"no-secret", 1000, idSecret, Argkit_NoValue, 0},
        {"plain", 0, idQuiet, Argkit_NoValue, Argkit_NeedsValue},
        {"name", 'n', idName, Argkit_StringValue, 0},
    };
    testing::internal::CaptureStderr();
    Parser p(rows, {"-no-secret", "-secret"});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ARGKIT error: option 1 has negative option_id\n");
    // The row with a negative id was replaced by the last one.
    EXPECT_STREQ(p.row(1).long_form, "name");
    EXPECT_EQ(p.row(1).flags, Argkit_NeedsValue);
    // Both given: the value is needed.
    EXPECT_EQ(p.row(0).flags, Argkit_NeedsValue | Argkit_MayHaveValue);
    EXPECT_STREQ(p.row(2).long_form, "secret");
    EXPECT_EQ(p.row(2).flags, Argkit_Negatable | Argkit_NegatedOnly);
    EXPECT_EQ(p.row(2).short_char, 256);
    EXPECT_EQ(p.row(3).flags, 0);  // no value kind: no value flags

    EXPECT_EQ(Argkit_ParseNext(p.cli), idSecret);
    EXPECT_TRUE(p.cli->is_negated);
    EXPECT_EQ(Argkit_ParseNext(p.cli), Argkit_Invalid);  // only exists negated
    EXPECT_EQ(captured, "prog: unrecognized option `-secret'\n");
}

TEST(Argkit, ShortCharacterClashesAreReported)
{
    testing::internal::CaptureStderr();
    Parser p({{"one", 'x', 1, 0, 0}, {"two", 'x', 2, 0, 0}, {"three", 'x', 1, 0, 0}}, {"-x"});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ARGKIT error: more than 1 option has short name `x'\n"
              "ARGKIT error: more than 1 option has short name `x'\n");
    EXPECT_EQ(Argkit_ParseNext(p.cli), 1);  // the first row wins
}

TEST(Argkit, MinimumMatchLengths)
{
    // "name" is a prefix of "names" and must be written in full; synonyms
    // are never ambiguous with each other.
    std::vector<Argkit_Spec> rows = {
        {"name", 0, 1, 0, 0},
        {"names", 0, 2, 0, 0},
        {"number", 0, 3, 0, 0},
        {"numeral", 0, 3, 0, 0},
    };
    struct Case {
        const char *arg;
        int result;
    } cases[] = {
        {"--name", 1}, {"--names", 2}, {"--nu", 3}, {"--num", 3}, {"--numera", 3},
        {"--nam", Argkit_Invalid}, {"--n", Argkit_Invalid}, {"--namex", Argkit_Invalid},
    };
    for (const Case &c : cases) {
        Parser p(rows, {c.arg});
        EXPECT_EQ(Argkit_ParseNext(p.cli), c.result) << c.arg;
    }
    Parser p(rows, {"--n"});
    Argkit_ParseNext(p.cli);
    EXPECT_EQ(captured, "prog: option `--n' is ambiguous\n"
                        "prog: (Possibilities are --name, --names, --number, and --numeral.)\n");
    Parser q(rows, {"--na"});
    Argkit_ParseNext(q.cli);
    EXPECT_EQ(captured, "prog: option `--na' is ambiguous\n"
                        "prog: (Possibilities are --name and --names.)\n");
}

TEST(Argkit, PrefixClasses)
{
    Parser p(kinds_table(), {"/q", "-q", "q"});
    // Refused classes leave the table as it was.
    EXPECT_EQ(Argkit_SetPrefixChar(p.cli, '/', Argkit_LongPrefix | Argkit_NegLongPrefix), 0);
    EXPECT_EQ(Argkit_SetPrefixChar(p.cli, '/', Argkit_ShortPrefix | Argkit_NegShortPrefix), 0);
    EXPECT_EQ(Argkit_SetPrefixChar(p.cli, '/', 32), 0);
    EXPECT_EQ(Argkit_SetPrefixChar(p.cli, '/', Argkit_ImplicitLong | Argkit_LongPrefix), 0);
    EXPECT_EQ(Argkit_ParseNext(p.cli), Argkit_Operand);
    EXPECT_STREQ(p.cli->value_text, "/q");
    EXPECT_EQ(Argkit_SetPrefixChar(p.cli, '-', 0), 1);  // '-' introduces nothing now
    EXPECT_EQ(Argkit_ParseNext(p.cli), Argkit_Operand);
    EXPECT_STREQ(p.cli->value_text, "-q");
    EXPECT_EQ(Argkit_SetPrefixChar(p.cli, 0, Argkit_ImplicitLong), 1);
    EXPECT_EQ(Argkit_ParseNext(p.cli), idQuiet);  // a bare word is a long option
    EXPECT_EQ(Argkit_ParseNext(p.cli), Argkit_End);
}

TEST(Argkit, ValueKindsAndMisconfiguration)
{
    std::vector<Argkit_Spec> rows = {{"odd", 'o', 7, 12, 0}, {"none", 'n', 8, 3, 0}};
    Parser p(rows, {"-o", "x", "-o", "y"});
    EXPECT_EQ(Argkit_ParseNext(p.cli), Argkit_Misconfigured);
    EXPECT_EQ(captured, "");
    EXPECT_EQ(Argkit_AddType(p.cli, 0, 0, nullptr, nullptr), 0);
    auto upper = [](Argkit_Context *cli, const char *text, int, void *closure) {
        cli->value.s = text;
        return *(int *) closure;
    };
    int verdict = 1;
    EXPECT_EQ(Argkit_AddType(p.cli, 12, 0, upper, &verdict), 1);
    EXPECT_EQ(Argkit_ParseNext(p.cli), Argkit_Operand);  // "x" was not consumed
    EXPECT_EQ(Argkit_ParseNext(p.cli), 7);
    EXPECT_STREQ(p.cli->value.s, "y");
}

TEST(Argkit, MessageFormatting)
{
    Parser p(kinds_table(), {"-q"});
    Argkit_ReportOptionError(p.cli, "%O|%s|%d|%%|%z|%c%c%c%c", (const char *) nullptr, -12, 'A',
                             10, 127, -1);
    EXPECT_EQ(captured, "prog: (no current option!)|(null)|-12|%|%z|A^J\\177^?\n");
    captured.clear();
    Argkit_ParseNext(p.cli);
    EXPECT_EQ(Argkit_ReportOptionError(p.cli, "%O"), 0);
    EXPECT_EQ(captured, "prog: -quiet\n");
    EXPECT_STREQ(Argkit_InvokedName(p.cli), "prog");
}

TEST(Argkit, WordLists)
{
    std::vector<Argkit_Spec> rows = {{"colour", 'c', idWord, 20, 0},
                                     {"level", 'l', idNumber, 21, 0}};
    struct Case {
        const char *option, *text;
        int result, value;
        const char *message;
    } cases[] = {
        {"-c", "red", idWord, 1, ""},
        {"-c", "gree", idWord, 2, ""},
        {"-c", "grey", idWord, 3, ""},
        {"-c", "r", idWord, 1, ""},  // red and rouge share a value
        {"-c", "gre", Argkit_Invalid, 0,
         "prog: `gre' is an ambiguous argument to `-colour'\n"
         "prog: (Possibilities are green and grey.)\n"},
        {"-c", "blue", Argkit_Invalid, 0,
         "prog: `blue' is not a valid argument to `-colour'\n"
         "prog: (Possibilities are red, rouge, green, grey, and others.)\n"},
        {"-l", "high", idNumber, 9, ""},
        {"-l", "0x7", idNumber, 7, ""},
        {"-l", "x", Argkit_Invalid, 0,
         "prog: `x' is not a valid argument to `-level'\n"
         "prog: (Possibilities are low, high, and any integer.)\n"},
    };
    for (const Case &c : cases) {
        Parser p(rows, {c.option, c.text});
        ASSERT_EQ(Argkit_AddWordListType(p.cli, 20, 0, "red", 1, "rouge", 1, "green", 2, "grey",
                                         3, "black", 4, (const char *) nullptr),
                  1);
        const char *words[] = {"low", "high"};
        const int values[] = {0, 9};
        ASSERT_EQ(Argkit_AddWordListTypeVec(p.cli, 21, 1, 2, words, values), 1);
        EXPECT_EQ(Argkit_ParseNext(p.cli), c.result) << c.text;
        if (c.result > 0) {
            EXPECT_EQ(p.cli->value.i, c.value) << c.text;
        }
        EXPECT_EQ(captured, c.message) << c.text;
    }
}

TEST(Argkit, TakeNextArgEnableOptionsAndSnapshots)
{
    Parser p(kinds_table(), {"-q", "-x", "value", "--", "-q"});
    EXPECT_EQ(Argkit_ParseNext(p.cli), idQuiet);
    EXPECT_EQ(Argkit_TakeNextArg(p.cli, 0), nullptr);  // -x looks like an option
    EXPECT_STREQ(Argkit_TakeNextArg(p.cli, 1), "-x");

    Argkit_Snapshot *s = Argkit_NewSnapshot();
    Argkit_SaveState(p.cli, s);
    EXPECT_EQ(Argkit_ParseNext(p.cli), Argkit_Operand);
    EXPECT_STREQ(p.cli->value_text, "value");
    Argkit_RestoreState(p.cli, s);
    EXPECT_EQ(Argkit_ParseNext(p.cli), Argkit_Operand);
    EXPECT_STREQ(p.cli->value_text, "value");
    Argkit_FreeSnapshot(s);

    EXPECT_EQ(Argkit_ParseNext(p.cli), Argkit_Operand);  // "--" switched options off
    EXPECT_STREQ(p.cli->value_text, "-q");
    EXPECT_EQ(Argkit_EnableOptions(p.cli, 1), 0);
    EXPECT_EQ(Argkit_ParseNext(p.cli), Argkit_End);
}

TEST(Argkit, EmptyAndNullCommandLines)
{
    Argkit_Spec rows[] = {{"quiet", 'q', idQuiet, 0, 0}};
    Argkit_Context *cli = Argkit_Create(0, nullptr, 1, rows);
    ASSERT_NE(cli, nullptr);
    EXPECT_STREQ(Argkit_InvokedName(cli), "");
    EXPECT_EQ(Argkit_ParseNext(cli), Argkit_End);
    Argkit_Destroy(cli);
    const char *argv[] = {"prog", nullptr};
    cli = Argkit_Create(1, argv, 0, nullptr);
    EXPECT_EQ(Argkit_ParseNext(cli), Argkit_End);
    Argkit_Destroy(cli);
}

TEST(ArgkitDeathTest, EmptyLongFormCannotBeMatched)
{
    std::vector<Argkit_Spec> rows = {{"", 'e', 1, 0, 0}};
    EXPECT_DEATH(
        {
            Parser p(rows, {"--e"});
            Argkit_ParseNext(p.cli);
        },
        "argcmp: Assertion `min_match > 0' failed");
}

}  // namespace
