// The trace as it streams.  sample() copies each vehicle's numbers into a
// batch of fixed size; the writing thread turns a full batch into text in
// one buffer that goes to the file whenever the next row might not fit.
// Memory stays the same however long the run, a sample allocates nothing,
// and the simulation waits only when the thread falls a whole batch
// behind.  Numbers are the shortest text that reads back to the same
// double (and never depend on the locale), so a trace is exact: two runs
// compare with cmp, and a reader can recompute a step from it.  Lines end
// in CR LF, as CSV files do.
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

#include "driver/program.hh"
#include "lib/assert.hh"
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
// Rows per batch handed to the writing thread (about half a megabyte).
const int batch_rows = 4096;
// x, y, heading, vx, vy, spin.
const int state_numbers = 6;
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
      _used(0), _row_room(row_room_without_name), _filling(&_batches[0]),
      _handed(&_batches[1]), _handed_full(false), _closing(false)
{
    ASSERT(_buffer);
}

TraceWriter::~TraceWriter()
{
    stop_writer();
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

    // Each batch holds a few samples' rows, at least one sample's.
    int rows = _tracked.size() > batch_rows ? _tracked.size() : batch_rows;
    for (Vector<Sampled> &batch : _batches) {
        bool reserved = batch.reserve(rows);
        ASSERT(reserved);
    }
    _writer = std::thread(&TraceWriter::write_batches, this);
}

void TraceWriter::sample(unsigned firing, unsigned long long step)
{
    for (int i = 0; i < _tracked.size(); i++) {
        if (_filling->size() == _filling->capacity())
            hand_over();
        const Vehicle *v = _tracked[i].vehicle;
        Sampled row;
        row.firing = firing;
        row.tracked = i;
        row.step = step;
        row.number[0] = v->x();
        row.number[1] = v->y();
        row.number[2] = v->heading();
        row.number[3] = v->velocity().x;
        row.number[4] = v->velocity().y;
        row.number[5] = v->spin();
        row.present = 0;
        const Vector<double> &readings = v->values();
        const Vector<double> &drives = v->drives();
        for (int c = 0; c < value_columns; c++) {
            int k = _tracked[i].value[c];
            const Vector<double> &from = c < reading_columns ? readings : drives;
            // Before the first step there are no readings and no drives.
            if (k >= 0 && k < from.size()) {
                row.number[state_numbers + c] = from[k];
                row.present |= 1 << c;
            }
        }
        _filling->push_back(row);
    }
}

// Waits until the writing thread has taken the last batch, then hands it
// the one just filled.
void TraceWriter::hand_over()
{
    std::unique_lock<std::mutex> hold(_lock);
    _changed.wait(hold, [this] { return !_handed_full; });
    Vector<Sampled> *full = _filling;
    _filling = _handed;
    _handed = full;
    _handed_full = true;
    _changed.notify_all();
}

// Hands over what is left and waits for the thread to write it.
void TraceWriter::stop_writer()
{
    if (!_writer.joinable())
        return;
    if (!_filling->empty())
        hand_over();
    {
        std::lock_guard<std::mutex> hold(_lock);
        _closing = true;
        _changed.notify_all();
    }
    _writer.join();
}

// The writing thread: every batch in turn, until no more will come.
// After a failure batches are still taken, so sample() never waits for
// nothing, but no longer written.
void TraceWriter::write_batches()
{
    for (;;) {
        std::unique_lock<std::mutex> hold(_lock);
        _changed.wait(hold, [this] { return _handed_full || _closing; });
        if (!_handed_full)
            return;
        hold.unlock();
        for (const Sampled &row : *_handed)
            if (ok())
                format(row);
        _handed->clear();
        hold.lock();
        _handed_full = false;
        _changed.notify_all();
    }
}

void TraceWriter::format(const Sampled &row)
{
    if (_capacity - _used < _row_room)
        flush();
    const Tracked &t = _tracked[row.tracked];
    char *at = _buffer + _used;
    at = put_integer(at, row.firing);
    *at++ = ',';
    at = put_integer(at, row.step);
    *at++ = ',';
    at = put_integer(at, t.index);
    *at++ = ',';
    if (t.name) {
        std::memcpy(at, t.name.c_str(), t.name.length());
        at += t.name.length();
    }
    for (int k = 0; k < state_numbers; k++) {
        *at++ = ',';
        at = put_double(at, row.number[k]);
    }
    // A drive often is a reading unchanged (the plain wirings): its text
    // is copied rather than converted again.
    const char *text[reading_columns];
    int length[reading_columns];
    double value[reading_columns];
    int shown = 0;
    for (int c = 0; c < value_columns; c++) {
        *at++ = ',';
        if (!(row.present & (1 << c)))
            continue;
        double d = row.number[state_numbers + c];
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

void TraceWriter::put(const char *text)
{
    for (; *text && ok(); text++) {
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
    while (at < end && ok()) {
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
    if (ok())
        std::fprintf(stderr, "%s: %s: %s\n", program_name, _name, std::strerror(error));
    _failed = true;
}

bool TraceWriter::finish()
{
    stop_writer();
    if (_fd < 0)
        return ok();
    if (ok())
        flush();
    if (_owns_fd && close(_fd) != 0)
        fail(errno);
    _fd = -1;
    _owns_fd = false;
    return ok();
}
