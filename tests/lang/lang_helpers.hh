// Helpers shared by the tests of the wiring language: capturing the
// reporter's messages, printing trees in a canonical form, and quoting
// assertion texts for death tests.
#ifndef XTINKERBOT_TESTS_LANG_HELPERS_HH
#define XTINKERBOT_TESTS_LANG_HELPERS_HH

#include <cstdio>
#include <cstdlib>
#include <string>

#include "lang/landmark.hh"
#include "lang/operator.hh"
#include "sim/expr.hh"

// Collects every message printed while it lives.
class MessageCapture {
  public:
    MessageCapture() : _buf(nullptr), _size(0)
    {
        _f = open_memstream(&_buf, &_size);
        _old = set_message_file(_f);
    }
    ~MessageCapture()
    {
        set_message_file(_old);
        fclose(_f);
        free(_buf);
    }
    std::string text()
    {
        fflush(_f);
        return std::string(_buf, _size);
    }

  private:
    FILE *_f;
    FILE *_old;
    char *_buf;
    size_t _size;
};

// Canonical form: "(a op b)", "(op a)", "(c ? a : b)", "$k" for bound
// variable k, "null" for no tree.
inline std::string tree_text(const Logic *node)
{
    if (!node)
        return "null";
    if (auto c = dynamic_cast<const ConstExpr *>(node)) {
        char buf[64];
        snprintf(buf, sizeof buf, "%g", c->value());
        return buf;
    }
    if (auto s = dynamic_cast<const SensorExpr *>(node))
        return s->name().c_str();
    if (auto b = dynamic_cast<const BoundExpr *>(node))
        return "$" + std::to_string(b->k());
    if (auto u = dynamic_cast<const UnaryExpr *>(node))
        return std::string("(") + Operator(u->op()).name().c_str() + " " +
               tree_text(u->operand()) + ")";
    if (auto b = dynamic_cast<const BinaryExpr *>(node))
        return "(" + tree_text(b->left()) + " " + Operator(b->op()).name().c_str() +
               " " + tree_text(b->right()) + ")";
    if (auto c = dynamic_cast<const ConditionalExpr *>(node))
        return "(" + tree_text(c->condition()) + " ? " + tree_text(c->then_branch()) +
               " : " + tree_text(c->else_branch()) + ")";
    return "?";
}

// An assertion text as a regular expression matching it literally.
inline std::string literal_regex(const std::string &s)
{
    std::string r;
    for (char c : s) {
        if (std::string(".[]{}()\\*+?^$|").find(c) != std::string::npos)
            r += '\\';
        r += c;
    }
    return r;
}

#endif
