// COutPg: where and under which name a 51, 251 or 166 target's output
// goes, executable or library, debug and browse information, the hex file
// with its format and address range, and what runs after a build. Edits
// the target's working copy; the checks on leaving keep the page open on
// the failing field and the block unchanged.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "options/pages/option_page.h"

namespace pm2 {

// Where the hex range lives in the output sub-record.
inline constexpr int kHexStartWord = 0, kHexEndWord = 1, kHexOffsetWord = 2;

class OutputPage : public OptionPage {
  Q_OBJECT
 public:
  explicit OutputPage(OptionsSheet& sheet);
  bool Leave() override;
  void Defaults() override;

  QLineEdit* Name() const { return m_name; }
  QRadioButton* Executable() const { return m_exe; }
  QRadioButton* Library() const { return m_lib; }
  QCheckBox* HexBox() const { return m_hex; }
  QComboBox* HexFormat() const { return m_hexFormat; }
  QLineEdit* Start() const { return m_start; }
  QLineEdit* End() const { return m_end; }
  QLineEdit* Fill() const { return m_fill; }
  QLineEdit* Offset() const { return m_offset; }
  // The labels of start, end, fill byte and offset, in that order.
  QLabel* RangeLabel(int i) const {
    const std::array<QLabel*, 4> labels{m_startLabel, m_endLabel, m_fillLabel, m_offsetLabel};
    return labels[std::size_t(i)];
  }
  QLineEdit* Program(int i) const { return m_prog[i]; }
  QPushButton* FolderButton() const { return m_folderButton; }
  QPushButton* ProgramBrowse(int i) const { return m_progBrowse[i]; }
  const std::string& Folder() const { return m_folder; }

 protected:
  void Load() override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  OptionBlock& Block() const;
  void EnableByKind();
  void UpdateRadioTexts();
  bool CheckName();
  bool CheckHex();
  bool CheckOffset();
  bool RefuseNumber(QLineEdit* field);
  bool Extended51() const;

  QLineEdit* m_name;
  QRadioButton* m_exe;
  QRadioButton* m_lib;
  QCheckBox* m_debug;
  QCheckBox* m_browse;
  QCheckBox* m_hex;
  QComboBox* m_hexFormat;
  QLineEdit* m_start;
  QLineEdit* m_end;
  QLineEdit* m_fill;
  QLineEdit* m_offset;
  QLabel* m_startLabel;
  QLabel* m_endLabel;
  QLabel* m_fillLabel;
  QLabel* m_offsetLabel;
  QCheckBox* m_merge;
  QCheckBox* m_beep;
  QCheckBox* m_startDebug;
  QCheckBox* m_run[2];
  QLineEdit* m_prog[2];
  QPushButton* m_progBrowse[2];
  QPushButton* m_folderButton;
  QCheckBox* m_batch;
  QCheckBox* m_runDebugger;
  std::string m_folder;  // the output folder, written back on leaving
};

}  // namespace pm2
