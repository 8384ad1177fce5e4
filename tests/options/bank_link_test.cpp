// The code-banking wizard's model: the bank link file read record by
// record, bank rows, call columns, statistics and automatic placement.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "options/core/bank_link.h"
#include "options/bank_stream.h"

namespace pm2 {
namespace {

using test::BankStream;
using Stream = BankStream;

BankModel Read(const std::string& bytes, std::map<std::string, uint8_t> stored = {}, std::string* error = nullptr) {
  BankModel m;
  std::string e;
  const bool ok = ParseBankLink(
      bytes, [&](const std::string& name) { return stored.count(name) ? stored[name] : uint8_t(0); }, &m, &e);
  if (error) *error = ok ? "" : e;
  return m;
}

struct BankCountRow {
  const char* name;
  uint8_t highestBank;
  uint16_t bankCount;
};
class BankCounts : public ::testing::TestWithParam<BankCountRow> {};
TEST_P(BankCounts, DoublesUpToTheHighestBank) {
  const std::string bytes = Stream().Module(0, GetParam().highestBank, 10, 0, "a").End();
  EXPECT_EQ(Read(bytes).bankCount, GetParam().bankCount);
}
const BankCountRow kCountRows[] = {
    {"Five", 5, 8}, {"Forty", 40, 64}, {"Two", 2, 2}, {"None", 0, 0}, {"AboveSixtyFour", 90, 64},
};
INSTANTIATE_TEST_SUITE_P(Rows, BankCounts, ::testing::ValuesIn(kCountRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BankLink, StoredBankReplacesTheFilesBankAndNamesAreUpperCased) {
  const std::string bytes = Stream().Other().Module(0, 3, 100, 4, "main").Module(1, 2, 50, 0, "util").End();
  const BankModel m = Read(bytes, {{"MAIN", 1}});
  ASSERT_EQ(m.modules.size(), 2u);
  EXPECT_EQ(m.modules[0].name, "MAIN");
  EXPECT_EQ(m.modules[0].bank, 1);
  EXPECT_EQ(m.modules[1].bank, 0);  // no stored bank: the common area
  EXPECT_EQ(m.modules[0].size, 100u);
  EXPECT_EQ(m.modules[0].recordByte, 7);
}

struct BadFileRow {
  const char* name;
  std::string bytes;
  const char* message;
};
class BadBankFiles : public ::testing::TestWithParam<BadFileRow> {};
TEST_P(BadBankFiles, Refused) {
  std::string error;
  Read(GetParam().bytes, {}, &error);
  EXPECT_EQ(error, GetParam().message);
}
const BadFileRow kBadRows[] = {
    {"NoEndRecord", Stream().Module(0, 1, 1, 0, "a").End().substr(0, 10), "Input Error"},
    {"CallToModuleOutsideTheTable", Stream().Calls(0, {{4000, 1}}).End(), "Invalid File Reference"},
    {"Empty", "", "Input Error"},
};
INSTANTIATE_TEST_SUITE_P(Rows, BadBankFiles, ::testing::ValuesIn(kBadRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BankLink, EveryCutOfAFileFailsOrReadsWholeRecords) {
  const std::string bytes = Stream().Module(0, 1, 10, 2, "a").Calls(0, {{1, 3}}).Module(1, 2, 20, 0, "b").End();
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    std::string error;
    Read(bytes.substr(0, n), {}, &error);
    EXPECT_EQ(error, "Input Error") << n;
  }
}

TEST(BankStatistics, NoCallsGiveZerosAndDashes) {
  const BankModel m = Read(Stream().Module(0, 1, 10, 0, "a").End(), {{"A", 1}});
  EXPECT_EQ(BankStatistics(m, 1), "Calls within Bank:\t\t0\nCalls from other banks:\t0\nCalls to other banks:\t0");
  EXPECT_EQ(CallsFromText(m, 0), "-");
  EXPECT_EQ(CallsToText(m, 0), "-");
}

TEST(BankStatistics, CountsCallsBetweenBanks) {
  const std::string bytes = Stream()
                                .Module(0, 0, 10, 0, "a")
                                .Module(1, 0, 10, 0, "b")
                                .Module(2, 0, 10, 0, "c")
                                .Calls(0, {{1, 5}, {2, 2}})
                                .Calls(2, {{0, 7}})
                                .End();
  const BankModel m = Read(bytes, {{"A", 1}, {"B", 2}, {"C", 0}});
  EXPECT_EQ(BankStatistics(m, 1),
            "Calls within Bank:\t\t0\nCalls from other banks:\t7\tMaximum:   7 from Common\n"
            "Calls to other banks:\t5\tMaximum:   5 to Bank #1");
  EXPECT_EQ(BankStatistics(m, 0),
            "Calls within Bank:\t\t0\nCalls from other banks:\t2\tMaximum:   2 from Bank #0\n"
            "Calls to other banks:\t7\tMaximum:   7 to Bank #0");
  EXPECT_EQ(CallsToText(m, 0), "  5>[B #1]");
  EXPECT_EQ(CallsFromText(m, 0), "  7<[Com]");
  EXPECT_EQ(CallsFromText(m, 1), "  5<[B 0]");
}

// Bank row k is the linker's BANK(k-1), as the properties page numbers it.
TEST(BankRows, NamedAsTheLinkerNumbersThem) {
  const struct {
    int row;
    const char* name;
  } rows[] = {{0, "Common"}, {1, "Bank #0"}, {2, "Bank #1"}, {32, "Bank #31"}};
  for (const auto& r : rows) EXPECT_EQ(BankRowName(r.row), r.name) << r.row;
}

TEST(BankPlacement, EverythingFittingInTheCommonAreaEmptiesEveryBank) {
  const BankModel read = Read(Stream().Module(0, 0, 100, 0, "a").Module(1, 0, 200, 0, "b").End(), {{"A", 1}, {"B", 3}});
  BankModel m = read;
  PlaceModules(m);
  EXPECT_EQ(m.HighestBankUsed(), 0);
  for (const BankModule& mod : m.modules) EXPECT_EQ(mod.bank, 0);
}

TEST(BankPlacement, OverfullBankIsRelievedAndEveryBankFits) {
  Stream s;
  std::map<std::string, uint8_t> stored;
  for (int i = 0; i < 6; ++i) {
    const std::string name = "M" + std::to_string(i);
    s.Module(uint16_t(i), 0, 6000, 0, name);
    stored[name] = 1;  // 36000 bytes in one bank of 15360
  }
  BankModel m = Read(s.End(), stored);
  m.commonSize = 0x100;  // nothing fits into the common area
  PlaceModules(m);
  const std::vector<uint32_t> sizes = m.BankSizes();
  for (int b = 1; b <= kMaxBanks; ++b) EXPECT_LE(sizes[std::size_t(b)], kBankLimit) << b;
  EXPECT_EQ(m.HighestBankUsed(), 3);  // two modules of 6000 per bank
  EXPECT_GE(m.bankCount, 3);
}

}  // namespace
}  // namespace pm2
