#include "toolkit/toolbars/menu_template.h"

namespace pm2 {
namespace {

bool Word(const std::vector<std::uint8_t>& t, std::size_t at, std::uint16_t* v) {
  if (at + 2 > t.size()) return false;
  *v = std::uint16_t(t[at] | (t[at + 1] << 8));
  return true;
}

void PutWord(std::vector<std::uint8_t>& t, unsigned v) {
  t.push_back(std::uint8_t(v & 0xFF));
  t.push_back(std::uint8_t((v >> 8) & 0xFF));
}

void WriteLevel(std::vector<std::uint8_t>& t, const std::vector<MenuEntry>& entries) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const MenuEntry& e = entries[i];
    const bool last = i + 1 == entries.size();
    std::uint16_t flags = last ? kMfEnd : 0;
    if (e.kind == MenuEntry::Kind::Popup) flags |= kMfPopup;
    if (e.kind == MenuEntry::Kind::Separator) flags |= kMfSeparator;
    PutWord(t, flags);
    if (e.kind != MenuEntry::Kind::Popup) PutWord(t, e.kind == MenuEntry::Kind::Item ? e.id : 0);
    for (unsigned char c : e.text) PutWord(t, c);
    PutWord(t, 0);
    if (e.kind == MenuEntry::Kind::Popup) {
      // A level is never empty: an empty popup holds one blank end item.
      if (e.children.empty()) {
        PutWord(t, kMfEnd | kMfSeparator);
        PutWord(t, 0);
        PutWord(t, 0);
      }
      WriteLevel(t, e.children);
    }
  }
}

}  // namespace

bool ReadMenuTemplateItem(const std::vector<std::uint8_t>& t, std::size_t offset, MenuTemplateItem* item) {
  MenuTemplateItem out;
  std::size_t at = offset;
  if (!Word(t, at, &out.flags)) return false;
  at += 2;
  if (!(out.flags & kMfPopup)) {
    if (!Word(t, at, &out.id)) return false;
    at += 2;
  }
  for (;;) {
    std::uint16_t c = 0;
    if (!Word(t, at, &c)) return false;
    at += 2;
    if (c == 0) break;
    out.text.push_back(char16_t(c));
  }
  out.next = at;
  *item = std::move(out);
  return true;
}

bool SkipMenuTemplatePopup(const std::vector<std::uint8_t>& t, std::size_t offset, std::size_t* after) {
  MenuTemplateItem item;
  if (!ReadMenuTemplateItem(t, offset, &item)) return false;
  std::size_t at = item.next;
  if (!(item.flags & kMfPopup)) {
    *after = at;
    return true;
  }
  // The nested level runs to its item marked last.
  for (;;) {
    MenuTemplateItem child;
    if (!ReadMenuTemplateItem(t, at, &child)) return false;
    std::size_t next = 0;
    if (!SkipMenuTemplatePopup(t, at, &next)) return false;
    at = next;
    if (child.flags & kMfEnd) break;
  }
  *after = at;
  return true;
}

bool FindMenuTemplateItem(const std::vector<std::uint8_t>& t, std::size_t levelStart, int n, std::size_t* offset) {
  std::size_t at = levelStart;
  for (int i = 0;; ++i) {
    MenuTemplateItem item;
    if (!ReadMenuTemplateItem(t, at, &item)) return false;
    if (i == n) {
      *offset = at;
      return true;
    }
    if (item.flags & kMfEnd) return false;
    if (!SkipMenuTemplatePopup(t, at, &at)) return false;
  }
}

std::size_t MenuTemplateTextOffset(const MenuTemplateItem& item, std::size_t offset) {
  return offset + ((item.flags & kMfPopup) ? 2 : 4);
}

std::vector<std::uint8_t> WriteMenuTemplate(const std::vector<MenuEntry>& entries) {
  std::vector<std::uint8_t> t;
  PutWord(t, 0);
  PutWord(t, 0);
  WriteLevel(t, entries);
  return t;
}

}  // namespace pm2
