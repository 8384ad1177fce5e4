// The page set-up of printed editor texts and the header and footer texts
// made from it.
//
// Profile section "PageSetup": "Header" (string, default "&f %c"), "Footer"
// ("Page: &p"), "HeaderTime" and "FooterTime" (integer; 0 the file's
// modification time, 1 the time of printing).
#pragma once

#include <ctime>
#include <string>

namespace pm2 {

class SettingsStore;

struct PageSetup {
  std::string header = "&f %c";
  std::string footer = "Page: &p";
  int headerTime = 0;  // 0 file time, 1 system time
  int footerTime = 0;
  bool operator==(const PageSetup&) const = default;
};

inline constexpr const char kPageSetupSection[] = "PageSetup";

PageSetup LoadPageSetup(const SettingsStore& store);
void SavePageSetup(SettingsStore& store, const PageSetup& setup);

// A header or footer: the first "&p" becomes the page number, the first
// "&f" the file name (an empty name removes it), then the result is
// formatted as a time format with `when` (strftime: "%c" is the locale's
// date and time). A '%' of the file name stays a '%'.
std::string HeaderFooterText(const std::string& format, const std::string& fileName, int page,
                             std::time_t when);

}  // namespace pm2
