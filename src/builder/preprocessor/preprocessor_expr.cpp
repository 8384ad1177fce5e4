#include "builder/preprocessor/preprocessor_expr.h"

#include <cctype>
#include <cstdint>
#include <string>

namespace pm2::pp {

namespace {

struct Value {
  uint64_t bits = 0;
  bool isUnsigned = false;
  int64_t S() const { return int64_t(bits); }
};

// Binary operators by precedence level (lowest first) for the loop in
// Parser::Binary; && || and ?: have their own rules.
struct BinOp {
  const char* text;
  int level;
};
const BinOp kBinOps[] = {
    {"|", 0}, {"^", 1}, {"&", 2}, {"==", 3}, {"!=", 3}, {"<", 4}, {"<=", 4}, {">", 4},
    {">=", 4}, {"<<", 5}, {">>", 5}, {"+", 6}, {"-", 6}, {"*", 7}, {"/", 7}, {"%", 7},
};
constexpr int kTopBinaryLevel = 7;

class Parser {
 public:
  explicit Parser(const std::vector<Token>& t) : toks_(t) {}

  CondResult Run() {
    Value v = Conditional(true);
    if (bad_ || pos_ != toks_.size()) return CondResult::kInvalid;
    return v.bits != 0 ? CondResult::kTrue : CondResult::kFalse;
  }

 private:
  const Token* Peek() const { return pos_ < toks_.size() ? &toks_[pos_] : nullptr; }
  bool Accept(const char* p) {
    const Token* t = Peek();
    if (t && t->Is(p)) {
      ++pos_;
      return true;
    }
    return false;
  }

  Value Conditional(bool eval) {
    Value c = LogicalOr(eval);
    if (!Accept("?")) return c;
    bool cond = c.bits != 0;
    Value a = Conditional(eval && cond);
    if (!Accept(":")) bad_ = true;
    Value b = Conditional(eval && !cond);
    Value r = cond ? a : b;
    r.isUnsigned = a.isUnsigned || b.isUnsigned;
    return r;
  }

  Value LogicalOr(bool eval) {
    Value l = LogicalAnd(eval);
    while (Accept("||")) {
      bool lv = l.bits != 0;
      Value r = LogicalAnd(eval && !lv);
      l = Value{uint64_t(lv || r.bits != 0), false};
    }
    return l;
  }

  Value LogicalAnd(bool eval) {
    Value l = Binary(0, eval);
    while (Accept("&&")) {
      bool lv = l.bits != 0;
      Value r = Binary(0, eval && lv);
      l = Value{uint64_t(lv && r.bits != 0), false};
    }
    return l;
  }

  const BinOp* MatchBinary(int level) const {
    const Token* t = Peek();
    if (!t || t->kind != TokKind::kPunct) return nullptr;
    for (const BinOp& op : kBinOps)
      if (op.level == level && t->text == op.text) return &op;
    return nullptr;
  }

  Value Binary(int level, bool eval) {
    if (level > kTopBinaryLevel) return Unary(eval);
    Value l = Binary(level + 1, eval);
    while (const BinOp* op = MatchBinary(level)) {
      ++pos_;
      Value r = Binary(level + 1, eval);
      l = Apply(op->text, l, r, eval);
    }
    return l;
  }

  Value Apply(const std::string& op, Value l, Value r, bool eval) {
    bool u = l.isUnsigned || r.isUnsigned;
    Value out{0, u};
    auto cmp = [&](bool b) { return Value{uint64_t(b), false}; };
    if (op == "*") out.bits = l.bits * r.bits;
    else if (op == "/" || op == "%") {
      if (r.bits == 0 || (!u && l.S() == INT64_MIN && r.S() == -1)) {
        if (eval) bad_ = true;
        return out;
      }
      if (u) out.bits = op == "/" ? l.bits / r.bits : l.bits % r.bits;
      else out.bits = uint64_t(op == "/" ? l.S() / r.S() : l.S() % r.S());
    } else if (op == "+") out.bits = l.bits + r.bits;
    else if (op == "-") out.bits = l.bits - r.bits;
    else if (op == "<<" || op == ">>") {
      out.isUnsigned = l.isUnsigned;
      uint64_t n = r.bits;
      if (!r.isUnsigned && r.S() < 0) n = 64;
      if (n >= 64) out.bits = (op == ">>" && !l.isUnsigned && l.S() < 0) ? ~uint64_t(0) : 0;
      else if (op == "<<") out.bits = l.bits << n;
      else out.bits = l.isUnsigned ? l.bits >> n : uint64_t(l.S() >> n);
    } else if (op == "<") return cmp(u ? l.bits < r.bits : l.S() < r.S());
    else if (op == "<=") return cmp(u ? l.bits <= r.bits : l.S() <= r.S());
    else if (op == ">") return cmp(u ? l.bits > r.bits : l.S() > r.S());
    else if (op == ">=") return cmp(u ? l.bits >= r.bits : l.S() >= r.S());
    else if (op == "==") return cmp(l.bits == r.bits);
    else if (op == "!=") return cmp(l.bits != r.bits);
    else if (op == "&") out.bits = l.bits & r.bits;
    else if (op == "^") out.bits = l.bits ^ r.bits;
    else if (op == "|") out.bits = l.bits | r.bits;
    return out;
  }

  Value Unary(bool eval) {
    if (Accept("!")) {
      Value v = Unary(eval);
      return Value{uint64_t(v.bits == 0), false};
    }
    if (Accept("~")) {
      Value v = Unary(eval);
      v.bits = ~v.bits;
      return v;
    }
    if (Accept("-")) {
      Value v = Unary(eval);
      v.bits = uint64_t(0) - v.bits;
      return v;
    }
    if (Accept("+")) return Unary(eval);
    return Primary(eval);
  }

  Value Primary(bool eval) {
    const Token* t = Peek();
    if (!t) {
      bad_ = true;
      return {};
    }
    if (Accept("(")) {
      Value v = Conditional(eval);
      if (!Accept(")")) bad_ = true;
      return v;
    }
    ++pos_;
    switch (t->kind) {
      case TokKind::kNumber: return Number(t->text);
      case TokKind::kChar: return CharConstant(t->text);
      case TokKind::kIdent:
        if (t->text == "sizeof") bad_ = true;
        return {};
      default:
        bad_ = true;
        return {};
    }
  }

  Value Number(const std::string& s) {
    size_t i = 0;
    int base = 10;
    if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
      base = 16;
      i = 2;
    } else if (s[0] == '0') {
      base = 8;
    }
    uint64_t v = 0;
    size_t digits = 0;
    for (; i < s.size(); ++i) {
      int d;
      char c = s[i];
      if (c >= '0' && c <= '9') d = c - '0';
      else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else break;
      if (d >= base) {
        bad_ = true;
        return {};
      }
      v = v * uint64_t(base) + uint64_t(d);
      ++digits;
    }
    if (digits == 0 && base == 16) bad_ = true;
    bool isUnsigned = false;
    for (; i < s.size(); ++i) {
      char c = s[i];
      if (c == 'u' || c == 'U') isUnsigned = true;
      else if (c != 'l' && c != 'L') {
        bad_ = true;  // a fraction, an exponent or an unknown suffix
        return {};
      }
    }
    return Value{v, isUnsigned || (base != 10 && v > uint64_t(INT64_MAX))};
  }

  Value CharConstant(const std::string& s) {
    size_t i = s.find('\'') + 1;
    uint64_t v = 0;
    int chars = 0;
    while (i < s.size() && s[i] != '\'') {
      unsigned c = static_cast<unsigned char>(s[i++]);
      if (c == '\\' && i < s.size()) {
        char e = s[i++];
        switch (e) {
          case 'n': c = '\n'; break;
          case 't': c = '\t'; break;
          case 'r': c = '\r'; break;
          case 'a': c = 7; break;
          case 'b': c = 8; break;
          case 'f': c = 12; break;
          case 'v': c = 11; break;
          case 'x': {
            c = 0;
            while (i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i]))) {
              char h = s[i++];
              c = c * 16 + unsigned(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
            }
            break;
          }
          default:
            if (e >= '0' && e <= '7') {
              c = unsigned(e - '0');
              for (int k = 0; k < 2 && i < s.size() && s[i] >= '0' && s[i] <= '7'; ++k)
                c = c * 8 + unsigned(s[i++] - '0');
            } else {
              c = static_cast<unsigned char>(e);
            }
        }
      }
      v = (v << 8) | (c & 0xFF);
      ++chars;
    }
    if (chars == 0) bad_ = true;
    // A single plain character is a (signed) char, as the compiler sees it.
    if (chars == 1 && s[0] == '\'') return Value{uint64_t(int64_t(int8_t(v))), false};
    return Value{v, false};
  }

  const std::vector<Token>& toks_;
  size_t pos_ = 0;
  bool bad_ = false;
};

}  // namespace

CondResult EvaluateCondition(const std::vector<Token>& tokens) {
  if (tokens.empty()) return CondResult::kInvalid;
  return Parser(tokens).Run();
}

}  // namespace pm2::pp
