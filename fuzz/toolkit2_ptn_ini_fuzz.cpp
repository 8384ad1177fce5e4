// Any INI text: loading a settings tree from it never crashes, and a tree
// saved back to a new document loads again equal in shape.
#include <cstdint>
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
  root->SaveTree(&save);
  pm2::SECPTNFactory g;
  pm2::SECPersistentTreeNode* back = g.CreateNode("R");
  back->LoadTree(&save);
  if (!root->Pairs().empty() && back->Pairs().empty() && root->Children().empty()) {
    // Values with line breaks are refused by the INI layer; anything else
    // saved must come back.
    bool storable = true;
    for (const auto& p : root->Pairs()) storable &= p.value.find_first_of("\r\n") == std::string::npos;
    if (storable) std::abort();
  }
  return 0;
}
