// The batch runner's firings: the world-move alarm's work back to back,
// with the trace sampled on the way and the progress line kept up.
#ifndef XTINKERBOT_DRIVER_BATCH_RUN_HH
#define XTINKERBOT_DRIVER_BATCH_RUN_HH

class Progress;
class TraceWriter;
class WorldMoveAlarm;

// Runs `firings' firings.  A trace (may be null, else started) gets the
// state before the first firing, after every `every'-th and after the
// last; the run stops early when the trace fails.  Returns the firings
// done.
unsigned run_firings(WorldMoveAlarm &mover, unsigned firings, TraceWriter *trace,
                     unsigned every, Progress *progress);

#endif
