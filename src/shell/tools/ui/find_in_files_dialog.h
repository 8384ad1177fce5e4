// "Find in Files": the find text, the file types and the folder, each a
// combo box with its history, the four options and a folder browser. OK
// is enabled while all three texts are set; with a regular expression,
// match case and whole word are off.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>

#include "shell/tools/find_history.h"

namespace pm2 {

class SettingsStore;

class FindInFilesDialog : public QDialog {
  Q_OBJECT
 public:
  // `preset`: the word at the caret; `projectFolder`: the folder of a
  // project read since the last search, or empty.
  FindInFilesDialog(SettingsStore& store, const std::string& preset, const std::string& projectFolder,
                    QWidget* parent = nullptr);

  // The request after OK.
  const FindInFilesRequest& Request() const { return m_request; }

  QComboBox* FindCombo() const { return m_find; }
  QComboBox* TypesCombo() const { return m_types; }
  QComboBox* FolderCombo() const { return m_folder; }
  QCheckBox* RegexBox() const { return m_regex; }
  QCheckBox* MatchCaseBox() const { return m_matchCase; }
  QCheckBox* WholeWordBox() const { return m_wholeWord; }
  QPushButton* FindButton() const { return m_ok; }

  void accept() override;

 private:
  void UpdateState();
  void Browse();

  SettingsStore& m_store;
  FindDialogState m_state;
  FindInFilesRequest m_request;
  QComboBox* m_find = nullptr;
  QComboBox* m_types = nullptr;
  QComboBox* m_folder = nullptr;
  QCheckBox* m_subfolders = nullptr;
  QCheckBox* m_regex = nullptr;
  QCheckBox* m_matchCase = nullptr;
  QCheckBox* m_wholeWord = nullptr;
  QPushButton* m_ok = nullptr;
};

}  // namespace pm2
