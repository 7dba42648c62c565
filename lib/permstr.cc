#include "lib/permstr.hh"

#include <cstddef>
#include <cstdlib>
#include <cstring>

struct PermString::Record {
    Record *link;
    int32_t length;
    char characters[1];  // length bytes, then a NUL
};

namespace {

const int bucket_count = 1024;

// The empty text and every one-character text live in static records
// outside the hash table.
struct SmallRecord {
    PermString::Record *link;
    int32_t length;
    char characters[2];
};

SmallRecord empty_record;
SmallRecord single_records[256];
PermString::Record *buckets[bucket_count];
uint32_t weights[256];

// Fills the static records and the hash weights once, before anything
// makes a PermString (it runs from static initialisation, and again
// harmlessly from the first intern if another initialiser comes first).
bool initialized = false;

void initialize()
{
    if (initialized)
        return;
    initialized = true;
    empty_record.link = nullptr;
    empty_record.length = 0;
    empty_record.characters[0] = 0;
    for (int c = 0; c < 256; c++) {
        single_records[c].link = nullptr;
        single_records[c].length = 1;
        single_records[c].characters[0] = (char) c;
        single_records[c].characters[1] = 0;
    }
    // Distinct pseudo-random weights below 2^31 from a fixed LCG.
    uint32_t x = 0x2545F491u;
    for (int b = 0; b < 256; b++) {
        bool distinct;
        do {
            x = x * 1664525u + 1013904223u;
            uint32_t w = x >> 1;
            distinct = true;
            for (int k = 0; k < b; k++)
                if (weights[k] == w)
                    distinct = false;
            weights[b] = w;
        } while (!distinct);
    }
}

struct Initializer {
    Initializer() { initialize(); }
} initializer;

uint32_t hash(const char *s, int length)
{
    uint32_t h = 0;
    for (int i = 0; i < length; i++)
        h = 2 * h + weights[(unsigned char) s[i]];
    return h;
}

}  // namespace

const char *PermString::intern(const char *s, int length)
{
    initialize();
    if (length == 0)
        return empty_record.characters;
    if (length == 1)
        return single_records[(unsigned char) s[0]].characters;
    Record **bucket = &buckets[hash(s, length) % bucket_count];
    for (Record *r = *bucket; r; r = r->link)
        if (r->length == length && std::memcmp(r->characters, s, length) == 0)
            return r->characters;
    Record *r = (Record *) std::malloc(sizeof(Record) + length);
    if (!r)
        std::abort();
    r->length = length;
    std::memcpy(r->characters, s, length);
    r->characters[length] = 0;
    r->link = *bucket;
    *bucket = r;
    return r->characters;
}

PermString::PermString(const char *s)
    : _s(s ? intern(s, (int) std::strlen(s)) : nullptr)
{
}

PermString::PermString(const char *s, int length)
    : _s(intern(s, length < 0 ? 0 : length))
{
}

PermString::PermString(char c) : _s(intern(&c, 1)) {}

int PermString::length() const
{
    return _s ? *(const int32_t *) (_s - sizeof(int32_t)) : 0;
}

void *PermString::capsule() const
{
    return _s ? (void *) (_s - offsetof(Record, characters)) : nullptr;
}

PermString PermString::decapsule(void *capsule)
{
    PermString p;
    if (capsule)
        p._s = ((Record *) capsule)->characters;
    return p;
}

PermString permcat(PermString a, PermString b)
{
    int la = a.length(), lb = b.length();
    char *buffer = new char[la + lb + 1];
    if (la)
        std::memcpy(buffer, a.c_str(), la);
    if (lb)
        std::memcpy(buffer + la, b.c_str(), lb);
    PermString result(buffer, la + lb);
    delete[] buffer;
    return result;
}
