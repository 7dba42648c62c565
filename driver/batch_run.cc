#include "driver/batch_run.hh"

#include "driver/progress.hh"
#include "driver/trace_writer.hh"
#include "driver/world_move_alarm.hh"
#include "lib/assert.hh"

unsigned run_firings(WorldMoveAlarm &mover, unsigned firings, TraceWriter *trace,
                     unsigned every, Progress *progress)
{
    ASSERT(every > 0);
    unsigned long long steps = mover.steps_per_tick();
    if (trace)
        trace->sample(0, 0);
    unsigned done = 0;
    while (done < firings && (!trace || trace->ok())) {
        mover.tick(false);
        done++;
        if (trace && (done % every == 0 || done == firings))
            trace->sample(done, done * steps);
        if (progress)
            progress->update(done);
    }
    return done;
}
