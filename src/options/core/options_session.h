// One run of the options sheet on a project node (target, group or file of
// the current target): the working copies the pages edit, the command-line
// preview's view of them, and what OK writes back or Cancel restores.
//
// Every page edits a working copy, never the project: the target's block
// is copied, and a group or file gets a copy of its own block or, without
// one, a copy of the target's block turned into a node-level block (build
// properties, compiler and assembler back to "inherit", their texts empty:
// the node takes the target's values through the builders, never a frozen
// copy of them). A snapshot of
// each copy tells on OK whether anything changed. The pages that change
// the project record itself (the device page, a file's type) are undone by
// Rollback, which restores the target record, its block and the file type
// as they were when the session began.
//
// On OK (Commit): the target's block takes the copy's fields when they
// differ; a group or file whose copy equals the node defaults loses its
// override, otherwise its own block takes the copy or a new block is
// attached when the copy changed. A device of another family chosen on the
// device page detaches the target's blocks of every group and file, so they
// inherit from the target again (as Select Device does); Cancel leaves them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "project/model/option_block.h"
#include "project/model/project_records.h"

namespace pm2 {

class OptionsSession {
 public:
  OptionsSession() = default;
  OptionsSession(const OptionsSession&) = delete;
  OptionsSession& operator=(const OptionsSession&) = delete;
  ~OptionsSession();

  // Starts on the node of the project's current target. False with the
  // message when there is nothing to edit ("Missing Target Options for
  // Target '%s' !" for a group or file of a target without a block). A
  // target without a block gets one first, with the defaults of its
  // toolset.
  bool Begin(ProjectRec* project, NodeRec* node, std::string* error);

  ProjectRec* Project() const { return m_project; }
  NodeRec* Node() const { return m_node; }
  TargetRec* Target() const { return m_target; }
  uint16_t Kind() const { return m_node ? m_node->kind : 0; }
  uint16_t Toolset() const { return m_target ? m_target->toolset : uint16_t(kToolsetUndefined); }
  FileRec* File() const { return Kind() == kKindFile ? static_cast<FileRec*>(m_node) : nullptr; }

  // The working copies: the target's, and a group's or file's (null for a
  // target node). EditedBlock is the one of the node's own level.
  OptionBlock* TargetCopy() const { return m_targetCopy; }
  OptionBlock* NodeCopy() const { return m_nodeCopy; }
  OptionBlock* EditedBlock() const { return m_nodeCopy ? m_nodeCopy : m_targetCopy; }

  // While the device page is current the target record's block is the
  // working copy, so a device chosen there changes the copy: the edits made
  // on the other pages stay, and OK or Cancel decide as for any edit.
  // Commit and Rollback end the loan.
  void LendTargetCopy(bool lend);
  // The properties page changed the file's type (undone by Rollback).
  void SetFileType(uint8_t type);

  // The code-banking wizard's placement: a file's bank, kept until OK
  // stores it in the file's options; and a target option (KEY=value) set in
  // the target's working copy.
  void SetPendingFileBank(const std::string& fileName, uint16_t bank);
  // The pending bank of a file, else the bank its options store (0: none).
  uint16_t FileBank(const std::string& fileName) const;
  void SetTargetOption(const std::string& key, const std::string& value);
  // A driver's settings text in the working copy, by the driver's base name
  // ("" when none is kept).
  std::string DriverSettings(const std::string& base) const;
  void SetDriverSettings(const std::string& base, const std::string& text);

  // Resets the part of the edited block that a page's defaults cover uses
  // these: the node's level (kLevelTarget or kLevelNode).
  int Level() const { return Kind() == kKindTarget ? 1 : 0; }

  // Writes the copies back; true when the project changed.
  bool Commit();
  // Restores what the session changed in the project itself.
  void Rollback();

  // While it lives, the node's and the target's block lists point at the
  // working copies (with the page's copy standing in for the node's level
  // when given), so the builders see what the sheet shows.
  class PreviewScope {
   public:
    PreviewScope(OptionsSession& session, OptionBlock* nodeLevel);
    ~PreviewScope();
    PreviewScope(const PreviewScope&) = delete;
    PreviewScope& operator=(const PreviewScope&) = delete;

   private:
    OptionsSession& m_s;
    OptionBlock* m_savedTarget = nullptr;
    OptionBlock* m_savedNode = nullptr;
  };

 private:
  void MakeCopies();
  // Whether a group's or file's block holds nothing of its own.
  bool IsNodeDefaults(const OptionBlock& block) const;

  ProjectRec* m_project = nullptr;
  NodeRec* m_node = nullptr;
  TargetRec* m_target = nullptr;
  OptionBlock* m_targetCopy = nullptr;
  OptionBlock* m_nodeCopy = nullptr;
  OptionBlock* m_ownNodeBlock = nullptr;  // the group's or file's own block, if any
  OptionBlock m_targetSnapshot;
  OptionBlock m_nodeSnapshot;
  // The project record as it was, for Rollback.
  std::unique_ptr<TargetRec> m_savedTargetRec;  // a shallow copy of the record
  OptionBlock m_savedTargetBlock;
  uint8_t m_savedFileType = 0;
  std::map<std::string, uint16_t> m_pendingBanks;  // by file name
  OptionBlock* m_lentFrom = nullptr;  // the record's own block while the copy is lent
  bool m_lent = false;
  bool m_begun = false;
};

// Turns a copy of the target's block into a group-level (kind 3) or
// file-level (kind 4) block: build properties, compiler and assembler
// sub-records at the group/file defaults (switches inherit, lists at
// "<default>", texts empty).
void MakeNodeLevelBlock(OptionBlock& block, const TargetRec* target, uint16_t kind);

}  // namespace pm2
