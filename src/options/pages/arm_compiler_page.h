// The compiler and assembler pages of the ARM toolsets (ARM-GNU and
// ARM-ADS), at target, group and file level: the tool's yes/no options
// (three states below the target) and choices, Define, Undefine, include
// paths and misc controls, and the live preview of the tool's command line
// built by the build's own builder from the page's copy.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <vector>

#include "options/core/command_preview.h"
#include "options/pages/option_page.h"
#include "options/pages/preview_view.h"
#include "project/model/option_block.h"

namespace pm2 {

struct ArmToolRow;

// The four texts of every ARM compiler and assembler page.
enum ArmToolText : int { kArmDefine, kArmUndefine, kArmInclude, kArmMisc, kArmTextCount };

class ArmToolPage : public OptionPage {
  Q_OBJECT
 public:
  ArmToolPage(OptionsSheet& sheet, PageId id);
  bool Leave() override;
  void Defaults() override;
  QWidget* Preview() const override { return m_preview; }

  QString PreviewText() const { return m_preview->Text(); }
  QLineEdit* Text(ArmToolText t) const { return m_texts[std::size_t(t)]; }
  // The controls of the row's fields, in the row's order.
  int FieldCount() const { return int(m_fields.size()); }
  QWidget* Field(int i) const { return m_fields[std::size_t(i)]; }
  const OptionBlock& PageCopy() const { return m_copy; }
  void UpdatePreview();

 protected:
  void Load() override;
  void AfterLoad() override { UpdatePreview(); }

 private:
  void ReadField(int i);

  const ArmToolRow& m_row;
  PreviewTool m_tool;
  OptionBlock m_copy;
  std::vector<QWidget*> m_fields;
  std::array<QLineEdit*, kArmTextCount> m_texts{};
  QPushButton* m_includeButton = nullptr;
  PreviewView* m_preview;
};

}  // namespace pm2
