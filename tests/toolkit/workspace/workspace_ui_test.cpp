// The workspace dialog and the manager on the docking MDI frame: a layout
// saved from one frame and opened in a fresh one comes back with the same
// geometry; the dialog's buttons follow editing; pictures of the dialog in
// <build>/gallery/workspace.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "platform/atomic_file.h"
#include "platform/settings_store.h"
#include "toolkit/core/persistent_tree.h"
#include "toolkit/dockable/dockable_frame.h"
#include "toolkit/dockable/frame_bar.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/docking/dock_state.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/workspace/mdi_workspace_host.h"
#include "toolkit/workspace/workspace_dialog.h"
#include "toolkit/workspace/workspace_names.h"

namespace pm2 {
namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "toolkit_workspace_ui_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
  return app;
}

QString GalleryDir() {
  const char* bin = std::getenv("PM2_TEST_BIN");
  QString dir = QString(bin ? bin : ".") + "/gallery/workspace";
  QDir().mkpath(dir);
  return dir;
}

const FrameClassInfo kFrameClass{"CChildFrame", nullptr};
const FrameClassInfo kViewClass{"CTextView", nullptr};
const FrameClassInfo kDocClass{"CTextDoc", nullptr};

struct TextFrame : TemplateFrame {
  const FrameClassInfo* RuntimeClass() const override { return &kFrameClass; }
  TemplateWindow* ParentWindow() const override { return nullptr; }
  bool IsShownAlone() const override { return window && !window->isHidden(); }
  unsigned ResourceId() const override { return 1; }
  QPointer<SECMDIChildWnd> window;
  QPointer<SECDockableFrame> dockable;  // a view docked in a dockable frame instead
};

struct TextView : TemplateView {
  explicit TextView(TextFrame* f) : frame(f) {}
  const FrameClassInfo* RuntimeClass() const override { return &kViewClass; }
  TemplateWindow* ParentWindow() const override { return frame; }
  bool IsShownAlone() const override { return true; }
  TemplateFrame* ParentFrame() const override { return frame; }
  TextFrame* frame;
};

struct TextTemplate;

struct TextDoc : TemplateDocument {
  const FrameClassInfo* RuntimeClass() const override { return &kDocClass; }
  DocTemplate* Template() const override;
  std::vector<TemplateView*> Views() const override {
    std::vector<TemplateView*> v;
    for (const auto& p : views) v.push_back(p.get());
    return v;
  }
  TextTemplate* tmpl = nullptr;
  std::string path;
  std::vector<std::unique_ptr<TextView>> views;
};

struct TextTemplate : DocTemplate {
  std::string GetDocString(DocString i) const override { return i == DocString::RegFileTypeId ? "Pm2.Text" : ""; }
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
  std::vector<std::unique_ptr<TextDoc>> docs;
};

DocTemplate* TextDoc::Template() const { return tmpl; }

// Text documents in MDI children of the frame.
class TextApp : public TemplateApp, public MdiWorkspaceHost {
 public:
  explicit TextApp(SECMDIFrameWnd* f) : MdiWorkspaceHost(f) {}
  std::vector<DocTemplate*> Templates() const override { return {const_cast<TextTemplate*>(&tmpl)}; }
  TemplateMainFrame* MainFrame() const override { return nullptr; }
  const TemplateApp* App() const override { return this; }

  QMdiSubWindow* FrameWindow(const TemplateFrame* f) const override {
    return f ? static_cast<const TextFrame*>(f)->window.data() : nullptr;
  }
  TemplateFrame* FrameOf(const QMdiSubWindow* w) const override {
    for (const auto& f : frames)
      if (f->window == w) return f.get();
    return nullptr;
  }
  SECDockableFrame* DockableFrame(const TemplateFrame* f) const override {
    return f ? static_cast<const TextFrame*>(f)->dockable.data() : nullptr;
  }
  TemplateFrame* FrameOfDockable(const SECDockableFrame* d) const override {
    for (const auto& f : frames)
      if (d && f->dockable == d) return f.get();
    return nullptr;
  }
  // A docked view starts at the right; the workspace's dock state decides.
  TemplateDocument* OpenDockedView(DocTemplate*, const std::string& path, unsigned barId) override {
    tmpl.docs.push_back(std::make_unique<TextDoc>());
    TextDoc* d = tmpl.docs.back().get();
    d->tmpl = &tmpl;
    d->path = path;
    frames.push_back(std::make_unique<TextFrame>());
    TextFrame* f = frames.back().get();
    f->dockable = new SECDockableFrame(Frame(), barId, std::filesystem::path(path).filename().string());
    f->dockable->SetView(new QPlainTextEdit(QString::fromStdString("; " + path)));
    Frame()->DockControlBarEx(f->dockable->Bar(), AFX_IDW_DOCKBAR_RIGHT, 0, 0, 1.0f, 180);
    d->views.push_back(std::make_unique<TextView>(f));
    QObject::connect(f->dockable, &QObject::destroyed, &guard,
                     [d, f] { std::erase_if(d->views, [f](const auto& v) { return v->frame == f; }); });
    return d;
  }
  bool SaveModifiedDocuments() override { return true; }  // nothing here is modified
  bool PrepareDocumentForSave(TemplateFrame*, TemplateDocument*) override { return true; }
  std::string DocumentPath(const TemplateDocument* d) const override { return static_cast<const TextDoc*>(d)->path; }
  TemplateDocument* OpenDocument(DocTemplate*, const std::string& path) override {
    tmpl.docs.push_back(std::make_unique<TextDoc>());
    TextDoc* d = tmpl.docs.back().get();
    d->tmpl = &tmpl;
    d->path = path;
    d->views.push_back(std::make_unique<TextView>(NewFrame(path, d)));
    return d;
  }
  TemplateFrame* CreateAdditionalFrame(DocTemplate*, TemplateDocument* doc, TemplateFrame*) override {
    auto* d = static_cast<TextDoc*>(doc);
    TextFrame* f = NewFrame(d->path, d);
    d->views.push_back(std::make_unique<TextView>(f));
    return f;
  }
  void InitialUpdateFrame(DocTemplate*, TemplateFrame*, TemplateDocument*) override {}
  // The document lets go of a closed window at once (its deletion waits).
  bool CloseFrame(TemplateFrame* f) override {
    if (!MdiWorkspaceHost::CloseFrame(f)) return false;
    for (auto& d : tmpl.docs) std::erase_if(d->views, [f](const auto& v) { return v->frame == f; });
    return true;
  }

  TextFrame* NewFrame(const std::string& path, TextDoc* d) {
    frames.push_back(std::make_unique<TextFrame>());
    TextFrame* f = frames.back().get();
    auto* w = new SECMDIChildWnd(Frame());
    auto* text = new QPlainTextEdit(QString::fromStdString("// " + path));
    w->setWidget(text);
    w->setWindowTitle(QString::fromStdString(std::filesystem::path(path).filename().string()));
    Frame()->MdiClient()->addSubWindow(w);
    f->window = w;
    // A closed window takes its view with it.
    QObject::connect(w, &QObject::destroyed, &guard, [d, f] { std::erase_if(d->views, [f](const auto& v) { return v->frame == f; }); });
    w->show();
    return f;
  }
  TextTemplate tmpl;
  std::vector<std::unique_ptr<TextFrame>> frames;
  QObject guard;  // ends the window connections with the application
};

class NoPrompts : public WorkspacePrompts {
 public:
  bool PromptForFileName(bool, const std::string&, std::string*) override { return false; }
  bool RunWorkspaceDialog(WorkspaceNameLists*, std::string*, bool, bool) override { return false; }
  void ShowError(unsigned id, const std::string&, const std::string&) override { errors.push_back(id); }
  std::vector<unsigned> errors;
};

constexpr unsigned kProjectBar = 0xE900, kSerialBar = 0xE905;

SECControlBar* MakeBar(SECMDIFrameWnd* frame, unsigned id, const char* title, std::uint32_t align) {
  auto* bar = new SECControlBar;
  bar->Create(frame, title, CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC | align, kIdeBarExStyle, id);
  bar->EnableDocking(CBRS_ALIGN_ANY);
  bar->SetChild(new QPlainTextEdit(title));
  return bar;
}

struct Layout {
  std::unique_ptr<SECMDIFrameWnd> frame;
  SECControlBar* project = nullptr;
  SECControlBar* serial = nullptr;
};

Layout MakeFrame() {
  Layout l;
  l.frame = std::make_unique<SECMDIFrameWnd>();
  l.frame->setWindowTitle("Pelmora2 - Blinky");
  l.frame->resize(900, 640);
  l.frame->move(0, 0);
  l.frame->EnableDocking(CBRS_ALIGN_ANY);
  l.project = MakeBar(l.frame.get(), kProjectBar, "Project", CBRS_ALIGN_LEFT);
  l.serial = MakeBar(l.frame.get(), kSerialBar, "Serial #1", CBRS_ALIGN_BOTTOM);
  return l;
}

struct Picture {
  std::vector<QRect> children;
  QRect project;
  QRect floating;
  std::string title;
};

Picture Take(SECMDIFrameWnd* frame, SECControlBar* project) {
  Picture p;
  for (QMdiSubWindow* w : frame->MdiClient()->subWindowList()) p.children.push_back(w->geometry());
  p.project = QRect(project->mapTo(frame, QPoint(0, 0)), project->size());
  for (SECMiniDockFrameWnd* f : frame->FloatingFrames())
    if (f->isVisible()) p.floating = f->geometry();
  p.title = frame->windowTitle().toStdString();
  return p;
}

class WorkspaceOnFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    dir = std::filesystem::temp_directory_path() / ("pm2_wsui_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    std::filesystem::remove_all(storeDir);
  }
  std::filesystem::path dir;
  std::filesystem::path storeDir =
      std::filesystem::temp_directory_path() / ("pm2_wsui_store_" + std::to_string(::getpid()));
  SettingsStore store{(storeDir / "settings.ini").string()};
  NoPrompts prompts;
};

TEST_F(WorkspaceOnFrame, OpenedInFreshFrameGivesSameLayout) {
  const std::string file = (dir / "blinky.wsp").string();
  Picture before;
  {
    Layout a = MakeFrame();
    a.frame->DockControlBarEx(a.project, AFX_IDW_DOCKBAR_LEFT, 0, 0, 1.0f, 210);
    a.serial->State().szFloat = {260, 140};
    a.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(a.frame.get()));
    a.frame->FloatControlBar(a.serial, a.frame->mapToGlobal(QPoint(520, 260)), CBRS_ALIGN_TOP);
    TextApp app(a.frame.get());
    app.OpenDocument(&app.tmpl, "/src/main.c");
    app.frames.back()->window->setGeometry(12, 10, 420, 300);
    app.OpenDocument(&app.tmpl, "/src/blinky.c");
    app.frames.back()->window->setGeometry(70, 60, 380, 250);
    QApplication::processEvents();
    before = Take(a.frame.get(), a.project);
    SECWorkspaceManagerEx mgr(store, app, prompts);
    ASSERT_TRUE(mgr.SaveWorkspace(file)) << mgr.LastError();
  }
  Layout b = MakeFrame();
  b.frame->setWindowTitle("fresh");
  b.frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(b.frame.get()));
  TextApp app(b.frame.get());
  SECWorkspaceManagerEx mgr(store, app, prompts);
  ASSERT_TRUE(mgr.OpenWorkspace(file, false));
  QApplication::processEvents();
  Picture after = Take(b.frame.get(), b.project);
  EXPECT_EQ(after.children, before.children);
  EXPECT_EQ(after.project, before.project);
  EXPECT_FALSE(before.floating.isEmpty());
  EXPECT_EQ(after.floating, before.floating);
  EXPECT_EQ(after.title, "Pelmora2 - Blinky");
  EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(WorkspaceOnFrame, DockableFrameDockedAtTheLeftComesBackThere) {
  constexpr unsigned kDisassemblyBar = 0xE950;
  const std::string file = (dir / "docked.wsp").string();
  QRect before, beforeProject;
  {
    Layout a = MakeFrame();
    a.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(a.frame.get()));
    TextApp app(a.frame.get());
    app.OpenDocument(&app.tmpl, "/src/main.c");
    app.OpenDockedView(&app.tmpl, "/src/startup.s", kDisassemblyBar);
    SECDockableFrame* view = app.frames.back()->dockable;
    view->Bar()->State().szVert = {230, 300};
    a.frame->DockControlBarEx(a.project, AFX_IDW_DOCKBAR_LEFT, 0, 0, 1.0f, 210);
    a.frame->DockControlBarEx(a.serial, AFX_IDW_DOCKBAR_BOTTOM, 0, 0, 1.0f, 120);
    a.frame->DockControlBarEx(view->Bar(), AFX_IDW_DOCKBAR_LEFT, 0, 1, 1.0f, 230);
    QApplication::processEvents();
    ASSERT_EQ(view->CurrentPlacement(nullptr), kPlaceLeft);
    before = QRect(view->Bar()->mapTo(a.frame.get(), QPoint(0, 0)), view->Bar()->size());
    beforeProject = QRect(a.project->mapTo(a.frame.get(), QPoint(0, 0)), a.project->size());
    SECWorkspaceManagerEx mgr(store, app, prompts);
    ASSERT_TRUE(mgr.SaveWorkspace(file)) << mgr.LastError();
  }
  Layout b = MakeFrame();
  b.frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(b.frame.get()));
  TextApp app(b.frame.get());
  SECWorkspaceManagerEx mgr(store, app, prompts);
  ASSERT_TRUE(mgr.OpenWorkspace(file, false));
  QApplication::processEvents();
  SECDockableFrame* view = nullptr;
  for (const auto& f : app.frames)
    if (f->dockable) view = f->dockable;
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->Bar()->BarId(), kDisassemblyBar);
  EXPECT_EQ(view->CurrentPlacement(nullptr), kPlaceLeft);
  EXPECT_TRUE(view->Bar()->isVisible());
  EXPECT_EQ(QRect(view->Bar()->mapTo(b.frame.get(), QPoint(0, 0)), view->Bar()->size()), before);
  EXPECT_EQ(QRect(b.project->mapTo(b.frame.get(), QPoint(0, 0)), b.project->size()), beforeProject);
  EXPECT_EQ(app.tmpl.Documents().size(), 2u);
  // Closing the workspace closes the docked view with its bar.
  QPointer<SECFrameBar> bar = view->Bar();
  EXPECT_TRUE(mgr.CloseWorkspace());
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(bar.isNull());
  EXPECT_EQ(b.frame->GetControlBar(kDisassemblyBar), nullptr);
  EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(WorkspaceOnFrame, FloatingDockableFrameComesBackInItsFloatingWindow) {
  constexpr unsigned kMemoryBar = 0xE951;
  const std::string file = (dir / "floating.wsp").string();
  QRect before;
  {
    Layout a = MakeFrame();
    a.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(a.frame.get()));
    TextApp app(a.frame.get());
    app.OpenDockedView(&app.tmpl, "/src/memory.map", kMemoryBar);
    SECDockableFrame* view = app.frames.back()->dockable;
    view->Bar()->State().szFloat = {280, 160};
    a.frame->FloatControlBar(view->Bar(), a.frame->mapToGlobal(QPoint(400, 220)), CBRS_ALIGN_TOP);
    QApplication::processEvents();
    ASSERT_TRUE(view->IsFloating());
    before = view->Bar()->window()->geometry();
    SECWorkspaceManagerEx mgr(store, app, prompts);
    ASSERT_TRUE(mgr.SaveWorkspace(file)) << mgr.LastError();
    // The view frame is stored by its bar and its floating window.
    SECPTNFactory factory;
    SECPersistentTreeNode* root = factory.CreateNode(kWorkspaceRoot);
    auto strategy = mgr.CreateStrategy(file, nullptr);
    ASSERT_TRUE(strategy && root && root->LoadTree(strategy.get()));
    const SECPersistentTreeNode* node = root->FindChild("Frames");
    for (const char* n : {"ChildFrames", "Document-0", "ViewFrame-0"}) node = node ? node->FindChild(n) : nullptr;
    ASSERT_NE(node, nullptr);
    std::int32_t barId = 0;
    bool floating = false;
    EXPECT_EQ(node->GetKeyValueInt("DockedViewBarID", &barId, 0), kPtnOk);
    EXPECT_EQ(barId, std::int32_t(kMemoryBar));
    EXPECT_EQ(node->GetKeyValueBool("DockedViewFloating", &floating, false), kPtnOk);
    EXPECT_TRUE(floating);
  }
  Layout b = MakeFrame();
  b.frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(b.frame.get()));
  TextApp app(b.frame.get());
  SECWorkspaceManagerEx mgr(store, app, prompts);
  ASSERT_TRUE(mgr.OpenWorkspace(file, false));
  QApplication::processEvents();
  ASSERT_FALSE(app.frames.empty());
  SECDockableFrame* view = app.frames.back()->dockable;
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->IsFloating());
  EXPECT_EQ(view->CurrentPlacement(nullptr), kPlaceFloating);
  EXPECT_EQ(view->Bar()->window()->geometry(), before);
  EXPECT_TRUE(view->Bar()->window()->isVisible());
}

TEST_F(WorkspaceOnFrame, CommandsAndRecentMenuRouteThroughTheFrame) {
  Layout a = MakeFrame();
  TextApp app(a.frame.get());
  SECWorkspaceManagerEx mgr(store, app, prompts);
  mgr.Init("Software\\Ruzorezu\\DefWorkspace\\", true);
  AttachWorkspaceManager(a.frame.get(), &mgr);
  app.OpenDocument(&app.tmpl, "/src/main.c");
  EXPECT_FALSE(a.frame->QueryCommandState(kIdWorkspaceClose).enabled);
  ASSERT_TRUE(mgr.SaveWorkspace("Debug"));
  EXPECT_TRUE(a.frame->QueryCommandState(kIdWorkspaceClose).enabled);
  QMenu menu;
  menu.addAction("&Open Workspace...");
  FillRecentWorkspaceMenu(&menu, a.frame.get(), mgr);
  menu.addAction("E&xit");
  FillRecentWorkspaceMenu(&menu, a.frame.get(), mgr);  // refilled in place
  QStringList texts;
  for (QAction* act : menu.actions()) texts << act->text();
  EXPECT_EQ(texts, (QStringList{"&Open Workspace...", "&1 Debug", "E&xit"}));
  EXPECT_TRUE(a.frame->RouteCommand(kIdWorkspaceClose));
  QApplication::processEvents();
  EXPECT_TRUE(app.tmpl.Documents().empty());
  menu.actions()[1]->trigger();  // reopens "Debug"
  EXPECT_EQ(mgr.CurrentName(), "Debug");
  EXPECT_EQ(app.tmpl.Documents().size(), 1u);
}

// A bar that cannot be hidden (as the menu bar) stays shown when a
// workspace saved without it opens: nothing in that layout would show it
// again.
class StayingBar : public SECControlBar {
 public:
  bool CanHide() override { return false; }
};

// Seeded random damage of a saved workspace file: cut at any length, bytes
// overwritten with junk, numbers turned huge, a very long line inserted.
// Opening each gives the "invalid workspace" message naming the file, or
// a layout whose main window stays on the screen and whose windows stay in
// sight in the client area; the file itself is never changed by opening it.
TEST_F(WorkspaceOnFrame, DamagedFilesAreRefusedOrKeepTheWindowsInSight) {
  const std::string good = (dir / "good.wsp").string();
  {
    Layout a = MakeFrame();
    a.frame->DockControlBarEx(a.project, AFX_IDW_DOCKBAR_LEFT, 0, 0, 1.0f, 210);
    a.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(a.frame.get()));
    TextApp app(a.frame.get());
    app.OpenDocument(&app.tmpl, "/src/main.c");
    app.frames.back()->window->setGeometry(12, 10, 420, 300);
    app.OpenDocument(&app.tmpl, "/src/blinky.c");
    app.frames.back()->window->setGeometry(70, 60, 380, 250);
    QApplication::processEvents();
    SECWorkspaceManagerEx mgr(store, app, prompts);
    ASSERT_TRUE(mgr.SaveWorkspace(good)) << mgr.LastError();
  }
  std::string text;
  ASSERT_TRUE(ReadWholeFile(good, text, nullptr));
  Layout b = MakeFrame();
  b.frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(b.frame.get()));
  TextApp app(b.frame.get());
  SECWorkspaceManagerEx mgr(store, app, prompts);
  const QRect screen = b.frame->screen()->availableGeometry();
  const std::string file = (dir / "damaged.wsp").string();
  auto opensInSight = [&](const std::string& bytes, const std::string& what) {
    if (!WriteFileAtomically(file, bytes, nullptr)) {
      ADD_FAILURE() << what << ": the damaged file could not be written";
      return false;
    }
    prompts.errors.clear();
    const bool opened = mgr.OpenWorkspace(file, false);
    QApplication::processEvents();
    if (!opened) {
      EXPECT_EQ(prompts.errors, std::vector<unsigned>{kIdsWsInvalid}) << what;
    } else {
      EXPECT_TRUE(screen.contains(b.frame->frameGeometry()))
          << what << ": the main window out of sight";
      const QRect client = b.frame->MdiClient()->viewport()->rect();
      for (QMdiSubWindow* w : b.frame->MdiClient()->subWindowList()) {
        if (!w->isMaximized() && !w->isMinimized()) {
          EXPECT_TRUE(client.intersects(w->geometry())) << what << ": a window out of sight";
        }
      }
    }
    std::string after;
    EXPECT_TRUE(ReadWholeFile(file, after, nullptr)) << what;
    EXPECT_EQ(after, bytes) << what;
    return opened;
  };
  // Every window place of the file replaced by one rectangle.
  struct PlaceRow {
    const char* name;
    Rect normal;
  } places[] = {
      {"far off the screen", {30000, 30000, 30800, 30600}},
      {"larger than any screen", {-2147483000, -2147483000, 2147483000, 2147483000}},
      {"width past the integers", {-2147483647 - 1, 0, 2147483647, 500}},
  };
  for (const PlaceRow& row : places) {
    WindowPlacement wp;
    wp.normal = row.normal;
    const PlacementBytes bytes = EncodePlacement(wp);
    const std::string value = SECPersistentTreeNode::EncodeBinary(bytes.data(), bytes.size());
    std::string bad = text;
    int replaced = 0;
    for (std::size_t at = 0; (at = bad.find("WindowPlacement=", at)) != std::string::npos; ++replaced) {
      at += 16;
      bad.replace(at, bad.find_first_of("\r\n", at) - at, value);
    }
    ASSERT_GE(replaced, 2) << text;
    EXPECT_TRUE(opensInSight(bad, row.name)) << row.name;
  }
  std::mt19937 random(11);
  auto below = [&](std::size_t n) { return std::size_t(random() % (n ? n : 1)); };
  for (int round = 0; round < 120; ++round) {
    std::string bad = text;
    switch (round % 4) {
      case 0: bad.resize(below(bad.size())); break;
      case 1:
        for (int k = 0; k < 1 + int(below(8)); ++k) bad[below(bad.size())] = char(random());
        break;
      case 2:  // every number in a stretch of lines as large as it can be
        for (std::size_t at = below(bad.size()), end = at + 400; at < end && at < bad.size(); ++at)
          if (std::isxdigit(static_cast<unsigned char>(bad[at]))) bad[at] = round % 8 == 2 ? 'F' : '9';
        break;
      default: bad.insert(below(bad.size()), std::string(100000 + below(1000), 'A' + char(below(26)))); break;
    }
    opensInSight(bad, "round " + std::to_string(round));
  }
}

TEST_F(WorkspaceOnFrame, ABarThatCannotHideStaysWhenAWorkspaceOpens) {
  const std::string file = (dir / "without.wsp").string();
  {
    Layout a = MakeFrame();
    a.frame->DockControlBar(a.project, a.frame->GetDockBar(AFX_IDW_DOCKBAR_LEFT));
    TextApp app(a.frame.get());
    SECWorkspaceManagerEx mgr(store, app, prompts);
    ASSERT_TRUE(mgr.SaveWorkspace(file)) << mgr.LastError();
  }
  Layout b = MakeFrame();
  auto* staying = new StayingBar;
  ASSERT_TRUE(staying->Create(b.frame.get(), "Staying", CBRS_SIZE_DYNAMIC | CBRS_ALIGN_TOP, kIdeBarExStyle, 0xE8FE));
  staying->EnableDocking(CBRS_ALIGN_ANY);
  b.frame->DockControlBar(staying, b.frame->GetDockBar(AFX_IDW_DOCKBAR_TOP));
  b.frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(b.frame.get()));
  TextApp app(b.frame.get());
  SECWorkspaceManagerEx mgr(store, app, prompts);
  ASSERT_TRUE(mgr.OpenWorkspace(file, false));
  QApplication::processEvents();
  EXPECT_TRUE(staying->IsBarVisible());
  EXPECT_TRUE(staying->isVisible());
  EXPECT_TRUE(b.project->IsBarVisible());  // the layout's own bars as it says
}

TEST(WorkspaceDialog, ButtonsFollowEditingAndSelection) {
  App();
  WorkspaceNameLists lists;
  lists.stored = lists.newNames = {"Debug", "Edit", "Build"};
  std::string chosen = "Edit";
  SECWsMgrDialogEx dlg(&lists, &chosen, true, false);
  std::vector<std::string> said;
  dlg.SetAsker([&](const std::string& text, bool) {
    said.push_back(text);
    return false;
  });
  EXPECT_TRUE(dlg.Button(kIdWsOpenButton)->isEnabled());
  EXPECT_FALSE(dlg.Button(kIdWsSaveButton)->isEnabled());
  EXPECT_EQ(dlg.windowTitle(), "Open Workspace");
  EXPECT_EQ(dlg.CurrentLabel()->text(), "Edit");
  EXPECT_EQ(dlg.Editor()->GetCurSel(), 1);
  dlg.Editor()->StartEditing();
  EXPECT_FALSE(dlg.Button(kIdWsOpenButton)->isEnabled());
  EXPECT_FALSE(dlg.Button(kIdWsDoneButton)->isEnabled());
  dlg.Editor()->AcceptEdit("debug");  // another workspace's name in other case
  EXPECT_TRUE(dlg.Button(kIdWsOpenButton)->isEnabled());
  EXPECT_EQ(said, std::vector<std::string>{"The workspace debug already exists. Please enter a unique name."});
  EXPECT_EQ(dlg.Editor()->GetText(1), "Edit");
  dlg.Editor()->SetCurSel(2);
  dlg.OnOpenOrSave();
  EXPECT_EQ(chosen, "Build");
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST(WorkspaceGallery, WritesTheDialogPictures) {
  App();
  WorkspaceNameLists lists;
  lists.stored = lists.newNames = {"Debug", "Edit", "Build", "Flash download"};
  std::string chosen = "Edit";
  SECWsMgrDialogEx dlg(&lists, &chosen, true, true);
  dlg.resize(380, 250);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  EXPECT_TRUE(dlg.grab().save(GalleryDir() + "/workspace_dialog.png", "PNG"));
  dlg.Editor()->SetCurSel(2);
  dlg.Editor()->StartEditing();
  QApplication::processEvents();
  EXPECT_TRUE(dlg.grab().save(GalleryDir() + "/workspace_dialog_editing.png", "PNG"));
  dlg.Editor()->CancelEdit();
}

}  // namespace
}  // namespace pm2
