#include "toolkit/workspace/workspace_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "toolkit/core/persistent_tree.h"

namespace pm2 {
namespace {

const FrameClassInfo kFrameClass{"CChildFrame", nullptr};
const FrameClassInfo kViewClass{"CTextView", nullptr};
const FrameClassInfo kDocClass{"CTextDoc", nullptr};

struct FakeFrame : TemplateFrame {
  const FrameClassInfo* RuntimeClass() const override { return &kFrameClass; }
  TemplateWindow* ParentWindow() const override { return nullptr; }
  bool IsShownAlone() const override { return visible; }
  unsigned ResourceId() const override { return 1; }
  WindowPlacement wp;
  bool visible = false;
  bool closed = false;
};

struct FakeView : TemplateView {
  explicit FakeView(FakeFrame* f) : frame(f) {}
  const FrameClassInfo* RuntimeClass() const override { return &kViewClass; }
  TemplateWindow* ParentWindow() const override { return frame; }
  bool IsShownAlone() const override { return true; }
  TemplateFrame* ParentFrame() const override { return frame; }
  FakeFrame* frame;
};

struct FakeTemplate;

struct FakeDoc : TemplateDocument {
  const FrameClassInfo* RuntimeClass() const override { return &kDocClass; }
  DocTemplate* Template() const override;
  std::vector<TemplateView*> Views() const override {
    std::vector<TemplateView*> v;
    for (const auto& p : views) v.push_back(p.get());
    return v;
  }
  FakeTemplate* tmpl = nullptr;
  std::string path;
  bool saveRefused = false;  // the user cancels the save of an untitled document
  std::vector<std::unique_ptr<FakeView>> views;
};

struct FakeTemplate : DocTemplate {
  FakeTemplate(std::string i, std::string n) : id(std::move(i)), typeName(std::move(n)) {}
  std::string GetDocString(DocString index) const override {
    return index == DocString::RegFileTypeId ? id : index == DocString::RegFileTypeName ? typeName : "";
  }
  const FrameClassInfo* DocClass() const override { return &kDocClass; }
  const FrameClassInfo* ViewClass() const override { return &kViewClass; }
  const FrameClassInfo* FrameClass() const override { return &kFrameClass; }
  unsigned ResourceId() const override { return 1; }
  std::vector<TemplateDocument*> Documents() const override {
    std::vector<TemplateDocument*> v;
    for (const auto& d : docs)
      if (!d->views.empty()) v.push_back(d.get());
    return v;
  }
  std::string id, typeName;
  std::vector<std::unique_ptr<FakeDoc>> docs;
};

DocTemplate* FakeDoc::Template() const { return tmpl; }

struct FakeApp : TemplateApp {
  std::vector<DocTemplate*> Templates() const override { return {c.get(), asm_.get()}; }
  TemplateMainFrame* MainFrame() const override { return nullptr; }
  std::unique_ptr<FakeTemplate> c = std::make_unique<FakeTemplate>("Pm2.CFile", "C Source");
  std::unique_ptr<FakeTemplate> asm_ = std::make_unique<FakeTemplate>("Pm2.AsmFile", "Assembler Source");
};

// A main window with documents in frames; records what the manager asks.
class FakeHost : public WorkspaceFrameHost {
 public:
  const TemplateApp* App() const override { return &app; }
  WindowPlacement MainPlacement() const override { return mainWp; }
  void SetMainPlacement(const WindowPlacement& wp, int) override { mainWp = wp; }
  std::string MainTitle() const override { return title; }
  void SetMainTitle(const std::string& t) override { title = t; }
  void ShowMainWindow(int showCmd) override { shownWith = showCmd; }
  bool SaveDockState(SECPersistentTreeNode* root) override {
    root->CreateChild("DockState")->SetKeyValue("Bars", "0");
    return true;
  }
  bool RestoreDockState(const SECPersistentTreeNode* root) override {
    dockRestored = root->FindChild("DockState") != nullptr;
    return true;
  }
  void HideControlBars() override { barsHidden = true; }
  TemplateFrame* ActiveChild() const override { return active; }
  void ActivateFrame(TemplateFrame* f, int showCmd) override {
    active = static_cast<FakeFrame*>(f);
    activeShow = showCmd;
  }
  void ActivateFirstChild() override { active = frames.empty() ? nullptr : frames.front().get(); }
  bool IsFrameVisible(const TemplateFrame* f) const override { return static_cast<const FakeFrame*>(f)->visible; }
  void ShowFrame(TemplateFrame* f, bool show) override { static_cast<FakeFrame*>(f)->visible = show; }
  WindowPlacement FramePlacement(const TemplateFrame* f) const override { return static_cast<const FakeFrame*>(f)->wp; }
  void SetFramePlacement(TemplateFrame* f, const WindowPlacement& wp) override { static_cast<FakeFrame*>(f)->wp = wp; }
  bool CloseFrame(TemplateFrame* f) override {
    auto* ff = static_cast<FakeFrame*>(f);
    ff->closed = true;
    for (FakeTemplate* t : {app.c.get(), app.asm_.get()})
      for (auto& d : t->docs)
        std::erase_if(d->views, [&](const auto& v) { return v->frame == ff; });
    if (active == ff) active = nullptr;
    return true;
  }
  bool SaveModifiedDocuments() override {
    ++modifiedAsked;
    return !cancelModified;
  }
  bool PrepareDocumentForSave(TemplateFrame*, TemplateDocument* d) override {
    return !static_cast<FakeDoc*>(d)->saveRefused;
  }
  std::string DocumentPath(const TemplateDocument* d) const override { return static_cast<const FakeDoc*>(d)->path; }
  TemplateDocument* OpenDocument(DocTemplate* t, const std::string& path) override {
    if (path.find("missing") != std::string::npos) return nullptr;
    FakeDoc* d = AddDoc(static_cast<FakeTemplate*>(t), path);
    opened.push_back(path);
    return d;
  }
  TemplateFrame* CreateAdditionalFrame(DocTemplate*, TemplateDocument* d, TemplateFrame*) override {
    frames.push_back(std::make_unique<FakeFrame>());
    static_cast<FakeDoc*>(d)->views.push_back(std::make_unique<FakeView>(frames.back().get()));
    return frames.back().get();
  }
  void InitialUpdateFrame(DocTemplate*, TemplateFrame*, TemplateDocument*) override {}

  FakeDoc* AddDoc(FakeTemplate* t, const std::string& path) {
    t->docs.push_back(std::make_unique<FakeDoc>());
    FakeDoc* d = t->docs.back().get();
    d->tmpl = t;
    d->path = path;
    frames.push_back(std::make_unique<FakeFrame>());
    d->views.push_back(std::make_unique<FakeView>(frames.back().get()));
    return d;
  }

  FakeApp app;
  std::vector<std::unique_ptr<FakeFrame>> frames;
  FakeFrame* active = nullptr;
  int activeShow = -1;
  WindowPlacement mainWp;
  std::string title;
  int shownWith = -1;
  bool dockRestored = false, barsHidden = false;
  std::vector<std::string> opened;
  int modifiedAsked = 0;        // times the modified documents were asked about
  bool cancelModified = false;  // the user's answer there: Cancel
};

class FakePrompts : public WorkspacePrompts {
 public:
  bool PromptForFileName(bool forSave, const std::string& filter, std::string* name) override {
    asked.push_back(std::string(forSave ? "save " : "open ") + filter);
    *name = answer;
    return !answer.empty();
  }
  bool RunWorkspaceDialog(WorkspaceNameLists* lists, std::string* chosen, bool, bool) override {
    if (edit) return edit(lists, chosen);
    *chosen = answer;
    return !answer.empty();
  }
  // The user's edits in the dialog and its closing button, when set.
  std::function<bool(WorkspaceNameLists*, std::string*)> edit;
  void ShowError(unsigned id, const std::string& name, const std::string& reason) override {
    errors.push_back(std::to_string(id) + ":" + name);
    reasons.push_back(reason);
  }
  std::string answer;
  std::vector<std::string> asked, errors, reasons;
};

WindowPlacement Wp(int l, int t, int r, int b, unsigned show = 1) {
  WindowPlacement wp;
  wp.normal = {l, t, r, b};
  wp.showCmd = show;
  return wp;
}

class WorkspaceManager : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("pm2_ws_" + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    std::filesystem::remove_all(storeDir);
  }
  std::string File(const char* name) const { return (dir / name).string(); }

  std::filesystem::path dir;
  // The settings file lives in its own folder, made on the first save.
  std::filesystem::path storeDir =
      std::filesystem::temp_directory_path() / ("pm2_ws_store_" + std::to_string(::getpid()));
  SettingsStore store{(storeDir / "settings.ini").string()};
  FakePrompts prompts;
};

// A layout of three documents: main.c in two frames (the second frame
// with a second view), start.s active and maximised, an untitled one whose
// save the user cancels.
void BuildLayout(FakeHost& h) {
  h.mainWp = Wp(10, 20, 1010, 720, 3);
  h.title = "Pelmora2 - Blinky";
  FakeDoc* main = h.AddDoc(h.app.c.get(), "/src/main.c");
  h.frames.back()->wp = Wp(0, 0, 400, 300);
  h.frames.back()->visible = true;
  FakeFrame* second = static_cast<FakeFrame*>(h.CreateAdditionalFrame(h.app.c.get(), main, nullptr));
  second->wp = Wp(30, 30, 430, 330);
  second->visible = false;
  main->views.push_back(std::make_unique<FakeView>(second));  // a split view in the second frame
  h.AddDoc(h.app.asm_.get(), "/src/start.s");
  h.frames.back()->wp = Wp(60, 60, 460, 360, 3);
  h.frames.back()->visible = true;
  h.active = h.frames.back().get();
  FakeDoc* untitled = h.AddDoc(h.app.c.get(), "");
  untitled->saveRefused = true;
  h.frames.back()->visible = true;
}

TEST_F(WorkspaceManager, SavedTreeHoldsFramesViewsAndSkipsUnsaved) {
  FakeHost host;
  BuildLayout(host);
  SECWorkspaceManagerEx mgr(store, host, prompts);
  mgr.Init("Software\\Ruzorezu\\DefWorkspace", false);
  const std::string file = File("blinky.wsp");
  ASSERT_TRUE(mgr.SaveWorkspace(file));
  EXPECT_TRUE(mgr.IsOpen());
  EXPECT_EQ(mgr.CurrentName(), file);

  SECPersistentTreeNode root;
  root.Create(kWorkspaceRoot);
  SECPTNStrategyProfile s(file);
  ASSERT_TRUE(root.LoadTree(&s));
  const auto* children = root.FindChild("Frames")->FindChild("ChildFrames");
  ASSERT_NE(children, nullptr);
  // Documents are numbered in template order: main.c, the untitled one, start.s.
  ASSERT_EQ(children->Children().size(), 3u);
  const auto* mainDoc = children->FindChild("Document-0");
  ASSERT_EQ(mainDoc->Children().size(), 2u);
  const auto* vf1 = mainDoc->FindChild("ViewFrame-1");
  ASSERT_NE(vf1, nullptr);
  EXPECT_NE(vf1->FindChild("AdditionalViewPerFrame-0"), nullptr);
  std::string v;
  vf1->GetKeyValue("IsFrameVisible", &v);
  EXPECT_EQ(v, "False");
  EXPECT_TRUE(children->FindChild("Document-1")->Children().empty());  // the untitled one
  const auto* asmFrame = children->FindChild("Document-2")->FindChild("ViewFrame-0");
  asmFrame->GetKeyValue("DocumentString", &v);
  EXPECT_EQ(v, "Pm2.AsmFile");
  asmFrame->GetKeyValue("IsActiveChildFrame", &v);
  EXPECT_EQ(v, "True");
}

TEST_F(WorkspaceManager, OpenedInFreshFrameGivesSameLayout) {
  FakeHost saved;
  BuildLayout(saved);
  const std::string file = File("blinky.wsp");
  {
    SECWorkspaceManagerEx mgr(store, saved, prompts);
    ASSERT_TRUE(mgr.SaveWorkspace(file));
  }
  FakeHost fresh;
  SECWorkspaceManagerEx mgr(store, fresh, prompts);
  ASSERT_TRUE(mgr.OpenWorkspace(file, false));
  EXPECT_EQ(fresh.opened, (std::vector<std::string>{"/src/main.c", "/src/start.s"}));
  ASSERT_EQ(fresh.frames.size(), 3u);
  EXPECT_EQ(fresh.frames[0]->wp, saved.frames[0]->wp);
  EXPECT_EQ(fresh.frames[1]->wp, saved.frames[1]->wp);
  EXPECT_FALSE(fresh.frames[1]->visible);
  EXPECT_EQ(fresh.frames[2]->wp, saved.frames[2]->wp);
  EXPECT_EQ(fresh.active, fresh.frames[2].get());
  EXPECT_EQ(fresh.activeShow, 3);  // shown as it was: maximised
  EXPECT_EQ(fresh.mainWp.normal, saved.mainWp.normal);
  EXPECT_EQ(fresh.title, "Pelmora2 - Blinky");
  EXPECT_EQ(fresh.shownWith, 3);
  EXPECT_TRUE(fresh.dockRestored);
  EXPECT_TRUE(fresh.barsHidden);
}

TEST_F(WorkspaceManager, OlderTreeNamesTemplatesByFileTypeName) {
  const std::string file = File("old.wsp");
  {
    IniDocument doc;
    SECPTNStrategyProfile s(&doc);
    SECPersistentTreeNode root;
    root.Create(kWorkspaceRootV11);
    auto* vf = root.CreateChild("Frames")->CreateChild("ChildFrames")->CreateChild("Document-0")->CreateChild("ViewFrame-0");
    vf->SetKeyValue("DocPathName", "/src/start.s");
    vf->SetKeyValue("DocumentString", "Assembler Source");
    ASSERT_TRUE(root.SaveTree(&s));
    ASSERT_TRUE(TheIniFiles().Save(file, doc));
  }
  FakeHost host;
  SECWorkspaceManagerEx mgr(store, host, prompts);
  ASSERT_TRUE(mgr.OpenWorkspace(file, false));
  ASSERT_EQ(host.app.asm_->Documents().size(), 1u);
  EXPECT_TRUE(host.app.c->Documents().empty());
}

TEST_F(WorkspaceManager, FailedSaveIsNotRecorded) {
  FakeHost host;
  BuildLayout(host);
  SECWorkspaceManagerEx mgr(store, host, prompts);
  ASSERT_TRUE(mgr.SaveWorkspace(File("good.wsp")));
  EXPECT_FALSE(mgr.SaveWorkspace(File("no-such-folder/bad.wsp")));
  EXPECT_FALSE(mgr.LastError().empty());
  EXPECT_EQ(mgr.CurrentName(), File("good.wsp"));
  std::vector<std::string> list;
  mgr.ReadWorkspaceList(&list);
  EXPECT_EQ(list, std::vector<std::string>{File("good.wsp")});
}

TEST_F(WorkspaceManager, InvalidWorkspaceIsReportedAndDropped) {
  FakeHost host;
  SECWorkspaceManagerEx mgr(store, host, prompts);
  mgr.WriteWorkspaceList({File("gone.wsp"), File("other.wsp")});
  EXPECT_FALSE(mgr.OpenWorkspace(File("gone.wsp"), false));
  EXPECT_EQ(prompts.errors, std::vector<std::string>{"20690:" + File("gone.wsp")});
  std::vector<std::string> list;
  mgr.ReadWorkspaceList(&list);
  EXPECT_EQ(list, std::vector<std::string>{File("other.wsp")});
  EXPECT_EQ(host.shownWith, 1);
  EXPECT_FALSE(mgr.OpenWorkspace(File("other.wsp"), true));
  EXPECT_EQ(prompts.errors.size(), 1u);  // silent
}

// A workspace that does not read says what is wrong with it, beside its
// name: a missing file, a pipe or a folder in its place (refused, never
// waited on), a file of another kind or one whose first section is
// damaged; in the settings, the key that is not there. The file is left
// as it was.
TEST_F(WorkspaceManager, AWorkspaceThatDoesNotReadSaysWhatIsWrong) {
  FakeHost host;
  SECWorkspaceManagerEx mgr(store, host, prompts);
  ASSERT_EQ(::mkfifo(File("pipe.wsp").c_str(), 0600), 0);
  std::filesystem::create_directories(File("folder.wsp"));
  // A byte of the section's name overwritten.
  const std::string junk = "\x01\x02junk\r\n[WorkSt\x07te_v1_2]\r\nptn_Child1=Frames\r\n";
  std::ofstream(File("junk.wsp"), std::ios::binary) << junk;
  struct UnreadRow {
    const char* name;
    std::string file;
    std::string reason;
  } rows[] = {
      {"missing", File("gone.wsp"), "The file '" + File("gone.wsp") + "' does not exist."},
      {"named pipe", File("pipe.wsp"), "'" + File("pipe.wsp") + "' is a named pipe (FIFO), not a workspace file."},
      {"folder", File("folder.wsp"), "'" + File("folder.wsp") + "' is a folder, not a workspace file."},
      {"damaged section line", File("junk.wsp"),
       "The file '" + File("junk.wsp") +
           "' holds no section [WorkState_v1_2] with entries: it is no workspace file, or that section is damaged."},
  };
  for (const UnreadRow& r : rows) {
    prompts.errors.clear();
    prompts.reasons.clear();
    EXPECT_FALSE(mgr.OpenWorkspace(r.file, false)) << r.name;
    EXPECT_EQ(prompts.errors, std::vector<std::string>{"20690:" + r.file}) << r.name;
    EXPECT_EQ(prompts.reasons, std::vector<std::string>{r.reason}) << r.name;
  }
  std::ifstream in(File("junk.wsp"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), junk);

  // In the settings: the key the workspace would be under.
  SECWorkspaceManagerEx inStore(store, host, prompts);
  inStore.Init("Workspaces", true);
  prompts.reasons.clear();
  EXPECT_FALSE(inStore.OpenWorkspace("Lost", false));
  EXPECT_EQ(prompts.reasons, std::vector<std::string>{"The settings hold no key 'Workspaces\\Lost\\WorkState_v1_2'."});
}

// Cancel on a modified document, whether another workspace opens or the
// current one closes: no window closes, nothing opens, and the current
// workspace stays current. The question comes once, before any window goes.
TEST_F(WorkspaceManager, CancelOnAModifiedDocumentKeepsEverything) {
  struct Row {
    const char* name;
    bool open;  // open another workspace, else close the current one
  };
  for (const Row& row : {Row{"open another", true}, Row{"close the current", false}}) {
    SCOPED_TRACE(row.name);
    FakeHost other;
    other.AddDoc(other.app.c.get(), "/src/other.c");
    {
      SECWorkspaceManagerEx mgr(store, other, prompts);
      ASSERT_TRUE(mgr.SaveWorkspace(File("other.wsp")));
    }
    FakeHost host;
    BuildLayout(host);
    SECWorkspaceManagerEx mgr(store, host, prompts);
    ASSERT_TRUE(mgr.SaveWorkspace(File("mine.wsp")));
    host.cancelModified = true;
    if (row.open) {
      EXPECT_FALSE(mgr.OpenWorkspace(File("other.wsp"), false));
    } else {
      EXPECT_FALSE(mgr.CloseWorkspace());
    }
    EXPECT_EQ(host.modifiedAsked, 1);
    for (const auto& frame : host.frames) EXPECT_FALSE(frame->closed);
    EXPECT_TRUE(host.opened.empty());
    EXPECT_FALSE(host.barsHidden);
    EXPECT_TRUE(mgr.IsOpen());
    EXPECT_EQ(mgr.CurrentName(), File("mine.wsp"));
    std::vector<std::string> list;
    mgr.ReadWorkspaceList(&list);
    EXPECT_EQ(list.front(), File("mine.wsp"));
    // Answered, the same request goes through.
    host.cancelModified = false;
    if (row.open) {
      EXPECT_TRUE(mgr.OpenWorkspace(File("other.wsp"), false));
      EXPECT_EQ(host.opened, std::vector<std::string>{"/src/other.c"});
      EXPECT_EQ(mgr.CurrentName(), File("other.wsp"));
    } else {
      EXPECT_TRUE(mgr.CloseWorkspace());
      EXPECT_FALSE(mgr.IsOpen());
    }
    EXPECT_TRUE(host.frames.front()->closed);
  }
}

TEST_F(WorkspaceManager, CommandsThroughTheRouter) {
  FakeHost host;
  BuildLayout(host);
  SECWorkspaceManagerEx mgr(store, host, prompts);
  mgr.Init("Software\\Ruzorezu\\DefWorkspace\\", true);
  CommandRouter router;
  router.SetChain({&mgr});
  EXPECT_FALSE(router.QueryState(kIdWorkspaceClose).enabled);
  prompts.answer = "Debug";
  EXPECT_TRUE(router.Route(kIdWorkspaceSaveAs));
  EXPECT_EQ(mgr.CurrentName(), "Debug");
  prompts.answer = "Edit";
  EXPECT_TRUE(router.Route(kIdWorkspaceSaveAs));
  EXPECT_TRUE(router.QueryState(kIdWorkspaceClose).enabled);
  auto menu = mgr.RecentMenu();
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].text, "&1 Edit");
  EXPECT_TRUE(menu[0].checked);
  // Saving under the current name keeps the order.
  EXPECT_TRUE(router.Route(kIdWorkspaceSave));
  EXPECT_EQ(mgr.RecentMenu()[0].text, "&1 Edit");
  EXPECT_TRUE(router.Route(kIdWorkspaceClose));
  EXPECT_FALSE(mgr.IsOpen());
  EXPECT_TRUE(host.app.c->Documents().empty());
  // The second recent entry is "Debug": it reopens main.c and start.s.
  EXPECT_TRUE(router.Route(kIdWorkspaceRecentFirst + 1));
  EXPECT_EQ(mgr.CurrentName(), "Debug");
  EXPECT_EQ(host.opened, (std::vector<std::string>{"/src/main.c", "/src/start.s"}));
  EXPECT_TRUE(router.Route(kIdWorkspaceRecentFirst + 5));  // beyond the list: nothing
  EXPECT_EQ(mgr.CurrentName(), "Debug");
}

// A workspace whose settings can't be written is said, through the save
// command, naming why; a name the store can't hold is refused before
// anything is stored, and so is the recent list's own.
TEST_F(WorkspaceManager, ASaveThatFailsIsSaid) {
  FakeHost host;
  BuildLayout(host);
  SECWorkspaceManagerEx mgr(store, host, prompts);
  mgr.Init("Software\\Ruzorezu\\DefWorkspace\\", true);
  CommandRouter router;
  router.SetChain({&mgr});
  // The settings folder's place taken by a file: every write fails.
  std::filesystem::remove_all(storeDir);
  std::ofstream(storeDir.string()) << "in the way";
  prompts.answer = "Debug";
  router.Route(kIdWorkspaceSaveAs);
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(prompts.errors[0].rfind("20694:", 0), 0u) << prompts.errors[0];
  EXPECT_NE(prompts.errors[0].find(storeDir.string()), std::string::npos) << prompts.errors[0];
  std::filesystem::remove(storeDir);

  prompts.errors.clear();
  for (const std::string& name : {std::string(300, 'n'), std::string("__MRURegList")}) {
    prompts.answer = name;
    router.Route(kIdWorkspaceSaveAs);
    EXPECT_NE(mgr.CurrentName(), name);
  }
  EXPECT_EQ(prompts.errors, (std::vector<std::string>{"20692:" + std::string(300, 'n'), "20693:__MRURegList"}));
  EXPECT_FALSE(store.KeyExists("Software\\Ruzorezu\\DefWorkspace\\" + std::string(300, 'n')));
}

// Done after the open workspace's row was deleted opens nothing: the
// deleted name is gone from the store and the list, and the other stays.
TEST_F(WorkspaceManager, DoneAfterDeletingTheChosenRowOpensNothing) {
  FakeHost host;
  BuildLayout(host);
  SECWorkspaceManagerEx mgr(store, host, prompts);
  mgr.Init("Software\\Ruzorezu\\DefWorkspace\\", true);
  CommandRouter router;
  router.SetChain({&mgr});
  for (const char* name : {"Keep", "Gone"}) {
    prompts.answer = name;
    ASSERT_TRUE(router.Route(kIdWorkspaceSaveAs));
  }
  ASSERT_EQ(mgr.CurrentName(), "Gone");
  host.opened.clear();
  prompts.edit = [](WorkspaceNameLists* lists, std::string* chosen) {
    EXPECT_EQ(*chosen, "Gone");
    for (std::size_t i = 0; i < lists->stored.size(); ++i)
      if (lists->stored[i] == "Gone") {
        lists->deleted.push_back(lists->stored[i]);
        lists->stored.erase(lists->stored.begin() + long(i));
        lists->newNames.erase(lists->newNames.begin() + long(i));
        break;
      }
    return true;  // Done
  };
  router.Route(kIdWorkspaceOpen);
  EXPECT_TRUE(host.opened.empty());
  EXPECT_TRUE(prompts.errors.empty()) << prompts.errors.front();
  EXPECT_FALSE(mgr.IsOpen());
  ASSERT_EQ(mgr.RecentMenu().size(), 1u);
  EXPECT_EQ(mgr.RecentMenu()[0].text, "&1 Keep");
}

}  // namespace
}  // namespace pm2
