// A line edit's length limit that refuses instead of cutting. Qt's line
// edit takes the first characters of a paste or a drop that would pass its
// limit and drops the rest without a word, and its setText cuts a longer
// text. A guarded edit gives back what it held before such an insertion
// and tells its page, which names the field; a text put into it by the
// page itself (a folder list, a chosen file) goes through Put, which
// refuses a text longer than the limit instead of cutting it.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "options/core/field_text.h"  // TooLongRefusal

class QLineEdit;

namespace pm2 {

class EditLimit : public QObject {
  Q_OBJECT
 public:
  // Guards the edit with its present limit as the base limit. `typed`
  // runs with the limit that a key, paste or drop met, after the edit
  // holds its text again; `put` with the limit a text given to Put passed.
  EditLimit(QLineEdit* edit, std::function<void(int limit)> typed, std::function<void(int limit)> put);

  // The guard of an edit, or null.
  static EditLimit* Of(const QLineEdit* edit);

  // The limit the page gave the edit.
  int BaseLimit() const { return m_base; }
  // The edit's limit for a text it is given: the base limit, or the
  // text's length when it is longer (a stored text is shown whole).
  void FitTo(const QString& text);
  // Sets the text unless it is longer than the limit; false then, the
  // edit unchanged and `put` told.
  bool Put(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Rejected();
  void GiveBack();

  QLineEdit* m_edit;
  int m_base;
  std::function<void(int)> m_typed;
  std::function<void(int)> m_put;
  QString m_before;      // the text as it was before the change being made
  int m_cursorBefore = 0;
  bool m_pending = false;  // an insertion was cut; it is undone once it ends
};

}  // namespace pm2
