// Alarms: timed callbacks kept in one process-wide queue ordered by due
// time.  The main loop runs the alarms that are due and sleeps until the
// next one; an AlarmHooks object says what an alarm does when it fires.
#ifndef XTINKERBOT_DRIVER_ALARM_HH
#define XTINKERBOT_DRIVER_ALARM_HH

#include "driver/moment.hh"

class Alarm;

class AlarmHooks {
  public:
    virtual ~AlarmHooks() {}
    virtual void fire(Alarm *) {}
    virtual void fire_at(Alarm *alarm, Moment) { fire(alarm); }
};

class Alarm {
  public:
    explicit Alarm(AlarmHooks *hooks)
        : _scheduled(false), _hooks(hooks), _next(nullptr) {}
    ~Alarm() { unschedule(); }

    // Queues the alarm at `when', after every alarm due at or before it;
    // an alarm already queued moves instead of appearing twice.
    void schedule(Moment when);
    // Takes the alarm out of the queue; nothing happens if it is not queued.
    void unschedule();

    bool scheduled() const { return _scheduled; }
    Moment when() const { return _when; }
    AlarmHooks *hooks() const { return _hooks; }
    Alarm *next() const { return _next; }

  private:
    bool _scheduled;
    Moment _when;
    AlarmHooks *_hooks;
    Alarm *_next;  // following entry of alarm_queue

    friend void run_due_alarms(Moment now);

    Alarm(const Alarm &) = delete;
    Alarm &operator=(const Alarm &) = delete;
};

// The first queued alarm, null when the queue is empty.
extern Alarm *alarm_queue;

// Fires, in queue order, every alarm due at or before now; each sees the
// same now.  An alarm that reschedules itself later than now waits for the
// next call.
void run_due_alarms(Moment now);

#endif
