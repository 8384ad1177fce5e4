#include "builder/preprocessor/preprocessor_macros.h"

#include <algorithm>
#include <cstdio>

#include "builder/preprocessor/preprocessor.h"

namespace pm2::pp {

// ---------------------------------------------------------------- table

unsigned MacroTable::Bucket(std::string_view name) {
  unsigned sum = 0;
  for (unsigned char c : name) sum += c;
  return sum % kMacroBuckets;
}

const Macro* MacroTable::Find(std::string_view name) const {
  for (const Macro* m = buckets_[Bucket(name)]; m; m = m->next)
    if (m->name == name) return m;
  return nullptr;
}

namespace {

bool SameBody(const std::vector<Token>& a, const std::vector<Token>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].text != b[i].text || a[i].param != b[i].param) return false;
    if (i > 0 && a[i].spaceBefore != b[i].spaceBefore) return false;
  }
  return true;
}

}  // namespace

bool MacroTable::Define(Macro macro) {
  if (const Macro* old = Find(macro.name)) {
    return old->functionLike == macro.functionLike && old->params == macro.params &&
           old->variadic == macro.variadic && SameBody(old->body, macro.body);
  }
  store_.push_back(std::move(macro));
  Macro* m = &store_.back();
  unsigned b = Bucket(m->name);
  m->next = buckets_[b];
  buckets_[b] = m;
  return true;
}

void MacroTable::Undefine(std::string_view name) {
  Macro** link = &buckets_[Bucket(name)];
  while (*link) {
    if ((*link)->name == name) {
      *link = (*link)->next;
      return;
    }
    link = &(*link)->next;
  }
}

// ---------------------------------------------------------------- #define

bool ParseDefine(std::string_view text, Macro* out) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  size_t start = i;
  if (i >= text.size() || !IsIdentStart(text[i])) return false;
  while (i < text.size() && IsIdentChar(text[i])) ++i;
  out->name.assign(text.substr(start, i - start));
  if (out->name == "defined") return false;

  if (i < text.size() && text[i] == '(') {
    out->functionLike = true;
    size_t close = text.find(')', i);
    if (close == std::string_view::npos) return false;
    std::vector<Token> list = Tokenize(text.substr(i + 1, close - i - 1));
    for (size_t k = 0; k < list.size(); ++k) {
      const Token& t = list[k];
      bool last = k + 1 == list.size();
      if (t.Is("...")) {
        if (!last) return false;
        out->params.push_back("__VA_ARGS__");
        out->variadic = true;
        break;
      }
      if (t.kind != TokKind::kIdent) return false;
      if (std::find(out->params.begin(), out->params.end(), t.text) != out->params.end())
        return false;
      out->params.push_back(t.text);
      if (out->params.size() > size_t(kMaxMacroParams)) return false;
      if (!last) {
        if (!list[k + 1].Is(",") || k + 2 == list.size()) return false;
        ++k;
      }
    }
    i = close + 1;
  } else if (i < text.size() && text[i] != ' ' && text[i] != '\t') {
    // C requires white space after an object-like macro's name; accept the
    // body anyway, as compilers do with a warning.
  }

  out->body = Tokenize(text.substr(i));
  if (!out->body.empty()) out->body.front().spaceBefore = false;
  for (size_t k = 0; k < out->body.size(); ++k) {
    Token& t = out->body[k];
    if (t.Is("##")) t.fromBody = true;
    if (out->functionLike && t.kind == TokKind::kIdent) {
      auto it = std::find(out->params.begin(), out->params.end(), t.text);
      if (it != out->params.end()) t.param = int16_t(it - out->params.begin());
    }
  }
  if (!out->body.empty() && (out->body.front().Is("##") || out->body.back().Is("##")))
    return false;
  if (out->functionLike) {
    for (size_t k = 0; k < out->body.size(); ++k) {
      if (out->body[k].Is("#") && (k + 1 >= out->body.size() || out->body[k + 1].param < 0))
        return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------- expansion

namespace {

bool Hidden(const Token& t, const Macro* m) {
  return std::find(t.hideSet.begin(), t.hideSet.end(), m) != t.hideSet.end();
}

// "#" of an argument: its spelling in double quotes; quotes and backslashes
// inside character and string constants, and characters that are not
// printable, are written as a backslash and three octal digits.
Token Stringize(const std::vector<Token>& arg) {
  std::string s = "\"";
  bool first = true;
  for (const Token& t : arg) {
    if (t.kind == TokKind::kPlacemarker) continue;
    if (!first && t.spaceBefore) s += ' ';
    first = false;
    bool literal = t.kind == TokKind::kString || t.kind == TokKind::kChar;
    for (unsigned char c : t.text) {
      if ((literal && (c == '"' || c == '\\')) || c < 0x20 || c >= 0x7F) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\%03o", c);
        s += buf;
      } else {
        s += char(c);
      }
    }
  }
  s += '"';
  Token out;
  out.kind = TokKind::kString;
  out.text = std::move(s);
  return out;
}

Token Placemarker() {
  Token t;
  t.kind = TokKind::kPlacemarker;
  return t;
}

}  // namespace

bool MacroExpander::Expand(std::vector<Token> in, std::vector<Token>* out) {
  std::reverse(in.begin(), in.end());
  ok_ = true;
  ExpandInto(in, out, 0);
  return ok_;
}

// The input is kept reversed, so the next token is at the back and the
// result of an expansion is pushed back in front of the rest for rescanning.
bool MacroExpander::ExpandInto(std::vector<Token>& input, std::vector<Token>* out, int depth) {
  while (!input.empty()) {
    if (--budget_ < 0) {
      ok_ = false;
      return false;
    }
    Token t = std::move(input.back());
    input.pop_back();
    if (t.kind != TokKind::kIdent || t.noExpand) {
      out->push_back(std::move(t));
      continue;
    }
    if (inCondition_ && t.text == "defined") {
      bool paren = !input.empty() && input.back().Is("(");
      if (paren) input.pop_back();
      if (input.empty() || input.back().kind != TokKind::kIdent) {
        ok_ = false;  // "defined" without a name
        continue;
      }
      bool known = table_.Find(input.back().text) != nullptr;
      input.pop_back();
      if (paren) {
        if (input.empty() || !input.back().Is(")")) {
          ok_ = false;
          continue;
        }
        input.pop_back();
      }
      Token v;
      v.kind = TokKind::kNumber;
      v.text = known ? "1" : "0";
      v.spaceBefore = t.spaceBefore;
      out->push_back(std::move(v));
      continue;
    }
    const Macro* m = table_.Find(t.text);
    if (!m) {
      out->push_back(std::move(t));
      continue;
    }
    if (Hidden(t, m)) {
      t.noExpand = true;
      out->push_back(std::move(t));
      continue;
    }
    if (depth >= kMaxInputLevels || t.hideSet.size() >= size_t(kMaxInputLevels)) {
      ok_ = false;
      return false;
    }
    std::vector<Token> result;
    if (!m->functionLike) {
      std::vector<const Macro*> hs = t.hideSet;
      hs.push_back(m);
      if (!Substitute(*m, {}, hs, &result, depth)) return false;
    } else {
      if (input.empty() || !input.back().Is("(")) {
        out->push_back(std::move(t));  // the name alone is no call
        continue;
      }
      input.pop_back();
      std::vector<std::vector<Token>> args(1);
      int nesting = 0;
      bool closed = false;
      Token rparen;
      while (!input.empty()) {
        Token a = std::move(input.back());
        input.pop_back();
        if (a.Is("(")) {
          ++nesting;
        } else if (a.Is(")")) {
          if (nesting == 0) {
            closed = true;
            rparen = std::move(a);
            break;
          }
          --nesting;
        } else if (a.Is(",") && nesting == 0 &&
                   !(m->variadic && args.size() == m->params.size())) {
          if (args.size() >= size_t(kMaxMacroParams)) {
            ok_ = false;
            return false;
          }
          args.emplace_back();
          continue;
        }
        args.back().push_back(std::move(a));
      }
      if (!closed) {
        ok_ = false;  // the call's parentheses do not close
        return false;
      }
      size_t want = m->params.size();
      bool countOk = args.size() == want || (want == 0 && args.size() == 1 && args[0].empty()) ||
                     (m->variadic && args.size() + 1 == want);
      if (!countOk) {
        ok_ = false;
        out->push_back(std::move(t));
        continue;
      }
      if (want == 0) args.clear();
      while (args.size() < want) args.emplace_back();
      // The expansion hides the macro, and whatever hid both the name and
      // the closing parenthesis.
      std::vector<const Macro*> hs;
      for (const Macro* h : t.hideSet)
        if (Hidden(rparen, h)) hs.push_back(h);
      hs.push_back(m);
      if (!Substitute(*m, args, hs, &result, depth)) return false;
    }
    if (!result.empty()) result.front().spaceBefore = t.spaceBefore;
    for (auto it = result.rbegin(); it != result.rend(); ++it) input.push_back(std::move(*it));
  }
  return true;
}

bool MacroExpander::Substitute(const Macro& m, const std::vector<std::vector<Token>>& args,
                               const std::vector<const Macro*>& hideSet,
                               std::vector<Token>* out, int depth) {
  std::vector<Token> pieces;
  const std::vector<Token>& body = m.body;
  for (size_t k = 0; k < body.size(); ++k) {
    const Token& t = body[k];
    if (m.functionLike && t.Is("#") && k + 1 < body.size() && body[k + 1].param >= 0) {
      Token s = Stringize(args[size_t(body[k + 1].param)]);
      s.spaceBefore = t.spaceBefore;
      pieces.push_back(std::move(s));
      ++k;
      continue;
    }
    if (t.param < 0) {
      pieces.push_back(t);
      continue;
    }
    const std::vector<Token>& arg = args[size_t(t.param)];
    bool pasted = (k > 0 && body[k - 1].Is("##") && body[k - 1].fromBody) ||
                  (k + 1 < body.size() && body[k + 1].Is("##") && body[k + 1].fromBody);
    std::vector<Token> value;
    if (pasted) {
      value = arg;
    } else {
      std::vector<Token> rev(arg.rbegin(), arg.rend());
      if (!ExpandInto(rev, &value, depth + 1)) return false;
    }
    if (value.empty()) {
      if (pasted) pieces.push_back(Placemarker());
      continue;
    }
    value.front().spaceBefore = t.spaceBefore;
    for (Token& v : value) pieces.push_back(std::move(v));
  }

  // Token pasting, left to right.
  std::vector<Token> glued;
  for (size_t k = 0; k < pieces.size(); ++k) {
    if (pieces[k].Is("##") && pieces[k].fromBody && !glued.empty() && k + 1 < pieces.size()) {
      Token& left = glued.back();
      Token& right = pieces[++k];
      if (right.kind == TokKind::kPlacemarker) continue;
      if (left.kind == TokKind::kPlacemarker) {
        bool space = left.spaceBefore;
        left = right;
        left.spaceBefore = space;
        continue;
      }
      std::string joined = left.text + right.text;
      std::vector<Token> relexed = Tokenize(joined);
      if (relexed.size() != 1) {
        ok_ = false;  // the paste gives no single token
        return false;
      }
      relexed[0].spaceBefore = left.spaceBefore;
      left = std::move(relexed[0]);
      continue;
    }
    glued.push_back(std::move(pieces[k]));
  }
  for (Token& t : glued) {
    if (t.kind == TokKind::kPlacemarker) continue;
    t.fromBody = false;
    t.param = -1;
    for (const Macro* h : hideSet)
      if (!Hidden(t, h)) t.hideSet.push_back(h);
    budget_ -= 1;
    out->push_back(std::move(t));
  }
  return budget_ >= 0;
}

}  // namespace pm2::pp
