// The tool pages of the toolsets, made from one table row each: the tool's
// text fields (Define, Undefine, Set, Reset lists with their checks,
// include paths with the folder list dialog, misc controls), its yes/no
// options as 2-bit fields, its choices, and the live preview of the tool's
// command line built from the page's copy. A row names the sub-record the
// page writes back and its defaults. The family issue adds the rest of
// each tool's controls to the rows.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "options/core/command_preview.h"
#include "options/core/list_check.h"
#include "options/pages/option_page.h"
#include "options/pages/preview_view.h"
#include "project/model/option_block.h"

namespace pm2 {

struct ToolTextField {
  const char* label;
  int list;      // -1 a plain text, else a ListMode
  bool folders;  // "..." opens the folder list
  OptString& (*field)(OptionBlock&);
};

// A bit field of a flag word of the block.
struct ToolWordField {
  const char* label;
  uint32_t (*get)(const OptionBlock&);
  void (*set)(OptionBlock&, uint32_t);
  int shift;
  int width;                      // 2 for a yes/no option
  std::vector<const char*> rows;  // a choice's rows for values 1, 2 ... (0 is "<default>")
};

struct ToolPageRow {
  PageId id;
  std::vector<ToolWordField> words;
  std::vector<ToolTextField> texts;
  void (*writeBack)(OptionBlock& edited, const OptionBlock& page);
  void (*defaults)(OptionBlock& edited, const TargetRec* target, int level);
};

// The row of a page id, or null.
const ToolPageRow* FindToolPageRow(PageId id);

class ToolPage : public OptionPage {
  Q_OBJECT
 public:
  ToolPage(OptionsSheet& sheet, PageId id, const ToolPageRow* row);

  bool Leave() override;
  void Defaults() override;
  QWidget* Preview() const override { return m_preview; }
  // The preview's text.
  QString PreviewText() const { return m_preview ? m_preview->Text() : QString(); }
  QLineEdit* TextEdit(int i) const { return m_texts[std::size_t(i)]; }
  QLineEdit* ClockEdit() const { return m_clock; }
  QWidget* WordControl(int i) const { return m_words[std::size_t(i)]; }
  QPushButton* FolderButton(int i) const { return m_folderButtons[std::size_t(i)]; }
  const OptionBlock& PageCopy() const { return m_copy; }
  // Rebuilds the preview from the controls (after every change).
  void UpdatePreview();

 protected:
  void Load() override;
  void AfterLoad() override { UpdatePreview(); }

 private:
  void ReadWord(int i);
  OptionBlock* EditedBlock() const;

  const ToolPageRow* m_row;
  PreviewTool m_tool = PreviewTool::kNone;
  OptionBlock m_copy;
  std::vector<QWidget*> m_words;
  std::vector<QLineEdit*> m_texts;
  std::vector<QPushButton*> m_folderButtons;
  PreviewView* m_preview = nullptr;
  std::vector<std::string> m_previewTexts;  // the edits' texts, kept up to date by their changes
  std::vector<OptString> m_savedTexts;      // the stored ones meanwhile
  QLineEdit* m_clock = nullptr;
};

}  // namespace pm2
