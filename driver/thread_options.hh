// -threads N: how many threads step the vehicles of the world (the
// caller's included).  Both programs start with one per core.
#ifndef XTINKERBOT_DRIVER_THREAD_OPTIONS_HH
#define XTINKERBOT_DRIVER_THREAD_OPTIONS_HH

// More threads than this would only wait for each other.
const int max_threads = 256;

// Sets the_world's thread count to n when 1 <= n <= max_threads; false,
// after a message on stderr, otherwise.
bool handle_threads_option(int n);

#endif
