#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "fault_disk.h"
#include "platform/atomic_file.h"
#include "temp_dir.h"

namespace pm2 {
namespace {

std::string AllBytes() {
  std::string s;
  for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
  return s;
}

TEST(SettingsStore, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  SettingsStore store("unused");
  ASSERT_TRUE(store.SetString("Software\\Vond\\Pelmora2\\Editor\\C Files", "Tab Size", "4"));
  ASSERT_TRUE(store.SetInt("SOFTWARE\\vond\\PELMORA2\\editor", "Flags", 3));
  ASSERT_TRUE(store.SetString("software\\vond\\pelmora2\\EDITOR\\c files", "TAB SIZE", "8"));
  EXPECT_EQ(store.SubKeys("Software\\Vond\\Pelmora2"), (std::vector<std::string>{"Editor"}));
  EXPECT_EQ(store.SubKeys("software\\VOND\\pelmora2\\editor\\"),
            (std::vector<std::string>{"C Files"}));
  EXPECT_EQ(store.ValueNames("Software\\Vond\\Pelmora2\\Editor\\C Files"),
            (std::vector<std::string>{"Tab Size"}));
  std::string s;
  ASSERT_TRUE(store.GetString("\\software\\vond\\pelmora2\\editor\\C FILES", "tab size", &s));
  EXPECT_EQ(s, "8");
  uint32_t n = 0;
  EXPECT_TRUE(store.GetInt("Software\\Vond\\Pelmora2\\Editor\\C Files", "Tab Size", &n));
  EXPECT_EQ(n, 8u);  // a string value read as a number
  EXPECT_FALSE(store.GetBinary("Software\\Vond\\Pelmora2\\Editor", "Flags", &s));
  EXPECT_FALSE(store.CreateKey("a\\\\b"));
}

TEST(SettingsStore, ValuesRoundTripByteForByte) {
  SettingsStore store("unused");
  const std::string tricky = "line1\nline2\r\n=%41 [x] ;c \xff\xfe ok \xc3\xa4 \x7f\t";
  store.SetBinary("A", "bin", AllBytes());
  store.SetString("A", "text", tricky);
  store.SetString("A", tricky, "named oddly");
  store.SetString("A", "", "default value");
  store.SetInt("A", "max", 0xFFFFFFFFu);
  store.WriteValue("A", "multi", kSettingMultiString, std::string("a\0b\0\0", 5));
  store.WriteValue("A", "short dword", kSettingInt, "\x01\x02");
  store.CreateKey("A\\Empty]Key");
  store.SetBinary("B\\C", "empty", "");

  SettingsStore back("unused");
  back.Parse(store.Serialize(), "s.ini");
  EXPECT_TRUE(back.LoadWarnings().empty()) << back.LoadWarnings()[0];
  EXPECT_EQ(back.Serialize(), store.Serialize());
  for (const std::string& name : store.ValueNames("A")) {
    SCOPED_TRACE(name);
    SettingValue a, b;
    ASSERT_TRUE(store.ReadValue("A", name, &a));
    ASSERT_TRUE(back.ReadValue("A", name, &b));
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(a.data, b.data);
  }
  EXPECT_EQ(back.ValueNames("A"), store.ValueNames("A"));
  EXPECT_TRUE(back.KeyExists("a\\empty]key"));
  std::string s;
  EXPECT_TRUE(back.GetBinary("b\\c", "EMPTY", &s));
  EXPECT_TRUE(s.empty());
}

TEST(SettingsStore, MalformedLinesAreSkippedAndReported) {
  SettingsStore store("unused");
  store.Parse(
      "; header\n"
      "orphan=s:x\n"
      "[Shell\\MFrame]\r\n"
      "good=s:kept\r\n"
      "noequals\n"
      "bad1=q:zz\n"
      "bad2=d:12x\n"
      "bad3=b:abc\n"
      "bad4=s:%zz\n"
      "[Open\n"
      "lost=s:x\n"
      "[a\\\\b]\n"
      "[Shell\\Recent Projects]\n"
      "File1=s:C:\\p\\a.pm2\n",
      "settings.ini");
  std::vector<std::string> expected = {
      "'settings.ini' line 2: value outside a valid key skipped",
      "'settings.ini' line 5: line without '=' skipped",
      "'settings.ini' line 6: value 'bad1' of 'Shell\\MFrame' cannot be read",
      "'settings.ini' line 7: value 'bad2' of 'Shell\\MFrame' cannot be read",
      "'settings.ini' line 8: value 'bad3' of 'Shell\\MFrame' cannot be read",
      "'settings.ini' line 9: value 'bad4' of 'Shell\\MFrame' cannot be read",
      "'settings.ini' line 10: key line without ']' skipped",
      "'settings.ini' line 11: value outside a valid key skipped",
      "'settings.ini' line 12: empty name in key path 'a\\\\b'",
  };
  EXPECT_EQ(store.LoadWarnings(), expected);
  EXPECT_EQ(store.ValueNames("Shell\\MFrame"), (std::vector<std::string>{"good"}));
  std::string s;
  EXPECT_TRUE(store.GetString("shell\\recent projects", "file1", &s));
  EXPECT_EQ(s, "C:\\p\\a.pm2");
}

// A file cut at any length loads without crashing, keeps every value whose
// line was complete with its type, invents no value, and complains at most
// about the one cut line (not at all when the cut falls on a line end).
TEST(SettingsStore, CutFileKeepsCompleteLines) {
  SettingsStore store("unused");
  store.SetString("K1", "a", "alpha");
  store.SetBinary("K1\\K2", "b", "\x01\x02\x03");
  store.SetInt("K3", "c", 77);
  std::string full = store.Serialize();
  for (size_t cut = 0; cut <= full.size(); ++cut) {
    SettingsStore part("unused");
    part.Parse(std::string_view(full).substr(0, cut), "cut");
    std::string complete = full.substr(0, cut);
    complete = complete.substr(0, complete.rfind('\n') + 1);
    for (const char* key : {"K1", "K1\\K2", "K3"})
      for (const std::string& name : store.ValueNames(key)) {
        SettingValue v, w;
        store.ReadValue(key, name, &v);
        bool lineComplete = complete.find("\n" + name + "=") != std::string::npos;
        if (lineComplete) {
          ASSERT_TRUE(part.ReadValue(key, name, &w)) << cut;
          EXPECT_EQ(w.type, v.type) << cut;
          EXPECT_EQ(w.data, v.data) << cut;
        }
      }
    for (const char* key : {"K1", "K1\\K2", "K3"})
      for (const std::string& name : part.ValueNames(key)) {
        SettingValue v;
        EXPECT_TRUE(store.ReadValue(key, name, &v)) << cut << ": invented " << name;
      }
    const bool onLineEnd = complete.size() == cut;
    EXPECT_LE(part.LoadWarnings().size(), onLineEnd ? 0u : 1u) << cut << ": " << part.LoadWarnings()[0];
  }
}

TEST(SettingsStore, DeleteKeyTakesTheSubtreeAndProfileHelpers) {
  SettingsStore store("unused");
  store.WriteProfileString("MFrame", "Rect", "0 0 640 480");
  store.WriteProfileInt("MFrame", "Maximized", -1);
  store.WriteProfileBinary("Toolbars", "State", std::string("\0\1", 2));
  store.SetString("Software\\Vond\\Pelmora2\\Toolbars\\Bar0", "Name", "File");
  EXPECT_EQ(store.GetProfileString("mframe", "rect"), "0 0 640 480");
  EXPECT_EQ(store.GetProfileInt("MFRAME", "maximized", 5), -1);
  EXPECT_EQ(store.GetProfileInt("MFrame", "missing", 5), 5);
  EXPECT_EQ(store.GetProfileString("MFrame", "Maximized", "dflt"), "dflt");  // wrong type
  EXPECT_TRUE(store.WriteProfileString("MFrame", "Rect", nullptr));
  EXPECT_EQ(store.GetProfileString("MFrame", "Rect", "gone"), "gone");
  EXPECT_TRUE(store.WriteProfileString("Toolbars", nullptr, nullptr));
  EXPECT_FALSE(store.KeyExists("Software\\Vond\\Pelmora2\\Toolbars\\Bar0"));
  EXPECT_TRUE(store.KeyExists("Software\\Vond\\Pelmora2\\MFrame"));
  EXPECT_FALSE(store.DeleteKey("Software\\Vond\\Pelmora2\\Toolbars"));
  EXPECT_FALSE(store.DeleteKey(""));
}

// Key paths and names are bounded: a file can't grow the tree without end.
TEST(SettingsStore, KeyDepthAndNameLengthAreBounded) {
  SettingsStore store("unused");
  std::string deepest, tooDeep;
  for (size_t i = 0; i < SettingsStore::kMaxKeyDepth; ++i) deepest += (i ? "\\k" : "k") + std::to_string(i);
  tooDeep = deepest + "\\one more";
  EXPECT_TRUE(store.CreateKey(deepest));
  EXPECT_FALSE(store.CreateKey(tooDeep));
  EXPECT_FALSE(store.KeyExists(tooDeep));
  const std::string longest(SettingsStore::kMaxNameLength, 'n');
  EXPECT_TRUE(store.CreateKey("a\\" + longest));
  EXPECT_FALSE(store.CreateKey("a\\" + longest + "n"));
  EXPECT_TRUE(store.SetString("a", longest, "x"));
  EXPECT_FALSE(store.SetString("a", longest + "n", "x"));
  // A key line thousands of levels deep is reported, and saves as nothing.
  std::string line = "[";
  for (int i = 0; i < 5000; ++i) line += "deep\\";
  line += "end]\nv=s:x\n";
  SettingsStore loaded("unused");
  loaded.Parse(line, "settings.ini");
  ASSERT_EQ(loaded.LoadWarnings().size(), 2u);
  EXPECT_NE(loaded.LoadWarnings()[0].find("'settings.ini' line 1: key path 'deep\\deep"), std::string::npos);
  EXPECT_EQ(loaded.LoadWarnings()[1], "'settings.ini' line 2: value outside a valid key skipped");
  EXPECT_EQ(loaded.SubKeys(""), std::vector<std::string>{});
  EXPECT_LT(loaded.Serialize().size(), 100u);
}

// Look-ups go through each key's index: it stays right through deletions,
// re-creation in another case and many entries under one key.
TEST(SettingsStore, IndexStaysRightThroughDeletesAndManyEntries) {
  SettingsStore store("unused");
  std::string text = "[Many]\n";
  for (int i = 0; i < 20000; ++i) text += "Value" + std::to_string(i) + "=d:" + std::to_string(i) + "\n";
  for (int i = 0; i < 20000; ++i) text += "[Keys\\K" + std::to_string(i) + "]\nv=d:" + std::to_string(i) + "\n";
  store.Parse(text, "settings.ini");
  EXPECT_TRUE(store.LoadWarnings().empty());
  uint32_t n = 0;
  ASSERT_TRUE(store.GetInt("many", "VALUE19999", &n));
  EXPECT_EQ(n, 19999u);
  ASSERT_TRUE(store.GetInt("keys\\k12345", "V", &n));
  EXPECT_EQ(n, 12345u);
  EXPECT_EQ(store.SubKeys("Keys").size(), 20000u);
  // A value deleted in the middle: those after it are still found.
  EXPECT_TRUE(store.DeleteValue("Many", "value10"));
  EXPECT_FALSE(store.GetInt("Many", "Value10", &n));
  ASSERT_TRUE(store.GetInt("Many", "Value11", &n));
  EXPECT_EQ(n, 11u);
  ASSERT_TRUE(store.GetInt("Many", "Value19999", &n));
  EXPECT_EQ(n, 19999u);
  EXPECT_TRUE(store.SetInt("Many", "VALUE10", 7));
  EXPECT_EQ(store.ValueNames("Many").back(), "VALUE10");
  // A key deleted and made again in another spelling.
  EXPECT_TRUE(store.DeleteKey("Keys\\K5"));
  EXPECT_FALSE(store.KeyExists("keys\\k5"));
  EXPECT_TRUE(store.CreateKey("KEYS\\k5"));
  EXPECT_EQ(store.SubKeys("Keys").back(), "k5");
  EXPECT_FALSE(store.GetInt("Keys\\K5", "v", &n));
  ASSERT_TRUE(store.GetInt("Keys\\K6", "v", &n));
  EXPECT_EQ(n, 6u);
}

// A damaged file is kept as a backup before anything replaces it, and the
// report names what was reset and where the backup is.
TEST(SettingsStore, DamagedFileIsKeptAndTold) {
  TempDir dir;
  const std::string file = dir / "settings.ini";
  const std::string damaged = "; Pelmora2 settings 1\n[Shell\\MFrame]\ngood=s:kept\nbad=d:12x\n";
  std::ofstream(file, std::ios::binary) << damaged;
  SettingsStore store(file);
  ASSERT_TRUE(store.Load());
  EXPECT_TRUE(store.IsDirty()) << "a damaged file is written again at exit";
  const std::string backup = dir / "settings_ini.Bak";
  std::ifstream in(backup, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
  EXPECT_EQ(store.DamageReport(), "The settings file '" + file +
                                      "' is damaged. What these lines held has its default now:\n\n'" + file +
                                      "' line 4: value 'bad' of 'Shell\\MFrame' cannot be read\n\nThe damaged file is kept as '" +
                                      backup + "'.");
  SettingsStore sound(file);
  ASSERT_TRUE(store.Save());
  ASSERT_TRUE(sound.Load());
  EXPECT_EQ(sound.DamageReport(), "");
}

// Another program that keeps the settings folder locked (one stopped in
// the middle of its save) is not waited for without end: the save gives up
// at its bound, says why, and the file keeps what it held; once the lock
// is given back the save writes.
TEST(SettingsStore, AFolderLockedByAnotherProgramIsNotWaitedForWithoutEnd) {
  TempDir dir;
  const std::string file = dir / "settings.ini";
  SettingsStore store(file);
  ASSERT_TRUE(store.Load());
  ASSERT_TRUE(store.SetString("Shell", "kept", "before"));
  ASSERT_TRUE(store.Save());
  const std::string before = [&] {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  // A lock of its own open of the folder stands for the other program's.
  const int other = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  ASSERT_TRUE(store.SetString("Shell", "kept", "after"));
  std::string err;
  EXPECT_FALSE(store.Save(&err));
  EXPECT_NE(err.find("stayed locked by another program"), std::string::npos) << err;
  EXPECT_NE(err.find(dir.path()), std::string::npos) << err;
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), before);
  ::close(other);
  EXPECT_TRUE(store.Save(&err)) << err;
  SettingsStore read(file);
  ASSERT_TRUE(read.Load());
  std::string kept;
  ASSERT_TRUE(read.GetString("Shell", "kept", &kept));
  EXPECT_EQ(kept, "after");
}

struct InPlaceRow {
  const char* name;
  void (*make)(const std::string& path);
};

class SettingsFileInPlace : public testing::TestWithParam<InPlaceRow> {};

// Something other than a regular file where the settings file belongs is
// refused at once (no wait, no endless read), told, and never replaced.
TEST_P(SettingsFileInPlace, IsRefusedToldAndLeftAlone) {
  TempDir dir;
  const std::string file = dir / "settings.ini";
  GetParam().make(file);
  struct stat before;
  ASSERT_EQ(::lstat(file.c_str(), &before), 0);
  SettingsStore store(file);
  std::string err;
  EXPECT_FALSE(store.Load(&err));
  EXPECT_FALSE(store.Writable());
  EXPECT_NE(store.DamageReport().find("will not be saved"), std::string::npos) << store.DamageReport();
  store.SetString("Frame", "Layout", "x");
  EXPECT_TRUE(store.Save(&err));
  struct stat after;
  ASSERT_EQ(::lstat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsFileInPlace,
    testing::Values(InPlaceRow{"Folder", [](const std::string& p) { std::filesystem::create_directory(p); }},
                    InPlaceRow{"Pipe", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }},
                    InPlaceRow{"EndlessDevice",
                               [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); }}),
    [](const testing::TestParamInfo<InPlaceRow>& info) { return std::string(info.param.name); });

// Key paths: one leading and one trailing '\\' are ignored, an empty name
// anywhere makes the path unusable and creates nothing.
struct KeyPathRow {
  const char* name;
  const char* path;
  bool valid;
  std::vector<std::string> topKeys;  // the root's subkeys after CreateKey
};

class SettingsStoreKeyPath : public testing::TestWithParam<KeyPathRow> {};

TEST_P(SettingsStoreKeyPath, CreatesOnlyValidPaths) {
  const KeyPathRow& row = GetParam();
  SettingsStore store("unused");
  EXPECT_EQ(store.CreateKey(row.path), row.valid);
  EXPECT_EQ(store.SubKeys(""), row.topKeys);
  EXPECT_EQ(store.KeyExists(row.path), row.valid);
  EXPECT_EQ(store.IsDirty(), !row.topKeys.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsStoreKeyPath,
    testing::Values(KeyPathRow{"Root", "", true, {}}, KeyPathRow{"RootBySeparator", "\\", true, {}},
                    KeyPathRow{"RootByTwoSeparators", "\\\\", true, {}},
                    KeyPathRow{"ThreeSeparators", "\\\\\\", false, {}}, KeyPathRow{"One", "a", true, {"a"}},
                    KeyPathRow{"Nested", "a\\b\\c", true, {"a"}}, KeyPathRow{"OuterSeparators", "\\a\\b\\", true, {"a"}},
                    KeyPathRow{"EmptyInside", "a\\\\b", false, {}}, KeyPathRow{"EmptyFirst", "\\\\a", false, {}},
                    KeyPathRow{"EmptyLast", "a\\\\", false, {}}),
    [](const testing::TestParamInfo<KeyPathRow>& info) { return std::string(info.param.name); });

// A write after a save leaves the store clean only when it changes nothing
// the file holds.
struct WriteAfterSave {
  const char* name;
  const char* key;
  const char* value;
  uint32_t type;
  std::string data;
  bool dirty;
};

class SettingsStoreWriteAfterSave : public testing::TestWithParam<WriteAfterSave> {};

TEST_P(SettingsStoreWriteAfterSave, MarksTheStoreChangedOnlyForAChange) {
  const WriteAfterSave& row = GetParam();
  FaultDisk disk;
  SettingsStore store("cfg/settings.ini", &disk);
  ASSERT_TRUE(store.SetString("Software\\Vond\\Pelmora2\\MFrame", "Rect", "0 0 640 480"));
  ASSERT_TRUE(store.SetInt("Software\\Vond\\Pelmora2\\MFrame", "Maximized", 1));
  std::string err;
  ASSERT_TRUE(store.Save(&err)) << err;
  const std::string before = disk.Get("cfg/settings.ini");
  ASSERT_TRUE(store.WriteValue(row.key, row.value, row.type, row.data));
  EXPECT_EQ(store.IsDirty(), row.dirty);
  EXPECT_EQ(store.Serialize() != before, row.dirty);  // dirty exactly when the stored form differs
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsStoreWriteAfterSave,
    testing::Values(
        WriteAfterSave{"SameString", "Software\\Vond\\Pelmora2\\MFrame", "Rect", kSettingString, "0 0 640 480", false},
        WriteAfterSave{"SameStringOtherCase", "software\\VOND\\pelmora2\\mframe", "RECT", kSettingString,
                       "0 0 640 480", false},
        WriteAfterSave{"SameInt", "Software\\Vond\\Pelmora2\\MFrame", "Maximized", kSettingInt, std::string("\x01\0\0\0", 4), false},
        WriteAfterSave{"OtherText", "Software\\Vond\\Pelmora2\\MFrame", "Rect", kSettingString, "0 0 640 481", true},
        WriteAfterSave{"SameBytesOtherType", "Software\\Vond\\Pelmora2\\MFrame", "Rect", kSettingBinary,
                       "0 0 640 480", true},
        WriteAfterSave{"NewValue", "Software\\Vond\\Pelmora2\\MFrame", "Zoom", kSettingString, "", true},
        WriteAfterSave{"NewKey", "Software\\Vond\\Pelmora2\\Recent", "File1", kSettingString, "a.pm2", true}),
    [](const testing::TestParamInfo<WriteAfterSave>& info) { return std::string(info.param.name); });

TEST(SettingsStore, SavesAtomicallyAndLoadsBack) {
  FaultDisk disk;
  SettingsStore store("cfg/settings.ini", &disk);
  ASSERT_TRUE(store.Load());  // missing file: empty store
  store.SetBinary("X", "b", AllBytes());
  EXPECT_TRUE(store.IsDirty());
  std::string err;
  ASSERT_TRUE(store.Save(&err)) << err;
  EXPECT_FALSE(store.IsDirty());
  std::string saved = disk.Get("cfg/settings.ini");

  store.SetString("X", "s", "more");
  disk.FailAt(FaultDisk::kSync, disk.Calls(FaultDisk::kSync) + 1);
  EXPECT_FALSE(store.Save(&err));
  EXPECT_TRUE(store.IsDirty());
  EXPECT_EQ(disk.Get("cfg/settings.ini"), saved);

  SettingsStore back("cfg/settings.ini", &disk);
  ASSERT_TRUE(back.Load(&err));
  std::string b;
  ASSERT_TRUE(back.GetBinary("x", "B", &b));
  EXPECT_EQ(b, AllBytes());
}

// A crash at any step of a save leaves a file that loads back as the old
// settings or the new ones, never a mixture, an empty store or warnings; once
// Save has reported success the new settings survive a crash.
TEST(SettingsStore, CrashAtAnyStepOfASaveLoadsBackOldOrNew) {
  auto fill = [](SettingsStore& s, const char* word) {
    s.SetString("Editor\\C Files", "Font", word);
    s.SetInt("MFrame", "Maximized", word[0]);
    s.SetBinary("Toolbars\\Bar0", "State", std::string(300, word[0]));
  };
  auto snapshot = [](SettingsStore& s) {
    std::string font, state;
    uint32_t max = 0;
    s.GetString("editor\\c files", "font", &font);
    s.GetInt("mframe", "maximized", &max);
    s.GetBinary("toolbars\\bar0", "state", &state);
    return font + "|" + std::to_string(max) + "|" + state;
  };
  SettingsStore oldStore("unused"), newStore("unused");
  fill(oldStore, "old");
  fill(newStore, "new");
  const std::string oldView = snapshot(oldStore), newView = snapshot(newStore);

  bool finished = false;
  for (int n = 1; n < 30 && !finished; ++n) {
    SCOPED_TRACE(n);
    FaultDisk disk;
    disk.Put("cfg/settings.ini", oldStore.Serialize());
    SettingsStore store("cfg/settings.ini", &disk);
    ASSERT_TRUE(store.Load());
    fill(store, "new");
    disk.CrashAt(n);
    std::string err;
    bool ok = store.Save(&err);
    if (!disk.Crashed()) {
      ASSERT_TRUE(ok) << err;
      disk.Crash();
      finished = true;
    } else {
      EXPECT_FALSE(ok);
      EXPECT_TRUE(store.IsDirty());  // the next save tries again
    }
    disk.Reboot();
    SettingsStore back("cfg/settings.ini", &disk);
    ASSERT_TRUE(back.Load(&err)) << err;
    EXPECT_TRUE(back.LoadWarnings().empty()) << back.LoadWarnings()[0];
    std::string view = snapshot(back);
    if (finished)
      EXPECT_EQ(view, newView);
    else
      EXPECT_TRUE(view == oldView || view == newView) << view;
  }
  EXPECT_TRUE(finished);
}

// Two programs of one user share the file: each save puts on what is on
// disk then only what its own program changed, in the order it changed it.
TEST(SettingsStore, ASaveKeepsWhatAnotherProgramStoredMeanwhile) {
  FaultDisk disk;
  SettingsStore seed("cfg/settings.ini", &disk);
  seed.SetString("Workspaces\\Old", "Title", "old");
  seed.SetString("Shared", "Kept", "seed");
  seed.SetString("Shared", "Dropped", "seed");
  ASSERT_TRUE(seed.Save());
  SettingsStore a("cfg/settings.ini", &disk), b("cfg/settings.ini", &disk);
  ASSERT_TRUE(a.Load());
  ASSERT_TRUE(b.Load());

  b.SetString("Workspaces\\WB", "Title", "from b");
  b.SetString("Shared", "Kept", "b's");
  ASSERT_TRUE(b.Save());
  // A changes other keys, deletes one and rewrites a whole key, later.
  a.SetString("Workspaces\\WA", "Title", "from a");
  a.DeleteValue("Shared", "Dropped");
  a.DeleteKey("Workspaces\\Old");
  a.SetString("Workspaces\\Old", "Title", "anew");
  std::string err;
  ASSERT_TRUE(a.Save(&err)) << err;

  SettingsStore back("cfg/settings.ini", &disk);
  ASSERT_TRUE(back.Load());
  std::string text;
  EXPECT_TRUE(back.GetString("Workspaces\\WB", "Title", &text) && text == "from b") << text;
  EXPECT_TRUE(back.GetString("Workspaces\\WA", "Title", &text) && text == "from a") << text;
  EXPECT_TRUE(back.GetString("Shared", "Kept", &text) && text == "b's") << "a key A never changed: " << text;
  EXPECT_FALSE(back.GetString("Shared", "Dropped", &text));
  EXPECT_TRUE(back.GetString("Workspaces\\Old", "Title", &text) && text == "anew") << text;
  // A now holds what it wrote, B's workspace among it.
  EXPECT_TRUE(a.GetString("Workspaces\\WB", "Title", &text) && text == "from b");
  EXPECT_EQ(a.Serialize(), back.Serialize());
  // A later save of B's brings back nothing A deleted.
  b.SetString("Other", "x", "1");
  ASSERT_TRUE(b.Save());
  SettingsStore last("cfg/settings.ini", &disk);
  ASSERT_TRUE(last.Load());
  EXPECT_FALSE(last.GetString("Shared", "Dropped", &text));
  EXPECT_TRUE(last.GetString("Workspaces\\WA", "Title", &text));

  // Refresh takes in the other program's keys without writing, and keeps
  // the unsaved changes on top.
  a.SetString("Unsaved", "y", "2");
  ASSERT_TRUE(a.Refresh(&err)) << err;
  EXPECT_TRUE(a.GetString("Other", "x", &text) && text == "1");
  EXPECT_TRUE(a.GetString("Unsaved", "y", &text) && text == "2");
  EXPECT_TRUE(a.IsDirty());
}

// Saves of two stores on the real file, at once from two threads: the
// folder's lock keeps each merge whole, so no key written by either is lost.
TEST(SettingsStore, SavesAtOnceOnTheRealDiskLoseNoKey) {
  TempDir dir;
  const std::string path = dir / "cfg/settings.ini";
  constexpr int kSaves = 40;
  auto saver = [&](const char* who) {
    SettingsStore store(path);
    ASSERT_TRUE(store.Load());
    for (int i = 0; i < kSaves; ++i) {
      store.SetInt(who, "Key" + std::to_string(i), uint32_t(i));
      std::string err;
      ASSERT_TRUE(store.Save(&err)) << err;
    }
  };
  std::thread first(saver, "First"), second(saver, "Second");
  first.join();
  second.join();
  SettingsStore back(path);
  ASSERT_TRUE(back.Load());
  for (const char* who : {"First", "Second"})
    EXPECT_EQ(back.ValueNames(who).size(), size_t(kSaves)) << who;
}

TEST(SettingsStore, DefaultPathFollowsXdgConfigHome) {
  TempDir dir;
  ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  std::string path = SettingsStore::DefaultPath();
  EXPECT_EQ(path, dir / "Vond/Pelmora2/settings.ini");
  SettingsStore store(path);
  store.WriteProfileString("Recent Projects", "File1", "/p/a.pm2");
  std::string err;
  ASSERT_TRUE(store.Save(&err)) << err;  // creates the folders
  SettingsStore back(path);
  ASSERT_TRUE(back.Load(&err));
  EXPECT_EQ(back.GetProfileString("recent projects", "file1"), "/p/a.pm2");
  ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace pm2
