// The engine's clipboard on Qt's: 8-bit text passed as Latin-1, so that
// every byte goes out and comes back unchanged.
#pragma once

#include "editor/engine/edit_host.h"

namespace pm2 {

class QtEditClipboard : public EditClipboard {
 public:
  bool HasText() const override;
  std::optional<std::string> GetText() const override;
  bool SetText(const std::string& text) override;
};

}  // namespace pm2
