/* Argkit: the command-line option parser (see argkit.hh).
 *
 * The parser walks argv one piece at a time: a whole element, or one
 * character of a cluster of short options.  next_argument reads the next
 * piece and classifies it by its prefix characters; Argkit_ParseNext turns
 * it into an option (long forms first, then a reread as short options),
 * fetches and parses the option's value, and reports what went wrong.  It
 * only ever steps back by restoring a saved position, when a value it
 * tried to take turns out not to be one.
 */
#include "lib/argkit.hh"

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lib/assert.hh"

#define ARGKIT_DASHDASH 32 /* class of the element prefix "--" */
#define SHORT_BITS (Argkit_ShortPrefix | Argkit_NegShortPrefix)
#define LONG_BITS (Argkit_LongPrefix | Argkit_NegLongPrefix)
#define MAX_AMBIGUOUS 4

typedef struct Argkit_ValueType {
    Argkit_ValueParser parser;
    int flags;
    void *closure;
} Argkit_ValueType;

struct Argkit_Snapshot {
    const char *const *argv;
    int argc;
    char prefix[3];
    const char *text;
    int in_cluster;
    int negated_by_prefix;
};

struct Argkit_Internal {
    Argkit_Spec *options;
    int noptions;
    int *min_match;            /* two per option: plain, negated (0 = no part) */
    Argkit_ValueType *argtype;
    int nargtype;              /* capacity of argtype */
    const char *const *argv;   /* the element last read */
    int argc;                  /* elements from argv to the end */
    unsigned char pclass[256];
    int clash_adjusted;
    char prefix[3];            /* prefix characters of the current element */
    const char *text;          /* after the prefix; in a cluster, the current char */
    const char *program_name;
    Argkit_ErrorSink error_sink;
    int in_cluster;
    int negated_by_prefix;
    int could_be_short;
    int options_on;
    int ambiguous;
    int ambiguous_values[MAX_AMBIGUOUS]; /* row index, or -index-1 for "no-" */
    const Argkit_Spec *current_option;
    int current_short;
    int negated_by_no;
};

typedef struct WordList {
    int flags;  /* 1: integers are accepted too */
    int n;
    const char **words;
    int *values;
    int *min_match;
} WordList;

static int parse_string(Argkit_Context *, const char *, int, void *);
static int parse_bool(Argkit_Context *, const char *, int, void *);
static int parse_int(Argkit_Context *, const char *, int, void *);
static int parse_double(Argkit_Context *, const char *, int, void *);
static int parse_word(Argkit_Context *, const char *, int, void *);

/* ---------- messages ---------- */

/* A growing message buffer; once an allocation fails it stays failed. */
typedef struct MessageBuffer {
    char *s;
    size_t len;
    size_t cap;
    int failed;
} MessageBuffer;

static void buffer_init(MessageBuffer *b)
{
    b->len = 0;
    b->cap = 256;
    b->s = (char *) malloc(b->cap);
    b->failed = !b->s;
}

static void buffer_append(MessageBuffer *b, const char *s, size_t n)
{
    if (b->failed)
        return;
    if (b->len + n + 1 > b->cap) {
        size_t cap = b->cap;
        while (b->len + n + 1 > cap)
            cap *= 2;
        char *t = (char *) realloc(b->s, cap);
        if (!t) {
            b->failed = 1;
            return;
        }
        b->s = t;
        b->cap = cap;
    }
    memcpy(b->s + b->len, s, n);
    b->len += n;
    b->s[b->len] = 0;
}

static void buffer_puts(MessageBuffer *b, const char *s)
{
    buffer_append(b, s, strlen(s));
}

static void buffer_putc(MessageBuffer *b, char c)
{
    buffer_append(b, &c, 1);
}

/* Bytes 128 to 255 arrive as negative values (passed as signed chars).
   The one whose caret form would be a NUL (0xC0, arriving as -64) is
   printed in octal: a NUL would cut the message short. */
static void append_char_code(MessageBuffer *b, int c)
{
    if (c >= 32 && c <= 126)
        buffer_putc(b, (char) c);
    else if (c == -64) {
        char octal[16];
        snprintf(octal, sizeof octal, "\\%03o", (unsigned char) c);
        buffer_puts(b, octal);
    } else if (c < 32) {
        buffer_putc(b, '^');
        buffer_putc(b, (char) (c + 64));
    } else {
        char octal[16];
        snprintf(octal, sizeof octal, "\\%03o", c);
        buffer_puts(b, octal);
    }
}

static void append_current_option(MessageBuffer *b, const Argkit_Internal *cli)
{
    const Argkit_Spec *opt = cli->current_option;
    if (!opt) {
        buffer_puts(b, "(no current option!)");
        return;
    }
    buffer_puts(b, cli->prefix);
    if (cli->current_short)
        buffer_putc(b, (char) opt->short_char);
    else {
        if (cli->negated_by_no)
            buffer_puts(b, "no-");
        buffer_puts(b, opt->long_form);
    }
}

/* "<program>: " + format + "\n" */
static void format_message(MessageBuffer *b, const Argkit_Internal *cli,
                           const char *format, va_list val)
{
    buffer_puts(b, cli->program_name);
    buffer_puts(b, ": ");
    for (const char *p = format; *p; p++) {
        if (*p != '%') {
            buffer_putc(b, *p);
            continue;
        }
        switch (p[1]) {
          case 'O':
            append_current_option(b, cli);
            break;
          case 's': {
              const char *s = va_arg(val, const char *);
              buffer_puts(b, s ? s : "(null)");
              break;
          }
          case 'c':
            append_char_code(b, va_arg(val, int));
            break;
          case 'd': {
              char digits[16];
              snprintf(digits, sizeof digits, "%d", va_arg(val, int));
              buffer_puts(b, digits);
              break;
          }
          case '%':
            buffer_putc(b, '%');
            break;
          case 0:
            buffer_putc(b, '%');
            continue; /* the format ends here */
          default:
            buffer_append(b, p, 2);
            break;
        }
        p++;
    }
    buffer_putc(b, '\n');
}

static void deliver(Argkit_Context *ctx, MessageBuffer *b)
{
    const char *message = b->failed ? "out of memory\n" : b->s;
    if (ctx->internal->error_sink)
        ctx->internal->error_sink(ctx, message);
    else
        fputs(message, stderr);
    free(b->s);
}

int Argkit_ReportOptionError(Argkit_Context *ctx, const char *format, ...)
{
    MessageBuffer b;
    buffer_init(&b);
    va_list val;
    va_start(val, format);
    format_message(&b, ctx->internal, format, val);
    va_end(val);
    deliver(ctx, &b);
    return 0;
}

/* The message, then "(Possibilities are ...)": count candidates, the
   first min(count, 4) of them named by text (negative entries get "no-"). */
static void report_ambiguity(Argkit_Context *ctx, const char *prefix,
                             const char *const *names, const int *entries,
                             int count, const char *extra_last,
                             const char *format, ...)
{
    Argkit_Internal *cli = ctx->internal;
    MessageBuffer b;
    buffer_init(&b);
    va_list val;
    va_start(val, format);
    format_message(&b, cli, format, val);
    va_end(val);

    buffer_puts(&b, cli->program_name);
    buffer_puts(&b, ": (Possibilities are");
    int shown = count < MAX_AMBIGUOUS ? count : MAX_AMBIGUOUS;
    for (int i = 0; i < shown; i++) {
        if (i == 0)
            buffer_puts(&b, " ");
        else if (i == count - 1)
            buffer_puts(&b, count > 2 ? ", and " : " and ");
        else
            buffer_puts(&b, ", ");
        if (extra_last && i == count - 1) {
            buffer_puts(&b, extra_last);
            continue;
        }
        buffer_puts(&b, prefix);
        int entry = entries[i];
        if (entry < 0) {
            buffer_puts(&b, "no-");
            entry = -entry - 1;
        }
        buffer_puts(&b, names[entry]);
    }
    if (count >= MAX_AMBIGUOUS + 1)
        buffer_puts(&b, ", and others");
    buffer_puts(&b, ".)\n");
    deliver(ctx, &b);
}

/* ---------- matching ---------- */

/* One step of the minimum-match computation for name a against another
   name b: if the first len characters agree, a needs one character more
   than it shares with b, or all of itself if it ends within the shared
   part. */
static int extend_match(const char *a, const char *b, int len)
{
    if (strncmp(a, b, len) != 0)
        return len;
    int k = 0;
    while (a[k] && a[k] == b[k])
        k++;
    return a[k] ? k + 1 : k;
}

/* > 0: text selects name (the length of text before any '='); -1: text is
   a prefix of name too short to select it; 0: no match. */
static int argcmp(const char *name, const char *text, int min_match)
{
    ASSERT(min_match > 0);
    int m = 0;
    while (name[m] && text[m] && text[m] != '=' && name[m] == text[m])
        m++;
    if (text[m] && text[m] != '=')
        return 0;
    return m >= min_match ? m : -1;
}

static int row_takes_part(const Argkit_Spec *opt, int negated)
{
    return negated ? (opt->flags & Argkit_Negatable) != 0
                   : (opt->flags & Argkit_NegatedOnly) == 0;
}

/* The first row whose long form text selects, or -1; rows the text was
   too short for go to the ambiguity list (as -index-1 if store_negative). */
static int find_long(Argkit_Internal *cli, const char *text, int negated,
                     int store_negative, int *match_len)
{
    for (int i = 0; i < cli->noptions; i++) {
        const Argkit_Spec *opt = &cli->options[i];
        if (!opt->long_form || !row_takes_part(opt, negated))
            continue;
        int len = argcmp(opt->long_form, text, cli->min_match[2 * i + (negated ? 1 : 0)]);
        if (len == 0)
            continue;
        if (len < 0) {
            if (cli->ambiguous < MAX_AMBIGUOUS)
                cli->ambiguous_values[cli->ambiguous] = store_negative ? -i - 1 : i;
            cli->ambiguous++;
            continue;
        }
        ASSERT(len > 0);
        *match_len = len;
        return i;
    }
    return -1;
}

static const Argkit_Spec *find_short(Argkit_Internal *cli, char c, int negated)
{
    for (int i = 0; i < cli->noptions; i++) {
        const Argkit_Spec *opt = &cli->options[i];
        if (opt->short_char == (int) (signed char) c && row_takes_part(opt, negated))
            return opt;
    }
    return 0;
}

/* ---------- creation and configuration ---------- */

static int grow_argtypes(Argkit_Internal *cli, int kind)
{
    int cap = cli->nargtype;
    while (kind >= cap)
        cap *= 2;
    if (cap == cli->nargtype)
        return 1;
    Argkit_ValueType *t = (Argkit_ValueType *) realloc(cli->argtype, cap * sizeof *t);
    if (!t)
        return 0;
    memset(t + cli->nargtype, 0, (cap - cli->nargtype) * sizeof *t);
    cli->argtype = t;
    cli->nargtype = cap;
    return 1;
}

int Argkit_AddType(Argkit_Context *ctx, int kind, int kind_flags,
                   Argkit_ValueParser parser, void *closure)
{
    Argkit_Internal *cli = ctx->internal;
    ASSERT(cli->nargtype);
    if (kind <= 0 || !parser || kind > (1 << 24))
        return 0;
    if (!grow_argtypes(cli, kind))
        return 0;
    if (cli->argtype[kind].parser == parse_word)
        free(cli->argtype[kind].closure);  /* a replaced word list */
    cli->argtype[kind].parser = parser;
    cli->argtype[kind].flags = kind_flags;
    cli->argtype[kind].closure = closure;
    return 1;
}

static void drop_negative_ids(Argkit_Spec *options, int *n)
{
    for (int i = 0; i < *n; i++)
        while (i < *n && options[i].option_id < 0) {
            fprintf(stderr, "ARGKIT error: option %d has negative option_id\n", i);
            options[i] = options[*n - 1];
            (*n)--;
        }
}

static void normalise_rows(Argkit_Spec *options, int n)
{
    for (int i = 0; i < n; i++) {
        Argkit_Spec *o = &options[i];
        if (o->value_kind <= 0)
            o->flags &= ~(Argkit_NeedsValue | Argkit_MayHaveValue);
        else if (!(o->flags & Argkit_MayHaveValue))
            o->flags |= Argkit_NeedsValue;
        if (o->short_char < 1 || o->short_char > 255)
            o->short_char = 256;
        if (o->long_form && strncmp(o->long_form, "no-", 3) == 0) {
            o->long_form += 3;
            o->flags |= Argkit_Negatable | Argkit_NegatedOnly;
        }
    }
}

static void check_short_chars(const Argkit_Spec *options, int n)
{
    for (int pass = 0; pass < 2; pass++) {
        int ids[256];
        for (int c = 0; c < 256; c++)
            ids[c] = -1;
        for (int i = 0; i < n; i++) {
            const Argkit_Spec *o = &options[i];
            int part = pass == 0 ? !(o->flags & Argkit_NegatedOnly)
                                 : (o->flags & Argkit_Negatable) != 0;
            if (!part || o->short_char < 1 || o->short_char > 255)
                continue;
            if (ids[o->short_char] >= 0 && ids[o->short_char] != o->option_id)
                fprintf(stderr, "ARGKIT error: more than 1 option has short name `%c'\n",
                        o->short_char);
            ids[o->short_char] = o->option_id;
        }
    }
}

/* min_match of every row, as a plain and as a negated long option, against
   the rows with other ids that take part in the same way. */
static void compute_option_matches(const Argkit_Spec *options, int n, int *min_match)
{
    for (int negated = 0; negated < 2; negated++)
        for (int i = 0; i < n; i++) {
            const Argkit_Spec *a = &options[i];
            int len = 0;
            if (a->long_form && *a->long_form && row_takes_part(a, negated)) {
                len = 1;
                for (int j = 0; j < n; j++) {
                    const Argkit_Spec *b = &options[j];
                    if (j != i && b->long_form && row_takes_part(b, negated)
                        && b->option_id != a->option_id)
                        len = extend_match(a->long_form, b->long_form, len);
                }
            }
            min_match[2 * i + negated] = len;
        }
}

static const char *base_name(const char *path)
{
    if (!path)
        return "";
    const char *slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

Argkit_Context *Argkit_Create(int argc, const char *const *argv, int noptions,
                              Argkit_Spec *options)
{
    if (noptions < 0 || !options)
        noptions = 0;
    if (argc < 0 || !argv)
        argc = 0;

    Argkit_Context *ctx = (Argkit_Context *) calloc(1, sizeof *ctx);
    Argkit_Internal *cli = (Argkit_Internal *) calloc(1, sizeof *cli);
    int *min_match = (int *) calloc(2 * (size_t) noptions + 1, sizeof(int));
    Argkit_ValueType *argtype = (Argkit_ValueType *) calloc(5, sizeof *argtype);
    if (!ctx || !cli || !min_match || !argtype) {
        free(ctx);
        free(cli);
        free(min_match);
        free(argtype);
        return 0;
    }

    drop_negative_ids(options, &noptions);
    normalise_rows(options, noptions);
    check_short_chars(options, noptions);
    compute_option_matches(options, noptions, min_match);

    ctx->internal = cli;
    cli->options = options;
    cli->noptions = noptions;
    cli->min_match = min_match;
    cli->argtype = argtype;
    cli->nargtype = 5;
    cli->argv = argv;
    cli->argc = argc;
    cli->program_name = base_name(argc > 0 ? argv[0] : 0);
    cli->pclass[(unsigned char) '-'] = Argkit_ShortPrefix;
    cli->options_on = 1;

    /* The unsigned kind's closure only has to be non-null. */
    static const char nonnegative_only[] = "nonnegative";
    void *unsigned_closure = const_cast<char *>(nonnegative_only);
    if (!Argkit_AddType(ctx, Argkit_StringValue, 0, parse_string, 0)
        || !Argkit_AddType(ctx, Argkit_NonOptionString, Argkit_KindNonOption, parse_string, 0)
        || !Argkit_AddType(ctx, Argkit_BoolValue, 0, parse_bool, 0)
        || !Argkit_AddType(ctx, Argkit_IntValue, 0, parse_int, 0)
        || !Argkit_AddType(ctx, Argkit_UnsignedValue, 0, parse_int, unsigned_closure)
        || !Argkit_AddType(ctx, Argkit_DoubleValue, 0, parse_double, 0)) {
        Argkit_Destroy(ctx);
        return 0;
    }
    return ctx;
}

void Argkit_Destroy(Argkit_Context *ctx)
{
    if (!ctx)
        return;
    Argkit_Internal *cli = ctx->internal;
    if (cli) {
        for (int k = 0; k < cli->nargtype; k++)
            if (cli->argtype[k].parser == parse_word)
                free(cli->argtype[k].closure);
        free(cli->argtype);
        free(cli->min_match);
        free(cli);
    }
    free(ctx);
}

static void adjust_for_clashes(Argkit_Internal *cli)
{
    unsigned char is_short[257] = {0};
    for (int i = 0; i < cli->noptions; i++)
        is_short[cli->options[i].short_char & 0x1FF] = 1;
    for (int i = 0; i < cli->noptions; i++) {
        const Argkit_Spec *o = &cli->options[i];
        if (!o->long_form || cli->min_match[2 * i] != 1)
            continue;
        int c = (unsigned char) o->long_form[0];
        if (is_short[c] && c != o->short_char)
            cli->min_match[2 * i] = 2;
    }
    cli->clash_adjusted = 1;
}

int Argkit_SetPrefixChar(Argkit_Context *ctx, int ch, int prefix_class)
{
    Argkit_Internal *cli = ctx->internal;
    if ((prefix_class & LONG_BITS) == LONG_BITS || (prefix_class & SHORT_BITS) == SHORT_BITS
        || prefix_class < 0 || prefix_class > 31
        || ((prefix_class & Argkit_ImplicitLong) && prefix_class != Argkit_ImplicitLong)
        || ch < 0 || ch > 255)
        return 0;
    if (ch)
        cli->pclass[ch] = (unsigned char) prefix_class;
    else
        for (int c = 1; c < 256; c++)
            cli->pclass[c] = (unsigned char) prefix_class;
    if (!cli->clash_adjusted && (prefix_class & SHORT_BITS) && (prefix_class & LONG_BITS))
        adjust_for_clashes(cli);
    return 1;
}

const char *Argkit_InvokedName(const Argkit_Context *ctx)
{
    return ctx->internal->program_name;
}

int Argkit_EnableOptions(Argkit_Context *ctx, int on)
{
    int old = ctx->internal->options_on;
    ctx->internal->options_on = on;
    return old;
}

Argkit_ErrorSink Argkit_SetErrorSink(Argkit_Context *ctx, Argkit_ErrorSink sink)
{
    Argkit_ErrorSink old = ctx->internal->error_sink;
    ctx->internal->error_sink = sink;
    return old;
}

/* ---------- positions ---------- */

Argkit_Snapshot *Argkit_NewSnapshot(void)
{
    return (Argkit_Snapshot *) calloc(1, sizeof(Argkit_Snapshot));
}

void Argkit_FreeSnapshot(Argkit_Snapshot *snapshot)
{
    free(snapshot);
}

void Argkit_SaveState(const Argkit_Context *ctx, Argkit_Snapshot *s)
{
    const Argkit_Internal *cli = ctx->internal;
    s->argv = cli->argv;
    s->argc = cli->argc;
    memcpy(s->prefix, cli->prefix, sizeof s->prefix);
    s->text = cli->text;
    s->in_cluster = cli->in_cluster;
    s->negated_by_prefix = cli->negated_by_prefix;
}

void Argkit_RestoreState(Argkit_Context *ctx, const Argkit_Snapshot *s)
{
    Argkit_Internal *cli = ctx->internal;
    cli->argv = s->argv;
    cli->argc = s->argc;
    memcpy(cli->prefix, s->prefix, sizeof s->prefix);
    cli->text = s->text;
    cli->in_cluster = s->in_cluster;
    cli->negated_by_prefix = s->negated_by_prefix;
}

/* ---------- reading the command line ---------- */

enum {
    WANT_OPTION = 0,    /* looking for an option */
    WANT_NON_OPTION = 1, /* a value, but not one that looks like an option */
    WANT_ANY = 2        /* the next element whole, whatever it looks like */
};

static int found_value(Argkit_Context *ctx, const char *text)
{
    ctx->has_value = 1;
    ctx->value_text = text;
    return 0;
}

/* Reads the next piece of the command line.  True when it is an option
   (prefix and text set); false otherwise, with has_value and value_text
   telling whether a value or operand was found. */
static int next_argument(Argkit_Context *ctx, int want)
{
    Argkit_Internal *cli = ctx->internal;
    ctx->has_value = 0;
    ctx->value_text = 0;
    cli->could_be_short = 0;

    if (cli->in_cluster) {
        cli->text++;
        if (!*cli->text)
            cli->in_cluster = 0;
        else if (want > 0) {
            cli->in_cluster = 0;
            return found_value(ctx, cli->text + (*cli->text == '='));
        } else
            return 1;
    }

    cli->negated_by_prefix = 0;
    cli->text = 0;
    if (cli->argc < 2)
        return 0;
    cli->argv++;
    cli->argc--;
    const char *e = *cli->argv;
    if (!e)  /* a malformed argv: treat a null element as an empty one */
        e = "";
    if (want == WANT_ANY)
        return found_value(ctx, e);

    int cls = cli->pclass[(unsigned char) e[0]];
    if (e[0] == '-' && e[1] == '-')
        cls = ARGKIT_DASHDASH;
    if ((cls & SHORT_BITS) && (cls & LONG_BITS)) {
        cls &= ~SHORT_BITS;
        if (e[1])
            cli->could_be_short = 1;
    }

    switch (cls) {
      case 0:
        return found_value(ctx, e);
      case Argkit_ShortPrefix:
      case Argkit_NegShortPrefix:
      case Argkit_LongPrefix:
      case Argkit_NegLongPrefix:
        if (!e[1]) {  /* a prefix character alone is an operand */
            cli->in_cluster = 0;
            return found_value(ctx, e);
        }
        cli->in_cluster = (cls & SHORT_BITS) != 0;
        cli->negated_by_prefix = (cls & (Argkit_NegShortPrefix | Argkit_NegLongPrefix)) != 0;
        cli->prefix[0] = e[0];
        cli->prefix[1] = 0;
        cli->text = e + 1;
        return 1;
      case Argkit_ImplicitLong:
        if (want == WANT_NON_OPTION)
            return found_value(ctx, e);
        cli->prefix[0] = 0;
        cli->text = e;
        return 1;
      case ARGKIT_DASHDASH:
        strcpy(cli->prefix, "--");
        cli->text = e + 2;
        return 1;
      default:
        ASSERT(!"misconfigured prefix class");
        return 0;
    }
}

/* Rereads the current element as a cluster of short options. */
static void switch_to_short_argument(Argkit_Context *ctx)
{
    Argkit_Internal *cli = ctx->internal;
    ASSERT(cli->could_be_short);
    const char *e = *cli->argv;
    cli->in_cluster = 1;
    cli->negated_by_prefix = (cli->pclass[(unsigned char) e[0]] & Argkit_NegShortPrefix) != 0;
    cli->prefix[0] = e[0];
    cli->prefix[1] = 0;
    cli->text = e + 1;
}

/* Fetches, checks and parses the value of the recognised row opt. */
static int read_value(Argkit_Context *ctx, const Argkit_Spec *opt)
{
    Argkit_Internal *cli = ctx->internal;
    int kind = opt->value_kind;
    if (kind <= 0 || kind >= cli->nargtype || !cli->argtype[kind].parser)
        return Argkit_Misconfigured;
    const Argkit_ValueType *type = &cli->argtype[kind];

    int complain = ctx->has_value || (opt->flags & Argkit_NeedsValue);
    Argkit_Snapshot saved;
    Argkit_SaveState(ctx, &saved);

    if ((opt->flags & Argkit_NeedsValue) && !ctx->has_value) {
        int want = (type->flags & Argkit_KindNonOption) ? WANT_NON_OPTION : WANT_ANY;
        int refused = next_argument(ctx, want);
        if (!ctx->has_value) {
            Argkit_RestoreState(ctx, &saved);
            Argkit_ReportOptionError(ctx, refused ? "`%O' requires a non-option argument"
                                                  : "`%O' requires an argument");
            return Argkit_Invalid;
        }
    } else if (!ctx->has_value) {
        /* An optional value is only ever attached: the rest of a cluster. */
        if (!cli->in_cluster || !cli->text[1])
            return opt->option_id;
        next_argument(ctx, WANT_NON_OPTION);
    }

    if (type->parser(ctx, ctx->value_text, complain, type->closure) > 0)
        return opt->option_id;
    ctx->has_value = 0;
    if (opt->flags & Argkit_NeedsValue)
        return Argkit_Invalid;
    /* The text that failed is read again, as options or operands. */
    Argkit_RestoreState(ctx, &saved);
    return opt->option_id;
}

/* Looks the current element up as a long option, stripping "no-"
   prefixes while nothing matches. */
static const Argkit_Spec *recognise_long(Argkit_Context *ctx)
{
    Argkit_Internal *cli = ctx->internal;
    const char *text = cli->text;
    int stripped = 0;
    int m = 0;
    int i = find_long(cli, text, ctx->is_negated, 0, &m);
    while (i < 0 && strncmp(text, "no-", 3) == 0) {
        text += 3;
        ctx->is_negated = !ctx->is_negated;
        stripped = 1;
        i = find_long(cli, text, ctx->is_negated, stripped, &m);
    }
    if (i < 0)
        return 0;
    const Argkit_Spec *opt = &cli->options[i];
    if (ctx->is_negated && !(opt->flags & Argkit_Negatable))
        return 0;
    if (text[m] == '=')
        found_value(ctx, text + m + 1);
    return opt;
}

int Argkit_ParseNext(Argkit_Context *ctx)
{
    Argkit_Internal *cli = ctx->internal;
    for (;;) {
        cli->current_option = 0;
        cli->ambiguous = 0;
        if (!next_argument(ctx, cli->options_on ? WANT_OPTION : WANT_ANY))
            return ctx->has_value ? Argkit_Operand : Argkit_End;
        ctx->is_negated = cli->negated_by_prefix;
        const char *text = cli->text;  /* as written, before any stripping */

        const Argkit_Spec *opt;
        if (cli->in_cluster)
            opt = find_short(cli, *cli->text, ctx->is_negated);
        else
            opt = recognise_long(ctx);

        if (!opt && cli->could_be_short) {
            switch_to_short_argument(ctx);
            opt = find_short(cli, *cli->text, ctx->is_negated);
        }

        if (!opt) {
            if (!cli->in_cluster && strcmp(cli->prefix, "--") == 0 && !*text) {
                cli->options_on = 0;
                continue;
            }
            if (cli->ambiguous > 0) {
                const char *names[MAX_AMBIGUOUS];
                int entries[MAX_AMBIGUOUS];
                int shown = cli->ambiguous < MAX_AMBIGUOUS ? cli->ambiguous : MAX_AMBIGUOUS;
                for (int k = 0; k < shown; k++) {
                    int entry = cli->ambiguous_values[k];
                    int index = entry < 0 ? -entry - 1 : entry;
                    names[k] = cli->options[index].long_form;
                    entries[k] = entry < 0 ? -k - 1 : k;
                }
                report_ambiguity(ctx, cli->prefix, names, entries, cli->ambiguous, 0,
                                 "option `%s%s' is ambiguous", cli->prefix, text);
            } else if (cli->in_cluster && !cli->could_be_short)
                Argkit_ReportOptionError(ctx, "unrecognized option `%s%c'", cli->prefix,
                                         (int) (signed char) *cli->text);
            else
                Argkit_ReportOptionError(ctx, "unrecognized option `%s%s'", cli->prefix, text);
            return Argkit_Invalid;
        }

        cli->current_option = opt;
        cli->current_short = cli->in_cluster;
        cli->negated_by_no = ctx->is_negated && !cli->negated_by_prefix;

        if (ctx->is_negated || !(opt->flags & (Argkit_NeedsValue | Argkit_MayHaveValue))) {
            if (ctx->has_value) {
                Argkit_ReportOptionError(ctx, "`%O' can't take an argument");
                return Argkit_Invalid;
            }
            return opt->option_id;
        }
        return read_value(ctx, opt);
    }
}

const char *Argkit_TakeNextArg(Argkit_Context *ctx, int allow_dashes)
{
    Argkit_Snapshot saved;
    Argkit_SaveState(ctx, &saved);
    next_argument(ctx, allow_dashes ? WANT_ANY : WANT_NON_OPTION);
    if (!ctx->has_value) {
        Argkit_RestoreState(ctx, &saved);
        return 0;
    }
    return ctx->value_text;
}

/* ---------- value parsers ---------- */

static int parse_string(Argkit_Context *ctx, const char *text, int, void *)
{
    ctx->value.s = text;
    return 1;
}

static int parse_int(Argkit_Context *ctx, const char *text, int complain, void *closure)
{
    const char *digits = text;
    int base = 10;
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits += 2;
        base = 16;
    }
    int ok = !(closure && digits[0] == '-');
    if (ok) {
        char *end;
        errno = 0;
        long l = strtol(digits, &end, base);
        ok = *digits && !*end;
        if (ok)
            ctx->value.i = (int) (unsigned) (unsigned long) l;
    }
    if (!ok && complain)
        Argkit_ReportOptionError(ctx, closure ? "`%O' expects a nonnegative integer, not `%s'"
                                              : "`%O' expects an integer, not `%s'",
                                 text);
    return ok;
}

static int parse_double(Argkit_Context *ctx, const char *text, int complain, void *)
{
    char *end;
    double d = strtod(text, &end);
    if (*text && !*end) {
        ctx->value.d = d;
        return 1;
    }
    if (complain)
        Argkit_ReportOptionError(ctx, "`%O' expects a real number, not `%s'", text);
    return 0;
}

static int is_prefix_of(const char *text, const char *word)
{
    return *text && strncmp(text, word, strlen(text)) == 0;
}

static int parse_bool(Argkit_Context *ctx, const char *text, int complain, void *)
{
    char lower[6];
    int n = 0;
    int ok = strlen(text) <= 5 && !strchr(text, '=');
    if (ok) {
        for (; text[n]; n++)
            lower[n] = (char) tolower((unsigned char) text[n]);
        lower[n] = 0;
        if (is_prefix_of(lower, "yes") || is_prefix_of(lower, "true") || strcmp(lower, "1") == 0)
            ctx->value.i = 1;
        else if (is_prefix_of(lower, "no") || is_prefix_of(lower, "false"))
            ctx->value.i = 0;
        else
            ok = 0;
    }
    if (!ok && complain)
        Argkit_ReportOptionError(ctx, "`%O' expects a true-or-false value, not `%s'", text);
    return ok;
}

/* ---------- word lists ---------- */

static int parse_word(Argkit_Context *ctx, const char *text, int complain, void *closure)
{
    const WordList *wl = (const WordList *) closure;
    int flags = wl->flags;

    int ambiguous = 0;
    int entries[MAX_AMBIGUOUS];
    for (int i = 0; i < wl->n; i++) {
        if (wl->min_match[i] <= 0)
            continue;  /* an empty word can never be selected */
        int r = argcmp(wl->words[i], text, wl->min_match[i]);
        if (r > 0) {
            ctx->value.i = wl->values[i];
            return 1;
        }
        if (r < 0) {
            if (ambiguous < MAX_AMBIGUOUS)
                entries[ambiguous] = i;
            ambiguous++;
        }
    }
    if ((flags & 1) && parse_int(ctx, text, 0, 0) > 0)
        return 1;
    if (!complain)
        return 0;

    if (ambiguous) {
        report_ambiguity(ctx, "", wl->words, entries, ambiguous, 0,
                         "`%s' is %s argument to `%O'", text, "an ambiguous");
        return 0;
    }
    int listed = wl->n < MAX_AMBIGUOUS ? wl->n : MAX_AMBIGUOUS;
    int count = wl->n;
    const char *extra = 0;
    if ((flags & 1) && wl->n <= 3) {
        count++;
        listed++;
        extra = "any integer";
    }
    for (int i = 0; i < listed && i < wl->n; i++)
        entries[i] = i;
    report_ambiguity(ctx, "", wl->words, entries, count, extra,
                     "`%s' is %s argument to `%O'", text, "not a valid");
    return 0;
}

static WordList *make_word_list(int flags, int n, const char *const *words,
                                const int *values)
{
    size_t size = sizeof(WordList) + (size_t) n * (sizeof(char *) + 2 * sizeof(int));
    WordList *wl = (WordList *) malloc(size);
    if (!wl)
        return 0;
    wl->flags = flags;
    wl->n = n;
    wl->words = (const char **) (wl + 1);
    wl->values = (int *) (wl->words + n);
    wl->min_match = wl->values + n;
    for (int i = 0; i < n; i++) {
        wl->words[i] = words[i] ? words[i] : "";
        wl->values[i] = values[i];
    }
    for (int i = 0; i < n; i++) {
        int len = *wl->words[i] ? 1 : 0;
        for (int j = 0; j < n && len; j++)
            if (j != i && wl->values[j] != wl->values[i])
                len = extend_match(wl->words[i], wl->words[j], len);
        wl->min_match[i] = len;
    }
    return wl;
}

int Argkit_AddWordListTypeVec(Argkit_Context *ctx, int kind, int kind_flags, int nwords,
                              const char *const *words, const int *values)
{
    if (nwords < 0 || (nwords && (!words || !values)))
        return 0;
    WordList *wl = make_word_list(kind_flags, nwords, words, values);
    if (!wl)
        return 0;
    if (!Argkit_AddType(ctx, kind, kind_flags, parse_word, wl)) {
        free(wl);
        return 0;
    }
    return 1;
}

int Argkit_AddWordListType(Argkit_Context *ctx, int kind, int kind_flags, ...)
{
    va_list val;
    int n = 0;
    va_start(val, kind_flags);
    while (va_arg(val, const char *)) {
        (void) va_arg(val, int);
        n++;
    }
    va_end(val);

    const char **words = (const char **) malloc((n ? n : 1) * sizeof *words);
    int *values = (int *) malloc((n ? n : 1) * sizeof *values);
    int ok = 0;
    if (words && values) {
        va_start(val, kind_flags);
        for (int i = 0; i < n; i++) {
            words[i] = va_arg(val, const char *);
            values[i] = va_arg(val, int);
        }
        va_end(val);
        ok = Argkit_AddWordListTypeVec(ctx, kind, kind_flags, n, words, values);
    }
    free(words);
    free(values);
    return ok;
}
