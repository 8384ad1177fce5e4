#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "browser/browse_loader.h"
#include "browser/browse_records.h"
#include "browser/browse_sample_file.h"
#include "browser/browse_session.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

int Load(const BrowseSampleFile& f, std::unique_ptr<BrowseModule>* out, const std::string& base = "/proj") {
  return LoadBrowseInfo(f.bytes.data(), f.bytes.size(), base, out);
}

// Kinds and lines of a symbol's occurrences, in table order.
std::vector<std::pair<int, uint32_t>> KindsAndLines(const BrowseSymbol& s) {
  std::vector<std::pair<int, uint32_t>> v;
  for (const BrowseOccurrence& o : s.occurrences) v.emplace_back(o.kind, o.line);
  return v;
}

TEST(BrowseRecords, ValuesLittleEndianAndThirtyTwoBitsAsTwoWords) {
  const uint8_t contents[] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x03, 'a', 'b', 'c', 0x05, 'x'};
  BrowseRecord r{0x61, contents, sizeof contents};
  ContentCursor c(r);
  uint16_t w = 0;
  uint32_t d = 0;
  std::string name;
  ASSERT_TRUE(c.U16(&w));
  EXPECT_EQ(w, 0x1234);
  ASSERT_TRUE(c.U32(&d));
  EXPECT_EQ(d, 0x12345678u);  // low word 0x5678 first, high word 0x1234 second
  ASSERT_TRUE(c.Name(&name));
  EXPECT_EQ(name, "abc");
  EXPECT_FALSE(c.Name(&name));  // claims 5 characters, 1 left
  EXPECT_EQ(c.Left(), 2u);
  EXPECT_FALSE(c.U32(&d));
}

TEST(BrowseReader, EveryRecordKindOfTheSample) {
  std::unique_ptr<BrowseModule> m;
  ASSERT_EQ(Load(SampleModule(), &m), kBrowseOk);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->version, 512);
  EXPECT_EQ(m->headerWord, 7);
  EXPECT_EQ(m->symbolCount, 6u);
  EXPECT_EQ(m->spaceNames, (std::vector<std::string>{"none", "code", "data"}));
  ASSERT_EQ(m->FileCount(), 2u);
  EXPECT_EQ(m->FileByNumber(1)->path, "/proj/src/main.c");  // relative: against the base folder
  EXPECT_EQ(m->FileByNumber(2)->path, "/abs/util.c");
  EXPECT_EQ(m->FileByNumber(1)->value32, 0x11223344u);
  EXPECT_EQ(m->FileByNumber(1)->value16, 0x5566);
  EXPECT_EQ(m->FileByNumber(0), nullptr);
  EXPECT_EQ(m->FileByNumber(3), nullptr);

  std::vector<std::string> names;
  size_t symbols = 0, occurrences = 0;
  for (const BrowseName& n : m->Names()) {
    names.emplace_back(n.text);
    for (const BrowseSymbol* s = n.first; s; s = s->next) {
      ++symbols;
      occurrences += s->occurrences.size();
      EXPECT_EQ(s->owner, &n);
    }
  }
  EXPECT_EQ(names, (std::vector<std::string>{"main", "start", "counter", "_isr", "pair", "field"}));
  EXPECT_EQ(symbols, 6u);
  EXPECT_EQ(occurrences, 15u);  // kind 7 dropped

  const BrowseSymbol& main = *m->FindName("main")->first;
  EXPECT_EQ(main.cls, kClassFunction);
  EXPECT_EQ(main.space, 1);
  EXPECT_EQ(main.type, 17);
  EXPECT_EQ(m->SpaceName(main.space), "code");
  EXPECT_EQ(m->SpaceName(9), "");
  // Two 0x64 records add up; definitions and calls first, references last;
  // the 32-bit line arrives whole.
  EXPECT_EQ(KindsAndLines(main),
            (std::vector<std::pair<int, uint32_t>>{{3, 12}, {2, 10}, {1, 40}, {1, 0x00012345}}));
  EXPECT_EQ(main.DefRefCount(), 3u);

  const BrowseSymbol& counter = *m->FindName("counter")->first;
  EXPECT_EQ(KindsAndLines(counter), (std::vector<std::pair<int, uint32_t>>{{2, 2}, {3, 31}, {1, 20}, {1, 30}}));
  EXPECT_EQ(counter.DefRefCount(), 3u);
  EXPECT_EQ(counter.occurrences[3].access, kAccessRead | kAccessWritten);

  // Call and member references name their records.
  EXPECT_EQ(main.occurrences[0].ref, m->FindName("counter")->first);
  EXPECT_EQ(counter.occurrences[1].ref, &main);
  EXPECT_EQ(m->FindName("start")->first->occurrences[0].ref, &main);
  const BrowseSymbol& field = *m->FindName("field")->first;
  EXPECT_EQ(KindsAndLines(field), (std::vector<std::pair<int, uint32_t>>{{5, 71}, {6, 80}}));
  EXPECT_EQ(field.occurrences[0].ref->owner->text, "pair");
  EXPECT_EQ(field.DefRefCount(), 2u);
  EXPECT_EQ(m->FindName("Main"), nullptr);  // names compare exactly
}

struct HashRow {
  const char* name;
  std::string text;
  size_t bucket;
};
class BrowseHashRows : public ::testing::TestWithParam<HashRow> {};
TEST_P(BrowseHashRows, Bucket) { EXPECT_EQ(BrowseHash(GetParam().text), GetParam().bucket); }
// Worked by hand: "a" is 97; "Ap" is 65*16 + 112 = 1152 = 5*211 + 97;
// "\x80" counts as -128: 0xFFFFFF80 folds to 0x0FFFFF70 = 268435312, 57 mod 211.
INSTANTIATE_TEST_SUITE_P(Rows, BrowseHashRows,
                         ::testing::Values(HashRow{"Empty", "", 0}, HashRow{"OneLetter", "a", 97},
                                           HashRow{"CollidesWithA", "Ap", 97},
                                           HashRow{"HighCharacterIsNegative", "\x80", 57},
                                           HashRow{"TopNibbleFolded", "abcdefghij", 147},
                                           HashRow{"TwoHighCharacters", "\xff\xfe", 144}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BrowseReader, NamesSharingABucketAreBothFound) {
  BrowseSampleFile f;
  f.ModuleStart().Header(3).NameRec("a").Symbol(4).NameRec("Ap").Symbol(8).NameRec("b").Symbol(1).ModuleEnd();
  std::unique_ptr<BrowseModule> m;
  ASSERT_EQ(Load(f, &m), kBrowseOk);
  ASSERT_TRUE(m->FindName("a"));
  ASSERT_TRUE(m->FindName("Ap"));
  EXPECT_EQ(m->FindName("a")->first->cls, kClassData);
  EXPECT_EQ(m->FindName("Ap")->first->cls, kClassFunction);
  EXPECT_EQ(m->FindName("Ap")->nextInBucket, m->FindName("a"));  // the newer name in front
  EXPECT_EQ(m->FindName("A"), nullptr);
}

// A cut anywhere ends the reading there: what was read before the cut is
// the table (its names a leading part of the whole file's), a cut before
// the first browse header leaves no information, and nothing else fails.
TEST(BrowseReader, EveryTruncationKeepsWhatWasReadBeforeIt) {
  const BrowseSampleFile whole = SampleModule();
  std::unique_ptr<BrowseModule> full;
  ASSERT_EQ(Load(whole, &full), kBrowseOk);
  size_t lastNames = 0;
  for (size_t n = 0; n < whole.bytes.size(); ++n) {
    BrowseSampleFile cut;
    cut.bytes.assign(whole.bytes.begin(), whole.bytes.begin() + static_cast<long>(n));
    std::unique_ptr<BrowseModule> m;
    const int code = Load(cut, &m);
    if (n == 0) {
      EXPECT_EQ(code, kBrowseInvalid);
      continue;
    }
    if (code == kBrowseNoInfo) {
      EXPECT_FALSE(m) << "cut at " << n;
      EXPECT_EQ(lastNames, 0u) << "cut at " << n;
      continue;
    }
    ASSERT_EQ(code, kBrowseOk) << "cut at " << n;
    ASSERT_TRUE(m);
    ASSERT_LE(m->Names().size(), full->Names().size());
    EXPECT_GE(m->Names().size(), lastNames) << "cut at " << n;
    lastNames = m->Names().size();
    for (size_t i = 0; i < m->Names().size(); ++i) EXPECT_EQ(m->Names()[i].text, full->Names()[i].text);
    // A reference to a record not read yet resolves to none, never to
    // another record.
    for (const BrowseSymbol& s : m->Symbols())
      for (const BrowseOccurrence& o : s.occurrences) {
        if (o.ref) {
          EXPECT_EQ(o.ref->number, o.refNumber) << "cut at " << n;
        }
      }
  }
  EXPECT_EQ(lastNames, full->Names().size());
}

struct BadRow {
  const char* name;
  BrowseSampleFile file;
  int code;
};

BrowseSampleFile Started() {
  BrowseSampleFile f;
  f.ModuleStart();
  return f;
}

std::vector<BadRow> BadRows() {
  std::vector<BadRow> rows;
  BrowseSampleFile elf;
  elf.bytes = {0x7F, 'E', 'L', 'F', 1, 1, 1, 0};
  rows.push_back({"ElfFirstByte", elf, kBrowseInvalid});
  BrowseSampleFile wrongStart = SampleModule();
  wrongStart.bytes[0] = 0x03;
  rows.push_back({"WrongFirstByte", wrongStart, kBrowseInvalid});
  rows.push_back({"Version511", Started().Header(0, {}, 511).ModuleEnd(), kBrowseInvalid});
  rows.push_back({"NoBrowseSection", Started().Other().ModuleEnd(), kBrowseNoInfo});
  rows.push_back({"EndsAtFirstRecordThatIsAnEnd", BrowseSampleFile().ModuleStart(0x8A).Header(0).ModuleEnd(),
                  kBrowseNoInfo});
  rows.push_back({"BrowseRecordOutsideSection", Started().NameRec("x").ModuleEnd(), kBrowseDamaged});
  rows.push_back({"SymbolBeforeName", Started().Header(1).Symbol(4).ModuleEnd(), kBrowseDamaged});
  rows.push_back({"OccurrencesBeforeSymbol", Started().Header(1).NameRec("x").Occurrences({{1, 1, 1}}).ModuleEnd(),
                  kBrowseDamaged});
  rows.push_back({"MoreSymbolsThanCounted", Started().Header(1).NameRec("x").Symbol(4).Symbol(4).ModuleEnd(),
                  kBrowseDamaged});
  rows.push_back({"CallToUncountedSymbol",
                  Started().Header(1).NameRec("x").Symbol(8).Occurrences({{3, 1, 1, 0, 1}}).ModuleEnd(),
                  kBrowseDamaged});
  BrowseSampleFile manyOccurrences = Started().Header(1).NameRec("x").Symbol(4);
  std::vector<uint8_t> c;
  BrowseSampleFile::U32(c, 1000);  // a count the record cannot hold
  manyOccurrences.Record(0x64, c).ModuleEnd();
  rows.push_back({"OccurrenceCountBeyondTheRecord", manyOccurrences, kBrowseDamaged});
  BrowseSampleFile shortName = Started().Header(0);
  shortName.Record(0x62, {0, 0, 0, 0, 9, 'a'}).ModuleEnd();
  rows.push_back({"NameLongerThanItsRecord", shortName, kBrowseDamaged});
  BrowseSampleFile zeroLength = Started();
  zeroLength.bytes.insert(zeroLength.bytes.end(), {0x0E, 0x00, 0x00});
  zeroLength.ModuleEnd();
  rows.push_back({"ZeroLengthEndsTheReading", zeroLength, kBrowseNoInfo});
  return rows;
}

class BrowseBadFile : public ::testing::TestWithParam<BadRow> {};
TEST_P(BrowseBadFile, RefusedWithoutTable) {
  std::unique_ptr<BrowseModule> m;
  EXPECT_EQ(Load(GetParam().file, &m), GetParam().code);
  EXPECT_FALSE(m);
}
INSTANTIATE_TEST_SUITE_P(Rows, BrowseBadFile, ::testing::ValuesIn(BadRows()),
                         [](const auto& info) { return std::string(info.param.name); });

struct GoodRow {
  const char* name;
  BrowseSampleFile file;
  size_t names;
};
std::vector<GoodRow> GoodRows() {
  std::vector<GoodRow> rows;
  rows.push_back({"Version512", Started().Header(1).NameRec("x").Symbol(4).ModuleEnd(), 1});
  struct Start {
    const char* name;
    uint8_t type;
  };
  static constexpr Start kStarts[] = {
      {"Start02", 0x02}, {"Start2E", 0x2E}, {"Start70", 0x70}, {"Start82", 0x82}, {"StartC4", 0xC4}};
  for (const Start& s : kStarts)
    rows.push_back({s.name, BrowseSampleFile().ModuleStart(s.type).Header(0).NameRec("x").ModuleEnd(), 1});
  rows.push_back({"EndRecord1A", Started().Header(0).NameRec("x").Record(0x1A, {}), 1});
  rows.push_back({"ModuleEndC6", Started().Header(0).NameRec("x").ModuleEnd(0xC6), 1});
  rows.push_back({"BytesAfterTheEndIgnored", [] {
                    BrowseSampleFile f = Started().Header(0).NameRec("x").ModuleEnd();
                    f.bytes.insert(f.bytes.end(), {0xFF, 0xFF});
                    return f;
                  }(), 1});
  rows.push_back({"EmptyName", Started().Header(1).NameRec("").Symbol(4).ModuleEnd(), 1});
  rows.push_back({"NoEndRecord", Started().Header(0).NameRec("x"), 1});
  rows.push_back({"SymbolCountBeyondTheData", Started().Header(0x40000000).NameRec("x").Symbol(4).ModuleEnd(), 1});
  rows.push_back({"LastRecordLongerThanTheData", [] {
                    BrowseSampleFile f = Started().Header(0).NameRec("x");
                    f.bytes.insert(f.bytes.end(), {0x62, 0x40, 0x00, 0x00});
                    return f;
                  }(), 1});
  return rows;
}
class BrowseGoodFile : public ::testing::TestWithParam<GoodRow> {};
TEST_P(BrowseGoodFile, Loads) {
  std::unique_ptr<BrowseModule> m;
  ASSERT_EQ(Load(GetParam().file, &m), kBrowseOk);
  EXPECT_EQ(m->Names().size(), GetParam().names);
}
INSTANTIATE_TEST_SUITE_P(Rows, BrowseGoodFile, ::testing::ValuesIn(GoodRows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BrowseReader, ErrorTextsNameTheFile) {
  EXPECT_EQ(BrowseErrorText(kBrowseCantOpen, "out/blinky"), "Can't open file 'out/blinky'");
  EXPECT_EQ(BrowseErrorText(kBrowseInvalid, "a.elf"), "Invalid file 'a.elf'");
  EXPECT_EQ(BrowseErrorText(kBrowseDamaged, "a"), "Invalid file 'a'");
  EXPECT_EQ(BrowseErrorText(kBrowseNoMemory, "a"), "Out of memory loading 'a'");
  EXPECT_EQ(BrowseErrorText(kBrowseNoInfo, "a"),
            "No Browse Information available in 'a'\n\nCheck - [Target-Options] [Output] [Browse "
            "Information]\nthen Rebuild the target !\n");
  EXPECT_EQ(BrowseErrorText(kBrowseOk, "a"), "");
}

// Enough long names and records to fill several blocks of the name store
// and several chunks of the record stores: every name keeps its text and
// every record its name across the block boundaries.
TEST(BrowseReader, ManyLongNamesAcrossTheStoreBlocks) {
  constexpr uint32_t kCount = 5000;  // past 4,096 records; 1 MB of names
  auto nameOf = [](uint32_t i) { return std::to_string(i) + std::string(200, static_cast<char>('a' + i % 26)); };
  BrowseSampleFile f = Started().Header(kCount).File("/p/a.c");
  for (uint32_t i = 0; i < kCount; ++i)
    f.NameRec(nameOf(i)).Symbol(4).Occurrences({{1, 1, i + 1}, {3, 1, i, 0, (i + 1) % kCount}});
  f.ModuleEnd();
  std::unique_ptr<BrowseModule> m;
  ASSERT_EQ(Load(f, &m), kBrowseOk);
  ASSERT_EQ(m->Names().size(), kCount);
  uint32_t wrong = 0;
  for (uint32_t i = 0; i < kCount; ++i) {
    const BrowseName& n = m->Names()[i];
    const BrowseName* found = m->FindName(nameOf(i));
    const BrowseSymbol* s = n.first;
    if (n.text != nameOf(i) || found != &n || !s || s->owner != &n || s->number != i || s->occurrences.size() != 2 ||
        s->occurrences[1].line != i + 1 || s->occurrences[0].ref != m->Names()[(i + 1) % kCount].first)
      ++wrong;
  }
  EXPECT_EQ(wrong, 0u);
}

// An array read after loading is decoded from the file's bytes; one that
// several records grew while loading is ordered at the end of it. Both
// give the same entries, references and counts.
TEST(BrowseReader, ArraysDecodedLateMatchArraysGrownWhileLoading) {
  const std::initializer_list<SampleOccurrence> whole = {
      {1, 1, 10}, {3, 1, 11, 0, 1}, {7, 1, 12}, {2, 2, 13, 2}, {6, 1, 14, 0, 1}, {4, 2, 15, 0, 0}, {5, 1, 16, 1, 1}};
  BrowseSampleFile one = Started().Header(2).File("/p/a.c").File("/p/b.c").NameRec("f").Symbol(8);
  one.Occurrences(whole).NameRec("t").Symbol(32).ModuleEnd();
  BrowseSampleFile split = Started().Header(2).File("/p/a.c").File("/p/b.c").NameRec("f").Symbol(8);
  split.Occurrences({{1, 1, 10}, {3, 1, 11, 0, 1}, {7, 1, 12}})
      .Occurrences({{2, 2, 13, 2}, {6, 1, 14, 0, 1}})
      .Occurrences({{4, 2, 15, 0, 0}, {5, 1, 16, 1, 1}})
      .NameRec("t")
      .Symbol(32)
      .ModuleEnd();
  std::unique_ptr<BrowseModule> a, b;
  ASSERT_EQ(Load(one, &a), kBrowseOk);
  ASSERT_EQ(Load(split, &b), kBrowseOk);
  const BrowseModule& late = *a;  // read through a const table
  const BrowseSymbol& f = *late.FindName("f")->first;
  const BrowseSymbol& g = *b->FindName("f")->first;
  EXPECT_EQ(f.DefRefCount(), 4u);
  EXPECT_EQ(g.DefRefCount(), 4u);
  const std::vector<std::pair<int, uint32_t>> order = {{3, 11}, {2, 13}, {4, 15}, {5, 16}, {1, 10}, {6, 14}};
  EXPECT_EQ(KindsAndLines(f), order);
  EXPECT_EQ(KindsAndLines(g), order);
  for (size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(f.occurrences[i].file, g.occurrences[i].file) << i;
    EXPECT_EQ(f.occurrences[i].access, g.occurrences[i].access) << i;
    EXPECT_EQ(f.occurrences[i].flags, g.occurrences[i].flags) << i;
    EXPECT_EQ(f.occurrences[i].ref ? f.occurrences[i].ref->owner->text : "-",
              g.occurrences[i].ref ? g.occurrences[i].ref->owner->text : "-")
        << i;
  }
  EXPECT_EQ(f.occurrences[0].ref, late.FindName("t")->first);
  EXPECT_EQ(f.occurrences[2].ref, &f);
}

// ---- merging the sections of several modules linked into one file

BrowseSampleFile TwoModules() {
  BrowseSampleFile f;
  f.ModuleStart()
      .Header(3, {"none", "code"})
      .File("/p/a.c")
      .File("/p/common.h")
      .NameRec("shared")
      .Symbol(4, 1, 4, 2)  // data, declared (kind 2)
      .Occurrences({{1, 2, 7, kAccessRead}, {2, 1, 3}})
      .NameRec("f")
      .Symbol(8, 1, 17, 0)
      .Occurrences({{1, 1, 20}})
      .NameRec("m")
      .Symbol(1)
      .Occurrences({{1, 2, 1}})
      .Other()  // closes the first section
      .SectionHeader(4)
      .File("/p/b.c")
      .File("/p/common.h")
      .NameRec("shared")
      .Symbol(4, 1, 4, 1)  // the same data, defined here
      .Occurrences({{1, 2, 7, kAccessWritten}, {2, 1, 9}})
      .NameRec("shared")  // the same name again, another type
      .Symbol(4, 1, 6, 0)
      .Occurrences({{2, 1, 11}})
      .NameRec("g")
      .Symbol(8, 1, 17, 0)
      .Occurrences({{1, 1, 30}, {3, 1, 31, 0, 3}})
      .NameRec("f")
      .Symbol(8, 1, 17, 0)
      .Occurrences({{4, 1, 31, 0, 2}, {3, 1, 32, 0, 2}})
      .ModuleEnd();
  return f;
}

TEST(BrowseMerge, SecondModuleJoinsTheFirst) {
  std::unique_ptr<BrowseModule> m;
  ASSERT_EQ(Load(TwoModules(), &m), kBrowseOk);
  ASSERT_EQ(m->FileCount(), 3u);  // common.h once, b.c appended
  EXPECT_EQ(m->FileByNumber(3)->path, "/p/b.c");
  EXPECT_EQ(m->spaceNames.size(), 2u);

  BrowseName& shared = *m->FindName("shared");
  // The record of another type came in front; the matching one took the
  // definition's kind.
  ASSERT_TRUE(shared.first && shared.first->next);
  EXPECT_EQ(shared.first->type, 6);
  EXPECT_EQ(KindsAndLines(*shared.first), (std::vector<std::pair<int, uint32_t>>{{2, 11}}));
  EXPECT_EQ(shared.first->occurrences[0].file, 3u);
  const BrowseSymbol& data = *shared.first->next;
  EXPECT_EQ(data.kind, 1);
  // The definition both modules recorded in common.h line 7 is kept once
  // with both accesses; b.c's reference is remapped to file 3.
  ASSERT_EQ(KindsAndLines(data), (std::vector<std::pair<int, uint32_t>>{{2, 3}, {2, 9}, {1, 7}}));
  EXPECT_EQ(data.occurrences[2].access, kAccessRead | kAccessWritten);
  EXPECT_EQ(data.occurrences[2].file, 2u);
  EXPECT_EQ(data.occurrences[1].file, 3u);
  EXPECT_TRUE(data.occurrences[1].flags & kOccRemapped);
  EXPECT_EQ(data.DefRefCount(), 3u);

  // A new name goes to the end of the list; calls across the modules end at
  // the module's records.
  EXPECT_EQ(m->Names().back().text, "g");
  const BrowseSymbol& g = *m->FindName("g")->first;
  const BrowseSymbol& f = *m->FindName("f")->first;
  ASSERT_EQ(f.next, nullptr);  // matched by class and type, not added
  ASSERT_EQ(g.occurrences[0].kind, kOccCalls);
  EXPECT_EQ(g.occurrences[0].ref, &f);
  ASSERT_EQ(KindsAndLines(f), (std::vector<std::pair<int, uint32_t>>{{4, 31}, {3, 32}, {1, 20}}));
  EXPECT_EQ(f.occurrences[0].ref, &g);
  EXPECT_EQ(f.occurrences[1].ref, &g);
}

// A member recorded by two modules at one place is one entry only when it
// belongs to a tag of the same name: the first module's tag references
// are resolved before the second joins.
TEST(BrowseMerge, MemberPlacesCompareTheirTagNames) {
  auto module = [](BrowseSampleFile& f, const char* tag, bool first) {
    if (first)
      f.Header(2, {"none"});
    else
      f.Other().SectionHeader(2);
    f.File("/p/s.h").NameRec(tag).Symbol(32, 0, 15).Occurrences({{1, 1, 3}});
    f.NameRec("field").Symbol(16, 0, 4).Occurrences({{6, 1, 4, 0, 0}});
  };
  for (const bool sameTag : {true, false}) {
    BrowseSampleFile f;
    f.ModuleStart();
    module(f, "pair", true);
    module(f, sameTag ? "pair" : "other", false);
    f.ModuleEnd();
    std::unique_ptr<BrowseModule> m;
    ASSERT_EQ(Load(f, &m), kBrowseOk);
    const BrowseSymbol& field = *m->FindName("field")->first;
    ASSERT_EQ(field.occurrences.size(), sameTag ? 1u : 2u) << sameTag;
    EXPECT_EQ(field.occurrences[0].ref, m->FindName("pair")->first);
    if (!sameTag) {
      EXPECT_EQ(field.occurrences[1].ref, m->FindName("other")->first);
    }
  }
}

// The first section numbers its own records only: a number its header
// counts whose record never came names none, also once a later section
// has added records to the table.
TEST(BrowseMerge, MissingRecordOfTheFirstSectionStaysUnnamed) {
  BrowseSampleFile f;
  f.ModuleStart()
      .Header(3, {"none"})
      .NameRec("caller")
      .Symbol(8, 0, 17)
      .Occurrences({{3, 0, 5, 0, 1}, {3, 0, 6, 0, 2}})
      .NameRec("callee")
      .Symbol(8, 0, 17)
      .Other()
      .SectionHeader(1)
      .NameRec("later")
      .Symbol(8, 0, 17)
      .Occurrences({{1, 0, 9}})
      .ModuleEnd();
  std::unique_ptr<BrowseModule> m;
  ASSERT_EQ(Load(f, &m), kBrowseOk);
  ASSERT_EQ(m->Symbols().size(), 3u);
  const BrowseSymbol& caller = *m->FindName("caller")->first;
  ASSERT_EQ(caller.occurrences.size(), 2u);
  EXPECT_EQ(caller.occurrences[0].ref, m->FindName("callee")->first);
  EXPECT_EQ(caller.occurrences[1].ref, nullptr);  // not "later", third in the table
  EXPECT_TRUE(caller.occurrences[1].flags & kOccResolved);
}

// ---- the session: loading on demand

struct SessionFixture : ::testing::Test {
  TempDir dir;
  BrowseSession session;
  std::string Write(const std::string& name, const BrowseSampleFile& f) {
    std::string path = dir / name;
    f.Write(path);
    return path;
  }
};

TEST_F(SessionFixture, SameNameReadsOnceAnotherNameReloads) {
  const std::string a = Write("a", SampleModule());
  ASSERT_EQ(session.Open(a, dir.path()), "");
  BrowseModule* first = session.Module();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->fileName, a);
  Write("a", BrowseSampleFile());  // emptied on disk: not read again
  EXPECT_EQ(session.Open(a, dir.path()), "");
  EXPECT_EQ(session.Module(), first);

  BrowseSampleFile other;
  other.ModuleStart().Header(1).NameRec("only").Symbol(4).ModuleEnd();
  const std::string b = Write("b", other);
  EXPECT_EQ(session.Open(b, dir.path()), "");
  ASSERT_TRUE(session.Module());
  EXPECT_TRUE(session.Module()->FindName("only"));
  EXPECT_FALSE(session.Module()->FindName("main"));
}

// Whoever shows the table's records hears of it before the table goes:
// freed, or replaced by another file's; not when nothing was loaded.
TEST_F(SessionFixture, TableGoingIsAnnouncedFirst) {
  int heard = 0;
  session.m_beforeFree = [&] {
    EXPECT_NE(session.Module(), nullptr);  // still there to let go of
    ++heard;
  };
  const std::string path = Write("a", SampleModule());
  const std::string other = Write("b", SampleModule(true));
  session.Free();
  EXPECT_EQ(heard, 0);
  ASSERT_EQ(session.Open(path, dir.path()), "");
  ASSERT_EQ(session.Open(path, dir.path()), "");  // the same file: kept
  EXPECT_EQ(heard, 0);
  ASSERT_EQ(session.Open(other, dir.path()), "");
  EXPECT_EQ(heard, 1);
  session.Free();
  EXPECT_EQ(heard, 2);
}

// The table holds its own copy of the file: a build that cuts the file
// short or rewrites it after loading changes nothing that is read later
// (a mapped file cut short would crash the first late read).
TEST_F(SessionFixture, TableOutlivesItsFileBeingCutOrRewritten) {
  const std::string path = Write("a", SampleModule());
  ASSERT_EQ(session.Open(path, dir.path()), "");
  BrowseSampleFile other;
  other.ModuleStart().Header(1).NameRec("zzzzzzzz").Symbol(4).Occurrences({{1, 1, 1}, {1, 1, 2}}).ModuleEnd();
  Write("a", other);
  { std::ofstream cut(path, std::ios::binary | std::ios::trunc); }
  const BrowseModule& m = *session.Module();
  ASSERT_TRUE(m.FindName("counter"));
  const BrowseSymbol& counter = *m.FindName("counter")->first;
  EXPECT_EQ(KindsAndLines(counter), (std::vector<std::pair<int, uint32_t>>{{2, 2}, {3, 31}, {1, 20}, {1, 30}}));
  EXPECT_EQ(counter.occurrences[1].ref, m.FindName("main")->first);
  EXPECT_EQ(m.FindName("field")->first->occurrences[0].ref->owner->text, "pair");
  EXPECT_EQ(m.FindName("zzzzzzzz"), nullptr);
}

TEST_F(SessionFixture, FailureLeavesNoTableAndNamesTheFile) {
  const std::string good = Write("good", SampleModule());
  ASSERT_EQ(session.Open(good, dir.path()), "");
  const std::string empty = Write("empty", BrowseSampleFile());
  EXPECT_EQ(session.Open(empty, dir.path()), "Invalid file '" + empty + "'");
  EXPECT_EQ(session.Module(), nullptr);
  EXPECT_EQ(session.Error(), kBrowseInvalid);
  EXPECT_EQ(session.ErrorText(), "Invalid file '" + empty + "'");
  const std::string missing = dir / "missing";
  EXPECT_EQ(session.Open(missing, dir.path()), "Can't open file '" + missing + "'");
  EXPECT_EQ(session.Module(), nullptr);
  EXPECT_EQ(session.Open(dir.path(), dir.path()), "Can't open file '" + dir.path() + "'");  // a folder
  // No project: no file to name (Jump To Reference in an editor without one).
  EXPECT_EQ(session.Open("", dir.path()), "Source Browser: no project is open, so there is no browse information");
  EXPECT_EQ(session.Module(), nullptr);
  ASSERT_EQ(session.Open(good, dir.path()), "");
  EXPECT_EQ(session.ErrorText(), "");
}

}  // namespace
}  // namespace pm2
