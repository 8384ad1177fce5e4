// The compiler, assembler and linker pages of the 51, 251 and 166 families,
// each made from one table row (family_page_rows.cpp): check boxes of 2-bit
// fields (or single flag bits at target level), lists whose stored value is
// the list position, number and text edits with their checks, the linker
// control file's buttons, and the live preview of the tool's line built by
// the build's own builder from the page's copy.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "options/core/command_preview.h"
#include "options/pages/option_page.h"
#include "options/pages/preview_view.h"
#include "project/model/option_block.h"

namespace pm2 {

class FamilyToolPage;

enum class FamilyKind : uint8_t {
  kBox,      // a 2-bit field: off, on, inherit (grey at group and file level)
  kFlag,     // one bit of a target's flag word, two states
  kList,     // a field holding the list position
  kText,     // an OptString field
  kNumber,   // a number field shown "0x%04X" (the interrupt vector)
  kLinkFile, // the linker control file: flag bit, file name, Create/Browse/Edit
  kShown,    // read-only text the page fills (generated classes)
};

enum class FamilyCheck : uint8_t {
  kNone,
  kDefine, kUndefine, kSet, kReset,  // the list checks of the compiler and assembler pages
  kWarnings,                         // warning numbers 0 to 1000
  kAnyNumber,                        // empty or any number ("Error in Interrupt vector table address")
  kNearRange,                        // a 166 locator range (see family_page_rows.cpp)
  kInitRange,
};

// Which levels enable a control.
enum class FamilyLevel : uint8_t { kAny, kTargetOnly, kNodeOnly };

struct FamilyControl {
  FamilyKind kind = FamilyKind::kBox;
  const char* label = "";
  // A flag word's bit field (boxes, flags, lists; the link file's flag).
  uint32_t (*get)(const OptionBlock&) = nullptr;
  void (*set)(OptionBlock&, uint32_t) = nullptr;
  int shift = 0;
  int width = 2;
  std::vector<const char*> entries{};  // a list's rows
  int targetInherit = -1;  // the list's "<default>" position a target may not take
  bool inverted = false;   // a box that stores 0 when checked
  // Texts: the field, its check, edit limit, trimming, folder list title.
  OptString& (*text)(OptionBlock&) = nullptr;
  FamilyCheck check = FamilyCheck::kNone;
  int limit = 256;
  bool trim = true;
  bool multiLine = false;
  const char* folders = nullptr;  // "..." opens the folder list with this title
  // Numbers: the field and its upper bound.
  uint32_t& (*number)(OptionBlock&) = nullptr;
  uint32_t numberMax = 0;
  const char* numberMessage = nullptr;
  FamilyLevel level = FamilyLevel::kAny;
  // Further enabling by the page's copy (null: always), or by the edited
  // target block when the rule is the target's (a group's own block does
  // not carry the target's tool bits).
  bool (*enabled)(const OptionBlock& copy) = nullptr;
  bool enabledByTarget = false;
};

struct FamilyPageRow {
  PageId id;
  std::vector<FamilyControl> controls;
  void (*writeBack)(OptionBlock& edited, const OptionBlock& page);
  // Defaults: on the edited block (compiler and assembler pages) or on the
  // page's copy (linker pages, reaching the block when the page is left).
  void (*defaults)(OptionBlock& block, const TargetRec* target, int level);
  bool defaultsOnCopy = false;
  // Adjusts the copy right after it was taken (node-level rules).
  void (*afterCopy)(OptionBlock& copy, const OptionBlock& target, bool nodeLevel) = nullptr;
  // Runs after a control changed the copy (before the preview).
  void (*changed)(FamilyToolPage& page, int control) = nullptr;
  // Runs after the preview was built (shows what the builder computed).
  void (*previewed)(FamilyToolPage& page) = nullptr;
  // Enter in a single-line edit closes nothing (the 166 linker pages).
  bool swallowEnter = false;
  // Enter and Escape press OK and Cancel (the plain dialog's keys).
  bool enterCloses = false;
};

const FamilyPageRow* FindFamilyPageRow(PageId id);

class FamilyToolPage : public OptionPage {
  Q_OBJECT
 public:
  FamilyToolPage(OptionsSheet& sheet, const FamilyPageRow& row);

  bool Leave() override;
  void Defaults() override;
  QWidget* Preview() const override { return m_preview; }
  bool EnterClosesSheet() const override { return m_row.enterCloses; }
  QString PreviewText() const { return m_preview ? m_preview->Text() : QString(); }

  const FamilyPageRow& Row() const { return m_row; }
  OptionBlock& Copy() { return m_copy; }
  const OptionBlock& Copy() const { return m_copy; }
  // The target's working copy, and its block as the project stores it.
  const OptionBlock& TargetBlock() const;
  const OptionBlock& StoredTargetBlock() const;
  bool AtNode() const { return NodeLevel(); }
  // The control of a row entry: a QCheckBox, QComboBox, QLineEdit,
  // QPlainTextEdit or (link file) its check box.
  QWidget* Control(int i) const { return m_controls[std::size_t(i)]; }
  int ControlCount() const { return int(m_controls.size()); }
  // The index of the row entry with that label, -1 when none.
  int Find(const char* label) const;
  QPushButton* FolderButton(int i) const { return m_folderButtons[std::size_t(i)]; }
  QPushButton* CreateButton() const { return m_create; }
  QPushButton* BrowseButton() const { return m_browse; }
  QPushButton* EditButton() const { return m_edit; }
  // A text control's current text, and setting it without a preview.
  std::string TextOf(int i) const;
  void SetTextQuietly(int i, const std::string& text);
  // A list's entries again (the rows it shows may depend on the copy).
  void FillList(int i, int count);
  void UpdatePreview();
  void UpdateEnabling();
  // The builder's marked part of the last preview ("" when none).
  std::string MarkedPreviewPart() const { return m_marked; }
  bool LinkFileChecked() const;

 protected:
  void Load() override;
  void AfterLoad() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ReadControl(int i);
  void LoadControls();
  void CreateLinkFile();
  void BrowseLinkFile();
  void EditLinkFile();
  void ShowLinkFileLabel();
  bool CheckText(int i, const std::string& text);
  OptionBlock* EditedBlock() const;

  const FamilyPageRow& m_row;
  PreviewTool m_tool = PreviewTool::kNone;
  OptionBlock m_copy;
  bool m_keepCopy = false;  // the next load keeps the copy (defaults on the copy)
  std::vector<QWidget*> m_controls;
  std::vector<QPushButton*> m_folderButtons;
  PreviewView* m_preview = nullptr;
  std::string m_marked;
  std::string m_linkFile;  // the link file's name as stored (relative)
  int m_linkIndex = -1;
  QPushButton* m_create = nullptr;
  QPushButton* m_browse = nullptr;
  QPushButton* m_edit = nullptr;
};

}  // namespace pm2
