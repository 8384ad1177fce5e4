#pragma once
// Document templates as the toolkit sees them, and the utilities that
// answer which template a document, view and frame belong to and how a
// saved workspace names a template so that it finds it again: by one of
// the template's document strings plus its index among the templates that
// share that string.
//
// The application implements the interfaces below over its own templates,
// documents and windows; nothing here owns them. Classes are named once as
// `FrameClassInfo` constants and compared by identity.

#include <string>
#include <vector>

namespace pm2 {

// A class of documents, views or frames with its base.
struct FrameClassInfo {
  const char* name = "";
  const FrameClassInfo* base = nullptr;
  // True for this class and the classes derived from it.
  bool IsDerivedFrom(const FrameClassInfo* other) const;
};

// The toolkit's dockable frame; dockable frames of an application derive
// from it.
const FrameClassInfo& DockableFrameClassInfo();

// Indices of a template's document strings.
enum class DocString : int {
  WindowTitle = 0, DocName = 1, FileNewName = 2, FilterName = 3, FilterExt = 4,
  RegFileTypeId = 5, RegFileTypeName = 6,
};

class DocTemplate;
class TemplateFrame;

// A window as the utilities see it.
class TemplateWindow {
 public:
  virtual ~TemplateWindow() = default;
  virtual const FrameClassInfo* RuntimeClass() const = 0;
  // The parent window; null at the top.
  virtual TemplateWindow* ParentWindow() const = 0;
  // A control bar answers its own visibility test; any other window
  // whether it is shown itself (regardless of its parents).
  virtual bool IsShownAlone() const = 0;
};

class TemplateFrame : public TemplateWindow {
 public:
  // The resource id the frame was loaded from.
  virtual unsigned ResourceId() const = 0;
};

class TemplateView : public TemplateWindow {
 public:
  virtual TemplateFrame* ParentFrame() const = 0;
};

class TemplateDocument {
 public:
  virtual ~TemplateDocument() = default;
  virtual const FrameClassInfo* RuntimeClass() const = 0;
  virtual DocTemplate* Template() const = 0;
  virtual std::vector<TemplateView*> Views() const = 0;
};

class DocTemplate {
 public:
  virtual ~DocTemplate() = default;
  // Empty when the template has no such string.
  virtual std::string GetDocString(DocString index) const = 0;
  virtual const FrameClassInfo* DocClass() const = 0;
  virtual const FrameClassInfo* ViewClass() const = 0;
  virtual const FrameClassInfo* FrameClass() const = 0;
  // The frame class used when the template's views dock; only the
  // toolkit's multi-document templates have one.
  virtual const FrameClassInfo* DockableFrameClass() const { return nullptr; }
  virtual unsigned ResourceId() const = 0;
  virtual std::vector<TemplateDocument*> Documents() const = 0;
};

// The application's main window.
class TemplateMainFrame {
 public:
  virtual ~TemplateMainFrame() = default;
  // True when it is the toolkit's docking MDI frame.
  virtual bool IsToolkitMdiFrame() const = 0;
  // The MDI child frames in the MDI client's order; empty when the window
  // has no MDI client.
  virtual std::vector<TemplateFrame*> MdiChildren() const = 0;
  // The frame that holds the activation (a bar child counts).
  virtual TemplateFrame* ActiveFrame() const = 0;
  virtual void ActivateDockableFrame(TemplateFrame* frame) = 0;
};

class TemplateApp {
 public:
  virtual ~TemplateApp() = default;
  // Templates in registration order.
  virtual std::vector<DocTemplate*> Templates() const = 0;
  // Null before the main window exists.
  virtual TemplateMainFrame* MainFrame() const = 0;
};

using TemplateList = std::vector<DocTemplate*>;

class SECDocTemplateUtils {
 public:
  // `app` may be null (no application): every lookup then fails.
  // `byRegFileTypeId` picks the identifying string: the registry file-type
  // id, else the registry file-type name.
  explicit SECDocTemplateUtils(const TemplateApp* app, bool byRegFileTypeId = true)
      : m_app(app), m_byRegFileTypeId(byRegFileTypeId) {}
  virtual ~SECDocTemplateUtils() = default;

  // The string that names `t` in a saved workspace.
  std::string IdentifyingString(const DocTemplate& t) const;

  // Number of templates before `t` whose identifying string is `name`;
  // -1 when `t` is null or not a template of the application.
  virtual int GetTemplateIndex(const DocTemplate* t, const std::string& name) const;
  // The index-th template named `name`; the last one named so when fewer
  // exist; null when none is.
  virtual DocTemplate* GetTemplateByIndex(const std::string& name, int index) const;
  // The template of a document shown in a view inside a frame; null when
  // an argument is null or no template fits.
  virtual DocTemplate* FindTemplate(const TemplateDocument* doc, const TemplateView* view,
                                    const TemplateFrame* frame) const;
  virtual unsigned GetFrameResourceId(const TemplateFrame* frame) const;
  // Appends every template; false without an application.
  virtual bool CollectTemplates(TemplateList& list) const;
  // Keep the templates whose view class is the view's class and whose
  // frame class (the dockable one for a dockable frame) is the frame's.
  virtual bool FilterByViewAndFrame(TemplateList& list, const TemplateView* view, const TemplateFrame* frame) const;
  virtual bool FilterByFrameId(TemplateList& list, const TemplateFrame* frame) const;
  virtual bool FilterByDocClass(TemplateList& list, const TemplateDocument* doc) const;
  // An empty list resolves to null, a single template to itself; more do
  // not resolve.
  virtual bool IsResolved(const TemplateList& list, DocTemplate** result) const;
  virtual bool IsDockableFrameClass(const FrameClassInfo* cls) const;
  virtual const FrameClassInfo* GetTemplateFrameClass(const DocTemplate* t, bool dockable) const;

 private:
  const TemplateApp* m_app;
  bool m_byRegFileTypeId;
};

// Whether the window and every parent up to the top are shown.
bool IsWindowReallyVisible(const TemplateWindow* window);
// Whether the main frame has a shown MDI child other than `exclude`.
bool HasOtherVisibleMDIChild(const TemplateApp& app, const TemplateFrame* exclude);
// Gives the activation to another really visible dockable frame than
// `exclude`, unless the active frame already is one; true when it did.
bool ActivateOtherDockableFrame(const TemplateApp& app, const TemplateFrame* exclude);

}  // namespace pm2
