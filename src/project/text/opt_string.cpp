#include "project/text/opt_string.h"

#include "project/text/pool.h"

namespace pm2 {

namespace {
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
}  // namespace

OptString OptString::Pooled(std::string_view text, int pool) {
  if (text.empty()) return OptString();
  return OptString(PoolStrDup(text, pool));
}

bool OptString::EqualsNoCase(std::string_view other) const noexcept {
  std::string_view mine = view();
  if (mine.size() != other.size()) return false;
  for (std::size_t i = 0; i < mine.size(); ++i)
    if (LowerAscii(mine[i]) != LowerAscii(other[i])) return false;
  return true;
}

OptString PoolStrDupOrEmpty(const char* text, int pool) {
  return OptString::Pooled(text ? std::string_view(text) : std::string_view(), pool);
}

}  // namespace pm2
