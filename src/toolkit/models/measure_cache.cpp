#include "toolkit/models/measure_cache.h"

namespace pm2 {

MeasureCache::Entry MeasureCache::KeyOf(FontChoice font, int maxWidth, bool singleLine) {
  Entry e;
  e.font = font.font;
  e.bold = font.bold;
  e.singleLine = singleLine;
  e.maxWidth = singleLine ? 0 : maxWidth;
  return e;
}

const Size* MeasureCache::Find(std::string_view text, FontChoice font, int maxWidth, bool singleLine) const {
  auto it = m_sizes.find(text);
  if (it == m_sizes.end()) return nullptr;
  const Entry k = KeyOf(font, maxWidth, singleLine);
  for (const Entry& e : it->second) {
    if (e.font == k.font && e.bold == k.bold && e.singleLine == k.singleLine && e.maxWidth == k.maxWidth)
      return &e.size;
  }
  return nullptr;
}

void MeasureCache::Add(std::string_view text, FontChoice font, int maxWidth, bool singleLine, Size size) {
  if (m_sizes.size() >= kMaxTexts && m_sizes.find(text) == m_sizes.end()) m_sizes.clear();
  Entry e = KeyOf(font, maxWidth, singleLine);
  e.size = size;
  m_sizes[std::string(text)].push_back(e);
}

}  // namespace pm2
