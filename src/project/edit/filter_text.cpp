#include "project/edit/filter_text.h"

#include <cstring>

#include "project/files/stored_texts.h"

namespace pm2 {

namespace {

bool NameChar(char c) { return c != '\0' && std::strchr(" \",./:<>\\|", c) == nullptr; }

}  // namespace

bool IsValidFilterText(std::string_view text) {
  if (text.empty()) return true;
  std::size_t i = 0;
  while (true) {
    if (text.substr(i, 2) != "*.") return false;
    i += 2;
    while (i < text.size() && text[i] != ';') {
      if (text[i] == ' ' && !(i + 1 < text.size() && NameChar(text[i + 1]))) return false;
      ++i;
    }
    if (i >= text.size()) return true;
    ++i;  // the ';'
    while (i < text.size() && text[i] == ' ') ++i;
    if (i >= text.size()) return true;  // a trailing ';' (dropped by the normal form)
  }
}

std::string FilterTextRefusal(std::string_view field, std::string_view text) {
  if (!IsValidFilterText(text)) return kInvalidFilterText;
  return FieldTextRefusal(field, NormalizeFilterText(text));
}

std::string NormalizeFilterText(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ';') {
      out += ';';
      ++i;
      while (i < text.size() && text[i] == ' ') ++i;
      continue;
    }
    out += text[i++];
  }
  while (!out.empty() && out.back() == ';') out.pop_back();
  return out;
}

}  // namespace pm2
