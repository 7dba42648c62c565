// Option tables put together from parts.  The rows both programs take are
// written once (shared_option_rows in driver/options.hh); each program
// writes only its own rows, and merge_option_rows makes its table at
// compile time.  Argkit searches a table in order, and the order decides
// some abbreviations, so the merge keeps the shared rows in their order and
// puts each of the program's own rows (in name order) before the first
// shared row whose name sorts after it.
#ifndef XTINKERBOT_DRIVER_OPTION_ROWS_HH
#define XTINKERBOT_DRIVER_OPTION_ROWS_HH

#include <array>
#include <cstddef>

#include "lib/argkit.hh"

// strcmp's order, usable at compile time.
constexpr int compare_option_names(const char *a, const char *b)
{
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return (unsigned char) *a - (unsigned char) *b;
}

template <std::size_t N>
constexpr bool in_name_order(const Argkit_Spec (&rows)[N])
{
    for (std::size_t i = 1; i < N; i++)
        if (compare_option_names(rows[i - 1].long_form, rows[i].long_form) >= 0)
            return false;
    return true;
}

template <std::size_t S, std::size_t N>
constexpr std::array<Argkit_Spec, S + N> merge_option_rows(const Argkit_Spec (&shared)[S],
                                                           const Argkit_Spec (&own)[N])
{
    std::array<Argkit_Spec, S + N> rows{};
    std::size_t i = 0, j = 0;
    for (std::size_t k = 0; k < S + N; k++) {
        if (j < N && (i == S || compare_option_names(own[j].long_form, shared[i].long_form) < 0))
            rows[k] = own[j++];
        else
            rows[k] = shared[i++];
    }
    return rows;
}

#endif
