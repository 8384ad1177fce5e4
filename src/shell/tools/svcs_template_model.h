// The source-control configuration dialog without a window: the template
// file's first section in a list of commands kept in step with the list
// rows, the section's DataBase, the user name, the modified mark, changing
// to another template file (asking to save the current one), and writing
// the file on OK. Other sections of the file are written back unchanged.
// Beside the template it shows the current target's project identifier
// (the text %I stands for) and copies it back into the target on OK.
#pragma once

#include <string>
#include <vector>

#include "shell/tools/svcs_file.h"

namespace pm2 {

struct OptionBlock;

inline constexpr char kSvcsFilter[] = "SVCS Configuration File (*.SVCS)|*.SVCS||";
inline constexpr char kNewSvcsSection[] = "SVCS";
inline constexpr size_t kProjectIdLimit = 64;

class SvcsTemplateModel {
 public:
  // Reads the template (a missing file gives no commands).
  void Open(const std::string& path);
  const std::string& Path() const { return m_path; }
  std::vector<std::string> RowTexts() const;
  int Count() const { return static_cast<int>(m_entries.size()); }
  const SvcsEntry& Entry(int row) const { return m_entries.at(static_cast<size_t>(row)); }
  bool Modified() const { return m_modified; }

  std::string database;  // the shown section's DataBase
  std::string user;      // "SccsUser"

  // List hooks (each marks the dialog modified).
  void Insert(int row, const std::string& text);
  void Rename(int row, const std::string& text);
  void Move(int from, int to);
  void Erase(int row);
  // The fields of a row, texts trimmed at both ends.
  void Store(int row, const std::string& command, const std::string& arguments,
             const std::string& environment, uint8_t runMinimized, uint8_t queryComment,
             uint8_t queryRevision, uint8_t queryCheckPoint);

  // A new template name: true when "Save changes to template file '%s' ?"
  // must be asked first (modified, a current name, another name ignoring
  // case); ChangeTemplate then writes the current file when `save` is set.
  // Commands typed while no file was named stay, after the new file's own.
  bool NeedsSaveQuestion(const std::string& newPath) const;
  std::string SaveQuestion() const;
  bool ChangeTemplate(const std::string& newPath, bool save, std::string* err);

  // OK with commands typed into a dialog that has no template file yet (the
  // name `path` still empty): they would be dropped, since only a named
  // file keeps them, so OK asks for the name first with NameNeededText().
  bool NeedsTemplateName(const std::string& path) const;
  static std::string NameNeededText();

  // OK: the sections with the list's commands; written when a template
  // name is set. False with *err "Can't write to file '%s' !".
  std::vector<SvcsSection> Collect() const;
  bool Write(std::string* err);

  // The project identifier of the current target's option block (null: no
  // project with a target; the field then stays empty and is never copied).
  void AttachTarget(OptionBlock* targetOptions);
  bool HasTarget() const { return m_target != nullptr; }
  std::string projectId;  // the field's text
  // OK: a text other than the one shown goes into the target's block,
  // trimmed and cut to 64 characters, in the project's pool (empty: the
  // shared empty text). An untouched field leaves the stored text as it
  // is, even one longer than the field allows. True when the block changed.
  bool ApplyProjectIdentifier();
  // Why `typed` cannot become the identifier: the text OK would store, as
  // the project file could not give it back ("" when it can, or when it is
  // the text shown).
  std::string IdentifierRefusal(const std::string& typed) const;

 private:
  std::string m_path;
  std::vector<SvcsSection> m_sections;  // as read
  std::vector<SvcsEntry> m_entries;     // the first section's commands, in list order
  bool m_modified = false;
  OptionBlock* m_target = nullptr;
  std::string m_shownId;  // projectId as the target gave it
};

}  // namespace pm2
