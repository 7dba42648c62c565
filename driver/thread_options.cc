#include "driver/thread_options.hh"

#include <cstdio>

#include "lib/program_name.hh"
#include "sim/world.hh"

bool handle_threads_option(int n)
{
    if (n < 1 || n > max_threads) {
        std::fprintf(stderr, "%s: `-threads' expects a number from 1 to %d, not `%d'\n",
                     program_name, max_threads, n);
        return false;
    }
    the_world->set_threads(n);
    return true;
}
