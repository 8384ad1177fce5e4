// Loads arbitrary bytes as a text file, makes a few edits driven by the
// input, and checks that undoing them gives the loaded text back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "editor/text/text_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pm2::CEditTextBuffer b;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (b.LoadFromBytes(bytes) != 0) return 0;
  std::string loaded = b.GetText();
  for (size_t i = 0; i + 3 < size && i < 64; i += 4) {
    pm2::CEditLine* l = b.GetLine(1 + data[i] % (b.GetLineCount() + 1));
    pm2::EditPos p{l, data[i + 1] % 40};
    switch (data[i + 2] % 6) {
      case 0: b.InsertChar(p, data[i + 3], true, true); break;
      case 1: b.DeleteChars(p, 1 + data[i + 3] % 5, true); break;
      case 2: b.SplitLine(p, true); break;
      case 3: b.JoinLines(p, true); break;
      case 4: b.DeleteRange(p, {b.GetLine(l->m_nLine + 1), data[i + 3] % 9}, true); break;
      default: b.InsertText(p, "a\r\nb", 4, true); break;
    }
  }
  while (b.Undo()) {
  }
  if (b.GetText() != loaded) __builtin_trap();
  return 0;
}
