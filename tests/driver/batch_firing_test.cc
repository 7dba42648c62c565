// The firing work the batch runner repeats: WorldMoveAlarm::tick without a
// redraw does what a firing does to the world, draws nothing and leaves
// the alarm queue alone.
#include <gtest/gtest.h>

#include "display/view.hh"
#include "driver/world_move_alarm.hh"
#include "sim/world.hh"

namespace {

class CountingBody : public Body {
  public:
    void step(double) override { steps++; }
    void draw(View *) override { draws++; }
    bool record_trail() override { records++; return true; }
    int steps = 0, draws = 0, records = 0;
};

TEST(BatchFiring, StepsAndRecordsLikeAFiringWithoutDrawing)
{
    World world;
    View view(640, 520);
    CountingBody a, b;
    world.add_body(&a);
    world.add_body(&b);
    WorldMoveAlarm mover(&world, &view);
    for (int i = 0; i < 13; i++)
        mover.tick(false);
    EXPECT_EQ(a.steps, 52);
    EXPECT_EQ(b.steps, 52);
    EXPECT_EQ(a.records, 3);  // ticks 0, 6 and 12
    EXPECT_EQ(a.draws, 0);
    EXPECT_EQ(mover.tick_count(), 13);
    EXPECT_FALSE(mover.alarm()->scheduled());

    // The same alarm firing through the queue carries on the same counts.
    mover.fire_at(mover.alarm(), Moment(0, 0));
    EXPECT_EQ(a.steps, 56);
    EXPECT_EQ(a.draws, 0);  // tick 13 is no redraw tick
    EXPECT_EQ(mover.tick_count(), 14);
    mover.fire_at(mover.alarm(), Moment(0, 10000));  // tick 14: no
    mover.fire_at(mover.alarm(), Moment(0, 20000));  // tick 15: redraw
    EXPECT_EQ(a.draws, 1);
}

}  // namespace
