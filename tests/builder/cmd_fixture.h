// A target with one group and one file, each able to carry its own option
// block, for the command-line tests. Blocks start from the toolset's
// defaults (node blocks: target defaults, then node defaults), strings point
// at literals.
#pragma once

#include <string>

#include "builder/commands/command_context.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"

namespace pm2::test {

struct CmdFixture {
  explicit CmdFixture(uint16_t toolset) : toolset(toolset) {
    target.kind = kKindTarget;
    target.toolset = toolset;
    target.name = OptString("Target 1");
    SetDefaultOptions(targetOpts, &target, toolset, kLevelTarget);
    targetOpts.out.OUTNAME = OptString("blinky");
    targetOpts.owner = &target;
    target.pOpts = &targetOpts;
    group.kind = kKindGroup;
    file.kind = kKindFile;
    file.group = &group;
    file.name = OptString("main.c");
    file.path = OptString(".\\main.c");
  }
  CmdFixture(const CmdFixture&) = delete;

  OptionBlock& NodeBlock(OptionBlock& b) {
    // A node block of its own: the toolset's target defaults, then its node
    // defaults; none of the target's texts.
    b = OptionBlock{};
    SetDefaultOptions(b, &target, toolset, kLevelTarget);
    SetDefaultOptions(b, &target, toolset, kLevelNode);
    b.owner = &target;
    return b;
  }
  OptionBlock& GroupBlock() {
    group.pOpts = &NodeBlock(groupOpts);
    return groupOpts;
  }
  OptionBlock& FileBlock() {
    file.pOpts = &NodeBlock(fileOpts);
    return fileOpts;
  }

  uint16_t toolset;
  TargetRec target;
  GroupRec group;
  FileRec file;
  OptionBlock targetOpts, groupOpts, fileOpts;
  CommandContext ctx;
};

// The line with one control removed (exactly one occurrence, with its
// separating blank); "" when the control is not in the line.
inline std::string WithoutControl(std::string line, const std::string& control) {
  std::string padded = " " + line + " ";
  std::size_t at = padded.find(" " + control + " ");
  if (at == std::string::npos) return "";
  padded.erase(at, control.size() + 1);
  return padded.substr(1, padded.size() - 2);
}

}  // namespace pm2::test
