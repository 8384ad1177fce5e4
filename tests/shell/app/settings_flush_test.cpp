// The settings are written at exit only when their stored form changed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/settings_store.h"
#include "platform/temp_dir.h"
#include "shell/app/settings_flush.h"

namespace pm2 {
namespace {

std::string Read(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The file's inode: a write (a new file renamed over the old) changes it.
ino_t Inode(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
}

struct FlushRow {
  const char* name;
  bool fileBefore;    // a saved file exists before the change
  const char* value;  // written after the load; null writes nothing
  bool written;       // the file is written (again)
};

class SettingsFlush : public ::testing::TestWithParam<FlushRow> {};

TEST_P(SettingsFlush, WritesOnlyAChangedStoredForm) {
  const FlushRow& r = GetParam();
  TempDir dir;
  const std::string file = dir.path() + "/settings.ini";
  if (r.fileBefore) {
    SettingsStore first(file);
    first.SetString("Frame", "Layout", "old");
    ASSERT_TRUE(first.Save());
  }
  const ino_t before = Inode(file);
  SettingsStore store(file);
  ASSERT_TRUE(store.Load());
  if (r.value) store.SetString("Frame", "Layout", r.value);
  std::string err;
  EXPECT_TRUE(SaveSettingsIfChanged(store, &err)) << err;
  EXPECT_EQ(Inode(file) != before, r.written);
  if (r.written || r.fileBefore) {
    EXPECT_EQ(Read(file), store.Serialize());
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingsFlush,
                         ::testing::Values(FlushRow{"nothing_written", true, nullptr, false},
                                           FlushRow{"same_value_again", true, "old", false},
                                           FlushRow{"new_value", true, "new", true},
                                           FlushRow{"first_start", false, "old", true},
                                           FlushRow{"first_start_untouched", false, nullptr, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFlushFailure, AFailedWriteIsReported) {
  TempDir dir;
  // The folder's name is taken by a file: the save fails and says why.
  std::ofstream(dir.path() + "/blocker", std::ios::binary) << "a file, not a folder";
  SettingsStore store(dir.path() + "/blocker/settings.ini");
  store.SetString("Frame", "Layout", "x");
  std::string err;
  EXPECT_FALSE(SaveSettingsIfChanged(store, &err));
  EXPECT_NE(err.find("blocker"), std::string::npos) << err;
}

struct ReplacedRow {
  const char* name;
  void (*make)(const std::string& path);
  bool saved;  // the store's file is written over what is there
};

class SettingsFlushReplaced : public ::testing::TestWithParam<ReplacedRow> {};

// What stands in the file's place at exit is read only when it is a
// regular file: a folder is reported, a pipe does not hang the exit and an
// endless device is not read.
TEST_P(SettingsFlushReplaced, ExitNeitherHangsNorAborts) {
  TempDir dir;
  const std::string file = dir.path() + "/settings.ini";
  SettingsStore store(file);
  ASSERT_TRUE(store.Load());
  store.SetString("Frame", "Layout", "x");
  GetParam().make(file);
  std::string err;
  EXPECT_EQ(SaveSettingsIfChanged(store, &err), GetParam().saved) << err;
  if (GetParam().saved) EXPECT_EQ(Read(file), store.Serialize());
  else EXPECT_NE(err.find(file), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsFlushReplaced,
    ::testing::Values(
        ReplacedRow{"Folder", [](const std::string& p) { std::filesystem::create_directory(p); }, false},
        ReplacedRow{"Pipe", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }, true},
        ReplacedRow{"EndlessDevice", [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); },
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
