#include "shell/tools/svcs_template_model.h"

#include <algorithm>

#include "platform/ascii_case.h"
#include "project/files/stored_texts.h"
#include "project/model/option_block.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

std::string Trim(std::string t) {
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
  size_t b = 0;
  while (b < t.size() && (t[b] == ' ' || t[b] == '\t')) ++b;
  return t.substr(b);
}

// The identifier as OK stores it: trimmed and cut to its limit in
// characters, as the field counts them, so that a character of several
// bytes is neither split nor dropped.
std::string StoredIdentifier(const std::string& typed) {
  std::string t = Trim(typed);
  std::size_t characters = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if ((static_cast<unsigned char>(t[i]) & 0xC0) == 0x80) continue;  // inside a character
    if (++characters > kProjectIdLimit) return t.substr(0, i);
  }
  return t;
}

}  // namespace

void SvcsTemplateModel::Open(const std::string& path) {
  m_path = Trim(path);
  m_sections.clear();
  m_entries.clear();
  database.clear();
  m_modified = false;
  if (m_path.empty() || !ReadSvcsFile(m_path, &m_sections) || m_sections.empty()) return;
  database = m_sections[0].dataBase;
  for (const SvcsEntry& e : m_sections[0].entries)
    if (!e.deleted && !e.menuText.empty()) m_entries.push_back(e);
}

std::vector<std::string> SvcsTemplateModel::RowTexts() const {
  std::vector<std::string> out;
  for (const SvcsEntry& e : m_entries) out.push_back(e.menuText);
  return out;
}

void SvcsTemplateModel::Insert(int row, const std::string& text) {
  SvcsEntry e;
  e.menuText = text.substr(0, kSvcsMenuTextLimit);
  row = std::clamp(row, 0, Count());
  m_entries.insert(m_entries.begin() + row, std::move(e));
  m_modified = true;
}

void SvcsTemplateModel::Rename(int row, const std::string& text) {
  if (row < 0 || row >= Count()) return;
  m_entries[static_cast<size_t>(row)].menuText = text.substr(0, kSvcsMenuTextLimit);
  m_modified = true;
}

void SvcsTemplateModel::Move(int from, int to) {
  if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to) return;
  SvcsEntry e = std::move(m_entries[static_cast<size_t>(from)]);
  m_entries.erase(m_entries.begin() + from);
  m_entries.insert(m_entries.begin() + to, std::move(e));
  m_modified = true;
}

void SvcsTemplateModel::Erase(int row) {
  if (row < 0 || row >= Count()) return;
  m_entries.erase(m_entries.begin() + row);
  m_modified = true;
}

void SvcsTemplateModel::Store(int row, const std::string& command, const std::string& arguments,
                              const std::string& environment, uint8_t runMinimized, uint8_t queryComment,
                              uint8_t queryRevision, uint8_t queryCheckPoint) {
  if (row < 0 || row >= Count()) return;
  SvcsEntry& e = m_entries[static_cast<size_t>(row)];
  e.command = Trim(command).substr(0, kSvcsTextLimit);
  e.arguments = Trim(arguments).substr(0, kSvcsTextLimit);
  e.environment = Trim(environment).substr(0, kSvcsTextLimit);
  e.runMinimized = runMinimized;
  e.queryComment = queryComment;
  e.queryRevision = queryRevision;
  e.queryCheckPoint = queryCheckPoint;
}

bool SvcsTemplateModel::NeedsSaveQuestion(const std::string& newPath) const {
  return m_modified && !m_path.empty() && !EqualIgnoringCase(Trim(newPath), m_path);
}

std::string SvcsTemplateModel::SaveQuestion() const {
  return "Save changes to template file '" + m_path + "' ?";
}

bool SvcsTemplateModel::ChangeTemplate(const std::string& newPath, bool save, std::string* err) {
  if (EqualIgnoringCase(Trim(newPath), m_path)) return true;
  bool ok = true;
  if (save && NeedsSaveQuestion(newPath)) ok = Write(err);
  // Commands typed before any file was named are what the new name is
  // for: they stay, after those the file already holds.
  std::vector<SvcsEntry> typed;
  if (m_path.empty()) typed = m_entries;
  Open(newPath);
  if (!typed.empty()) {
    m_entries.insert(m_entries.end(), typed.begin(), typed.end());
    m_modified = true;
  }
  return ok;
}

bool SvcsTemplateModel::NeedsTemplateName(const std::string& path) const {
  return Trim(path).empty() && m_path.empty() && !m_entries.empty();
}

std::string SvcsTemplateModel::NameNeededText() {
  return "Please enter a Template File name: the version control commands are kept in that file.";
}

std::vector<SvcsSection> SvcsTemplateModel::Collect() const {
  std::vector<SvcsSection> sections = m_sections;
  if (sections.empty()) {
    if (m_entries.empty()) return sections;
    sections.push_back(SvcsSection{kNewSvcsSection, {}, {}});
  }
  sections[0].dataBase = Trim(database);
  sections[0].entries = m_entries;
  return sections;
}

bool SvcsTemplateModel::Write(std::string* err) {
  if (m_path.empty()) return true;
  if (!WriteSvcsFile(m_path, Collect(), err)) return false;
  m_modified = false;
  return true;
}

void SvcsTemplateModel::AttachTarget(OptionBlock* targetOptions) {
  m_target = targetOptions;
  m_shownId = m_target ? m_target->lst.SVCSID.str() : std::string();
  projectId = m_shownId;
}

std::string SvcsTemplateModel::IdentifierRefusal(const std::string& typed) const {
  if (!m_target || typed == m_shownId) return std::string();
  return ProjectIdentifierRefusal("Project Identifier", StoredIdentifier(typed));
}

bool SvcsTemplateModel::ApplyProjectIdentifier() {
  if (!m_target || projectId == m_shownId) return false;
  const std::string text = StoredIdentifier(projectId);
  if (m_target->lst.SVCSID == text) return false;
  m_target->lst.SVCSID = OptString::Pooled(text, kPoolProject);
  m_shownId = projectId;
  return true;
}

}  // namespace pm2
