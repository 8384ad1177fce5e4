#include "toolkit/core/persistent_tree.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "toolkit/core/registry.h"

namespace pm2 {
namespace {

std::vector<std::uint8_t> Bytes(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = std::uint8_t(i * 37 + 11);
  return v;
}

// Root "WorkState" with pairs and two children, one with a grandchild.
void BuildTree(SECPTNFactory& f, SECPersistentTreeNode** rootOut) {
  SECPersistentTreeNode* root = f.CreateNode("WorkState");
  root->SetKeyValue("Title", "Main");
  root->SetKeyValueLong("Count", -42);
  root->SetKeyValueBool("Visible", true);
  root->SetKeyValue("Long", std::string(600, 'x') + "end");
  const auto blob = Bytes(700);
  root->SetKeyValueBinary("Layout", blob.data(), blob.size());
  SECPersistentTreeNode* bars = root->CreateChild("Bars");
  bars->SetKeyValue("Size", "12");
  SECPersistentTreeNode* bar = bars->CreateChild("Bar1");
  bar->SetKeyValue("Docked", "True");
  root->CreateChild("Empty");
  *rootOut = root;
}

void ExpectSameTree(const SECPersistentTreeNode& a, const SECPersistentTreeNode& b) {
  EXPECT_EQ(a.Name(), b.Name());
  ASSERT_EQ(a.Pairs().size(), b.Pairs().size()) << a.Name();
  for (std::size_t i = 0; i < a.Pairs().size(); ++i) {
    EXPECT_EQ(a.Pairs()[i].key, b.Pairs()[i].key) << a.Name();
    EXPECT_EQ(a.Pairs()[i].value, b.Pairs()[i].value) << a.Name() << " " << a.Pairs()[i].key;
  }
  ASSERT_EQ(a.Children().size(), b.Children().size()) << a.Name();
  for (std::size_t i = 0; i < a.Children().size(); ++i) ExpectSameTree(*a.Children()[i], *b.Children()[i]);
}

TEST(PersistentTree, IniTextHasTheFixedForm) {
  SECPTNFactory f;
  SECPersistentTreeNode* root = f.CreateNode("A");
  root->SetKeyValue("Name", "Main");
  root->SetKeyValueBool("On", false);
  const std::uint8_t two[] = {0x3C, 0xF0};
  root->SetKeyValueBinary("Bin", two, 2);
  root->CreateChild("B")->SetKeyValueLong("N", 7);
  root->CreateChild("C");
  IniDocument doc;
  SECPTNStrategyProfile ini(&doc);
  EXPECT_TRUE(root->SaveTree(&ini));
  EXPECT_EQ(doc.Serialize(),
            "[A]\r\nName=Main\r\nOn=False\r\nBin=MDAP\r\nptn_Child1=B\r\nptn_Child2=C\r\n"
            "\r\n[A.B]\r\nN=7\r\n");
}

TEST(PersistentTree, IniAndStoreReadBackEqual) {
  SECPTNFactory f;
  SECPersistentTreeNode* root = nullptr;
  BuildTree(f, &root);

  IniDocument doc;
  SECPTNStrategyProfile ini(&doc);
  ASSERT_TRUE(root->SaveTree(&ini));
  SECPTNFactory g;
  SECPersistentTreeNode* back = g.CreateNode("WorkState");
  ASSERT_TRUE(back->LoadTree(&ini));
  // "Empty" has no section of its own, so it comes back as a name only.
  ExpectSameTree(*root, *back);
  std::vector<std::uint8_t> blob;
  ASSERT_EQ(back->GetKeyValueBinary("Layout", &blob), unsigned(kPtnOk));
  EXPECT_EQ(blob, Bytes(700));

  SettingsStore store("/nonexistent/settings.ini");
  SECPTNStrategyRegistry reg(store, "Software\\Vond\\Pelmora2\\Workspaces");
  // The first save writes everything and says so.
  EXPECT_TRUE(root->SaveTree(&reg));
  EXPECT_TRUE(root->SaveTree(&reg));
  SECPTNFactory h;
  SECPersistentTreeNode* fromStore = h.CreateNode("WorkState");
  ASSERT_TRUE(fromStore->LoadTree(&reg));
  ExpectSameTree(*root, *fromStore);
  std::string title;
  EXPECT_TRUE(store.GetString("Software\\Vond\\Pelmora2\\Workspaces\\WorkState", "Title", &title));
  EXPECT_EQ(title, "Main");
}

TEST(PersistentTree, IniFileRoundTripKeepsLongValues) {
  const auto dir = std::filesystem::temp_directory_path() / ("pm2_ptn_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "state.wsp").string();
  SECPTNFactory f;
  SECPersistentTreeNode* root = nullptr;
  BuildTree(f, &root);
  IniFiles files;
  SECPTNStrategyProfile ini(path, &files);
  ASSERT_TRUE(root->SaveTree(&ini)) << ini.LastError();
  SECPTNFactory g;
  SECPersistentTreeNode* back = g.CreateNode("WorkState");
  ASSERT_TRUE(back->LoadTree(&ini));
  std::string value;
  back->GetKeyValue("Long", &value);
  EXPECT_EQ(value.size(), 603u);
  ExpectSameTree(*root, *back);
  std::filesystem::remove_all(dir);
}

TEST(PersistentTree, BinaryChunking) {
  struct Row {
    const char* name;
    std::size_t bytes;
    int chunks;  // 0: stored plainly
  } rows[] = {{"125 bytes plain", 125, 0}, {"126 bytes in two pieces", 126, 2},
              {"250 bytes", 250, 2}, {"251 bytes", 251, 3}, {"empty", 0, 0}};
  for (const Row& r : rows) {
    SECPTNFactory f;
    SECPersistentTreeNode* n = f.CreateNode("N");
    const auto data = Bytes(r.bytes);
    const std::uint8_t none = 0;
    ASSERT_EQ(n->SetKeyValueBinary("K", data.empty() ? &none : data.data(), data.size()), unsigned(kPtnOk))
        << r.name;
    std::int32_t count = -1;
    if (r.chunks) {
      ASSERT_EQ(n->GetKeyValueInt("K_BinCount", &count), unsigned(kPtnOk)) << r.name;
      EXPECT_EQ(count, r.chunks) << r.name;
      std::string last;
      n->GetKeyValue("K_BinVal" + std::to_string(r.chunks - 1), &last);
      EXPECT_EQ(last.size(), r.bytes * 2 - 250 * std::size_t(r.chunks - 1)) << r.name;
      EXPECT_EQ(n->FindKeyValuePair("K"), nullptr) << r.name;
    } else {
      EXPECT_EQ(n->FindKeyValuePair("K_BinCount"), nullptr) << r.name;
    }
    std::vector<std::uint8_t> back;
    const unsigned code = n->GetKeyValueBinary("K", &back);
    if (r.bytes) {
      EXPECT_EQ(code, unsigned(kPtnOk)) << r.name;
      EXPECT_EQ(back, data) << r.name;
    } else {
      EXPECT_EQ(code, unsigned(kPtnFailure)) << r.name;
    }
  }

  // A shorter value after a chunked one reads back as itself.
  SECPTNFactory f;
  SECPersistentTreeNode* n = f.CreateNode("N");
  const auto big = Bytes(600), small = Bytes(10);
  n->SetKeyValueBinary("K", big.data(), big.size());
  n->SetKeyValueBinary("K", small.data(), small.size());
  std::vector<std::uint8_t> back;
  n->GetKeyValueBinary("K", &back);
  EXPECT_EQ(back, small);
  n->SetKeyValueBinary("K", big.data(), big.size());
  n->GetKeyValueBinary("K", &back);
  EXPECT_EQ(back, big);
}

TEST(PersistentTree, StoredChunkCountsAreNotTrusted) {
  // Pieces as a settings file might hold them: the count read back from the
  // file decides which pieces belong, but never how long reading takes.
  struct Row {
    const char* name;
    const char* count;
    std::vector<std::pair<const char*, const char*>> pieces;
    const char* expected;  // decoded text; null: the read fails
  } rows[] = {
      {"huge count", "2000000000", {{"K_BinVal0", "BGCG"}, {"K_BinVal1", "DG"}}, "abc"},
      {"pieces stored out of order", "3", {{"K_BinVal2", "DG"}, {"K_BinVal0", "BG"}, {"K_BinVal1", "CG"}}, "abc"},
      {"piece beyond the count left out", "1", {{"K_BinVal0", "BG"}, {"K_BinVal1", "CG"}}, "a"},
      {"missing piece skipped", "3", {{"K_BinVal0", "BG"}, {"K_BinVal2", "DG"}}, "ac"},
      {"other spellings of an index are not pieces", "5",
       {{"K_BinVal0", "BG"}, {"K_BinVal01", "CG"}, {"K_BinVal+2", "CG"}, {"K_BinValx", "CG"}}, "a"},
      {"negative count", "-1", {{"K_BinVal0", "BG"}}, nullptr},
  };
  for (const Row& r : rows) {
    SECPTNFactory f;
    SECPersistentTreeNode* n = f.CreateNode("N");
    n->SetKeyValue("K_BinCount", r.count);
    for (const auto& [key, value] : r.pieces) n->SetKeyValue(key, value);
    std::vector<std::uint8_t> back;
    const unsigned code = n->GetKeyValueBinary("K", &back);
    if (!r.expected) {
      EXPECT_EQ(code, unsigned(kPtnFailure)) << r.name;
      continue;
    }
    ASSERT_EQ(code, unsigned(kPtnOk)) << r.name;
    EXPECT_EQ(std::string(back.begin(), back.end()), r.expected) << r.name;
  }
}

TEST(PersistentTree, NodeCodes) {
  SECPersistentTreeNode loose;
  EXPECT_EQ(loose.SetKeyValue("", "v"), unsigned(kPtnNotCreated | kPtnEmptyKey));
  EXPECT_EQ(loose.Create(""), unsigned(kPtnEmptyName));
  EXPECT_EQ(loose.Create("X"), unsigned(kPtnOk));
  EXPECT_EQ(loose.Create("X"), unsigned(kPtnAlreadyCreated));
  EXPECT_EQ(loose.SetKeyValue("k", "1"), unsigned(kPtnOk));
  EXPECT_EQ(loose.SetKeyValue("k", "2", false), unsigned(kPtnKeyExists));
  EXPECT_EQ(loose.DeleteKeyValue("nope"), unsigned(kPtnKeyNotFound));
  EXPECT_EQ(loose.SetKeyValueBinary("b", nullptr, 3), unsigned(kPtnNullData));
  EXPECT_EQ(loose.CreateChild("c") != nullptr, true);
  EXPECT_EQ(loose.CreateChild("c"), nullptr);  // duplicate name

  struct Row {
    const char* text;
    bool expect;
  } bools[] = {{"true", true}, {"TRUE", true}, {"True", true}, {"1", false}, {"yes", false}};
  for (const Row& r : bools) {
    loose.SetKeyValue("flag", r.text);
    bool v = !r.expect;
    loose.GetKeyValueBool("flag", &v);
    EXPECT_EQ(v, r.expect) << r.text;
  }
  struct IntRow {
    const char* text;
    std::int32_t expect;
  } ints[] = {{"  -17x", -17}, {"+8", 8}, {"abc", 0}, {"4294967295", -1}};
  for (const IntRow& r : ints) {
    loose.SetKeyValue("n", r.text);
    std::int32_t v = 99;
    loose.GetKeyValueInt("n", &v);
    EXPECT_EQ(v, r.expect) << r.text;
  }
}

TEST(PersistentTree, IniReaderRules) {
  IniDocument doc = IniDocument::Parse(
      "[R]\r\nptn_ChildX=Kid\r\nptn_Child1=Kid\r\nkey=" + std::string(300, 'v') + "\r\n[R.Kid]\r\na=1\r\n");
  SECPTNStrategyProfile ini(&doc);
  SECPTNFactory f;
  SECPersistentTreeNode* root = f.CreateNode("R");
  ASSERT_TRUE(root->LoadTree(&ini));
  // Both "ptn_Child" keys name children; the second "Kid" is skipped.
  ASSERT_EQ(root->Children().size(), 1u);
  std::string v;
  root->GetKeyValue("key", &v);
  EXPECT_EQ(v.size(), 300u);
  SECPersistentTreeNode* missing = root->CreateChild("Gone");
  EXPECT_FALSE(missing->LoadTree(&ini));
}

TEST(Registry, KeysValuesAndErrors) {
  SettingsStore store("/nonexistent/settings.ini");
  SECRegistry reg(store);
  EXPECT_FALSE(reg.Connect(HKEY_CURRENT_USER, "otherhost"));
  EXPECT_EQ(reg.LastError(), kRegInvalidHandle);
  ASSERT_TRUE(reg.Connect(HKEY_LOCAL_MACHINE));
  EXPECT_EQ(reg.RegistryName(), "HKEY_LOCAL_MACHINE");
  ASSERT_TRUE(reg.Create("Software\\Test\\"));
  EXPECT_TRUE(reg.SetStringValue("Name", "value"));
  EXPECT_TRUE(reg.SetDoubleWordValue("Num", 0x12345678));
  EXPECT_TRUE(reg.SetStringArrayValue("Empty", {}));
  EXPECT_TRUE(reg.SetStringArrayValue("List", {"a", "bc"}));
  // Key names stay keys: the hive is a branch of the store.
  EXPECT_TRUE(store.KeyExists("HKEY_LOCAL_MACHINE\\Software\\Test"));
  SettingValue raw;
  ASSERT_TRUE(store.ReadValue("HKEY_LOCAL_MACHINE\\Software\\Test", "Empty", &raw));
  EXPECT_EQ(raw.data, std::string(1, '\0'));

  ASSERT_TRUE(reg.Open("Software\\Test\\"));
  EXPECT_EQ(reg.KeyName(), "Software\\Test\\");
  EXPECT_EQ(reg.NumberOfValues(), 4u);
  std::uint32_t n = 0;
  EXPECT_TRUE(reg.GetDoubleWordValue("Num", &n));
  EXPECT_EQ(n, 0x12345678u);
  std::vector<std::string> list;
  EXPECT_TRUE(reg.GetStringArrayValue("List", &list));
  EXPECT_EQ(list, (std::vector<std::string>{"a", "bc"}));
  std::string text = "old";
  EXPECT_FALSE(reg.GetStringValue("Missing", &text));
  EXPECT_EQ(reg.LastError(), kRegNotFound);
  EXPECT_TRUE(text.empty());

  reg.Create("Software\\Test\\LongSubkeyName");
  reg.Open("Software\\Test");
  char small[5];
  EXPECT_EQ(reg.EnumerateKeys(0, small, sizeof small), kRegMoreData);
  EXPECT_STREQ(small, "Long");
  EXPECT_FALSE(reg.DeleteKey(nullptr, true));
  EXPECT_EQ(reg.LastError(), kRegInvalidParameter);
  EXPECT_FALSE(reg.DeleteKey("", true));
  reg.Connect(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(reg.DeleteKey("Software\\Test", true));
  EXPECT_FALSE(store.KeyExists("HKEY_LOCAL_MACHINE\\Software\\Test"));
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST(PersistentTree, NulBytesAreRefusedNotCutShort) {
  // Two names that differ only after a NUL byte would collapse into one
  // stored key; the save must say it could not store them.
  struct Row {
    const char* name;
    std::string key, value;
  } rows[] = {
      {"key", std::string("K\0a", 3), "v"},
      {"value", "K", std::string("v\0w", 3)},
  };
  for (const Row& r : rows) {
    SECPTNFactory f;
    SECPersistentTreeNode* root = f.CreateNode("A");
    root->SetKeyValue("Plain", "kept");
    root->SetKeyValue(r.key, r.value);
    IniDocument doc;
    SECPTNStrategyProfile ini(&doc);
    EXPECT_FALSE(root->SaveTree(&ini)) << r.name;
    EXPECT_EQ(ini.LastError(), "The setting 'K' holds a NUL byte and cannot be stored") << r.name;
    // What could be stored still was.
    EXPECT_NE(doc.Serialize().find("Plain=kept"), std::string::npos) << r.name;
  }
}

}  // namespace
}  // namespace pm2
