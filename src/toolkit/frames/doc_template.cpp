#include "toolkit/frames/doc_template.h"

#include <algorithm>

namespace pm2 {

bool FrameClassInfo::IsDerivedFrom(const FrameClassInfo* other) const {
  for (const FrameClassInfo* c = this; c; c = c->base)
    if (c == other) return true;
  return false;
}

const FrameClassInfo& DockableFrameClassInfo() {
  static const FrameClassInfo info{"SECDockableFrame", nullptr};
  return info;
}

std::string SECDocTemplateUtils::IdentifyingString(const DocTemplate& t) const {
  return t.GetDocString(m_byRegFileTypeId ? DocString::RegFileTypeId : DocString::RegFileTypeName);
}

int SECDocTemplateUtils::GetTemplateIndex(const DocTemplate* t, const std::string& name) const {
  if (!t || !m_app) return -1;
  int count = 0;
  for (const DocTemplate* candidate : m_app->Templates()) {
    if (candidate == t) return count;
    if (IdentifyingString(*candidate) == name) ++count;
  }
  return -1;
}

DocTemplate* SECDocTemplateUtils::GetTemplateByIndex(const std::string& name, int index) const {
  if (!m_app) return nullptr;
  DocTemplate* last = nullptr;
  int count = 0;
  for (DocTemplate* candidate : m_app->Templates()) {
    if (IdentifyingString(*candidate) != name) continue;
    if (count++ == index) return candidate;
    last = candidate;
  }
  return last;
}

DocTemplate* SECDocTemplateUtils::FindTemplate(const TemplateDocument* doc, const TemplateView* view,
                                               const TemplateFrame* frame) const {
  if (!doc || !view || !frame) return nullptr;
  TemplateList list;
  CollectTemplates(list);
  DocTemplate* found = nullptr;
  FilterByViewAndFrame(list, view, frame);
  if (IsResolved(list, &found)) return found;
  FilterByFrameId(list, frame);
  if (IsResolved(list, &found)) return found;
  FilterByDocClass(list, doc);
  if (IsResolved(list, &found)) return found;
  // Still ambiguous: the document's own template when it is among them.
  DocTemplate* own = doc->Template();
  if (std::find(list.begin(), list.end(), own) != list.end()) return own;
  return list.front();
}

unsigned SECDocTemplateUtils::GetFrameResourceId(const TemplateFrame* frame) const {
  return frame ? frame->ResourceId() : 0;
}

bool SECDocTemplateUtils::CollectTemplates(TemplateList& list) const {
  if (!m_app) return false;
  for (DocTemplate* t : m_app->Templates()) list.push_back(t);
  return true;
}

bool SECDocTemplateUtils::FilterByViewAndFrame(TemplateList& list, const TemplateView* view,
                                               const TemplateFrame* frame) const {
  if (!view || !frame) return false;
  const bool dockable = IsDockableFrameClass(frame->RuntimeClass());
  std::erase_if(list, [&](const DocTemplate* t) {
    return t->ViewClass() != view->RuntimeClass() || GetTemplateFrameClass(t, dockable) != frame->RuntimeClass();
  });
  return true;
}

bool SECDocTemplateUtils::FilterByFrameId(TemplateList& list, const TemplateFrame* frame) const {
  if (!frame) return false;
  const unsigned id = GetFrameResourceId(frame);
  std::erase_if(list, [&](const DocTemplate* t) { return t->ResourceId() != id; });
  return true;
}

bool SECDocTemplateUtils::FilterByDocClass(TemplateList& list, const TemplateDocument* doc) const {
  if (!doc) return false;
  std::erase_if(list, [&](const DocTemplate* t) { return t->DocClass() != doc->RuntimeClass(); });
  return true;
}

bool SECDocTemplateUtils::IsResolved(const TemplateList& list, DocTemplate** result) const {
  if (list.size() > 1) return false;
  *result = list.empty() ? nullptr : list.front();
  return true;
}

bool SECDocTemplateUtils::IsDockableFrameClass(const FrameClassInfo* cls) const {
  return cls && cls->IsDerivedFrom(&DockableFrameClassInfo());
}

const FrameClassInfo* SECDocTemplateUtils::GetTemplateFrameClass(const DocTemplate* t, bool dockable) const {
  if (!t) return nullptr;
  return dockable ? t->DockableFrameClass() : t->FrameClass();
}

bool IsWindowReallyVisible(const TemplateWindow* window) {
  if (!window) return false;
  for (const TemplateWindow* w = window; w; w = w->ParentWindow())
    if (!w->IsShownAlone()) return false;
  return true;
}

bool HasOtherVisibleMDIChild(const TemplateApp& app, const TemplateFrame* exclude) {
  const TemplateMainFrame* main = app.MainFrame();
  if (!main) return false;
  for (const TemplateFrame* child : main->MdiChildren())
    if (child != exclude && child->IsShownAlone()) return true;
  return false;
}

namespace {
bool IsDockableFrame(const TemplateFrame* f) {
  return f && f->RuntimeClass() && f->RuntimeClass()->IsDerivedFrom(&DockableFrameClassInfo());
}
}  // namespace

bool ActivateOtherDockableFrame(const TemplateApp& app, const TemplateFrame* exclude) {
  TemplateMainFrame* main = app.MainFrame();
  if (!main || !main->IsToolkitMdiFrame()) return false;
  const TemplateFrame* active = main->ActiveFrame();
  if (IsDockableFrame(active) && active != exclude && IsWindowReallyVisible(active)) return false;
  for (const DocTemplate* t : app.Templates())
    for (const TemplateDocument* doc : t->Documents())
      for (const TemplateView* view : doc->Views()) {
        TemplateFrame* frame = view->ParentFrame();
        if (IsDockableFrame(frame) && frame != exclude && IsWindowReallyVisible(frame)) {
          main->ActivateDockableFrame(frame);
          return true;
        }
      }
  return false;
}

}  // namespace pm2
