// The editor's text at the edge of the program. The text is bytes and is
// never re-encoded inside; leaving the program it is offered twice: as the
// exact bytes under a type of our own (so a copy and paste or a drag
// between our windows gives back every byte), and as ordinary text for
// other programs (UTF-8 when the bytes are valid UTF-8, else Windows-1252).
// Text arriving from another program comes in as Windows-1252 bytes, a
// character the code page lacks as '?'.
#pragma once

#include <QString>
#include <cstddef>
#include <functional>

#include "editor/engine/edit_host.h"

class QMimeData;

namespace pm2 {

// The MIME type that carries the exact bytes between our own windows.
inline constexpr const char kEditBytesMime[] = "application/x-pm2-editor-bytes";

// Fills mime data with the bytes and their text form.
void PutEditText(QMimeData* data, const std::string& bytes);
// The bytes of mime data: ours exactly, another program's text as
// Windows-1252 (*lost, when given, counts its characters that became '?');
// none without text.
std::optional<std::string> TakeEditText(const QMimeData* data, std::size_t* lost = nullptr);
bool HasEditText(const QMimeData* data);
// The text form of bytes shown outside the editor's own painting.
QString EditTextForOthers(const std::string& bytes);

// Field texts (find and replace boxes) shown as the editor shows bytes,
// one character per byte, and read back to the same bytes; a character
// beyond one byte makes the whole field UTF-8 rather than '?'.
QString EditFieldText(const std::string& bytes);
std::string EditFieldBytes(const QString& text);

// The editor's bytes as the editor draws them: one character per byte, the
// code page's characters for 0x80 to 0x9F ("€" for 0x80).
QString EditPaintText(const char* bytes, qsizetype n);

class QtEditClipboard : public EditClipboard {
 public:
  // Told, once per text taken, how many of another program's characters
  // the 8-bit text could not hold (they became '?').
  std::function<void(std::size_t lost)> onLostCharacters;

  bool HasText() const override;
  std::optional<std::string> GetText() const override;
  bool SetText(const std::string& text) override;
};

}  // namespace pm2
