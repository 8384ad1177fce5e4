#include "shell/output/out_edv.h"

#include <QKeyEvent>
#include <algorithm>
#include <QTextBlock>

#include "builder/runner/output_lines.h"
#include "project/model/app_state.h"
#include "shell/output/out_view.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

COedit::COedit(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setUndoRedoEnabled(false);
}

void COedit::keyPressEvent(QKeyEvent* e) {
  static constexpr int kPassed[] = {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_End,  Qt::Key_Home,
                                    Qt::Key_Left,   Qt::Key_Right,    Qt::Key_Up,   Qt::Key_Down};
  const bool passed = (e->modifiers() & Qt::ControlModifier) || std::find(std::begin(kPassed), std::end(kPassed),
                                                                           e->key()) != std::end(kPassed);
  if (passed) QPlainTextEdit::keyPressEvent(e);
  else e->accept();
}

void COedit::mouseDoubleClickEvent(QMouseEvent* e) {
  QPlainTextEdit::mouseDoubleClickEvent(e);
  if (onDoubleClick) onDoubleClick();
}

COutEdv::COutEdv(ShellServices& shell, QWidget* parent) : QWidget(parent), shell_(shell), edit_(new COedit(this)) {
  edit_->setFont(COutView::DefaultFont());
  edit_->onDoubleClick = [this] { JumpFromCaretLine(); };
}

void COutEdv::resizeEvent(QResizeEvent*) { edit_->setGeometry(rect()); }

void COutEdv::SetText(const std::string& text) { edit_->setPlainText(ToQString(text)); }

void COutEdv::AppendText(const std::string& line) { edit_->appendPlainText(ToQString(line)); }

std::string COutEdv::Text() const { return FromQString(edit_->toPlainText()); }

void COutEdv::JumpFromCaretLine() {
  const std::vector<std::string> line{FromQString(edit_->textCursor().block().text())};
  if (!jump_) {
    shell_.Beep();
    return;
  }
  pm2::JumpToMessageSource(line, 0, 0, shell_, *jump_);
}

}  // namespace pm2
