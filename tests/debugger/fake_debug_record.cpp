#include "fake_debug_record.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "debugger/driver_shared/trace_history.h"

namespace pm2::test {

namespace {

DebugInterface g_record;
FakeTarget g_fake;
// The history's lines take their instruction and source line from the listing.
TraceHistory g_history([](uint32_t address) {
  TraceStep step;
  const FakeTarget::Line* source = nullptr;
  for (const FakeTarget::Line& l : g_fake.listing) {
    if (l.kind == kDisasmSource) source = &l;
    if (l.kind != kDisasmCode || l.address != address) continue;
    step.instruction = l.text.size() > 12 ? l.text.substr(12) : l.text;
    if (source) {
      step.file = "Blinky.c";
      step.line = std::atoi(source->text.c_str());
      const size_t colon = source->text.find(": ");
      step.sourceText = colon == std::string::npos ? source->text : source->text.substr(colon + 2);
    }
    break;
  }
  return step;
});
std::string g_traceText;

void Set(DisasmLine* l, int i, bool asked) {
  const bool request = l->kind == kDisasmRequest;
  *l = DisasmLine{};
  if (!g_fake.listingOn || i < 0 || i >= int(g_fake.listing.size())) {
    l->kind = kDisasmEnd;
    return;
  }
  l->kind = g_fake.listing[size_t(i)].kind;
  l->address = g_fake.listing[size_t(i)].address;
  l->own12 = uint32_t(i + 1);
  if (request && asked) l->state |= kDisasmAsked;
}
intptr_t Next(void* p) {
  auto* l = static_cast<DisasmLine*>(p);
  if (TraceHistory::IsTraceLine(*l)) {
    g_history.Next(l);
    return 0;
  }
  if (l->kind == kDisasmEnd) return 0;
  if (l->kind == kDisasmRequest) {
    int i = 0;
    const int n = int(g_fake.listing.size());
    while (i < n && (g_fake.listing[size_t(i)].address < g_record.disasmRequest[0] ||
                     g_fake.listing[size_t(i)].kind != kDisasmCode))
      ++i;
    Set(l, i, i < n && g_fake.listing[size_t(i)].address == g_record.disasmRequest[0]);
    return 0;
  }
  Set(l, int(l->own12), false);
  return 0;
}
intptr_t Prev(void* p) {
  auto* l = static_cast<DisasmLine*>(p);
  if (TraceHistory::IsTraceLine(*l)) {
    g_history.Prev(l);
    return 0;
  }
  if (l->kind == kDisasmEnd || l->kind == kDisasmRequest) return 0;
  Set(l, int(l->own12) - 2, false);
  return 0;
}
intptr_t Refresh(void* p) {
  auto* l = static_cast<DisasmLine*>(p);
  if (TraceHistory::IsTraceLine(*l)) {
    g_history.Refresh(l);
    return 0;
  }
  l->state = uint16_t(l->state & ~kDisasmPc);
  if (l->kind == kDisasmCode && l->address == g_record.pc) l->state |= kDisasmPc;
  return 0;
}
intptr_t Text(void* p) {
  auto* l = static_cast<DisasmLine*>(p);
  if (TraceHistory::IsTraceLine(*l)) {
    g_traceText = g_history.Text(*l);
    return reinterpret_cast<intptr_t>(g_traceText.c_str());
  }
  if (l->own12 == 0 || l->own12 > g_fake.listing.size()) return reinterpret_cast<intptr_t>("");
  return reinterpret_cast<intptr_t>(g_fake.listing[l->own12 - 1].text.c_str());
}
intptr_t TraceInfo(void*) { return reinterpret_cast<intptr_t>(g_history.Descriptor()); }
int32_t Read(uint64_t address, uint32_t count, void* buffer) {
  if (address < 0x40000000 || address + count > 0x40000000 + g_fake.ram.size()) return 1;
  std::memcpy(buffer, g_fake.ram.data() + (address - 0x40000000), count);
  return 0;
}
intptr_t Control(int32_t code, intptr_t a, intptr_t b) {
  if (code == kDbgCtlEvalAddress) {
    const std::string text = reinterpret_cast<const char*>(a);
    if (text != "0x40000000" && text != "buffer") return 1;
    const uint32_t value = 0x40000000;
    std::memcpy(reinterpret_cast<uint8_t*>(b) + 12, &value, 4);
    return 0;
  }
  if (code == 15) return 0x1000;
  return 0;
}
int32_t Format(int32_t, uint64_t address, intptr_t, char* buffer) {
  return std::snprintf(buffer, 64, "%08X", unsigned(address));
}
uint32_t Breakpoint(uint64_t address, int32_t op) {
  if (op != 7 && op != 1) return 0;
  return address == g_fake.enabledBreak ? 1 : address == g_fake.disabledBreak ? 2 : 0;
}

}  // namespace

FakeTarget& Fake() { return g_fake; }

DebugInterface* FakeRecord() {
  g_record.DbgGetDisasmLine = Next;
  g_record.DbgPrevDisasmLine = Prev;
  g_record.DbgRefreshDisasmLine = Refresh;
  g_record.DbgDisasmLineText = Text;
  g_record.DbgTraceInfo = TraceInfo;
  g_record.DbgReadMemory = Read;
  g_record.DbgControl = Control;
  g_record.DbgFormatAddress = Format;
  g_record.DbgBreakpoint = Breakpoint;
  g_record.family = 3;
  g_record.flags |= kDbgFlagActive;
  g_record.pc = g_fake.pc;
  return &g_record;
}

void FakeListing(int lines) {
  g_fake.listing.clear();
  uint32_t a = 0x100;
  static const char* const kSource[] = {"int main(void) {", "  unsigned int n = LED_Count();", "  LED_Init();",
                                        "  Timer_Init(PCLK_HZ);", "  for (;;) {", "    LED_On(pattern_step);"};
  for (int i = 0; i < lines; ++i) {
    char text[96];
    if (i % 5 == 0) {
      std::snprintf(text, sizeof text, "%5d: %s", 8 + i / 5, kSource[(i / 5) % 6]);
      g_fake.listing.push_back({kDisasmSource, a, text});
    } else {
      std::snprintf(text, sizeof text, "0x%08X  ldr     r3, [pc, #%d]   @ 0x%x", a, i * 4, a + 0x40);
      g_fake.listing.push_back({kDisasmCode, a, text});
      a += 4;
    }
  }
  const char hello[] = "Hello, world! Pelmora2 memory window.";
  std::memcpy(g_fake.ram.data(), hello, sizeof hello);
  for (size_t i = 64; i < g_fake.ram.size(); ++i) g_fake.ram[i] = uint8_t(i * 7);
}

void FakeTrace(const std::vector<uint32_t>& addresses) { g_history.Set(addresses); }

void FakeRunning(bool on) {
  if (on)
    g_record.flags |= kDbgFlagExecuting | 0x200;
  else
    g_record.flags &= ~uint32_t(kDbgFlagExecuting | 0x200);
}

}  // namespace pm2::test
