#include "lib/vector.hh"

Vector<void *>::Vector(int capacity) : _l(nullptr), _n(0), _cap(0)
{
    if (capacity)
        reserve(capacity);
}

Vector<void *>::Vector(int n, void *e) : _l(nullptr), _n(0), _cap(0)
{
    resize(n, e);
}

Vector<void *>::Vector(const Vector<void *> &o) : _l(nullptr), _n(0), _cap(0)
{
    if (&o == this)
        return;
    if (o._n)
        reserve(o._n);
    for (int i = 0; i < o._n; i++)
        _l[i] = o._l[i];
    _n = o._n;
}

Vector<void *> &Vector<void *>::operator=(const Vector<void *> &o)
{
    if (&o != this) {
        _n = 0;
        if (_cap < o._n) {
            delete[] _l;
            _l = new void *[o._n];
            _cap = o._n;
        }
        for (int i = 0; i < o._n; i++)
            _l[i] = o._l[i];
        _n = o._n;
    }
    return *this;
}

void Vector<void *>::grow_storage(int k)
{
    void **l = new void *[k];
    for (int i = 0; i < _n; i++)
        l[i] = _l[i];
    delete[] _l;
    _l = l;
    _cap = k;
}

bool Vector<void *>::reserve(int k)
{
    if (k < 0)
        k = (_cap < 1 ? 4 : 2 * _cap);
    if (_cap < k)
        grow_storage(k);
    return true;
}

void Vector<void *>::resize(int n, void *e)
{
    if (_cap < n)
        reserve(n);
    for (int i = _n; i < n; i++)
        _l[i] = e;
    _n = n;
}

void Vector<void *>::assign(int n, void *e)
{
    _n = 0;
    if (_cap < n) {
        delete[] _l;
        _l = new void *[n];
        _cap = n;
    }
    resize(n, e);
}

void Vector<void *>::swap(Vector<void *> &o)
{
    void **l = _l; int n = _n; int cap = _cap;
    _l = o._l; _n = o._n; _cap = o._cap;
    o._l = l; o._n = n; o._cap = cap;
}
