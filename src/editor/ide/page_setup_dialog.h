// The page set-up dialog: header and footer templates ("&f" the file name,
// "&p" the page number, time fields as strftime writes them) and for each
// the time it shows: the file's or the time of printing.
#pragma once

#include <QDialog>

#include "editor/document/page_setup.h"

class QLineEdit;
class QRadioButton;

namespace pm2 {

class SettingsStore;

class PageSetupDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PageSetupDialog(const PageSetup& setup, QWidget* parent = nullptr);
  PageSetup Result() const;

  QLineEdit* HeaderEdit() const { return m_header; }

 private:
  QLineEdit* m_header;
  QLineEdit* m_footer;
  QRadioButton* m_headerSystem;
  QRadioButton* m_footerSystem;
};

// The page-setup command: loads the set-up, runs the dialog and writes the
// set-up back on OK. True when it was written.
bool RunPageSetup(SettingsStore& settings, QWidget* parent);

}  // namespace pm2
