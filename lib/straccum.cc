#include "lib/straccum.hh"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "lib/assert.hh"

// Buffers are allocated as char arrays because take_string hands them to a
// String, which frees them as such.
namespace {

unsigned char *new_buffer(int n)
{
    return reinterpret_cast<unsigned char *>(new (std::nothrow) char[n]);
}

void free_buffer(unsigned char *s)
{
    delete[] reinterpret_cast<char *>(s);
}

unsigned char *out_of_memory_buffer()
{
    return reinterpret_cast<unsigned char *>(
        const_cast<char *>(String::out_of_memory_data()));
}

}  // namespace

StringAccum::StringAccum(int capacity) : _s(nullptr), _len(0), _cap(0)
{
    if (capacity > 0) {
        _s = new_buffer(capacity);
        if (_s)
            _cap = capacity;
        else
            make_out_of_memory();
    }
}

StringAccum::~StringAccum()
{
    if (_cap >= 0)
        free_buffer(_s);
}

bool StringAccum::grow(long long want)
{
    if (_cap < 0)
        return false;
    long long cap = _cap ? 2LL * _cap : 128;
    while (cap <= want)
        cap *= 2;
    if (cap > INT_MAX)
        cap = want < INT_MAX ? INT_MAX : 0;
    unsigned char *s = cap ? new_buffer((int) cap) : nullptr;
    if (!s) {
        make_out_of_memory();
        return false;
    }
    if (_cap)
        std::memcpy(s, _s, _cap);
    free_buffer(_s);
    _s = s;
    _cap = (int) cap;
    return true;
}

char *StringAccum::reserve(int hm)
{
    ASSERT(hm >= 0);
    if ((long long) _len + hm > _cap && !grow((long long) _len + hm))
        return nullptr;
    return reinterpret_cast<char *>(_s + _len);
}

void StringAccum::forward(int n)
{
    ASSERT(n>=0 && _len+n<=_cap);
    _len += n;
}

void StringAccum::append(char c)
{
    if (_len < _cap || grow(_len))
        _s[_len++] = (unsigned char) c;
}

void StringAccum::append(const char *s, int len)
{
    if (!s) {
        ASSERT(len <= 0);
        len = 0;
    } else if (len < 0)
        len = (int) std::strlen(s);
    if (len == 0) {
        if (s == String::out_of_memory_data() && _cap >= 0)
            make_out_of_memory();
        return;
    }
    // s may point into our own buffer, which reserve may move.
    const unsigned char *u = reinterpret_cast<const unsigned char *>(s);
    bool own = _cap > 0 && u >= _s && u < _s + _cap;
    long offset = own ? (long) (u - _s) : 0;
    if (char *at = reserve(len)) {
        std::memmove(at, own ? reinterpret_cast<char *>(_s + offset) : s, len);
        _len += len;
    }
}

void StringAccum::append(long l)
{
    if (char *at = reserve(24))
        forward(std::snprintf(at, 24, "%ld", l));
}

void StringAccum::append(unsigned long u)
{
    if (char *at = reserve(24))
        forward(std::snprintf(at, 24, "%lu", u));
}

void StringAccum::append(double d)
{
    if (char *at = reserve(256))
        forward(std::snprintf(at, 256, "%g", d));
}

void StringAccum::snprintf(int n, const char *format, ...)
{
    char *at = reserve(n + 1);
    if (!at)
        return;
    va_list val;
    va_start(val, format);
    int len = std::vsnprintf(at, n + 1, format, val);
    va_end(val);
    ASSERT(len <= n);
    forward(len);
}

const char *StringAccum::c_str()
{
    if (_cap < 0 || (_len >= _cap && !grow(_len)))
        return String::out_of_memory_data();
    _s[_len] = 0;
    return reinterpret_cast<const char *>(_s);
}

void StringAccum::make_out_of_memory()
{
    ASSERT(_cap >= 0);
    free_buffer(_s);
    _s = out_of_memory_buffer();
    _len = 0;
    _cap = -1;
}

String StringAccum::take_string()
{
    if (_len > 0) {
        String s = String::claim_string(reinterpret_cast<char *>(_s), _len, _cap);
        _s = nullptr;
        _len = 0;
        _cap = 0;
        return s;
    }
    return _cap < 0 ? String::out_of_memory_string() : String();
}
