// Vector: the program's growable, bounds-checked array.  The general form
// holds plain values; every vector of pointers is a thin typed wrapper over
// one untyped pointer vector, so all of them share one implementation.
//
// Growth: the first push_back allocates 4 slots, each further push_back on a
// full vector doubles; reserve(k) allocates exactly k.  Capacity never
// shrinks.
#ifndef XTINKERBOT_LIB_VECTOR_HH
#define XTINKERBOT_LIB_VECTOR_HH

#include <climits>
#include <new>

#include "lib/assert.hh"

template <typename T>
class Vector {
  public:
    Vector() : _l(nullptr), _n(0), _cap(0) {}
    explicit Vector(int capacity) : _l(nullptr), _n(0), _cap(0)
    {
        if (capacity)
            reserve(capacity);
    }
    Vector(int n, const T &e) : _l(nullptr), _n(0), _cap(0) { resize(n, e); }
    Vector(const Vector<T> &o) : _l(nullptr), _n(0), _cap(0)
    {
        if (&o == this)
            return;
        if (o._n)
            reserve(o._n);
        for (int i = 0; i < o._n; i++)
            _l[i] = o._l[i];
        _n = o._n;
    }
    ~Vector() { delete[] _l; }

    Vector<T> &operator=(const Vector<T> &o)
    {
        if (&o != this) {
            _n = 0;
            reserve_fresh(o._n);
            for (int i = 0; i < o._n; i++)
                _l[i] = o._l[i];
            _n = o._n;
        }
        return *this;
    }

    int size() const { return _n; }
    int capacity() const { return _cap; }
    bool empty() const { return _n == 0; }

    const T &at(int i) const { ASSERT(i>=0 && i<_n); return _l[i]; }
    T &at(int i) { ASSERT(i>=0 && i<_n); return _l[i]; }
    const T &operator[](int i) const { return at(i); }
    T &operator[](int i) { return at(i); }
    const T &back() const { return at(_n - 1); }
    T &back() { return at(_n - 1); }

    T *begin() { return _l; }
    T *end() { return _l + _n; }
    const T *begin() const { return _l; }
    const T *end() const { return _l + _n; }

    void push_back(const T &e)
    {
        if (_n == _cap) {
            // e may live inside our own storage: copy it before moving.
            T copy = e;
            grow_storage(_cap <= 0 ? 4 : 2 * _cap);
            _l[_n++] = copy;
        } else
            _l[_n++] = e;
    }
    // Like push_back, but false, and the vector unchanged, when its storage
    // cannot grow: no memory, or a size past int range.
    bool try_push_back(const T &e)
    {
        if (_n == _cap) {
            if (_cap > INT_MAX / 2)
                return false;
            int k = _cap <= 0 ? 4 : 2 * _cap;
            T *l = new (std::nothrow) T[k];
            if (!l)
                return false;
            for (int i = 0; i < _n; i++)
                l[i] = _l[i];
            l[_n] = e;  // e may live in the old storage: copied before it goes
            delete[] _l;
            _l = l;
            _cap = k;
            _n++;
        } else
            _l[_n++] = e;
        return true;
    }
    void pop_back() { ASSERT(_n > 0); _n--; }
    void clear() { _n = 0; }
    void shrink(int n) { if (n < _n) _n = n; }

    bool reserve(int k)
    {
        if (k < 0)
            k = (_cap < 1 ? 4 : 2 * _cap);
        if (_cap < k)
            grow_storage(k);
        return true;
    }
    void resize(int n, const T &e)
    {
        T copy = e;
        if (_cap < n)
            reserve(n);
        for (int i = _n; i < n; i++)
            _l[i] = copy;
        _n = n;
    }
    void assign(int n, const T &e)
    {
        T copy = e;
        _n = 0;
        reserve_fresh(n);
        resize(n, copy);
    }
    void swap(Vector<T> &o)
    {
        T *l = _l; int n = _n; int cap = _cap;
        _l = o._l; _n = o._n; _cap = o._cap;
        o._l = l; o._n = n; o._cap = cap;
    }

  private:
    T *_l;
    int _n;
    int _cap;

    void grow_storage(int k)
    {
        T *l = new T[k];
        for (int i = 0; i < _n; i++)
            l[i] = _l[i];
        delete[] _l;
        _l = l;
        _cap = k;
    }
    // Like reserve(k), but the old contents need not survive (_n is 0).
    void reserve_fresh(int k)
    {
        if (_cap < k) {
            delete[] _l;
            _l = new T[k];
            _cap = k;
        }
    }
};

// The untyped pointer vector on which every typed pointer vector is built.
template <>
class Vector<void *> {
  public:
    Vector() : _l(nullptr), _n(0), _cap(0) {}
    explicit Vector(int capacity);
    Vector(int n, void *e);
    Vector(const Vector<void *> &o);
    ~Vector() { delete[] _l; }
    Vector<void *> &operator=(const Vector<void *> &o);

    int size() const { return _n; }
    int capacity() const { return _cap; }
    bool empty() const { return _n == 0; }

    void *at(int i) const { ASSERT(i>=0 && i<_n); return _l[i]; }
    void *&at(int i) { ASSERT(i>=0 && i<_n); return _l[i]; }
    void *operator[](int i) const { return at(i); }
    void *&operator[](int i) { return at(i); }
    void *back() const { return at(_n - 1); }
    void *&back() { return at(_n - 1); }

    void **begin() { return _l; }
    void **end() { return _l + _n; }
    void *const *begin() const { return _l; }
    void *const *end() const { return _l + _n; }

    void push_back(void *e)
    {
        if (_n == _cap)
            grow_storage(_cap <= 0 ? 4 : 2 * _cap);
        _l[_n++] = e;
    }
    void pop_back() { ASSERT(_n > 0); _n--; }
    void clear() { _n = 0; }
    void shrink(int n) { if (n < _n) _n = n; }
    bool reserve(int k);
    void resize(int n, void *e);
    void assign(int n, void *e);
    void swap(Vector<void *> &o);

  private:
    void **_l;
    int _n;
    int _cap;

    void grow_storage(int k);
};

// Typed pointer vectors: convert on access, forward everything else.
template <typename T>
class Vector<T *> {
  public:
    Vector() {}
    explicit Vector(int capacity) : _v(capacity) {}
    Vector(int n, T *e) : _v(n, (void *) e) {}

    int size() const { return _v.size(); }
    int capacity() const { return _v.capacity(); }
    bool empty() const { return _v.empty(); }

    T *at(int i) const { return static_cast<T *>(_v.at(i)); }
    T *&at(int i) { return *slot(&_v.at(i)); }
    T *operator[](int i) const { return at(i); }
    T *&operator[](int i) { return at(i); }
    T *back() const { return static_cast<T *>(_v.back()); }
    T *&back() { return *slot(&_v.back()); }

    T **begin() { return slot(_v.begin()); }
    T **end() { return slot(_v.end()); }
    T *const *begin() const { return slot(_v.begin()); }
    T *const *end() const { return slot(_v.end()); }

    void push_back(T *e) { _v.push_back((void *) e); }
    void pop_back() { _v.pop_back(); }
    void clear() { _v.clear(); }
    void shrink(int n) { _v.shrink(n); }
    bool reserve(int k) { return _v.reserve(k); }
    void resize(int n, T *e) { _v.resize(n, (void *) e); }
    void assign(int n, T *e) { _v.assign(n, (void *) e); }
    void swap(Vector<T *> &o) { _v.swap(o._v); }

  private:
    Vector<void *> _v;

    // The untyped slots seen as typed ones.  Going through void * (not a
    // reinterpret_cast of void **) also works when T is const-qualified.
    static T **slot(void **p) { return static_cast<T **>(static_cast<void *>(p)); }
    static T *const *slot(void *const *p)
    {
        return static_cast<T *const *>(static_cast<const void *>(p));
    }
};

#endif
