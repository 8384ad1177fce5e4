#include "toolkit/models/inplace_rules.h"

namespace pm2 {

namespace {

constexpr int kBack = 8, kTab = 9, kEnter = 13, kEscape = 27, kSpace = 32;

bool IsNavigation(int key) { return key == 33 || key == 34 || (key >= 37 && key <= 40); }

}  // namespace

InPlaceEndRecord StartInPlace(const std::string& text, int key, bool list) {
  InPlaceEndRecord r;
  r.startText = text;
  r.ignoreKey = key;
  r.navigationEnds = !list && key != kInPlaceMouse;
  return r;
}

InPlaceStart StartAction(int key, bool list) {
  if (key == kInPlaceMouse || key == kEnter) return InPlaceStart::SelectAll;
  if (key == kBack) return InPlaceStart::CaretAtEndPassKey;
  // A list selects all for 33..40 only; the edits also for the space bar.
  if (key >= (list ? 33 : kSpace) && key <= 40) return InPlaceStart::SelectAll;
  return InPlaceStart::SelectAllPassKey;
}

InPlaceKey InPlaceKeyDown(InPlaceEndRecord& r, int key, bool ctrl, bool list) {
  if (r.ended) return InPlaceKey::Swallow;
  if (IsNavigation(key)) {
    if (ctrl || (!list && r.navigationEnds)) {
      r.endKey = key;
      return InPlaceKey::End;
    }
    return InPlaceKey::Pass;
  }
  if (key == kEscape) {
    r.endKey = kEscape;
    return InPlaceKey::End;
  }
  if (key == kEnter) {
    if (r.ignoreKey == kEnter) return InPlaceKey::Swallow;
    r.endKey = kEnter;
    return InPlaceKey::End;
  }
  if (key == kTab && list) {
    r.endKey = kTab;
    return InPlaceKey::End;
  }
  return InPlaceKey::Pass;
}

InPlaceKey InPlaceKeyUp(InPlaceEndRecord& r, int key) {
  if (key != kTab && key != kEnter && key != kEscape) return InPlaceKey::Pass;
  if (r.ignoreKey == key) {
    r.ignoreKey = 0;
    return InPlaceKey::Swallow;
  }
  if (r.ended) return InPlaceKey::Swallow;
  r.endKey = key;
  return InPlaceKey::End;
}

std::string InPlaceFinalText(const InPlaceEndRecord& r, const std::string& current) {
  return r.endKey == kEscape ? r.startText : current;
}

}  // namespace pm2
