#include "bench/bench_world.hh"

#include <initializer_list>

#include "driver/catalogue.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

World *catalogue_world(int vehicles, View *view, int kinds_used, Light *carried)
{
    if (!the_catalogue)
        build_catalogue();
    const char *kinds[] = {"v2a", "v2b", "v3a", "v3b", "v2ap", "v2bp", "v3ap", "v3bp"};
    World *w = new World;
    for (int i = 0; i < vehicles; i++) {
        Vehicle *v = the_catalogue->find(kinds[i % kinds_used])->as_vehicle()->clone();
        if (carried)
            v->add_light(carried);
        w->add_body(v);
    }
    for (const char *light : {"l", "timel", "l2a", "l2b"})
        w->add_body(the_catalogue->find(light)->clone());
    w->scatter(true, false, view);
    return w;
}
