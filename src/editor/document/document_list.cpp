#include "editor/document/document_list.h"

#include <strings.h>

#include <algorithm>

#include "editor/document/editor_document.h"

namespace pm2 {

void EditorDocumentList::Add(EditorDocument* doc) { m_docs.push_back(doc); }

void EditorDocumentList::Remove(EditorDocument* doc) {
  m_docs.erase(std::remove(m_docs.begin(), m_docs.end(), doc), m_docs.end());
}

EditorDocument* EditorDocumentList::Find(const std::string& path) const {
  for (EditorDocument* d : m_docs)
    if (::strcasecmp(d->Path().c_str(), path.c_str()) == 0 ||
        ::strcasecmp(d->FileName().c_str(), path.c_str()) == 0)
      return d;
  return nullptr;
}

bool EditorDocumentList::SaveAllModified(bool ask, uint32_t* appState, std::vector<std::string>* notSaved) {
  if (!ask) *appState |= kAppSaveWithoutAsking;
  bool ok = true;
  // The walk goes on past a file that cannot be written (a full disk, a
  // read-only folder may refuse one file and take the next); a Cancel ends it.
  const std::vector<EditorDocument*> docs = m_docs;
  for (EditorDocument* d : docs) {
    if (!d->IsModified()) continue;
    if (!d->SaveModified()) {
      ok = false;
      if (!d->LastSaveFailed()) break;
      if (notSaved) notSaved->push_back(d->Path());
    }
  }
  *appState &= ~uint32_t(kAppSaveWithoutAsking);
  return ok;
}

int EditorDocumentList::CheckChangedFiles() {
  int reloaded = 0;
  for (EditorDocument* d : m_docs) reloaded += d->CheckModifiedOnDisk();
  return reloaded;
}

int EditorDocumentList::ReloadChanged() {
  int reloaded = 0;
  for (EditorDocument* d : m_docs) reloaded += d->ReloadIfChanged() ? 1 : 0;
  return reloaded;
}

}  // namespace pm2
