#pragma once
// SECListEdit: the in-place label editor of the list and tree controls.
// Return commits when labels stay on one line (with wrapping labels it
// types a line break); Escape cancels; losing the focus commits.

#include <QPlainTextEdit>

namespace pm2 {

class SECListClient;

class SECListEdit : public QPlainTextEdit {
  Q_OBJECT
 public:
  SECListEdit(SECListClient* client, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  SECListClient* m_client;
};

}  // namespace pm2
