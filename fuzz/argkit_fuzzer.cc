// Fuzzes the option parser as the program drives it: the input's bytes,
// split at NUL bytes, are the elements after argv[0]; they are parsed to
// the end with the program's option table and prefix characters, reading
// on after errors (the program would stop at the first one) so that every
// parser state an error can leave is exercised too.  A second pass parses
// the same elements against a table of the value kinds the program does
// not use (integers, booleans, word lists) with other prefix classes.
//
// Besides crashes and leaks it checks what the caller relies on: only
// ids of the table, operands, the end and errors come back; a value or an
// operand always has its text; the parser always reaches the end; every
// message is "<program>: ...\n".
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/options.hh"
#include "lib/argkit.hh"

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void check_message(Argkit_Context *, const char *message)
{
    size_t n = std::strlen(message);
    check(n > 0 && message[n - 1] == '\n');
    check(std::strncmp(message, "fuzzed: ", 8) == 0
          || std::strcmp(message, "out of memory\n") == 0);
}

bool is_table_id(int r, const Argkit_Spec *table, int n)
{
    for (int i = 0; i < n; i++)
        if (table[i].option_id == r)
            return true;
    return false;
}

// Parses to the end; every call consumes at least one character or
// element, so the number of calls is bounded by the input's size.
void parse_all(Argkit_Context *cli, const Argkit_Spec *table, int n, size_t bound)
{
    for (size_t calls = 0;; calls++) {
        check(calls <= bound);
        int r = Argkit_ParseNext(cli);
        if (r == Argkit_End)
            break;
        check(r == Argkit_Operand || r == Argkit_Invalid || is_table_id(r, table, n));
        if (r >= 0 && cli->has_value)
            check(cli->value_text != nullptr);
    }
    check(Argkit_ParseNext(cli) == Argkit_End);
}

void program_pass(std::vector<const char *> &argv, size_t bound)
{
    Argkit_Spec table[option_count];
    std::memcpy(table, option_table, sizeof table);
    Argkit_Context *cli = Argkit_Create((int) argv.size(), argv.data(), option_count, table);
    check(cli != nullptr);
    check(Argkit_SetPrefixChar(cli, '-', minus_prefix_class));
    check(Argkit_SetPrefixChar(cli, '+', plus_prefix_class));
    Argkit_SetErrorSink(cli, check_message);
    check(std::strcmp(Argkit_InvokedName(cli), "fuzzed") == 0);
    parse_all(cli, table, option_count, bound);
    Argkit_Destroy(cli);
}

void other_kinds_pass(std::vector<const char *> &argv, size_t bound)
{
    Argkit_Spec table[] = {
        {"int", 'i', 1, Argkit_IntValue, 0},
        {"unsigned", 'u', 2, Argkit_UnsignedValue, Argkit_MayHaveValue},
        {"bool", 'b', 3, Argkit_BoolValue, Argkit_Negatable},
        {"colour", 'c', 4, 9, 0},
        {"level", 0, 5, 10, Argkit_MayHaveValue},
        {"no-quiet", 'q', 6, Argkit_NoValue, 0},
        {"name", 'n', 7, Argkit_NonOptionString, 0},
        {"names", 0, 8, Argkit_StringValue, 0},
        {"odd", 'o', 9, 30, 0},  // a kind with no parser
    };
    const int n = (int) (sizeof table / sizeof table[0]);
    Argkit_Context *cli = Argkit_Create((int) argv.size(), argv.data(), n, table);
    check(cli != nullptr);
    check(Argkit_SetPrefixChar(cli, '-', Argkit_ShortPrefix | Argkit_NegLongPrefix));
    check(Argkit_SetPrefixChar(cli, '+', Argkit_NegShortPrefix));
    check(Argkit_SetPrefixChar(cli, '/', Argkit_LongPrefix));
    check(Argkit_SetPrefixChar(cli, '=', Argkit_ImplicitLong));
    check(Argkit_AddWordListType(cli, 9, 0, "red", 1, "rouge", 1, "green", 2, "grey", 3,
                                 "black", 4, "blue", 5, (const char *) nullptr));
    const char *words[] = {"low", "high", ""};
    const int values[] = {0, 9, 3};
    check(Argkit_AddWordListTypeVec(cli, 10, 1, 2, words, values));
    Argkit_SetErrorSink(cli, check_message);
    for (size_t calls = 0;; calls++) {
        check(calls <= bound);
        int r = Argkit_ParseNext(cli);
        if (r == Argkit_End)
            break;
        check(r >= Argkit_Misconfigured);
        check(r <= 9);
    }
    Argkit_Destroy(cli);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    std::vector<std::string> elements(1);
    for (size_t i = 0; i < size; i++) {
        if (data[i] == 0)
            elements.emplace_back();
        else
            elements.back().push_back((char) data[i]);
    }
    std::vector<const char *> argv;
    argv.push_back("/some/dir/fuzzed");
    for (const std::string &e : elements)
        argv.push_back(e.c_str());
    size_t bound = 2 * (size + argv.size()) + 4;
    program_pass(argv, bound);
    other_kinds_pass(argv, bound);
    return 0;
}
