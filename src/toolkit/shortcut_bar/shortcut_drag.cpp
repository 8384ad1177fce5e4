#include "toolkit/shortcut_bar/shortcut_drag.h"

#include <cstring>

namespace pm2 {
namespace {

constexpr std::size_t kHeadSize = 36;
constexpr std::uint32_t kMask = 7;

void Put(std::string& out, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

std::uint64_t Get(std::string_view in, std::size_t at, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= std::uint64_t(std::uint8_t(in[at + i])) << (8 * i);
  return v;
}

}  // namespace

std::string EncodeShortcutDrag(const ShortcutDragItem& item) {
  std::string out(reinterpret_cast<const char*>(item.source.data()), item.source.size());
  Put(out, kMask, 4);
  Put(out, std::uint32_t(item.image), 4);
  Put(out, std::uint64_t(std::int64_t(item.param)), 8);
  Put(out, item.text.size(), 4);
  out += item.text;
  return out;
}

bool PeekShortcutDragSource(std::string_view block, ShortcutProcessId* id) {
  if (block.size() < id->size()) return false;
  std::memcpy(id->data(), block.data(), id->size());
  return true;
}

bool DecodeShortcutDrag(std::string_view block, ShortcutDragItem* item, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = "The dragged shortcut item is damaged: " + why + ".";
    return false;
  };
  if (block.size() < kHeadSize) return fail("its block has " + std::to_string(block.size()) + " bytes, fewer than 36");
  if (Get(block, 16, 4) != kMask) return fail("its mask is not 7");
  const std::uint64_t n = Get(block, 32, 4);
  if (block.size() - kHeadSize != n) {
    return fail("its text should have " + std::to_string(n) + " bytes but has " +
                std::to_string(block.size() - kHeadSize));
  }
  PeekShortcutDragSource(block, &item->source);
  item->image = int(std::int32_t(std::uint32_t(Get(block, 20, 4))));
  item->param = std::intptr_t(std::int64_t(Get(block, 24, 8)));
  item->text.assign(block.substr(kHeadSize));
  return true;
}

MarkerTriangle GetLeftMarkerPoints(const Rect& r, int code) {
  const int x = r.left;
  if (code == -1) return {{{x, r.bottom - 9}, {x + 8, r.bottom - 9}, {x, r.bottom - 1}}};
  if (code == -2) return {{{x, r.top + 9}, {x + 8, r.top + 9}, {x, r.top + 1}}};
  const int m = (r.top + r.bottom) / 2;
  return {{{x, m + 4}, {x + 8, m}, {x, m - 4}}};
}

MarkerTriangle GetRightMarkerPoints(const Rect& r, int code) {
  const int x = r.right - 1;
  if (code == -1) return {{{x, r.bottom - 9}, {x - 8, r.bottom - 9}, {x, r.bottom - 1}}};
  if (code == -2) return {{{x, r.top + 9}, {x - 8, r.top + 9}, {x, r.top + 1}}};
  const int m = (r.top + r.bottom) / 2;
  return {{{x, m + 4}, {x - 8, m}, {x, m - 4}}};
}

}  // namespace pm2
