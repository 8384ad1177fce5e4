#include "debugger/gdb/commands/gdb_commands.h"

#include <strings.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <utility>

namespace pm2::gdb {

namespace {

// The help offers gdb's commands as the command window writes its words,
// in capitals; gdb knows them in lower case only.
const char* const kGdbWords[] = {"DELETE", "BREAK", "CONTINUE", "STEP", "NEXT", "FINISH",
                                 "PRINT",  "DISPLAY", "BACKTRACE", "INFO"};
const char* const kInfoItems[] = {"REGISTERS", "BREAKPOINTS", "FRAME", "LOCALS"};

// The length of the word of letters at `at` that is one of `words`
// (ignoring case); 0 when it is none.
template <std::size_t N>
std::size_t OfferedWordAt(const std::string& line, std::size_t at, const char* const (&words)[N]) {
  std::size_t end = at;
  while (end < line.size() && std::isalpha(static_cast<unsigned char>(line[end]))) ++end;
  if (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '/') return 0;
  for (const char* w : words)
    if (end - at == std::strlen(w) && strncasecmp(line.c_str() + at, w, end - at) == 0) return end - at;
  return 0;
}

void Lower(std::string* line, std::size_t at, std::size_t n) {
  for (std::size_t i = at; i < at + n; ++i) (*line)[i] = char(std::tolower(static_cast<unsigned char>((*line)[i])));
}

}  // namespace

std::string GdbSpelling(const std::string& typed) {
  std::string line = typed;
  const std::size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos) return line;
  const std::size_t n = OfferedWordAt(line, at, kGdbWords);
  if (n == 0) return line;
  Lower(&line, at, n);
  if (line.compare(at, n, "info") != 0) return line;
  const std::size_t item = line.find_first_not_of(" \t", at + n);
  if (item != std::string::npos && item > at + n) Lower(&line, item, OfferedWordAt(line, item, kInfoItems));
  return line;
}

GdbSyntax BuildGdbSyntax(SyntaxTableBuilder& b) {
  using B = SyntaxTableBuilder;
  const uint8_t* expr = b.Record("<expression>", 0, 12, 254, ' ');
  const std::vector<B::Word> withExpr = {B::Ref(expr), 2};
  const std::vector<B::Word> alone = {5};
  struct Row {
    const char* text;
    int significant;
    int shown;
    bool expression;
  };
  // The driver's own commands, then gdb's most used ones (GdbSpelling
  // hands them to gdb as it spells them).
  static const Row kRows[] = {
      {"BS - set breakpoint", 2, 2, true},   {"G - go", 1, 1, false},
      {"DELETE", 6, 6, false},
      {"BREAK", 5, 5, true},                 {"CONTINUE", 8, 8, false},
      {"STEP", 4, 4, false},                 {"NEXT", 4, 4, false},
      {"FINISH", 6, 6, false},               {"PRINT", 5, 5, true},
      {"DISPLAY", 7, 7, true},               {"BACKTRACE", 9, 9, false},
  };
  std::vector<B::Word> root;
  for (const Row& r : kRows)
    root.push_back(B::Ref(b.Record(r.text, r.significant, r.shown, r.significant, ' ', r.expression ? withExpr : alone)));
  std::vector<B::Word> infos;
  for (const char* what : kInfoItems) {
    const std::string t = what;
    infos.push_back(B::Ref(b.Record(t, int(t.size()), int(t.size()), int(t.size()), ' ', alone)));
  }
  infos.push_back(2);
  root.push_back(B::Ref(b.Record("INFO", 4, 4, 4, ' ', infos)));
  root.push_back(1);
  GdbSyntax s;
  s.root = b.Table(root);
  // Anything else goes to gdb as it is.
  s.fallback = b.Table({B::Ref(b.Record("<< no help available ! >>", 0, 25, 255, ' ')), 0});
  return s;
}

namespace {

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

bool TypedWriteAssignments(const std::string& text, std::vector<std::string>* out) {
  out->clear();
  TypedWrite write;
  if (!ParseTypedWrite(text, &write)) return false;
  for (size_t i = 0; i < write.values.size(); ++i) out->push_back(TypedWriteAssignment(write, i));
  return true;
}

std::string TypedWriteAssignment(const TypedWrite& write, std::size_t i) {
  return "*(((" + write.type + "*)(" + write.address + ")) + " + std::to_string(i) + ") = " + write.values[i];
}

bool ParseTypedWrite(const std::string& text, TypedWrite* out, std::string* err) {
  static const char* const kTypes[] = {"unsigned short", "short", "char", "int", "long", "float", "double"};
  *out = TypedWrite{};
  if (err) err->clear();
  const size_t eq = text.find(" = ");
  if (eq == std::string::npos) return false;
  const std::string left = Trim(text.substr(0, eq));
  std::string type;
  for (const char* t : kTypes) {
    const std::string word = std::string(t) + " ";
    if (left.compare(0, word.size(), word) == 0) {
      type = t;
      break;
    }
  }
  if (type.empty()) return false;
  const std::string address = Trim(left.substr(type.size()));
  if (address.empty() || address.find(' ') != std::string::npos) return false;
  // The values, split at commas outside quotes; a quoted text gives one value a character.
  std::vector<std::string> values;
  std::string current;
  char quote = 0;
  const std::string rest = text.substr(eq + 3);
  for (size_t i = 0; i <= rest.size(); ++i) {
    // The end closes the last value; a quote still open there would take
    // that end for one of its characters.
    if (i == rest.size() && quote) {
      if (err) *err = quote == '"' ? "the quoted text is not closed" : "the quoted character is not closed";
      return false;
    }
    const char c = i < rest.size() ? rest[i] : ',';
    if (quote) {
      if (c == quote) {
        quote = 0;
        if (c == '"') continue;
      } else if (quote == '"') {
        values.push_back(std::to_string(int(static_cast<unsigned char>(c))));
        continue;
      }
      current += c;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      if (c == '\'') current += c;
      continue;
    }
    if (c == ',') {
      if (!Trim(current).empty()) values.push_back(Trim(current));
      current.clear();
      continue;
    }
    current += c;
  }
  if (values.empty()) return false;
  out->type = type;
  out->address = address;
  out->values = std::move(values);
  return true;
}

}  // namespace pm2::gdb
