#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fault_disk.h"
#include "platform/atomic_file.h"
#include "temp_dir.h"

namespace pm2 {
namespace {

const char kTools[] =
    "; environment\r\n"
    "[PM2]\r\n"
    "ARMSEL=1\r\n"
    "REM keep this line\r\n"
    "\r\n"
    "[q51]\r\n"
    "  Path = \"C:\\Tools\\Q51\\\"  \r\n"
    "VERSION=V9.60\r\n"
    "; trailing comment\r\n"
    "\r\n"
    "[ARM]\r\n"
    "BOOK0=HLP\\x.pdf(\"Manual\")\r\n";

TEST(IniDocument, ParseAndSerialiseGiveTheSameBytes) {
  const char* inputs[] = {"", kTools, "a\n[b\nc=d", "\r\n\n\r", "[x]\r\nk=v\nk2=v2\r\n", "=\n[]\n;", "[s\r", "\r"};
  for (const char* in : inputs) EXPECT_EQ(IniDocument::Parse(in).Serialize(), in);
}

TEST(IniDocument, ReadsWithProfileRules) {
  IniDocument doc = IniDocument::Parse(kTools);
  struct Row {
    const char* section;
    const char* key;
    const char* expected;  // null: missing
  } rows[] = {
      {"Q51", "PATH", "C:\\Tools\\Q51\\"},  // trimmed, quotes removed, names ignore case
      {"q51", "version", "V9.60"},
      {"PM2", "REM keep this line", ""},
      {"ARM", "BOOK0", "HLP\\x.pdf(\"Manual\")"},
      {"Q51", "ARMSEL", nullptr},
      {"NONE", "PATH", nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.section) + "/" + r.key);
    std::string value;
    ASSERT_EQ(doc.Find(r.section, r.key, &value), r.expected != nullptr);
    if (r.expected) {
      EXPECT_EQ(value, r.expected);
    }
  }
  EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"PM2", "q51", "ARM"}));
  EXPECT_EQ(doc.KeyNames("Pm2"), (std::vector<std::string>{"ARMSEL", "REM keep this line"}));
  EXPECT_EQ(doc.SectionLines("q51"),
            (std::vector<std::string>{"Path=\"C:\\Tools\\Q51\\\"", "VERSION=V9.60"}));
  EXPECT_EQ(doc.GetInt("pm2", "armsel", 7), 1);
  EXPECT_EQ(doc.GetInt("pm2", "missing", 7), 7);
}

TEST(IniDocument, ProfileIntegerForm) {
  struct Row {
    const char* text;
    int value;
  } rows[] = {{"42", 42}, {" 17abc", 17}, {"0x1F", 31}, {"0XffFFffFF", -1},
              {"-12", -12}, {"abc", 0}, {"", 0}, {"0x", 0}, {"4294967297", 1}};
  for (const Row& r : rows) EXPECT_EQ(ParseProfileInt(r.text), r.value) << r.text;
}

TEST(IniDocument, BufferCopiesNeverOverrunAndTellTheirLength) {
  IniDocument doc = IniDocument::Parse("[a]\nk=abcdef\n[bb]\n");
  char buf[16];
  std::memset(buf, 'X', sizeof buf);
  EXPECT_EQ(doc.GetString("a", "k", "", buf, 4), 3u);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(buf[4], 'X');
  EXPECT_EQ(doc.GetString("a", "nokey", "def  ", buf, sizeof buf), 3u);
  EXPECT_STREQ(buf, "def");
  EXPECT_EQ(doc.GetString(nullptr, nullptr, "", buf, sizeof buf), 5u);
  EXPECT_EQ(std::string(buf, 6), std::string("a\0bb\0\0", 6));
  // Cut list: two closing NULs and size-2.
  EXPECT_EQ(doc.GetString(nullptr, nullptr, "", buf, 4), 2u);
  EXPECT_EQ(std::string(buf, 4), std::string("a\0\0\0", 4));
  EXPECT_EQ(doc.GetString("a", nullptr, "", buf, sizeof buf), 2u);
  EXPECT_EQ(std::string(buf, 3), std::string("k\0\0", 3));
  // No silent truncation in the string form.
  std::string longValue(5000, 'v');
  ASSERT_TRUE(doc.Write("a", "long", longValue.c_str()));
  EXPECT_EQ(doc.GetString("a", "long"), longValue);
}

struct EditRow {
  const char* name;
  const char* in;
  const char* section;
  const char* key;
  const char* value;
  const char* out;
};
const EditRow kEdits[] = {
    {"change keeps comments, blanks, order and CRLF",
     "; c\r\n[S]\r\nA=1\r\n; note\r\nB = 2\r\n\r\n[T]\r\n", "s", "b", "3",
     "; c\r\n[S]\r\nA=1\r\n; note\r\nB=3\r\n\r\n[T]\r\n"},
    {"new key after the section's last entry, LF kept", "[S]\nA=1\n\n[T]\nx=y\n", "S", "C", "9",
     "[S]\nA=1\nC=9\n\n[T]\nx=y\n"},
    {"new section at the end, file without final line end", "[S]\r\nA=1", "New", "K", "v",
     "[S]\r\nA=1\r\n\r\n[New]\r\nK=v\r\n"},
    {"a lone CR at the end stays that line's end", "[s\r", "s ", "K", "v", "[s\r\nK=v\r\n"},
    {"a section named with a CR at the end is not another one", "[a]\n[s\r", "S", "K", "v",
     "[a]\n[s\r\nK=v\n"},
    {"new file is CRLF", "", "S", "K", "v", "[S]\r\nK=v\r\n"},
    {"null value deletes the key only", "[S]\nA=1\nB=2\n[T]\nA=1\n", "S", "a", nullptr,
     "[S]\nB=2\n[T]\nA=1\n"},
    {"null key deletes the section with its comments", "[S]\nA=1\n;c\n[T]\nB=2\n", "s", nullptr,
     nullptr, "[T]\nB=2\n"},
    {"deleting what is missing changes nothing", "[S]\nA=1\n", "X", "A", nullptr, "[S]\nA=1\n"},
    {"REM lines stay", "[PM2]\r\nREM x\r\nA=1\r\n", "PM2", "B", "2",
     "[PM2]\r\nREM x\r\nA=1\r\nB=2\r\n"},
};

TEST(IniDocument, WritesChangeOnlyWhatTheyMust) {
  for (const EditRow& r : kEdits) {
    SCOPED_TRACE(r.name);
    IniDocument doc = IniDocument::Parse(r.in);
    std::string err;
    ASSERT_TRUE(doc.Write(r.section, r.key, r.value, &err)) << err;
    EXPECT_EQ(doc.Serialize(), r.out);
  }
}

TEST(IniDocument, RefusesWhatCannotBeStoredOnOneLine) {
  IniDocument doc = IniDocument::Parse("[S]\nA=1\n");
  std::string err;
  EXPECT_FALSE(doc.Write("S", "A", "two\nlines", &err));
  EXPECT_EQ(err, "Value of INI key 'A' in section 'S' holds a line break");
  EXPECT_FALSE(doc.Write("S", "a=b", "1", &err));
  EXPECT_EQ(err, "INI key 'a=b' in section 'S' cannot be stored");
  EXPECT_FALSE(doc.Write("x]y", "a", "1", &err));
  EXPECT_EQ(err, "INI section name 'x]y' holds ']' or a line break");
  EXPECT_EQ(doc.Serialize(), "[S]\nA=1\n");
}

TEST(IniDocument, WriteSectionReplacesEntriesKeepsSpacing) {
  IniDocument doc = IniDocument::Parse("[K]\r\nif\r\nelse\r\n\r\n[L]\r\nx=1\r\n");
  ASSERT_TRUE(doc.WriteSection("k", {"while", "for"}));
  EXPECT_EQ(doc.Serialize(), "[K]\r\nwhile\r\nfor\r\n\r\n[L]\r\nx=1\r\n");
  EXPECT_EQ(doc.KeyNames("K"), (std::vector<std::string>{"while", "for"}));
}

TEST(IniFiles, ReadsRewritesAndNoticesChangesOnDisk) {
  TempDir dir;
  std::string path = dir / "TOOLS.INI";
  std::string err;
  ASSERT_TRUE(WriteFileAtomically(path, kTools, &err));
  IniFiles files;
  EXPECT_EQ(files.GetString(path, "Q51", "PATH"), "C:\\Tools\\Q51\\");
  ASSERT_TRUE(files.Write(path, "Q51", "VERSION", "V9.61", &err)) << err;
  EXPECT_EQ(files.GetString(path, "Q51", "VERSION"), "V9.61");
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes, &err));
  std::string expected = kTools;
  expected.replace(expected.find("V9.60"), 5, "V9.61");
  EXPECT_EQ(bytes, expected);
  // Another program replaces the file: the next read sees it.
  ASSERT_TRUE(WriteFileAtomically(path, "[Q51]\nVERSION=X\n", &err));
  EXPECT_EQ(TheIniFiles().GetString(path, "q51", "version"), "X");
  EXPECT_EQ(files.GetString(path, "Q51", "VERSION"), "X");
  EXPECT_EQ(files.GetString(dir / "none.ini", "a", "b", "dflt"), "dflt");
}

TEST(IniFiles, FailedWriteKeepsTheOldFile) {
  FaultDisk disk;
  disk.Put("w.ini", "[S]\r\nA=1\r\n");
  disk.FailAt(FaultDisk::kWrite, 1, ENOSPC);
  IniFiles files(&disk);
  std::string err;
  EXPECT_FALSE(files.Write("w.ini", "S", "A", "2", &err));
  EXPECT_EQ(err, std::string("Cannot write 'w.ini': ") + std::strerror(ENOSPC));
  EXPECT_EQ(disk.Get("w.ini"), "[S]\r\nA=1\r\n");
  EXPECT_EQ(files.GetString("w.ini", "S", "A"), "1");
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// A keyword section rewritten while the machine goes down at any step:
// the file read back afterwards has the old section or the new one, the
// other sections untouched, and nothing else left in the folder.
TEST(IniFiles, CrashAtAnyStepOfASectionRewriteKeepsOldOrNew) {
  const std::string before = "[C Keywords]\r\nif\r\nelse\r\n\r\n[Colours]\r\nText=0,0,0\r\n";
  const std::vector<std::string> oldWords = {"if", "else"}, newWords = {"while", "for", "do"};
  bool finished = false;
  for (int n = 1; n < 30 && !finished; ++n) {
    SCOPED_TRACE(n);
    FaultDisk disk;
    disk.Put("kw/keywords.ini", before);
    IniFiles files(&disk);
    disk.CrashAt(n);
    std::string err;
    bool ok = files.WriteSection("kw/keywords.ini", "c keywords", newWords, &err);
    if (!disk.Crashed()) {
      ASSERT_TRUE(ok) << err;
      disk.Crash();
      finished = true;
    } else {
      EXPECT_FALSE(ok);
    }
    disk.Reboot();
    IniFiles reader(&disk);
    std::vector<std::string> words = reader.KeyNames("kw/keywords.ini", "C Keywords");
    if (finished)
      EXPECT_EQ(words, newWords);
    else
      EXPECT_TRUE(words == oldWords || words == newWords);
    EXPECT_EQ(reader.GetString("kw/keywords.ini", "colours", "text"), "0,0,0");
    EXPECT_EQ(disk.Names(), std::vector<std::string>{"kw/keywords.ini"});
  }
  EXPECT_TRUE(finished);
}

}  // namespace
}  // namespace pm2
