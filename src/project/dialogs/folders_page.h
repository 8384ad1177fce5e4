// PgFold: the folders and extensions page of the sheet: the tool folders of
// the current target's toolset, the target's own folders, the ARM tool
// chain and its folders, and the six file-type filters. It edits the
// sheet's copy only (folders_edit.h).
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

#include "project/edit/folders_edit.h"
#include "toolkit/controls/browse_edit.h"

namespace pm2 {

class FoldersPage : public QWidget {
  Q_OBJECT
 public:
  FoldersPage(ProjectSheetCopy& copy, int armSelect, QWidget* parent = nullptr);

  // Becoming active: the fields from the copy.
  void Activate();
  // Leaving: false (beep, message, focus) for an invalid filter.
  bool Leave();

  SECBrowseDirEdit* Folder(int i) const { return m_dirs[i]; }  // kFolder... order
  QLineEdit* Filter(int i) const { return m_filters[i]; }      // SheetFilter order
  QRadioButton* ArmGnu() const { return m_gnu; }
  QRadioButton* ArmAds() const { return m_ads; }

  enum FolderIndex { kRoot, kBin, kInc, kLib, kReg, kGnuMaker, kGnuFolder, kAdsMaker, kAdsFolder, kFolderCount };

 private:
  void UpdateEnabling();
  void OnRadio(bool gnu);

  ProjectSheetCopy& m_copy;
  int m_armSelect;
  SECBrowseDirEdit* m_dirs[kFolderCount] = {};
  QLineEdit* m_filters[kSheetFilterCount] = {};
  unsigned m_edited = 0;
  QCheckBox* m_useEnv = nullptr;
  QRadioButton* m_gnu = nullptr;
  QRadioButton* m_ads = nullptr;
  bool m_filling = false;
};

}  // namespace pm2
