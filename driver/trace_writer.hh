// TraceWriter: the batch runner's trajectory file, a CSV table with one row
// per vehicle per sample.  The columns are the same for every run (the
// sensor names and motor drives of every catalogue vehicle, empty where a
// vehicle lacks one), so traces of many runs concatenate or load side by
// side; the numbers read back to the same doubles.
#ifndef XTINKERBOT_DRIVER_TRACE_WRITER_HH
#define XTINKERBOT_DRIVER_TRACE_WRITER_HH

#include "lib/permstr.hh"
#include "lib/vector.hh"

class World;
class Vehicle;

// The header's names, in column order.
extern const char *const trace_columns[];
extern const int trace_column_count;

class TraceWriter {
  public:
    TraceWriter();
    ~TraceWriter();

    // Opens (creating or truncating) the file; "-" is standard output.
    // False, after a message on standard error, when it cannot be opened.
    bool open(const char *name);
    // Takes the world's vehicles in its body order now and writes the
    // header.  Every vehicle's sensors and motors must have columns.
    void start(const World *world);
    // One row for every vehicle: the state after `firing' firings, `step'
    // world steps.  Allocates nothing.
    void sample(unsigned firing, unsigned long long step);
    // False once output has failed; the failure was reported then.
    bool ok() const { return !_failed; }
    // Writes out the rest and closes the file; false when anything was
    // lost (reported once).
    bool finish();

    TraceWriter(const TraceWriter &) = delete;
    TraceWriter &operator=(const TraceWriter &) = delete;

  private:
    // A vehicle and, for each reading and drive column, the index of its
    // value in the vehicle's readings or drives, or -1 when it has none.
    struct Tracked {
        const Vehicle *vehicle;
        int index;  // in the world's body order at start
        PermString name;
        signed char value[6];
    };

    int _fd;                // -1 when closed
    bool _owns_fd;          // false for standard output
    const char *_name;      // as given, or "<standard output>"
    bool _failed;
    Vector<Tracked> _tracked;
    char *_buffer;          // _capacity bytes, _used of them pending
    int _capacity;
    int _used;
    int _row_room;          // bytes the longest row can take

    void put(const char *text);
    void flush();
    void fail(int error);
};

#endif
