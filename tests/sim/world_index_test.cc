// The world's indexes (emitters by kind, the collision grid), the
// arithmetic shortcuts of vehicles and sensors, and the threads that step
// vehicles side by side must not change one bit of a run.  Each test
// builds identical worlds, switches one to the reference algorithms, runs
// them side by side and compares every position, velocity, heading, spin
// and reading exactly after every step.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "display/view.hh"
#include "driver/catalogue.hh"
#include "sim/actuator.hh"
#include "sim/expr.hh"
#include "sim/light.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"
#include "tests/sim/sim_helpers.hh"

namespace {

bool same_bits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The first difference between two worlds, or "" when they agree bit for bit.
std::string difference(World &a, World &b)
{
    if (a.bodies().size() != b.bodies().size())
        return "body counts differ";
    for (int i = 0; i < a.bodies().size(); i++) {
        Body *p = a.bodies()[i], *q = b.bodies()[i];
        std::string at = "body " + std::to_string(i) + ": ";
        if (!same_bits(p->x(), q->x()) || !same_bits(p->y(), q->y()))
            return at + "position";
        Vehicle *v = p->as_vehicle(), *w = q->as_vehicle();
        if (!v != !w)
            return at + "order";
        if (!v)
            continue;
        if (!same_bits(v->velocity().x, w->velocity().x)
            || !same_bits(v->velocity().y, w->velocity().y))
            return at + "velocity";
        if (!same_bits(v->heading(), w->heading()) || !same_bits(v->spin(), w->spin()))
            return at + "heading or spin";
        if (!same_bits(v->force_total(), w->force_total()))
            return at + "force total";
        if (v->values().size() != w->values().size())
            return at + "number of values";
        for (int k = 0; k < v->values().size(); k++)
            if (!same_bits(v->values()[k], w->values()[k]))
                return at + "reading " + std::to_string(k);
    }
    return "";
}

// Pairs that pass the coordinate-difference test right now.
int near_pairs(World &w)
{
    const Vector<Body *> &c = w.colliding();
    int n = 0;
    for (int i = 0; i < c.size(); i++)
        for (int j = i + 1; j < c.size(); j++)
            n += std::fabs(c[i]->x() - c[j]->x()) + std::fabs(c[i]->y() - c[j]->y())
                 <= c[i]->radius() + c[j]->radius();
    return n;
}

// Senses other vehicles (kind 2) with one eye and light with the other.
Vehicle *kind_two_vehicle()
{
    static Sensor *crowd = new Sensor(Point(8, 3), 2, "crowd", -M_PI / 3, M_PI);
    static Sensor *eye = new Sensor(Point(10, -6), 1, "eye", -M_PI, M_PI / 2);
    static Actuator *left = new Actuator(Point(-10, -10), 1.0);
    static Actuator *right = new Actuator(Point(-10, 10), 0.7);
    static Logic *l0 = new LinearLogic(0, 0.1, -40.0);
    static Logic *l1 = new LinearLogic(1, -0.05, 2.0);
    Vehicle *v = new Vehicle(20, 12);
    v->add_sensor(crowd);
    v->add_sensor(eye);
    v->add_actuator(left, l0);
    v->add_actuator(right, l1);
    return v;
}

struct Scenario {
    const char *name;
    unsigned seed;
    int vehicles;
    int view_width, view_height;  // smaller: more crowded, more collisions
    int carried;                  // 0 none, 1 plain lights (-l), 2 threshold lights
    bool kind_two;                // add vehicles that sense kind 2
    bool oddities;                // duplicate light, non-finite and huge bodies
    double friction;              // -f value; negative: defaults
    bool round_lights = false;    // the added and the duplicated light shine all round
};

void PrintTo(const Scenario &s, std::ostream *os)
{
    *os << s.name;
}

// The indexed world, the plain one and, on request, indexed worlds that
// step on more threads, all built and scattered alike.
class Twins {
  public:
    explicit Twins(const Scenario &s, std::vector<int> threads = {}) : _s(s)
    {
        if (!the_catalogue)
            build_catalogue();
        _plain.set_reference(true);
        for (int n : threads) {
            World *w = keep(new World);
            w->set_threads(n);
            // Runs of a few vehicles already go to the threads, so that
            // small worlds take the threaded path.
            w->set_parallel_minimum(8);
            _threaded.push_back(w);
        }
        for (World *w : all())
            fill(*w);
        scatter(s.seed);
    }

    World &indexed() { return _indexed; }
    World &plain() { return _plain; }
    const std::vector<World *> &threaded() const { return _threaded; }

    void scatter(unsigned seed)
    {
        for (World *w : all()) {
            std::srand(seed);
            View view(_s.view_width, _s.view_height);
            w->scatter(true, false, &view);
            if (_s.oddities)
                misplace(*w);
        }
    }

    void step()
    {
        for (World *w : all()) {
            w->step();
            w->collide_pairs();
        }
    }

    void reset()
    {
        for (World *w : all())
            w->reset();
    }

    void add_light(Point at)
    {
        double half = _s.round_lights ? M_PI : M_PI / 2;
        for (World *w : all())
            w->add_body(keep(new Light(at, 1, -half, half, 7)));
    }

  private:
    Scenario _s;
    World _indexed;
    World _plain;
    std::vector<World *> _threaded;

    std::vector<World *> all()
    {
        std::vector<World *> worlds = {&_indexed, &_plain};
        worlds.insert(worlds.end(), _threaded.begin(), _threaded.end());
        return worlds;
    }

    void fill(World &w)
    {
        const char *kinds[] = {"v1", "v2a", "v2b", "v3a", "v3b", "v1p",
                               "v2ap", "v2bp", "v3ap", "v3bp"};
        static Light *carried = new Light(static_cast<Vehicle *>(nullptr), 1, -M_PI, M_PI, 6);
        static ThresholdLight *beacon = new ThresholdLight(
            static_cast<Vehicle *>(nullptr), 1, -M_PI / 4, M_PI / 4, 5, 0.8);
        if (_s.friction >= 0) {
            w.set_static_friction(_s.friction);
            w.set_dynamic_friction(0.8 * _s.friction);
            w.set_angular_friction(_s.friction / 2);
        }
        for (int i = 0; i < _s.vehicles; i++) {
            Vehicle *v;
            if (_s.kind_two && i % 5 == 0)
                v = kind_two_vehicle();
            else
                v = the_catalogue->find(kinds[i % 10])->as_vehicle()->clone();
            if (_s.carried == 1)
                v->add_light(carried);
            else if (_s.carried == 2 && i % 2)
                v->add_light(beacon);
            w.add_body(keep(v));
        }
        if (_s.oddities) {
            // Same mass as the others (2.4), radius 200: a coarse grid.
            w.add_body(keep(new Vehicle(400, 0.6)));
            for (int i = 0; i < 3; i++)
                w.add_body(keep(the_catalogue->find("v2a")->as_vehicle()->clone()));
        }
        for (const char *name : {"l", "timel", "l2a", "l2b"})
            w.add_body(keep(the_catalogue->find(name)->clone()));
        if (_s.oddities) {
            double end = _s.round_lights ? 2 * M_PI : M_PI;
            Body *twice = keep(new Light(Point(40, -30), 1, 0, end, 9));
            w.add_body(twice);
            w.add_body(twice);
            if (_s.round_lights) {
                // Seen from anywhere, their offsets are not finite.
                const double inf = std::numeric_limits<double>::infinity();
                w.add_body(keep(new Light(Point(NAN, 20), 1, -M_PI, M_PI, 4)));
                w.add_body(keep(new Light(Point(-inf, 0), 1, -M_PI, M_PI, 4)));
            }
        }
    }

    // The last three ordinary vehicles go where no arithmetic is sane.
    void misplace(World &w)
    {
        const double inf = std::numeric_limits<double>::infinity();
        Point places[] = {Point(NAN, 10), Point(inf, -20), Point(3e15, 1e15)};
        int k = 0;
        for (int i = w.colliding().size() - 3; i < w.colliding().size(); i++)
            w.colliding()[i]->place(places[k++], 1.0);
    }
};

class WorldIndexTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(WorldIndexTest, IndexedRunIsBitIdenticalToThePlainOne)
{
    const Scenario &s = GetParam();
    Twins twins(s);
    ASSERT_FALSE(twins.indexed().reference());
    ASSERT_TRUE(twins.plain().reference());
    ASSERT_EQ("", difference(twins.indexed(), twins.plain())) << "after scatter";

    const int steps = 2000;
    long near = 0;
    for (int step = 1; step <= steps; step++) {
        if (step == 600)
            twins.add_light(Point(-60, 90));  // the emitter lists must follow
        if (step == 1300) {                    // restart: reset, scatter, re-sort
            twins.reset();
            twins.scatter(s.seed + 1);
        }
        twins.step();
        if (step % 50 == 0)
            near += near_pairs(twins.indexed());
        std::string d = difference(twins.indexed(), twins.plain());
        ASSERT_EQ("", d) << "after step " << step;
    }
    EXPECT_GT(near, 0) << "no pair ever came near: collisions untested";
    // The vehicles did move (and not into NaN).
    Vehicle *v = twins.indexed().bodies()[0]->as_vehicle();
    ASSERT_NE(nullptr, v);
    EXPECT_TRUE(std::isfinite(v->x()));
    EXPECT_NE(Point(0, 0), v->velocity());
}

// Vehicles step side by side only where no step can see another's:
// without carried lights and without kind-2 sensors.  Elsewhere the
// threaded worlds must keep to the sequential path.
TEST_P(WorldIndexTest, ThreadedRunsAreBitIdenticalToThePlainOne)
{
    const Scenario &s = GetParam();
    Twins twins(s, {1, 2, 7});
    const int steps = 500;
    for (int step = 1; step <= steps; step++) {
        if (step == 150)
            twins.add_light(Point(-60, 90));
        if (step == 300) {
            twins.reset();
            twins.scatter(s.seed + 1);
        }
        twins.step();
        for (World *w : twins.threaded()) {
            std::string d = difference(*w, twins.plain());
            ASSERT_EQ("", d) << w->threads() << " threads, after step " << step;
        }
    }
    bool independent = s.carried == 0 && !s.kind_two;
    for (World *w : twins.threaded())
        EXPECT_EQ(w->threads() > 1 && independent ? steps : 0, w->parallel_steps())
            << w->threads() << " threads";
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, WorldIndexTest,
    ::testing::Values(
        Scenario{"catalogue_mix", 1, 300, 640, 520, 0, false, false, -1},
        Scenario{"carried_lights_crowded", 7, 90, 220, 200, 1, false, false, 0.5},
        Scenario{"threshold_lights_kind_two", 42, 100, 320, 320, 2, true, false, -1},
        Scenario{"oddities", 99, 70, 260, 220, 1, true, true, 0},
        Scenario{"oddities_free_lights", 5, 70, 260, 220, 0, false, true, 0},
        // Sensors read the lights' values taken for the step, two at a
        // time, with an odd one out once the seventh is added, and must
        // pass over a light whose offset is not finite as the plain
        // algorithm does.
        Scenario{"oddities_round_lights", 5, 70, 260, 220, 0, false, true, 0, true}),
    [](const ::testing::TestParamInfo<Scenario> &info) { return info.param.name; });

// Lights step at their place in the body list.  Unsorted, with a fading
// light between two groups of vehicles, the vehicles before it see it one
// step brighter than those after it: the threads must step each group on
// its own side of the light, and the values sensors read must be taken
// again once it has stepped, on one thread as on three.
TEST(ThreadedStepTest, LightsBetweenVehiclesStepInTheirPlace)
{
    if (!the_catalogue)
        build_catalogue();
    World &plain = lasting_world(), &threaded = lasting_world(), &single = lasting_world();
    plain.set_reference(true);
    threaded.set_threads(3);
    threaded.set_parallel_minimum(4);
    const char *kinds[] = {"v2a", "v3b", "v1p", "v2bp"};
    for (World *w : {&plain, &threaded, &single}) {
        std::srand(11);
        for (int group = 0; group < 2; group++) {
            for (int i = 0; i < 30; i++) {
                Vehicle *v = keep(the_catalogue->find(kinds[i % 4])->as_vehicle()->clone());
                w->add_body(v);
                v->place(Point(std::rand() % 400 - 200, std::rand() % 300 - 150), i);
            }
            w->add_body(keep(new TimedLight(Point(group * 50, 0), 1, 100, -M_PI, M_PI, 9)));
        }
        for (Body *b : w->bodies())
            b->reset();  // World::reset would sort the lights to the end
    }
    for (int step = 1; step <= 150; step++) {
        for (World *w : {&plain, &threaded, &single}) {
            w->step();
            w->collide_pairs();
        }
        ASSERT_EQ("", difference(threaded, plain)) << "after step " << step;
        ASSERT_EQ("", difference(single, plain)) << "one thread, after step " << step;
    }
    EXPECT_EQ(150, threaded.parallel_steps());
    ASSERT_NE(nullptr, threaded.bodies()[0]->as_vehicle());
    EXPECT_EQ(nullptr, threaded.bodies()[30]->as_vehicle()) << "the light stayed in the middle";
}

// A body that only records which pairs the world collides, in order.
class Marker : public Body {
  public:
    Marker(int id, Point p, double r, int group, std::vector<std::pair<int, int>> *log)
        : _id(id), _log(log)
    {
        _position = p;
        _radius = r;
        _collision_group = group;
    }
    void collide(Body *other) override
    {
        _log->push_back({_id, static_cast<Marker *>(other)->_id});
    }

  private:
    int _id;
    std::vector<std::pair<int, int>> *_log;
};

// Layouts that stress the grid: touching pairs exactly one cell apart,
// clusters at huge offsets, spreads too wide for a finite difference,
// non-finite coordinates, radii that are zero, negative, subnormal, huge
// or infinite, mixed groups, a body listed twice, and crowds far wider
// than the table the grid wraps onto.
std::vector<Marker *> layout(int kind, std::mt19937 &rng, std::vector<std::pair<int, int>> *log)
{
    std::uniform_real_distribution<double> unit(0, 1);
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<Marker *> out;
    int n = 40 + (int) (unit(rng) * 160);
    for (int i = 0; i < n; i++) {
        Point p(unit(rng) * 600 - 300, unit(rng) * 500 - 250);
        double r = 10;
        int group = 1;
        switch (kind) {
        case 0:  // a lattice of pitch 20 with radius 10: every neighbour touches
            p = Point(20 * (i % 13) - 97.3, 20 * (i / 13) + 0.1);
            break;
        case 1:  // a cluster far from the origin
            p = Point(1e15 + unit(rng) * 100, -7e14 + unit(rng) * 100);
            r = unit(rng) * 12;
            break;
        case 2:  // mixed radii and groups, some non-finite coordinates
            r = unit(rng) < 0.1 ? 0 : unit(rng) < 0.1 ? -5 : unit(rng) * 40;
            group = (int) (unit(rng) * 4) - 1;
            if (i % 17 == 3)
                p.x = NAN;
            if (i % 23 == 5)
                p.y = -inf;
            if (i % 29 == 7)
                p = Point(inf, inf);
            break;
        case 3:  // one huge radius among small ones
            r = i == n / 2 ? 1e6 : unit(rng) * 8;
            break;
        case 4:  // spread beyond a finite difference: the plain pass
            if (i < 2)
                p.x = i ? 1.7e308 : -1.7e308;
            break;
        case 5:  // an infinite radius: the plain pass
            r = i == 3 ? inf : 10;
            break;
        case 6:  // tiny: subnormal radii, points a few ulps apart
            p = Point(unit(rng) * 1e-310, unit(rng) * 1e-310);
            r = 1e-311;
            break;
        case 7:  // everything on one spot
            p = Point(5, 5);
            r = unit(rng) < 0.5 ? 0 : 1;
            break;
        case 8:  // a long thin crowd: the grid wraps round many times
            p = Point(unit(rng) * 1500, unit(rng) * 6);
            r = 5;
            break;
        case 10:  // touching pairs a few units in the last place apart, far
                  // out on both sides: cell numbers beyond what rounding allows
            p = Point((i % 4 < 2 ? 1e17 : -1e17) + (i % 2) * 16 + (i / 4) * 1e5, 0);
            break;
        case 11:  // a pile-up over a few cells: each body's many partners
                  // come from several cells and must be put in order
            p = Point(unit(rng) * 30, unit(rng) * 30);
            break;
        case 9:  // a crowd, and pairs of wanderers far out in every direction
            if (i % 10 < 2) {
                double far = 1e6 * (1 + i / 10);
                p = Point(i % 20 < 10 ? far : -far, i % 40 < 20 ? far / 3 : -far) + Point(i % 2 * 7, 0);
            } else {
                p = Point(unit(rng) * 200, unit(rng) * 200);
            }
            break;
        }
        out.push_back(keep(new Marker(i, p, r, group, log)));
    }
    return out;
}

TEST(CollisionGridTest, SamePairsInTheSameOrderAsThePlainPass)
{
    std::mt19937 rng(2024);
    for (int round = 0; round < 400; round++) {
        int kind = round % 12;
        std::vector<std::pair<int, int>> log;
        std::vector<Marker *> bodies = layout(kind, rng, &log);
        World &indexed = *keep(new World);
        World &plain = *keep(new World);
        plain.set_reference(true);
        for (World *w : {&indexed, &plain}) {
            for (Marker *m : bodies)
                w->add_body(m);
            w->add_body(bodies[1]);  // listed twice: it pairs with itself
        }
        indexed.collide_pairs();
        std::vector<std::pair<int, int>> by_grid;
        by_grid.swap(log);
        plain.collide_pairs();
        ASSERT_EQ(log, by_grid) << "layout " << kind << ", round " << round;
        if (kind == 0) {
            EXPECT_GT(log.size(), bodies.size());  // the lattice touches everywhere
        }
        if (kind == 10) {
            EXPECT_GE(log.size(), bodies.size() / 2) << "every pair touches";
        }
        if (kind == 8) {
            EXPECT_GT(log.size(), 5u) << "the thin crowd has touching pairs";
        }
        if (kind == 11) {
            EXPECT_GT(log.size(), bodies.size() * 8) << "bodies have many partners";
        }
        if (kind == 9) {
            auto wanderers = [](const std::pair<int, int> &p) { return p.first % 10 == 0 && p.second == p.first + 1; };
            EXPECT_TRUE(std::any_of(log.begin(), log.end(), wanderers)) << "far pairs collide too";
        }
    }
}

// A pass asked to stop has collided a prefix of the pairs, in order, and
// only looked at the break every few hundred bodies.
TEST(CollisionGridTest, StoppedPassCollidesAPrefixOfThePairs)
{
    std::vector<std::pair<int, int>> log;
    std::vector<Marker *> bodies;
    for (int i = 0; i < 1000; i++)
        bodies.push_back(keep(new Marker(i, Point(20 * (i % 40), 20 * (i / 40)), 10, 1, &log)));
    for (bool indexed : {true, false}) {
        World &w = lasting_world();
        w.set_reference(!indexed);
        for (Marker *m : bodies)
            w.add_body(m);
        log.clear();
        w.collide_pairs();
        std::vector<std::pair<int, int>> all = log;
        StopAt stop(2);
        w.set_work_break(&stop);
        log.clear();
        w.collide_pairs();
        EXPECT_EQ(2, stop.breaks) << "indexed " << indexed;
        ASSERT_GT(log.size(), 0u);
        ASSERT_LT(log.size(), all.size());
        EXPECT_TRUE(std::equal(log.begin(), log.end(), all.begin())) << "indexed " << indexed;
        EXPECT_LT(log.back().first, 512) << "stopped at the second break";
        w.set_work_break(nullptr);
    }
}

// The pairs a pass keeps for later ones must give the pairs of the plain
// pass however the bodies move in between: pairs closing in head-on at
// speeds that use up the widening of the radii in one to hundreds of
// passes, bodies that jitter and now and then jump onto another, leave
// the finite range and come back, all of it far from the origin, and a
// pair that touches on the first pass its lists no longer hold.
TEST(CollisionGridTest, KeptPairsFollowMovingBodies)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0, 1);
    // Radii of 10 widened by 10: a list lasts while no body has moved 10.
    const double speeds[] = {0.05, 0.3, 1, 2.5, 3.3, 3.5, 4.2, 4.9};
    for (int kind = 0; kind < 5; kind++) {
        std::vector<std::pair<int, int>> log;
        std::vector<Marker *> bodies;
        std::vector<Point> velocity;
        Point origin = kind == 3 ? Point(1e9, -3e8) : Point(0, 0);
        for (int i = 0; i < 120; i++) {
            Point p(unit(rng) * 800, unit(rng) * 600);
            Point v((unit(rng) - 0.5) * 2, (unit(rng) - 0.5) * 2);
            if (kind != 1 && kind != 4) {  // pair i / 2 closes in head-on along its own row
                // Slower where bodies jump, so that lists outlast jumps.
                double speed = speeds[i / 2 % 8] / (kind == 2 ? 5 : 1);
                p = Point(i % 2 ? 60 + unit(rng) * 30 : 0, 40 * (i / 2));
                v = Point(i % 2 ? -speed : speed, 0);
            }
            if (kind == 4) {
                // Still bodies, and a pair 40.5 apart after the first move,
                // just out of the widened reach: 3.5 a pass each, they touch
                // on the third pass after, when each has moved 10.5.
                p = i > 1 ? Point(unit(rng) * 800, 200 + unit(rng) * 600) : Point(i * 47.5, 0);
                v = i > 1 ? Point(0, 0) : Point(i ? -3.5 : 3.5, 0);
            }
            bodies.push_back(keep(new Marker(i, origin + p, 10, 1, &log)));
            velocity.push_back(v);
        }
        World &indexed = *keep(new World);
        World &plain = *keep(new World);
        plain.set_reference(true);
        for (World *w : {&indexed, &plain})
            for (Marker *m : bodies)
                w->add_body(m);
        for (int pass = 0; pass < 300; pass++) {
            for (int i = 0; i < 120; i++)
                bodies[i]->move_to(bodies[i]->position() + velocity[i]);
            Marker *jumper = bodies[pass / 10 * 7 % 120];
            if (kind == 1 && pass % 25 == 0)
                jumper->move_to(bodies[pass * 11 % 120]->position() + Point(15, 3));
            if (kind == 2 && pass % 20 == 0)
                jumper->move_to(Point(NAN, 5));
            if (kind == 2 && pass % 20 == 4)  // back, touching another
                jumper->move_to(bodies[pass * 11 % 120]->position() + Point(-12, 4));
            log.clear();
            indexed.collide_pairs();
            std::vector<std::pair<int, int>> by_grid;
            by_grid.swap(log);
            plain.collide_pairs();
            ASSERT_EQ(log, by_grid) << "kind " << kind << ", pass " << pass;
        }
        EXPECT_GT(indexed.kept_passes(), 60) << "kind " << kind;
    }
}

// A sensor that sees all round skips the direction of each light; where
// the arithmetic is extreme it must still read exactly what the plain
// algorithm reads: a light on the sensor itself, headings of exactly +-pi,
// differences too large to be finite, non-finite positions and headings,
// fields exactly [-pi, pi], wider, and just short of it.
TEST(SensorShortcutTest, AllRoundFieldsReadAsThePlainAlgorithm)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double big = 1.7e308;
    struct Case {
        Point vehicle;
        double heading;
        Point light;
    } cases[] = {
        {Point(0, 0), 0.3, Point(10, 0)},        // the light sits on the sensor
        {Point(0, 0), M_PI, Point(-50, 0)},      // heading exactly pi, light ahead
        {Point(0, 0), -M_PI, Point(50, 1e-300)}, // heading exactly -pi, light behind
        {Point(0, 0), 0.0, Point(-50, 0.0)},     // straight behind: +pi
        {Point(0, 0), -0.0, Point(-50, -0.0)},   // straight behind: -pi
        {Point(-big, 0), 1.0, Point(big, 0)},    // the difference overflows
        {Point(3, 4), 2.0, Point(inf, 7)},
        {Point(3, 4), 2.0, Point(NAN, 7)},
        {Point(NAN, 4), 2.0, Point(1, 7)},
        {Point(3, 4), NAN, Point(1, 7)},
        {Point(3, 4), inf, Point(1, 7)},
    };
    struct Field {
        double min, max;
    } fields[] = {{-M_PI, M_PI}, {-4, 4}, {-M_PI, std::nextafter(M_PI, 0)}};
    // Read directly, then as a world step reads, from the lights' values;
    // each way with the shortcuts and without.
    auto readings = [](const Field &f, const Case &c, bool reference) {
        World &w = lasting_world();
        Vehicle *v = keep(new Vehicle(20, 12));
        Sensor *sensor = keep(new Sensor(Point(10, 0), 1, "eye", f.min, f.max));
        v->add_sensor(sensor);
        w.add_body(v);
        w.add_body(keep(new Light(c.light, 1, -M_PI, M_PI, 8)));
        // An ordinary light beside it: the two are read as a pair.
        w.add_body(keep(new Light(Point(30, -40), 1, -M_PI, M_PI, 5)));
        v->place(c.vehicle, c.heading);
        w.set_reference(reference);
        double direct = sensor->read(v);
        w.step();
        return std::make_pair(direct, v->values()[0]);
    };
    for (const Field &f : fields)
        for (const Case &c : cases) {
            std::pair<double, double> fast = readings(f, c, false), plain = readings(f, c, true);
            EXPECT_TRUE(same_bits(fast.first, plain.first) && same_bits(fast.second, plain.second))
                << "field [" << f.min << ", " << f.max << "], vehicle (" << c.vehicle.x << ", "
                << c.vehicle.y << ") heading " << c.heading << ", light (" << c.light.x << ", "
                << c.light.y << "): " << fast.first << ", " << fast.second << " against "
                << plain.first << ", " << plain.second;
        }
}

// A sensor skips the lights on its blind side.  Lights placed on the edges
// of many fields, and on the seam behind at +-pi, a little inside and
// outside by steps from one rounding error to far beyond the margin, at
// headings that include +-pi: every reading must be the plain one.
TEST(SensorShortcutTest, BlindSidesReadAsThePlainAlgorithm)
{
    struct Field {
        double min, max;
    } fields[] = {
        {-3 * M_PI / 4, M_PI / 2}, {-M_PI / 2, 3 * M_PI / 4}, {-M_PI / 2, M_PI / 2},
        {-0.1, 0.2}, {-4, 1}, {-M_PI, 0.5}, {0.5, M_PI}, {1, 1}, {2, 1},
        {-M_PI, std::nextafter(M_PI, 0)},
    };
    const double headings[] = {0, 1, -2.5, M_PI, -M_PI, 0.3};
    const double offsets[] = {0, 1e-16, 1e-15, 1e-12, 1e-9, 2e-9, 1e-6, 0.1};
    int seen = 0, unseen = 0;
    for (const Field &f : fields)
        for (double h : headings)
            for (double edge : {f.min, f.max, M_PI})
                for (double offset : offsets)
                    for (double sign : {1.0, -1.0}) {
                        World &w = lasting_world();
                        Vehicle *v = keep(new Vehicle(20, 12));
                        Sensor *sensor = keep(new Sensor(Point(10, 6), 1, "eye", f.min, f.max));
                        v->add_sensor(sensor);
                        w.add_body(v);
                        v->place(Point(3, -2), h);
                        Point light = v->sensor_position(0)
                                      + polar_point(50, h + edge + sign * offset);
                        w.add_body(keep(new Light(light, 1, -M_PI, M_PI, 8)));
                        double fast = sensor->read(v);
                        w.set_reference(true);
                        double plain = sensor->read(v);
                        ASSERT_TRUE(same_bits(fast, plain))
                            << "field [" << f.min << ", " << f.max << "], heading " << h
                            << ", light at " << edge << " + " << sign * offset << ": " << fast
                            << " against " << plain;
                        (plain > 0 ? seen : unseen)++;
                    }
    EXPECT_GT(seen, 500);
    EXPECT_GT(unseen, 500);
}

// The shortcuts rest on these identities of the maths library.
TEST(CollisionGridTest, ShortcutIdentitiesHold)
{
    for (double d : {1e-300, 0.3, 1.0, 7.25, 1e300}) {
        EXPECT_TRUE(same_bits(std::atan2(0.0, d), polar_direction_x(d)));
        EXPECT_TRUE(same_bits(std::atan2(0.0, -d), polar_direction_x(-d)));
        for (double angle : {-3.0, -0.0, 0.0, 1.5, 6.0}) {
            Point a = rotate_polar(Point(d, 0), angle), b = rotate_polar_x(d, angle);
            EXPECT_TRUE(same_bits(a.x, b.x) && same_bits(a.y, b.y)) << d << " " << angle;
            a = rotate_polar(Point(-d, 0), angle), b = rotate_polar_x(-d, angle);
            EXPECT_TRUE(same_bits(a.x, b.x) && same_bits(a.y, b.y)) << -d << " " << angle;
        }
    }
    Point a = rotate_polar(Point(NAN, 0), 1), b = rotate_polar_x(NAN, 1);
    EXPECT_TRUE(std::isnan(a.x) && std::isnan(b.x));
}

// length_x skips the square root of d * d: its bits must be the root's,
// at the edges of the range where it does and everywhere between them.
TEST(CollisionGridTest, LengthOfAnOffsetAlongXIsTheRootOfItsSquare)
{
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> ds = {0.0, -0.0, inf, -inf, 4.9e-324, 1e-160, 1e-155, 1e155, 1e160,
                              0x1p-500, 0x1p500, std::nextafter(0x1p-500, 0.0),
                              std::nextafter(0x1p500, inf), 1.0, 0.1, 8.0 / 3};
    std::mt19937_64 rng(11);
    for (int i = 0; i < 200000; i++) {
        // Every exponent, and mantissas near all ones and all zeros.
        std::uint64_t bits = rng();
        if (i % 3 == 1)
            bits |= 0x000FFFFFFFFFF000ull;
        if (i % 3 == 2)
            bits &= 0xFFF0000000000FFFull;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        ds.push_back(d);
    }
    for (double d : ds)
        ASSERT_TRUE(same_bits(std::sqrt(d * d), length_x(d)) || std::isnan(d)) << d;
}

}  // namespace
