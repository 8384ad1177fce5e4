// Any INI text: loading a settings tree from it never crashes, and a tree
// whose save reports success loads again with as many values.
#include <cctype>
#include <cstdint>
#include <set>
#include <string>
#include <cstdlib>
#include <string_view>

#include "platform/ini_file.h"
#include "toolkit/core/persistent_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pm2::IniDocument doc = pm2::IniDocument::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  pm2::SECPTNStrategyProfile in(&doc);
  pm2::SECPTNFactory f;
  pm2::SECPersistentTreeNode* root = f.CreateNode("R");
  root->LoadTree(&in);
  std::vector<std::uint8_t> bytes;
  root->GetKeyValueBinary("B", &bytes);
  pm2::IniDocument out;
  pm2::SECPTNStrategyProfile save(&out);
  const bool saved = root->SaveTree(&save);
  pm2::SECPTNFactory g;
  pm2::SECPersistentTreeNode* back = g.CreateNode("R");
  back->LoadTree(&save);
  // The INI layer refuses some names and values (line breaks, NUL bytes);
  // then the save must say so. A save that reports success must come back.
  // Stored names ignore case, so keys differing only in case share one slot.
  auto distinct = [](const pm2::SECPersistentTreeNode* n) {
    std::set<std::string> keys;
    for (const auto& p : n->Pairs()) {
      std::string k = p.key;
      for (char& c : k) c = char(std::tolower(static_cast<unsigned char>(c)));
      keys.insert(k);
    }
    return keys.size();
  };
  if (saved && distinct(back) != distinct(root)) std::abort();
  return 0;
}
