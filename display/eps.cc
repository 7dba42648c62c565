// The EPS writer.  One file per 'o' press: a header sized to the window,
// then for every body in world order its comment, for a vehicle its dash
// pattern and its trail as a chain of fitted Bezier curves, and the body's
// own drawing through an EPSView, then the trailer.
//
// A file that cannot be opened, written or closed is reported on standard
// error as "name: reason" and the program goes on; the file number stays
// advanced so the next attempt gets a new name.
#include "display/eps.hh"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <algorithm>

#include "display/bezier.hh"
#include "display/eps_view.hh"
#include "lib/program_name.hh"
#include "lib/straccum.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

String eps_name_pattern;
int eps_file_number = 0;

namespace {

// How standard output is named in messages about it.
const char stdout_name[] = "<standard output>";

const char *const dash_patterns[] = {
    "[] 0 setdash\n",
    "[1 2] 0 setdash\n",
    "[5 3] 0 setdash\n",
    "[8 3 2 3] 0 setdash\n",
};
const int dash_pattern_count = sizeof(dash_patterns) / sizeof(dash_patterns[0]);

bool is_conversion_flag(char c)
{
    return (c >= '0' && c <= '9') || c == ' ' || c == '#' || c == '+' || c == '-';
}

void report(const char *name, int error)
{
    fprintf(stderr, "%s: %s\n", name, strerror(error));
}

// The longest name a pattern may give, the terminating NUL not counted:
// the system refuses longer ones.
const long long max_name_length = PATH_MAX - 1;
// The most characters an int file number prints, sign included.
const long long max_number_length = 11;

// The characters one conversion of the pattern can produce at most: its
// width or the longest number.  A run that is not plain flags then width
// (such as "5-3") is bounded by everything printf could make of it.
long long conversion_length_bound(const char *run, const char *end)
{
    const char *s = run;
    while (s < end && (*s == ' ' || *s == '#' || *s == '+' || *s == '-' || *s == '0'))
        s++;
    long long width = 0, groups = 0, group = 0;
    bool plain = true;
    for (; s < end; s++) {
        if (*s >= '0' && *s <= '9') {
            // Capped: any width past the limit is as bad as any other.
            width = std::min(width * 10 + (*s - '0'), max_name_length + 1);
            group = std::min(group * 10 + (*s - '0'), max_name_length + 1);
        } else {
            plain = false;
            groups += group;
            group = 0;
        }
    }
    groups += group;
    if (plain)
        return std::max(width, max_number_length);
    return groups + (end - run) + max_number_length;
}

// The longest name the pattern gives for any file number.
long long name_length_bound(const char *pattern)
{
    long long length = 0;
    for (const char *s = pattern; *s; s++) {
        if (*s != '%' || s[1] == '%') {
            s += *s == '%';
            length++;
            continue;
        }
        const char *run = ++s;
        while (is_conversion_flag(*s))
            s++;
        length += conversion_length_bound(run, s);
        if (!*s)
            break;
    }
    return length;
}

// The pattern formatted with number; false with errno set when the name
// would be longer than the system allows (it is never built then) or
// printf cannot produce it.
bool format_name(StringAccum &name, String pattern, int number)
{
    const char *format = pattern.c_str();
    if (name_length_bound(format) > max_name_length) {
        errno = ENAMETOOLONG;
        return false;
    }
    int len = snprintf(nullptr, 0, format, number);
    if (len < 0)
        return false;
    char *at = name.reserve(len + 1);
    if (!at) {
        errno = ENOMEM;
        return false;
    }
    snprintf(at, len + 1, format, number);
    name.forward(len);
    return true;
}

void write_header(FILE *f, const View *view)
{
    fprintf(f, "%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 %d %d\n"
            "%%%%EndComments\n%%%%Page: 1 1\n", view->width(), view->height());
    fprintf(f, "gsave 0 0 %d %d rectclip\n", view->width(), view->height());
}

// The trail as one moveto and relative curves; nothing for an empty trail.
void write_trail(FILE *f, const EPSView &eps, const Vector<Point> &trail,
                 double tolerance)
{
    Vector<Bezier> segments;
    fit_beziers(trail, segments, tolerance);
    if (segments.empty())
        return;
    Point current = eps.transform(segments[0].p[0]);
    fprintf(f, "%g %g moveto\n", current.x, current.y);
    for (const Bezier &b : segments) {
        Point c1 = eps.transform(b.p[1]) - current;
        Point c2 = eps.transform(b.p[2]) - current;
        Point end = eps.transform(b.p[3]) - current;
        fprintf(f, "%g %g %g %g %g %g rcurveto\n", c1.x, c1.y, c2.x, c2.y, end.x, end.y);
        current += end;
    }
    fputs("stroke\n", f);
}

void write_bodies(FILE *f, EPSView &eps, const World *world, double tolerance)
{
    int dash = 0;
    const Vector<Body *> &bodies = world->bodies();
    for (int i = 0; i < bodies.size(); i++) {
        Body *body = bodies[i];
        if (Vehicle *vehicle = body->as_vehicle()) {
            fprintf(f, "%% Vehicle %d\n", i);
            fputs(dash_patterns[dash], f);
            write_trail(f, eps, vehicle->trail(), tolerance);
            vehicle->draw(&eps);
            dash = (dash + 1) % dash_pattern_count;
        } else {
            fprintf(f, "%% Body %d\n[] 0 setdash 0.7 setgray\n", i);
            body->draw(&eps);
            fputs("0 setgray\n", f);
        }
    }
}

// Pushes the text out and reports whether any of it was lost.  Standard
// output stays open; its error flag is cleared so the next picture is
// judged on its own.  False when the text is incomplete.
bool finish(FILE *f, const char *name)
{
    bool failed = ferror(f);
    int error = failed ? (errno ? errno : EIO) : 0;
    if (fflush(f) != 0 && !failed) {
        failed = true;
        error = errno;
    }
    if (f == stdout)
        clearerr(f);
    else if (fclose(f) != 0 && !failed) {
        failed = true;
        error = errno;
    }
    if (failed)
        report(name, error);
    return !failed;
}

}  // namespace

bool eps_pattern_ok(const char *text)
{
    bool converted = false;
    for (const char *s = text; *s; s++) {
        if (*s != '%')
            continue;
        if (s[1] == '%') {
            s++;
            continue;
        }
        if (converted)
            return false;
        s++;
        while (is_conversion_flag(*s))
            s++;
        if (*s != 'd' && *s != 'i' && *s != 'u')
            return false;
        converted = true;
    }
    return name_length_bound(text) <= max_name_length;
}

void set_default_eps_pattern()
{
    eps_name_pattern = "xtinkerbot.eps.%03d";
}

bool handle_output_eps_option(const char *text)
{
    if (eps_pattern_ok(text)) {
        eps_name_pattern = text;
        return true;
    }
    fprintf(stderr, "%s: bad output EPS name\n", program_name);
    return false;
}

bool write_eps(World *world, View *view)
{
    FILE *f = stdout;
    StringAccum file_name;
    const char *name = stdout_name;
    if (!eps_name_pattern.empty() && !eps_name_pattern.equals("-", 1)) {
        eps_file_number++;
        if (!format_name(file_name, eps_name_pattern, eps_file_number)) {
            // No name to report: the pattern stands in for it.
            String pattern = eps_name_pattern;
            report(pattern.c_str(), errno);
            return false;
        }
        name = file_name.c_str();
        f = fopen(name, "w");
        if (!f) {
            report(name, errno);
            return false;
        }
        fprintf(stderr, "EPS written to `%s'\n", name);
    }

    EPSView eps(*view, f);
    errno = 0;
    write_header(f, view);
    write_bodies(f, eps, world, view->scale_x());
    fputs("grestore showpage\n%%EOF\n", f);
    return finish(f, name);
}
