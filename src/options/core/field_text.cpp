#include "options/core/field_text.h"

namespace pm2 {

std::string FieldNameOfLabel(std::string_view label) {
  std::string name;
  for (char c : label)
    if (c != '&') name.push_back(c);
  while (!name.empty() && (name.back() == ':' || name.back() == ' ')) name.pop_back();
  return name;
}

std::string TooLongRefusal(std::string_view field, int limit) {
  return "The text of '" + std::string(field) + "' cannot be longer than " + std::to_string(limit) +
         " characters; it was left as it was.";
}

}  // namespace pm2
