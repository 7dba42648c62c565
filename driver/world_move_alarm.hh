// WorldMoveAlarm: the heartbeat of the simulation.  Every firing runs the
// world a few steps, redraws it every few firings, records trail points
// every sixth firing, and reschedules itself one interval after the moment
// it fired.  Pausing stops the work but not the rescheduling.
//
// A firing of a large world can take seconds.  Between its steps the alarm
// asks the world's work break, where the program answers its user; a quit
// abandons the rest of the firing.  Otherwise the world goes through the
// same steps in the same order as without the breaks.
#ifndef XTINKERBOT_DRIVER_WORLD_MOVE_ALARM_HH
#define XTINKERBOT_DRIVER_WORLD_MOVE_ALARM_HH

#include <cstdint>

#include "driver/alarm.hh"

class World;
class View;

class WorldMoveAlarm : public AlarmHooks {
  public:
    WorldMoveAlarm(World *world, View *view);
    ~WorldMoveAlarm() { _alarm.unschedule(); }

    void fire_at(Alarm *alarm, Moment now) override;
    // One firing's work on the world, without the rescheduling: the steps
    // with their collisions, a redraw every few firings when redraw is
    // set, trail points every sixth firing.  The batch runner calls it
    // with redraw false.  Nothing of it after a work break that asks to
    // stop.
    void tick(bool redraw);

    // The shortest interval the speed keys may reach: shorter ones would
    // keep the main loop firing instead of reading events.
    static const Moment min_interval;
    // The longest: the alarm is rescheduled only when it fires, so a
    // longer one would leave a faster speed waiting that long to apply
    // (and far longer ones no longer fit in a Moment).
    static const Moment max_interval;

    Moment interval() const { return _interval; }
    void set_interval(Moment interval);
    Moment redraw_period() const { return _redraw_period; }
    void set_redraw_period(Moment period);

    bool paused() const { return _paused; }
    void set_paused(bool paused) { _paused = paused; }
    void toggle_paused() { _paused = !_paused; }

    // 64 bits: an int would overflow after 2^31 firings, some 25 days at
    // the shortest interval.
    uint64_t tick_count() const { return _tick_count; }
    // For resuming a count, and for looking at the rhythm far into a run.
    void set_tick_count(uint64_t count) { _tick_count = count; }
    int steps_per_tick() const { return _steps_per_tick; }
    int ticks_per_redraw() const { return _ticks_per_redraw; }
    Alarm *alarm() { return &_alarm; }

  private:
    World *_world;
    View *_view;
    Alarm _alarm;
    uint64_t _tick_count;   // firings done while not paused
    bool _paused;
    Moment _interval;       // time between firings
    Moment _redraw_period;  // time between redraws
    int _steps_per_tick;    // max(1, interval / 2.5 ms)
    int _ticks_per_redraw;  // max(1, redraw period / interval)

    void recompute_counts();
};

#endif
