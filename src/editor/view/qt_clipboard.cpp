#include "editor/view/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace pm2 {

bool QtEditClipboard::HasText() const {
  const QMimeData* d = QGuiApplication::clipboard()->mimeData();
  return d && d->hasText();
}

std::optional<std::string> QtEditClipboard::GetText() const {
  if (!HasText()) return std::nullopt;
  QByteArray bytes = QGuiApplication::clipboard()->text().toLatin1();
  return std::string(bytes.constData(), size_t(bytes.size()));
}

bool QtEditClipboard::SetText(const std::string& text) {
  QGuiApplication::clipboard()->setText(QString::fromLatin1(text.data(), qsizetype(text.size())));
  return true;
}

}  // namespace pm2
