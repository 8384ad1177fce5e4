#include "project/text/path_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace pm2 {
namespace {

TEST(PathText, TrimBlanksCutsAndTrimsInPlace) {
  char buf[32];
  std::strcpy(buf, "  ab c  XYZ");
  EXPECT_EQ(TrimBlanks(buf, 8), 4);  // cut at 8, then trimmed
  EXPECT_STREQ(buf, "ab c");
  std::strcpy(buf, "\tx ");
  EXPECT_EQ(TrimBlanks(buf, 3), 2);  // tabs are not blanks
  EXPECT_STREQ(buf, "\tx");
  std::strcpy(buf, "   ");
  EXPECT_EQ(TrimBlanks(buf, 3), 0);
  EXPECT_EQ(TrimBlanks(std::string_view("  a b ")), "a b");
  EXPECT_EQ(TrimBlanks(std::string_view("   ")), "");
}

TEST(PathText, FileNamePart) {
  EXPECT_STREQ(GetFileNamePart("C:\\a\\b.c"), "b.c");
  EXPECT_STREQ(GetFileNamePart("C:b.c"), "b.c");
  EXPECT_STREQ(GetFileNamePart("src/x/y.s"), "y.s");
  EXPECT_STREQ(GetFileNamePart("plain"), "plain");
  EXPECT_STREQ(GetFileNamePart("dir\\"), "");
  EXPECT_EQ(GetFileNamePart(std::string_view("a\\b/c:d.o")), "d.o");
}

struct ExtRow {
  const char* name;
  const char* path;
  const char* ext;
  const char* expected;
};

TEST(PathText, ChangeFileExt) {
  const ExtRow rows[] = {
      {"replace", "main.c", "obj", "main.obj"},
      {"last dot only", "a.b.c", "o", "a.b.o"},
      {"dot in folder only", ".\\out.dir\\main", "lst", ".\\out.dir\\main.lst"},
      {"dot in folder with slash", "out.d/main", "o", "out.d/main.o"},
      {"quoted path keeps quote", "\"C:\\my dir\\a.c\"", "o", "\"C:\\my dir\\a.o\""},
      {"strip", "main.c", "", "main"},
      {"strip without dot", "main", "", "main"},
      {"first char dot ignored", ".profile", "x", ".profile.x"},
      {"empty path", "", "o", ".o"},
  };
  for (const ExtRow& r : rows) {
    std::string p = r.path;
    ChangeFileExt(p, r.ext);
    EXPECT_EQ(p, r.expected) << r.name;
  }
}

struct RelRow {
  const char* name;
  const char* base;
  const char* path;
  const char* tail;
  const char* expected;
};

TEST(PathText, MakeRelativePath) {
  const RelRow rows[] = {
      {"below base", "C:\\Proj", "C:\\Proj\\src\\a.c", "", ".\\src\\a.c"},
      {"base with separator", "C:\\Proj\\", "C:\\Proj\\a.c", "", ".\\a.c"},
      {"case differs", "c:\\PROJ\\work", "C:\\proj\\Work\\a.c", "", ".\\a.c"},
      {"one up", "C:\\Proj\\work", "C:\\Proj\\lib\\x.lib", "", "..\\lib\\x.lib"},
      {"two up with tail", "C:\\P\\a\\b", "C:\\P\\inc", "\\", "..\\..\\inc\\"},
      {"same folder", "C:\\P", "C:\\P", "", ".\\"},
      {"other drive", "C:\\P", "D:\\P\\a.c", "", "D:\\P\\a.c"},
      {"drive against none", "C:\\P", "\\P\\a.c", "x", "\\P\\a.cx"},
      {"nothing in common", "C:\\A\\B", "C:\\X\\a.c", ";", "C:\\X\\a.c;"},
      {"UNC same share", "\\\\srv\\share\\p", "\\\\SRV\\share\\q\\f.c", "", "..\\q\\f.c"},
      {"UNC other share", "\\\\srv\\one", "\\\\srv\\two\\f.c", "", "\\\\srv\\two\\f.c"},
      {"UNC against rooted", "\\\\srv\\share", "\\srv\\share\\f.c", "", "\\srv\\share\\f.c"},
      {"slash paths", "/home/u/p", "/home/u/p/src/m.c", "", "./src/m.c"},
      {"slash one up", "/home/u/p", "/home/u/lib/m.a", "", "../lib/m.a"},
  };
  for (const RelRow& r : rows)
    EXPECT_EQ(MakeRelativePath(r.base, r.path, r.tail), r.expected) << r.name;
}

}  // namespace
}  // namespace pm2
