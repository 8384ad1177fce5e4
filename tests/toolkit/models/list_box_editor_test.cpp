#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "toolkit/core/file_system.h"
#include "toolkit/models/list_box_editor_model.h"

namespace pm2 {
namespace {

// The parent dialog and a subclass that records every hook and can refuse.
class Recorder : public CommandListener {
 public:
  std::vector<int> codes;
  void OnCommand(unsigned, int code, const void*) override { codes.push_back(code); }
};

class PathList : public ListBoxEditorModel {
 public:
  std::vector<std::string> log;
  bool refuseDelete = false;
  std::string refuseName;  // a rename to this is refused and undone

  void OnItemRenamed(int index, std::string oldText, std::string newText) override {
    log.push_back("renamed " + std::to_string(index) + " " + oldText + "->" + newText);
    if (newText == refuseName) {
      SetItemText(index, oldText);  // the page refuses: undo in the list
      return;
    }
    ListBoxEditorModel::OnItemRenamed(index, oldText, newText);
  }
  void OnItemAdded(int index, std::string text) override {
    log.push_back("added " + std::to_string(index) + " " + text);
    ListBoxEditorModel::OnItemAdded(index, text);
  }
  void OnItemMoved(int from, int to, std::string text, bool dragged) override {
    log.push_back("moved " + std::to_string(from) + "->" + std::to_string(to) + " " + text +
                  (dragged ? " by drag" : ""));
    ListBoxEditorModel::OnItemMoved(from, to, text, dragged);
  }
  bool OnItemDeleting(int index, std::string text) override {
    log.push_back("deleting " + std::to_string(index) + " " + text);
    return !refuseDelete;
  }
};

class EditorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    list.SetParent(&parent, 1001);
    list.InitializeModel(LBE_BROWSE | LBE_BUTTONS | LBE_SHORTCUTS | LBE_DRAG | LBE_TYPETOEDIT);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (int i = 0; i < list.GetCount(); ++i) t.push_back(list.GetText(i));
    return t;
  }
  void Type(const std::string& text) {
    list.SetCurSel(list.GetCount() - 1);
    list.StartEditing(0);
    list.AcceptEdit(text);
  }

  Recorder parent;
  PathList list;
};

TEST_F(EditorFixture, SessionOfAddRenameMoveAndDelete) {
  EXPECT_EQ(Texts(), std::vector<std::string>{""});  // the empty last row
  Type("src");
  Type("inc  ");
  EXPECT_EQ(Texts(), (std::vector<std::string>{"src", "inc", ""}));

  list.SetCurSel(0);
  list.StartEditing(0);
  list.AcceptEdit("source");
  list.SetCurSel(1);
  ASSERT_TRUE(list.OnListKey(vk::Up, true, false));     // Alt+Up
  EXPECT_EQ(Texts(), (std::vector<std::string>{"inc", "source", ""}));
  EXPECT_FALSE(list.OnMoveUp());                          // first row
  list.SetCurSel(1);
  EXPECT_FALSE(list.OnMoveDown());                        // last item
  list.SetCurSel(0);
  ASSERT_TRUE(list.OnListKey(vk::Delete, false, false));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"source", ""}));
  list.SetCurSel(1);
  EXPECT_FALSE(list.DeleteItem(1));                       // the empty row stays

  EXPECT_EQ(list.log, (std::vector<std::string>{"added 0 src", "added 1 inc  ", "renamed 0 src->source",
                                                "moved 1->0 inc", "deleting 0 inc"}));
  // The parent hears of the move (11) and the deletion (10).
  EXPECT_EQ(std::count(parent.codes.begin(), parent.codes.end(), kLbeMoved), 1);
  EXPECT_EQ(std::count(parent.codes.begin(), parent.codes.end(), kLbeDeleted), 1);
  EXPECT_EQ(list.LastMovedFrom(), 0);
}

TEST_F(EditorFixture, RefusedChangesAreUndone) {
  Type("alpha");
  Type("beta");
  list.refuseName = "gamma";
  list.SetCurSel(1);
  list.StartEditing(0);
  list.AcceptEdit("gamma");
  EXPECT_EQ(list.GetText(1), "beta");
  list.refuseDelete = true;
  list.SetCurSel(0);
  list.OnDeleteItems();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"alpha", "beta", ""}));
  EXPECT_EQ(std::count(parent.codes.begin(), parent.codes.end(), kLbeDeleted), 0);
}

TEST_F(EditorFixture, EscapeBlanksAndUnchangedTexts) {
  Type("one");
  // Escape on the empty row leaves the list as it was.
  list.SetCurSel(1);
  list.StartEditing('x');
  list.CancelEdit();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"one", ""}));
  // New item then Escape: the new row goes again.
  list.SetCurSel(0);
  list.OnNewItem();
  EXPECT_EQ(list.GetCount(), 3);
  list.CancelEdit();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"one", ""}));
  EXPECT_EQ(list.GetCurSel(), 0);
  // New item with text: added before the empty row.
  list.OnNewItem();
  list.AcceptEdit("two");
  EXPECT_EQ(Texts(), (std::vector<std::string>{"one", "two", ""}));
  // Renaming to the same text calls no hook; renaming to blanks deletes.
  const size_t hooks = list.log.size();
  list.SetCurSel(0);
  list.StartEditing(0);
  list.AcceptEdit("one");
  EXPECT_EQ(list.log.size(), hooks);
  list.StartEditing(0);
  list.AcceptEdit("   ");
  EXPECT_EQ(Texts(), (std::vector<std::string>{"two", ""}));
}

TEST_F(EditorFixture, DragMovesOnlyWhenItCounts) {
  for (const char* t : {"a", "b", "c", "d"}) Type(t);
  struct Row {
    const char* name;
    int from, overRow;
    bool lower;
    int held;
    bool cancelled;
    std::vector<std::string> expected;
  } rows[] = {
      {"released too soon", 0, 3, false, 200, false, {"a", "b", "c", "d", ""}},
      {"cancelled", 0, 3, false, 400, true, {"a", "b", "c", "d", ""}},
      {"lower half of the row below", 1, 1, true, 400, false, {"a", "b", "c", "d", ""}},
      {"onto row 3", 0, 3, false, 400, false, {"b", "c", "a", "d", ""}},
      {"after the last item", 0, 3, true, 400, false, {"c", "a", "d", "b", ""}},
      {"the empty row is no target", 3, 4, false, 400, false, {"c", "a", "d", "b", ""}},
  };
  for (const Row& r : rows) {
    list.SetCurSel(r.from);
    ASSERT_TRUE(list.CanStartDrag()) << r.name;
    int target = list.DragTarget(r.overRow, r.lower);
    list.FinishDrag(r.from, target, r.held, true, r.cancelled);
    EXPECT_EQ(Texts(), r.expected) << r.name;
  }
  list.SetCurSel(4);
  EXPECT_FALSE(list.CanStartDrag());
  EXPECT_EQ(list.log.back(), "moved 0->3 b by drag");
}

TEST_F(EditorFixture, BlanksTypedIntoTheEmptyRowLeaveItEmpty) {
  Type("one");
  Type("   ");
  EXPECT_EQ(Texts(), (std::vector<std::string>{"one", ""}));
  // The row is still the empty last row: a new item goes before it.
  list.OnNewItem();
  list.AcceptEdit("two");
  EXPECT_EQ(Texts(), (std::vector<std::string>{"one", "two", ""}));
}

TEST(ListBoxEditorKeys, TypedCharactersThatStartAnEdit) {
  struct Row {
    const char* name;
    unsigned options;
    bool spacesAllowed;
    char ch;
    bool ctrl;
    bool editing;
  } rows[] = {
      {"letter", LBE_TYPETOEDIT, false, 'x', false, true},
      {"letter with Ctrl", LBE_TYPETOEDIT, false, 'x', true, false},
      {"letter without the option", 0, false, 'x', false, false},
      {"backspace opens an empty edit", LBE_TYPETOEDIT, false, '\b', false, true},
      {"backspace with spaces allowed leaves the list", LBE_TYPETOEDIT, true, '\b', false, false},
      {"backspace with spaces allowed, no option", 0, true, '\b', false, false},
      {"other control character", LBE_TYPETOEDIT, false, '\x01', false, false},
  };
  for (const Row& r : rows) {
    PathList l;
    l.InitializeModel(r.options);
    l.InsertString(0, "one");
    l.SetCurSel(0);
    l.SetSpacesAllowed(r.spacesAllowed);
    l.OnListChar(r.ch, r.ctrl);
    EXPECT_EQ(l.IsEditing(), r.editing) << r.name;
  }
}

TEST(ListBoxEditorTyping, AMultiByteCharacterOpensTheEditWithAllItsBytes) {
  struct EditHost : ListBoxEditorHost {
    std::string opened;
    void OpenEdit(int, const std::string& text, bool) override { opened = text; }
  } host;
  PathList l;
  l.SetEditorHost(&host);
  l.InitializeModel(LBE_TYPETOEDIT);
  l.InsertString(0, "one");
  l.SetCurSel(0);
  const std::string eAcute = "\xC3\xA9";
  ASSERT_TRUE(l.OnListText(eAcute, false));
  EXPECT_EQ(host.opened, eAcute);
  l.AcceptEdit(eAcute + "t\xC3\xA9");
  EXPECT_EQ(l.GetText(0), "\xC3\xA9t\xC3\xA9");
}

TEST(ListBoxEditorMultiSelect, MovesTheOneSelectedRowNotTheCaret) {
  Recorder parent;
  PathList l;
  l.SetParent(&parent, 7);
  l.InitializeModel(LBE_SHORTCUTS, true);
  for (const char* t : {"a", "b", "c"}) l.InsertString(l.GetItemCount(), t);
  l.SetCurSel(0);
  l.SetSelected(0, false);
  l.SetSelected(1, true);  // caret on "a", selection on "b"
  EXPECT_TRUE(l.OnMoveDown());
  EXPECT_EQ(l.GetText(2), "b");
  EXPECT_EQ(l.log.back(), "moved 1->2 b");
  l.SetSelected(0, true);  // two rows selected: nothing moves
  EXPECT_FALSE(l.OnMoveUp());
  EXPECT_EQ(parent.codes.back(), kLbeMoved);
}

TEST_F(EditorFixture, SpacesThatEndAnEntry) {
  struct Row {
    const char* name;
    int count;
    std::string after;
    int caret;
    bool selection;
    bool ends;
  } rows[] = {
      {"one space at the end", 1, "abc ", 3, false, true},
      {"space inside the text", 1, "ab c", 2, false, false},
      {"first of two", 2, "abc ", 3, false, false},
      {"second of two", 2, "abc  ", 4, false, true},
      {"with a selection", 1, "abc ", 3, true, false},
  };
  for (const Row& r : rows) {
    list.SetSpacesThatEnd(r.count);
    EXPECT_EQ(list.SpaceEndsEntry(r.after, r.caret, r.selection), r.ends) << r.name;
  }
  list.SetSpacesAllowed(true);
  EXPECT_FALSE(list.SpaceEndsEntry("abc ", 3, false));
}

TEST(FileSystem, StartFoldersAndFiles) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("pm2_fs_" + std::to_string(::getpid()));
  fs::create_directories(dir / "sub");
  std::ofstream(dir / "file.txt") << "x";
  SECFileSystem fsys;
  fsys.MapDrive('c', dir.string());
  struct Row {
    const char* name;
    std::string text;
    std::string folder;
  } rows[] = {
      {"folder with trailing separator", (dir / "sub").string() + "/", (dir / "sub").string()},
      {"bare mapped drive", "C:", dir.string() + "/"},
      {"drive path with backslashes", "C:\\sub\\", dir.string() + "/sub"},
      {"unmapped drive", "Q:", ""},
      {"missing folder", (dir / "nope").string(), ""},
      {"a file is no folder", (dir / "file.txt").string(), ""},
  };
  for (const Row& r : rows) EXPECT_EQ(fsys.StartFolder(r.text), r.folder) << r.name;
  std::string folder;
  EXPECT_EQ(fsys.StartFile((dir / "file.txt").string(), &folder), (dir / "file.txt").string());
  EXPECT_EQ(folder, "");
  EXPECT_EQ(fsys.StartFile((dir / "gone.txt").string(), &folder), "");
  EXPECT_EQ(fsys.StartFile("C:\\sub", &folder), "");
  EXPECT_EQ(folder, dir.string() + "/sub");

  const std::string before = fsys.GetCurrentDirectory();
  EXPECT_EQ(fsys.GetCurrentDirectory("C:\\sub"), fs::canonical(dir / "sub").string());
  EXPECT_EQ(fsys.GetCurrentDirectory(), before);  // changed back
  EXPECT_EQ(fsys.GetCurrentDirectory("Q:"), "");
  EXPECT_FALSE(fsys.IsDirectory((dir / "nope").string()));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pm2
