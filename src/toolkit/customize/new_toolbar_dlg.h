#pragma once
// SECNewToolBar: asks for the name of a new toolbar. OK is enabled only for
// a non-empty name; a longer name than a toolbar keeps is cut as it is
// typed.

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;

namespace pm2 {

class SECNewToolBar : public QDialog {
 public:
  explicit SECNewToolBar(QWidget* parent = nullptr);
  std::string Name() const { return m_strName; }
  QLineEdit* NameEdit() const { return m_edit; }
  QPushButton* OkButton() const { return m_ok; }

 private:
  void NameChanged();
  std::string m_strName;
  QLineEdit* m_edit;
  QPushButton* m_ok;
};

}  // namespace pm2
