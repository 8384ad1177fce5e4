// The code-banking wizard's model: the bank link file a banked 51 link
// writes (<output folder><output name>.Sbr), the modules with their banks,
// sizes and inter-bank calls, the statistics per bank, and the automatic
// placement of modules into banks.
//
// The file is a stream of records {type u8, length u16 (the bytes that
// follow, checksum included), payload, checksum u8}; type 0x1A ends it.
// Records of type 0x65 begin with a sub-type byte and a module index u16:
//   1 module: byte (kept), byte, bank size u32, byte, common-area size u32,
//     bank u8, name (length byte and characters, upper-cased);
//   2 calls made by the module: until the payload ends, groups of the
//     called module's index u16, the call count u32 and a second count u32.
// Other types and sub-types are skipped. Numbers are little-endian.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

inline constexpr int kMaxBankModules = 4000;
inline constexpr int kMaxBanks = 64;
inline constexpr uint32_t kBankLimit = 15360;
inline constexpr uint16_t kDefaultCommonSize = 0xC000;

inline constexpr const char* kBankFileCantOpen = "Bank Link File cannot be opened";
inline constexpr const char* kBankFileInputError = "Input Error";
inline constexpr const char* kBankFileBadReference = "Invalid File Reference";

struct BankCall {
  int callee = 0;        // module index
  uint32_t calls = 0;
  uint32_t count2 = 0;   // carried along, shown nowhere
};

struct BankModule {
  bool present = false;   // a module record named this index
  uint8_t fileBank = 0;   // the bank the file gave
  uint8_t bank = 0;       // current bank: 0 the common area, k bank k
  uint8_t recordByte = 0;
  bool noName = false;
  uint32_t size = 0;        // size in its bank
  uint32_t commonSize = 0;  // what it needs in the common area
  std::vector<BankCall> calls;
  std::string name;         // upper case
};

struct BankModel {
  std::vector<BankModule> modules;  // highest index read plus one
  uint16_t bankCount = 0;           // rows of the bank list
  uint16_t commonSize = kDefaultCommonSize;

  uint32_t Limit(int bank) const { return bank == 0 ? commonSize : kBankLimit; }
  // Sum of bank sizes per bank 0..64; the common area adds every module's
  // common-area size.
  std::vector<uint32_t> BankSizes() const;
  int HighestBankUsed() const;
  // Doubles the bank count (0 becomes 2) until it is not below bank, at
  // most 64.
  void GrowBankCount(int bank);
};

// Reads the file's bytes; storedBank gives a module's bank as its project
// file stores it (0 for none), which replaces the file's bank.
bool ParseBankLink(std::string_view bytes, const std::function<uint8_t(const std::string&)>& storedBank,
                   BankModel* model, std::string* error);

// The bank list's rows: "Common" and "Bank #%d".
std::string BankRowName(int bank);
// "Calls From" and "Calls To" of a module: "%3d<[B %d]", "%3d<[Com]",
// "%3d>[B #%d]", or "-".
std::string CallsFromText(const BankModel& model, int module);
std::string CallsToText(const BankModel& model, int module);
// The statistics text of a bank.
std::string BankStatistics(const BankModel& model, int bank);

// Moves modules so that every bank fits its limit and as few banks as
// possible are used, then grows the bank count.
void PlaceModules(BankModel& model);

}  // namespace pm2
