#include "driver/alarm.hh"

#include <gtest/gtest.h>

#include <string>

namespace {

// Hooks that log their name each time they fire, and may reschedule.
class LogHooks : public AlarmHooks {
  public:
    LogHooks(std::string *log, char name, Moment again = Moment())
        : _log(log), _name(name), _again(again) {}
    void fire_at(Alarm *alarm, Moment now) override
    {
        *_log += _name;
        fired_at = now;
        if (_again != Moment())
            alarm->schedule(now + _again);
    }
    Moment fired_at;

  private:
    std::string *_log;
    char _name;
    Moment _again;
};

// The order of the queue, as the names of its alarms' hooks.
std::string queue_order(const Alarm *a, const Alarm *b, const Alarm *c)
{
    std::string order;
    for (Alarm *x = alarm_queue; x; x = x->next())
        order += x == a ? 'a' : x == b ? 'b' : x == c ? 'c' : '?';
    return order;
}

TEST(Alarm, QueueOrderedByTimeEqualTimesInSchedulingOrder)
{
    std::string log;
    LogHooks ha(&log, 'a'), hb(&log, 'b'), hc(&log, 'c');
    Alarm a(&ha), b(&hb), c(&hc);
    b.schedule(Moment(1, 0));
    a.schedule(Moment(2, 0));
    c.schedule(Moment(1, 0));
    EXPECT_EQ(queue_order(&a, &b, &c), "bca");
    EXPECT_TRUE(a.scheduled() && b.scheduled() && c.scheduled());

    run_due_alarms(Moment(2, 0));
    EXPECT_EQ(log, "bca");
    EXPECT_EQ(alarm_queue, nullptr);
    EXPECT_FALSE(a.scheduled() || b.scheduled() || c.scheduled());
}

TEST(Alarm, ReschedulingMovesInsteadOfDuplicating)
{
    std::string log;
    LogHooks ha(&log, 'a'), hb(&log, 'b'), hc(&log, 'c');
    Alarm a(&ha), b(&hb), c(&hc);
    a.schedule(Moment(1, 0));
    b.schedule(Moment(2, 0));
    c.schedule(Moment(3, 0));
    a.schedule(Moment(2, 0));  // after b: equal times keep scheduling order
    EXPECT_EQ(queue_order(&a, &b, &c), "bac");
    c.schedule(Moment(0, 5));
    EXPECT_EQ(queue_order(&a, &b, &c), "cba");
    EXPECT_EQ(a.when(), Moment(2, 0));

    b.unschedule();
    EXPECT_FALSE(b.scheduled());
    EXPECT_EQ(queue_order(&a, &b, &c), "ca");
    b.unschedule();  // harmless when not queued
    EXPECT_EQ(queue_order(&a, &b, &c), "ca");
    c.unschedule();
    a.unschedule();
    EXPECT_EQ(alarm_queue, nullptr);
}

TEST(Alarm, OnlyDueAlarmsFireAndAllSeeTheSameNow)
{
    std::string log;
    LogHooks ha(&log, 'a'), hb(&log, 'b');
    Alarm a(&ha), b(&hb);
    a.schedule(Moment(1, 999999));
    b.schedule(Moment(2, 1));
    run_due_alarms(Moment(2, 0));
    EXPECT_EQ(log, "a");
    EXPECT_EQ(ha.fired_at, Moment(2, 0));
    EXPECT_TRUE(b.scheduled());
    run_due_alarms(Moment(2, 1));
    EXPECT_EQ(log, "ab");
}

TEST(Alarm, SelfReschedulingAlarmWaitsForTheNextPass)
{
    std::string log;
    LogHooks ha(&log, 'a', Moment(0, 10000));
    Alarm a(&ha);
    a.schedule(Moment(0, 0));
    run_due_alarms(Moment(1, 0));
    EXPECT_EQ(log, "a");
    EXPECT_TRUE(a.scheduled());
    EXPECT_EQ(a.when(), Moment(1, 10000));
    run_due_alarms(Moment(1, 9999));
    EXPECT_EQ(log, "a");
    run_due_alarms(Moment(1, 10000));
    EXPECT_EQ(log, "aa");
}

TEST(Alarm, DestroyingAQueuedAlarmLeavesTheQueue)
{
    std::string log;
    LogHooks ha(&log, 'a');
    Alarm keep(&ha);
    keep.schedule(Moment(5, 0));
    {
        Alarm gone(&ha);
        gone.schedule(Moment(1, 0));
        EXPECT_EQ(alarm_queue, &gone);
    }
    EXPECT_EQ(alarm_queue, &keep);
    EXPECT_EQ(keep.next(), nullptr);
}

}  // namespace
