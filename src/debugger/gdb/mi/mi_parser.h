// GDB/MI output records: one line of gdb's machine interface parsed into a
// record, with no process behind it. A line is a result record
// ("12^done,..."), an async record ("*stopped,...", "=thread-created,...",
// "+download,..."), a stream record ("~\"text\"", "@...", "&...") or the
// prompt "(gdb)". Values are strings, tuples {a=..} and lists [..].
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pm2::gdb {

struct MiItem;

struct MiValue {
  enum class Kind { String, Tuple, List } kind = Kind::String;
  std::string text;  // a string value
  // Tuple: named values; list: values (names empty) or results (named).
  // (A record of our own rather than std::pair, which can't hold the
  // value while its type is still being defined.)
  std::vector<MiItem> items;

  // The value of a name in a tuple (or a list of results); null when absent.
  const MiValue* Find(std::string_view name) const;
  // The string of a name, or "" when absent or not a string.
  std::string Str(std::string_view name) const;
};

// A name and its value, named as a pair's members are.
struct MiItem {
  MiItem() = default;
  MiItem(std::string name, MiValue value) : first(std::move(name)), second(std::move(value)) {}
  std::string first;
  MiValue second;
};

enum class MiKind { Result, Exec, Status, Notify, Console, Target, Log, Prompt, Invalid };

struct MiRecord {
  MiKind kind = MiKind::Invalid;
  int64_t token = -1;       // -1: none
  std::string cls;          // "done", "running", "error", "stopped", ...
  MiValue results;          // a tuple of the results; a bare value after
                            // one (a breakpoint's locations) has no name
  std::string stream;       // the text of a stream record, unescaped
  std::string error;        // why the line could not be parsed
};

// Parses one line (without its line end; a trailing '\r' is ignored).
MiRecord ParseMiLine(std::string_view line);

// Unquotes a C string of gdb ("\"a\\nb\"" -> "a\nb"); *used gets the
// number of characters taken. False when the string is not closed.
bool ParseMiCString(std::string_view in, std::string* out, std::size_t* used);

// Quotes a text as a C string for an MI command argument.
std::string MiQuote(std::string_view text);

}  // namespace pm2::gdb
