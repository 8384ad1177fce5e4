#include "options/core/bank_link.h"

#include <algorithm>
#include <cstdio>

namespace pm2 {

namespace {

constexpr uint8_t kEndOfStream = 0x1A;
constexpr uint8_t kBankRecord = 0x65;

class Cursor {
 public:
  Cursor(std::string_view bytes, std::size_t pos, std::size_t end) : m_bytes(bytes), m_pos(pos), m_end(end) {}
  bool Byte(uint8_t* v) {
    if (m_pos >= m_end) return false;
    *v = uint8_t(m_bytes[m_pos++]);
    return true;
  }
  bool Word(uint16_t* v) {
    uint8_t lo = 0, hi = 0;
    if (!Byte(&lo) || !Byte(&hi)) return false;
    *v = uint16_t(lo | (hi << 8));
    return true;
  }
  // Two u16 words, low word first.
  bool Long(uint32_t* v) {
    uint16_t lo = 0, hi = 0;
    if (!Word(&lo) || !Word(&hi)) return false;
    *v = uint32_t(lo) | (uint32_t(hi) << 16);
    return true;
  }
  bool AtEnd() const { return m_pos >= m_end; }

 private:
  std::string_view m_bytes;
  std::size_t m_pos, m_end;
};

BankModule& Slot(BankModel& m, int index) {
  if (int(m.modules.size()) <= index) m.modules.resize(std::size_t(index) + 1);
  return m.modules[std::size_t(index)];
}

// Calls module m makes into each bank, and calls into m from each bank.
std::vector<uint32_t> CallsInto(const BankModel& model, int m) {
  std::vector<uint32_t> into(kMaxBanks + 1, 0);
  for (const BankCall& c : model.modules[std::size_t(m)].calls)
    if (c.callee < int(model.modules.size())) into[model.modules[std::size_t(c.callee)].bank] += c.calls;
  return into;
}
std::vector<uint32_t> CallsFrom(const BankModel& model, int m) {
  std::vector<uint32_t> from(kMaxBanks + 1, 0);
  for (std::size_t i = 0; i < model.modules.size(); ++i) {
    if (int(i) == m) continue;
    for (const BankCall& c : model.modules[i].calls)
      if (c.callee == m) from[model.modules[i].bank] += c.calls;
  }
  return from;
}

// The largest count of another bank; -1 when none has calls.
int MaxOtherBank(const std::vector<uint32_t>& perBank, int own, bool withCommon) {
  int best = -1;
  for (int b = withCommon ? 0 : 1; b <= kMaxBanks; ++b)
    if (b != own && perBank[std::size_t(b)] > 0 && (best < 0 || perBank[std::size_t(b)] > perBank[std::size_t(best)]))
      best = b;
  return best;
}

std::string Format(const char* format, int a, int b = 0) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  return buffer;
}

}  // namespace

std::vector<uint32_t> BankModel::BankSizes() const {
  std::vector<uint32_t> sizes(kMaxBanks + 1, 0);
  for (const BankModule& m : modules) {
    if (!m.present) continue;
    sizes[std::min<std::size_t>(m.bank, kMaxBanks)] += m.size;
    sizes[0] += m.commonSize;
  }
  return sizes;
}

int BankModel::HighestBankUsed() const {
  int highest = 0;
  for (const BankModule& m : modules)
    if (m.present) highest = std::max(highest, int(m.bank));
  return highest;
}

void BankModel::GrowBankCount(int bank) {
  while (bankCount < bank && bankCount < kMaxBanks) bankCount = bankCount == 0 ? 2 : uint16_t(bankCount * 2);
}

bool ParseBankLink(std::string_view bytes, const std::function<uint8_t(const std::string&)>& storedBank,
                   BankModel* model, std::string* error) {
  model->modules.clear();
  model->bankCount = 0;
  std::size_t pos = 0;
  auto fail = [&](const char* message) {
    *error = message;
    return false;
  };
  for (;;) {
    if (pos >= bytes.size()) return fail(kBankFileInputError);
    const uint8_t type = uint8_t(bytes[pos]);
    if (type == kEndOfStream) return true;
    if (pos + 3 > bytes.size()) return fail(kBankFileInputError);
    const std::size_t length = uint8_t(bytes[pos + 1]) | (uint8_t(bytes[pos + 2]) << 8);
    const std::size_t payload = pos + 3;
    if (length == 0 || payload + length > bytes.size()) return fail(kBankFileInputError);
    pos = payload + length;
    if (type != kBankRecord) continue;
    Cursor c(bytes, payload, payload + length - 1);  // the checksum is not read
    uint8_t sub = 0, skip = 0;
    uint16_t index = 0;
    if (!c.Byte(&sub) || !c.Word(&index)) return fail(kBankFileInputError);
    if (index >= kMaxBankModules) continue;
    if (sub == 1) {
      BankModule& m = Slot(*model, index);
      uint8_t bank = 0, nameLength = 0;
      if (!c.Byte(&m.recordByte) || !c.Byte(&skip) || !c.Long(&m.size) || !c.Byte(&skip) ||
          !c.Long(&m.commonSize) || !c.Byte(&bank) || !c.Byte(&nameLength))
        return fail(kBankFileInputError);
      m.name.clear();
      for (int i = 0; i < nameLength; ++i) {
        uint8_t ch = 0;
        if (!c.Byte(&ch)) return fail(kBankFileInputError);
        m.name += char(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
      }
      m.present = true;
      m.noName = m.name.empty();
      m.fileBank = bank;
      model->GrowBankCount(bank);
      m.fileBank = storedBank ? storedBank(m.name) : 0;
      m.bank = m.fileBank;
      model->GrowBankCount(m.bank);
    } else if (sub == 2) {
      while (!c.AtEnd()) {
        BankCall call;
        uint16_t callee = 0;
        if (!c.Word(&callee) || !c.Long(&call.calls) || !c.Long(&call.count2)) return fail(kBankFileInputError);
        if (callee >= kMaxBankModules) return fail(kBankFileBadReference);
        call.callee = callee;
        Slot(*model, callee);
        Slot(*model, index).calls.push_back(call);
      }
    }
  }
}

// Row k > 0 is the linker's BANK(k-1), as the properties page numbers it.
int LinkerBank(int row) { return row - 1; }

std::string BankRowName(int bank) { return bank == 0 ? "Common" : Format("Bank #%d", LinkerBank(bank)); }

std::string CallsFromText(const BankModel& model, int module) {
  const BankModule& m = model.modules[std::size_t(module)];
  const std::vector<uint32_t> from = CallsFrom(model, module);
  const int b = MaxOtherBank(from, m.bank, true);
  if (b < 0) return "-";
  return b == 0 ? Format("%3d<[Com]", int(from[0])) : Format("%3d<[B %d]", int(from[std::size_t(b)]), LinkerBank(b));
}

std::string CallsToText(const BankModel& model, int module) {
  const BankModule& m = model.modules[std::size_t(module)];
  const std::vector<uint32_t> into = CallsInto(model, module);
  const int b = MaxOtherBank(into, m.bank, false);
  if (b < 0) return "-";
  return Format("%3d>[B #%d]", int(into[std::size_t(b)]), LinkerBank(b));
}

std::string BankStatistics(const BankModel& model, int bank) {
  std::vector<uint32_t> to(kMaxBanks + 1, 0), from(kMaxBanks + 1, 0);
  for (std::size_t i = 0; i < model.modules.size(); ++i) {
    const BankModule& m = model.modules[i];
    if (!m.present) continue;
    for (const BankCall& c : m.calls) {
      if (c.callee >= int(model.modules.size())) continue;
      const int calleeBank = model.modules[std::size_t(c.callee)].bank;
      if (m.bank == bank) to[std::size_t(calleeBank)] += c.calls;
      else if (calleeBank == bank) from[m.bank] += c.calls;
    }
  }
  std::string text = Format("Calls within Bank:\t\t%d", int(to[std::size_t(bank)]));
  uint32_t totalFrom = 0, totalTo = 0;
  for (int b = 0; b <= kMaxBanks; ++b) {
    if (b == bank) continue;
    totalFrom += from[std::size_t(b)];
    if (b != 0) totalTo += to[std::size_t(b)];
  }
  text += "\nCalls from other banks:\t";
  const int maxFrom = MaxOtherBank(from, bank, true);
  if (maxFrom < 0)
    text += Format("%d", int(totalFrom));
  else if (maxFrom == 0)
    text += Format("%d\tMaximum:   %d from Common", int(totalFrom), int(from[0]));
  else
    text += Format("%d\tMaximum:   %d from Bank #", int(totalFrom), int(from[std::size_t(maxFrom)])) +
            std::to_string(LinkerBank(maxFrom));
  text += "\nCalls to other banks:\t";
  const int maxTo = MaxOtherBank(to, bank, false);
  if (maxTo < 0)
    text += Format("%d", int(totalTo));
  else
    text += Format("%d\tMaximum:   %d to Bank #", int(totalTo), int(to[std::size_t(maxTo)])) +
            std::to_string(LinkerBank(maxTo));
  return text;
}

void PlaceModules(BankModel& model) {
  std::vector<uint32_t> sizes = model.BankSizes();
  int highest = model.HighestBankUsed();
  const int count = int(model.modules.size());
  auto named = [&](int i, int bank) {
    const BankModule& m = model.modules[std::size_t(i)];
    return m.present && !m.noName && m.bank == bank;
  };
  auto move = [&](int i, int to) {
    BankModule& m = model.modules[std::size_t(i)];
    sizes[m.bank] -= m.size;
    sizes[std::size_t(to)] += m.size;
    m.bank = uint8_t(to);
    highest = std::max(highest, to);
  };
  auto score = [](uint32_t size, uint64_t calls) {
    return calls ? uint64_t(size) * 16384 / calls : uint64_t(size) * 24576;
  };

  // Relieve over-full banks.
  for (int k = 0; k <= highest; ++k) {
    while (sizes[std::size_t(k)] > model.Limit(k)) {
      int stayModule = -1;
      uint64_t stayScore = 0;
      std::vector<uint64_t> total(std::size_t(count), 0);
      std::vector<std::vector<uint32_t>> into(static_cast<std::size_t>(count)), from(static_cast<std::size_t>(count));
      for (int i = 0; i < count; ++i) {
        if (!named(i, k)) continue;
        into[std::size_t(i)] = CallsInto(model, i);
        from[std::size_t(i)] = CallsFrom(model, i);
        uint64_t t = 0;
        for (int b = 1; b <= kMaxBanks; ++b) t += into[std::size_t(i)][std::size_t(b)];
        for (int b = 0; b <= kMaxBanks; ++b) t += from[std::size_t(i)][std::size_t(b)];
        total[std::size_t(i)] = t;
        const uint64_t s = score(model.modules[std::size_t(i)].size, t);
        if (stayModule < 0 || s > stayScore) {
          stayModule = i;
          stayScore = s;
        }
      }
      if (stayModule < 0) break;  // nothing to move: relieving this bank ends
      int moveModule = -1, moveBank = -1;
      uint64_t moveScore = 0;
      for (int u = 0; u <= highest; ++u) {
        if (u == k) continue;
        for (int i = 0; i < count; ++i) {
          if (!named(i, k)) continue;
          const BankModule& m = model.modules[std::size_t(i)];
          // A move must fit the receiving bank's own limit (the common
          // area is smaller than a bank).
          if (sizes[std::size_t(u)] + m.size > model.Limit(u)) continue;
          uint64_t t = total[std::size_t(i)];
          if (u != 0) t -= std::min<uint64_t>(t, into[std::size_t(i)][std::size_t(u)]);
          t -= std::min<uint64_t>(t, from[std::size_t(i)][std::size_t(u)]);
          const uint64_t s = score(m.size, t);
          if (moveModule < 0 || s > moveScore) {
            moveModule = i;
            moveBank = u;
            moveScore = s;
          }
        }
      }
      if (moveModule < 0 || moveScore < stayScore) {
        if (highest + 1 > kMaxBanks) break;  // no bank left to open
        move(stayModule, highest + 1);
      } else {
        move(moveModule, moveBank);
      }
    }
  }

  // Empty the least filled banks into the others.
  bool stuck = false;
  while (highest > 0 && !stuck) {
    int least = 1;
    for (int b = 2; b <= highest; ++b)
      if (sizes[std::size_t(b)] < sizes[std::size_t(least)]) least = b;
    for (int i = 0; i < count && !stuck; ++i) {
      const BankModule& m = model.modules[std::size_t(i)];
      if (!m.present || m.bank != least) continue;
      int target = -1;
      for (int t = 0; t <= highest; ++t)
        if (t != least && sizes[std::size_t(t)] + m.size < model.Limit(t)) {
          target = t;
          break;
        }
      if (target < 0)
        stuck = true;
      else
        move(i, target);
    }
    if (stuck) break;
    for (BankModule& m : model.modules)
      if (m.present && m.bank > least) --m.bank;
    for (int b = least; b < kMaxBanks; ++b) sizes[std::size_t(b)] = sizes[std::size_t(b) + 1];
    sizes[kMaxBanks] = 0;
    --highest;
  }
  model.GrowBankCount(highest);
}

}  // namespace pm2
