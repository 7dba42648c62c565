#include "lib/assert.hh"

#include <cstdio>
#include <cstdlib>

void assertion_failed(const char *expression, const char *file, int line,
                      const char *function)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%d: %s: Assertion `%s' failed.\n", file, line,
                 function, expression);
    std::abort();
}
