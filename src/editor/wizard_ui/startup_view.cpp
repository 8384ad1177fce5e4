#include "editor/wizard_ui/startup_view.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/document/editor_document.h"
#include "editor/engine/edit_host.h"
#include "editor/wizard/option_writeback.h"
#include "editor/wizard_ui/options_tree.h"

namespace pm2 {

CStartupView::CStartupView(EditorDocument* doc, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_tree(new COptionsTree(this)), m_button(new QPushButton("Text Editor", this)) {
  setObjectName("StartupView");
  m_button->setObjectName("TextEditorButton");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 4);
  layout->setSpacing(4);
  layout->addWidget(m_tree, 1);
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(4, 0, 4, 0);
  buttons->addWidget(m_button);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(m_button, &QPushButton::clicked, this, &CStartupView::textEditorRequested);
  connect(m_tree, &COptionsTree::rowChanged, this, &CStartupView::WriteBack);
  m_doc->AddView(this);
}

CStartupView::~CStartupView() { LeaveDocument(); }

void CStartupView::LeaveDocument() {
  if (!m_inDocument) return;
  m_inDocument = false;
  m_doc->RemoveView(this);
}

bool CStartupView::Load() {
  OptionsIdMap map;
  COptionNode* root = LoadOptionsText(map, m_doc->Text().GetText(), false);
  m_reports = map.Reports();
  OptionRows rows;
  if (m_reports.empty()) rows.Build(root);
  m_tree->SetRows(rows);
  return root && m_reports.empty();
}

void CStartupView::OnDocumentHint(uint32_t hint) {
  if (m_writing) return;
  if (hint == kHintTextChanged || hint == kHintLinesDeleted) Load();
}

void CStartupView::WriteBack(int row) {
  CEditTextBuffer& text = m_doc->Text();
  WriteBackPlan plan = PlanWriteBack(text.GetText(), m_tree->Rows().Row(row));
  if (text.IsReadOnly()) {
    // The text cannot take the value: the tree shows what the file holds.
    QApplication::beep();
    Load();
    return;
  }
  if (!plan.error.empty()) {
    // Nothing was written: the tree goes back to what the file holds.
    Load();
    if (m_error) m_error(plan.error);
    return;
  }
  std::vector<LineEdit>& edits = plan.edits;
  if (edits.empty()) return;
  std::sort(edits.begin(), edits.end(),
            [](const LineEdit& a, const LineEdit& b) { return a.line != b.line ? a.line > b.line : a.index > b.index; });
  text.BeginUndoGroup(1);
  for (const LineEdit& e : edits) {
    EditPos at{text.GetLine(e.line), e.index};
    if (e.length > 0) text.DeleteChars(at, e.length, true);
    text.InsertText(at, e.text.data(), int(e.text.size()), true);
  }
  text.BeginUndoGroup(0);
  m_writing = true;
  m_doc->UpdateAllViews(kHintTextChanged, this);
  for (DocumentView* v : m_doc->Views()) v->TitleChanged();
  m_writing = false;
}

}  // namespace pm2
