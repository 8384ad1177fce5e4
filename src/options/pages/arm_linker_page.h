// The linker page of an ARM target (ARM-GNU and ARM-ADS): section base
// addresses, the linker script or scatter file (stored relative to the
// project folder), libraries, include paths, misc controls and switches,
// with the live preview of the linker's command line built by the build's
// own builder from the page's copy.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "options/core/command_preview.h"
#include "options/pages/option_page.h"
#include "options/pages/preview_view.h"
#include "project/model/option_block.h"

namespace pm2 {

struct ArmLinkerRow;

class ArmLinkerPage : public OptionPage {
  Q_OBJECT
 public:
  ArmLinkerPage(OptionsSheet& sheet, PageId id);
  bool Leave() override;
  void Defaults() override;
  QWidget* Preview() const override { return m_preview; }

  QString PreviewText() const { return m_preview->Text(); }
  QCheckBox* Box(int i) const { return m_boxes[std::size_t(i)]; }
  // The text edits in the row's order (addresses first).
  int EditCount() const { return int(m_edits.size()); }
  QLineEdit* Edit(int i) const { return m_edits[std::size_t(i)]; }
  QLineEdit* ScriptEdit() const { return m_script; }
  QPushButton* ScriptPick() const { return m_pick; }
  QPushButton* ScriptOpen() const { return m_open; }
  const OptionBlock& PageCopy() const { return m_copy; }
  void UpdatePreview();

 protected:
  void Load() override;
  void AfterLoad() override;

 private:
  uint8_t* Flags();
  // The edits' texts into the copy's text fields (the page's own handles).
  void ReadEdits();

  const ArmLinkerRow& m_row;
  OptionBlock m_copy;
  std::vector<QCheckBox*> m_boxes;
  std::vector<QLineEdit*> m_edits;
  QLineEdit* m_script = nullptr;
  QPushButton* m_pick = nullptr;
  QPushButton* m_open = nullptr;
  QPushButton* m_include = nullptr;
  PreviewView* m_preview;
  std::vector<std::string> m_typed;  // the edits' texts while a preview is built
  bool m_initialised = false;
};

}  // namespace pm2
