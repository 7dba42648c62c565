#include "sim/step_pool.hh"

#include "sim/vehicle.hh"

namespace {

// Bodies taken at a time: large enough that the shared counter is touched
// rarely, small enough that a thread slowed by other work on the machine
// leaves the rest of the run to the others.
const int share_size = 64;

}  // namespace

int core_count()
{
    unsigned n = std::thread::hardware_concurrency();
    return n > 0 ? (int) n : 1;
}

StepPool::StepPool(int threads)
    : _round(0), _open(false), _busy(0), _stopping(false), _bodies(nullptr), _n(0), _dt(0), _next(0)
{
    for (int i = 1; i < threads; i++)
        _workers.emplace_back(&StepPool::work, this);
}

StepPool::~StepPool()
{
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _stopping = true;
    }
    _wake.notify_all();
    for (std::thread &t : _workers)
        t.join();
}

void StepPool::take_shares()
{
    for (;;) {
        int first = _next.fetch_add(share_size, std::memory_order_relaxed);
        if (first >= _n)
            return;
        int last = first + share_size < _n ? first + share_size : _n;
        Vehicle::step_independent(_bodies + first, last - first, _dt);
    }
}

void StepPool::step_all(Body *const *bodies, int n, double dt)
{
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _bodies = bodies;
        _n = n;
        _dt = dt;
        _next.store(0, std::memory_order_relaxed);
        _open = true;
        _round++;
    }
    _wake.notify_all();
    take_shares();
    // Every body has been taken; wait until the workers that joined have
    // finished theirs.  The mutex orders their writes before whatever the
    // caller does next.
    std::unique_lock<std::mutex> lock(_mutex);
    _open = false;
    _done.wait(lock, [this] { return _busy == 0; });
}

void StepPool::work()
{
    unsigned seen = 0;
    std::unique_lock<std::mutex> lock(_mutex);
    for (;;) {
        _wake.wait(lock, [&] { return _stopping || _round != seen; });
        if (_stopping)
            return;
        seen = _round;
        if (!_open)
            continue;
        _busy++;
        lock.unlock();
        take_shares();
        lock.lock();
        if (--_busy == 0 && !_open)
            _done.notify_one();
    }
}
