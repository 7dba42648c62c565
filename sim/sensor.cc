#include "sim/sensor.hh"

#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "display/view.hh"
#include "sim/body.hh"
#include "sim/light.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

Sensor::Sensor(Point mount, int kind, PermString name, double min_angle,
               double max_angle)
    : _name(name), _kind(kind), _mount(mount), _min_angle(min_angle),
      _max_angle(max_angle), _gain(0.1),
      _mount_length(std::sqrt(mount.x * mount.x + mount.y * mount.y)),
      _mount_direction(std::atan2(mount.y, mount.x)), _has_blind_side(false),
      _blind_narrow(false)
{
    // Directions come out of the wrap in [-pi, pi]: the field is the arc
    // from lo to hi, and the rest of the turn is blind.
    double lo = std::fmax(min_angle, -M_PI), hi = std::fmin(max_angle, M_PI);
    if (hi - lo >= 0 && hi - lo < 2 * M_PI) {
        _has_blind_side = true;
        _blind_narrow = hi - lo >= M_PI;
        _blind_from = polar_point(1, hi - _mount_direction);
        _blind_to = polar_point(1, lo - _mount_direction);
    }
}

// Direction of `to' seen from `from', relative to heading h, in [-pi, pi].
// One correction each way suffices: the heading is kept within [-pi, pi].
static double relative_direction(Point from, Point to, double h)
{
    double a = std::atan2(to.y - from.y, to.x - from.x) - h;
    if (a > M_PI)
        a -= 2 * M_PI;
    if (a < -M_PI)
        a += 2 * M_PI;
    return a;
}

// A field from -pi to pi or wider takes every direction that can be
// computed: atan2 of finite differences lies within [-pi, pi], so does the
// heading, and the wrap of their difference is exact and lands there too.
// Such a sensor needs no direction, as long as the heading is in range.
bool Sensor::sees_all_round(double h) const
{
    return _min_angle <= -M_PI && _max_angle >= M_PI && h >= -M_PI && h <= M_PI;
}

inline bool Sensor::in_field(Point s, Point source, double h, bool all_round) const
{
    if (all_round && std::isfinite(source.x - s.x) && std::isfinite(source.y - s.y))
        return true;
    double a = relative_direction(s, source, h);
    return a >= _min_angle && a <= _max_angle;
}

// Far beyond every rounding error of the computed direction (a few units
// in the last place of pi): a direction that clears the blind side's edges
// by this much lies on the same side of them however it is rounded.
static const double blind_margin = 1e-9;

// The cross products say on which side of each edge d lies, scaled by its
// length; |x| + |y| is at least that length, so the margin is conservative.
// Non-finite input fails every comparison and is never called blind.
inline bool Sensor::surely_blind(Point d, double c, double sn) const
{
    Point p(d.x * c + d.y * sn, d.y * c - d.x * sn);
    double margin = blind_margin * (std::fabs(p.x) + std::fabs(p.y));
    double past_from = _blind_from.x * p.y - _blind_from.y * p.x;
    double before_to = p.x * _blind_to.y - p.y * _blind_to.x;
    if (_blind_narrow)
        return past_from > margin && before_to > margin;
    return past_from > margin || before_to > margin;
}

static bool carried(int k, Body *const *bodies, const Light *const *lights,
                    const Vehicle *vehicle)
{
    return lights[k] ? lights[k]->carried_by(vehicle) : bodies[k]->carried_by(vehicle);
}

double Sensor::read(const Vehicle *vehicle, CachedTurn &turn) const
{
    if (vehicle->reference())
        return read_every_body(vehicle);
    World *world = vehicle->world();
    double h = vehicle->heading();
    // The mount turned by the heading (rotate_polar, bit for bit), keeping
    // the cosine and sine of its direction.
    double c, sn;
    turn.at(_mount_direction + h, c, sn);
    Point s = vehicle->position() + Point(c * _mount_length, _mount_length * sn);
    const World::Emitters &emitters = world->emitters(_kind);
    if (!emitters.values_current)
        return read_emitters(vehicle, emitters, s, c, sn, h);
    return sees_all_round(h) ? read_round_lights_all_round(emitters, s, h)
                             : read_round_lights(emitters, s, c, sn, h);
}

// The reading from the emitters themselves, whatever they are: outside a
// step of the world, or with emitters other than free-standing lights that
// shine all round.  Out of line, so that the common case saves no
// registers for its calls.
__attribute__((noinline)) double Sensor::read_emitters(const Vehicle *vehicle,
                                                       const World::Emitters &emitters, Point s,
                                                       double c, double sn, double h) const
{
    Body *const *bodies = emitters.bodies.begin();
    const Light *const *lights = emitters.lights.begin();
    int n = emitters.bodies.size();
    bool all_round = sees_all_round(h);
    double total = 0;
    for (int k = 0; k < n; k++) {
        const Light *light = lights[k];
        // A light on the blind side adds nothing: neither its intensity
        // nor its direction is needed.
        if (light && _has_blind_side && surely_blind(light->position() - s, c, sn))
            continue;
        Point source;
        double intensity = light ? light->intensity_at(_kind, source, s)
                                 : bodies[k]->intensity_at(_kind, source, s);
        if (in_field(s, source, h, all_round) && !carried(k, bodies, lights, vehicle))
            total += intensity * _gain;
    }
    return total > 0 ? total : 0;
}

// What a free-standing light at source of the given strength, shining all
// round, adds to the total of the sensor at s: its intensity, if it lies
// in the field.
inline void Sensor::add_round_light(Point s, Point source, double strength, double h,
                                    bool all_round, double &total) const
{
    double dx = s.x - source.x, dy = s.y - source.y;
    double intensity = round_intensity(strength, std::sqrt(dx * dx + dy * dy));
    if (in_field(s, source, h, all_round))
        total += intensity * _gain;
}

// The lights' values taken for the step, for a field narrower than all
// round: the same tests in the same order as read().
double Sensor::read_round_lights(const World::Emitters &emitters, Point s, double c,
                                 double sn, double h) const
{
    const double *xs = emitters.x.begin(), *ys = emitters.y.begin();
    const double *strengths = emitters.strength.begin();
    int n = emitters.x.size();
    double total = 0;
    for (int k = 0; k < n; k++) {
        Point source(xs[k], ys[k]);
        if (!(_has_blind_side && surely_blind(source - s, c, sn)))
            add_round_light(s, source, strengths[k], h, false, total);
    }
    return total > 0 ? total : 0;
}

// The same for a field that takes every direction: a light is in it when
// its offset is finite, which two lights at a time are checked for at
// once with their intensities.
double Sensor::read_round_lights_all_round(const World::Emitters &emitters, Point s,
                                           double h) const
{
    int n = emitters.x.size(), k = 0;
    double total = 0;
#if defined(__SSE2__)
    const double *xs = emitters.x.begin(), *ys = emitters.y.begin();
    const double *strengths = emitters.strength.begin();
    const __m128d sx = _mm_set1_pd(s.x), sy = _mm_set1_pd(s.y);
    const __m128d pi = _mm_set1_pd(M_PI), gain = _mm_set1_pd(_gain);
    for (; k + 2 <= n; k += 2) {
        __m128d dx = _mm_sub_pd(sx, _mm_loadu_pd(xs + k));
        __m128d dy = _mm_sub_pd(sy, _mm_loadu_pd(ys + k));
        // x - x is a number exactly when x is finite.
        __m128d finite = _mm_cmpord_pd(_mm_sub_pd(dx, dx), _mm_sub_pd(dy, dy));
        if (_mm_movemask_pd(finite) != 3)
            break;
        __m128d d = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy)));
        __m128d strength = _mm_loadu_pd(strengths + k);
        __m128d inside = _mm_cmpgt_pd(strength, d);
        __m128d spread = _mm_div_pd(_mm_mul_pd(pi, strength), d);
        __m128d alpha = _mm_or_pd(_mm_and_pd(inside, pi), _mm_andnot_pd(inside, spread));
        __m128d received = _mm_mul_pd(_mm_div_pd(_mm_mul_pd(strength, alpha), pi), gain);
        total += _mm_cvtsd_f64(received);
        total += _mm_cvtsd_f64(_mm_unpackhi_pd(received, received));
    }
#endif
    if (k < n)
        return read_round_lights_from(emitters, k, s, h, total);
    return total > 0 ? total : 0;
}

// Adds the lights from the given one on to total one by one, and gives
// the reading: the light left over after those taken in pairs, or the
// rest from a pair with an offset that is not finite.  Out of line and
// called last, so that the pairs' loop needs no registers saved.
__attribute__((noinline)) double Sensor::read_round_lights_from(const World::Emitters &emitters,
                                                                int from, Point s, double h,
                                                                double total) const
{
    for (int k = from; k < emitters.x.size(); k++)
        add_round_light(s, Point(emitters.x[k], emitters.y[k]), emitters.strength[k], h, true,
                        total);
    return total > 0 ? total : 0;
}

// The plain algorithm, for worlds without indexes.
double Sensor::read_every_body(const Vehicle *vehicle) const
{
    double h = vehicle->heading();
    Point s = vehicle->position() + rotate_polar(_mount, h);
    double total = 0;
    // Every body in world order, duplicates and the vehicle itself included.
    for (Body *b : vehicle->world()->bodies()) {
        if (!b->emits(_kind))
            continue;
        Point source;
        double intensity = b->intensity_at(_kind, source, s);
        double a = relative_direction(s, source, h);
        if (a >= _min_angle && a <= _max_angle && !b->carried_by(vehicle))
            total += intensity * _gain;
    }
    return total > 0 ? total : 0;
}

void Sensor::draw(const Vehicle *vehicle, View *view) const
{
    double h = vehicle->heading();
    int col = vehicle->colour();
    Point s = vehicle->position() + rotate_polar(_mount, h);
    Point edge[2] = {s, s + rotate_polar(Point(5, 0), _min_angle + h)};
    view->draw_lines(col, 2, edge, false);
    edge[1] = s + rotate_polar(Point(5, 0), _max_angle + h);
    view->draw_lines(col, 2, edge, false);
    view->draw_circle(col, s, 5, _min_angle + h, _max_angle + h);
}
