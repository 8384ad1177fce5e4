// The document's questions as message boxes of the program.
#pragma once

#include "editor/document/document_services.h"

class QWidget;

namespace pm2 {

class MessageBoxQuestions : public DocumentQuestions {
 public:
  // `parent` (may be null) owns the boxes; `title` is their caption.
  explicit MessageBoxQuestions(QWidget* parent = nullptr, const char* title = "Pelmora2");
  Answer AskSaveChanges(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  void ShowError(const std::string& text) override;

 private:
  QWidget* m_parent;
  const char* m_title;
};

}  // namespace pm2
