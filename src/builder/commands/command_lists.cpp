#include "builder/commands/command_lists.h"

#include <string>

#include "builder/commands/command_context.h"
#include "project/model/project_records.h"
#include "project/text/scanner.h"

namespace pm2 {

bool DefineList::Add(std::string_view name, std::string_view value) {
  std::size_t need = name.size() + 1 + value.size() + 1;
  if (full || count >= kMaxEntries || poolUsed + need > kPoolSize) {
    if (!full) firstDropped.assign(name);
    full = true;
    return false;
  }
  DefineEntry& e = entries[count++];
  e = DefineEntry{};
  e.name = static_cast<uint16_t>(poolUsed);
  name.copy(pool + poolUsed, name.size());
  poolUsed += static_cast<int>(name.size());
  pool[poolUsed++] = '\0';
  e.value = static_cast<uint16_t>(poolUsed);
  value.copy(pool + poolUsed, value.size());
  poolUsed += static_cast<int>(value.size());
  pool[poolUsed++] = '\0';
  return true;
}

int DefineList::Surviving() const {
  int n = 0;
  for (int i = 0; i < count; ++i)
    if (!entries[i].removed) ++n;
  return n;
}

void ParseDefineList(const char* text, DefineList& list) {
  TextScanner scanner;  // our own: the build thread must not touch the shared one
  scanner.SetText(text);
  std::string name, value;
  for (;;) {
    int delimiter = scanner.ScanWholeToken(name, false);
    if (name.empty()) return;
    value.clear();
    if (delimiter == '=') delimiter = scanner.ScanWholeToken(value, false);
    if (!list.Add(name, value)) return;
    if (delimiter == kScanEndOfLine) return;
  }
}

void ApplyUndefineList(const char* text, DefineList& list) {
  TextScanner scanner;
  scanner.SetText(text);
  std::string name, value;
  for (;;) {
    int delimiter = scanner.ScanWholeToken(name, false);
    if (name.empty()) return;
    if (delimiter == '=') delimiter = scanner.ScanWholeToken(value, false);
    for (int i = 0; i < list.count; ++i) {
      DefineEntry& e = list.entries[i];
      if (!e.removed && list.Name(e) == name) {
        e.removed = true;
        break;
      }
    }
    if (delimiter == kScanEndOfLine) return;
  }
}

void MergeDefineLevels(const CommandContext& ctx, ListText defines, ListText undefines,
                       DefineList& list) {
  auto level = [&](const OptionBlock& b) {
    ParseDefineList(defines(b).c_str(), list);
    ApplyUndefineList(undefines(b).c_str(), list);
  };
  ParseDefineList(defines(ctx.g_WorkOptions).c_str(), list);
  if (ctx.IsGroupNode()) {
    level(ctx.g_ParentOptions);
  } else if (ctx.IsFileNode()) {
    if (ctx.g_pCmdGroupOptions) level(ctx.g_ParentOptions);
    level(ctx.g_TargetLevelOptions);
  }
}

std::string DefineArgument(std::string_view option, std::string_view name, std::string_view value) {
  std::string s = std::string(option) + std::string(name);
  if (value.empty()) return s;
  if (value.find_first_of(" \t\"'\\") == std::string_view::npos) return s + "=" + std::string(value);
  return s + "=\"" + std::string(value) + "\"";
}

void NoteDroppedEntries(CommandContext& ctx, const DefineList& list, const char* listName) {
  if (!list.full || !ctx.g_droppedListEntries.list.empty()) return;
  ctx.g_droppedListEntries = {listName, list.firstDropped};
}

namespace {

// Appends the surviving entries as "head" entry{,entry} ")"; the value
// is written after '=' between the given quotes.
void AppendEntries(CommandContext& ctx, const char* head, const DefineList& list,
                   const char* quote, const char* listName) {
  NoteDroppedEntries(ctx, list, listName);
  if (list.Surviving() == 0) return;
  std::string text(head);
  bool first = true;
  for (int i = 0; i < list.count; ++i) {
    const DefineEntry& e = list.entries[i];
    if (e.removed) continue;
    if (!first) text += ',';
    first = false;
    text += list.Name(e);
    if (!list.Value(e).empty()) {
      text += '=';
      text += quote;
      text += list.Value(e);
      text += quote;
    }
  }
  text += ')';
  ctx.AppendControl(text);
}

}  // namespace

void AppendDefineControl(CommandContext& ctx, const DefineList& list) {
  AppendEntries(ctx, "DEFINE (", list, "\"", "Define");
}

void AppendDefineLevels(CommandContext& ctx, ListText defines, ListText undefines) {
  DefineList list;
  MergeDefineLevels(ctx, defines, undefines, list);
  AppendDefineControl(ctx, list);
}

void AppendSetLevels(CommandContext& ctx, std::span<const std::string_view> leading,
                     ListText sets, ListText resets) {
  DefineList list;
  for (std::string_view name : leading) list.Add(name, {});
  MergeDefineLevels(ctx, sets, resets, list);
  AppendEntries(ctx, "SET (", list, "", "Set");
}

void AppendIncdirControl(CommandContext& ctx, OptString targetText, OptString groupText,
                         OptString nodeText) {
  OptString added[3];
  int count = 0;
  std::string text("INCDIR(");
  for (OptString s : {nodeText, groupText, targetText}) {
    if (s.empty()) continue;
    bool seen = false;
    for (int i = 0; i < count; ++i) seen = seen || added[i].SameStored(s);
    if (seen) continue;
    if (count) text += ';';
    text += s.view();
    added[count++] = s;
  }
  if (count == 0) return;
  text += ')';
  ctx.AppendControl(text);
}

void AppendIncdirLevels(CommandContext& ctx, ListText includes) {
  OptString target = includes(ctx.g_WorkOptions);
  OptString group = ctx.IsGroupNode() || ctx.IsFileNode() ? includes(ctx.g_ParentOptions) : OptString();
  OptString node = ctx.IsFileNode() ? includes(ctx.g_TargetLevelOptions) : OptString();
  AppendIncdirControl(ctx, target, group, node);
}

void AppendMiscLevels(CommandContext& ctx, ListText misc) {
  OptString target = misc(ctx.g_WorkOptions);
  ctx.AppendControl(target.view());
  if (!ctx.IsGroupNode() && !ctx.IsFileNode()) return;
  OptString group = misc(ctx.g_ParentOptions);
  if (!group.SameStored(target)) ctx.AppendControl(group.view());
  if (!ctx.IsFileNode()) return;
  OptString node = misc(ctx.g_TargetLevelOptions);
  if (!node.SameStored(target) && !node.SameStored(group)) ctx.AppendControl(node.view());
}

}  // namespace pm2
