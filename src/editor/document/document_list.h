// The open editor documents as the shell walks them: find one by path,
// save every modified one, and let each check its file on disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

class EditorDocument;

class EditorDocumentList {
 public:
  void Add(EditorDocument* doc);
  void Remove(EditorDocument* doc);
  const std::vector<EditorDocument*>& Documents() const { return m_docs; }

  // The document whose full path equals `path` ignoring case, or whose
  // file name does (a bare name finds a file opened from any folder).
  EditorDocument* Find(const std::string& path) const;
  // Saves every modified document; with `ask` false without questions.
  // False when the user cancelled one (the rest are left as they are) or
  // when one could not be written: each of those says why once, the others
  // are saved all the same, and `notSaved` (when given) gets their paths.
  bool SaveAllModified(bool ask, uint32_t* appState, std::vector<std::string>* notSaved = nullptr);
  // Each document checks its file (and reloads after its question);
  // returns how many were reloaded.
  int CheckChangedFiles();
  // Reloads every document whose file changed, without questions; returns
  // how many were reloaded.
  int ReloadChanged();

 private:
  std::vector<EditorDocument*> m_docs;
};

}  // namespace pm2
