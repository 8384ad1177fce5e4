#include "editor/wizard/option_rows.h"

#include <algorithm>
#include <cstdio>

#include "editor/wizard/options_parser.h"

namespace pm2 {

namespace {

// Row kind of each node TYPE (index); -1 gets no row.
constexpr int kKindOfType[] = {-1, kRowText, kRowDecimal, kRowCheck, kRowSelection, kRowFile, kRowHex};

std::string Hex(int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%XH", unsigned(v));
  return buf;
}

}  // namespace

void OptionRows::Build(const COptionNode* root) {
  m_rows.clear();
  m_nodes.clear();
  if (!root) return;
  int optionNumber = 0;
  // The block's own row, then its children and their siblings.
  OptionRow top;
  top.label = std::string(root->name);
  top.flags = root->style;
  top.line = root->line;
  m_rows.push_back(top);
  m_nodes.push_back(root);
  for (const COptionNode* n = root->children; n; n = n->next) Add(n, 0, 1, &optionNumber);
  // Rows named by ENABLEDBY: a row whose enabling row is 0 starts greyed.
  for (size_t i = 0; i < m_rows.size(); ++i) {
    const COptionNode* by = m_nodes[i]->enabledByNode;
    if (!by) continue;
    for (size_t j = 0; j < m_nodes.size(); ++j)
      if (m_nodes[j] == by) {
        m_rows[i].enablingRow = int(j);
        if (m_rows[j].value == 0) m_rows[i].flags |= kRowDisabled;
        break;
      }
  }
  m_nodes.clear();
}

void OptionRows::Add(const COptionNode* n, int parent, int depth, int* optionNumber) {
  OptionRow r;
  r.label = std::string(n->name);
  r.help = std::string(n->help);
  r.flags = n->style;
  r.parent = parent;
  r.depth = depth;
  r.line = n->line;
  if (n->kind == kNodeOption) {
    r.option = (*optionNumber)++;
    const int kind = (n->type >= 0 && n->type < 7) ? kKindOfType[n->type] : -1;
    if (kind < 0) return;  // no TYPE: no row
    r.kind = kind;
    r.key = std::string(n->key);
    switch (kind) {
      case kRowText:
      case kRowFile: r.text = std::string(n->defaultText); break;
      case kRowDecimal:
      case kRowHex:
        r.value = int32_t(n->defaultValue);
        r.minimum = n->min;
        r.maximum = n->max;
        break;
      case kRowCheck: r.value = int32_t(n->defaultValue); break;
      case kRowSelection: {
        for (const COptionNode* it = n->items; it; it = it->next) {
          r.entries.emplace_back(it->name);
          r.entryValues.push_back(it->min);
        }
        size_t index = n->defaultValue & 0xFFFF;
        if (index >= r.entries.size()) index = 0;
        r.value = int32_t(index);
        if (!r.entries.empty()) r.text = r.entries[index];
        break;
      }
      default: break;
    }
    m_rows.push_back(r);
    m_nodes.push_back(n);
    return;
  }
  // A folder: a label row with the folder's children under it.
  m_rows.push_back(r);
  m_nodes.push_back(n);
  const int self = int(m_rows.size()) - 1;
  for (const COptionNode* c = n->children; c; c = c->next) Add(c, self, depth + 1, optionNumber);
}

std::string OptionRows::ValueText(int i) const {
  const OptionRow& r = Row(i);
  if (r.flags & kRowHideValue) return {};
  switch (r.kind) {
    case kRowDecimal: return std::to_string(r.value);
    case kRowHex: return Hex(r.value);
    case kRowText:
    case kRowFile:
    case kRowSelection: return r.text;
    default: return {};
  }
}

std::string OptionRows::EditText(int i) const {
  const OptionRow& r = Row(i);
  switch (r.kind) {
    case kRowDecimal: return std::to_string(r.value);
    case kRowHex: return Hex(r.value);
    default: return r.text;
  }
}

bool OptionRows::Editable(int i) const {
  const OptionRow& r = Row(i);
  return r.kind != kRowLabel && !(r.flags & (kRowDisabled | kRowReadOnly | kRowHideValue));
}

namespace {

// Upper-cased, trimmed, and a leading 0X or else one trailing H removed
// when at least 2 characters long.
std::string HexDigitsOf(const std::string& in) {
  std::string t;
  for (char c : in) t.push_back((c >= 'a' && c <= 'z') ? char(c - 32) : c);
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!t.empty() && blank(t.back())) t.pop_back();
  size_t from = 0;
  while (from < t.size() && blank(t[from])) ++from;
  t.erase(0, from);
  if (t.size() >= 2) {
    if (t.compare(0, 2, "0X") == 0)
      t.erase(0, 2);
    else if (t.back() == 'H')
      t.pop_back();
  }
  return t;
}

int HexDigit(char c) { return (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1; }

}  // namespace

bool OptionRows::ReadHexInput(const std::string& in, uint32_t* value) {
  const std::string t = HexDigitsOf(in);
  if (t.empty()) return false;
  uint32_t v = 0;
  for (char c : t) {
    const int d = HexDigit(c);
    if (d < 0 || v > 0x0FFFFFFFu) return false;
    v = v * 16u + uint32_t(d);
  }
  *value = v;
  return true;
}

bool OptionRows::AcceptsInput(int i, const std::string& text) const {
  uint32_t v = 0;
  return Row(i).kind != kRowHex || ReadHexInput(text, &v);
}

int32_t OptionRows::ParseDecimalInput(const std::string& t) {
  size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  uint32_t v = 0;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) v = v * 10u + uint32_t(t[i] - '0');
  return int32_t(negative ? 0u - v : v);
}

bool OptionRows::EndEdit(int i, const std::string& text) {
  OptionRow& r = m_rows[size_t(i)];
  const int32_t oldValue = r.value;
  const std::string oldText = r.text;
  switch (r.kind) {
    case kRowDecimal: r.value = ParseDecimalInput(text); break;  // its spin box holds the bounds
    case kRowHex: {
      uint32_t v = 0;
      if (!ReadHexInput(text, &v)) return false;
      // Hexadecimal bounds are addresses and sizes: compared unsigned.
      if (uint32_t(r.minimum) < uint32_t(r.maximum)) v = std::clamp(v, uint32_t(r.minimum), uint32_t(r.maximum));
      r.value = int32_t(v);
      break;
    }
    case kRowText: r.text = text; break;
    case kRowSelection:
      for (size_t k = 0; k < r.entries.size(); ++k)
        if (r.entries[k] == text) {
          r.value = int32_t(k);
          r.text = text;
          break;
        }
      break;
    default: return false;
  }
  UpdateDependents(i);
  return r.value != oldValue || r.text != oldText;
}

bool OptionRows::Toggle(int i) {
  OptionRow& r = m_rows[size_t(i)];
  if (r.kind != kRowCheck) return false;
  r.value = r.value ? 0 : 1;
  UpdateDependents(i);
  return true;
}

bool OptionRows::SetFile(int i, const std::string& path) {
  OptionRow& r = m_rows[size_t(i)];
  if (r.kind != kRowFile || r.text == path) return false;
  r.text = path;
  return true;
}

void OptionRows::UpdateDependents(int changed) {
  const bool on = m_rows[size_t(changed)].value != 0;
  for (OptionRow& r : m_rows) {
    if (r.enablingRow != changed) continue;
    if (on)
      r.flags &= ~uint32_t(kRowDisabled);
    else
      r.flags |= kRowDisabled;
  }
}

int OptionRows::SkipSubtree(int i) const {
  const int depth = Row(i).depth;
  int j = i + 1;
  while (j < Count() && Row(j).depth > depth) ++j;
  return j;
}

int OptionRows::CountVisibleRows(const std::vector<bool>& expanded) const {
  int n = 0;
  for (int i = 0; i < Count();) {
    ++n;
    const bool open = size_t(i) < expanded.size() && expanded[size_t(i)];
    i = open ? i + 1 : SkipSubtree(i);
  }
  return n;
}

}  // namespace pm2
