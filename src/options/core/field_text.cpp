#include "options/core/field_text.h"

#include "project/files/project_lines.h"

namespace pm2 {

std::string FieldTextFault(std::string_view text, FieldBrackets brackets) {
  return brackets == FieldBrackets::kAngles ? BracketedTextFault(text, '<', '>') : ParenthesisedTextFault(text);
}

std::string FieldTextRefusal(std::string_view field, std::string_view text, FieldBrackets brackets) {
  const std::string fault = FieldTextFault(text, brackets);
  if (fault.empty()) return fault;
  return "The text of '" + std::string(field) + "' cannot be stored: it holds " + fault + ".";
}

std::string FolderRefusal(std::string_view field, std::string_view folder) {
  std::string refusal = FieldTextRefusal(field, folder, FieldBrackets::kParentheses);
  if (refusal.empty()) refusal = FieldTextRefusal(field, folder, FieldBrackets::kAngles);
  return refusal;
}

std::string ProgramNameRefusal(std::string_view field, std::string_view program) {
  if (program.find('"') == std::string_view::npos) return std::string();
  return "The text of '" + std::string(field) + "' cannot be stored: a program's name cannot hold a '\"'.";
}

std::string FieldNameOfLabel(std::string_view label) {
  std::string name;
  for (char c : label)
    if (c != '&') name.push_back(c);
  while (!name.empty() && (name.back() == ':' || name.back() == ' ')) name.pop_back();
  return name;
}

}  // namespace pm2
