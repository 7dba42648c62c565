#include "driver/world_move_alarm.hh"

#include <gtest/gtest.h>

#include "display/view.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

// A body that only counts what the world asks of it.
class CountingBody : public Body {
  public:
    void step(double dt) override { steps++; last_dt = dt; }
    void draw(View *) override { draws++; }
    bool record_trail() override { records++; return true; }
    int steps = 0, draws = 0, records = 0;
    double last_dt = 0;
};

TEST(WorldMoveAlarm, Defaults)
{
    WorldMoveAlarm a(nullptr, nullptr);
    EXPECT_EQ(a.interval(), Moment(0, 10000));
    EXPECT_EQ(a.redraw_period(), Moment(0, 30000));
    EXPECT_EQ(a.steps_per_tick(), 4);
    EXPECT_EQ(a.ticks_per_redraw(), 3);
    EXPECT_EQ(a.tick_count(), 0);
    EXPECT_FALSE(a.paused());
    EXPECT_FALSE(a.alarm()->scheduled());
    a.set_redraw_period(Moment(0, 120000));
    EXPECT_EQ(a.ticks_per_redraw(), 12);
    EXPECT_EQ(a.steps_per_tick(), 4);
}

TEST(WorldMoveAlarm, CountsFollowTheIntervalUnderRepeatedSpeedKeys)
{
    struct Expected {
        int64_t usec;
        int steps, ticks;
    };
    struct Case {
        double factor;
        Expected sequence[5];
        int length;
    } cases[] = {
        {0.8, {{8000, 3, 3}, {6400, 2, 4}, {5120, 2, 5}, {4096, 1, 7},
               {3276, 1, 9}}, 5},
        {1.25, {{12500, 5, 2}, {15625, 6, 1}, {19531, 7, 1}}, 3},
    };
    for (const Case &c : cases) {
        WorldMoveAlarm a(nullptr, nullptr);
        for (int i = 0; i < c.length; i++) {
            a.set_interval(scaled(a.interval(), c.factor));
            const Expected &e = c.sequence[i];
            EXPECT_EQ(a.interval(), Moment(0, e.usec));
            EXPECT_EQ(a.steps_per_tick(), e.steps) << e.usec << " us";
            EXPECT_EQ(a.ticks_per_redraw(), e.ticks) << e.usec << " us";
        }
    }
}

TEST(WorldMoveAlarm, DegenerateIntervalsKeepCountsAtLeastOne)
{
    WorldMoveAlarm a(nullptr, nullptr);
    a.set_interval(Moment(0, 0));
    EXPECT_EQ(a.steps_per_tick(), 1);
    EXPECT_GE(a.ticks_per_redraw(), 1);
    a.set_interval(Moment(0, 1000));
    EXPECT_EQ(a.steps_per_tick(), 1);
    EXPECT_EQ(a.ticks_per_redraw(), 30);
}

class FiringTest : public ::testing::Test {
  protected:
    FiringTest() : view(640, 520), alarm(&world, &view)
    {
        world.add_body(&a);
        world.add_body(&b);
    }
    void fire(int times)
    {
        for (int i = 0; i < times; i++) {
            clock = clock + Moment(0, 10000);
            alarm.fire_at(alarm.alarm(), clock);
        }
    }
    World world;
    View view;
    WorldMoveAlarm alarm;
    CountingBody a, b;
    Moment clock;
};

TEST_F(FiringTest, StepsEveryFiringDrawsEveryThirdRecordsEverySixth)
{
    fire(1);  // the first firing steps, draws and records
    EXPECT_EQ(a.steps, 4);
    EXPECT_DOUBLE_EQ(a.last_dt, 0.1);
    EXPECT_EQ(a.draws, 1);
    EXPECT_EQ(a.records, 1);
    fire(11);
    EXPECT_EQ(alarm.tick_count(), 12);
    EXPECT_EQ(a.steps, 48);
    EXPECT_EQ(b.steps, 48);
    EXPECT_EQ(a.draws, 4);   // ticks 0, 3, 6, 9
    EXPECT_EQ(a.records, 2); // ticks 0, 6
    fire(1);                 // tick 12
    EXPECT_EQ(a.draws, 5);
    EXPECT_EQ(a.records, 3);
}

TEST_F(FiringTest, ReschedulesOneIntervalAfterTheFiringMoment)
{
    fire(1);
    EXPECT_TRUE(alarm.alarm()->scheduled());
    EXPECT_EQ(alarm.alarm()->when(), clock + Moment(0, 10000));
    alarm.set_interval(Moment(0, 8000));
    fire(1);
    EXPECT_EQ(alarm.alarm()->when(), clock + Moment(0, 8000));
    EXPECT_EQ(a.steps, 4 + 3);
}

TEST_F(FiringTest, DoubleBufferedRedrawPeriodDrawsEveryTwelfth)
{
    alarm.set_redraw_period(Moment(0, 120000));
    fire(25);
    EXPECT_EQ(a.draws, 3);  // ticks 0, 12, 24
}

TEST_F(FiringTest, PausedFreezesTheWorldAndTheCountButKeepsFiring)
{
    fire(2);
    alarm.toggle_paused();
    fire(5);
    EXPECT_EQ(a.steps, 8);
    EXPECT_EQ(a.draws, 1);
    EXPECT_EQ(a.records, 1);
    EXPECT_EQ(alarm.tick_count(), 2);
    EXPECT_EQ(alarm.alarm()->when(), clock + Moment(0, 10000));
    alarm.toggle_paused();
    fire(1);  // tick 2 continues where it stopped: steps, no draw
    EXPECT_EQ(a.steps, 12);
    EXPECT_EQ(a.draws, 1);
    fire(1);  // tick 3 draws
    EXPECT_EQ(a.draws, 2);
}

// 2^31 - 1 is the last count an int holds; the rhythm must go on past it.
TEST_F(FiringTest, KeepsItsRhythmPastTwoToTheThirtyOneFirings)
{
    alarm.set_tick_count(2147483647);
    fire(6);  // firings 2^31 - 1 to 2^31 + 4
    EXPECT_EQ(alarm.tick_count(), 2147483653u);
    EXPECT_EQ(a.draws, 2);    // 2^31 + 1 and 2^31 + 4 are multiples of 3
    EXPECT_EQ(a.records, 1);  // 2^31 + 4 is a multiple of 6
}

TEST_F(FiringTest, RunsThroughTheQueue)
{
    alarm.alarm()->schedule(Moment(0, 0));
    run_due_alarms(Moment(0, 0));
    EXPECT_EQ(a.steps, 4);
    run_due_alarms(Moment(0, 9999));
    EXPECT_EQ(a.steps, 4);
    run_due_alarms(Moment(0, 10000));
    EXPECT_EQ(a.steps, 8);
    EXPECT_EQ(alarm_queue, alarm.alarm());
}

// Breaks come between steps and before the drawing; one that asks to stop
// abandons the rest of the firing.
TEST_F(FiringTest, WorkBreaksComeBetweenStepsAndAStopAbandonsTheFiring)
{
    StopAt never(1000);
    world.set_work_break(&never);
    fire(2);
    EXPECT_EQ(never.breaks, 8);
    EXPECT_EQ(a.steps, 8);
    EXPECT_EQ(a.draws, 1);
    StopAt second(2);
    world.set_work_break(&second);
    fire(1);
    EXPECT_EQ(a.steps, 10);
    EXPECT_EQ(b.steps, 10);
    StopAt last(4);
    world.set_work_break(&last);
    alarm.set_redraw_period(alarm.interval());  // would draw every firing
    fire(1);
    EXPECT_EQ(a.steps, 14);
    EXPECT_EQ(a.draws, 1) << "stopped before drawing";
    world.set_work_break(nullptr);
}

}  // namespace
