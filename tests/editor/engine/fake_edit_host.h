// A recording window for the editor engine: repaints, caret placements,
// messages and an in-memory clipboard; and a fixture that puts a text
// into an engine with fixed metrics (8 x 16 pixel cells, 50 columns and
// 10 rows).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/engine/edit_engine.h"

namespace pm2 {

class FakeClipboard : public EditClipboard {
 public:
  bool HasText() const override { return available && text.has_value(); }
  std::optional<std::string> GetText() const override {
    return available ? text : std::nullopt;
  }
  bool SetText(const std::string& t) override {
    if (!available) return false;
    text = t;
    return true;
  }
  std::optional<std::string> text;
  bool available = true;
};

struct Rect {
  int x, y, w, h;
};

class FakeEditHost : public EditHost {
 public:
  void InvalidateAll() override { ++allRepaints; }
  void InvalidateRect(int x, int y, int w, int h) override { rects.push_back({x, y, w, h}); }
  void PlaceCaret(int x, int y, bool visible) override {
    caretX = x;
    caretY = y;
    caretVisible = visible;
  }
  void ScrollBarsChanged() override { ++barUpdates; }
  void ShowMessage(int id, const std::string& text) override {
    messageIds.push_back(id);
    messages.push_back(text);
  }
  void Notify(int hint) override { hints.push_back(hint); }
  void RequestDialog(int command) override { dialogs.push_back(command); }
  EditClipboard& Clipboard() override { return clipboard; }
  bool HasFocus() const override { return focus; }
  void ResetRepaints() {
    allRepaints = 0;
    rects.clear();
  }

  int allRepaints = 0;
  std::vector<Rect> rects;
  int caretX = 0, caretY = 0;
  bool caretVisible = false;
  int barUpdates = 0;
  std::vector<int> messageIds;
  std::vector<std::string> messages;
  std::vector<int> hints;
  std::vector<int> dialogs;
  FakeClipboard clipboard;
  bool focus = true;
};

constexpr int kCellW = 8;
constexpr int kCellH = 16;

class EngineFixture : public ::testing::Test {
 protected:
  // A text with LF line ends given as "a\nb"; stored with CR LF.
  void Load(const std::string& text, int tabSize = 4, bool keepTabs = true) {
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    m_text.SetTabSize(tabSize);
    m_text.m_bKeepTabs = keepTabs;
    ASSERT_EQ(0, m_text.LoadFromBytes(crlf));
    m_engine.InitView();
    m_engine.SetMetrics(kCellW, kCellH);
    m_engine.SetClientSize(50 * kCellW, 10 * kCellH);
    m_engine.UpdateCaret();
    m_host.ResetRepaints();
  }
  // The whole text with LF line ends.
  std::string Text() const {
    std::string all = m_text.GetText();
    std::string out;
    for (size_t i = 0; i < all.size(); ++i)
      if (!(all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n')) out += all[i];
    return out;
  }
  void Caret(int line, int col) { m_engine.SetCaret(m_text.GetLine(line), col); }
  int CaretLine() const { return m_engine.State().nCaretLine; }
  int CaretCol() const { return m_engine.State().nCaretCol; }
  void Run(std::initializer_list<int> ids) {
    for (int id : ids) m_engine.RunCommand(id);
  }
  void Type(const std::string& s) {
    for (char c : s) m_engine.OnChar(c == '\n' ? 13 : uint8_t(c));
  }
  std::string Selected() const { return m_engine.GetSelectedText(nullptr); }
  // Client point of a cell (row from the top line, column from the left).
  static int X(int col) { return kCellH + col * kCellW + 1; }
  static int Y(int row) { return row * kCellH + kCellH / 2; }

  CEditTextBuffer m_text;
  EditShared m_shared;
  FakeEditHost m_host;
  EditEngine m_engine{&m_text, &m_shared, &m_host};
};

}  // namespace pm2
