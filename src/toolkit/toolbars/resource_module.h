#pragma once
// Where the toolbar images come from: the program's resources by id and
// type, and its bitmaps by id, as plain pixels (the GUI decodes the PNG
// strips of src/resources/ into one of these; tests fill one by hand).

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "toolkit/core/bitmap_effects.h"

namespace pm2 {

class ResourceModule {
 public:
  virtual ~ResourceModule() = default;
  // The bytes of resource (`id`, `type`); null when there is none.
  virtual const std::vector<std::uint8_t>* FindResource(unsigned id, unsigned type) const = 0;
  // The bitmap `id` as drawn; false when there is none.
  virtual bool LoadBitmap(unsigned id, PixelBuffer* out) const = 0;
};

class MemoryResourceModule : public ResourceModule {
 public:
  void AddResource(unsigned id, unsigned type, std::vector<std::uint8_t> bytes) {
    m_resources[{id, type}] = std::move(bytes);
  }
  void AddBitmap(unsigned id, PixelBuffer bitmap) { m_bitmaps[id] = std::move(bitmap); }

  const std::vector<std::uint8_t>* FindResource(unsigned id, unsigned type) const override {
    const auto it = m_resources.find({id, type});
    return it == m_resources.end() ? nullptr : &it->second;
  }
  bool LoadBitmap(unsigned id, PixelBuffer* out) const override {
    const auto it = m_bitmaps.find(id);
    if (it == m_bitmaps.end()) return false;
    *out = it->second;
    return true;
  }

 private:
  std::map<std::pair<unsigned, unsigned>, std::vector<std::uint8_t>> m_resources;
  std::map<unsigned, PixelBuffer> m_bitmaps;
};

}  // namespace pm2
