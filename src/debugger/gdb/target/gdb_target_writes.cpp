// The IDE's edits of values on a GDB target: a watch window's value edit
// and the memory window's typed write. What was asked is written, and
// nothing else: each value is one expression that only reads (no call, no
// assignment, no literal that gdb would place in target memory), a typed
// write checks and evaluates every value before it writes the first, and
// the values that would lie past the end of the 4 GB space are not written
// (gdb would wrap them round to address 0), as Write cuts a range there.
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "debugger/gdb/commands/expression_effects.h"
#include "debugger/gdb/commands/gdb_commands.h"
#include "debugger/gdb/target/gdb_target.h"

namespace pm2::gdb {

namespace {

constexpr int kTimeoutMs = 3000;

std::string Trimmed(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  return std::string(s.substr(b, s.find_last_not_of(" \t") - b + 1));
}

// A text as a message quotes it: at most 60 characters.
std::string Shown(const std::string& text) { return "'" + text.substr(0, 60) + "'"; }

}  // namespace

bool GdbTarget::EditValue(const std::string& edit, std::string* err) {
  std::string_view targetText, valueText;
  if (!SplitAssignment(edit, &targetText, &valueText)) {
    *err = Shown(Trimmed(edit)) + " assigns no value";
    return false;
  }
  const std::string target = Trimmed(targetText), value = Trimmed(valueText);
  std::string left, right;
  if (!GdbExpression(target, &left, err) || !GdbExpression(value, &right, err)) {
    *err = "value " + Shown(value) + " of " + Shown(target) + ": " + *err;
    return false;
  }
  // The checks read the texts gdb gets.
  if (const std::string fault = ReadOnlyExpressionFault(left); !fault.empty()) {
    *err = Shown(target) + ": " + fault;
    return false;
  }
  if (const std::string fault = ReadOnlyExpressionFault(right, WholeLiteral::Refused); !fault.empty()) {
    *err = "value " + Shown(value) + " of " + Shown(target) + ": " + fault;
    return false;
  }
  if (!Halted()) {
    *err = "the target runs: no assignment now";
    return false;
  }
  RegistersMayChange();
  // The one write asked for: memory writes are on for it alone, calls stay off.
  const GdbPermissions::Hold write(m_access, GdbAccess::Write, [this] { return Halted(); });
  if (!write.ok()) {
    *err = "gdb did not allow the write";
    return false;
  }
  return Ok(m_gdb->Call("-data-evaluate-expression " + MiQuote(left + " = " + right), kTimeoutMs), err);
}

bool GdbTarget::ReadOnlyValue(const std::string& expression, std::string* err) {
  const GdbPermissions::Hold read(m_access, GdbAccess::Read, [this] { return Still(); });
  if (!read.ok()) {
    *err = "gdb does not answer";
    return false;
  }
  return Ok(m_gdb->Call("-data-evaluate-expression " + MiQuote(expression), kTimeoutMs), err);
}

bool GdbTarget::WriteTyped(const TypedWrite& write, std::string* err) {
  if (!Halted()) {
    *err = "the target runs: no write now";
    return false;
  }
  // Where the first value goes, and how long each is.
  std::string address, text;
  uint64_t at = 0, size = 0;
  if (!GdbExpression(write.address, &address, err)) {
    *err = "address " + Shown(write.address) + ": " + *err;
    return false;
  }
  if (const std::string fault = ReadOnlyExpressionFault(address); !fault.empty()) {
    *err = "address " + Shown(write.address) + ": " + fault;
    return false;
  }
  if (!Evaluate("(unsigned long long)(" + address + ")", &at, &text)) {
    *err = "address " + Shown(write.address) + ": " + (text.empty() ? *err : text);
    return false;
  }
  if (at >= kAddressSpaceEnd) {
    *err = "address " + Shown(write.address) + " lies past the end of the 4 GB space";
    return false;
  }
  if (!Evaluate("sizeof(" + write.type + ")", &size) || size == 0) {
    *err = "the size of '" + write.type + "' is not known";
    return false;
  }
  // Every value evaluated as the type before anything is written.
  std::vector<std::string> values;
  for (const std::string& v : write.values) {
    std::string expression, why;
    if (GdbExpression(v, &expression, &why))
      if (const std::string fault = ReadOnlyExpressionFault(expression, WholeLiteral::Refused); !fault.empty()) {
        *err = "value " + Shown(v) + ": " + fault;
        return false;
      }
    if (!why.empty() || !ReadOnlyValue("(" + write.type + ")(" + expression + ")", &why)) {
      *err = "value " + Shown(v) + ": " + why;
      return false;
    }
    values.push_back("(" + expression + ")");
  }
  const TypedWrite checked{write.type, Hex8(at), values};
  const std::size_t fit = std::size_t(std::min<uint64_t>(values.size(), (kAddressSpaceEnd - at) / size));
  RegistersMayChange();
  const GdbPermissions::Hold writes(m_access, GdbAccess::Write, [this] { return Halted(); });
  if (!writes.ok()) {
    *err = "gdb did not allow the write";
    return false;
  }
  for (std::size_t i = 0; i < fit; ++i) {
    std::string why;
    if (!Ok(m_gdb->Call("-data-evaluate-expression " + MiQuote(TypedWriteAssignment(checked, i)), kTimeoutMs),
            &why)) {
      *err = "value " + Shown(write.values[i]) + " at " + Hex8(at + i * size) + ": " + why;
      return false;
    }
  }
  if (fit < values.size()) {
    *err = "the write at " + Hex8(at) + " is cut at the end of the 4 GB space: " + std::to_string(fit) + " of " +
           std::to_string(values.size()) + " values written";
    return false;
  }
  return true;
}

}  // namespace pm2::gdb
