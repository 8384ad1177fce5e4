// The text of the About box: the program's version, then for the current
// target's toolset its toolchain folder, one line per tool program and the
// target driver. Line feeds stay line feeds here; tabs become four blanks.
#pragma once

#include <string>
#include <vector>

namespace pm2 {

struct AboutTool {
  std::string title;    // "C Compiler:"
  std::string program;  // program name without extension
  std::string version;  // empty when the program tells none
};

struct AboutInfo {
  std::string version;        // the program's version line
  bool hasTarget = false;     // false: only the version is shown
  std::string toolchainPath;  // the toolset's folder
  std::vector<AboutTool> tools;
  std::string targetDll;      // the target driver; empty: none
};

constexpr std::size_t kAboutTextLimit = 4000;

// The whole text, at most kAboutTextLimit characters.
std::string AboutText(const AboutInfo& info);

// The tool programs shown for a toolset (title and program name); empty
// for an unknown toolset.
std::vector<AboutTool> AboutToolsOf(int toolset);

// The message when there is no project or no current target.
extern const char* const kAboutNoTarget;

}  // namespace pm2
