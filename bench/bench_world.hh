// The world the step and frame benchmarks measure: a crowd of the
// catalogue's two-sensor vehicles, in turn of every kind, and the
// catalogue's four lights, scattered over a view.
#ifndef XTINKERBOT_BENCH_BENCH_WORLD_HH
#define XTINKERBOT_BENCH_BENCH_WORLD_HH

class Light;
class View;
class World;

// A new world (never freed, like the program's one) with the given number
// of vehicles, of the first kinds_used kinds, each carrying the light
// `carried' if there is one, and the four lights; the vehicles are
// scattered over the view.  Builds the catalogue when there is none yet.
World *catalogue_world(int vehicles, View *view, int kinds_used = 8,
                       Light *carried = nullptr);

#endif
