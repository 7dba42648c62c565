#include "driver/world_move_alarm.hh"

#include <climits>

#include "sim/world.hh"

const Moment WorldMoveAlarm::min_interval(0, 1000);
const Moment WorldMoveAlarm::max_interval(10, 0);

namespace {

const double step_time_us = 2500;  // one world step per 2.5 ms of interval

// trunc(count), at least 1 (and never past int range).
int at_least_one(double count)
{
    if (!(count >= 1))
        return 1;
    if (count >= INT_MAX)
        return INT_MAX;
    return (int) count;
}

}  // namespace

WorldMoveAlarm::WorldMoveAlarm(World *world, View *view)
    : _world(world), _view(view), _alarm(this), _tick_count(0),
      _paused(false), _interval(0, 10000), _redraw_period(0, 30000),
      _steps_per_tick(4), _ticks_per_redraw(3)
{
    recompute_counts();
}

void WorldMoveAlarm::set_interval(Moment interval)
{
    _interval = interval;
    recompute_counts();
}

void WorldMoveAlarm::set_redraw_period(Moment period)
{
    _redraw_period = period;
    recompute_counts();
}

void WorldMoveAlarm::recompute_counts()
{
    double interval_us = _interval.microseconds();
    _ticks_per_redraw = at_least_one(_redraw_period.microseconds() / interval_us);
    _steps_per_tick = at_least_one(interval_us / step_time_us);
}

void WorldMoveAlarm::tick(bool redraw)
{
    for (int i = 0; i < _steps_per_tick; i++) {
        if (i > 0 && _world->take_break())
            return;
        _world->step();
        _world->collide_pairs();
    }
    // Drawing a large world takes long too.
    if (_world->take_break())
        return;
    if (redraw && _tick_count % (uint64_t) _ticks_per_redraw == 0)
        _world->draw(_view);
    if (_tick_count % 6 == 0)
        _world->record_trails();
    _tick_count++;
}

void WorldMoveAlarm::fire_at(Alarm *alarm, Moment now)
{
    if (!_paused)
        tick(true);
    // Counted from this pass's now, so slow frames lengthen the period.
    alarm->schedule(now + _interval);
}
