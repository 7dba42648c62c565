// xtinkerbot-batch: the simulation of xtinkerbot without an X server, for
// experiments and figures.
//
// main reads the command line as the interactive program does (the shared
// start-up of driver/startup.cc, the batch options of
// driver/batch_options.cc), opens the trace, scatters the vehicles over a
// headless view of the virtual window, which has exactly the transform a
// fresh window's view would have, runs the world-move alarm's work
// (WorldMoveAlarm::tick) once per simulated firing without drawing
// (driver/batch_run.cc, which samples the trace of driver/trace_writer.cc),
// writes the final picture with the trails through the EPS writer, framed
// around what it draws with -fit, and reports the simulated steps per
// second.  Only that report and the progress line read a clock, so equal
// command lines give byte-identical pictures and traces.
#include <cstdio>
#include <cstdlib>

#include "display/eps.hh"
#include "display/picture_frame.hh"
#include "display/view.hh"
#include "driver/batch_options.hh"
#include "driver/batch_run.hh"
#include "driver/progress.hh"
#include "driver/speed_report.hh"
#include "driver/standard_streams.hh"
#include "driver/startup.hh"
#include "driver/trace_writer.hh"
#include "driver/world_move_alarm.hh"
#include "lib/program_name.hh"
#include "sim/world.hh"

int main(int argc, char **argv)
{
    secure_standard_streams();
    program_name = "xtinkerbot-batch";  // kept when there is no argv[0]
    Argkit_Context *cli = create_batch_parser(argc, argv);
    create_simulation();
    BatchSettings settings;
    read_batch_options(cli, settings);
    // Everything read points into argv, not into the parser.
    Argkit_Destroy(cli);
    // An empty picture and a rate of nothing per second would pass for
    // an experiment's result.
    if (the_world->bodies().empty()) {
        std::fprintf(stderr, "%s: no bodies to simulate\n", program_name);
        return 1;
    }

    TraceWriter trace;
    if (settings.trace_name && !trace.open(settings.trace_name))
        return 1;
    the_world->set_reference(settings.reference);

    View view(settings.width, settings.height);
    // Without -seed the generator starts as the interactive program's
    // does, so the placement is the one its window of this size gets.
    if (settings.seeded)
        std::srand(settings.seed);
    the_world->scatter(true, false, &view);

    WorldMoveAlarm mover(the_world, &view);
    TraceWriter *traced = settings.trace_name ? &trace : nullptr;
    if (traced)
        trace.start(the_world);
    Progress progress(stderr, !settings.quiet, settings.firings, mover.steps_per_tick());
    double start = monotonic_seconds();
    unsigned done = run_firings(mover, settings.firings, traced, settings.trace_every,
                                &progress);
    double seconds = monotonic_seconds() - start;
    progress.finish();
    // A trace that lost rows ends the run: its message is out already.
    if (!trace.finish())
        return 1;

    bool written;
    if (settings.fit) {
        View framed = framed_view(the_world, view);
        written = write_eps(the_world, &framed);
    } else
        written = write_eps(the_world, &view);
    write_speed_report(stderr, program_name, (unsigned long long) done * mover.steps_per_tick(),
                       seconds);
    return written ? 0 : 1;
}
