// What an editor window shows of its document: the text panes, or the
// configuration wizard when the text opens with an options block. The
// wizard is offered for such files: the window opens in it, the text's
// context menu has "Open in Startup Editor", the wizard's "Text Editor"
// button goes back. Both show the same document, so edits and the modified
// flag carry over. A block with errors shows each report in a message box
// and then the text at the first report's line.
#pragma once

#include <QStackedWidget>
#include <functional>
#include <string>

namespace pm2 {

class CStartupView;
class EditorDocument;
class EditorPanes;

struct StartupWizardHooks {
  // One message box per report ("Syntax error in Options Block - line N: ...").
  std::function<void(const std::string& text)> showError;
  std::function<void()> beep;
};

class StartupWizardHost : public QStackedWidget {
  Q_OBJECT
 public:
  StartupWizardHost(EditorDocument* doc, EditorPanes* panes, StartupWizardHooks hooks, QWidget* parent = nullptr);
  ~StartupWizardHost() override;

  // Whether the document's text opens with an options block.
  bool Offered() const;
  // Shows the wizard; true when it shows. A text without a block beeps.
  bool ShowWizard();
  // Back to the text panes (the wizard view goes).
  void ShowText();
  bool ShowsWizard() const;
  CStartupView* Wizard() const { return m_wizard; }
  EditorPanes* Panes() const { return m_panes; }

 signals:
  // The wizard or the text came to the front.
  void viewChanged();

 private:
  void ShowTextAtLine(int line);

  EditorDocument* m_doc;
  EditorPanes* m_panes;
  StartupWizardHooks m_hooks;
  CStartupView* m_wizard = nullptr;
};

}  // namespace pm2
