#include "toolkit/models/list_host.h"

namespace pm2 {

std::string ListHost::FoldCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return out;
}

}  // namespace pm2
