// Renaming over an existing file: read-only means no write permission bit,
// as loading and saving decide it, whoever runs the program (a privileged
// user may write any file, yet a file without write bits still counts as
// read-only). The move happens either way.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "editor/text/text_buffer.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(RenameFile, ReadOnlyTargetIsDecidedByItsPermissionBits) {
  struct Row {
    const char* name;
    bool targetExists;
    mode_t targetMode;
    int expected;
  } rows[] = {
      {"no target", false, 0, kEditOk},
      {"writable target", true, 0644, kEditOk},
      {"owner may only write", true, 0200, kEditOk},
      {"no write bit", true, 0444, kEditReadOnly},
      {"no bits at all", true, 0000, kEditReadOnly},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TempDir dir;
    const std::string from = dir / "a.c", to = dir / "b.c";
    std::ofstream(from, std::ios::binary) << "new\n";
    if (r.targetExists) {
      std::ofstream(to, std::ios::binary) << "old\n";
      ASSERT_EQ(::chmod(to.c_str(), r.targetMode), 0);
    }
    CEditTextBuffer b;
    EXPECT_EQ(b.RenameFile(from, to), r.expected);
    EXPECT_EQ(ReadText(to), "new\n");
    struct stat st {};
    EXPECT_NE(::stat(from.c_str(), &st), 0);
  }
}

}  // namespace
}  // namespace pm2
