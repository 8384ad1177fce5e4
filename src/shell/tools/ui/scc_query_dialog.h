// The source-control query: comment, revision and check-point, prefilled
// with the previous command's texts; an edit the command does not ask for
// is disabled. OK keeps the asked texts trimmed and clears the others.
#pragma once

#include <QDialog>
#include <QLineEdit>

#include "shell/tools/tool_frame.h"

namespace pm2 {

class SccQueryDialog : public QDialog {
  Q_OBJECT
 public:
  SccQueryDialog(const SccQueryFlags& flags, const std::string& comment, const std::string& revision,
                 const std::string& checkPoint, QWidget* parent = nullptr);
  QLineEdit* CommentEdit() const { return m_comment; }
  QLineEdit* RevisionEdit() const { return m_revision; }
  QLineEdit* CheckPointEdit() const { return m_checkPoint; }
  // The three texts after OK (a disabled edit gives "").
  void Texts(std::string* comment, std::string* revision, std::string* checkPoint) const;

 private:
  QLineEdit* m_comment = nullptr;
  QLineEdit* m_revision = nullptr;
  QLineEdit* m_checkPoint = nullptr;
};

}  // namespace pm2
