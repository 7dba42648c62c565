// Hit testing works in world units: the pointer's pixel becomes the world
// point at its centre, so a hit means the same at every zoom and pan.
#include "driver/hit_test.hh"

#include <cmath>

#include "display/view.hh"
#include "sim/light.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

double drawn_radius(const Body *body)
{
    const Light *light = dynamic_cast<const Light *>(body);
    if (!light)
        return body->radius();
    double s = light->strength();
    return s + (s != 0 && !light->carrier() ? 5 : 2);
}

Body *body_at(const World *world, const View *view, int x, int y)
{
    Point p = view->world_at(x, y);
    const Vector<Body *> &bodies = world->bodies();
    for (int i = bodies.size() - 1; i >= 0; i--) {
        Body *b = bodies[i];
        double dx = p.x - b->x(), dy = p.y - b->y();
        if (std::sqrt(dx * dx + dy * dy) > drawn_radius(b))
            continue;
        const Light *light = dynamic_cast<const Light *>(b);
        if (light && light->carrier())
            return light->carrier();
        return b;
    }
    return nullptr;
}

bool bodies_extent(const World *world, Point &lo, Point &hi)
{
    bool any = false;
    for (const Body *b : world->bodies()) {
        double r = std::fabs(drawn_radius(b));
        Point l(b->x() - r, b->y() - r), h(b->x() + r, b->y() + r);
        if (!std::isfinite(l.x) || !std::isfinite(l.y) || !std::isfinite(h.x)
            || !std::isfinite(h.y))
            continue;
        if (!any) {
            lo = l;
            hi = h;
            any = true;
            continue;
        }
        lo = Point(std::fmin(lo.x, l.x), std::fmin(lo.y, l.y));
        hi = Point(std::fmax(hi.x, h.x), std::fmax(hi.y, h.y));
    }
    return any;
}
