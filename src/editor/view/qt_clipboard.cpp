#include "editor/view/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringDecoder>

#include "editor/text/windows_1252.h"

namespace pm2 {

namespace {
std::string FromByteArray(const QByteArray& b) { return std::string(b.constData(), size_t(b.size())); }
QByteArray ToByteArray(const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); }
}  // namespace

QString EditTextForOthers(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(ToByteArray(bytes));
  if (!utf8.hasError()) return text;
  return QString::fromStdString(Windows1252ToUtf8(bytes));
}

void PutEditText(QMimeData* data, const std::string& bytes) {
  data->setData(QString::fromLatin1(kEditBytesMime), ToByteArray(bytes));
  data->setText(EditTextForOthers(bytes));
}

bool HasEditText(const QMimeData* data) {
  return data && (data->hasFormat(QString::fromLatin1(kEditBytesMime)) || data->hasText());
}

std::optional<std::string> TakeEditText(const QMimeData* data, std::size_t* lost) {
  if (lost) *lost = 0;
  if (!data) return std::nullopt;
  if (data->hasFormat(QString::fromLatin1(kEditBytesMime)))
    return FromByteArray(data->data(QString::fromLatin1(kEditBytesMime)));
  if (!data->hasText()) return std::nullopt;
  return Utf8ToWindows1252(FromByteArray(data->text().toUtf8()), lost);
}

QString EditPaintText(const char* bytes, qsizetype n) {
  QString text(n, Qt::Uninitialized);
  QChar* out = text.data();
  for (qsizetype i = 0; i < n; ++i) out[i] = QChar(char16_t(Windows1252Char(static_cast<unsigned char>(bytes[i]))));
  return text;
}

QString EditFieldText(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string EditFieldBytes(const QString& text) {
  for (QChar c : text)
    if (c.unicode() > 0xFF) return FromByteArray(text.toUtf8());
  return FromByteArray(text.toLatin1());
}

bool QtEditClipboard::HasText() const { return HasEditText(QGuiApplication::clipboard()->mimeData()); }

std::optional<std::string> QtEditClipboard::GetText() const {
  std::size_t lost = 0;
  std::optional<std::string> text = TakeEditText(QGuiApplication::clipboard()->mimeData(), &lost);
  if (lost > 0 && onLostCharacters) onLostCharacters(lost);
  return text;
}

bool QtEditClipboard::SetText(const std::string& text) {
  auto* data = new QMimeData;
  PutEditText(data, text);
  QGuiApplication::clipboard()->setMimeData(data);
  return true;
}

}  // namespace pm2
