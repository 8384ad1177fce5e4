// Finding document templates again: indexes among templates that share a
// document string, the staged search for a document's template, and the
// frame utilities that look for another window to activate.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/frames/doc_template.h"

namespace pm2 {
namespace {

// Classes of a small application.
const FrameClassInfo kWorksheet{"SECWorksheetWnd"};
const FrameClassInfo kEditFrame{"CEditFrame", &kWorksheet};
const FrameClassInfo kBrowseFrame{"CBrowseFrame", &kWorksheet};
const FrameClassInfo kBarDockFrame{"CBarDockFrame", &DockableFrameClassInfo()};
const FrameClassInfo kEditView{"CEditView"};
const FrameClassInfo kBrowseView{"CBrowseView"};
const FrameClassInfo kTextDoc{"CTextDoc"};
const FrameClassInfo kAsmDoc{"CAsmDoc"};
const FrameClassInfo kBrowseDoc{"CBrowseDoc"};
const FrameClassInfo kControlBar{"SECControlBar"};

// The parts every fake window shares, over one of the window interfaces.
template <class Base>
class FakeWindowOf : public Base {
 public:
  explicit FakeWindowOf(const FrameClassInfo* cls, bool shown = true) : m_cls(cls), m_shown(shown) {}
  const FrameClassInfo* RuntimeClass() const override { return m_cls; }
  TemplateWindow* ParentWindow() const override { return parent; }
  bool IsShownAlone() const override { return m_shown; }
  void Show(bool on) { m_shown = on; }
  TemplateWindow* parent = nullptr;

 private:
  const FrameClassInfo* m_cls;
  bool m_shown;
};

using FakeBar = FakeWindowOf<TemplateWindow>;

class FakeFrame : public FakeWindowOf<TemplateFrame> {
 public:
  FakeFrame(const FrameClassInfo* cls, unsigned id, bool shown = true) : FakeWindowOf(cls, shown), m_id(id) {}
  unsigned ResourceId() const override { return m_id; }

 private:
  unsigned m_id;
};

class FakeView : public FakeWindowOf<TemplateView> {
 public:
  explicit FakeView(const FrameClassInfo* cls) : FakeWindowOf(cls) {}
  TemplateFrame* ParentFrame() const override { return frame; }
  TemplateFrame* frame = nullptr;
};

class FakeDoc : public TemplateDocument {
 public:
  FakeDoc(const FrameClassInfo* cls, DocTemplate* t) : m_cls(cls), m_t(t) {}
  const FrameClassInfo* RuntimeClass() const override { return m_cls; }
  DocTemplate* Template() const override { return m_t; }
  std::vector<TemplateView*> Views() const override { return views; }
  std::vector<TemplateView*> views;

 private:
  const FrameClassInfo* m_cls;
  DocTemplate* m_t;
};

class FakeTemplate : public DocTemplate {
 public:
  FakeTemplate(std::string typeId, std::string typeName, const FrameClassInfo* doc, const FrameClassInfo* view,
               const FrameClassInfo* frame, unsigned id, const FrameClassInfo* dockable = nullptr)
      : m_id(std::move(typeId)), m_name(std::move(typeName)), m_doc(doc), m_view(view), m_frame(frame),
        m_dockable(dockable), m_resource(id) {}
  std::string GetDocString(DocString i) const override {
    return i == DocString::RegFileTypeId ? m_id : i == DocString::RegFileTypeName ? m_name : std::string();
  }
  const FrameClassInfo* DocClass() const override { return m_doc; }
  const FrameClassInfo* ViewClass() const override { return m_view; }
  const FrameClassInfo* FrameClass() const override { return m_frame; }
  const FrameClassInfo* DockableFrameClass() const override { return m_dockable; }
  unsigned ResourceId() const override { return m_resource; }
  std::vector<TemplateDocument*> Documents() const override { return docs; }
  std::vector<TemplateDocument*> docs;

 private:
  std::string m_id, m_name;
  const FrameClassInfo *m_doc, *m_view, *m_frame, *m_dockable;
  unsigned m_resource;
};

class FakeMain : public TemplateMainFrame {
 public:
  bool toolkit = true;
  std::vector<TemplateFrame*> children;
  TemplateFrame* active = nullptr;
  std::vector<TemplateFrame*> activated;
  bool IsToolkitMdiFrame() const override { return toolkit; }
  std::vector<TemplateFrame*> MdiChildren() const override { return children; }
  TemplateFrame* ActiveFrame() const override { return active; }
  void ActivateDockableFrame(TemplateFrame* f) override { activated.push_back(f); }
};

class FakeApp : public TemplateApp {
 public:
  std::vector<DocTemplate*> templates;
  FakeMain* main = nullptr;
  std::vector<DocTemplate*> Templates() const override { return templates; }
  TemplateMainFrame* MainFrame() const override { return main; }
};

// Three templates: text and assembler sources share a file type id and a
// frame, the browser has its own.
struct App {
  FakeTemplate text{"Pm2.Source", "Source file", &kTextDoc, &kEditView, &kEditFrame, 100, &kBarDockFrame};
  FakeTemplate browse{"Pm2.Browse", "Browse file", &kBrowseDoc, &kBrowseView, &kBrowseFrame, 300};
  FakeTemplate assembler{"Pm2.Source", "Assembler file", &kAsmDoc, &kEditView, &kEditFrame, 100};
  FakeApp app;
  FakeMain main;
  App() {
    app.templates = {&text, &browse, &assembler};
    app.main = &main;
  }
};

TEST(DocTemplateUtils, TemplatesSharingAStringCountInOrder) {
  App a;
  SECDocTemplateUtils byId(&a.app, true);
  EXPECT_EQ(byId.GetTemplateIndex(&a.text, "Pm2.Source"), 0);
  EXPECT_EQ(byId.GetTemplateIndex(&a.assembler, "Pm2.Source"), 1);
  EXPECT_EQ(byId.GetTemplateByIndex("Pm2.Source", 1), &a.assembler);
  EXPECT_EQ(byId.GetTemplateByIndex("Pm2.Source", 0), &a.text);
  // A saved index past the templates that exist now finds the last one.
  EXPECT_EQ(byId.GetTemplateByIndex("Pm2.Source", 5), &a.assembler);
  EXPECT_EQ(byId.GetTemplateByIndex("Pm2.Unknown", 0), nullptr);

  SECDocTemplateUtils byName(&a.app, false);
  EXPECT_EQ(byName.GetTemplateIndex(&a.assembler, "Assembler file"), 0);
  EXPECT_EQ(byName.GetTemplateByIndex("Source file", 0), &a.text);
  EXPECT_EQ(byName.GetTemplateByIndex("Pm2.Source", 0), nullptr) << "ids are not names";
}

TEST(DocTemplateUtils, IndexOfNothingIsMinusOne) {
  App a;
  FakeTemplate stranger{"Pm2.Source", "", &kTextDoc, &kEditView, &kEditFrame, 100};
  SECDocTemplateUtils u(&a.app);
  EXPECT_EQ(u.GetTemplateIndex(nullptr, "Pm2.Source"), -1);
  EXPECT_EQ(u.GetTemplateIndex(&stranger, "Pm2.Source"), -1);
  SECDocTemplateUtils noApp(nullptr);
  EXPECT_EQ(noApp.GetTemplateIndex(&a.text, "Pm2.Source"), -1);
  EXPECT_EQ(noApp.GetTemplateByIndex("Pm2.Source", 0), nullptr);
  TemplateList list;
  EXPECT_FALSE(noApp.CollectTemplates(list));
}

// FindTemplate: (name, document, view, frame, expected template).
TEST(DocTemplateUtils, FindTemplateRows) {
  App a;
  SECDocTemplateUtils u(&a.app);
  FakeDoc textDoc(&kTextDoc, &a.text), asmDoc(&kAsmDoc, &a.assembler), browseDoc(&kBrowseDoc, &a.browse);
  FakeDoc strayDoc(&kBrowseDoc, &a.text);
  FakeFrame editFrame(&kEditFrame, 100), browseFrame(&kBrowseFrame, 300), otherIdFrame(&kEditFrame, 999);
  FakeFrame dockFrame(&kBarDockFrame, 100), unknownFrame(&kWorksheet, 100);
  FakeView editView(&kEditView), browseView(&kBrowseView);
  struct Row {
    const char* name;
    const TemplateDocument* doc;
    const TemplateView* view;
    const TemplateFrame* frame;
    const DocTemplate* expected;
  };
  const Row rows[] = {
      {"view and frame alone decide", &browseDoc, &browseView, &browseFrame, &a.browse},
      {"document class splits templates sharing view and frame", &asmDoc, &editView, &editFrame, &a.assembler},
      {"text document in the shared frame", &textDoc, &editView, &editFrame, &a.text},
      {"dockable frame matches the dockable class", &textDoc, &editView, &dockFrame, &a.text},
      {"frame class no template lists", &textDoc, &editView, &unknownFrame, nullptr},
      {"frame from another resource", &textDoc, &editView, &otherIdFrame, nullptr},
      {"no document class fits: none left", &strayDoc, &editView, &editFrame, nullptr},
      {"null document", nullptr, &editView, &editFrame, nullptr},
      {"null view", &textDoc, nullptr, &editFrame, nullptr},
      {"null frame", &textDoc, &editView, nullptr, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(u.FindTemplate(row.doc, row.view, row.frame), row.expected);
  }
}

TEST(DocTemplateUtils, StillAmbiguousPrefersTheDocumentsOwnTemplate) {
  App a;
  // A second text template like the first: only the document can tell.
  FakeTemplate twin{"Pm2.Source", "Source file", &kTextDoc, &kEditView, &kEditFrame, 100};
  a.app.templates = {&a.text, &twin};
  SECDocTemplateUtils u(&a.app);
  FakeFrame editFrame(&kEditFrame, 100);
  FakeView editView(&kEditView);
  FakeDoc ofTwin(&kTextDoc, &twin), orphan(&kTextDoc, nullptr);
  EXPECT_EQ(u.FindTemplate(&ofTwin, &editView, &editFrame), &twin);
  EXPECT_EQ(u.FindTemplate(&orphan, &editView, &editFrame), &a.text) << "first remaining";
}

TEST(DocTemplateUtils, FiltersRefuseNullArguments) {
  App a;
  SECDocTemplateUtils u(&a.app);
  TemplateList list;
  ASSERT_TRUE(u.CollectTemplates(list));
  EXPECT_EQ(list.size(), 3u);
  FakeView v(&kEditView);
  EXPECT_FALSE(u.FilterByViewAndFrame(list, &v, nullptr));
  EXPECT_FALSE(u.FilterByFrameId(list, nullptr));
  EXPECT_FALSE(u.FilterByDocClass(list, nullptr));
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(u.GetFrameResourceId(nullptr), 0u);
  EXPECT_EQ(u.GetTemplateFrameClass(nullptr, false), nullptr);
  EXPECT_EQ(u.GetTemplateFrameClass(&a.browse, true), nullptr) << "no dockable frame class";
  EXPECT_TRUE(u.IsDockableFrameClass(&kBarDockFrame));
  EXPECT_FALSE(u.IsDockableFrameClass(&kEditFrame));
  EXPECT_FALSE(u.IsDockableFrameClass(nullptr));
}

TEST(FrameUtilities, ReallyVisibleNeedsEveryParentShown) {
  FakeBar bar(&kControlBar);
  FakeFrame frame(&kBarDockFrame, 100);
  FakeView view(&kEditView);
  frame.parent = &bar;
  view.parent = &frame;
  EXPECT_TRUE(IsWindowReallyVisible(&view));
  bar.Show(false);
  EXPECT_FALSE(IsWindowReallyVisible(&view)) << "hidden with its control bar";
  EXPECT_FALSE(IsWindowReallyVisible(&frame));
  EXPECT_FALSE(IsWindowReallyVisible(nullptr));
}

TEST(FrameUtilities, OtherVisibleMdiChild) {
  App a;
  FakeFrame one(&kEditFrame, 100), two(&kEditFrame, 100, false), three(&kBrowseFrame, 300);
  a.main.children = {&one, &two};
  EXPECT_FALSE(HasOtherVisibleMDIChild(a.app, &one)) << "the other one is hidden";
  EXPECT_TRUE(HasOtherVisibleMDIChild(a.app, &two));
  a.main.children.push_back(&three);
  EXPECT_TRUE(HasOtherVisibleMDIChild(a.app, &one));
  a.main.children.clear();
  EXPECT_FALSE(HasOtherVisibleMDIChild(a.app, nullptr)) << "no MDI client";
  a.app.main = nullptr;
  EXPECT_FALSE(HasOtherVisibleMDIChild(a.app, nullptr));
}

// Dockable frames reached through the templates' documents and views.
struct Docked {
  App a;
  FakeBar barA{&kControlBar}, barB{&kControlBar};
  FakeFrame frameA{&kBarDockFrame, 100}, frameB{&kBarDockFrame, 100}, editFrame{&kEditFrame, 100};
  FakeView viewA{&kEditView}, viewB{&kEditView}, viewEdit{&kEditView};
  FakeDoc doc{&kTextDoc, &a.text};
  Docked() {
    frameA.parent = &barA;
    frameB.parent = &barB;
    viewA.frame = &frameA;
    viewB.frame = &frameB;
    viewEdit.frame = &editFrame;
    doc.views = {&viewEdit, &viewA, &viewB};
    a.text.docs = {&doc};
  }
};

TEST(FrameUtilities, ActivatesTheFirstOtherVisibleDockableFrame) {
  Docked d;
  EXPECT_TRUE(ActivateOtherDockableFrame(d.a.app, &d.frameA));
  EXPECT_EQ(d.a.main.activated, std::vector<TemplateFrame*>{&d.frameB});
}

TEST(FrameUtilities, AFrameHiddenWithItsBarIsNotActivated) {
  Docked d;
  d.barB.Show(false);
  EXPECT_FALSE(ActivateOtherDockableFrame(d.a.app, &d.frameA));
  EXPECT_TRUE(d.a.main.activated.empty());
}

TEST(FrameUtilities, NothingToDoWhileAnotherDockableFrameIsActive) {
  Docked d;
  d.a.main.active = &d.frameB;
  EXPECT_FALSE(ActivateOtherDockableFrame(d.a.app, &d.frameA));
  EXPECT_TRUE(d.a.main.activated.empty());
  // The excluded frame being active does not count.
  d.a.main.active = &d.frameA;
  EXPECT_TRUE(ActivateOtherDockableFrame(d.a.app, &d.frameA));
}

TEST(FrameUtilities, OnlyTheToolkitFrameActivatesDockableFrames) {
  Docked d;
  d.a.main.toolkit = false;
  EXPECT_FALSE(ActivateOtherDockableFrame(d.a.app, nullptr));
  EXPECT_TRUE(d.a.main.activated.empty());
}

}  // namespace
}  // namespace pm2
