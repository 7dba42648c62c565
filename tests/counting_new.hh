// Replaces the global operator new and delete of a test binary to count
// heap allocations made through them (Xlib's malloc'd buffers are not
// counted), and to make them fail on demand.  Include it from exactly one file of a test binary: the
// definitions below are the binary's one replacement.
#ifndef XTINKERBOT_TESTS_COUNTING_NEW_HH
#define XTINKERBOT_TESTS_COUNTING_NEW_HH

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

// Every operator new of the binary adds one, whichever thread calls it.
std::atomic<long> allocations{0};
// Larger requests fail, as when memory has run out: 0 fails them all.
std::atomic<std::size_t> largest_allocation{SIZE_MAX};

void *operator new(std::size_t n)
{
    allocations++;
    if (void *p = n > largest_allocation ? nullptr : std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t n)
{
    return operator new(n);
}
void *operator new(std::size_t n, const std::nothrow_t &) noexcept
{
    allocations++;
    return n > largest_allocation ? nullptr : std::malloc(n ? n : 1);
}
void *operator new[](std::size_t n, const std::nothrow_t &) noexcept
{
    return operator new(n, std::nothrow);
}
// Out of line: inlined next to a new-expression, a bare free() would look
// like a mismatch to the compiler.
[[gnu::noinline]] static void release(void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p) noexcept { release(p); }
void operator delete[](void *p) noexcept { release(p); }
void operator delete(void *p, std::size_t) noexcept { release(p); }
void operator delete[](void *p, std::size_t) noexcept { release(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { release(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { release(p); }

#endif
