#include "toolkit/workspace/workspace_manager.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>

#include "driver_abi/file_kind.h"
#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "toolkit/core/persistent_tree.h"
#include "toolkit/core/resources.h"

namespace pm2 {

namespace {

constexpr char kFrames[] = "Frames", kMainFrame[] = "MainFrame", kChildFrames[] = "ChildFrames",
               kPlacement[] = "WindowPlacement", kTitle[] = "Title", kDocPath[] = "DocPathName",
               kDocString[] = "DocumentString", kTemplateIndex[] = "DocTemplateIndex",
               kBarId[] = "DockedViewBarID", kFloating[] = "DockedViewFloating",
               kFloatingWp[] = "DockedViewFloatingWP", kActive[] = "IsActiveChildFrame",
               kVisible[] = "IsFrameVisible";

void SetPlacement(SECPersistentTreeNode* node, const char* key, const WindowPlacement& wp) {
  const PlacementBytes bytes = EncodePlacement(wp);
  node->SetKeyValueBinary(key, bytes.data(), bytes.size());
}

bool GetPlacement(const SECPersistentTreeNode* node, const char* key, WindowPlacement* wp) {
  std::vector<std::uint8_t> bytes;
  if (node->GetKeyValueBinary(key, &bytes) != kPtnOk) return false;
  *wp = DecodePlacement(bytes.data(), bytes.size());
  return true;
}

// Each frame once, in the order its documents' views name it.
std::vector<TemplateFrame*> DocumentFrames(const TemplateApp* app) {
  std::vector<TemplateFrame*> frames;
  if (!app) return frames;
  for (DocTemplate* t : app->Templates())
    for (TemplateDocument* d : t->Documents())
      for (TemplateView* v : d->Views())
        if (TemplateFrame* f = v->ParentFrame())
          if (std::find(frames.begin(), frames.end(), f) == frames.end()) frames.push_back(f);
  return frames;
}

const std::string& Text(unsigned id) { return ToolkitResources().String(id); }

}  // namespace

bool ApplyWorkspaceListChanges(SettingsStore& store, const std::string& baseKey,
                               const std::vector<std::string>& oldNames, std::vector<std::string>* newNames,
                               const std::vector<std::string>& deleted, std::vector<std::string>* errors) {
  std::string base = baseKey;
  if (base.empty() || base.back() != '\\') base += '\\';
  struct Move {
    std::size_t index;
    SECPTNFactory factory;
    SECPersistentTreeNode* root = nullptr;
  };
  bool ok = true;
  auto fail = [&](std::string e) {
    ok = false;
    if (errors) errors->push_back(std::move(e));
  };
  // Read every tree that changes its name before any key is touched: a
  // cycle of names or a change of case alone would otherwise overwrite or
  // delete a tree that is still to be moved.
  std::vector<std::unique_ptr<Move>> moves;
  for (std::size_t i = 0; i < oldNames.size() && i < newNames->size(); ++i) {
    if (oldNames[i] == (*newNames)[i]) continue;
    auto m = std::make_unique<Move>();
    m->index = i;
    SECPTNStrategyRegistry from(store, base + oldNames[i]);
    for (const char* rootName : {kWorkspaceRoot, kWorkspaceRootV11}) {
      SECPersistentTreeNode* root = m->factory.CreateNode(rootName);
      if (root && root->LoadTree(&from)) {
        m->root = root;
        break;
      }
      m->factory.Clear();
    }
    if (!m->root) {
      // Nothing to move: the list keeps the name the tree is stored under.
      fail("The workspace '" + oldNames[i] + "' cannot be read; it keeps its name");
      (*newNames)[i] = oldNames[i];
      continue;
    }
    moves.push_back(std::move(m));
  }
  for (const std::string& name : deleted)
    if (store.KeyExists(base + name)) store.DeleteKey(base + name);
  for (const auto& m : moves)
    if (store.KeyExists(base + oldNames[m->index])) store.DeleteKey(base + oldNames[m->index]);
  for (const auto& m : moves) {
    SECPTNStrategyRegistry to(store, base + (*newNames)[m->index]);
    if (m->root->SaveTree(&to)) continue;
    // Whatever the new name's key refused, the layout is not lost: it goes
    // back under the name it had.
    if (store.KeyExists(base + (*newNames)[m->index])) store.DeleteKey(base + (*newNames)[m->index]);
    SECPTNStrategyRegistry back(store, base + oldNames[m->index]);
    if (m->root->SaveTree(&back)) {
      fail("The workspace '" + oldNames[m->index] + "' cannot be stored as '" + (*newNames)[m->index] +
           "'; it keeps its name");
      (*newNames)[m->index] = oldNames[m->index];
    } else {
      fail("The workspace '" + (*newNames)[m->index] + "' cannot be saved");
    }
  }
  return ok;
}

SECWorkspaceManagerEx::SECWorkspaceManagerEx(SettingsStore& store, WorkspaceFrameHost& host,
                                             WorkspacePrompts& prompts)
    : m_store(store), m_host(host), m_prompts(prompts) {
  OnCommand(kIdWorkspaceNew, [](CommandId) {});
  OnCommand(kIdWorkspaceOpen, [this](CommandId) { OpenDefaultWorkspace(false, false); });
  OnCommand(kIdWorkspaceSave, [this](CommandId) { SayIfFailed(SaveCurrentWorkspace()); });
  OnCommand(kIdWorkspaceClose, [this](CommandId) { CloseWorkspace(); });
  OnUpdate(kIdWorkspaceClose, [this](CommandState& s) { s.Enable(m_open); });
  OnCommand(kIdWorkspaceSaveAs, [this](CommandId) { SayIfFailed(SaveWorkspace("")); });
  OnCommand(kIdWorkspaceDelete, [](CommandId) {});
  OnCommandRange(kIdWorkspaceRecentFirst, kIdWorkspaceRecentLast, [this](CommandId id) {
    std::vector<std::string> list;
    ReadWorkspaceList(&list);
    const std::size_t i = id - kIdWorkspaceRecentFirst;
    if (i < list.size()) OpenWorkspace(list[i], false);
  });
}

SECWorkspaceManagerEx::~SECWorkspaceManagerEx() = default;

void SECWorkspaceManagerEx::Init(const std::string& baseKey, bool registryMode, bool useApplicationKey) {
  m_place.baseKey = baseKey;
  SetStorageMode(registryMode, useApplicationKey);
  if (m_place.baseKey.empty() || m_place.baseKey.back() != '\\') m_place.baseKey += '\\';
}

void SECWorkspaceManagerEx::SetStorageMode(bool registryMode, bool useApplicationKey) {
  m_place.registryMode = registryMode;
  m_place.useApplicationKey = useApplicationKey;
  m_current.clear();
  m_open = false;
}

bool SECWorkspaceManagerEx::ReadWorkspaceList(std::vector<std::string>* list) const {
  return pm2::ReadWorkspaceList(m_store, m_place, list);
}

bool SECWorkspaceManagerEx::WriteWorkspaceList(const std::vector<std::string>& list) {
  return pm2::WriteWorkspaceList(m_store, m_place, list) && m_store.SaveIfDirty(&m_error);
}

bool SECWorkspaceManagerEx::RemoveFromWorkspaceList(const std::string& name) {
  std::vector<std::string> list;
  if (!ReadWorkspaceList(&list)) return false;
  auto it = std::find(list.begin(), list.end(), name);
  if (it == list.end()) return false;
  list.erase(it);
  return WriteWorkspaceList(list);
}

std::vector<RecentMenuItem> SECWorkspaceManagerEx::RecentMenu() const {
  std::vector<std::string> list;
  const bool read = ReadWorkspaceList(&list);
  return BuildRecentWorkspaceMenu(list, read, m_current, Text(kIdsNoRecentWorkspace), Text(kIdsWorkspaceMore));
}

std::unique_ptr<SECPTNStrategy> SECWorkspaceManagerEx::CreateStrategy(const std::string& name,
                                                                      IniDocument* fileDoc) const {
  if (m_place.registryMode) return std::make_unique<SECPTNStrategyRegistry>(m_store, m_place.baseKey + name);
  if (fileDoc) return std::make_unique<SECPTNStrategyProfile>(fileDoc);
  return std::make_unique<SECPTNStrategyProfile>(name);
}

bool SECWorkspaceManagerEx::WriteTree(const std::string& name, SECPersistentTreeNode* root) {
  m_error.clear();
  if (m_place.registryMode) {
    auto strategy = CreateStrategy(name, nullptr);
    if (!root->SaveTree(strategy.get())) {
      m_error = "Cannot store the workspace '" + name + "'";
      return false;
    }
    return m_store.SaveIfDirty(&m_error);
  }
  // The file is written whole and atomically: a failed save leaves the
  // old workspace file as it was.
  IniDocument doc;
  auto strategy = CreateStrategy(name, &doc);
  if (!root->SaveTree(strategy.get())) {
    m_error = "Cannot store the workspace '" + name + "'";
    return false;
  }
  return TheIniFiles().Save(name, doc, &m_error);
}

void SECWorkspaceManagerEx::SayIfFailed(bool done) {
  if (!done && !m_error.empty()) m_prompts.ShowError(kIdsWsFailed, m_error, std::string());
  m_error.clear();
}

bool SECWorkspaceManagerEx::SaveWorkspace(std::string name) {
  m_error.clear();
  if (name.empty() && !PromptForName(&name, true)) return false;
  if (m_place.registryMode) {
    if (const unsigned refusal = WorkspaceNameRefusal(name)) {
      m_prompts.ShowError(refusal, name, std::string());
      return false;
    }
  }
  SECPTNFactory factory;
  SECPersistentTreeNode* root = factory.CreateNode(kWorkspaceRoot);
  m_host.SaveDockState(root);
  SaveFrames(root);
  SaveCustomData(root, name);
  // Only a workspace that reached its storage counts as saved.
  if (!WriteTree(name, root)) return false;
  if (name != m_current) {
    m_current = name;
    std::vector<std::string> list;
    ReadWorkspaceList(&list);
    AddToWorkspaceList(name, &list);
    WriteWorkspaceList(list);
  }
  m_open = true;
  return true;
}

bool SECWorkspaceManagerEx::SaveFrames(SECPersistentTreeNode* root) {
  SECPersistentTreeNode* frames = root->CreateChild(kFrames);
  if (!frames) return false;
  SECPersistentTreeNode* main = frames->CreateChild(kMainFrame);
  SetPlacement(main, kPlacement, m_host.MainPlacement());
  main->SetKeyValue(kTitle, m_host.MainTitle());
  TemplateFrame* active = m_host.ActiveChild();
  const bool ok = SaveChildFrames(frames, active);
  // Saving a document may have activated its frame.
  if (active && m_host.ActiveChild() != active) m_host.ActivateFrame(active, 0);
  return ok;
}

bool SECWorkspaceManagerEx::SaveChildFrames(SECPersistentTreeNode* frames, TemplateFrame* active) {
  SECPersistentTreeNode* children = frames->CreateChild(kChildFrames);
  const TemplateApp* app = m_host.App();
  if (!app || !children) return false;
  // Visibility before any save dialog could change it.
  std::vector<const TemplateFrame*> visible;
  for (TemplateFrame* f : DocumentFrames(app))
    if (m_host.IsFrameVisible(f)) visible.push_back(f);
  std::map<const TemplateFrame*, SECPersistentTreeNode*> stored;
  int docIndex = 0, additional = 0;
  for (DocTemplate* t : app->Templates()) {
    for (TemplateDocument* doc : t->Documents()) {
      SECPersistentTreeNode* docNode = children->CreateChild("Document-" + std::to_string(docIndex++));
      int frameIndex = 0;
      for (TemplateView* view : doc->Views()) {
        TemplateFrame* frame = view->ParentFrame();
        auto it = stored.find(frame);
        if (it == stored.end()) {
          if (SECPersistentTreeNode* n = SaveViewFrame(doc, frame, active, visible, docNode, frameIndex)) {
            stored[frame] = n;
            ++frameIndex;
          }
        } else if (SaveAdditionalView(doc, view, frame, it->second, additional)) {
          ++additional;
        }
      }
    }
  }
  return true;
}

SECPersistentTreeNode* SECWorkspaceManagerEx::SaveViewFrame(TemplateDocument* doc, TemplateFrame* frame,
                                                            TemplateFrame* active,
                                                            const std::vector<const TemplateFrame*>& visible,
                                                            SECPersistentTreeNode* docNode, int index) {
  if (!doc || !frame || !docNode || doc->Views().empty()) return nullptr;
  SECDocTemplateUtils utils(m_host.App());
  TemplateView* view = nullptr;
  for (TemplateView* v : doc->Views())
    if (v->ParentFrame() == frame) view = v;
  DocTemplate* t = utils.FindTemplate(doc, view, frame);
  if (!t || !m_host.PrepareDocumentForSave(frame, doc)) return nullptr;
  const std::string path = m_host.DocumentPath(doc);
  // A document the user did not save has no file to reopen.
  if (path.empty()) return nullptr;
  SECPersistentTreeNode* node = docNode->CreateChild("ViewFrame-" + std::to_string(index));
  if (!node) return nullptr;
  const std::string id = utils.IdentifyingString(*t);
  node->SetKeyValue(kDocPath, path);
  node->SetKeyValue(kDocString, id);
  if (int ti = utils.GetTemplateIndex(t, id); ti != -1) node->SetKeyValueLong(kTemplateIndex, ti);
  if (m_host.IsDockableFrame(frame)) {
    node->SetKeyValueLong(kBarId, long(m_host.DockedBarId(frame)));
    WindowPlacement wp;
    if (m_host.DockedFloating(frame, &wp)) {
      node->SetKeyValueBool(kFloating, true);
      SetPlacement(node, kFloatingWp, wp);
    } else {
      node->SetKeyValueLong(kFloating, 0);
    }
  } else {
    SetPlacement(node, kPlacement, m_host.FramePlacement(frame));
  }
  node->SetKeyValueBool(kActive, frame == active);
  node->SetKeyValueBool(kVisible, std::find(visible.begin(), visible.end(), frame) != visible.end());
  return node;
}

bool SECWorkspaceManagerEx::SaveAdditionalView(TemplateDocument* doc, const TemplateView* view,
                                               const TemplateFrame* frame, SECPersistentTreeNode* frameNode,
                                               int index) {
  if (!doc || !view || !frame || !frameNode) return false;
  SECDocTemplateUtils utils(m_host.App());
  DocTemplate* t = utils.FindTemplate(doc, view, frame);
  if (!t) return false;
  SECPersistentTreeNode* node = frameNode->CreateChild("AdditionalViewPerFrame-" + std::to_string(index));
  if (!node) return false;
  const std::string id = utils.IdentifyingString(*t);
  node->SetKeyValue(kDocString, id);
  if (int ti = utils.GetTemplateIndex(t, id); ti != -1) node->SetKeyValueLong(kTemplateIndex, ti);
  return true;
}

bool SECWorkspaceManagerEx::CloseWorkspace() {
  if (!m_host.SaveModifiedDocuments()) return false;
  return CloseDocumentFrames();
}

bool SECWorkspaceManagerEx::CloseDocumentFrames() {
  m_open = false;
  m_current.clear();
  const TemplateApp* app = m_host.App();
  if (!app) return false;
  for (TemplateFrame* f : DocumentFrames(app)) m_host.CloseFrame(f);
  return true;
}

void SECWorkspaceManagerEx::ShowMainWindow() { m_host.ShowMainWindow(m_appShow <= 0 ? 1 : m_appShow); }

bool SECWorkspaceManagerEx::OpenWorkspace(std::string name, bool silent) {
  if (name.empty() && !PromptForName(&name, false)) {
    ShowMainWindow();
    return false;
  }
  SECPTNFactory factory;
  auto strategy = CreateStrategy(name, nullptr);
  SECPersistentTreeNode* root = nullptr;
  bool v11 = false;
  for (const char* rootName : {kWorkspaceRoot, kWorkspaceRootV11}) {
    SECPersistentTreeNode* r = factory.CreateNode(rootName);
    if (r && r->LoadTree(strategy.get())) {
      root = r;
      v11 = rootName == std::string(kWorkspaceRootV11);
      break;
    }
    factory.DestroyNode(r);
  }
  if (!root) {
    if (!silent) m_prompts.ShowError(kIdsWsInvalid, name, UnreadReason(name, *strategy));
    RemoveFromWorkspaceList(name);
    ShowMainWindow();
    return false;
  }
  // Asked before any window closes: Cancel leaves the documents, and the
  // workspace that is current, as they were.
  if (!m_host.SaveModifiedDocuments()) {
    ShowMainWindow();
    return false;
  }
  CloseDocumentFrames();
  m_host.HideControlBars();
  TemplateFrame* active = nullptr;
  m_restoredShow = 1;
  RestoreFrames(root, v11, &active);
  m_host.RestoreDockState(root);
  if (!active) m_host.ActivateFirstChild();
  else if (m_host.IsDockableFrame(active)) m_host.ActivateDockableFrame(active);
  else m_host.ActivateFrame(active, m_restoredShow);
  LoadCustomData(root, name);
  m_open = true;
  m_current = name;
  std::vector<std::string> list;
  ReadWorkspaceList(&list);
  AddToWorkspaceList(name, &list);
  WriteWorkspaceList(list);
  if (m_host.IsMdiFrame()) ShowMainWindow();
  return true;
}

std::string SECWorkspaceManagerEx::UnreadReason(const std::string& name, const SECPTNStrategy& strategy) const {
  if (m_place.registryMode)
    return "The settings hold no key '" + m_place.baseKey + name + "\\" + kWorkspaceRoot + "'.";
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0) return "The file '" + name + "' does not exist.";
  if (const char* kind = FileKindText(st.st_mode)) return "'" + name + "' is " + kind + ", not a workspace file.";
  if (const auto* file = dynamic_cast<const SECPTNStrategyProfile*>(&strategy); file && !file->LastError().empty())
    return file->LastError() + ".";
  return "The file '" + name + "' holds no section [" + kWorkspaceRoot +
         "] with entries: it is no workspace file, or that section is damaged.";
}

bool SECWorkspaceManagerEx::RestoreFrames(const SECPersistentTreeNode* root, bool v11, TemplateFrame** active) {
  const SECPersistentTreeNode* frames = root->FindChild(kFrames);
  if (!frames) return false;
  if (const SECPersistentTreeNode* main = frames->FindChild(kMainFrame)) {
    WindowPlacement wp;
    if (GetPlacement(main, kPlacement, &wp)) {
      if (m_host.IsMdiFrame()) {
        m_appShow = int(wp.showCmd);
        m_host.SetMainPlacement(wp, 0);
      } else {
        m_host.SetMainPlacement(wp, int(wp.showCmd));
      }
    }
    std::string title;
    main->GetKeyValue(kTitle, &title);
    m_host.SetMainTitle(title);
  }
  const SECPersistentTreeNode* children = frames->FindChild(kChildFrames);
  if (!children) return false;
  for (const SECPersistentTreeNode* docNode : children->Children()) {
    TemplateDocument* doc = nullptr;
    TemplateFrame* frame = nullptr;
    // A document that can no longer be opened is skipped; the rest goes on.
    for (const SECPersistentTreeNode* viewNode : docNode->Children()) RestoreViewFrame(viewNode, v11, &doc, &frame, active);
  }
  return true;
}

bool SECWorkspaceManagerEx::RestoreViewFrame(const SECPersistentTreeNode* node, bool v11, TemplateDocument** doc,
                                             TemplateFrame** frame, TemplateFrame** active) {
  if (!node) return false;
  std::string id, path;
  std::int32_t ti = 0, barId = 0;
  node->GetKeyValue(kDocString, &id);
  node->GetKeyValueInt(kTemplateIndex, &ti, 0);
  node->GetKeyValueInt(kBarId, &barId, 0);
  // Trees of the older version name templates by their file-type names.
  SECDocTemplateUtils utils(m_host.App(), !v11);
  DocTemplate* t = utils.GetTemplateByIndex(id, ti);
  if (!t) return false;
  node->GetKeyValue(kDocPath, &path);
  bool isActive = false, isVisible = true;
  node->GetKeyValueBool(kActive, &isActive, false);
  node->GetKeyValueBool(kVisible, &isVisible, true);
  auto firstFrame = [](TemplateDocument* d) -> TemplateFrame* {
    auto views = d->Views();
    return views.empty() ? nullptr : views.front()->ParentFrame();
  };
  TemplateFrame* f = nullptr;
  if (!*doc) {
    if (barId != 0) {
      if (TemplateDocument* d = m_host.OpenDockedView(t, path, unsigned(barId))) {
        *doc = d;
        *frame = firstFrame(d);
        if (!*frame) return false;
        m_host.InitialUpdateFrame(t, *frame, d);
        bool floating = false;
        node->GetKeyValueBool(kFloating, &floating, false);
        WindowPlacement wp;
        if (floating && GetPlacement(node, kFloatingWp, &wp)) m_host.FloatDockedView(*frame, wp.normal);
        if (isActive) *active = *frame;
        m_host.ShowFrame(*frame, isVisible);
        return true;
      }
    }
    *doc = m_host.OpenDocument(t, path);
    if (!*doc) return false;
    f = firstFrame(*doc);
  } else {
    if (barId != 0) f = m_host.CreateAdditionalDockedView(t, *doc, unsigned(barId));
    if (!f) f = m_host.CreateAdditionalFrame(t, *doc, *frame);
  }
  if (!f) return false;
  m_host.InitialUpdateFrame(t, f, *doc);
  WindowPlacement wp;
  const bool hasWp = GetPlacement(node, kPlacement, &wp);
  if (hasWp) m_host.SetFramePlacement(f, wp);
  if (isActive) {
    *active = f;
    if (hasWp) m_restoredShow = int(wp.showCmd);
  }
  *frame = f;
  m_host.ShowFrame(f, isVisible);
  return true;
}

bool SECWorkspaceManagerEx::OpenDefaultWorkspace(bool useMostRecent, bool silent) {
  std::string name;
  if (useMostRecent) {
    std::vector<std::string> list;
    if (!ReadWorkspaceList(&list) || list.empty()) return false;
    name = list.front();
  } else if (!PromptForName(&name, false)) {
    ShowMainWindow();
    return false;
  }
  return OpenWorkspace(name, silent);
}

bool SECWorkspaceManagerEx::PromptForName(std::string* name, bool forSave) {
  name->clear();
  if (m_place.registryMode) return PromptForRegistryName(name, !forSave, forSave);
  return m_prompts.PromptForFileName(forSave, m_filter, name) && !name->empty();
}

bool SECWorkspaceManagerEx::PromptForRegistryName(std::string* name, bool forOpen, bool forSave) {
  WorkspaceNameLists lists;
  // Workspaces another program of this user saved meanwhile are listed too.
  m_store.Refresh(nullptr);
  ReadWorkspaceList(&lists.stored);
  lists.newNames = lists.stored;
  std::string chosen = m_current;
  if (!m_prompts.RunWorkspaceDialog(&lists, &chosen, forOpen, forSave)) return false;
  std::vector<std::string> errors;
  ApplyWorkspaceListChanges(m_store, m_place.baseKey, lists.stored, &lists.newNames, lists.deleted, &errors);
  // The open workspace follows its own change of name.
  for (std::size_t i = 0; i < lists.stored.size(); ++i)
    if (lists.stored[i] == m_current) {
      m_current = lists.newNames[i];
      if (chosen == lists.stored[i]) chosen = m_current;
      break;
    }
  for (const std::string& d : lists.deleted) {
    if (d == m_current) {
      m_current.clear();
      m_open = false;
    }
    // Done after the chosen row was deleted opens nothing.
    if (d == chosen) chosen.clear();
  }
  WriteWorkspaceList(lists.newNames);
  if (!errors.empty()) {
    m_error = errors.front();
    SayIfFailed(false);
  }
  *name = chosen;
  return !name->empty();
}

}  // namespace pm2
