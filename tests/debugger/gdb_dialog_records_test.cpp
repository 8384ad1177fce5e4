// The GDB driver's records for the debug dialogs without gdb: the
// sections of an ELF image (cut at every length), the attribute words of
// a 64 K space, gdb's type texts as the symbols dialog's type codes, and
// the breakpoint records the breakpoints dialog changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debugger/gdb/breakpoints/breakpoint_records.h"
#include "debugger/gdb/elf/elf_sections.h"
#include "debugger/gdb/records/gdb_dialog_records.h"

namespace pm2::gdb {
namespace {

void Put32(std::string& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& b, std::size_t at, uint16_t v) {
  b[at] = char(v & 0xFF);
  b[at + 1] = char(v >> 8);
}

// An ELF32 image with a null section, .text (code), .data (writable),
// .comment (not allocated) and the section-name table.
std::string Image() {
  const std::string names = std::string("\0.text\0.data\0.comment\0.shstrtab\0", 32);
  std::string b(52, '\0');
  b[0] = 0x7f;
  b[1] = 'E';
  b[2] = 'L';
  b[3] = 'F';
  b[4] = 1;  // 32-bit
  b[5] = 1;  // little-endian
  const std::size_t namesAt = b.size();
  b += names;
  const std::size_t shoff = b.size();
  b.resize(shoff + 5 * 40, '\0');
  Put32(b, 0x20, uint32_t(shoff));
  Put16(b, 0x2E, 40);
  Put16(b, 0x30, 5);
  Put16(b, 0x32, 4);
  struct Sec {
    uint32_t name, flags, addr, size;
  } secs[] = {{0, 0, 0, 0}, {1, 2 | 4, 0x0, 0x600}, {7, 2 | 1, 0x40000000, 0x20}, {13, 0, 0, 0x40}, {22, 0, 0, 32}};
  for (int i = 0; i < 5; ++i) {
    const std::size_t h = shoff + std::size_t(i) * 40;
    Put32(b, h, secs[i].name);
    Put32(b, h + 8, secs[i].flags);
    Put32(b, h + 12, secs[i].addr);
    Put32(b, h + 16, i == 4 ? uint32_t(namesAt) : 0);
    Put32(b, h + 20, secs[i].size);
  }
  return b;
}

TEST(ElfSections, AllocatedSectionsWithTheirAccess) {
  const std::vector<ElfRegion> r = ElfAllocatedSections(Image());
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].name, ".text");
  EXPECT_EQ(r[0].attr, 3);  // exec read
  EXPECT_EQ(r[1].name, ".data");
  EXPECT_EQ(r[1].start, 0x40000000u);
  EXPECT_EQ(r[1].attr, 6);  // read write
  const std::vector<uint16_t> space = ElfSpaceAttributes(r, 0x40000000);
  ASSERT_EQ(space.size(), 0x10000u);
  EXPECT_EQ(space[0x1F], 6);
  EXPECT_EQ(space[0x20], 0);
  EXPECT_TRUE(ElfSpaceAttributes(r, 0x10000).empty());
}

TEST(ElfSections, ACutOrForeignImageGivesNoRegions) {
  const std::string image = Image();
  // Cut at every length short of the section headers' end: nothing, never a crash.
  for (std::size_t n = 0; n < image.size(); ++n) EXPECT_TRUE(ElfAllocatedSections(image.substr(0, n)).empty()) << n;
  std::string big = image;
  big[5] = 2;  // big-endian
  EXPECT_TRUE(ElfAllocatedSections(big).empty());
  EXPECT_TRUE(ElfAllocatedSectionsOfFile("/nonexistent/x.elf").empty());
}

TEST(GdbTypes, TextsToTypeCodes) {
  const struct {
    const char* name;
    const char* text;
    int code;
    bool array;
  } rows[] = {{"int", "int", 4, false},
              {"unsigned", "unsigned int", 5, false},
              {"volatile", "volatile unsigned long", 9, false},
              {"function", "int (void)", 15, false},
              {"pointer", "char *", 12, false},
              {"array", "unsigned char [16]", 12, true},
              {"struct", "struct point", 14, false},
              {"union", "union u", 13, false},
              {"enum", "enum colour", 17, false}};
  for (const auto& r : rows) {
    const DbgTypeRecord t = TypeOfGdbText(r.text);
    EXPECT_EQ(t.code, r.code) << r.name;
    EXPECT_EQ(t.isArray != 0, r.array) << r.name;
  }
  EXPECT_EQ(TypeOfGdbText("int [2][3]").dimensionCount, 2u);
}

std::vector<GdbBreakpointInfo> TwoBreakpoints(bool firstEnabled, bool secondEnabled) {
  std::vector<GdbBreakpointInfo> list(2);
  list[0].number = 3;
  list[0].enabled = firstEnabled;
  list[1].number = 4;
  list[1].enabled = secondEnabled;
  return list;
}

// The dialog's box writes a record's enabled bit; asking for the list again
// (to number it, after a definition) keeps that change until it went to
// gdb, and a change of gdb's own still shows in a record the dialog left.
TEST(BreakpointRecords, ABoxChangedInTheDialogOutlastsAFetchUntilItIsHandedOn) {
  BreakpointRecords records;
  DbgBreakpointRecord* head = records.Build(TwoBreakpoints(true, false));
  ASSERT_NE(head, nullptr);
  ASSERT_NE(head->next, nullptr);
  head->flags &= ~uint32_t(kDbgBpEnabled);
  head->next->flags |= kDbgBpEnabled;
  head = records.Build(TwoBreakpoints(true, false));
  EXPECT_FALSE(head->flags & kDbgBpEnabled);
  EXPECT_TRUE(head->next->flags & kDbgBpEnabled);
  // gdb took the first change; the second was dropped (the dialog opened again).
  head = records.Build(TwoBreakpoints(false, false));
  EXPECT_FALSE(head->flags & kDbgBpEnabled);
  EXPECT_TRUE(head->next->flags & kDbgBpEnabled);
  records.ForgetChanges();
  head = records.Build(TwoBreakpoints(false, false));
  EXPECT_FALSE(head->next->flags & kDbgBpEnabled);
  // Untouched records follow gdb.
  head = records.Build(TwoBreakpoints(true, true));
  EXPECT_TRUE(head->flags & kDbgBpEnabled);
  EXPECT_TRUE(head->next->flags & kDbgBpEnabled);
}

}  // namespace
}  // namespace pm2::gdb
