#include "sim/step_pool.hh"

#include "sim/vehicle.hh"

namespace {

// The fewest bodies taken at a time: enough that the shared counter is
// touched rarely.
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

// Each share is a slice of what is left, shrinking as the run is used up:
// a thread steps long stretches of consecutive vehicles, whose memory lies
// together (fixed shares of 64 handed out in turn cost each thread a third
// of its speed), and a thread slowed by other work on the machine still
// leaves the end of the run to the others.
void StepPool::take_shares()
{
    int first = _next.load(std::memory_order_relaxed);
    for (;;) {
        if (first >= _n)
            return;
        int size = (_n - first) / (2 * threads());
        if (size < share_size)
            size = share_size;
        if (!_next.compare_exchange_weak(first, first + size, std::memory_order_relaxed))
            continue;
        int last = first + size < _n ? first + size : _n;
        Vehicle::step_independent(_bodies + first, last - first, _dt);
        first = _next.load(std::memory_order_relaxed);
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
