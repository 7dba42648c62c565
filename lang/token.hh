// The lexer of the wiring language: text in, tokens out.
//
// Input arrives in chunks through a TokenBufferFiller (a string read in
// place, or a stdio stream).  The Tokenizer reads characters from the
// current chunk, pushes characters back when a reader looked one too far,
// and records the line starts of every chunk in the input's LineTable so
// that each token's Landmark prints as "name:line:".
//
// What a spelling means is not built in: identifiers and punctuation are
// looked up in one process-wide token table, filled once with the operator
// set and the keywords by the first Tokenizer (static_initialize).
#ifndef XTINKERBOT_LANG_TOKEN_HH
#define XTINKERBOT_LANG_TOKEN_HH

#include <cstdint>
#include <cstdio>

#include "lang/landmark.hh"
#include "lang/operator.hh"
#include "lib/hashmap.hh"
#include "lib/permstr.hh"

class ConstExpr;

// Token categories.
enum {
    catOperator = 1,  // datum: the spelling's OperatorGroup
    catPlain = 2,
    catConstant = 3   // datum: the ConstExpr holding the value, new for each
                      // token; it belongs to whoever takes the token
};

class Token {
  public:
    Token() : _code(opNone), _cat(0), _datum(nullptr) {}
    Token(int code, int cat, PermString text, const Landmark &landmark, void *datum)
        : _code(code), _cat((int16_t) cat), _text(text), _landmark(landmark),
          _datum(datum)
    {
    }

    int code() const { return _code; }
    int cat() const { return _cat; }
    PermString text() const { return _text; }
    const Landmark &landmark() const { return _landmark; }
    void *datum() const { return _datum; }
    OperatorGroup *vopgroup() const;
    ConstExpr *constant() const;

  private:
    int _code;      // an operator code (sim/operator_codes.hh)
    int16_t _cat;   // 0 only in a default-constructed token
    PermString _text;
    Landmark _landmark;
    void *_datum;
};

// One chunk of input.  The stream position of the character at pos is
// offset + (pos - begin); at end of input the pointers are null and offset
// is the length of the whole input.
struct TokenBuffer {
    void (*free_function)(char *);  // null when the storage is not ours
    LineTable *line_table;
    uint32_t offset;
    char *begin;
    char *capacity_end;
    char *pos;
    char *end;

    TokenBuffer()
        : free_function(nullptr), line_table(nullptr), offset(0), begin(nullptr),
          capacity_end(nullptr), pos(nullptr), end(nullptr)
    {
    }

    uint32_t position() const { return offset + (uint32_t) (pos - begin); }
    // Frees owned storage.
    void release();
    // Marks end of input: no storage, offset = total length delivered.
    void release_at(uint32_t total);
};

class TokenBufferFiller {
  public:
    virtual ~TokenBufferFiller() {}
    // Whether the Tokenizer must record line starts of each chunk.
    virtual bool track_lines() const = 0;
    // Puts the next chunk into tb, or releases it at end of input.
    virtual void fill(TokenBuffer &tb) = 0;
};

// The whole text as one chunk, read in place.
class StringTokenBufferFiller : public TokenBufferFiller {
  public:
    // text must outlive the Tokenizer; name labels messages.
    StringTokenBufferFiller(const char *name, const char *text);
    // The same for length bytes of text, NULs included.
    StringTokenBufferFiller(const char *name, const char *text, int length);

    bool track_lines() const override { return true; }
    void fill(TokenBuffer &tb) override;
    LineTable *line_table() const { return _lines; }

  private:
    const char *_text;
    int _length;
    LineTable *_lines;  // never freed: tokens keep pointing into it
    int _pos;
    bool _done;
};

// A stdio stream in chunks of 4096 characters.
class FileTokenBufferFiller : public TokenBufferFiller {
  public:
    FileTokenBufferFiller(const char *name, FILE *f);

    bool track_lines() const override { return true; }
    void fill(TokenBuffer &tb) override;
    LineTable *line_table() const { return _lines; }

    enum { chunk_size = 4096 };

  private:
    FILE *_f;  // not owned
    LineTable *_lines;
    int _pos;
};

class Tokenizer {
  public:
    explicit Tokenizer(TokenBufferFiller *filler);
    virtual ~Tokenizer();
    Tokenizer(const Tokenizer &) = delete;
    Tokenizer &operator=(const Tokenizer &) = delete;

    Token get_token();
    // Pushes ch back so the next read returns it; -1 is ignored.
    void unread(int ch);
    // The position of the next character.
    Landmark landmark() const;

    static void define_operator(int code, const char *spelling, int precedence,
                                int flags, int terminator);
    static void static_initialize();
    static const HashMap<Token> &token_table();

    enum { UNREAD_TB_SIZE = 30 };

  private:
    TokenBuffer _main;
    TokenBuffer _unread;  // fills downward from its end
    TokenBuffer *_tb;     // the buffer being read
    TokenBufferFiller *_filler;
    bool _track_lines;
    char *_s;             // text of the current token
    int _slen;
    int _scap;

    int get_char();
    void append(int c);
    bool optional(int c);
    void record_line_starts(const TokenBuffer &tb);

    int read_string(int ch);
    void read_escape();
    int read_identifier(int ch);
    int read_number(int ch);
    int read_punct(int ch);
    Token number_token(const Landmark &where);
    void skip_block_comment();
    void skip_line_comment();
};

#endif
