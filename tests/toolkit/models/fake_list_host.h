#pragma once
// A ListHost that records what the engine asks of its window, and a
// notification listener that records codes and can answer per code.

#include <map>
#include <string>
#include <vector>

#include "toolkit/core/notify.h"
#include "toolkit/models/list_host.h"

namespace pm2::test {

class FakeListHost : public ListHost {
 public:
  Rect client{0, 0, 200, 120};
  bool focus = true;
  bool enabled = true;
  int beeps = 0;
  std::map<int, int> timers;  // running timers: id -> ms
  bool editor = false;
  std::string editorText;
  Rect editorRect;
  int tipShows = 0;
  int tipHides = 0;
  int nextControl = 0;  // +1 next, -1 previous
  int cancels = 0;
  Point cursor;
  int immediateRepaints = 0;  // Invalidate(..., now) calls

  Rect ClientRect() override { return client; }
  std::vector<Rect> invalidated;  // rectangles asked for (whole-window repaints not listed)
  void Invalidate(const Rect* r, bool now) override {
    immediateRepaints += now ? 1 : 0;
    if (r) invalidated.push_back(*r);
  }
  bool HasFocus() override { return focus; }
  bool IsEnabled() override { return enabled; }
  void TakeFocus() override { focus = true; }
  void StartTimer(int id, int ms) override { timers[id] = ms; }
  void KillTimer(int id) override { timers.erase(id); }
  void Beep() override { ++beeps; }
  void MoveToNextControl(bool previous) override { nextControl = previous ? -1 : 1; }
  void CancelDialog() override { ++cancels; }
  void CreateEditor(const Rect& r, const std::string& text, bool, FontChoice) override {
    editor = true;
    editorRect = r;
    editorText = text;
  }
  void ResizeEditor(int w, int h) override {
    editorRect.right = editorRect.left + w;
    editorRect.bottom = editorRect.top + h;
  }
  void DestroyEditor() override { editor = false; }
  bool EditorExists() override { return editor; }
  std::string EditorText() override { return editorText; }
  void TipShow(unsigned, int, int, Point) override { ++tipShows; }
  void TipHide() override { ++tipHides; }
  Point CursorPos() override { return cursor; }
};

class RecordingListener : public NotifyListener {
 public:
  std::vector<int> codes;
  std::map<int, NotifyResult> answers;
  std::vector<std::string> endEditTexts;
  std::string replaceEndEditText;  // non-empty: the owner rewrites the text
  std::map<int, std::string> dispTexts;  // LVN_GETDISPINFO answers by item

  NotifyResult OnNotify(NotifyHeader& hdr) override {
    codes.push_back(hdr.code);
    if (hdr.code == LVN_ENDLABELEDIT) {
      auto& nm = reinterpret_cast<NMLVDISPINFO&>(hdr);
      endEditTexts.push_back(nm.hasText ? nm.item.text : "<null>");
      if (!replaceEndEditText.empty()) nm.item.text = replaceEndEditText;
    }
    if (hdr.code == LVN_GETDISPINFO) {
      auto& nm = reinterpret_cast<NMLVDISPINFO&>(hdr);
      nm.item.text = dispTexts[nm.item.item];
    }
    auto it = answers.find(hdr.code);
    return it == answers.end() ? 0 : it->second;
  }
  int Count(int code) const {
    int n = 0;
    for (int c : codes) n += c == code;
    return n;
  }
};

}  // namespace pm2::test
