#include "editor/wizard_ui/startup_wizard_host.h"

#include <algorithm>

#include "editor/document/editor_document.h"
#include "editor/ide/editor_panes.h"
#include "editor/ide/editor_view.h"
#include "editor/wizard/options_parser.h"
#include "editor/wizard_ui/options_tree.h"
#include "editor/wizard_ui/startup_view.h"

namespace pm2 {

StartupWizardHost::StartupWizardHost(EditorDocument* doc, EditorPanes* panes, StartupWizardHooks hooks,
                                     QWidget* parent)
    : QStackedWidget(parent), m_doc(doc), m_panes(panes), m_hooks(std::move(hooks)) {
  addWidget(m_panes);
  setCurrentWidget(m_panes);
}

StartupWizardHost::~StartupWizardHost() {
  // The document may go with the panes (the window's owner frees it once
  // they are destroyed), and the children go in the order they came, the
  // panes first: the wizard view leaves the document before.
  delete m_wizard;
}

bool StartupWizardHost::ShowsWizard() const {
  return m_wizard && currentWidget() == static_cast<QWidget*>(m_wizard);
}

bool StartupWizardHost::Offered() const { return HasOptionsBlockText(m_doc->Text().GetText()); }

bool StartupWizardHost::ShowWizard() {
  if (!Offered()) {
    if (m_hooks.beep) m_hooks.beep();
    return false;
  }
  if (!m_wizard) {
    m_wizard = new CStartupView(m_doc, this);
    addWidget(m_wizard);
    connect(m_wizard, &CStartupView::textEditorRequested, this, &StartupWizardHost::ShowText);
    m_wizard->SetErrorSink(m_hooks.showError);
  }
  if (!m_wizard->Load()) {
    const std::vector<OptionsReport> reports = m_wizard->Reports();
    ShowText();
    // Each report names the file too: the boxes come before the text does,
    // and nothing of it was changed.
    const std::string path = m_doc->Path();
    const std::string file = path.empty() ? std::string() : "\n\nThe file '" + path + "' is left as it is.";
    for (const OptionsReport& r : reports)
      if (m_hooks.showError) m_hooks.showError(OptionsErrorText(r.line, r.message) + file);
    if (!reports.empty()) ShowTextAtLine(reports.front().line);
    return false;
  }
  setCurrentWidget(m_wizard);
  m_wizard->Tree()->Tree()->setFocus();
  emit viewChanged();
  return true;
}

void StartupWizardHost::ShowText() {
  setCurrentWidget(m_panes);
  if (m_wizard) {
    // The wizard view leaves the document's views now, not later.
    CStartupView* w = m_wizard;
    m_wizard = nullptr;
    removeWidget(w);
    w->hide();
    w->deleteLater();
    w->LeaveDocument();
  }
  if (EditorView* v = m_panes->ActiveView()) v->setFocus();
  emit viewChanged();
}

void StartupWizardHost::ShowTextAtLine(int line) {
  EditorView* v = m_panes->ActiveView();
  if (!v || line < 1) return;
  CEditTextBuffer& text = m_doc->Text();
  line = std::min(line, text.GetLineCount());
  v->GotoLineCentered(line, 0);
  // The faulty line is selected, the caret at its start.
  CEditLine* p = text.GetLine(line);
  v->Engine().SetSelection({p, text.ContentLength(p)}, {p, 0}, false);
  v->viewport()->update();
  v->setFocus();
}

}  // namespace pm2
