// Parses arbitrary bytes as an annotated file, builds the wizard's rows
// from whatever tree comes back, and plans writing every row back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "editor/wizard/option_rows.h"
#include "editor/wizard/option_writeback.h"
#include "editor/wizard/options_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  pm2::OptionsIdMap map;
  pm2::COptionNode* root = pm2::LoadOptionsText(map, text, false);
  for (const pm2::OptionsReport& r : map.Reports())
    if (r.message.size() > 1023) __builtin_trap();
  pm2::OptionRows rows;
  rows.Build(root);
  for (int i = 0; i < rows.Count(); ++i) {
    rows.ValueText(i);
    const pm2::WriteBackPlan plan = pm2::PlanWriteBack(text, rows.Row(i));
    // A refused plan writes nothing.
    if (!plan.error.empty() && !plan.edits.empty()) __builtin_trap();
    for (const pm2::LineEdit& e : plan.edits)
      if (e.line < 1 || e.index < 0 || e.length < 0) __builtin_trap();
  }
  return 0;
}
