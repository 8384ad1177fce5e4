// The configuration wizard: a second view of an editor document whose text
// carries an options block. It shows the block as a tree of options; a
// value changed in the tree is written back into the document's text at
// once (the option's DEFAULT clause and the code symbol its KEY names), as
// one undoable edit, so that saving the document saves it. The button
// "Text Editor" goes back to the text.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "editor/document/document_services.h"
#include "editor/wizard/options_parser.h"

class QPushButton;

namespace pm2 {

class COptionsTree;
class EditorDocument;

class CStartupView : public QWidget, public DocumentView {
  Q_OBJECT
 public:
  static constexpr int kTextEditorButton = 1223;

  explicit CStartupView(EditorDocument* doc, QWidget* parent = nullptr);
  ~CStartupView() override;

  // Reads the block from the document's text into the tree. False (and an
  // empty tree) when the text has no block or its parse reported problems.
  bool Load();
  const std::vector<OptionsReport>& Reports() const { return m_reports; }
  COptionsTree* Tree() const { return m_tree; }
  QPushButton* TextEditorButton() const { return m_button; }
  EditorDocument& Document() const { return *m_doc; }
  // Where a refused write-back is told (a message box in the program).
  void SetErrorSink(std::function<void(const std::string&)> sink) { m_error = std::move(sink); }
  // Leaves the document's views now; the view may go later, when the
  // document may be gone.
  void LeaveDocument();

  // ---- DocumentView: another view changed the text, so the tree reads it again.
  void OnDocumentHint(uint32_t hint) override;
  void InitialUpdate() override { Load(); }

 signals:
  // Command 1223: back to the text editor.
  void textEditorRequested();

 private:
  void WriteBack(int row);

  EditorDocument* m_doc;
  COptionsTree* m_tree;
  QPushButton* m_button;
  std::vector<OptionsReport> m_reports;
  bool m_writing = false;  // our own edit is going round the views
  bool m_inDocument = true;
  std::function<void(const std::string&)> m_error;
};

}  // namespace pm2
