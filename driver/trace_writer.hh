// TraceWriter: the batch runner's trajectory file, a CSV table with one row
// per vehicle per sample.  The columns are the same for every run (the
// sensor names and motor drives of every catalogue vehicle, empty where a
// vehicle lacks one), so traces of many runs concatenate or load side by
// side; the numbers read back to the same doubles.
//
// Turning doubles into their shortest text costs about as much as a tenth
// of a firing of the vehicles it describes, so it runs on a thread of its
// own: the simulation copies the numbers of a sample and goes on, and the
// thread formats and writes them in order.
#ifndef XTINKERBOT_DRIVER_TRACE_WRITER_HH
#define XTINKERBOT_DRIVER_TRACE_WRITER_HH

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

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
    // Takes the world's vehicles in its body order now, writes the header
    // and starts the thread that formats and writes the rows.  Every
    // vehicle's sensors and motors must have columns.
    void start(const World *world);
    // One row for every vehicle: the state after `firing' firings, `step'
    // world steps.  Copies numbers only, and allocates nothing.
    void sample(unsigned firing, unsigned long long step);
    // False once output has failed; the failure was reported then.
    bool ok() const { return !_failed.load(std::memory_order_relaxed); }
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
    // One row as sampled, before it becomes text.
    struct Sampled {
        unsigned firing;
        int tracked;  // into _tracked
        unsigned long long step;
        double number[12];      // x to spin, then the readings and drives
        unsigned char present;  // bit c: reading or drive column c has a value
    };

    int _fd;                // -1 when closed
    bool _owns_fd;          // false for standard output
    const char *_name;      // as given, or "<standard output>"
    std::atomic<bool> _failed;
    Vector<Tracked> _tracked;
    char *_buffer;          // _capacity bytes, _used of them pending
    int _capacity;
    int _used;
    int _row_room;          // bytes the longest row can take

    // Rows pass from sample() to the writing thread a batch at a time:
    // the one is filled while the other is written.
    Vector<Sampled> _batches[2];
    Vector<Sampled> *_filling;
    Vector<Sampled> *_handed;
    std::thread _writer;
    std::mutex _lock;
    std::condition_variable _changed;
    bool _handed_full;      // under _lock: _handed waits to be written
    bool _closing;          // under _lock: no batch will follow

    void hand_over();
    void stop_writer();
    void write_batches();
    void format(const Sampled &row);
    void put(const char *text);
    void flush();
    void fail(int error);
};

#endif
