// The lexer: character classes, the token table, the readers for strings,
// identifiers, numbers and punctuation, and the chunked input buffers.
// get_token is the entry point; each reader answers a code or 0 ("not
// mine", having pushed back what it read beyond its first character).
#include "lang/token.hh"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "lib/assert.hh"
#include "sim/expr.hh"

// Character classes, indexed from -1 (end of input) to 255.
enum {
    ccWhite = 1,
    ccQuote = 2,
    ccIdentStart = 4,
    ccIdentCont = 8,
    ccNumberStart = 16,
    ccNumberCont = 32,
    ccPunct = 64
};

static int char_class_table[257];
static int *const char_class = char_class_table + 1;

static HashMap<Token> *the_token_table;

static inline int cclass(int c)
{
    return char_class[c];
}

OperatorGroup *Token::vopgroup() const
{
    ASSERT(_cat == catOperator);
    return static_cast<OperatorGroup *>(_datum);
}

ConstExpr *Token::constant() const
{
    ASSERT(_cat == catConstant);
    return static_cast<ConstExpr *>(_datum);
}

// Buffers and fillers

static void array_delete(char *p)
{
    delete[] p;
}

void TokenBuffer::release()
{
    if (free_function && begin)
        free_function(begin);
    free_function = nullptr;
    begin = capacity_end = pos = end = nullptr;
}

void TokenBuffer::release_at(uint32_t total)
{
    release();
    offset = total;
}

StringTokenBufferFiller::StringTokenBufferFiller(const char *name, const char *text)
    : StringTokenBufferFiller(name, text, (int) strlen(text))
{
}

StringTokenBufferFiller::StringTokenBufferFiller(const char *name, const char *text,
                                                 int length)
    : _text(text), _length(length), _lines(new LineTable(PermString(name))),
      _pos(0), _done(false)
{
}

void StringTokenBufferFiller::fill(TokenBuffer &tb)
{
    if (_done) {
        tb.release_at(_pos);
        return;
    }
    tb.release();
    tb.begin = tb.pos = const_cast<char *>(_text);
    tb.end = tb.capacity_end = tb.begin + _length;
    tb.line_table = _lines;
    tb.offset = _pos;
    _pos += _length;
    _done = true;
}

FileTokenBufferFiller::FileTokenBufferFiller(const char *name, FILE *f)
    : _f(f), _lines(new LineTable(PermString(name))), _pos(0)
{
}

void FileTokenBufferFiller::fill(TokenBuffer &tb)
{
    if (feof(_f)) {
        tb.release_at(_pos);
        return;
    }
    if (!tb.begin) {
        tb.begin = new char[chunk_size];
        tb.capacity_end = tb.begin + chunk_size;
        tb.free_function = array_delete;
    }
    size_t n = fread(tb.begin, 1, tb.capacity_end - tb.begin, _f);
    // Nothing read means end of file or a read error: either way the input
    // is over.  Retrying an erroring stream could loop forever.
    if (n == 0) {
        tb.release_at(_pos);
        return;
    }
    tb.pos = tb.begin;
    tb.end = tb.begin + n;
    tb.line_table = _lines;
    tb.offset = _pos;
    _pos += (int) n;
}

// The token table

const HashMap<Token> &Tokenizer::token_table()
{
    static_initialize();
    return *the_token_table;
}

void Tokenizer::define_operator(int code, const char *spelling, int precedence,
                                int flags, int terminator)
{
    PermString name(spelling);
    int i = the_token_table->find_index(name);
    if (the_token_table->bucket(i).key.null())
        the_token_table->insert(name, Token(code, catOperator, name, Landmark(),
                                            new OperatorGroup));
    const Token &t = the_token_table->find(name);
    t.vopgroup()->append(code);
    Operator(code).set_data(name, precedence, flags, terminator);
}

// The operator set, in registration order: precedence climbing is driven
// entirely by these rows (see the enum in sim/operator_codes.hh).
static const struct {
    int code;
    const char *spelling;
    int precedence;
    int flags;
    int terminator;
} operator_set[] = {
    {'(', "(", 32, opfPrefix | opfUnary, ')'},
    {opFlip, "flip", 32, opfPrefix | opfUnary, 0},
    {opPin, "pin", 32, opfPrefix | opfUnary, 0},
    {opPower, "**", 29, 0, 0},
    {opUnaryPlus, "+", 28, opfPrefix | opfUnary, 0},
    {opUnaryMinus, "-", 28, opfPrefix | opfUnary, 0},
    {'!', "!", 28, opfPrefix | opfUnary, 0},
    {'*', "*", 25, 0, 0},
    {'/', "/", 25, 0, 0},
    {'+', "+", 24, 0, 0},
    {'-', "-", 24, 0, 0},
    {opLess, "<", 22, 0, 0},
    {opLessEqual, "<=", 22, 0, 0},
    {opGreater, ">", 22, 0, 0},
    {opGreaterEqual, ">=", 22, 0, 0},
    {opEqual, "==", 20, 0, 0},
    {opNotEqual, "!=", 20, 0, 0},
    {opAnd, "&&", 16, 0, 0},
    {opOr, "||", 15, 0, 0},
    {'?', "?", 11, opfRightAssoc, ':'},
    {opAssign, "=", 10, opfRightAssoc, 0},
    {opAddAssign, "+=", 10, opfRightAssoc, 0},
    {opSubAssign, "-=", 10, opfRightAssoc, 0},
    {opMulAssign, "*=", 10, opfRightAssoc, 0},
    {opDivAssign, "/=", 10, opfRightAssoc, 0},
    {opPowAssign, "**=", 10, opfRightAssoc, 0},
    {',', ",", 3, 0, 0},
};

static const struct {
    int code;
    const char *spelling;
} keywords[] = {
    {opLineComment, "//"},
    {opBlockComment, "/*"},
    {opLet, "let"},
    {opIn, "in"},
    {opEnd, "end"},
};

static void build_char_class()
{
    for (int c = 0; c < 256; c++) {
        int k = 0;
        if (strchr(" \t\n\v\f\r", c) && c)
            k |= ccWhite;
        if (c == '"' || c == '\'' || c == 'L')
            k |= ccQuote;
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        bool digit = c >= '0' && c <= '9';
        if (letter || c == '_' || c == '$')
            k |= ccIdentStart | ccIdentCont;
        if (digit)
            k |= ccIdentCont;
        if (digit || c == '.')
            k |= ccNumberStart | ccNumberCont;
        if (letter)
            k |= ccNumberCont;
        if (c && strchr("!#%&()*+,-./:;<=>?@[\\]^`{|}~", c))
            k |= ccPunct;
        char_class[c] = k;
    }
    char_class[-1] = 0;
}

void Tokenizer::static_initialize()
{
    if (!the_token_table)
        the_token_table = new HashMap<Token>;
    if (the_token_table->count())
        return;
    for (const auto &o : operator_set)
        define_operator(o.code, o.spelling, o.precedence, o.flags, o.terminator);
    for (const auto &k : keywords) {
        PermString name(k.spelling);
        the_token_table->insert(name, Token(k.code, catPlain, name, Landmark(), nullptr));
        Operator(k.code).set_keyword(name);
    }
    build_char_class();
    ASSERT(opNone == 0 && char_class[opNone] == 0);
}

// Construction and character input

Tokenizer::Tokenizer(TokenBufferFiller *filler)
    : _tb(&_main), _filler(filler), _track_lines(false), _s(new char[256]),
      _slen(0), _scap(256)
{
    static_initialize();
    _unread.begin = new char[UNREAD_TB_SIZE];
    _unread.capacity_end = _unread.pos = _unread.end = _unread.begin + UNREAD_TB_SIZE;
    _unread.free_function = array_delete;
    _track_lines = _filler->track_lines();
    _filler->fill(_main);
    if (_track_lines)
        record_line_starts(_main);
}

Tokenizer::~Tokenizer()
{
    delete[] _s;
    _unread.release();
    _main.release();
}

void Tokenizer::record_line_starts(const TokenBuffer &tb)
{
    if (!tb.line_table)
        return;
    for (const char *p = tb.pos; p < tb.end; p++)
        if (*p == '\n')
            tb.line_table->finish_line(tb.offset + (uint32_t) (p - tb.begin) + 1);
}

int Tokenizer::get_char()
{
    for (;;) {
        if (_tb->pos < _tb->end)
            return (unsigned char) *_tb->pos++;
        if (_tb == &_unread) {
            _tb = &_main;
            continue;
        }
        if (!_main.begin)
            return -1;
        _filler->fill(_main);
        if (_track_lines)
            record_line_starts(_main);
    }
}

void Tokenizer::unread(int ch)
{
    if (ch < 0)
        return;
    if (_tb != &_unread && _tb->pos > _tb->begin) {
        _tb->pos--;
        ASSERT((unsigned char) *_tb->pos == ch);
        return;
    }
    if (_tb != &_unread) {
        // The character came from an earlier chunk, now gone: keep a copy
        // that reports the position it was read at.
        uint32_t p = _tb->position() - 1;
        _unread.line_table = _tb->line_table;
        _unread.pos = _unread.end;
        _unread.offset = p + 1 - UNREAD_TB_SIZE;
        _tb = &_unread;
    }
    ASSERT(_unread.pos - _unread.begin > 1);
    *--_unread.pos = (char) ch;
}

Landmark Tokenizer::landmark() const
{
    return Landmark(_tb->line_table, _tb->position());
}

void Tokenizer::append(int c)
{
    if (_slen == _scap) {
        char *s = new char[2 * _scap];
        memcpy(s, _s, _slen);
        delete[] _s;
        _s = s;
        _scap *= 2;
    }
    _s[_slen++] = (char) c;
}

bool Tokenizer::optional(int c)
{
    int d = get_char();
    if (d == c) {
        append(d);
        return true;
    }
    unread(d);
    return false;
}

// The readers

// Identifiers and keywords: [A-Za-z_$][A-Za-z_$0-9]*.
int Tokenizer::read_identifier(int ch)
{
    append(ch);
    int c;
    while (cclass(c = get_char()) & ccIdentCont)
        append(c);
    unread(c);
    return opIdentifier;
}

// Numbers, loosely: a digit (or a dot and a digit) followed by digits,
// letters and dots, with a sign allowed right after an exponent letter.
// The conversion sorts out what the text means.
int Tokenizer::read_number(int ch)
{
    if (ch == '.') {
        int c = get_char();
        if (c < '0' || c > '9') {
            unread(c);
            return 0;
        }
        append(ch);
        append(c);
    } else
        append(ch);
    for (;;) {
        int c = get_char();
        if (!(cclass(c) & ccNumberCont)) {
            unread(c);
            return opNumber;
        }
        append(c);
        if (c == 'e' || c == 'E') {
            int sign = get_char();
            if (sign == '+' || sign == '-')
                append(sign);
            else
                unread(sign);
        }
    }
}

static int hex_digit_value(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// After a backslash: collects the escaped byte, or nothing for an escaped
// newline (the constant continues on the next line).
void Tokenizer::read_escape()
{
    int e = get_char();
    switch (e) {
    case '\n':
        return;
    case 'a': append(7); return;
    case 'b': append(8); return;
    case 'f': append(12); return;
    case 'n': append(10); return;
    case 'r': append(13); return;
    case 't': append(9); return;
    case 'v': append(11); return;
    case '"': case '\'': case '?': case '\\':
        append(e);
        return;
    case 'x': {
        // Only the low 8 bits count: keep the sum small however many
        // digits follow.
        unsigned value = 0;
        int c, d;
        while ((d = hex_digit_value(c = get_char())) >= 0)
            value = (value * 16 + d) & 0xFF;
        unread(c);
        append(value & 0xFF);
        return;
    }
    default:
        if (e >= '0' && e <= '7') {
            unsigned value = e - '0';
            for (int i = 0; i < 2; i++) {
                int c = get_char();
                if (c < '0' || c > '7') {
                    unread(c);
                    break;
                }
                value = 8 * value + (c - '0');
            }
            append(value & 0xFF);
            return;
        }
        landmark().warning("unknown escape sequence");
        append(e & 0xFF);
        return;
    }
}

// String and character constants, with an optional L prefix.
int Tokenizer::read_string(int ch)
{
    if (ch == 'L') {
        int c = get_char();
        if (c != '"' && c != '\'') {
            unread(c);
            return 0;
        }
        ch = c;
    }
    const char *kind = ch == '\'' ? "character" : "string";
    for (;;) {
        int c = get_char();
        if (c < 0) {
            landmark().error("unexpected end of file");
            return opString;
        } else if (c == ch)
            return opString;
        else if (c == '\n') {
            landmark().warning("ANSI C forbids newline in %s constant", kind);
            append(c);
        } else if (c == '\\')
            read_escape();
        else
            append(c);
    }
}

// Punctuation by longest match; at most three characters.  Spellings
// without an entry in the token table come out as plain tokens.
int Tokenizer::read_punct(int ch)
{
    ASSERT(_slen + 3 < _scap);
    append(ch);
    switch (ch) {
    case '(': case ')': case ',': case ':': case ';': case '?':
    case '[': case ']': case '{': case '}': case '~':
        break;
    case '&': case '*': case '+': {
        int c = get_char();
        if (c == ch || c == '=')
            append(c);
        else
            unread(c);
        break;
    }
    case '/': {
        int c = get_char();
        if (c == '*' || c == '/' || c == '=')
            append(c);
        else
            unread(c);
        break;
    }
    case '=':
        if (optional('='))
            optional('>');
        break;
    case '<': {
        int c = get_char();
        if (c == '-') {
            int d = get_char();
            if (d == '>') {
                append(c);
                append(d);
            } else {
                unread(d);
                unread(c);
            }
        } else {
            unread(c);
            optional('<');
            optional('=');
        }
        break;
    }
    case '>':
        optional('>');
        optional('=');
        break;
    case '!': case '%': case '^':
        optional('=');
        break;
    case '-': {
        int c = get_char();
        if (c == '-' || c == '=' || c == '>')
            append(c);
        else
            unread(c);
        break;
    }
    case '#':
        optional('#');
        break;
    case '.': {
        int c = get_char();
        if (c == '.') {
            int d = get_char();
            if (d == '.') {
                append(c);
                append(d);
                break;
            }
            unread(d);
        }
        unread(c);
        break;
    }
    case '|': {
        int c = get_char();
        if (c == '=')
            append(c);
        else if (c == '|') {
            append(c);
            optional('|');
        } else
            unread(c);
        break;
    }
    default:  // @ \ `
        return 0;
    }
    return opPunct;
}

void Tokenizer::skip_block_comment()
{
    int c = get_char();
    while (c >= 0) {
        if (c == '*') {
            do
                c = get_char();
            while (c == '*');
            if (c == '/')
                return;
        } else
            c = get_char();
    }
}

void Tokenizer::skip_line_comment()
{
    int c;
    do
        c = get_char();
    while (c >= 0 && c != '\n');
}

// Converts the collected number text.  Suffixes are stripped from the end;
// integers go through strtol, anything with a dot, exponent or F suffix
// through strtod.  Messages sit just after the number text.
Token Tokenizer::number_token(const Landmark &where)
{
    append(0);  // NUL-terminate the text for the C converters
    char *text = _s;
    int n = _slen - 1;
    Landmark after = landmark();

    bool hex = n >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    bool is_float = false, is_long = false, is_unsigned = false, u_mark = false;
    for (; n > 1; n--) {
        char c = text[n - 1];
        if (c == 'F' || c == 'f') {
            if (hex)
                break;
            if (u_mark)
                after.warning("garbage at end of number");
            is_float = true;
        } else if (c == 'L' || c == 'l') {
            if (is_long || is_float)
                after.warning("garbage at end of number");
            is_long = true;
        } else if (c == 'U' || c == 'u') {
            if (is_unsigned || is_float)
                after.warning("garbage at end of number");
            after.warning("unsigned not yet supported");
            is_unsigned = u_mark = true;
        } else
            break;
    }
    text[n] = 0;

    errno = 0;
    char *stop;
    long l = strtol(text, &stop, 0);
    if (errno == ERANGE)
        after.warning("integer constant out of range");
    double value;
    if (is_float || *stop == '.' || *stop == 'e' || *stop == 'E')
        value = strtod(text, nullptr);
    else {
        value = (double) l;
        if (*stop)
            after.error("floating constant or garbage at end of number");
    }
    return Token(opConstant, catConstant, PermString(""), where, new ConstExpr(value));
}

Token Tokenizer::get_token()
{
    for (;;) {
        _slen = 0;
        Landmark where;
        int ch;
        do {
            where = landmark();
            ch = get_char();
        } while (cclass(ch) & ccWhite);

        int k = cclass(ch), r = 0;
        if (k & ccQuote)
            r = read_string(ch);
        if (!r && (k & ccIdentStart))
            r = read_identifier(ch);
        if (!r && (k & ccNumberStart))
            r = read_number(ch);
        if (!r && (k & ccPunct))
            r = read_punct(ch);
        if (!r) {
            if (ch < 0)
                return Token(opNone, catPlain, PermString(""), where, nullptr);
            landmark().error("illegal character `%c'", ch);
            continue;
        }

        if (r == opNumber)
            return number_token(where);
        PermString text(_s, _slen);
        int code = r;
        if (r == opIdentifier || r == opPunct) {
            const HashMap<Token> &table = *the_token_table;
            int i = table.find_index(text);
            if (!table.bucket(i).key.null()) {
                const Token &t = table.bucket(i).value;
                if (t.code() == opBlockComment) {
                    skip_block_comment();
                    continue;
                }
                if (t.code() == opLineComment) {
                    skip_line_comment();
                    continue;
                }
                return Token(t.code(), t.cat(), t.text(), where, t.datum());
            }
            // Unregistered punctuation is a plain token named by its first
            // character; longer spellings ("++", "->", ...) keep their text.
            if (r == opPunct)
                code = (unsigned char) _s[0];
        }
        return Token(code, catPlain, text, where, nullptr);
    }
}
