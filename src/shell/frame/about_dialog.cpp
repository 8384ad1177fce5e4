#include "shell/frame/about_dialog.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

AboutDialog::AboutDialog(const std::string& text, QWidget* parent) : QDialog(parent) {
  setObjectName("AboutDialog");
  setWindowTitle("About Pelmora2");
  auto* layout = new QVBoxLayout(this);
  m_text = new QPlainTextEdit(this);
  m_text->setObjectName("AboutText");
  m_text->setReadOnly(true);
  m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_text->setPlainText(ToQString(text));
  layout->addWidget(m_text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  resize(520, 300);
  // Text already on the clipboard is replaced, so that the versions can be
  // pasted into a report; other clipboard contents are left alone.
  QClipboard* clip = QGuiApplication::clipboard();
  if (clip && !clip->text().isEmpty()) clip->setText(ToQString(text));
}

}  // namespace pm2
