#include "debugger/gdb/gdb_commands.h"

#include <cstdio>

namespace pm2::gdb {

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
  // The driver's own commands, then gdb's most used ones.
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
  for (const char* what : {"REGISTERS", "BREAKPOINTS", "FRAME", "LOCALS"}) {
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
  static const char* const kTypes[] = {"unsigned short", "short", "char", "int", "long", "float", "double"};
  out->clear();
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
  const std::string pointer = "((" + type + "*)(" + address + "))";
  for (size_t i = 0; i < values.size(); ++i)
    out->push_back("*(" + pointer + " + " + std::to_string(i) + ") = " + values[i]);
  return true;
}

}  // namespace pm2::gdb
