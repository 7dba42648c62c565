// StringAccum: a growable byte buffer for building text piece by piece.
// Buffers start at 128 bytes and double.  take_string hands the buffer to a
// String without copying.  When memory runs out the accumulator enters an
// out-of-memory state for the rest of its life: it is empty and ignores
// further appends.
#ifndef XTINKERBOT_LIB_STRACCUM_HH
#define XTINKERBOT_LIB_STRACCUM_HH

#include "lib/string.hh"

class StringAccum {
  public:
    StringAccum() : _s(nullptr), _len(0), _cap(0) {}
    explicit StringAccum(int capacity);
    ~StringAccum();

    StringAccum(const StringAccum &) = delete;
    StringAccum &operator=(const StringAccum &) = delete;

    int length() const { return _len; }
    int capacity() const { return _cap; }
    bool out_of_memory() const { return _cap < 0; }
    const char *data() const { return reinterpret_cast<const char *>(_s); }
    void clear() { _len = 0; }

    // Room for hm more bytes: the write position, or null when out of memory.
    char *reserve(int hm);
    // Counts n bytes just written at the write position.
    void forward(int n);

    void append(char c);
    void append(const char *s, int len);
    void append(const String &s) { append(s.data(), s.length()); }
    void append(long l);
    void append(unsigned long u);
    void append(double d);
    // Prints at most n characters; printing more is a caller's error.
    void snprintf(int n, const char *format, ...)
        __attribute__((format(printf, 3, 4)));

    const char *c_str();  // NUL-terminated; the NUL is not counted
    void make_out_of_memory();
    String take_string();

    StringAccum &operator<<(char c) { append(c); return *this; }
    StringAccum &operator<<(const char *cc) { append(cc, -1); return *this; }
    StringAccum &operator<<(const String &s) { append(s); return *this; }
    StringAccum &operator<<(int i) { append((long) i); return *this; }
    StringAccum &operator<<(long l) { append(l); return *this; }
    StringAccum &operator<<(unsigned u) { append((unsigned long) u); return *this; }
    StringAccum &operator<<(unsigned long u) { append(u); return *this; }
    StringAccum &operator<<(double d) { append(d); return *this; }

  private:
    unsigned char *_s;
    int _len;
    int _cap;  // < 0: out of memory

    bool grow(long long want);
};

#endif
