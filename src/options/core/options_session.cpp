#include "options/core/options_session.h"

#include <type_traits>

#include "options/core/tri_state.h"
#include "platform/ascii_case.h"
#include "project/model/key_values.h"
#include "project/model/option_defaults.h"

namespace pm2 {

namespace {

constexpr int kCopyPool = 1;  // the copies' texts live as long as the project's

OptionBlock* NewCopy(const OptionBlock& source, TargetRec* owner) {
  OptionBlock* b = NewOptionBlock(kCopyPool);
  *b = source;
  b->next = nullptr;
  b->owner = owner;
  return b;
}

// The fields after the header take the source's.
void WriteOver(OptionBlock& block, const OptionBlock& source) {
  OptionBlock* next = block.next;
  TargetRec* owner = block.owner;
  block = source;
  block.next = next;
  block.owner = owner;
  block.hdrWord |= 1;
}

// A group's or file's tool sub-record starts with no texts: a copy of the
// target's Define or Misc would be given twice and, once the target
// changes, win over the target's new value.
template <class R>
void EmptyTexts(R& record) {
  record.Visit([](auto& field) {
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(field)>, OptString>) field = OptString();
  });
}

// The group/file-level reset of the compiler and assembler sub-records per
// toolset: every switch inherits, every list at "<default>", no texts.
struct NodeReset {
  uint16_t toolset;
  void (*reset)(OptionBlock&, const TargetRec*);
};
const NodeReset kNodeResets[] = {
    {kToolset51, [](OptionBlock& b, const TargetRec* t) {
       InitCompiler51Opts(b.q51, t, kLevelNode);
       InitAsm51Opts(b.w51, t, kLevelNode);
       EmptyTexts(b.q51);
       EmptyTexts(b.w51);
     }},
    {kToolset251, [](OptionBlock& b, const TargetRec* t) {
       InitCompiler251Opts(b.q251, t, kLevelNode);
       InitAsm51Opts(b.w51, t, kLevelNode);
       EmptyTexts(b.q251);
       EmptyTexts(b.w51);
     }},
    {kToolset166, [](OptionBlock& b, const TargetRec*) {
       InitCompiler166Opts(b.q166, kLevelNode);
       InitAsm166Opts(b.w166, kLevelNode);
       InitCompilerYq166Opts(b.yq166, kLevelNode);
       EmptyTexts(b.q166);
       EmptyTexts(b.w166);
       EmptyTexts(b.yq166);
     }},
    {kToolsetArmGnu, [](OptionBlock& b, const TargetRec* t) {
       InitCompilerArmGnuOpts(b.cGnu, t, kLevelNode);
       InitAsmArmGnuOpts(b.aGnu, t, kLevelNode);
       // The node-level initialiser leaves Strict ANSI (bits 10-11) as it was.
       SetFirstWord(b.cGnu.ACCFLG, SetBitField(FirstWord(b.cGnu.ACCFLG), 10, 2, kInherit2Bit));
       EmptyTexts(b.cGnu);
       EmptyTexts(b.aGnu);
     }},
    {kToolsetArmAds, [](OptionBlock& b, const TargetRec* t) {
       InitCompilerArmAdsOpts(b.cAds, t, kLevelNode);
       InitAsmArmAdsOpts(b.aAds, t, kLevelNode);
       EmptyTexts(b.cAds);
       EmptyTexts(b.aAds);
     }},
};

}  // namespace

void MakeNodeLevelBlock(OptionBlock& block, const TargetRec* target, uint16_t kind) {
  block.next = nullptr;
  if (kind == kKindGroup) {
    InitBuildPropOpts(block.prop, kLevelTarget);
    InitBuildPropOpts(block.prop, kLevelNode);
    block.prop.PROPFLD[0] = uint8_t(block.prop.PROPFLD[0] & ~3);
  } else {
    InitBuildPropOpts(block.prop, kLevelNode);
    block.prop.PROPFLD[0] = uint8_t((block.prop.PROPFLD[0] & ~3) | kInherit2Bit);
  }
  for (const NodeReset& r : kNodeResets)
    if (target && r.toolset == target->toolset) r.reset(block, target);
}

OptionsSession::~OptionsSession() = default;

bool OptionsSession::Begin(ProjectRec* project, NodeRec* node, std::string* error) {
  m_project = project;
  m_node = node;
  m_target = project ? project->curTarget : nullptr;
  if (!project || !node || !m_target) {
    *error = "No project or target to edit";
    return false;
  }
  if (node->kind == kKindTarget) m_target = static_cast<TargetRec*>(node);
  if (node->kind != kKindTarget && !FindTargetOptions(m_target->pOpts, m_target)) {
    *error = "Missing Target Options for Target '" + std::string(m_target->name.c_str()) + "' !";
    return false;
  }
  // The record as it is now, for Cancel.
  m_savedTargetRec = std::make_unique<TargetRec>(*m_target);
  if (m_target->pOpts) m_savedTargetBlock = *m_target->pOpts;
  if (FileRec* f = File()) m_savedFileType = f->type;
  if (!FindTargetOptions(m_target->pOpts, m_target)) {
    // A target without a block gets one with its toolset's defaults.
    OptionBlock* b = NewOptionBlock(kCopyPool);
    b->owner = m_target;
    SetDefaultOptions(*b, m_target, m_target->toolset, kLevelTarget);
    b->owner = m_target;
    m_target->pOpts = b;
  }
  MakeCopies();
  m_begun = true;
  return true;
}

void OptionsSession::MakeCopies() {
  OptionBlock* real = FindTargetOptions(m_target->pOpts, m_target);
  m_targetCopy = NewCopy(real ? *real : OptionBlock{}, m_target);
  m_targetSnapshot = *m_targetCopy;
  m_nodeCopy = nullptr;
  m_ownNodeBlock = nullptr;
  if (Kind() == kKindGroup || Kind() == kKindFile) {
    m_ownNodeBlock = FindTargetOptions(m_node->pOpts, m_target);
    if (m_ownNodeBlock) {
      m_nodeCopy = NewCopy(*m_ownNodeBlock, m_target);
    } else {
      m_nodeCopy = NewCopy(*m_targetCopy, m_target);
      MakeNodeLevelBlock(*m_nodeCopy, m_target, Kind());
      m_nodeCopy->owner = m_target;
    }
    m_nodeSnapshot = *m_nodeCopy;
  }
  // The application's edited blocks name the copies while the sheet runs.
  AppState& app = theApp();
  SelectEditedOptions(m_node);
  app.m_pEditTargetOpts = m_targetCopy;
  if (Kind() == kKindGroup) app.m_pEditGroupOpts = m_nodeCopy;
  if (Kind() == kKindFile) app.m_pEditFileOpts = m_nodeCopy;
}

void OptionsSession::LendTargetCopy(bool lend) {
  if (!m_target || !m_targetCopy || lend == m_lent) return;
  if (lend) {
    m_lentFrom = m_target->pOpts;
    m_targetCopy->owner = m_target;
    m_target->pOpts = m_targetCopy;
  } else {
    // A device without a toolset took the block away; the record keeps its own.
    m_target->pOpts = m_lentFrom;
    m_lentFrom = nullptr;
  }
  m_lent = lend;
}

void OptionsSession::SetFileType(uint8_t type) {
  if (FileRec* f = File()) f->type = type;
}

void OptionsSession::SetPendingFileBank(const std::string& fileName, uint16_t bank) {
  m_pendingBanks[fileName] = bank;
}

uint16_t OptionsSession::FileBank(const std::string& fileName) const {
  const auto it = m_pendingBanks.find(fileName);
  return it != m_pendingBanks.end() ? it->second : GetFileBankNo(fileName.c_str());
}

void OptionsSession::SetTargetOption(const std::string& key, const std::string& value) {
  // The list is shared with the project's block until this copy changes.
  OptionBlock& b = *m_targetCopy;
  b.lst.OPTKUS = SetKeyValue(CopyKeyValueList(b.lst.OPTKUS, kCopyPool), key, value, kCopyPool);
}

std::string OptionsSession::DriverSettings(const std::string& base) const {
  return m_targetCopy ? GetKeyValue(m_targetCopy->dbg.OPTKEY, base) : std::string();
}

void OptionsSession::SetDriverSettings(const std::string& base, const std::string& text) {
  OptionBlock& b = *m_targetCopy;
  for (const KeyValueRec* n = b.dbg.OPTKEY; n; n = n->next)
    if (EqualIgnoringCase(n->key.view(), base) && n->value.view() == text) return;  // unchanged
  // Like the target options: the project's list stays shared until this copy changes.
  b.dbg.OPTKEY = SetKeyValue(CopyKeyValueList(b.dbg.OPTKEY, kCopyPool), base, text, kCopyPool);
}

bool OptionsSession::IsNodeDefaults(const OptionBlock& block) const {
  OptionBlock defaults = block;
  MakeNodeLevelBlock(defaults, m_target, Kind());
  defaults.owner = m_target;
  // Blocks saved before node blocks started empty kept the target's texts.
  return OptionBlocksMatch(defaults, block) || IsDefaultNodeOptions(block, Kind());
}

bool OptionsSession::Commit() {
  if (!m_begun) return false;
  LendTargetCopy(false);
  // A device chosen on the device page changed the record itself.
  bool changed = m_target->toolset != m_savedTargetRec->toolset ||
                 m_target->DEVICE.view() != m_savedTargetRec->DEVICE.view() ||
                 m_target->VENDOR.view() != m_savedTargetRec->VENDOR.view();
  for (const auto& [name, bank] : m_pendingBanks)
    if (GetFileBankNo(name.c_str()) != bank && SetFileBankNo(name.c_str(), bank)) changed = true;
  if (OptionBlocksDiffer(m_targetSnapshot, *m_targetCopy)) {
    if (OptionBlock* real = FindTargetOptions(m_target->pOpts, m_target)) WriteOver(*real, *m_targetCopy);
    changed = true;
  }
  if (m_nodeCopy) {
    const bool nodeChanged = OptionBlocksDiffer(m_nodeSnapshot, *m_nodeCopy);
    if (IsNodeDefaults(*m_nodeCopy)) {
      if (m_ownNodeBlock) {
        DetachOptionBlock(m_node, m_ownNodeBlock);
        changed = true;
      }
    } else if (m_ownNodeBlock) {
      if (nodeChanged) {
        WriteOver(*m_ownNodeBlock, *m_nodeCopy);
        changed = true;
      }
    } else if (nodeChanged) {
      m_nodeCopy->hdrWord |= 1;
      OptionBlock* attached = CloneOptionBlock(m_node, m_nodeCopy);
      attached->owner = m_target;
      changed = true;
    }
  }
  if (FileRec* f = File(); f && f->type != m_savedFileType) changed = true;
  // Only OK makes a device of another family final: Cancel restores the
  // record, and the blocks of the groups and files were never touched.
  DetachNodeBlocksAfterFamilyChange(m_project, m_target, m_savedTargetRec->toolset);
  SelectEditedOptions(m_node);
  m_begun = false;
  return changed;
}

void OptionsSession::Rollback() {
  if (!m_begun) return;
  LendTargetCopy(false);
  OptionBlock* savedBlock = m_savedTargetRec->pOpts;
  TargetRec* next = m_target->next;
  *m_target = *m_savedTargetRec;
  m_target->next = next;
  if (savedBlock) *savedBlock = m_savedTargetBlock;
  if (FileRec* f = File()) f->type = m_savedFileType;
  SelectEditedOptions(m_node);
  m_begun = false;
}

OptionsSession::PreviewScope::PreviewScope(OptionsSession& s, OptionBlock* nodeLevel) : m_s(s) {
  if (!s.m_target) return;
  m_savedTarget = s.m_target->pOpts;
  OptionBlock* targetLevel = s.Kind() == kKindTarget && nodeLevel ? nodeLevel : s.m_targetCopy;
  targetLevel->owner = s.m_target;
  s.m_target->pOpts = targetLevel;
  if (s.m_nodeCopy) {
    m_savedNode = s.m_node->pOpts;
    OptionBlock* level = nodeLevel ? nodeLevel : s.m_nodeCopy;
    level->owner = s.m_target;
    s.m_node->pOpts = level;
  }
}

OptionsSession::PreviewScope::~PreviewScope() {
  if (!m_s.m_target) return;
  m_s.m_target->pOpts = m_savedTarget;
  if (m_s.m_nodeCopy) m_s.m_node->pOpts = m_savedNode;
}

}  // namespace pm2
