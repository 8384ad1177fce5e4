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
  // At most this many characters (0: no limit): typing more is refused
  // with a beep, pasted text is cut to fit.
  void SetLimitText(int characters) { m_limit = characters; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // Characters that fit in place of the selection.
  int Room() const;
  SECListClient* m_client;
  int m_limit = 0;
};

}  // namespace pm2
