// The trace as it streams: rows are formatted into one buffer that goes to
// the file whenever the next row might not fit, so memory stays the same
// however long the run, and a sample costs no allocation and no stdio.
// Numbers are the shortest text that reads back to the same double (and
// never depend on the locale), so a trace is exact: two runs compare with
// cmp, and a reader can recompute a step from it.  Lines end in CR LF, as
// CSV files do.
//
// The first failed write is reported with the file's name and ends all
// further output; the caller stops the run on ok() turning false.
#include "driver/trace_writer.hh"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lib/assert.hh"
#include "lib/program_name.hh"
#include "sim/sensor.hh"
#include "sim/vehicle.hh"
#include "sim/world.hh"

const char *const trace_columns[] = {
    "firing", "step", "index", "body", "x", "y", "heading", "vx", "vy", "spin",
    "left", "right", "middle", "drive_left", "drive_right", "drive",
};
const int trace_column_count = sizeof(trace_columns) / sizeof(trace_columns[0]);

namespace {

// Where the readings and the drives start among the columns; Tracked::value
// holds one entry for each column from the first reading on.
const int first_reading_column = 10;
const int reading_columns = 3;
const int value_columns = 6;
static_assert(first_reading_column + value_columns
                  == sizeof(trace_columns) / sizeof(trace_columns[0]),
              "Tracked::value covers the readings and drives of trace_columns");

const int buffer_size = 1 << 16;
// A double takes at most 24 characters, an integer 20; with the commas
// and the line end, 16 columns fit in this beside the body name.
const int row_room_without_name = 16 * 25 + 2;

const char stdout_name[] = "<standard output>";

int reading_column(PermString name)
{
    for (int c = 0; c < reading_columns; c++)
        if (std::strcmp(name.c_str(), trace_columns[first_reading_column + c]) == 0)
            return c;
    return -1;
}

// A single motor drives straight ahead; a pair is the left-logic motor
// (actuator 0) and the right-logic one.
int drive_column(int actuator, int count)
{
    if (count == 1)
        return value_columns - 1;
    return count == 2 ? reading_columns + actuator : -1;
}

char *put_double(char *at, double v)
{
    return std::to_chars(at, at + 24, v).ptr;
}

char *put_integer(char *at, unsigned long long v)
{
    return std::to_chars(at, at + 20, v).ptr;
}

}  // namespace

TraceWriter::TraceWriter()
    : _fd(-1), _owns_fd(false), _name(stdout_name), _failed(false),
      _buffer(static_cast<char *>(std::malloc(buffer_size))), _capacity(buffer_size),
      _used(0), _row_room(row_room_without_name)
{
    ASSERT(_buffer);
}

TraceWriter::~TraceWriter()
{
    if (_owns_fd)
        close(_fd);
    std::free(_buffer);
}

bool TraceWriter::open(const char *name)
{
    ASSERT(_fd < 0);
    if (std::strcmp(name, "-") == 0) {
        _fd = STDOUT_FILENO;
        _name = stdout_name;
        return true;
    }
    _name = name;
    _fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    _owns_fd = _fd >= 0;
    if (_fd < 0) {
        std::fprintf(stderr, "%s: %s: %s\n", program_name, name, std::strerror(errno));
        return false;
    }
    return true;
}

void TraceWriter::start(const World *world)
{
    const Vector<Body *> &bodies = world->bodies();
    for (int i = 0; i < bodies.size(); i++) {
        const Vehicle *v = bodies[i]->as_vehicle();
        if (!v)
            continue;
        Tracked t;
        t.vehicle = v;
        t.index = i;
        t.name = v->name();
        for (signed char &c : t.value)
            c = -1;
        for (int s = 0; s < v->sensor_count(); s++) {
            int c = reading_column(v->sensor(s)->name());
            ASSERT(c >= 0);
            t.value[c] = static_cast<signed char>(s);
        }
        for (int a = 0; a < v->actuator_count(); a++) {
            int c = drive_column(a, v->actuator_count());
            ASSERT(c >= 0);
            t.value[c] = static_cast<signed char>(a);
        }
        _tracked.push_back(t);
        int name_room = t.name ? t.name.length() : 0;
        if (row_room_without_name + name_room > _row_room)
            _row_room = row_room_without_name + name_room;
    }
    // Even a name longer than the buffer streams: put() flushes as it goes.
    for (int c = 0; c < trace_column_count; c++) {
        if (c > 0)
            put(",");
        put(trace_columns[c]);
    }
    put("\r\n");
}

void TraceWriter::sample(unsigned firing, unsigned long long step)
{
    char prefix[48];
    char *p = put_integer(prefix, firing);
    *p++ = ',';
    p = put_integer(p, step);
    *p++ = ',';
    int prefix_length = p - prefix;

    for (const Tracked &t : _tracked) {
        if (_failed)
            return;
        if (_capacity - _used < _row_room)
            flush();
        char *at = _buffer + _used;
        std::memcpy(at, prefix, prefix_length);
        at += prefix_length;
        at = put_integer(at, t.index);
        *at++ = ',';
        if (t.name) {
            std::memcpy(at, t.name.c_str(), t.name.length());
            at += t.name.length();
        }
        const Vehicle *v = t.vehicle;
        const double state[] = {v->x(), v->y(), v->heading(), v->velocity().x,
                                v->velocity().y, v->spin()};
        for (double d : state) {
            *at++ = ',';
            at = put_double(at, d);
        }
        const Vector<double> &readings = v->values();
        const Vector<double> &drives = v->drives();
        // A drive often is a reading unchanged (the plain wirings): its
        // text is copied rather than converted again.
        const char *text[reading_columns];
        int length[reading_columns];
        double value[reading_columns];
        int shown = 0;
        for (int c = 0; c < value_columns; c++) {
            *at++ = ',';
            int i = t.value[c];
            const Vector<double> &from = c < reading_columns ? readings : drives;
            // Before the first step there are no readings and no drives.
            if (i < 0 || i >= from.size())
                continue;
            double d = from[i];
            int k = 0;
            while (k < shown && std::memcmp(&value[k], &d, sizeof d) != 0)
                k++;
            if (k < shown) {
                std::memcpy(at, text[k], length[k]);
                at += length[k];
                continue;
            }
            char *start = at;
            at = put_double(at, d);
            if (c < reading_columns) {
                text[shown] = start;
                length[shown] = at - start;
                value[shown++] = d;
            }
        }
        *at++ = '\r';
        *at++ = '\n';
        _used = at - _buffer;
    }
}

void TraceWriter::put(const char *text)
{
    for (; *text && !_failed; text++) {
        if (_used == _capacity)
            flush();
        _buffer[_used++] = *text;
    }
}

void TraceWriter::flush()
{
    const char *at = _buffer;
    const char *end = _buffer + _used;
    _used = 0;
    while (at < end && !_failed) {
        ssize_t n = write(_fd, at, end - at);
        if (n > 0)
            at += n;
        else if (n < 0 && errno != EINTR)
            fail(errno);
        else if (n == 0)
            fail(EIO);
    }
}

void TraceWriter::fail(int error)
{
    if (!_failed)
        std::fprintf(stderr, "%s: %s: %s\n", program_name, _name, std::strerror(error));
    _failed = true;
}

bool TraceWriter::finish()
{
    if (_fd < 0)
        return !_failed;
    if (!_failed)
        flush();
    if (_owns_fd && close(_fd) != 0)
        fail(errno);
    _fd = -1;
    _owns_fd = false;
    return !_failed;
}
