// Line tables, positions and the message reporter.
#include "lang/landmark.hh"

#include "lang/operator.hh"
#include "lib/assert.hh"
#include "lib/straccum.hh"

static const uint32_t open_end = 0xFFFFFFFFU;

LineBlock::LineBlock(uint32_t start, PermString file, int line)
    : _start(start), _end(open_end), _next(nullptr), _n(1)
{
    _cp[0] = start;
    _cp[1] = open_end;
    _file[0] = file;
    _line[0] = line;
}

LineBlock *LineBlock::finish_line(uint32_t p)
{
    ASSERT(!_next);
    PermString file = _file[_n - 1];
    int line = _line[_n - 1] < 0 ? -1 : _line[_n - 1] + 1;
    _cp[_n] = p;
    if (_n == capacity) {
        _end = p;
        _next = new LineBlock(p, file, line);
        return _next;
    }
    _file[_n] = file;
    _line[_n] = line;
    _cp[_n + 1] = open_end;
    _n++;
    return this;
}

int LineBlock::find_line(uint32_t x) const
{
    int lo = 0, hi = _n - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        if (_cp[mid] > x)
            hi = mid - 1;
        else if (_cp[mid + 1] > x)
            return mid;
        else
            lo = mid + 1;
    }
    // Every position below the open end lies in some line; the open end
    // itself belongs to the last one.
    return _n - 1;
}

static LineTable *all_line_tables = nullptr;

LineTable::LineTable(PermString file)
    : _head(0, file, 1), _current(&_head), _prev_table(nullptr),
      _next_table(all_line_tables)
{
    if (_next_table)
        _next_table->_prev_table = this;
    all_line_tables = this;
}

LineTable::~LineTable()
{
    for (LineBlock *b = _head.next(); b; ) {
        LineBlock *next = b->next();
        delete b;
        b = next;
    }
    if (_prev_table)
        _prev_table->_next_table = _next_table;
    else
        all_line_tables = _next_table;
    if (_next_table)
        _next_table->_prev_table = _prev_table;
}

void LineTable::lookup(uint32_t x, PermString &file, int &line) const
{
    const LineBlock *b = &_head;
    while (b->next() && !b->contains(x))
        b = b->next();
    int i = b->find_line(x);
    file = b->file(i);
    line = b->line(i);
}

String Landmark::position_text() const
{
    StringAccum sa;
    if (_table) {
        PermString file;
        int line;
        _table->lookup(_pos, file, line);
        if (file)
            sa << file.c_str();
        sa << ':';
        if (line != -1)
            sa << (unsigned) line << ':';
    }
    return sa.take_string();
}

static FILE *message_file = nullptr;
static int errors_reported = 0;

int reported_error_count()
{
    return errors_reported;
}

FILE *set_message_file(FILE *f)
{
    FILE *old = message_file ? message_file : stderr;
    message_file = f;
    return old;
}

// %c: printable ASCII as itself, control characters as ^X, the rest octal.
static void append_char_code(StringAccum &sa, int code)
{
    unsigned char c = (unsigned char) code;
    if (c >= 32 && c <= 126)
        sa << (char) c;
    else if (c < 32)
        sa << '^' << (char) (c + 64);
    else
        sa.snprintf(4, "\\%03o", c);
}

static void append_operator(StringAccum &sa, int code)
{
    PermString name = code ? Operator(code).name() : PermString();
    sa << (name ? name.c_str() : "(null)");
}

String format_message(const char *format, va_list val)
{
    StringAccum sa;
    for (const char *s = format; *s; s++) {
        if (*s != '%') {
            sa << *s;
            continue;
        }
        do
            s++;
        while (*s == '-');
        switch (*s) {
        case 0:
            // A format ending in a lone percent sign: nothing to convert.
            return sa.take_string();
        case '%':
            sa << '%';
            break;
        case 's': {
            const char *x = va_arg(val, const char *);
            sa << (x ? x : "(null)");
            break;
        }
        case 'd':
            sa << va_arg(val, int);
            break;
        case 'u':
            sa << va_arg(val, unsigned);
            break;
        case 'p':
            sa.snprintf(32, "%p", va_arg(val, void *));
            break;
        case 'c':
            append_char_code(sa, va_arg(val, int));
            break;
        case 'o':
            append_operator(sa, va_arg(val, int));
            break;
        case 'S':
            if (va_arg(val, int) != 1)
                sa << 's';
            break;
        default:
            sa << "<BAD % `" << *s << "'>";
            break;
        }
    }
    return sa.take_string();
}

void Landmark::message(bool is_warning, const char *format, va_list val) const
{
    StringAccum sa;
    sa << position_text();
    if (is_warning)
        sa << "warning: ";
    sa << format_message(format, val) << '\n';
    if (!is_warning)
        errors_reported++;
    FILE *f = message_file ? message_file : stderr;
    // Output errors of the message stream are ignored on purpose.
    (void) fwrite(sa.data(), 1, sa.length(), f);
    fflush(f);
}

void Landmark::error(const char *format, ...) const
{
    va_list val;
    va_start(val, format);
    message(false, format, val);
    va_end(val);
}

void Landmark::warning(const char *format, ...) const
{
    va_list val;
    va_start(val, format);
    message(true, format, val);
    va_end(val);
}
