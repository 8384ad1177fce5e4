#include "toolkit/docking/dock_state.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/settings_store.h"
#include "toolkit/core/persistent_tree.h"

namespace pm2 {

namespace {

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}
std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

int NonNegativeSize(int v) { return v < 1 ? 0 : v; }

// One entry of a record in either store: the tree node or a profile section.
class EntryWriter {
 public:
  virtual ~EntryWriter() = default;
  virtual void Int(const char* key, std::int64_t v) = 0;
  virtual void Bool(const char* key, bool v) = 0;
  virtual void Text(const char* key, const std::string& v) = 0;
  virtual void Binary(const char* key, const std::uint8_t* data, std::size_t n) = 0;
};

class EntryReader {
 public:
  virtual ~EntryReader() = default;
  virtual int Int(const char* key, int def) const = 0;
  virtual bool Bool(const char* key, bool def) const = 0;
  virtual std::string Text(const char* key) const = 0;
  virtual std::vector<std::uint8_t> Binary(const char* key) const = 0;
  // How many entries the record holds: no count read from it is larger.
  virtual std::size_t EntryCount() const = 0;
};

class NodeWriter : public EntryWriter {
 public:
  explicit NodeWriter(SECPersistentTreeNode* n) : m_n(n) {}
  void Int(const char* k, std::int64_t v) override { m_n->SetKeyValueLong(k, long(v)); }
  void Bool(const char* k, bool v) override { m_n->SetKeyValueBool(k, v); }
  void Text(const char* k, const std::string& v) override { m_n->SetKeyValue(k, std::string_view(v)); }
  void Binary(const char* k, const std::uint8_t* d, std::size_t n) override { m_n->SetKeyValueBinary(k, d, n); }

 private:
  SECPersistentTreeNode* m_n;
};

class NodeReader : public EntryReader {
 public:
  explicit NodeReader(const SECPersistentTreeNode* n) : m_n(n) {}
  int Int(const char* k, int def) const override {
    std::int32_t v = def;
    m_n->GetKeyValueInt(k, &v, def);
    return v;
  }
  bool Bool(const char* k, bool def) const override {
    bool v = def;
    m_n->GetKeyValueBool(k, &v, def);
    return v;
  }
  std::string Text(const char* k) const override {
    std::string v;
    m_n->GetKeyValue(k, &v);
    return v;
  }
  std::vector<std::uint8_t> Binary(const char* k) const override {
    std::vector<std::uint8_t> v;
    m_n->GetKeyValueBinary(k, &v);
    return v;
  }
  std::size_t EntryCount() const override { return m_n->Pairs().size(); }

 private:
  const SECPersistentTreeNode* m_n;
};

class ProfileWriter : public EntryWriter {
 public:
  ProfileWriter(SettingsStore& s, std::string section) : m_s(s), m_sec(std::move(section)) {}
  void Int(const char* k, std::int64_t v) override { m_s.WriteProfileInt(m_sec, k, int(v)); }
  void Bool(const char* k, bool v) override { m_s.WriteProfileInt(m_sec, k, v ? 1 : 0); }
  void Text(const char* k, const std::string& v) override { m_s.WriteProfileString(m_sec.c_str(), k, v.c_str()); }
  void Binary(const char* k, const std::uint8_t* d, std::size_t n) override {
    m_s.WriteProfileBinary(m_sec, k, std::string_view(reinterpret_cast<const char*>(d), n));
  }

 private:
  SettingsStore& m_s;
  std::string m_sec;
};

class ProfileReader : public EntryReader {
 public:
  ProfileReader(const SettingsStore& s, std::string section) : m_s(s), m_sec(std::move(section)) {}
  int Int(const char* k, int def) const override { return m_s.GetProfileInt(m_sec, k, def); }
  bool Bool(const char* k, bool def) const override { return m_s.GetProfileInt(m_sec, k, def ? 1 : 0) != 0; }
  std::string Text(const char* k) const override { return m_s.GetProfileString(m_sec, k, ""); }
  std::vector<std::uint8_t> Binary(const char* k) const override {
    std::string bytes;
    if (!m_s.GetProfileBinary(m_sec, k, &bytes)) return {};
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
  }
  std::size_t EntryCount() const override {
    const std::string& root = m_s.ProfileRoot();
    return m_s.ValueNames(root.empty() ? m_sec : root + "\\" + m_sec).size();
  }

 private:
  const SettingsStore& m_s;
  std::string m_sec;
};

void SaveBase(const ControlBarInfo& r, EntryWriter& w) {
  w.Int("BarID", r.barId);
  if (!r.visible) w.Bool("Visible", false);
  if (r.floating) {
    w.Bool("Horz", r.horz);
    w.Bool("Floating", true);
  }
  if (r.pos.x != -1) w.Int("XPos", r.pos.x);
  if (r.pos.y != -1) w.Int("YPos", r.pos.y);
  if (r.mruWidth != 32767) w.Int("MRUWidth", r.mruWidth);
  if (r.docking) {
    w.Bool("Docking", true);
    w.Int("MRUDockID", r.mruDockId);
    w.Int("MRUDockLeftPos", r.mruDockPos.left);
    w.Int("MRUDockTopPos", r.mruDockPos.top);
    w.Int("MRUDockRightPos", r.mruDockPos.right);
    w.Int("MRUDockBottomPos", r.mruDockPos.bottom);
    w.Int("MRUFloatStyle", r.mruFloatStyle);
    w.Int("MRUFloatXPos", r.mruFloatPos.x);
    w.Int("MRUFloatYPos", r.mruFloatPos.y);
  }
  if (r.bars.size() > 1) {
    w.Int("Bars", std::int64_t(r.bars.size()));
    for (std::size_t i = 0; i < r.bars.size(); ++i) w.Int(("Bar#" + std::to_string(i)).c_str(), r.bars[i]);
  }
}

void LoadBase(ControlBarInfo& r, const EntryReader& rd) {
  r.barId = unsigned(rd.Int("BarID", 0));
  r.visible = rd.Bool("Visible", true);
  r.horz = rd.Bool("Horz", true);
  r.floating = rd.Bool("Floating", false);
  r.pos = {rd.Int("XPos", -1), rd.Int("YPos", -1)};
  r.mruWidth = rd.Int("MRUWidth", 32767);
  r.docking = rd.Bool("Docking", false);
  if (r.docking) {
    r.mruDockId = unsigned(rd.Int("MRUDockID", 0));
    r.mruDockPos = {rd.Int("MRUDockLeftPos", 0), rd.Int("MRUDockTopPos", 0), rd.Int("MRUDockRightPos", 0),
                    rd.Int("MRUDockBottomPos", 0)};
    r.mruFloatStyle = std::uint32_t(rd.Int("MRUFloatStyle", 0));
    r.mruFloatPos = {rd.Int("MRUFloatXPos", 0), rd.Int("MRUFloatYPos", 0)};
  }
  // A damaged count can't make the loop run past the entries there are.
  const int n = std::clamp<long long>(rd.Int("Bars", 0), 0, static_cast<long long>(rd.EntryCount()));
  for (int i = 0; i < n; ++i) r.bars.push_back(std::uint32_t(rd.Int(("Bar#" + std::to_string(i)).c_str(), 0)));
  r.isDockBar = !r.bars.empty() || (r.barId >= 0xE81B && r.barId <= 0xE81F);
}

void SaveAdded(const ControlBarInfo& r, EntryWriter& w) {
  w.Int("Style", r.style);
  w.Int("ExStyle", r.exStyle);
  w.Bool("PrevFloating", r.prevFloating);
  w.Bool("MDIChild", r.mdiChild);
  if (r.mdiChild) w.Binary("MDIChildWindowPlacement", r.placement.data(), r.placement.size());
  w.Text("PctWidth", PctWidthText(r.pctWidth));
  w.Int("MRUFloatCX", r.mruFloat.cx);
  w.Int("MRUFloatCY", r.mruFloat.cy);
  w.Int("MRUHorzDockCX", r.mruHorz.cx);
  w.Int("MRUHorzDockCY", r.mruHorz.cy);
  w.Int("MRUVertDockCX", r.mruVert.cx);
  w.Int("MRUVertDockCY", r.mruVert.cy);
  w.Int("MRUDockingState", r.mruDockingState);
  w.Int("DockingStyle", r.dockingStyle);
  w.Int("TypeID", r.typeId);
  w.Text("ClassName", r.className);
  w.Text("WindowName", r.windowName);
  w.Int("ResourceID", r.resourceId);
}

void LoadAdded(ControlBarInfo& r, const EntryReader& rd) {
  r.style = std::uint32_t(rd.Int("Style", 0));
  r.exStyle = std::uint32_t(rd.Int("ExStyle", 0));
  r.prevFloating = rd.Bool("PrevFloating", false);
  r.mdiChild = rd.Bool("MDIChild", false);
  if (r.mdiChild) {
    std::vector<std::uint8_t> b = rd.Binary("MDIChildWindowPlacement");
    std::copy_n(b.begin(), std::min<std::size_t>(b.size(), r.placement.size()), r.placement.begin());
  }
  r.pctWidth = PctWidthFromText(rd.Text("PctWidth"));
  r.mruFloat = {NonNegativeSize(rd.Int("MRUFloatCX", 0)), NonNegativeSize(rd.Int("MRUFloatCY", 0))};
  r.mruHorz = {NonNegativeSize(rd.Int("MRUHorzDockCX", 0)), NonNegativeSize(rd.Int("MRUHorzDockCY", 0))};
  r.mruVert = {NonNegativeSize(rd.Int("MRUVertDockCX", 0)), NonNegativeSize(rd.Int("MRUVertDockCY", 0))};
  r.mruDockingState = std::uint32_t(rd.Int("MRUDockingState", int(r.mruDockingState)));
  r.dockingStyle = std::uint32_t(rd.Int("DockingStyle", int(r.dockingStyle)));
  r.typeId = std::uint32_t(rd.Int("TypeID", 0));
  r.className = rd.Text("ClassName");
  r.windowName = rd.Text("WindowName");
  r.resourceId = std::uint32_t(rd.Int("ResourceID", int(r.resourceId)));
}

std::string SummarySection(const std::string& profile) { return profile + "-Summary"; }
std::string BarSection(const std::string& profile, int i) { return profile + "-Bar" + std::to_string(i); }

}  // namespace

PlacementBytes EncodePlacement(const WindowPlacement& wp) {
  PlacementBytes b{};
  std::uint32_t v[11] = {wp.length, wp.flags, wp.showCmd,
                         std::uint32_t(wp.minPosition.x), std::uint32_t(wp.minPosition.y),
                         std::uint32_t(wp.maxPosition.x), std::uint32_t(wp.maxPosition.y),
                         std::uint32_t(wp.normal.left), std::uint32_t(wp.normal.top),
                         std::uint32_t(wp.normal.right), std::uint32_t(wp.normal.bottom)};
  for (int i = 0; i < 11; ++i) Put32(b.data() + 4 * i, v[i]);
  return b;
}

WindowPlacement DecodePlacement(const std::uint8_t* data, std::size_t size) {
  WindowPlacement wp;
  std::uint32_t v[11];
  PlacementBytes def = EncodePlacement(wp);
  for (int i = 0; i < 11; ++i) v[i] = std::size_t(4 * i + 4) <= size ? Get32(data + 4 * i) : Get32(def.data() + 4 * i);
  wp.length = v[0];
  wp.flags = v[1];
  wp.showCmd = v[2];
  wp.minPosition = {int(v[3]), int(v[4])};
  wp.maxPosition = {int(v[5]), int(v[6])};
  wp.normal = {int(v[7]), int(v[8]), int(v[9]), int(v[10])};
  return wp;
}

std::string PctWidthText(float share) { return std::to_string(static_cast<long long>(double(share) * 1000000.0)); }

float PctWidthFromText(const std::string& text) {
  long long v = std::strtoll(text.c_str(), nullptr, 10);
  float f = float(double(v) * 0.000001);
  return f < 0 ? 0.0f : f;
}

bool ControlBarInfo::IsStored() const {
  return !(isDockBar && visible && !floating && pos.x == -1 && pos.y == -1 && bars.size() < 2);
}

bool ControlBarInfo::SaveToNode(SECPersistentTreeNode* parent, int index) const {
  if (!parent || !IsStored()) return false;
  SECPersistentTreeNode* node = parent->CreateChild("Bar-" + std::to_string(index));
  if (!node) return false;
  NodeWriter w(node);
  SaveBase(*this, w);
  SaveAdded(*this, w);
  if (ext) ext->SaveToNode(node);
  return true;
}

void ControlBarInfo::LoadFromNode(const SECPersistentTreeNode* node) {
  NodeReader rd(node);
  LoadBase(*this, rd);
  LoadAdded(*this, rd);
}

bool ControlBarInfo::SaveToProfile(SettingsStore& store, const std::string& profile, int index) const {
  if (!IsStored()) return false;
  std::string section = BarSection(profile, index);
  store.WriteProfileString(section.c_str(), nullptr, nullptr);  // a stale record of the same number goes
  ProfileWriter w(store, section);
  SaveBase(*this, w);
  SaveAdded(*this, w);
  if (ext) ext->SaveToProfile(store, section);
  return true;
}

void ControlBarInfo::LoadFromProfile(const SettingsStore& store, const std::string& profile, int index) {
  ProfileReader rd(store, BarSection(profile, index));
  LoadBase(*this, rd);
  LoadAdded(*this, rd);
}

ControlBarInfo* SECDockState::NewBarInfo() {
  m_records.push_back(std::make_unique<ControlBarInfo>());
  return m_records.back().get();
}

bool SECDockState::SaveStateToNode(SECPersistentTreeNode* parent) const {
  if (!parent) return false;
  SECPersistentTreeNode* node = parent->FindChild("DockState");
  if (!node) node = parent->CreateChild("DockState");
  if (!node) return false;
  int stored = 0;
  for (const auto& r : m_records)
    if (r->SaveToNode(node, stored)) ++stored;
  node->SetKeyValueLong("Bars", stored);
  node->SetKeyValueLong("ScreenCX", m_screen.cx);
  node->SetKeyValueLong("ScreenCY", m_screen.cy);
  return true;
}

bool SECDockState::LoadStateFromNode(const SECPersistentTreeNode* parent) {
  if (!parent) return false;
  const SECPersistentTreeNode* node = parent->FindChild("DockState");
  if (!node) return false;
  std::int32_t bars = 0, cx = 0, cy = 0;
  node->GetKeyValueInt("Bars", &bars, 0);
  node->GetKeyValueInt("ScreenCX", &cx, 0);
  node->GetKeyValueInt("ScreenCY", &cy, 0);
  m_screen = {cx, cy};
  // The records are the children "Bar-<i>" for i below the count, in order
  // of i; taken from the children there are, so a damaged count costs
  // nothing.
  std::vector<std::pair<long, const SECPersistentTreeNode*>> numbered;
  for (const SECPersistentTreeNode* c : node->Children()) {
    const std::string& name = c->Name();
    if (name.size() < 5 || name.size() > 14 || name.compare(0, 4, "Bar-") != 0) continue;
    char* end = nullptr;
    const long i = std::strtol(name.c_str() + 4, &end, 10);
    if (*end == '\0' && i >= 0 && i < bars && name == "Bar-" + std::to_string(i)) numbered.emplace_back(i, c);
  }
  std::stable_sort(numbered.begin(), numbered.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t k = 0; k < numbered.size(); ++k) {
    if (k > 0 && numbered[k].first == numbered[k - 1].first) continue;
    const SECPersistentTreeNode* child = numbered[k].second;
    ControlBarInfo* r = NewBarInfo();
    r->LoadFromNode(child);
    if (m_source) {
      r->ext = m_source->CreateInfoEx();
      if (r->ext) r->ext->LoadFromNode(child);
    }
  }
  return true;
}

bool SECDockState::SaveState(SettingsStore& store, const std::string& profile) const {
  int stored = 0;
  for (const auto& r : m_records)
    if (r->SaveToProfile(store, profile, stored)) ++stored;
  std::string summary = SummarySection(profile);
  store.WriteProfileInt(summary, "Bars", stored);
  store.WriteProfileInt(summary, "ScreenCX", m_screen.cx);
  store.WriteProfileInt(summary, "ScreenCY", m_screen.cy);
  return true;
}

void SECDockState::LoadState(const SettingsStore& store, const std::string& profile) {
  std::string summary = SummarySection(profile);
  int bars = store.GetProfileInt(summary, "Bars", 0);
  m_screen = {store.GetProfileInt(summary, "ScreenCX", 0), store.GetProfileInt(summary, "ScreenCY", 0)};
  // Each record is a section of its own, numbered from 0 without gaps: a
  // damaged count ends at the first that is missing.
  const std::string& root = store.ProfileRoot();
  for (int i = 0; i < bars; ++i) {
    const std::string section = BarSection(profile, i);
    if (!store.KeyExists(root.empty() ? section : root + "\\" + section)) break;
    ControlBarInfo* r = NewBarInfo();
    r->LoadFromProfile(store, profile, i);
    if (m_source) {
      r->ext = m_source->CreateInfoEx();
      if (r->ext) r->ext->LoadFromProfile(store, BarSection(profile, i));
    }
  }
}

void SECDockState::RemoveStaleBarIDs() {
  // A place held for a bar in a dock bar that is not its last dock bar is
  // stale. Stale and repeated ids are taken out of the list (turning them
  // into row ends would split the rows they stood in).
  for (const auto& ri : m_records) {
    for (auto& rj : m_records) {
      if (ri.get() == rj.get() || ri->mruDockId == rj->barId || rj->bars.empty()) continue;
      std::uint32_t hidden = ri->barId + kHiddenBarIdFlag;
      auto& b = rj->bars;
      for (std::size_t k = 0; k + 1 < b.size();) {
        if (b[k] == hidden) b.erase(b.begin() + std::ptrdiff_t(k));
        else ++k;
      }
    }
  }
  for (auto& r : m_records) {
    auto& b = r->bars;
    for (std::size_t k = 0; k < b.size(); ++k) {
      if (b[k] == 0) continue;
      for (std::size_t m = k + 1; m < b.size();) {
        if (b[m] == b[k]) b.erase(b.begin() + std::ptrdiff_t(m));
        else ++m;
      }
    }
    // Rows emptied by the removals close up.
    for (std::size_t k = 1; k < b.size();) {
      if (b[k] == 0 && b[k - 1] == 0) b.erase(b.begin() + std::ptrdiff_t(k));
      else ++k;
    }
    while (!b.empty() && b.back() == 0) b.pop_back();
    if (!b.empty()) b.push_back(0);
  }
}

}  // namespace pm2
