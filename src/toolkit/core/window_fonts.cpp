#include "toolkit/core/window_fonts.h"

#include <algorithm>
#include <cstring>

namespace pm2 {

namespace {

// Fields written and read in the same order; the static_asserts below tie
// the walk to the offsets of the header's table.
class Writer {
 public:
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
  }
  void I32(int32_t v) { U32(uint32_t(v)); }
  void U8(uint8_t v) { out.push_back(char(v)); }
  void Bytes(const void* p, std::size_t n) { out.append(static_cast<const char*>(p), n); }
  std::string out;
};

class Reader {
 public:
  explicit Reader(std::string_view b) : bytes(b) {}
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(bytes[pos + std::size_t(i)])) << (8 * i);
    pos += 4;
    return v;
  }
  int32_t I32() { return int32_t(U32()); }
  uint8_t U8() { return uint8_t(bytes[pos++]); }
  void Bytes(void* p, std::size_t n) {
    std::memcpy(p, bytes.data() + pos, n);
    pos += n;
  }
  std::string_view bytes;
  std::size_t pos = 0;
};

constexpr int32_t kMaxFontHeight = 1000;  // pixels; larger is no font a window can show
constexpr int32_t kMaxFontWeight = 1000;

void PutFont(Writer& w, const WindowFont& f) {
  for (int32_t v : {f.height, f.width, f.escapement, f.orientation, f.weight}) w.I32(v);
  for (uint8_t v : {f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision, f.clipPrecision, f.quality,
                    f.pitchAndFamily})
    w.U8(v);
  w.Bytes(f.faceName, sizeof f.faceName);
}

// A font that cannot be meant keeps the default entry.
void GetFont(Reader& r, WindowFont* out) {
  WindowFont f;
  for (int32_t* v : {&f.height, &f.width, &f.escapement, &f.orientation, &f.weight}) *v = r.I32();
  for (uint8_t* v : {&f.italic, &f.underline, &f.strikeOut, &f.charSet, &f.outPrecision, &f.clipPrecision,
                     &f.quality, &f.pitchAndFamily})
    *v = r.U8();
  r.Bytes(f.faceName, sizeof f.faceName);
  f.faceName[sizeof f.faceName - 1] = 0;
  const bool sane = f.height >= -kMaxFontHeight && f.height <= kMaxFontHeight && f.weight >= 0 &&
                    f.weight <= kMaxFontWeight;
  if (sane) *out = f;
}

void PutPlacement(Writer& w, const SettingsPlacement& p) {
  w.U32(p.length);
  w.U32(p.flags);
  w.U32(p.showCmd);
  for (int32_t v : {p.minX, p.minY, p.maxX, p.maxY, p.left, p.top, p.right, p.bottom}) w.I32(v);
}

void GetPlacement(Reader& r, SettingsPlacement* p) {
  p->length = r.U32();
  p->flags = r.U32();
  p->showCmd = r.U32();
  for (int32_t* v : {&p->minX, &p->minY, &p->maxX, &p->maxY, &p->left, &p->top, &p->right, &p->bottom}) *v = r.I32();
}

// A colour with bits above blue set is no colour of ours: the default stays.
void GetColour(Reader& r, uint32_t* colour) {
  const uint32_t v = r.U32();
  if ((v & 0xFF000000u) == 0) *colour = v;
}

// The offsets of the header's table.
constexpr std::size_t kSerialOffset = 5 * kWindowFontEntryBytes;
constexpr std::size_t kDisColourOffset = kSerialOffset + 3 * kSerialBlockBytes;
constexpr std::size_t kPlacementOffset = kDisColourOffset + 4 * (kDisColours + 2 + kPaColours);
constexpr std::size_t kToolBoxOffset = kPlacementOffset + 5 * kSettingsPlacementBytes;
constexpr std::size_t kReservedOffset = kToolBoxOffset + 16;
static_assert(kSerialOffset == 300 && kDisColourOffset == 636 && kPlacementOffset == 680);
static_assert(kToolBoxOffset == 900 && kReservedOffset == 916);
static_assert(kReservedOffset + kWindowFontsReservedBytes == kWindowFontsBytes);
static_assert(kSettingsPlacementBytes + kWindowFontEntryBytes + 8 == kSerialBlockBytes);
static_assert(sizeof(WindowFont::faceName) + 5 * 4 + 8 == kWindowFontEntryBytes);
static_assert(11 * 4 == kSettingsPlacementBytes);

}  // namespace

std::string WindowFont::Face() const { return std::string(faceName, strnlen(faceName, sizeof faceName)); }

void WindowFont::SetFace(std::string_view face) {
  std::memset(faceName, 0, sizeof faceName);
  std::memcpy(faceName, face.data(), std::min(face.size(), sizeof faceName - 1));
}

std::string EncodeWindowFontsRecord(const WindowFonts& s) {
  Writer w;
  for (const WindowFont* f : {&s.command, &s.disassembly, &s.memory, &s.analyser, &s.output}) PutFont(w, *f);
  for (const SerialWindowBlock& b : s.serial) {
    PutPlacement(w, b.placement);
    PutFont(w, b.font);
    w.U32(b.text);
    w.U32(b.background);
  }
  for (uint32_t c : s.disassemblyColours) w.U32(c);
  w.U32(s.memoryText);
  w.U32(s.memoryBackground);
  for (uint32_t c : s.analyserColours) w.U32(c);
  for (const SettingsPlacement* p : {&s.funcEditor, &s.inlineAsm, &s.symbols, &s.disassemblyFrame, &s.analyserFrame})
    PutPlacement(w, *p);
  for (int32_t v : {s.toolBox.left, s.toolBox.top, s.toolBox.right, s.toolBox.bottom}) w.I32(v);
  w.Bytes(s.reserved.data(), s.reserved.size());
  return std::move(w.out);
}

WindowFonts DecodeWindowFontsRecord(std::string_view bytes) {
  WindowFonts s;
  if (bytes.size() != kWindowFontsBytes) return s;
  Reader r(bytes);
  for (WindowFont* f : {&s.command, &s.disassembly, &s.memory, &s.analyser, &s.output}) GetFont(r, f);
  for (SerialWindowBlock& b : s.serial) {
    GetPlacement(r, &b.placement);
    GetFont(r, &b.font);
    GetColour(r, &b.text);
    GetColour(r, &b.background);
  }
  for (uint32_t& c : s.disassemblyColours) GetColour(r, &c);
  GetColour(r, &s.memoryText);
  GetColour(r, &s.memoryBackground);
  for (uint32_t& c : s.analyserColours) GetColour(r, &c);
  for (SettingsPlacement* p : {&s.funcEditor, &s.inlineAsm, &s.symbols, &s.disassemblyFrame, &s.analyserFrame})
    GetPlacement(r, p);
  for (int32_t* v : {&s.toolBox.left, &s.toolBox.top, &s.toolBox.right, &s.toolBox.bottom}) *v = r.I32();
  r.Bytes(s.reserved.data(), s.reserved.size());
  return s;
}

}  // namespace pm2
