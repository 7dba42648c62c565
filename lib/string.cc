#include "lib/string.hh"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

#include "lib/assert.hh"
#include "lib/permstr.hh"
#include "lib/straccum.hh"

namespace {

// The process-wide memos live in static storage, are initialised before any
// code runs (constant initialisation) and are never destroyed, so Strings
// in other static objects may use them in any order, even at exit.
struct StaticMemo {
    union {
        Memo memo;
    };
    constexpr StaticMemo(int refcount, int capacity, char *data)
        : memo(refcount, capacity, 0, data)
    {
    }
    ~StaticMemo() {}
};

char null_data[1] = {0};
char out_of_memory_byte[1] = {0};

StaticMemo null_memo(1, 0, null_data);
StaticMemo permanent_memo(1, 0, null_data);
StaticMemo out_of_memory_memo(1, 1, out_of_memory_byte);

int buffer_capacity(int length)
{
    return (length & ~15) + 16;
}

}  // namespace

Memo::Memo(int dirty, int capacity)
    : _refcount(1), _capacity(capacity), _dirty(dirty),
      _real_data(new (std::nothrow) char[capacity])
{
    ASSERT(_capacity >= _dirty);
}

Memo::Memo(char *buffer, int dirty, int capacity)
    : _refcount(1), _capacity(capacity), _dirty(dirty), _real_data(buffer)
{
    ASSERT(_capacity >= _dirty);
}

Memo::~Memo()
{
    ASSERT(_capacity >= _dirty);
    if (_capacity)
        delete[] _real_data;
}

// Construction and assignment

String::String() : _data(null_data), _length(0), _memo(&null_memo.memo)
{
    _memo->_refcount++;
}

String::String(const String &s) : _data(s._data), _length(s._length), _memo(s._memo)
{
    _memo->_refcount++;
}

String::String(const char *data, int length, Memo *memo)
    : _data(data), _length(length), _memo(memo)
{
    _memo->_refcount++;
}

String::String(const char *cc) : String()
{
    assign(cc, -1);
}

String::String(const char *s, int length) : String()
{
    assign(s, length);
}

String::String(int i) : String()
{
    char buf[32];
    assign(buf, std::snprintf(buf, sizeof buf, "%d", i));
}

String::String(unsigned u) : String()
{
    char buf[32];
    assign(buf, std::snprintf(buf, sizeof buf, "%u", u));
}

String::String(long l) : String()
{
    char buf[32];
    assign(buf, std::snprintf(buf, sizeof buf, "%ld", l));
}

String::String(unsigned long u) : String()
{
    char buf[32];
    assign(buf, std::snprintf(buf, sizeof buf, "%lu", u));
}

String::String(double d) : String()
{
    char buf[32];
    assign(buf, std::snprintf(buf, sizeof buf, "%g", d));
}

String::String(PermString p) : String()
{
    // A null PermString has no characters to copy: a caller's mistake,
    // which assign's check on null characters reports.
    const char *s = p.c_str();
    assign(s, s ? p.length() : 1);
}

String::~String()
{
    release();
}

void String::release()
{
    if (--_memo->_refcount == 0)
        delete _memo;
}

String &String::operator=(const String &s)
{
    s._memo->_refcount++;
    release();
    _data = s._data;
    _length = s._length;
    _memo = s._memo;
    return *this;
}

String String::claim_string(char *str, int len, int capacity)
{
    ASSERT(str && len > 0 && capacity >= len);
    Memo *memo = new (std::nothrow) Memo(str, len, capacity);
    if (!memo) {
        delete[] str;
        return out_of_memory_string();
    }
    String s(str, len, memo);
    memo->_refcount--;  // the constructor above counted the memo's own 1
    return s;
}

String String::stable_string(const char *s, int length)
{
    if (!s)
        return String();
    if (length < 0)
        length = (int) std::strlen(s);
    if (length == 0)
        return String();
    return String(s, length, &permanent_memo.memo);
}

String String::garbage_string(int n)
{
    String s;
    s.append_garbage(n);
    return s;
}

String String::fill_string(int c, int n)
{
    String s;
    s.append_fill(c, n);
    return s;
}

String String::out_of_memory_string()
{
    return String(out_of_memory_byte, 0, &out_of_memory_memo.memo);
}

const char *String::out_of_memory_data()
{
    return out_of_memory_byte;
}

bool String::out_of_memory() const
{
    return _memo == &out_of_memory_memo.memo;
}

void String::make_out_of_memory()
{
    *this = out_of_memory_string();
}

void String::assign(const char *s, int len)
{
    if (!s) {
        ASSERT(len <= 0);
        len = 0;
    } else if (len < 0)
        len = (int) std::strlen(s);

    if (len == 0) {
        Memo *memo = (s == out_of_memory_byte ? &out_of_memory_memo.memo
                                              : &null_memo.memo);
        *this = String(memo->_real_data, 0, memo);
        return;
    }

    // Allocate first: s may point into our own buffer.
    int capacity = len > INT_MAX - 16 ? len : buffer_capacity(len);
    Memo *memo = new (std::nothrow) Memo(len, capacity);
    if (!memo || !memo->_real_data) {
        delete memo;
        make_out_of_memory();
        return;
    }
    std::memcpy(memo->_real_data, s, len);
    release();
    _data = memo->_real_data;
    _length = len;
    _memo = memo;
}

// Appending

// Makes room for n > 0 more bytes at the end of this string, copying
// suffix there when it is not null, and returns where the new bytes start
// (null when out of memory).
char *String::extend(int n, const char *suffix)
{
    if (out_of_memory())
        return nullptr;
    if (n > INT_MAX - _length) {
        make_out_of_memory();
        return nullptr;
    }

    if (n < _memo->_capacity - _memo->_dirty
        && _data + _length == _memo->_real_data + _memo->_dirty) {
        char *at = _memo->_real_data + _memo->_dirty;
        if (suffix)
            std::memmove(at, suffix, n);
        _length += n;
        _memo->_dirty += n;
        ASSERT(_memo->_dirty < _memo->_capacity);
        return at;
    }

    int want = _length + n;
    int capacity = buffer_capacity(_length);
    while (capacity < want)
        capacity = capacity > INT_MAX / 2 ? want : 2 * capacity;
    Memo *memo = new (std::nothrow) Memo(want, capacity);
    if (!memo || !memo->_real_data) {
        delete memo;
        make_out_of_memory();
        return nullptr;
    }
    // Copy before releasing: the suffix may live in the old buffer.
    std::memcpy(memo->_real_data, _data, _length);
    char *at = memo->_real_data + _length;
    if (suffix)
        std::memcpy(at, suffix, n);
    release();
    _data = memo->_real_data;
    _length = want;
    _memo = memo;
    return at;
}

void String::append(const char *s, int suffix_len)
{
    if (!s) {
        ASSERT(suffix_len <= 0);
        suffix_len = 0;
    } else if (suffix_len < 0)
        suffix_len = (int) std::strlen(s);
    if (suffix_len == 0) {
        if (s == out_of_memory_byte)
            make_out_of_memory();
        return;
    }
    extend(suffix_len, s);
}

void String::append_fill(int c, int suffix_len)
{
    ASSERT(suffix_len >= 0);
    if (suffix_len == 0)
        return;
    if (char *at = extend(suffix_len, nullptr))
        std::memset(at, c, suffix_len);
}

char *String::append_garbage(int suffix_len)
{
    ASSERT(suffix_len >= 0);
    if (suffix_len == 0)
        return nullptr;
    return extend(suffix_len, nullptr);
}

// Writable and terminated characters

char *String::mutable_data()
{
    if (_memo->_capacity && _memo->_refcount == 1)
        return const_cast<char *>(_data);
    ASSERT(!_memo->_capacity || _memo->_refcount > 1);
    String copy(_data, _length);
    *this = copy;
    return const_cast<char *>(_data);
}

const char *String::cc()
{
    ASSERT(!_memo->_capacity || _memo->_real_data + _memo->_dirty >= _data + _length);
    char *used_end = _memo->_real_data + _memo->_dirty;
    if (_data + _length == used_end && _memo->_dirty < _memo->_capacity) {
        *used_end = 0;
        _memo->_dirty++;
        return _data;
    }
    // A NUL already after the last character will do; never look past the
    // end of an owned buffer for it.
    bool inside = !_memo->_capacity
        || _data + _length < _memo->_real_data + _memo->_capacity;
    if (inside && _data[_length] == 0)
        return _data;
    String copy(_data, _length);
    *this = copy;
    if (_memo->_dirty >= _memo->_capacity) {  // out of memory, or no room
        make_out_of_memory();
        return _data;
    }
    const_cast<char *>(_data)[_length] = 0;
    _memo->_dirty++;
    return _data;
}

char *String::mutable_c_str()
{
    mutable_data();
    return const_cast<char *>(cc());
}

// Searching and transforming

String String::substring(int left, int len) const
{
    long long l = left, n = len;
    if (l < 0)
        l += _length;
    if (l < 0)
        return String();
    if (n < 0)
        n += _length - l;
    if (n > _length - l)
        n = _length - l;
    if (n <= 0)
        return String();
    return String(_data + l, (int) n, _memo);
}

int String::find_left(int c, int start) const
{
    if (start < 0)
        start = 0;
    if (start >= _length)
        return -1;
    const void *p = std::memchr(_data + start, (unsigned char) c, _length - start);
    return p ? (int) ((const char *) p - _data) : -1;
}

int String::find_left(const String &s, int start) const
{
    if (start < 0)
        start = 0;
    if (start >= _length)
        return -1;
    if (s._length == 0)
        return 0;
    for (int i = start; i + s._length <= _length; i++)
        if (std::memcmp(_data + i, s._data, s._length) == 0)
            return i;
    return -1;
}

int String::find_right(int c, int start) const
{
    if (start >= _length)
        start = _length - 1;
    for (int i = start; i >= 0; i--)
        if (_data[i] == (char) c)
            return i;
    return -1;
}

// A copy of str with convert applied from its first letter in [first, last]
// on, or str itself, sharing its memo, when it has no such letter.
static String with_case_changed(const String &str, char first, char last,
                                int (*convert)(int))
{
    const char *data = str.data();
    int length = str.length();
    for (int i = 0; i < length; i++)
        if (data[i] >= first && data[i] <= last) {
            String s(data, length);
            char *d = s.mutable_data();
            if (s.out_of_memory())
                return s;
            for (int j = i; j < length; j++)
                d[j] = (char) convert((unsigned char) d[j]);
            return s;
        }
    return str;
}

String String::lower() const
{
    return with_case_changed(*this, 'A', 'Z', [](int c) { return std::tolower(c); });
}

String String::upper() const
{
    return with_case_changed(*this, 'a', 'z', [](int c) { return std::toupper(c); });
}

String String::printable() const
{
    int i = 0;
    while (i < _length && _data[i] >= 32 && _data[i] <= 126)
        i++;
    if (i == _length)
        return *this;

    StringAccum sa(_length > INT_MAX / 2 ? INT_MAX : 2 * _length);
    sa.append(_data, i);
    for (; i < _length; i++) {
        unsigned char c = (unsigned char) _data[i];
        if (c >= 32 && c <= 126)
            sa.append((char) c);
        else if (c >= 127) {
            if (char *at = sa.reserve(5))
                sa.forward(std::snprintf(at, 5, "\\%03o", c));
        } else {
            sa.append('^');
            sa.append((char) (c + 64));
        }
    }
    return sa.take_string();
}

int String::hashcode() const
{
    // Bytes are taken as signed chars; unsigned arithmetic wraps like the
    // 32-bit ints it stands for.
    if (_length == 0)
        return 0;
    unsigned s0 = (unsigned) (int) (signed char) _data[0];
    if (_length == 1)
        return (int) (s0 | (s0 << 8));
    unsigned s1 = (unsigned) (int) (signed char) _data[1];
    unsigned len = (unsigned) _length;
    if (_length < 4)
        return (int) ((len << 12) + s0 + 8 * s1);
    unsigned s2 = (unsigned) (int) (signed char) _data[2];
    unsigned s3 = (unsigned char) _data[3];
    unsigned last = (unsigned) (int) (signed char) _data[_length - 1];
    return (int) ((len << 12) + s0 + (s1 << 8) + (s2 << 16) + (s3 << 24) + (last << 10));
}

bool String::equals(const char *s, int len) const
{
    if (len < 0)
        len = s ? (int) std::strlen(s) : 0;
    if (len != _length)
        return false;
    if (s == _data)
        return true;
    if (len > 0)
        return std::memcmp(_data, s, len) == 0;
    if (s == out_of_memory_byte)
        return false;
    return !out_of_memory();
}

int String::compare(const char *s, int len) const
{
    if (len < 0)
        len = s ? (int) std::strlen(s) : 0;
    if (s == _data && len == _length)
        return 0;
    if (len == _length)
        return len ? std::memcmp(_data, s, len) : 0;
    if (_length < len) {
        int c = _length ? std::memcmp(_data, s, _length) : 0;
        return c ? c : -1;
    }
    int c = len ? std::memcmp(_data, s, len) : 0;
    return c ? c : 1;
}
