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

// The version a tool tells in the first line of its "--version" answer:
// its last word made of numbers and dots ("arm-none-eabi-gcc (15:12.2.rel1-1)
// 12.2.1 20221205" tells 12.2.1); "" when there is none.
std::string VersionFromBanner(const std::string& firstLine);

// The message when there is no project or no current target.
extern const char* const kAboutNoTarget;

}  // namespace pm2
