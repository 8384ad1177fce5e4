#include "shell/frame/window_placement.h"

namespace pm2 {

namespace {

void Put(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

std::uint32_t Get(const std::uint8_t* p) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= std::uint32_t(p[i]) << (8 * i);
  return v;
}

}  // namespace

void EncodePlacement(const WindowPlacementRec& r, std::uint8_t out[kWindowPlacementBytes]) {
  const std::uint32_t fields[11] = {std::uint32_t(kWindowPlacementBytes), r.flags, r.showCmd,
                                    std::uint32_t(r.minX), std::uint32_t(r.minY), std::uint32_t(r.maxX),
                                    std::uint32_t(r.maxY), std::uint32_t(r.left), std::uint32_t(r.top),
                                    std::uint32_t(r.right), std::uint32_t(r.bottom)};
  for (int i = 0; i < 11; ++i) Put(out + 4 * i, fields[i]);
}

bool DecodePlacement(const std::uint8_t in[kWindowPlacementBytes], WindowPlacementRec* rec) {
  if (Get(in) != std::uint32_t(kWindowPlacementBytes)) return false;
  WindowPlacementRec r;
  r.flags = Get(in + 4);
  r.showCmd = Get(in + 8);
  r.minX = std::int32_t(Get(in + 12));
  r.minY = std::int32_t(Get(in + 16));
  r.maxX = std::int32_t(Get(in + 20));
  r.maxY = std::int32_t(Get(in + 24));
  r.left = std::int32_t(Get(in + 28));
  r.top = std::int32_t(Get(in + 32));
  r.right = std::int32_t(Get(in + 36));
  r.bottom = std::int32_t(Get(in + 40));
  if (r.right <= r.left || r.bottom <= r.top) return false;
  *rec = r;
  return true;
}

}  // namespace pm2
