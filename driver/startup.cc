// The frame of the start-up.  The order matters: the catalogue, the EPS
// pattern, the template light and the world must exist before the first
// option or operand is applied to them.  Each option's effect belongs to
// the module that owns it; this file only dispatches.
#include "driver/startup.hh"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "display/eps.hh"
#include "driver/body_options.hh"
#include "driver/catalogue.hh"
#include "driver/options.hh"
#include "driver/thread_options.hh"
#include "driver/wiring_options.hh"
#include "lang/landmark.hh"
#include "lib/program_name.hh"
#include "lib/vector.hh"
#include "sim/step_pool.hh"
#include "sim/world.hh"

// Help and version end the program; a text that could not be written is a
// failure, not a success.
void exit_after_text()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "%s: error writing to standard output\n", program_name);
        std::exit(1);
    }
    std::exit(0);
}

int startup_error_count()
{
    return operand_error_count() + reported_error_count();
}

// Friction and light strength enter every step: an infinity or a NaN
// would turn every position into one.
static bool finite_value(Argkit_Context *cli)
{
    if (std::isfinite(cli->value.d))
        return true;
    Argkit_ReportOptionError(cli, "`%O' expects a finite number, not `%s'", cli->value_text);
    return false;
}

SimulationOptionResult apply_simulation_option(int id, Argkit_Context *cli)
{
    bool has_number = id == optStaticFriction || id == optDynamicFriction
        || id == optFriction || id == optAngularFriction
        || (id == optLights && !cli->is_negated && cli->has_value);
    if (has_number && !finite_value(cli))
        return simBadValue;
    switch (id) {
      case optOutputEps:
        return handle_output_eps_option(cli->value_text) ? simApplied : simRefused;
      case optLeftLogic:
      case optRightLogic:
        handle_logic_option(id, cli->value_text);
        return simApplied;
      case optCrossLogic:
        handle_cross_option(cli->is_negated);
        return simApplied;
      case optLights:
        handle_lights_option(cli->is_negated, cli->has_value, cli->value.d);
        return simApplied;
      case optStaticFriction:
        the_world->set_static_friction(cli->value.d);
        return simApplied;
      case optDynamicFriction:
        the_world->set_dynamic_friction(cli->value.d);
        return simApplied;
      case optFriction:
        the_world->set_static_friction(cli->value.d);
        the_world->set_dynamic_friction(0.8 * cli->value.d);
        return simApplied;
      case optAngularFriction:
        the_world->set_angular_friction(cli->value.d);
        return simApplied;
      case optThreads:
        return handle_threads_option(cli->value.i) ? simApplied : simRefused;
      default:
        return simNotSimulation;
    }
}

// The interactive program's handler; it refuses nothing: a bad -o has been
// reported and the old pattern stays, and the program goes on.
static bool apply_option(int id, const Argkit_Context *cli, void *context)
{
    StartupSettings &settings = *static_cast<StartupSettings *>(context);
    switch (id) {
      case optXrm:
        settings.xrm_lines.push_back(cli->value_text);
        break;
      case optDisplay:
        settings.display_name = cli->value_text;
        break;
      case optGeometry:
        settings.geometry_spec = cli->value_text;
        break;
      case optVersion:
        write_version(stdout);
        exit_after_text();
      case optHelp:
        write_help(stdout, program_name);
        exit_after_text();
      case optDoubleBuffer:
        settings.double_buffer = !cli->is_negated;
        break;
      case optTrails:
        settings.show_trails = !cli->is_negated;
        break;
      default:
        // A refused -o has been reported and the old pattern stays; ids
        // that no handler claims are ignored.  A value that is no finite
        // number is a bad option.  (Argkit reports through a context it
        // does not change here.)
        if (apply_simulation_option(id, const_cast<Argkit_Context *>(cli)) == simBadValue)
            return false;
        break;
    }
    return true;
}

void read_elements(Argkit_Context *cli, OptionHandler handle, void *context,
                   const char *operands)
{
    for (;;) {
        int r = Argkit_ParseNext(cli);
        if (r == Argkit_End)
            return;
        if (r == Argkit_Operand)
            handle_operand(cli->value_text);
        else if (r == Argkit_Invalid || (r > 0 && !handle(r, cli, context))) {
            // Argkit or the handler has already said what was wrong.
            write_usage(stderr, program_name, operands);
            std::exit(1);
        }
    }
}

void read_options(Argkit_Context *cli, StartupSettings &settings)
{
    read_elements(cli, apply_option, &settings, "");
}

// Argkit normalises the rows it is given in place.  Each parser gets a copy
// of its own, so the tables stay as written and no parser depends on which
// was made first.  The copies live until the process ends, like the argv
// the parsers point into, and stay reachable for leak checkers (the list is
// never destroyed, or it would let go of them before the check at exit).
static Argkit_Spec *copy_rows(int count, const Argkit_Spec *options)
{
    static Vector<Argkit_Spec *> &copies = *new Vector<Argkit_Spec *>;
    Argkit_Spec *rows = new (std::nothrow) Argkit_Spec[count > 0 ? count : 1];
    if (rows) {
        std::copy(options, options + count, rows);
        copies.push_back(rows);
    }
    return rows;
}

Argkit_Context *create_option_parser(int argc, char **argv, int count,
                                     const Argkit_Spec *options)
{
    // The parser lives until the process ends, like the argv it points into.
    Argkit_Spec *rows = copy_rows(count, options);
    Argkit_Context *cli = rows ? Argkit_Create(argc, argv, count, rows) : nullptr;
    if (!cli) {
        const char *name = argc > 0 && argv[0] ? std::strrchr(argv[0], '/') : nullptr;
        name = name ? name + 1 : (argc > 0 && argv[0] ? argv[0] : program_name);
        std::fprintf(stderr, "%s: out of memory\n", name);
        std::exit(1);
    }
    Argkit_SetPrefixChar(cli, '-', minus_prefix_class);
    Argkit_SetPrefixChar(cli, '+', plus_prefix_class);
    // Without an argv[0] (argc 0) the default name stays.
    if (*Argkit_InvokedName(cli))
        program_name = Argkit_InvokedName(cli);
    return cli;
}

void create_simulation()
{
    build_catalogue();
    set_default_eps_pattern();
    create_vehicle_light();
    the_world = new World;
    the_world->set_threads(core_count());
}

// The interactive program's parser is never freed, like everything else
// made at start-up; held here, it stays reachable for leak checkers.
static Argkit_Context *option_parser;

void read_command_line(int argc, char **argv, StartupSettings &settings)
{
    // There can never be more -xrm options than elements.
    settings.xrm_lines.reserve(argc);

    option_parser = create_option_parser(argc, argv, option_count, option_table);
    create_simulation();
    read_options(option_parser, settings);
}
