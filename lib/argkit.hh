/* Argkit: the command-line option parser.
 *
 * The caller describes its options in an array of Argkit_Spec rows, creates
 * a parser over argc and argv, chooses which characters introduce options,
 * and then asks for the elements one at a time with Argkit_ParseNext.  Each
 * answer is an option id (with any value already parsed), an operand, the
 * end, or an error that Argkit has already reported ("<program>: <text>").
 * Long options may be abbreviated to any unambiguous prefix, short options
 * may be clustered, values may be attached or separate, and "no-" or a
 * negating prefix character negates an option.
 *
 * All state lives in the parser record; nothing is global.  User errors
 * never end the process: the caller decides.
 */
#ifndef XTINKERBOT_LIB_ARGKIT_HH
#define XTINKERBOT_LIB_ARGKIT_HH

/* Row flags */
#define Argkit_NeedsValue   1
#define Argkit_MayHaveValue 2
#define Argkit_Negatable    4
#define Argkit_NegatedOnly  16

/* Value kinds */
#define Argkit_NoValue          0
#define Argkit_StringValue      1
#define Argkit_NonOptionString  2
#define Argkit_BoolValue        3
#define Argkit_IntValue         4
#define Argkit_UnsignedValue    5
#define Argkit_DoubleValue      6

/* Value-kind flag: a value taken from the next element may not look like
   an option. */
#define Argkit_KindNonOption 1

/* Prefix classes */
#define Argkit_ShortPrefix      1
#define Argkit_LongPrefix       2
#define Argkit_NegShortPrefix   4
#define Argkit_NegLongPrefix    8
#define Argkit_ImplicitLong     16

/* Results of Argkit_ParseNext other than option ids */
#define Argkit_Operand       0
#define Argkit_End          (-1)
#define Argkit_Invalid      (-2)
#define Argkit_Misconfigured (-3)

typedef struct Argkit_Spec {
    const char *long_form; /* without prefix; "no-x" declares a negated-only x */
    int short_char;        /* 1 to 255, anything else: no short form */
    int option_id;         /* not negative; rows may share an id */
    int value_kind;        /* Argkit_NoValue, ... */
    int flags;
} Argkit_Spec;

typedef struct Argkit_Internal Argkit_Internal;
typedef struct Argkit_Snapshot Argkit_Snapshot;

typedef struct Argkit_Context {
    int is_negated;
    int has_value;          /* a value is present, or this is an operand */
    const char *value_text; /* points into argv */
    union {
        int i;
        unsigned u;
        double d;
        const char *s;
    } value;                /* written only by the value parsers */
    Argkit_Internal *internal;
} Argkit_Context;

/* Returns > 0 after storing the value in cli->value; <= 0 on failure,
   after reporting it with Argkit_ReportOptionError when complain is set. */
typedef int (*Argkit_ValueParser)(Argkit_Context *cli, const char *text,
                                  int complain, void *closure);
/* Receives every finished message (program name, text, newline). */
typedef void (*Argkit_ErrorSink)(Argkit_Context *cli, const char *message);

Argkit_Context *Argkit_Create(int argc, const char *const *argv, int noptions,
                              Argkit_Spec *options);
void Argkit_Destroy(Argkit_Context *cli);
int Argkit_SetPrefixChar(Argkit_Context *cli, int ch, int prefix_class);
const char *Argkit_InvokedName(const Argkit_Context *cli);
int Argkit_ParseNext(Argkit_Context *cli);
int Argkit_AddType(Argkit_Context *cli, int kind, int kind_flags,
                   Argkit_ValueParser parser, void *closure);
int Argkit_ReportOptionError(Argkit_Context *cli, const char *format, ...);

const char *Argkit_TakeNextArg(Argkit_Context *cli, int allow_dashes);
int Argkit_EnableOptions(Argkit_Context *cli, int on);
Argkit_ErrorSink Argkit_SetErrorSink(Argkit_Context *cli, Argkit_ErrorSink sink);

Argkit_Snapshot *Argkit_NewSnapshot(void);
void Argkit_FreeSnapshot(Argkit_Snapshot *snapshot);
void Argkit_SaveState(const Argkit_Context *cli, Argkit_Snapshot *snapshot);
void Argkit_RestoreState(Argkit_Context *cli, const Argkit_Snapshot *snapshot);

/* A value kind whose values are words mapped to ints.  The variadic form
   takes (const char *word, int value) pairs ended by a null word.  With
   kind flag 1 an integer is accepted as well. */
int Argkit_AddWordListType(Argkit_Context *cli, int kind, int kind_flags, ...);
int Argkit_AddWordListTypeVec(Argkit_Context *cli, int kind, int kind_flags,
                              int nwords, const char *const *words,
                              const int *values);

#endif
