#include "debugger/model/breakpoints_lines.h"

#include <algorithm>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pm2 {

namespace {

std::string Bounded(const char* text) {
  if (!text) return {};
  const void* end = std::memchr(text, 0, kBpDriverTextMax);
  return std::string(text, end ? static_cast<const char*>(end) - text : kBpDriverTextMax);
}

// The characters written as a C escape in a list line, and their letters.
const char kEscaped[] = "\a\b\t\n\v\f\r\"\\";
const char kEscapeLetters[] = "abtnvfr\"\\";

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...) {
  char buf[1200];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return buf;
}

}  // namespace

const char* BpAccessName(unsigned access) {
  static const char* const kNames[] = {"", "read", "write", "readwrite"};
  return kNames[access & 3];
}

std::string BreakpointLine(const DbgBreakpointRecord& bp, const std::function<std::string(uint32_t)>& addressText) {
  const unsigned number = bp.number & 0xFFFF;
  const std::string address = addressText ? addressText(bp.address) : std::string();
  const std::string expression = Bounded(bp.expression);
  const std::string command = Bounded(bp.command);
  const bool more = !expression.empty() || bp.passCount > 1 || !command.empty();
  std::string line;
  switch (bp.flags & kDbgBpTypeMask) {
    case 0:
      line = Format(" %02u: (E) %s", number, address.c_str());
      if (more) line += ", ";
      break;
    case 1:
      line = Format(" %02u: (C) ", number);
      break;
    default: {
      const uint64_t len = (bp.flags & kDbgBpObjects) ? uint64_t(bp.count) * bp.length : bp.length;
      line = Format(" %02u: (A %s %s len=%llu), ", number, BpAccessName(bp.access), address.c_str(),
                    static_cast<unsigned long long>(len));
      break;
    }
  }
  if (!expression.empty()) line += " '" + expression + "', ";
  if (bp.passCount > 1) line += Format(" count=%u, ", bp.passCount);
  if (!command.empty()) {
    line += " cmd: \"";
    for (char c : command) {
      const char* at = c ? std::strchr(kEscaped, c) : nullptr;
      if (at) {
        line += '\\';
        line += kEscapeLetters[at - kEscaped];
      } else {
        line += c;
      }
    }
    line += '"';
  }
  if (line.size() > kBpLineMax) line.resize(kBpLineMax);
  return line;
}

std::string BpCommandForEdit(const std::string& stored) {
  std::string out;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const char c = stored[i];
    if (c == '\n') {
      out += "\\n";
    } else if (c == '"' || c == '\'') {
      out += '\\';
      out += c;
    } else if (c == '\\') {
      const char n = i + 1 < stored.size() ? stored[i + 1] : 0;
      if (n && std::strchr("\"'\\abfnrtv", n)) {
        out += '\\';
        out += n;
        ++i;
      } else {
        out += "\\\\";
      }
    } else {
      out += c;
    }
  }
  return out;
}

std::string BpCommandForRequest(const std::string& editText) {
  const std::string edit = editText.substr(0, 510);
  std::string out;
  for (std::size_t i = 0; i < edit.size(); ++i) {
    const char c = edit[i];
    if (c == '"' || c == '\'') {
      out += '\\';
      out += c;
    } else if (c == '\\') {
      const char n = i + 1 < edit.size() ? edit[i + 1] : 0;
      if (n == 'n') {
        out += "\\\\n";
        ++i;
      } else if (n && std::strchr("\"'\\abfrtv", n)) {
        out += '\\';
        out += n;
        ++i;
      } else {
        out += "\\\\";
      }
    } else {
      out += c;
    }
  }
  return out;
}

bool ParseBpNumber(const std::string& text, uint32_t* value) {
  std::size_t b = text.find_first_not_of(' ');
  std::size_t e = text.find_last_not_of(' ');
  if (b == std::string::npos) return false;
  const std::string t = text.substr(b, e - b + 1);
  const bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
  const char* digits = hex ? "0123456789abcdefABCDEF" : "0123456789";
  const std::string body = hex ? t.substr(2) : t;
  if (body.empty() || body.find_first_not_of(digits) != std::string::npos || body.size() > (hex ? 8u : 10u)) return false;
  const unsigned long long v = std::strtoull(body.c_str(), nullptr, hex ? 16 : 10);
  if (v > 0xFFFFFFFFull) return false;
  *value = uint32_t(v);
  return true;
}

std::string StepBpNumber(const std::string& text, int delta) {
  uint32_t v = 0;
  if (!ParseBpNumber(text, &v)) return std::to_string(kBpUpDownMin);
  const long long stepped = static_cast<long long>(v) + delta;
  const long long kept = std::min<long long>(kBpUpDownMax, std::max<long long>(kBpUpDownMin, stepped));
  return std::to_string(kept);
}

BpFieldError BuildBreakpointRequest(const BpDefinition& def, BpRequestBuilder* out) {
  uint32_t count = 0, size = 0;
  if (!ParseBpNumber(def.count, &count)) return BpFieldError::Count;
  const bool access = def.read || def.write;
  if (access && !ParseBpNumber(def.size, &size)) return BpFieldError::Size;
  out->command = BpCommandForRequest(def.command);
  out->expression = def.expression.substr(0, 298);
  DbgBreakpointRequest& r = out->request;
  r = DbgBreakpointRequest{};
  if (access) {
    r.flags = def.objects ? kDbgBpObjects : 0;
    r.unitBytes = def.objects ? 0 : 1;
    r.size = size;
    r.access = uint8_t((def.read ? 1 : 0) | (def.write ? 2 : 0));
  }
  r.passCount = count;
  r.passCount2 = count;
  r.command = out->command.c_str();
  r.expression = out->expression.c_str();
  return BpFieldError::None;
}

}  // namespace pm2
