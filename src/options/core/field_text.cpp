#include "options/core/field_text.h"

namespace pm2 {

std::string FieldNameOfLabel(std::string_view label) {
  std::string name;
  for (char c : label)
    if (c != '&') name.push_back(c);
  while (!name.empty() && (name.back() == ':' || name.back() == ' ')) name.pop_back();
  return name;
}

}  // namespace pm2
