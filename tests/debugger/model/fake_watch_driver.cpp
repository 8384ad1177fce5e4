#include "fake_watch_driver.h"

#include <cstdio>
#include <cstring>

namespace pm2::test {

namespace {

FakeWatchDriver* g_fake = nullptr;

void PutNames(DbgWatchNames* out, const std::vector<std::string>& names) {
  std::size_t at = 0;
  out->count = 0;
  for (const std::string& n : names) {
    if (at + n.size() + 1 > sizeof out->names) break;
    std::memcpy(out->names + at, n.c_str(), n.size() + 1);
    at += n.size() + 1;
    ++out->count;
  }
}

std::string Unquoted(const char* text) {
  std::string s;
  for (const char* p = text; *p; ++p)
    if (*p != '`') s += *p;
  return s;
}

intptr_t Control(int32_t code, intptr_t a, intptr_t b) {
  FakeWatchDriver& f = *g_fake;
  if (code == kDbgCtlWatchEval) {
    auto* v = reinterpret_cast<DbgWatchValue*>(a);
    const std::string e = Unquoted(v->expression);
    f.evaluated.push_back(e);
    f.radixes.push_back(v->radix);
    if (auto refused = f.refusals.find(e); refused != f.refusals.end()) {
      std::snprintf(v->text, sizeof v->text, "%s", refused->second.c_str());
      return 1;
    }
    auto it = f.values.find(e);
    if (it == f.values.end()) return 1;
    const FakeValue& fv = it->second;
    v->code = fv.code;
    v->isArray = fv.isArray;
    v->targetCode = fv.targetCode;
    v->count = fv.count;
    v->address = fv.address;
    v->outOfScope = fv.outOfScope;
    std::snprintf(v->tag, sizeof v->tag, "%s", fv.tag.c_str());
    std::string text = fv.text;
    if (v->radix == 16 && fv.code == kDbgTypeScalar) {
      char hex[32];
      std::snprintf(hex, sizeof hex, "0x%llX", std::strtoull(fv.text.c_str(), nullptr, 0));
      text = hex;
    }
    std::snprintf(v->text, sizeof v->text, "%s", text.c_str());
    return 0;
  }
  if (code == kDbgCtlWatchMembers) {
    auto it = f.members.find(Unquoted(reinterpret_cast<const char*>(a)));
    if (it == f.members.end()) return 1;
    PutNames(reinterpret_cast<DbgWatchNames*>(b), it->second);
    return 0;
  }
  if (code == kDbgCtlLocals) {
    auto* out = reinterpret_cast<DbgWatchNames*>(a);
    out->key = f.scope;
    PutNames(out, f.locals);
    return 0;
  }
  if (code == kDbgCtlBeforeCallStack) {
    f.record.callStack = f.stack.data();
    f.record.callStackTop = int32_t(f.stack.size()) - 1;
    return 0;
  }
  return 1;
}

int32_t Assign(const char* text, int32_t length) {
  g_fake->assigned.emplace_back(text, std::size_t(length));
  return g_fake->assignResult;
}

int32_t ReadString(char* buffer, uint64_t address, int32_t maximum) {
  auto it = g_fake->strings.find(uint32_t(address));
  if (it == g_fake->strings.end()) return -1;
  std::snprintf(buffer, std::size_t(maximum) + 1, "%s", it->second.c_str());
  return int32_t(std::strlen(buffer));
}

int32_t FormatAddress(int32_t, uint64_t address, intptr_t, char* buffer) {
  return std::snprintf(buffer, 64, "0x%08llX", static_cast<unsigned long long>(address));
}

intptr_t Attr(void* address) {
  auto it = g_fake->attrs.find(uint32_t(reinterpret_cast<uintptr_t>(address)));
  return it == g_fake->attrs.end() ? 0 : reinterpret_cast<intptr_t>(&it->second);
}

intptr_t Enum(int32_t code, intptr_t a, intptr_t b) {
  if (code == kDbgEnumCurrentFunction) {
    *reinterpret_cast<const uint8_t**>(b) = g_fake->current.empty() ? nullptr : g_fake->current.data();
    return 0;
  }
  if (code != kDbgEnumAddressName) return 0;
  auto it = g_fake->names.find(uint32_t(a));
  if (it == g_fake->names.end()) return 0;
  std::snprintf(reinterpret_cast<char*>(b), 256, "%s", it->second.c_str());
  return 1;
}

}  // namespace

void FakeWatchDriver::Install() {
  g_fake = this;
  record.flags = kDbgFlagActive;
  record.DbgControl = Control;
  record.DbgAssign = Assign;
  record.DbgReadString = ReadString;
  record.DbgFormatAddress = FormatAddress;
  record.DbgEnum = Enum;
  record.DbgAddressAttr = Attr;
  record.callStackTop = -1;
}

FakeWatchDriver::~FakeWatchDriver() {
  if (g_fake == this) g_fake = nullptr;
}

}  // namespace pm2::test
