// The symbol list's filters, name mask, column texts, sort orders, space
// buttons, mask history and per-toolset filters.
#include <gtest/gtest.h>

#include <memory>

#include "browse_sample_file.h"
#include "browser/browse_loader.h"
#include "browser/browse_symbol_list.h"

namespace pm2 {
namespace {

struct MaskRow {
  const char* name;
  const char* mask;
  const char* text;
  bool match;
};
class BrowseMaskRows : public ::testing::TestWithParam<MaskRow> {};
TEST_P(BrowseMaskRows, Match) {
  EXPECT_EQ(MatchNameMask(GetParam().mask, GetParam().text), GetParam().match);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, BrowseMaskRows,
    ::testing::Values(MaskRow{"StarAloneMatchesAll", "*", "anything", true},
                      MaskRow{"StarAloneMatchesEmpty", "*", "", true},
                      MaskRow{"EmptyMatchesOnlyEmpty", "", "", true},
                      MaskRow{"EmptyRefusesName", "", "a", false},
                      MaskRow{"TwoLettersStarLower", "ma*", "main", true},
                      MaskRow{"TwoLettersStarOtherCase", "ma*", "MAIN_loop", true},
                      MaskRow{"TwoLettersStarOtherStart", "ma*", "xmain", false},
                      MaskRow{"HashStarLeadingDigit", "#*", "7seg", true},
                      MaskRow{"HashStarLeadingLetter", "#*", "seg7", false},
                      MaskRow{"DollarOneCharacter", "a$c", "abc", true},
                      MaskRow{"DollarNotTwo", "a$c", "abbc", false},
                      MaskRow{"DollarNotNone", "a$c", "ac", false},
                      MaskRow{"WholeNameUsedUp", "main", "main2", false},
                      MaskRow{"StarLiteralFindsInside", "*count*", "g_Counter_x", true},
                      MaskRow{"StarLiteralAtEnd", "*er", "counter", true},
                      MaskRow{"StarLiteralFirstPlaceOnly", "*ab", "xabyab", false},
                      MaskRow{"StarLiteralMissing", "*zz", "counter", false},
                      MaskRow{"StarHashSkipsToDigit", "port*#", "port_a1", true},
                      MaskRow{"StarHashNoDigit", "p*#", "port", false},
                      MaskRow{"CaseIsBit20Only", "@", "`", true},
                      MaskRow{"DigitsNotFolded", "1", "!", false}),
    [](const auto& info) { return std::string(info.param.name); });

BrowseSymbol Sym(uint16_t cls, uint16_t kind = 0, uint16_t type = 0) {
  BrowseSymbol s;
  s.cls = cls;
  s.kind = kind;
  s.type = type;
  return s;
}

struct KindRow {
  const char* name;
  uint16_t cls;
  uint16_t kind;
  uint32_t filter;
  bool pass;
};
class BrowseKindRows : public ::testing::TestWithParam<KindRow> {};
TEST_P(BrowseKindRows, Filter) {
  const KindRow& r = GetParam();
  EXPECT_EQ(PassesKindFilter(Sym(r.cls, r.kind), r.filter), r.pass);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, BrowseKindRows,
    ::testing::Values(KindRow{"AllSixPassUnknownClass", 512, 0, 63, true},
                      KindRow{"FiveOfSixRefuseUnknownClass", 512, 0, 31, false},
                      KindRow{"NoneRefusesFunction", kClassFunction, 0, 0, false},
                      KindRow{"MacroWithBit1", kClassMacro, 0, kKindMacros, true},
                      KindRow{"MacroNotWithData", kClassMacro, 0, kKindData, false},
                      KindRow{"SfrWithBit32", kClassLocalData, 3, kKindSfr, true},
                      KindRow{"SfrNotWithData", kClassLocalData, 3, kKindData, false},
                      KindRow{"LocalDataWithBit4", kClassLocalData, 0, kKindData, true},
                      KindRow{"DataWithBit4", kClassData, 0, kKindData, true},
                      KindRow{"FunctionWithBit2", kClassFunction, 0, kKindFunctions, true},
                      KindRow{"MemberWithTypes", kClassMember, 0, kKindTypes, true},
                      KindRow{"TagWithTypes", kClassTag, 0, kKindTypes, true},
                      KindRow{"TypedefWithTypes", kClassTypedef, 0, kKindTypes, true},
                      KindRow{"EnumWithTypes", kClassEnum, 0, kKindTypes, true},
                      KindRow{"ParameterWithBit16", kClassParameter, 0, kKindParameters, true},
                      KindRow{"ParameterNotWithFunctions", kClassParameter, 0, kKindFunctions, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct TextRow {
  const char* name;
  uint16_t cls, kind, type;
  const char* classText;
  const char* typeText;
};
class BrowseTextRows : public ::testing::TestWithParam<TextRow> {};
TEST_P(BrowseTextRows, ClassAndType) {
  const TextRow& r = GetParam();
  BrowseSymbol s = Sym(r.cls, r.kind, r.type);
  EXPECT_EQ(ClassText(s), r.classText);
  EXPECT_EQ(TypeText(s), r.typeText);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, BrowseTextRows,
    ::testing::Values(TextRow{"SfrBit", kClassLocalData, 3, 1, "data (sfrbit)", "bit"},
                      TextRow{"Sfr", kClassLocalData, 3, 3, "data (sfr)", "uchar"},
                      TextRow{"LocalData", kClassLocalData, 0, 4, "data", "int"},
                      TextRow{"Function", kClassFunction, 0, 4, "function", "function"},
                      TextRow{"Macro", kClassMacro, 0, 4, "macro", "none"},
                      TextRow{"TagStruct", kClassTag, 0, 15, "tag", "struct"},
                      TextRow{"TypedefEnum", kClassTypedef, 0, 19, "typedef", "enum"},
                      TextRow{"TypeBeyondTheNames", kClassData, 0, 20, "data", "<unknown>"},
                      TextRow{"UnknownClass", 3, 0, 4, "<unknown>", "none"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BrowseSpaces, FlagZeroAlwaysAndHighSpacesUseIt) {
  const BrowseSpaceFlags none = SpaceFlags(0);
  EXPECT_TRUE(PassesSpace(none, 0));
  EXPECT_FALSE(PassesSpace(none, 1));
  // Spaces the 32 flags do not cover take flag 0 instead of reading past
  // the table.
  EXPECT_TRUE(PassesSpace(none, 32));
  EXPECT_TRUE(PassesSpace(none, 40));
  const BrowseSpaceFlags second = SpaceFlags(2);
  EXPECT_FALSE(PassesSpace(second, 1));
  EXPECT_TRUE(PassesSpace(second, 2));
  EXPECT_TRUE(PassesSpace(SpaceFlags(0x80000000u), 32 - 0));
  EXPECT_TRUE(SpaceFlags(0x40000000u)[31]);
}

std::unique_ptr<BrowseModule> Loaded(const BrowseSampleFile& f) {
  std::unique_ptr<BrowseModule> m;
  EXPECT_EQ(LoadBrowseInfo(f.bytes.data(), f.bytes.size(), "/p", &m), kBrowseOk);
  return m;
}

std::vector<std::string> Names(const std::vector<BrowseSymbol*>& rows) {
  std::vector<std::string> out;
  for (const BrowseSymbol* s : rows) out.emplace_back(s->owner->text);
  return out;
}

struct FilterRow {
  const char* name;
  BrowseListFilter filter;
  std::vector<std::string> listed;
};
class BrowseFilterRows : public ::testing::TestWithParam<FilterRow> {};
TEST_P(BrowseFilterRows, Lists) {
  auto m = Loaded(SampleModule());
  ASSERT_TRUE(m);
  EXPECT_EQ(Names(FilterSymbols(*m, GetParam().filter)), GetParam().listed);
}
BrowseListFilter Filter(const char* mask, uint32_t kinds, uint32_t spaces, uint32_t file) {
  BrowseListFilter f;
  f.mask = mask;
  f.kinds = kinds;
  f.spaces = spaces;
  f.file = file;
  return f;
}
INSTANTIATE_TEST_SUITE_P(
    Rows, BrowseFilterRows,
    ::testing::Values(
        FilterRow{"Everything", BrowseListFilter(), {"main", "start", "counter", "_isr", "pair", "field"}},
        FilterRow{"Mask", Filter("*a*", kFilterEverything, kFilterEverything, 0), {"main", "start", "pair"}},
        FilterRow{"Functions", Filter("*", kKindFunctions, kFilterEverything, 0), {"main", "start", "_isr"}},
        FilterRow{"Types", Filter("*", kKindTypes, kFilterEverything, 0), {"pair", "field"}},
        FilterRow{"NoKinds", Filter("*", 0, kFilterEverything, 0), {}},
        // Space 1 is "code" (bit 0), space 2 "data" (bit 1); space 0 passes always.
        FilterRow{"CodeSpaceOnly", Filter("*", kFilterEverything, 1, 0), {"main", "start", "_isr", "pair", "field"}},
        FilterRow{"DataSpaceOnly", Filter("*", kFilterEverything, 2, 0), {"counter", "pair", "field"}},
        // Defined (kinds 2 and 5) in file 2: the file outline lists what a
        // file defines, not what it uses.
        FilterRow{"DefinedInFile2", Filter("*", kFilterEverything, kFilterEverything, 2), {"start", "_isr"}},
        FilterRow{"MaskAndKind", Filter("m*", kKindData, kFilterEverything, 0), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BrowseList, OneNameListsAllItsRecordsWithoutFilters) {
  BrowseSampleFile f;
  f.ModuleStart().Header(2).File("a.c").NameRec("i").Symbol(2, 0, 4, 1).Symbol(8, 0, 17).ModuleEnd();
  auto m = Loaded(f);
  BrowseListFilter none = Filter("zz", 0, 0, 9);
  EXPECT_TRUE(FilterSymbols(*m, none).empty());
  EXPECT_EQ(FilterSymbols(*m, none, m->FindName("i")).size(), 2u);
}

struct SortRow {
  const char* name;
  int column;
  bool descending;
  std::vector<std::string> order;
};
class BrowseSortRows : public ::testing::TestWithParam<SortRow> {};
TEST_P(BrowseSortRows, Order) {
  auto m = Loaded(SampleModule());
  std::vector<BrowseSymbol*> rows = FilterSymbols(*m, BrowseListFilter());
  SortSymbols(rows, GetParam().column, GetParam().descending);
  EXPECT_EQ(Names(rows), GetParam().order);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, BrowseSortRows,
    ::testing::Values(
        // Byte order: "_" (0x5F) before the lower-case letters.
        SortRow{"NameAscending", kColName, false, {"_isr", "counter", "field", "main", "pair", "start"}},
        SortRow{"NameDescending", kColName, true, {"start", "pair", "main", "field", "counter", "_isr"}},
        SortRow{"ClassAscendingStable", kColClass, false, {"counter", "main", "start", "_isr", "field", "pair"}},
        SortRow{"SpaceDescending", kColSpace, true, {"counter", "main", "start", "_isr", "pair", "field"}},
        // Uses: main 3, start 1, counter 3, _isr 2, pair 1, field 2.
        SortRow{"UsesAscending", kColUses, false, {"start", "pair", "_isr", "field", "main", "counter"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BrowseList, ColumnTextsOfARow) {
  auto m = Loaded(SampleModule());
  const BrowseSymbol& counter = *m->FindName("counter")->first;
  EXPECT_EQ(ColumnText(*m, counter, kColName), "counter");
  EXPECT_EQ(ColumnText(*m, counter, kColClass), "data");
  EXPECT_EQ(ColumnText(*m, counter, kColType), "int");
  EXPECT_EQ(ColumnText(*m, counter, kColSpace), "data");
  EXPECT_EQ(ColumnText(*m, counter, kColUses), "3");
  BrowseSymbol beyond = counter;
  beyond.space = 9;  // past the module's names
  EXPECT_EQ(ColumnText(*m, beyond, kColSpace), "");
}

TEST(BrowseList, SortStateAfterRefillAndClicks) {
  BrowseSortState s;
  s.Clicked(kColUses);
  s.Refilled();
  EXPECT_EQ(s.column, kColName);
  EXPECT_FALSE(s.descending);
  s.Clicked(kColClass);
  EXPECT_TRUE(s.descending);
  s.Clicked(kColClass);
  EXPECT_FALSE(s.descending);
  s.Clicked(kColType);
  EXPECT_TRUE(s.descending);
}

struct ButtonRow {
  const char* name;
  int spaceNames;
  int shown;
};
class BrowseButtonRows : public ::testing::TestWithParam<ButtonRow> {};
TEST_P(BrowseButtonRows, Shown) {
  BrowseModule m;
  for (int i = 0; i < GetParam().spaceNames; ++i) m.spaceNames.push_back("s" + std::to_string(i));
  EXPECT_EQ(ShownSpaceButtons(m), GetParam().shown);
}
INSTANTIATE_TEST_SUITE_P(Rows, BrowseButtonRows,
                         ::testing::Values(ButtonRow{"NoNames", 0, 0}, ButtonRow{"OnlyNameZero", 1, 0},
                                           ButtonRow{"ThreeNamesTwoButtons", 3, 2},
                                           ButtonRow{"AllButtons", 23, 22}, ButtonRow{"MoreNamesThanButtons", 40, 22}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BrowseMaskHistory, NewMasksGoInAtPlaceOneAndTheSixteenthDropsTheOldest) {
  BrowseMaskHistory h;
  EXPECT_EQ(h.Enter(""), "*");
  for (int i = 1; i <= 14; ++i) h.Enter("m" + std::to_string(i));
  ASSERT_EQ(h.Entries().size(), 15u);
  EXPECT_EQ(h.Entries()[1], "m14");
  EXPECT_EQ(h.Entries()[14], "m1");
  EXPECT_EQ(h.Enter("m15"), "m15");
  ASSERT_EQ(h.Entries().size(), 15u);
  EXPECT_EQ(h.Entries()[0], "*");
  EXPECT_EQ(h.Entries()[1], "m15");
  EXPECT_EQ(h.Entries()[14], "m2");  // m1 dropped
  h.Enter("m7");                     // known: the list stays
  EXPECT_EQ(h.Entries()[1], "m15");
}

TEST(BrowseFilterMemory, PerToolsetWithDefaults) {
  BrowseFilterMemory mem;
  uint32_t k = 0, s = 0;
  mem.Store(0, kKindFunctions, 3);
  mem.Store(2, 0, 0);    // a stored 0 reads back as everything
  mem.Store(100, 1, 1);  // no target toolset: nothing kept
  mem.Load(0, &k, &s);
  EXPECT_EQ(k, uint32_t(kKindFunctions));
  EXPECT_EQ(s, 3u);
  mem.Load(2, &k, &s);
  EXPECT_EQ(k, kFilterEverything);
  EXPECT_EQ(s, kFilterEverything);
  mem.Load(1, &k, &s);
  EXPECT_EQ(k, kFilterEverything);
  mem.Load(100, &k, &s);
  EXPECT_EQ(k, kFilterEverything);
}

}  // namespace
}  // namespace pm2
