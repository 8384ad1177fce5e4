#include "editor/document/page_setup.h"

#include <vector>

#include "platform/settings_store.h"

namespace pm2 {

PageSetup LoadPageSetup(const SettingsStore& store) {
  PageSetup s;
  s.header = store.GetProfileString(kPageSetupSection, "Header", s.header);
  s.footer = store.GetProfileString(kPageSetupSection, "Footer", s.footer);
  s.headerTime = store.GetProfileInt(kPageSetupSection, "HeaderTime", 0);
  s.footerTime = store.GetProfileInt(kPageSetupSection, "FooterTime", 0);
  return s;
}

void SavePageSetup(SettingsStore& store, const PageSetup& s) {
  store.WriteProfileString(kPageSetupSection, "Header", s.header.c_str());
  store.WriteProfileString(kPageSetupSection, "Footer", s.footer.c_str());
  store.WriteProfileInt(kPageSetupSection, "HeaderTime", s.headerTime);
  store.WriteProfileInt(kPageSetupSection, "FooterTime", s.footerTime);
}

std::string HeaderFooterText(const std::string& format, const std::string& fileName, int page,
                             std::time_t when) {
  std::string t = format;
  size_t at = t.find("&p");
  if (at != std::string::npos) t.replace(at, 2, std::to_string(page));
  at = t.find("&f");
  if (at != std::string::npos) {
    // The name is text, not part of the time format.
    std::string escaped;
    for (char c : fileName) {
      escaped += c;
      if (c == '%') escaped += '%';
    }
    t.replace(at, 2, escaped);
  }
  if (t.empty()) return t;
  std::tm tm{};
  localtime_r(&when, &tm);
  // A leading blank tells an empty result from a buffer that was too small.
  std::string fmt = " " + t;
  std::vector<char> buf(fmt.size() * 4 + 256);
  for (int tries = 0; tries < 8; ++tries) {
    size_t n = std::strftime(buf.data(), buf.size(), fmt.c_str(), &tm);
    if (n > 0) return std::string(buf.data() + 1, n - 1);
    buf.resize(buf.size() * 4);
  }
  return t;
}

}  // namespace pm2
