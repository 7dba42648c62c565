// HashMap: maps interned strings to values, keyed by identity.  Open
// addressing with double hashing over a power-of-two array that doubles
// before an insertion finds the table at its threshold (80 % load).
// Entries are never removed.
#ifndef XTINKERBOT_LIB_HASHMAP_HH
#define XTINKERBOT_LIB_HASHMAP_HH

#include <cstdint>

#include "lib/assert.hh"
#include "lib/permstr.hh"

template <typename V>
class HashMap {
  public:
    struct Bucket {
        PermString key;  // null marks an empty bucket
        V value;
    };

    HashMap() : _default(), _capacity(0), _threshold(0), _count(0), _buckets(nullptr)
    {
        grow();
    }
    explicit HashMap(const V &default_value)
        : _default(default_value), _capacity(0), _threshold(0), _count(0),
          _buckets(nullptr)
    {
        grow();
    }
    HashMap(const HashMap<V> &o)
        : _default(o._default), _capacity(o._capacity), _threshold(o._threshold),
          _count(o._count), _buckets(copy_buckets(o))
    {
    }
    ~HashMap() { delete[] _buckets; }

    HashMap<V> &operator=(const HashMap<V> &o)
    {
        if (&o != this) {
            Bucket *old = _buckets;
            _buckets = copy_buckets(o);
            _capacity = o._capacity;
            _threshold = o._threshold;
            _count = o._count;
            _default = o._default;
            delete[] old;
        }
        return *this;
    }

    int capacity() const { return _capacity; }
    int threshold() const { return _threshold; }
    int count() const { return _count; }
    const V &default_value() const { return _default; }

    // The bucket holding key, or the empty bucket where its search ended.
    int find_index(PermString key) const
    {
        uint32_t bits = (uint32_t) (uintptr_t) key.capsule();
        int h = (int) bits;
        int m = _capacity - 1;
        int i = (h >> 2) & m;
        int step = ((h >> 6) & m) | 1;
        while (!_buckets[i].key.null() && _buckets[i].key != key)
            i = (i + step) & m;
        return i;
    }
    const Bucket &bucket(int i) const { return _buckets[i]; }

    const V &find(PermString key) const
    {
        const Bucket &b = _buckets[find_index(key)];
        return b.key.null() ? _default : b.value;
    }

    void insert(PermString key, const V &value)
    {
        ASSERT(!key.null());
        if (_count >= _threshold)
            grow();
        Bucket &b = _buckets[find_index(key)];
        if (b.key.null())
            _count++;
        b.key = key;
        b.value = value;
    }

  private:
    V _default;
    int _capacity;   // a power of two, at least 8
    int _threshold;  // trunc(capacity * 0.8) - 1
    int _count;
    Bucket *_buckets;

    static Bucket *copy_buckets(const HashMap<V> &o)
    {
        Bucket *b = new Bucket[o._capacity];
        for (int i = 0; i < o._capacity; i++)
            b[i] = o._buckets[i];
        return b;
    }

    void grow()
    {
        int old_capacity = _capacity;
        Bucket *old = _buckets;
        _capacity = old_capacity < 4 ? 8 : 2 * old_capacity;
        _threshold = (int) (_capacity * 0.8) - 1;
        _buckets = new Bucket[_capacity];
        for (int i = 0; i < _capacity; i++)
            _buckets[i].key = PermString();
        for (int i = 0; i < old_capacity; i++)
            if (!old[i].key.null())
                _buckets[find_index(old[i].key)] = old[i];
        delete[] old;
    }
};

#endif
