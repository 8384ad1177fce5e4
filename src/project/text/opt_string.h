// OptString: the handle of a string field of an option block or of a
// project record.
//
// A handle points at stored text that lives in a pool (or in static
// storage); it never owns anything and is never null: an unset field points
// at the one shared empty value g_szEmptyOpt. Copies share the stored text,
// so the handle is a single const char* and trivially copyable; records
// holding handles may be copied byte-wise.
//
// Two comparisons exist on purpose:
//   SameStored  - identity: both handles point at the same stored text
//                 (block comparisons and "the input itself" results);
//   operator==  - content: the texts are equal byte for byte.
//
// Memory of a pool is zero-filled; a handle read from zeroed memory (null)
// behaves as g_szEmptyOpt everywhere.
#ifndef PM2_PROJECT_OPT_STRING_H
#define PM2_PROJECT_OPT_STRING_H

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace pm2 {

// The shared empty text. One address in the whole program.
inline constexpr char g_szEmptyOpt[1] = {'\0'};

class OptString {
 public:
  constexpr OptString() noexcept = default;
  // Refers to stored text (the caller keeps it alive, normally a pool);
  // null refers to g_szEmptyOpt.
  constexpr explicit OptString(const char* stored) noexcept
      : m_p(stored ? stored : g_szEmptyOpt) {}

  // A copy of text in the given pool; an empty text gives g_szEmptyOpt.
  static OptString Pooled(std::string_view text, int pool);

  const char* c_str() const noexcept { return m_p ? m_p : g_szEmptyOpt; }
  std::string_view view() const noexcept { return std::string_view(c_str()); }
  std::string str() const { return std::string(c_str()); }
  std::size_t size() const noexcept { return std::strlen(c_str()); }
  bool empty() const noexcept { return c_str()[0] == '\0'; }
  // True when the handle points at the shared empty value itself.
  bool IsEmptyOpt() const noexcept { return c_str() == g_szEmptyOpt; }

  bool SameStored(OptString other) const noexcept { return c_str() == other.c_str(); }

  friend bool operator==(OptString a, OptString b) noexcept {
    return a.SameStored(b) || std::strcmp(a.c_str(), b.c_str()) == 0;
  }
  friend bool operator==(OptString a, std::string_view b) noexcept { return a.view() == b; }
  friend bool operator==(OptString a, const char* b) noexcept {
    return std::strcmp(a.c_str(), b ? b : g_szEmptyOpt) == 0;
  }
  // Content comparison ignoring ASCII letter case (vendor and device names,
  // file names).
  bool EqualsNoCase(std::string_view other) const noexcept;

 private:
  const char* m_p = g_szEmptyOpt;
};

static_assert(std::is_trivially_copyable_v<OptString>);
static_assert(sizeof(OptString) == sizeof(const char*));

// A copy in the pool, keeping the empty value shared: null or "" gives
// g_szEmptyOpt.
OptString PoolStrDupOrEmpty(const char* text, int pool);

}  // namespace pm2

#endif
