// Assertions that stay on in every build: a broken invariant is a
// programming error, and its message (function, file, line, expression)
// is part of the program's behaviour, so ASSERT never depends on the switch
// that turns the standard assert off.
#ifndef XTINKERBOT_LIB_ASSERT_HH
#define XTINKERBOT_LIB_ASSERT_HH

[[noreturn]] void assertion_failed(const char *expression, const char *file,
                                   int line, const char *function);

#define ASSERT(e) \
    ((e) ? (void) 0 : assertion_failed(#e, __FILE__, __LINE__, __func__))

#endif
