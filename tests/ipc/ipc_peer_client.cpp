// An independent client of the event interface: it uses only the platform
// objects and encodes and decodes its records itself, byte by byte, so the
// library's layout is checked against a second reading of it.
//   ipc_peer_client <name suffix> <runtime folder> [by-flag]
// With "by-flag" it claims as the layout alone says (the first slot whose
// in-use flag is clear, besides taking its lock), waiting for one and for
// the layout version as long as it waits for the answer, and asks again
// every half second until answered. It claims a slot, sends dtc_Identify::WhoIs (456318, 0) to every other
// slot in use, waits for a dtc_Identify::Identity (456318, 1), prints
// "identity <name> from <slot> groups <g1>,<g2>,..." and answers the sender
// with an Identity of its own: name "client", groups "dtc_Identify".
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipc_objects.h"

using namespace pm2;

namespace {

constexpr uint32_t kSlotBytes = 32808, kRing = 8, kLimit = 32768, kIdle = 32769;
constexpr uint32_t kWrite = 32780, kWriterPending = 32784, kWrap = 32788, kRead = 32792, kReaderPending = 32796;

uint8_t* SlotAt(uint8_t* view, int n) { return view + 8 + kSlotBytes * static_cast<uint32_t>(n); }
uint32_t Get(const uint8_t* p) { return __atomic_load_n(reinterpret_cast<const uint32_t*>(p), __ATOMIC_ACQUIRE); }
void Put(uint8_t* p, uint32_t v) { __atomic_store_n(reinterpret_cast<uint32_t*>(p), v, __ATOMIC_RELEASE); }

void AppendWord(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void AppendText(std::vector<uint8_t>& out, const std::string& s) {
  out.insert(out.end(), s.begin(), s.end());
  out.push_back(0);
  while (out.size() % 8 != 0) out.push_back(0);
}
void AppendCell(std::vector<uint8_t>& out, uint8_t b) {
  out.push_back(b);
  for (int i = 0; i < 7; ++i) out.push_back(0);
}

// header (group, number, sender, reserved) then payload
std::vector<uint8_t> Record(uint32_t group, uint32_t number, int sender, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> r;
  AppendWord(r, group);
  AppendWord(r, number);
  AppendWord(r, static_cast<uint32_t>(sender));
  AppendWord(r, 0);
  r.insert(r.end(), payload.begin(), payload.end());
  return r;
}

// The simplest legal writer: no wrap-around, refuse when it does not fit.
bool WriteTo(IpcObjects& objects, int slot, const std::vector<uint8_t>& rec) {
  uint8_t* s = SlotAt(objects.View(), slot);
  if (s[0] == 0) return true;
  if (objects.Guard(slot).Wait(2000) != IpcWaitResult::Acquired) return false;
  uint32_t L = ((static_cast<uint32_t>(rec.size()) + 3) & ~3u) + 8;
  uint32_t W = Get(s + kWrite), R = Get(s + kRead);
  // Offsets of a damaged ring are not followed out of it.
  if (W > kLimit || R > kLimit || W % 4 || R % 4) {
    objects.Guard(slot).Release();
    return false;
  }
  bool fits = Get(s + kWriterPending) == kIdle && (W < R ? W + L < R : W + L <= kLimit);
  if (fits) {
    uint8_t* at = s + kRing + W;
    std::memset(at, 0, L);
    at[0] = static_cast<uint8_t>(L);
    at[1] = static_cast<uint8_t>(L >> 8);
    std::memcpy(at + 8, rec.data(), rec.size());
    Put(s + kWrite, W + L);
  }
  objects.Guard(slot).Release();
  objects.QueueFilled(slot).Set();
  return fits;
}

struct Identity {
  std::string name;
  std::vector<std::string> groups;
  int sender = -1;
};

bool ReadText(const uint8_t* p, size_t size, size_t& pos, std::string& out) {
  size_t start = pos;
  while (pos < size && p[pos] != 0) ++pos;
  if (pos >= size) return false;
  out.assign(reinterpret_cast<const char*>(p + start), pos - start);
  pos = (pos + 1 + 7) & ~size_t {7};
  return true;
}

bool ParseIdentity(const uint8_t* rec, size_t size, Identity& id) {
  if (size < 16 || Get(rec) != 456318 || Get(rec + 4) != 1) return false;
  id.sender = static_cast<int>(Get(rec + 8));
  const uint8_t* p = rec + 16;
  size_t n = size - 16, pos = 0;
  if (!ReadText(p, n, pos, id.name)) return false;
  for (;;) {
    if (pos >= n) return false;
    uint8_t more = p[pos];
    pos += 8;
    if (!more) return true;
    std::string g;
    if (!ReadText(p, n, pos, g)) return false;
    id.groups.push_back(g);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) return 2;
  const bool byFlag = argc == 4 && std::string(argv[3]) == "by-flag";
  IpcObjects objects(IpcNamespace::ForTest(argv[1], argv[2]));
  std::string err;
  if (!objects.Attach(&err)) {
    std::fprintf(stderr, "%s\n", err.c_str());
    return 1;
  }
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  uint8_t* view = objects.View();
  while (byFlag && Get(view + 4) != 1 && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (Get(view + 4) != 1) {
    std::fprintf(stderr, "layout version %u\n", Get(view + 4));
    return 1;
  }
  Put(view, Get(view) + 1);
  int own = -1;
  do {
    for (int s = 0; s < kIpcSlotCount && own < 0; ++s)
      if ((!byFlag || SlotAt(view, s)[0] == 0) && objects.TryClaimSlot(s)) own = s;
    if (own < 0 && byFlag) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (own < 0 && byFlag && std::chrono::steady_clock::now() < end);
  if (own < 0) {
    std::fprintf(stderr, "no free slot\n");
    return 1;
  }
  uint8_t* mine = SlotAt(view, own);
  Put(mine + 4, kLimit);
  Put(mine + 32776, kIdle);
  Put(mine + kWrite, 0);
  Put(mine + kWriterPending, kIdle);
  Put(mine + kWrap, kIdle);
  Put(mine + kRead, 0);
  Put(mine + kReaderPending, kIdle);
  Put(mine, 1);

  auto ask = [&] {
    for (int s = 0; s < kIpcSlotCount; ++s)
      if (s != own && SlotAt(view, s)[0]) WriteTo(objects, s, Record(456318, 0, own, {}));
  };
  ask();
  auto asked = std::chrono::steady_clock::now();

  Identity id;
  bool got = false;
  while (!got && std::chrono::steady_clock::now() < end) {
    if (byFlag && std::chrono::steady_clock::now() - asked > std::chrono::milliseconds(500)) {
      ask();
      asked = std::chrono::steady_clock::now();
    }
    objects.QueueFilled(own).Wait(50);
    uint32_t Q = Get(mine + kRead);
    while (!got && Q != Get(mine + kWrite)) {  // the library never wraps a ring this empty
      uint32_t L = Get(mine + kRing + Q);
      if (L < 24 || L % 4 || Q + L > kLimit) break;
      got = ParseIdentity(mine + kRing + Q + 8, L - 8, id);
      Q += L;
      Put(mine + kRead, Q);
    }
  }
  if (!got) {
    std::fprintf(stderr, "no identity arrived\n");
    return 1;
  }
  std::string groups;
  for (const std::string& g : id.groups) groups += (groups.empty() ? "" : ",") + g;
  std::printf("identity %s from %d groups %s\n", id.name.c_str(), id.sender, groups.c_str());
  std::fflush(stdout);

  std::vector<uint8_t> payload;
  AppendText(payload, "client");
  AppendCell(payload, 1);
  AppendText(payload, "dtc_Identify");
  AppendCell(payload, 0);
  bool sent = WriteTo(objects, id.sender, Record(456318, 1, own, payload));
  Put(mine, 0);
  Put(view, Get(view) - 1);
  return sent ? 0 : 1;
}
