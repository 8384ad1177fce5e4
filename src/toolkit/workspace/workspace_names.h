#pragma once
// The name lists that the workspace dialog edits, and the rules of its
// list-box editor: a change of name is refused when empty or when another
// workspace already has the name (names compare ignoring case, as the
// settings store does, so a change of case alone is accepted); a new name is
// refused when empty or present and is otherwise offered for saving; moving
// a row moves its pair of names; deleting a row records its stored name.
// A name the settings store cannot keep a workspace under is refused, new
// or changed (WorkspaceNameRefusal): the store keeps each workspace under a
// key of its name.
//
// Invariant: entry i of `newNames` is the current name of the workspace
// stored as entry i of `stored`; both follow the list's order (rows after
// them are new rows not yet saved).

#include <functional>
#include <string>
#include <vector>

#include "toolkit/models/list_box_editor_model.h"

namespace pm2 {

constexpr unsigned kIdsWsMgrCaption = 20665, kIdsWsInvalidRename = 20666, kIdsWsExistsRename = 20667,
                   kIdsWsInvalidAdd = 20668, kIdsWsExistsAdd = 20669, kIdsWsAskSaveNew = 20670,
                   kIdsWsLabel = 20671, kIdsWsNoCurrent = 20672, kIdsWsSelectOne = 20673, kIdsWsOpenTitle = 20686,
                   kIdsWsFileFilterName = 20687, kIdsWsAllFilesName = 20688, kIdsWsSaveTitle = 20689,
                   kIdsWsInvalid = 20690, kIdsWsNameNests = 20691, kIdsWsNameTooLong = 20692,
                   kIdsWsNameReserved = 20693, kIdsWsFailed = 20694;

// The longest name the settings store keeps a key under.
constexpr std::size_t kWorkspaceNameMax = 255;

// 0 when the store can keep a workspace under the name, else the id of the
// text that says why not: a backslash would nest it in another
// workspace's key, a longer name is refused by the store, and the two
// recent lists' sections share the workspaces' key.
unsigned WorkspaceNameRefusal(const std::string& name);

struct WorkspaceNameLists {
  std::vector<std::string> stored;
  std::vector<std::string> newNames;
  std::vector<std::string> deleted;  // stored names to delete
};

// True when the names are equal ignoring ASCII case.
bool SameWorkspaceName(const std::string& a, const std::string& b);

// What the editor needs from its dialog: message boxes by string id
// (`arg` replaces "%s"), the save command, editing started and stopped.
class WorkspaceNameDialog {
 public:
  virtual ~WorkspaceNameDialog() = default;
  virtual void Inform(unsigned stringId, const std::string& arg) = 0;
  virtual bool AskYesNo(unsigned stringId, const std::string& arg) = 0;
  virtual void PostSave() = 0;
  virtual void EditingStarted() {}
  virtual void EditingStopped() {}
};

// The rules on any list-box editor model (the Qt editor or a bare model).
template <class Base>
class WorkspaceNameEditorT : public Base {
 public:
  using Base::Base;
  void Attach(WorkspaceNameLists* lists, WorkspaceNameDialog* dialog) {
    m_lists = lists;
    m_dialog = dialog;
  }

  void CreateInPlaceEdit(int index, bool isNew, const std::string* initial) override {
    if (m_dialog) m_dialog->EditingStarted();
    Base::CreateInPlaceEdit(index, isNew, initial);
  }
  void EndEditing() override {
    const bool was = this->IsEditing();
    Base::EndEditing();
    if (was && m_dialog) m_dialog->EditingStopped();
  }

  void OnItemRenamed(int index, std::string oldText, std::string newText) override {
    newText = Trim(newText);
    if (!m_lists || index < 0 || std::size_t(index) >= m_lists->newNames.size()) {
      this->SetItemText(index, oldText);
      return;
    }
    if (newText.empty()) {
      Inform(kIdsWsInvalidRename, "");
      this->SetItemText(index, oldText);
      return;
    }
    if (const unsigned refusal = WorkspaceNameRefusal(newText)) {
      Inform(refusal, newText);
      this->SetItemText(index, oldText);
      return;
    }
    for (std::size_t i = 0; i < m_lists->newNames.size(); ++i) {
      if (int(i) != index && SameWorkspaceName(m_lists->newNames[i], newText)) {
        Inform(kIdsWsExistsRename, newText);
        this->SetItemText(index, oldText);
        return;
      }
    }
    m_lists->newNames[std::size_t(index)] = newText;
    this->SetItemText(index, newText);
  }

  void OnItemAdded(int index, std::string text) override {
    text = Trim(text);
    const bool emptyRow = this->IsEmptyLastRow(index);
    auto drop = [&] {
      if (emptyRow) this->SetItemText(index, "");
      else this->DeleteString(index);
    };
    if (text.empty()) {
      Inform(kIdsWsInvalidAdd, "");
      drop();
      return;
    }
    if (const unsigned refusal = WorkspaceNameRefusal(text)) {
      Inform(refusal, text);
      drop();
      return;
    }
    if (m_lists)
      for (const std::string& n : m_lists->newNames)
        if (SameWorkspaceName(n, text)) {
          Inform(kIdsWsExistsAdd, text);
          drop();
          return;
        }
    if (m_dialog && m_dialog->AskYesNo(kIdsWsAskSaveNew, text)) {
      Base::OnItemAdded(index, text);
      this->SetCurSel(index);
      m_dialog->PostSave();
      return;
    }
    drop();
  }

  void OnItemMoved(int from, int to, std::string text, bool dragged) override {
    if (m_lists && from != to) {
      MoveEntry(&m_lists->stored, from, to);
      MoveEntry(&m_lists->newNames, from, to);
    }
    Base::OnItemMoved(from, to, std::move(text), dragged);
  }

  bool OnItemDeleting(int index, std::string text) override {
    if (!Base::OnItemDeleting(index, text)) return false;
    if (m_lists && index >= 0 && std::size_t(index) < m_lists->stored.size()) {
      m_lists->deleted.push_back(m_lists->stored[std::size_t(index)]);
      m_lists->stored.erase(m_lists->stored.begin() + index);
      m_lists->newNames.erase(m_lists->newNames.begin() + index);
    }
    return true;
  }

 private:
  static std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
  }
  // A row taken out at `from` and put in at `to` (a drag may cross rows).
  static void MoveEntry(std::vector<std::string>* v, int from, int to) {
    if (from < 0 || to < 0 || std::size_t(from) >= v->size() || std::size_t(to) >= v->size()) return;
    std::string s = (*v)[std::size_t(from)];
    v->erase(v->begin() + from);
    v->insert(v->begin() + to, s);
  }
  void Inform(unsigned id, const std::string& arg) {
    if (m_dialog) m_dialog->Inform(id, arg);
  }

  WorkspaceNameLists* m_lists = nullptr;
  WorkspaceNameDialog* m_dialog = nullptr;
};

using WorkspaceNameEditor = WorkspaceNameEditorT<ListBoxEditorModel>;

}  // namespace pm2
