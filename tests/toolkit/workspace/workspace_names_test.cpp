#include "toolkit/workspace/workspace_names.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/settings_store.h"
#include "toolkit/core/persistent_tree.h"
#include "toolkit/core/registry.h"
#include "toolkit/workspace/workspace_manager.h"

namespace pm2 {
namespace {

// Records the dialog's side: messages as "<id>:<arg>", the answer to the
// save question, the posted save.
class RecordingDialog : public WorkspaceNameDialog {
 public:
  void Inform(unsigned id, const std::string& arg) override { messages.push_back(std::to_string(id) + ":" + arg); }
  bool AskYesNo(unsigned id, const std::string& arg) override {
    messages.push_back(std::to_string(id) + ":" + arg);
    return answerYes;
  }
  void PostSave() override { ++saves; }
  void EditingStarted() override { ++started; }
  void EditingStopped() override { ++stopped; }
  std::vector<std::string> messages;
  bool answerYes = false;
  int saves = 0, started = 0, stopped = 0;
};

struct Editor {
  WorkspaceNameLists lists;
  RecordingDialog dialog;
  WorkspaceNameEditor model;

  explicit Editor(const std::vector<std::string>& names) {
    lists.stored = names;
    lists.newNames = names;
    model.InitializeModel(LBE_TYPETOEDIT | LBE_BUTTONS | LBE_SHORTCUTS | LBE_DRAG);
    for (const std::string& n : names) model.InsertString(model.GetItemCount(), n);
    model.Attach(&lists, &dialog);
  }
  // "rename <row> <text>", "add <text>", "up <row>", "down <row>",
  // "drag <from> <to>", "delete <row>"; ';' separates steps, "_" is empty.
  void Run(const std::string& script) {
    std::stringstream steps(script);
    std::string step;
    while (std::getline(steps, step, ';')) {
      std::stringstream s(step);
      std::string op, a, b;
      s >> op >> a >> b;
      if (a == "_") a.clear();
      if (b == "_") b.clear();
      if (op == "rename") {
        model.SetCurSel(std::stoi(a));
        model.StartEditing();
        model.AcceptEdit(b);
      } else if (op == "add") {
        model.OnNewItem();
        model.AcceptEdit(a);
      } else if (op == "up" || op == "down") {
        model.SetCurSel(std::stoi(a));
        op == "up" ? model.OnMoveUp() : model.OnMoveDown();
      } else if (op == "drag") {
        model.SetCurSel(std::stoi(a));
        model.FinishDrag(std::stoi(a), std::stoi(b), 400, true, false);
      } else if (op == "delete") {
        model.SetCurSel(std::stoi(a));
        model.OnDeleteItems();
      }
    }
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < model.GetItemCount(); ++i) rows.push_back(model.GetText(i));
    return rows;
  }
};

using Names = std::vector<std::string>;

// The lists after editing, and the messages shown.
const std::string kLong(256, 'w'), kFull(255, 'f');
const std::string kLongAdd = "add " + kLong, kLongRename = "rename 0 " + kLong, kFullAdd = "add " + kFull;

TEST(WorkspaceNames, EditsKeepStoredAndNewNamesPaired) {
  struct Row {
    const char* name;
    Names start;
    std::string script;
    Names stored, newNames, deleted, messages;
  };
  const Row rows[] = {
      {"plain rename", {"a", "b"}, "rename 1 c", {"a", "b"}, {"a", "c"}, {}, {}},
      {"empty rename restores the row", {"a", "b"}, "rename 0 _", {"a", "b"}, {"a", "b"}, {}, {"20666:"}},
      {"rename onto another name is refused", {"abc", "x"}, "rename 1 abc", {"abc", "x"}, {"abc", "x"}, {},
       {"20667:abc"}},
      {"rename onto another name in other case is refused", {"abc", "x"}, "rename 1 ABC", {"abc", "x"},
       {"abc", "x"}, {}, {"20667:ABC"}},
      {"case-only rename of itself is accepted", {"abc", "x"}, "rename 0 ABC", {"abc", "x"}, {"ABC", "x"}, {}, {}},
      {"rename cycle through a free name", {"a", "b"}, "rename 0 t; rename 1 a; rename 0 b", {"a", "b"},
       {"b", "a"}, {}, {}},
      {"move up swaps the pair", {"a", "b", "c"}, "up 2", {"a", "c", "b"}, {"a", "c", "b"}, {}, {}},
      {"move then rename stays paired", {"a", "b", "c"}, "down 0; rename 1 z", {"b", "a", "c"}, {"b", "z", "c"}, {},
       {}},
      {"drag across rows keeps the order of the rest", {"a", "b", "c", "d"}, "drag 0 3", {"b", "c", "a", "d"},
       {"b", "c", "a", "d"}, {}, {}},
      {"delete records the stored name", {"a", "b", "c"}, "rename 1 q; delete 1", {"a", "c"}, {"a", "c"}, {"b"}, {}},
      {"moves after a delete stay paired", {"a", "b", "c"}, "delete 0; up 1", {"c", "b"}, {"c", "b"}, {"a"}, {}},
      {"adding an empty name", {"a"}, "add _", {"a"}, {"a"}, {}, {"20668:"}},
      {"adding a present name ignores case", {"abc"}, "add ABC", {"abc"}, {"abc"}, {}, {"20669:ABC"}},
      {"adding a new name asks to save", {"abc"}, "add new", {"abc"}, {"abc"}, {}, {"20670:new"}},
      {"a backslash in a new name is refused", {"P"}, "add P\\dbg", {"P"}, {"P"}, {}, {"20691:P\\dbg"}},
      {"a backslash in a changed name is refused", {"Base", "x"}, "rename 1 Base\\WorkState_v1_2", {"Base", "x"},
       {"Base", "x"}, {}, {"20691:Base\\WorkState_v1_2"}},
      // The store keeps names of at most 255 characters; the recent list
      // lives beside the workspaces under its own name.
      {"a name the store can't hold is refused, new", {"P"}, kLongAdd, {"P"}, {"P"}, {}, {"20692:" + kLong}},
      {"a name the store can't hold is refused, changed", {"P"}, kLongRename, {"P"}, {"P"}, {}, {"20692:" + kLong}},
      {"a name of exactly 255 characters is offered", {"P"}, kFullAdd, {"P"}, {"P"}, {}, {"20670:" + kFull}},
      {"the recent list's name is refused", {"P"}, "add __mruRegList", {"P"}, {"P"}, {}, {"20693:__mruRegList"}},
      {"the file list's name is refused as a change", {"P"}, "rename 0 __MRUFileList", {"P"}, {"P"}, {},
       {"20693:__MRUFileList"}},
  };
  for (const Row& r : rows) {
    Editor e(r.start);
    e.Run(r.script);
    EXPECT_EQ(e.lists.stored, r.stored) << r.name;
    EXPECT_EQ(e.lists.newNames, r.newNames) << r.name;
    EXPECT_EQ(e.lists.deleted, r.deleted) << r.name;
    EXPECT_EQ(e.dialog.messages, r.messages) << r.name;
    // Refused or declined new rows leave the list as the lists say.
    EXPECT_EQ(e.Rows(), r.newNames) << r.name;
    EXPECT_EQ(e.dialog.started, e.dialog.stopped) << r.name;
  }
}

TEST(WorkspaceNames, AcceptedNewNameStaysSelectedAndPostsSave) {
  Editor e({"abc"});
  e.dialog.answerYes = true;
  e.Run("add Debug");
  EXPECT_EQ(e.dialog.saves, 1);
  ASSERT_GE(e.model.GetCurSel(), 0);
  EXPECT_EQ(e.model.GetText(e.model.GetCurSel()), "Debug");
  EXPECT_EQ(e.lists.newNames, Names{"abc"});
}

// Trees under the base key carry a marker naming the workspace they were
// saved as; after the changes every new name must hold the tree of the
// workspace at its position, and nothing else may remain.
TEST(WorkspaceNames, ApplyingChangesLosesNoTree) {
  struct Row {
    const char* name;
    Names start;
    const char* script;
  };
  const Row rows[] = {
      {"case-only rename", {"abc", "x"}, "rename 0 ABC"},
      {"swap through a free name", {"a", "b"}, "rename 0 t; rename 1 a; rename 0 b"},
      {"three-cycle", {"a", "b", "c"}, "rename 0 t; rename 2 a; rename 1 c; rename 0 b"},
      {"rename into a deleted name", {"a", "b"}, "delete 0; rename 0 A"},
      {"moves and renames", {"a", "b", "c"}, "down 0; rename 0 q; drag 2 0"},
  };
  const std::string base = "Software\\Ruzorezu\\DefWorkspace\\";
  for (const Row& r : rows) {
    SettingsStore store("/nonexistent/ws.ini");
    for (const std::string& n : r.start) {
      SECPersistentTreeNode root;
      root.Create(kWorkspaceRoot);
      root.SetKeyValue("Marker", n);
      SECPTNStrategyRegistry s(store, base + n);
      ASSERT_TRUE(root.SaveTree(&s));
    }
    Editor e(r.start);
    e.Run(r.script);
    std::vector<std::string> errors;
    Names newNames = e.lists.newNames;
    EXPECT_TRUE(ApplyWorkspaceListChanges(store, base, e.lists.stored, &newNames, e.lists.deleted, &errors))
        << r.name;
    EXPECT_EQ(newNames, e.lists.newNames) << r.name;
    for (std::size_t i = 0; i < newNames.size(); ++i) {
      SECPersistentTreeNode root;
      root.Create(kWorkspaceRoot);
      SECPTNStrategyRegistry s(store, base + newNames[i]);
      ASSERT_TRUE(root.LoadTree(&s)) << r.name << ": " << newNames[i];
      std::string marker;
      root.GetKeyValue("Marker", &marker);
      EXPECT_EQ(marker, e.lists.stored[i]) << r.name << ": " << newNames[i];
    }
    auto keys = store.SubKeys(NormalizeKeyName(base));
    EXPECT_EQ(keys.size(), newNames.size()) << r.name;
    for (const std::string& k : keys) {
      bool listed = false;
      for (const std::string& n : newNames) listed |= SameWorkspaceName(n, k);
      EXPECT_TRUE(listed) << r.name << ": stray key " << k;
    }
  }
}

// A new name whose key the store refuses (a name too long reached it from
// an older list) leaves the layout under its old name, said.
TEST(WorkspaceNames, ARenameTheStoreRefusesKeepsTheLayout) {
  SettingsStore store("/nonexistent/ws.ini");
  SECPersistentTreeNode root;
  root.Create(kWorkspaceRoot);
  root.SetKeyValue("Marker", "a");
  SECPTNStrategyRegistry s(store, "Base\\a");
  ASSERT_TRUE(root.SaveTree(&s));
  Names newNames = {kLong};
  std::vector<std::string> errors;
  EXPECT_FALSE(ApplyWorkspaceListChanges(store, "Base\\", {"a"}, &newNames, {}, &errors));
  EXPECT_EQ(newNames, Names{"a"});
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "The workspace 'a' cannot be stored as '" + kLong + "'; it keeps its name");
  SECPersistentTreeNode back;
  back.Create(kWorkspaceRoot);
  SECPTNStrategyRegistry from(store, "Base\\a");
  ASSERT_TRUE(back.LoadTree(&from));
  std::string marker;
  back.GetKeyValue("Marker", &marker);
  EXPECT_EQ(marker, "a");
}

TEST(WorkspaceNames, UnreadableTreeKeepsItsName) {
  SettingsStore store("/nonexistent/ws.ini");
  Names newNames = {"b"};
  std::vector<std::string> errors;
  EXPECT_FALSE(ApplyWorkspaceListChanges(store, "Base\\", {"a"}, &newNames, {}, &errors));
  EXPECT_EQ(newNames, Names{"a"});
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "The workspace 'a' cannot be read; it keeps its name");
}

}  // namespace
}  // namespace pm2
