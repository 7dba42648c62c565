// Source positions and messages.  A Landmark is a compact position: the
// input's LineTable and a stream position (characters counted from 0).  The
// lexer fills each input's LineTable with line starts as chunks arrive, so a
// position turns into "name:line:" long after its text was read.
//
// The reporter prints one line per error or warning: the position text,
// "warning: " for warnings, then a small printf-like format that also
// knows operator codes (%o), printable characters (%c) and plurals (%S).
#ifndef XTINKERBOT_LANG_LANDMARK_HH
#define XTINKERBOT_LANG_LANDMARK_HH

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "lib/permstr.hh"
#include "lib/string.hh"

// Up to 80 consecutive lines.  Line i covers positions _cp[i] to
// _cp[i+1] - 1; _cp[n] is 0xFFFFFFFF, the open end of the last line.
class LineBlock {
  public:
    enum { capacity = 80 };

    LineBlock(uint32_t start, PermString file, int line);
    LineBlock(const LineBlock &) = delete;
    LineBlock &operator=(const LineBlock &) = delete;

    // Closes the last line and opens one at p (just after a newline).
    // Returns the block that is current afterwards: this one, or a new
    // next block when this one is full.
    LineBlock *finish_line(uint32_t p);

    uint32_t start() const { return _start; }
    uint32_t end() const { return _end; }
    LineBlock *next() const { return _next; }
    int line_count() const { return _n; }
    bool contains(uint32_t x) const { return _start <= x && x < _end; }
    // Index of the line holding x, which the block must contain.
    int find_line(uint32_t x) const;
    PermString file(int i) const { return _file[i]; }
    int line(int i) const { return _line[i]; }

  private:
    uint32_t _start;
    uint32_t _end;   // 0xFFFFFFFF while this is the last block
    LineBlock *_next;
    int _n;          // 1 to 80
    uint32_t _cp[capacity + 1];
    PermString _file[capacity];
    int _line[capacity];  // -1: a line without a number
};

// The lines of one input; created by its filler.  The program never frees
// one (messages may name any input until the process ends), and every
// table stays linked into a process-wide list so it is visibly alive.  A
// tool that reads many inputs may delete the tables it is done with.
class LineTable {
  public:
    explicit LineTable(PermString file);
    ~LineTable();
    LineTable(const LineTable &) = delete;
    LineTable &operator=(const LineTable &) = delete;

    LineBlock *head() const { return const_cast<LineBlock *>(&_head); }
    LineBlock *current() const { return _current; }
    void set_current(LineBlock *b) { _current = b; }
    // Records a line starting at p, just after a newline.
    void finish_line(uint32_t p) { _current = _current->finish_line(p); }

    // File name and line number of the line containing x.
    void lookup(uint32_t x, PermString &file, int &line) const;

  private:
    LineBlock _head;
    LineBlock *_current;
    LineTable *_prev_table;  // the process-wide list of tables
    LineTable *_next_table;
};

class Landmark {
  public:
    Landmark() : _table(nullptr), _pos(0) {}
    Landmark(LineTable *table, uint32_t pos) : _table(table), _pos(pos) {}

    LineTable *table() const { return _table; }
    uint32_t position() const { return _pos; }

    // "name:line:" (or "name:" for a line without a number).
    String position_text() const;

    void error(const char *format, ...) const;
    void warning(const char *format, ...) const;
    void message(bool is_warning, const char *format, va_list val) const;

  private:
    LineTable *_table;
    uint32_t _pos;
};

// How many errors (not warnings) have been reported so far.
int reported_error_count();

// Where messages go: standard error unless a test redirects them.  Returns
// the previous stream; null restores standard error.
FILE *set_message_file(FILE *f);

// The expansion of format alone, as the reporter would print it after the
// position text (used by the reporter and its tests).
String format_message(const char *format, va_list val);

#endif
