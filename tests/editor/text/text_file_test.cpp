#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "platform/read_file.h"
#include "editor/text/file_lock.h"
#include "editor/text/text_buffer.h"
#include "platform/fault_disk.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}
using test::ReadFile;

TEST(TextFile, EachLineEndModeLoadsAndSavesByteIdentical) {
  struct Row { const char* name; std::string data; int mode; int lines; };
  const Row rows[] = {
      {"CR LF", "int a;\r\n\r\n\tb();\r\n", kLineEndCrLf, 3},
      {"LF CR", "int a;\n\r\n\r\tb();\n\r", kLineEndLfCr, 3},
      {"LF", "int a;\n\n\tb();\n", kLineEndLf, 3},
      {"CR", "int a;\r\r\tb();\r", kLineEndCr, 3},
      {"no final line end", "one\ntwo", kLineEndLf, 2},
      {"NUL bytes kept", std::string("a\0b\nc\0\n", 7), kLineEndLf, 2},
  };
  TempDir dir;
  for (const Row& r : rows) {
    std::string path = dir / "f.c";
    WriteFile(path, r.data);
    CEditTextBuffer b;
    ASSERT_EQ(0, b.LoadFile(path)) << r.name;
    EXPECT_EQ(r.mode, b.GetLineEndMode()) << r.name;
    EXPECT_EQ(r.lines, b.GetLineCount()) << r.name;
    EXPECT_EQ(0, b.IsModified()) << r.name;
    std::string out = dir / "out.c";
    ASSERT_EQ(0, b.SaveFile(out)) << r.name;
    EXPECT_EQ(r.data, ReadFile(out)) << r.name;
  }
}

TEST(TextFile, LoadRules) {
  struct Row { const char* name; std::string data; int rc; std::string text; int lines; };
  const Row rows[] = {
      {"empty file is one empty line", "", 0, "", 1},
      {"Ctrl-Z at the end dropped", "a\r\nb\r\n\x1a", 0, "a\r\nb\r\n", 2},
      {"Ctrl-Z inside kept", "a\x1a" "b\r\n", 0, "a\x1a" "b\r\n", 1},
      {"short file without line end", std::string(100, 'q'), 0, std::string(100, 'q'), 1},
      {"long file without line end refused", std::string(5000, 'q'), kEditLineTooLong, "", 1},
      {"stray LF in a CR LF file keeps its empty line", "a\r\nb\n\nc\r\n", 0, "a\r\nb\r\n\r\nc\r\n", 4},
  };
  TempDir dir;
  for (const Row& r : rows) {
    std::string path = dir / "f.txt";
    WriteFile(path, r.data);
    CEditTextBuffer b;
    EXPECT_EQ(r.rc, b.LoadFile(path)) << r.name;
    EXPECT_EQ(r.text, b.GetText()) << r.name;
    EXPECT_EQ(r.lines, b.GetLineCount()) << r.name;
  }
  CEditTextBuffer b;
  EXPECT_EQ(ENOENT, b.LoadFile(dir / "missing.c"));
}

TEST(TextFile, ReadOnlyFileLoadsReadOnlyAndIsNotOverwritten) {
  TempDir dir;
  std::string path = dir / "ro.c";
  WriteFile(path, "keep\n");
  ::chmod(path.c_str(), 0444);
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFile(path));
  EXPECT_EQ(1, b.IsReadOnly());
  b.SetReadOnly(0);
  b.InsertChar({b.FirstLine(), 0}, 'x', true, false);
  EXPECT_EQ(kEditReadOnly, b.SaveFile(path));
  EXPECT_EQ("keep\n", ReadFile(path));
}

TEST(TextFile, SaveGoesThroughTheAtomicWriter) {
  FaultDisk disk;
  disk.Put("/p/main.c", "old text\r\n");
  CEditTextBuffer b({nullptr, nullptr, &disk, nullptr, {}});
  ASSERT_EQ(0, b.LoadFromBytes("new text\r\n"));
  b.SetModified(1);
  // A write that fails halfway leaves the old file whole and the text
  // still marked as modified.
  disk.FailAt(FaultDisk::kWrite, 1, ENOSPC);
  EXPECT_NE(0, b.SaveFile("/p/main.c"));
  EXPECT_EQ(1, b.IsModified());
  EXPECT_NE(std::string::npos, b.LastFileError().find("main.c"));
  std::string now;
  disk.ReadAll("/p/main.c", &now);
  EXPECT_EQ("old text\r\n", now);
  disk.FailAt(FaultDisk::kWrite, 0);
  EXPECT_EQ(0, b.SaveFile("/p/main.c"));
  EXPECT_EQ(0, b.IsModified());
  disk.ReadAll("/p/main.c", &now);
  EXPECT_EQ("new text\r\n", now);
}

TEST(TextFile, RenameMovesTheFileAndIgnoresCaseOnlyChanges) {
  TempDir dir;
  WriteFile(dir / "a.c", "x\n");
  CEditTextBuffer b;
  EXPECT_EQ(0, b.RenameFile(dir / "a.c", dir / "A.C"));
  EXPECT_EQ("x\n", ReadFile(dir / "a.c"));
  EXPECT_EQ(0, b.RenameFile(dir / "a.c", dir / "b.c"));
  EXPECT_EQ("x\n", ReadFile(dir / "b.c"));
  EXPECT_EQ(kEditCannotRead, b.RenameFile(dir / "gone.c", dir / "c.c"));
}

// The lock setting keeps a file: other editors of ours may read it but
// not save over it, rename it or replace it until the keeper lets go.
TEST(TextFile, LockSettingKeepsOtherEditorsFromChangingTheFile) {
  TempDir dir;
  const std::string path = dir / "main.c";
  const std::string other = dir / "other.c";
  WriteFile(path, "int x;\n");
  WriteFile(other, "int y;\n");
  CEditTextBuffer keeper;
  keeper.SetLockFile(1);
  ASSERT_EQ(0, keeper.LoadFile(path));

  CEditTextBuffer editor;
  ASSERT_EQ(0, editor.LoadFile(path));  // reading is allowed
  editor.InsertText({editor.FirstLine(), 0}, "// ", 3, true);
  EXPECT_EQ(FileKeptCode(), editor.SaveFile(path));
  EXPECT_EQ(FileKeptMessage(path), editor.LastFileError());
  EXPECT_EQ("int x;\n", ReadFile(path));
  EXPECT_EQ(1, editor.IsModified());
  EXPECT_EQ(FileKeptCode(), editor.RenameFile(path, dir / "moved.c"));
  EXPECT_EQ(FileKeptCode(), editor.RenameFile(other, path));  // nor replaced
  EXPECT_EQ("int y;\n", ReadFile(other));

  // The keeper itself saves, and keeps the file afterwards too.
  keeper.InsertText({keeper.FirstLine(), 0}, "static ", 7, true);
  ASSERT_EQ(0, keeper.SaveFile(path));
  EXPECT_EQ("static int x;\n", ReadFile(path));
  EXPECT_EQ(FileKeptCode(), editor.SaveFile(path));

  // Two keepers: each keeps the other from saving.
  CEditTextBuffer second;
  second.SetLockFile(1);
  ASSERT_EQ(0, second.LoadFile(path));
  EXPECT_EQ(FileKeptCode(), keeper.SaveFile(path));
  ASSERT_EQ(0, second.LoadFile(other));  // lets go of main.c

  // Once the keeper lets go, the others may write.
  ASSERT_EQ(0, keeper.LoadFile(other));
  EXPECT_EQ(FileKeptCode(), editor.SaveFile(other));
  EXPECT_EQ(0, editor.SaveFile(path));
  EXPECT_EQ("// int x;\n", ReadFile(path));
  keeper.SetLockFile(0);
  ASSERT_EQ(0, keeper.LoadFile(path));
  second.SetLockFile(0);
  ASSERT_EQ(0, second.LoadFile(path));
  EXPECT_EQ(0, editor.SaveFile(other));
}

}  // namespace
}  // namespace pm2
