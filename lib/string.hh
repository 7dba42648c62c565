// String: a reference-counted byte string.  Copies and substrings share one
// buffer record, a Memo.  Appending writes into the shared buffer in place
// when this string ends exactly where the buffer's used part ends and there
// is room; otherwise it copies into a new buffer, so an append never changes
// bytes another String can see.  When memory runs out a String becomes the
// out-of-memory string (always empty), which absorbs further appends, so
// code that builds text need not check every step.
//
// Strings are byte strings: they may hold NULs, no encoding is assumed, and
// lengths are ints.
#ifndef XTINKERBOT_LIB_STRING_HH
#define XTINKERBOT_LIB_STRING_HH

class PermString;

// A buffer shared by Strings.  Memos with _capacity 0 (the null and the
// permanent memo) never own or extend a buffer.
struct Memo {
    int _refcount;     // Strings referring to this memo
    int _capacity;     // buffer size in bytes; 0 when the buffer is not ours
    int _dirty;        // bytes in use from the buffer start; next append goes here
    char *_real_data;

    // A new memo with a buffer of capacity bytes, dirty of them in use.
    // The buffer pointer is null if it could not be allocated.
    Memo(int dirty, int capacity);
    // Adopts buffer (allocated with array new).
    Memo(char *buffer, int dirty, int capacity);
    // For the process-wide memos, which live in static storage.
    constexpr Memo(int refcount, int capacity, int dirty, char *data)
        : _refcount(refcount), _capacity(capacity), _dirty(dirty), _real_data(data)
    {
    }
    ~Memo();

    Memo(const Memo &) = delete;
    Memo &operator=(const Memo &) = delete;
};

class String {
  public:
    String();
    String(const String &s);
    String(const char *cc);                 // up to the NUL; null gives ""
    String(const char *s, int length);      // length -1: up to the NUL
    explicit String(int i);
    explicit String(unsigned u);
    explicit String(long l);
    explicit String(unsigned long u);
    explicit String(double d);
    explicit String(PermString p);          // p must not be null
    ~String();

    // Adopts buffer (array new), len bytes used out of capacity.
    static String claim_string(char *str, int len, int capacity);
    // Refers to static characters without copying (length -1: up to NUL).
    static String stable_string(const char *s, int length = -1);
    static String garbage_string(int n);
    static String fill_string(int c, int n);
    static String out_of_memory_string();
    // The out-of-memory string's one-byte buffer: appending it (with
    // length 0) marks a String or StringAccum as out of memory.
    static const char *out_of_memory_data();

    String &operator=(const String &s);
    String &operator=(const char *cc) { assign(cc, -1); return *this; }

    int length() const { return _length; }
    bool empty() const { return _length == 0; }
    const char *data() const { return _data; }
    const char *begin() const { return _data; }
    const char *end() const { return _data + _length; }
    char operator[](int i) const { return _data[i]; }
    bool out_of_memory() const;
    const Memo *memo() const { return _memo; }

    void assign(const char *s, int length);
    void append(const char *s, int suffix_len);
    void append(const String &s) { append(s._data, s._length); }
    void append(char c) { append(&c, 1); }
    void append_fill(int c, int suffix_len);
    // Appends suffix_len bytes of unspecified contents; returns where they
    // start (null when out of memory).
    char *append_garbage(int suffix_len);
    String &operator+=(const String &s) { append(s); return *this; }
    String &operator+=(const char *cc) { append(cc, -1); return *this; }
    String &operator+=(char c) { append(c); return *this; }
    void make_out_of_memory();

    char *mutable_data();
    const char *cc();                  // NUL-terminated characters
    const char *c_str() { return cc(); }
    char *mutable_c_str();

    // left < 0 counts from the end; length < 0 stops that many from the end.
    String substring(int left, int length) const;
    String substring(int left) const { return substring(left, _length); }
    int find_left(int c, int start = 0) const;
    int find_left(const String &s, int start = 0) const;
    int find_right(int c, int start = 0x7FFFFFFF) const;

    String lower() const;
    String upper() const;
    String printable() const;
    int hashcode() const;

    bool equals(const char *s, int length) const;
    int compare(const char *s, int length) const;
    int compare(const String &s) const { return compare(s._data, s._length); }

  private:
    const char *_data;
    int _length;
    Memo *_memo;

    String(const char *data, int length, Memo *memo);
    void release();
    char *extend(int n, const char *suffix);
};

inline bool operator==(const String &a, const String &b)
{
    return a.equals(b.data(), b.length());
}
inline bool operator==(const String &a, const char *b) { return a.equals(b, -1); }
inline bool operator==(const char *a, const String &b) { return b.equals(a, -1); }
inline bool operator!=(const String &a, const String &b) { return !(a == b); }
inline bool operator!=(const String &a, const char *b) { return !(a == b); }
inline bool operator!=(const char *a, const String &b) { return !(a == b); }
inline bool operator<(const String &a, const String &b) { return a.compare(b) < 0; }

inline String operator+(String a, const String &b) { a += b; return a; }
inline String operator+(String a, const char *b) { a += b; return a; }
inline String operator+(String a, char b) { a += b; return a; }

#endif
