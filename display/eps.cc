// The EPS writer.  One file per 'o' press: a header sized to the window,
// then for every body in world order its comment, for a vehicle its dash
// pattern and its trail as a chain of fitted Bezier curves, and the body's
// own drawing through an EPSView, then the trailer.
//
// A file that cannot be opened, written or closed is reported on standard
// error as "name: reason" and the program goes on; the file number stays
// advanced so the next attempt gets a new name.
//
// Opening never waits: a FIFO nobody reads is refused at once.  Where the
// caller has a PendingOutput (the interactive program), a picture for
// anything but a regular file is made in memory and handed to it, so a
// slow or vanished reader never holds up the caller.  Geometry beyond what
// an interpreter takes is trimmed (display/eps_limits.hh).
#include "display/eps.hh"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <algorithm>
#include <new>

#include "display/bezier.hh"
#include "display/eps_limits.hh"
#include "display/eps_view.hh"
#include "display/pending_output.hh"
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

// As fopen's "w" does, but never waiting: a FIFO without a reader is
// refused (ENXIO) rather than waited for.  The descriptor is non-blocking.
int open_without_waiting(const char *name)
{
    int fd;
    do
        fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

void write_header(FILE *f, const View *view)
{
    fprintf(f, "%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 %d %d\n"
            "%%%%EndComments\n%%%%Page: 1 1\n", view->width(), view->height());
    fprintf(f, "gsave 0 0 %d %d rectclip\n", view->width(), view->height());
}

// Prints a chain of curves (page coordinates) as one moveto and relative
// curves.  A curve beyond the path limit is split until its pieces are
// within it or wholly off the page, which are left out, as is any curve
// that is not finite; after a gap the chain resumes with a new moveto.
class TrailPen {
  public:
    TrailPen(FILE *f, const PageBox &page) : _f(f), _page(page) {}

    void curve(const Point p[4], int depth = 0)
    {
        if (within_path_limit(p[0]) && within_path_limit(p[1]) && within_path_limit(p[2])
            && within_path_limit(p[3])) {
            if (!_down) {
                fprintf(_f, "%g %g moveto\n", p[0].x, p[0].y);
                _current = p[0];
                _down = _drawn = true;
            }
            Point c1 = p[1] - _current, c2 = p[2] - _current, end = p[3] - _current;
            fprintf(_f, "%g %g %g %g %g %g rcurveto\n", c1.x, c1.y, c2.x, c2.y, end.x, end.y);
            _current += end;
            return;
        }
        _down = false;
        if (depth >= max_split_depth || !is_finite(p[0]) || !is_finite(p[1])
            || !is_finite(p[2]) || !is_finite(p[3]) || !hull_meets_box(_page, p, 4))
            return;
        Point left[4], right[4];
        split_bezier(p, left, right);
        curve(left, depth + 1);
        curve(right, depth + 1);
    }
    void finish()
    {
        if (_drawn)
            fputs("stroke\n", _f);
    }

  private:
    // Each split halves a curve; past this many, what is still beyond the
    // limit is left out.
    static const int max_split_depth = 64;
    FILE *_f;
    PageBox _page;
    Point _current;
    bool _down = false;   // a current point continues the chain
    bool _drawn = false;  // anything printed
};

void draw_curves(TrailPen &pen, const EPSView &eps, const Vector<Bezier> &segments)
{
    for (const Bezier &b : segments) {
        Point p[4] = {eps.transform(b.p[0]), eps.transform(b.p[1]), eps.transform(b.p[2]),
                      eps.transform(b.p[3])};
        pen.curve(p);
    }
}

// Trails grow without limit: when memory is short, fitting a long one
// whole (it copies the trail) can fail.  It is then fitted this many
// points at a time, which needs little memory.
const int trail_piece = 512;

// The trail fitted piece by piece; false when even that failed.
bool draw_trail_in_pieces(TrailPen &pen, const EPSView &eps, const Vector<Point> &trail,
                          double tolerance)
{
    try {
        Vector<Point> piece(trail_piece + 1);
        Vector<Bezier> segments;
        // Consecutive pieces share a point, so the chain stays continuous.
        for (int start = 0; start < trail.size() - 1 || start == 0; start += trail_piece) {
            piece.clear();
            for (int i = start; i < trail.size() && i <= start + trail_piece; i++)
                piece.push_back(trail[i]);
            segments.clear();
            fit_beziers(piece, segments, tolerance);
            draw_curves(pen, eps, segments);
        }
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

// The trail's finite points, fitted; a position that overflowed or became
// undefined says nothing about where the vehicle went.
void write_trail(FILE *f, const EPSView &eps, const Vector<Point> &trail,
                 double tolerance, const char *name)
{
    const Vector<Point> *points = &trail;
    Vector<Point> finite;
    TrailPen pen(f, eps.page_box());
    try {
        for (const Point &p : trail)
            if (!is_finite(p)) {
                for (const Point &q : trail)
                    if (is_finite(q))
                        finite.push_back(q);
                points = &finite;
                break;
            }
        Vector<Bezier> segments;
        fit_beziers(*points, segments, tolerance);
        draw_curves(pen, eps, segments);
    } catch (const std::bad_alloc &) {
        if (!draw_trail_in_pieces(pen, eps, *points, tolerance))
            fprintf(stderr, "%s: out of memory: a trail was left out\n", name);
    }
    pen.finish();
}

void write_bodies(FILE *f, EPSView &eps, const World *world, double tolerance,
                  const char *name)
{
    int dash = 0;
    const Vector<Body *> &bodies = world->bodies();
    for (int i = 0; i < bodies.size(); i++) {
        Body *body = bodies[i];
        if (Vehicle *vehicle = body->as_vehicle()) {
            fprintf(f, "%% Vehicle %d\n", i);
            fputs(dash_patterns[dash], f);
            write_trail(f, eps, vehicle->trail(), tolerance, name);
            body->draw(&eps);  // virtual: this layer links no simulation code
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

bool write_eps(World *world, View *view, PendingOutput *later)
{
    int fd = STDOUT_FILENO;
    bool owned = false;
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
        fd = open_without_waiting(name);
        if (fd < 0) {
            report(name, errno);
            return false;
        }
        owned = true;
        fprintf(stderr, "EPS written to `%s'\n", name);
    }

    struct stat st;
    bool in_memory = later && !(fstat(fd, &st) == 0 && S_ISREG(st.st_mode));
    char *text = nullptr;
    size_t size = 0;
    FILE *f = stdout;
    if (in_memory)
        f = open_memstream(&text, &size);
    else if (owned) {
        // Written here and now, as long as the reader needs.
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        f = fdopen(fd, "w");
    }
    if (!f) {
        report(name, errno);
        if (owned)
            close(fd);
        return false;
    }

    EPSView eps(*view, f);
    errno = 0;
    write_header(f, view);
    write_bodies(f, eps, world, view->scale_x(), name);
    fputs("grestore showpage\n%%EOF\n", f);
    if (!in_memory)
        return finish(f, name);

    bool made = !ferror(f);
    if (fclose(f) != 0 || !made) {
        report(name, ENOMEM);
        free(text);
        if (owned)
            close(fd);
        return false;
    }
    // Anything still buffered for standard output goes first.
    if (!owned)
        fflush(stdout);
    return later->add(fd, owned, name, text, size);
}
