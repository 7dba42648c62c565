// PermString: an immutable, permanent, interned string.  Every distinct
// text exists once in the process, so equality and hashing are pointer
// operations.  The pointer is the NUL-terminated text; the length sits just
// before it.  Interned texts are never freed.
#ifndef XTINKERBOT_LIB_PERMSTR_HH
#define XTINKERBOT_LIB_PERMSTR_HH

#include <cstdint>

class PermString {
  public:
    struct Record;  // link, length, characters

    PermString() : _s(nullptr) {}
    PermString(const char *s);
    PermString(const char *s, int length);
    explicit PermString(char c);

    bool null() const { return _s == nullptr; }
    explicit operator bool() const { return _s != nullptr; }
    int length() const;
    const char *c_str() const { return _s; }
    char operator[](int i) const { return _s[i]; }

    bool operator==(PermString o) const { return _s == o._s; }
    bool operator!=(PermString o) const { return _s != o._s; }

    // The pointer to the whole record, for code that stores plain pointers.
    void *capsule() const;
    static PermString decapsule(void *capsule);

  private:
    const char *_s;

    static const char *intern(const char *s, int length);
    friend PermString permcat(PermString a, PermString b);
};

PermString permcat(PermString a, PermString b);

#endif
