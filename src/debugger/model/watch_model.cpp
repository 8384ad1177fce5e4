#include "debugger/model/watch_model.h"

#include <cstdlib>
#include <cstring>

#include "debugger/model/watch_format.h"
#include "project/edit/stored_setters.h"

namespace pm2 {

namespace {

constexpr int kStringMax = 150;  // characters of a string shown after an address

bool IsArray(const DbgWatchValue& v) { return v.code == kDbgTypePointer && v.isArray; }
bool IsPointer(const DbgWatchValue& v) { return v.code == kDbgTypePointer && !v.isArray; }

WatchItem* TopOf(WatchItem* row) {
  while (row && row->parent) row = row->parent;
  return row;
}

void AddVisible(const std::vector<std::unique_ptr<WatchItem>>& rows, std::vector<WatchItem*>* out) {
  for (const auto& r : rows) {
    out->push_back(r.get());
    if (r->expanded) AddVisible(r->children, out);
  }
}

}  // namespace

WatchModel::WatchModel(bool locals, DebugInterface* const* record, WatchEnvironment env)
    : m_locals(locals), m_record(record), m_env(std::move(env)) {}

bool WatchModel::Active() const {
  const DebugInterface* r = Record();
  return r && (r->flags & kDbgFlagActive) && r->DbgControl;
}

std::vector<WatchItem*> WatchModel::VisibleRows() const {
  std::vector<WatchItem*> out;
  AddVisible(m_rows, &out);
  return out;
}

WatchItem* WatchModel::PlaceholderRow() const {
  for (const auto& r : m_rows)
    if (r->placeholder) return r.get();
  return nullptr;
}

void WatchModel::AddPlaceholder() {
  if (m_locals || PlaceholderRow()) return;
  auto row = std::make_unique<WatchItem>();
  row->name = kWatchPlaceholder;
  row->radix = 255;
  row->flags = kWatchNoValue | kWatchTopLevel;
  row->placeholder = true;
  m_rows.push_back(std::move(row));
  ++m_structure;
}

void WatchModel::Attach() {
  m_context = nullptr;
  AddPlaceholder();
  Refresh();
}

void WatchModel::ClearValues() {
  m_context = nullptr;
  m_lastScope = 0;
  m_lastCount = 0;
  ++m_structure;
  if (m_locals) {
    m_rows.clear();
    return;
  }
  // A watch window keeps the user's expressions: only their values go,
  // and the next refresh evaluates them again.
  for (auto& row : m_rows) {
    if (row->placeholder) continue;
    row->children.clear();
    row->expanded = false;
    row->value.clear();
    row->type = DbgWatchValue{};
    row->flags = kWatchTopLevel | kWatchFailed;
  }
}

void WatchModel::Rebuild() {
  m_rows.clear();
  ClearValues();
  AddPlaceholder();
}

std::vector<std::string> WatchModel::Expressions() const {
  std::vector<std::string> out;
  for (const auto& r : m_rows) {
    if (r->placeholder) continue;
    std::string text = r->name;
    const std::size_t b = text.find_first_not_of(' ');
    text = b == std::string::npos ? std::string() : text.substr(b);
    if (!text.empty() && text[0] == '`') text.erase(0, 1);
    if (!text.empty()) out.push_back(text);
  }
  return out;
}

bool WatchModel::Keepable(const std::string& text) const {
  const std::string why = DebugWindowTextRefusal(DebugWindowText::kWatchRow, text);
  if (why.empty()) return true;
  Beep();
  if (m_env.say) m_env.say(why);
  return false;
}

bool WatchModel::AddExpression(const std::string& expression) {
  if (!Keepable(expression)) return false;
  AddPlaceholder();
  WatchItem* row = PlaceholderRow();
  row->placeholder = false;
  row->children.clear();
  row->name = expression;
  row->expression = StripRadixSuffix(expression);
  const int radix = RadixOfSuffix(expression);
  row->radix = uint8_t(radix < 0 ? 0 : radix);
  row->flags = kWatchTopLevel;
  row->value.clear();
  if (Active()) Evaluate(row);
  AddPlaceholder();
  ++m_structure;
  return true;
}

// ------------------------------------------------------------------ evaluation

void WatchModel::StoreValue(WatchItem* row, const std::string& text) {
  if (WatchValueChanged(row->value, text))
    row->flags |= kWatchChanged;
  else
    row->flags &= uint8_t(~kWatchChanged);
  row->value = text;
}

void WatchModel::Evaluate(WatchItem* row) {
  DebugInterface* r = Record();
  DbgWatchValue v{};
  v.expression = row->expression.c_str();
  int radix = row->radix == 10 || row->radix == 16 ? row->radix : -1;
  if (m_locals && (m_windowRadix == 10 || m_windowRadix == 16)) radix = m_windowRadix;
  v.radix = radix;
  v.targetCode = 0xFF;
  const bool ok = r && r->DbgControl && r->DbgControl(kDbgCtlWatchEval, reinterpret_cast<intptr_t>(&v), 0) == 0;
  if (!ok) {
    if (!(row->flags & kWatchFailed)) row->children.clear(), ++m_structure;
    row->flags = uint8_t((row->flags | kWatchFailed) & ~(kWatchNoValue | kWatchEditable | kWatchExpandable));
    row->expanded = false;
    // A driver that refused the expression said why in the text.
    StoreValue(row, WatchNotEvaluatedText(std::string(v.text, strnlen(v.text, sizeof v.text))));
    return;
  }
  row->flags &= uint8_t(~(kWatchFailed | kWatchNoValue));
  if (v.outOfScope) {
    row->flags |= kWatchOutScope;
    StoreValue(row, kWatchOutOfScopeText);
    return;
  }
  // Back in scope: the new value is no change.
  if ((row->flags & kWatchOutScope) || row->value == kWatchOutOfScopeText) row->value.clear();
  row->flags &= uint8_t(~kWatchOutScope);
  Format(row, v);
}

void WatchModel::Format(WatchItem* row, const DbgWatchValue& v) {
  DebugInterface* r = Record();
  const bool typeChanged = row->type.code != v.code || row->type.isArray != v.isArray ||
                           row->type.targetCode != v.targetCode || row->type.count != v.count ||
                           std::strcmp(row->type.tag, v.tag) != 0 || row->value.empty();
  row->type = v;
  row->type.expression = nullptr;
  if (typeChanged) {
    if (!row->children.empty()) ++m_structure;
    row->children.clear();
    row->expanded = false;
    row->flags &= uint8_t(~(kWatchEditable | kWatchExpandable));
    if (IsArray(v) || v.code == kDbgTypeUnion || v.code == kDbgTypeStruct) {
      row->flags |= kWatchExpandable;
    } else if (IsPointer(v)) {
      row->flags |= kWatchEditable;
      if (v.targetCode != 0 && v.targetCode != 0xFF) row->flags |= kWatchExpandable;
    } else {
      row->flags |= kWatchEditable;
    }
  }
  std::string text;
  char buffer[1024];
  if (v.code == kDbgTypeUnion || v.code == kDbgTypeStruct) {
    text = std::string(v.code == kDbgTypeUnion ? "union " : "struct ") + (v.tag[0] ? v.tag : "<notag>") + " { ... }";
  } else if (IsArray(v)) {
    buffer[0] = '\0';
    if (r && r->DbgFormatAddress) r->DbgFormatAddress(0, v.address, 0, buffer);
    text = buffer;
    if (v.targetCode == kDbgTypeChar) {
      // The array's own characters, not what lies after its last one
      // ("buf[1]@5" is five).
      const int32_t most = v.count > 0 && v.count < uint32_t(kStringMax) ? int32_t(v.count) + 1 : kStringMax;
      char s[kStringMax + 1] = "";
      if (r && r->DbgReadString && r->DbgReadString(s, v.address, most) < 0) s[0] = '\0';
      text += std::string(" []  ") + s;
    } else {
      text += " [ ... ]";
    }
  } else {
    text = v.text;
    if (IsPointer(v) && v.targetCode == kDbgTypeChar) {
      char s[kStringMax + 1] = "";
      if (r && r->DbgReadString && r->DbgReadString(s, v.address, kStringMax) >= 0) text += std::string(" ") + s;
    } else if (v.code == kDbgTypeChar) {
      char* end = nullptr;
      const long long code = std::strtoll(v.text, &end, 0);
      if (end != v.text && code >= 0) text += WatchCharSuffix(uint32_t(code));
    }
  }
  StoreValue(row, text);
}

void WatchModel::UpdateRow(WatchItem* row) {
  row->flags &= uint8_t(~kWatchChanged);
  if (row->flags & kWatchNoValue) return;
  if (row->parent && (row->parent->flags & kWatchOutScope)) {
    row->flags |= kWatchOutScope;
    StoreValue(row, kWatchOutOfScopeText);
  } else {
    if (row->parent) row->radix = row->parent->radix;
    Evaluate(row);
  }
  if (row->expanded)
    for (auto& c : row->children) UpdateRow(c.get());
}

// ------------------------------------------------------------------ refresh

bool WatchModel::QueryLocals(uint32_t* key, std::vector<std::string>* names) const {
  DebugInterface* r = Record();
  names->clear();
  *key = 0;
  if (!r || !r->DbgControl || (r->flags & kDbgFlagExecuting)) return false;
  auto list = std::make_unique<DbgWatchNames>();
  if (r->DbgControl(kDbgCtlLocals, reinterpret_cast<intptr_t>(list.get()), 0) != 0) return false;
  *key = list->key;
  const char* p = list->names;
  const char* end = list->names + sizeof list->names;
  for (uint32_t i = 0; i < list->count && p < end; ++i) {
    const std::size_t n = strnlen(p, std::size_t(end - p));
    if (n > 0) names->emplace_back(p, n);
    p += n + 1;
  }
  return true;
}

void WatchModel::RebuildLocals(uint32_t key, const std::vector<std::string>& names) {
  m_rows.clear();
  m_context = nullptr;
  ++m_structure;
  for (const std::string& name : names) {
    auto row = std::make_unique<WatchItem>();
    row->name = name;
    row->expression = name;
    row->flags = kWatchTopLevel;
    Evaluate(row.get());
    m_rows.push_back(std::move(row));
  }
  m_lastScope = key;
  m_lastCount = int(m_rows.size());
}

void WatchModel::Refresh() {
  if (!Active() || m_assignDepth > 0) return;
  if (!m_locals && !PlaceholderRow()) {
    AddPlaceholder();
    return;
  }
  if (m_locals) {
    uint32_t key = 0;
    std::vector<std::string> names;
    if (!QueryLocals(&key, &names)) names.clear(), key = 0;
    if (key == 0 || key != m_lastScope || m_lastCount == 0 || int(names.size()) != m_lastCount) {
      RebuildLocals(key, names);
      return;
    }
  }
  if (m_context) {
    for (WatchItem* row = m_context; row; row = row->parent) UpdateRow(row);
    return;
  }
  int budget = kWatchMaxRefreshRows;
  for (auto& row : m_rows) {
    if (budget-- <= 0) break;
    UpdateRow(row.get());
  }
}

// ------------------------------------------------------------------ expansion

bool WatchModel::Expand(WatchItem* row) {
  if (!row) return false;
  if (!(row->flags & kWatchExpandable)) {
    row->expanded = !row->children.empty();
    return row->expanded;
  }
  row->flags &= uint8_t(~kWatchExpandable);
  const std::string base = "(" + row->expression + ")";
  auto add = [&](std::string name, std::string expression) {
    auto child = std::make_unique<WatchItem>();
    child->parent = row;
    child->name = std::move(name);
    child->expression = std::move(expression);
    child->radix = row->radix;
    child->type.targetCode = 0xFF;
    row->children.push_back(std::move(child));
  };
  if (IsArray(row->type)) {
    const std::vector<std::string> names = ArrayChildNames(row->type.count);
    for (std::size_t i = 0; i < names.size(); ++i)
      add(names[i], base + "[" + std::to_string(i) + "]");
  } else if (IsPointer(row->type)) {
    add("*" + row->name, "*" + base);
  } else if (row->IsStructured()) {
    DebugInterface* r = Record();
    auto list = std::make_unique<DbgWatchNames>();
    if (r && r->DbgControl &&
        r->DbgControl(kDbgCtlWatchMembers, reinterpret_cast<intptr_t>(row->expression.c_str()),
                      reinterpret_cast<intptr_t>(list.get())) == 0) {
      const char* p = list->names;
      const char* end = list->names + sizeof list->names;
      for (uint32_t i = 0; i < list->count && p < end; ++i) {
        const std::size_t n = strnlen(p, std::size_t(end - p));
        if (n > 0) add(std::string(p, n), base + "." + std::string(p, n));
        p += n + 1;
      }
    }
  }
  for (auto& c : row->children) {
    if (row->flags & kWatchOutScope) {
      c->flags |= kWatchOutScope;
      c->value = kWatchOutOfScopeText;
    } else {
      Evaluate(c.get());
    }
    c->flags &= uint8_t(~kWatchChanged);
  }
  row->expanded = true;
  ++m_structure;
  return true;
}

// ------------------------------------------------------------------ edits

bool WatchModel::MayEditName(const WatchItem* row) const {
  if (!row || m_locals || !Active() || !(row->flags & kWatchTopLevel) || row->parent) {
    Beep();
    return false;
  }
  return true;
}

bool WatchModel::EndNameEdit(WatchItem* row, const std::string& text) {
  if (!row) return false;
  if (IsEmptyWatchName(text)) {
    if (row->placeholder) {
      row->name = kWatchPlaceholder;
      return true;
    }
    DeleteRow(row);
    return true;
  }
  if (!Keepable(text)) return false;
  row->placeholder = false;
  row->children.clear();
  row->expanded = false;
  row->name = text;
  row->expression = StripRadixSuffix(text);
  const int radix = RadixOfSuffix(text);
  row->radix = uint8_t(radix < 0 ? 0 : radix);
  row->value.clear();
  row->type = DbgWatchValue{};
  row->flags = kWatchTopLevel;
  Evaluate(row);
  row->flags &= uint8_t(~kWatchChanged);
  AddPlaceholder();
  ++m_structure;
  return true;
}

bool WatchModel::AssignableExpression(const WatchItem* row, std::string* out) const {
  std::vector<const WatchItem*> chain;
  for (const WatchItem* r = row; r; r = r->parent) chain.insert(chain.begin(), r);
  std::vector<WatchChainPart> parts;
  for (const WatchItem* r : chain) {
    WatchChainPart p;
    p.name = r->name;
    p.structOrUnion = r->IsStructured();
    p.pointerToStruct = r->type.code == kDbgTypePointer && !r->type.isArray &&
                        (r->type.targetCode == kDbgTypeStruct || r->type.targetCode == kDbgTypeUnion);
    parts.push_back(p);
  }
  return BuildAssignableExpression(parts, out);
}

bool WatchModel::MayEditValue(const WatchItem* row) const {
  if (!row || !Active() || !(row->flags & kWatchEditable)) {
    Beep();
    return false;
  }
  return true;
}

bool WatchModel::EndValueEdit(WatchItem* row, const std::string& text) {
  DebugInterface* r = Record();
  std::string target;
  if (!row || !r || !r->DbgAssign || (m_locals && (r->flags & kDbgFlagExecuting)) ||
      !AssignableExpression(row, &target)) {
    Beep();
    return false;
  }
  const std::string line = target + " = " + text + "\n";
  ++m_assignDepth;
  const int32_t result = r->DbgAssign(line.c_str(), int32_t(line.size()));
  --m_assignDepth;
  if (result != 0) {
    Beep();
    return false;
  }
  if (m_env.assignmentDone) m_env.assignmentDone();
  return true;
}

bool WatchModel::DeleteRow(WatchItem* row) {
  if (!row || m_locals || row->parent || row->placeholder) {
    Beep();
    return false;
  }
  for (auto it = m_rows.begin(); it != m_rows.end(); ++it)
    if (it->get() == row) {
      if (m_context == row) m_context = nullptr;
      m_rows.erase(it);
      ++m_structure;
      AddPlaceholder();
      return true;
    }
  return false;
}

void WatchModel::SetContextRow(WatchItem* row) {
  m_context = TopOf(row);
  if (!m_context) return;
  const DebugInterface* r = Record();
  m_windowRadix = m_context->radix == 255 ? (r ? r->watchRadix : 0) : m_context->radix;
}

void WatchModel::SetRadix(int radix) {
  if (!m_context || (radix != 10 && radix != 16)) return;
  m_windowRadix = uint8_t(radix);
  if (!m_locals && !m_context->placeholder) {
    m_context->name = WithRadixSuffix(m_context->name, radix);
    m_context->radix = uint8_t(radix);
  }
  Refresh();
  m_context = nullptr;
}

}  // namespace pm2
