#include "project/dialogs/dialog_services.h"

#include <QFont>
#include <QFrame>
#include <QString>
#include <QWidget>

#include "project/model/app_state.h"

namespace pm2 {

void Beep() { theApp().Shell().Beep(); }

void RefuseWithMessage(const std::string& text) {
  Beep();
  if (!text.empty()) theApp().Shell().MessageBox(text, kMbOk | kMbIconExclamation);
}

bool AskYesNo(const std::string& text, bool beepFirst) {
  if (beepFirst) Beep();
  return theApp().Shell().MessageBox(text, kMbYesNo | kMbIconQuestion) == kIdYes;
}

// Stored text is 8-bit and never re-encoded; the GUI shows it as local text.
std::string ToLocal(const QString& s) { return s.toLocal8Bit().toStdString(); }
QString FromLocal(const std::string& s) { return QString::fromLocal8Bit(s.data(), qsizetype(s.size())); }

void PlaceInSunkenFrame(QWidget* parent, int x, int y, int w, int h, QWidget* child) {
  auto* frame = new QFrame(parent);
  frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  frame->setGeometry(x, y, w, h);
  child->setParent(frame);
  child->setGeometry(2, 2, w - 4, h - 4);
}

void UseDialogFont(QWidget* w) {
  QFont f = w->font();
  f.setPointSize(9);
  w->setFont(f);
}

}  // namespace pm2
