// The main window's title: "<project> [Read Only]  - Pelmora2 - <document>:<n>".
#pragma once

#include <string>

namespace pm2 {

struct FrameTitleParts {
  bool hasProject = false;
  std::string projectName;
  bool readOnly = false;
  bool addDocument = true;     // the caller asks for the active document's name
  std::string documentTitle;   // empty: no active document
  int windowNumber = 0;        // shown as ":%d" when above 0
};

inline constexpr const char* kProductName = "Pelmora2";

std::string ComposeFrameTitle(const FrameTitleParts& t);

}  // namespace pm2
