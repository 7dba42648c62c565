#include "driver/alarm.hh"

Alarm *alarm_queue = nullptr;

void Alarm::schedule(Moment when)
{
    unschedule();
    _when = when;
    Alarm **link = &alarm_queue;
    while (*link && (*link)->_when <= when)
        link = &(*link)->_next;
    _next = *link;
    *link = this;
    _scheduled = true;
}

void Alarm::unschedule()
{
    if (!_scheduled)
        return;
    for (Alarm **link = &alarm_queue; *link; link = &(*link)->_next)
        if (*link == this) {
            *link = _next;
            break;
        }
    _next = nullptr;
    _scheduled = false;
}

void run_due_alarms(Moment now)
{
    while (alarm_queue && alarm_queue->_when <= now) {
        Alarm *alarm = alarm_queue;
        alarm_queue = alarm->_next;
        alarm->_next = nullptr;
        alarm->_scheduled = false;
        alarm->_hooks->fire_at(alarm, now);
    }
}
