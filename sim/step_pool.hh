// StepPool: worker threads that step a run of vehicles side by side.
//
// The world hands it a run of vehicles whose steps depend on nothing that
// another vehicle of the run changes (each senses only lights that do not
// move during the run), so the order in which they are stepped cannot
// change a bit.  The workers are started once and kept across steps; a
// step hands them its run and waits until every vehicle has stepped.
// Handing over a run allocates nothing.
#ifndef XTINKERBOT_SIM_STEP_POOL_HH
#define XTINKERBOT_SIM_STEP_POOL_HH

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class Body;

class StepPool {
  public:
    // threads counts the caller: threads - 1 workers are started.
    explicit StepPool(int threads);
    ~StepPool();

    int threads() const { return (int) _workers.size() + 1; }

    // bodies[0, n)->step(dt), spread over the caller and the workers.
    void step_all(Body *const *bodies, int n, double dt);

    StepPool(const StepPool &) = delete;
    StepPool &operator=(const StepPool &) = delete;

  private:
    std::mutex _mutex;
    std::condition_variable _wake;  // a new run, or the end
    std::condition_variable _done;  // the last worker left the run
    unsigned _round;                // counts runs handed over
    // Workers may join the current run only while it is open: one that
    // wakes after the caller finished the run has nothing to do, and the
    // caller does not wait for it.
    bool _open;
    int _busy;                      // workers that joined and are not done
    bool _stopping;
    // The current run; workers read it after seeing _round change.
    Body *const *_bodies;
    int _n;
    double _dt;
    std::atomic<int> _next;  // first body of the run nobody has taken yet
    std::vector<std::thread> _workers;

    void work();
    void take_shares();
};

// The number of cores, at least 1.
int core_count();

#endif
