#include "shell/tools/user_tools.h"

#include <cstdio>

#include "platform/settings_store.h"
#include "project/model/app_state.h"
#include "shell/tools/user_tool_thread.h"

namespace pm2 {
namespace {

constexpr char kSection[] = "ToolM";
constexpr uint32_t kStoredBit = 0x100;

// Option bit of an entry and its flag in "Mfg%d".
struct OptionFlag {
  uint32_t option;
  uint32_t stored;
};
constexpr OptionFlag kOptionFlags[] = {
    {kToolPrompt, 0x200},
    {kToolMinimized, 0x400},
    {kToolIndependent, 0x800},
};

std::string Key(const char* stem, int n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%d", stem, n);
  return buf;
}

}  // namespace

bool ExpandToolText(const KeySequenceSources& src, std::string_view text, std::string* out, std::string* why) {
  out->clear();
  std::string failed;
  const ExpandResult result = ExpandToolArguments(src, text, *out, &failed);
  if (result != kExpandDone && why) *why = ExpandFailureText(result, failed);
  return result == kExpandDone;
}

std::vector<UserToolEntry> ReadUserTools(const SettingsStore& store) {
  std::vector<UserToolEntry> tools;
  for (int n = 0; n < kMaxUserTools; ++n) {
    uint32_t flags = static_cast<uint32_t>(store.GetProfileInt(kSection, Key("Mfg", n), 0));
    if (flags == 0) break;
    UserToolEntry e;
    e.used = true;
    e.profileLow = flags & 0xFF;
    for (const OptionFlag& f : kOptionFlags)
      if (flags & f.stored) e.options |= f.option;
    e.menuText = store.GetProfileString(kSection, Key("Mtx", n));
    e.folder = store.GetProfileString(kSection, Key("Mid", n));
    e.program = store.GetProfileString(kSection, Key("Mex", n));
    e.arguments = store.GetProfileString(kSection, Key("Mag", n));
    tools.push_back(std::move(e));
  }
  return tools;
}

void WriteUserTools(SettingsStore& store, const std::vector<UserToolEntry>& tools) {
  int n = 0;
  for (const UserToolEntry& e : tools) {
    if (n == kMaxUserTools) break;
    if (!e.used || e.menuText.empty()) continue;
    uint32_t flags = kStoredBit | (e.profileLow & 0xFF);
    for (const OptionFlag& f : kOptionFlags)
      if (e.options & f.option) flags |= f.stored;
    store.WriteProfileInt(kSection, Key("Mfg", n), static_cast<int>(flags));
    store.WriteProfileString(kSection, Key("Mtx", n).c_str(), e.menuText.c_str());
    store.WriteProfileString(kSection, Key("Mid", n).c_str(), e.folder.c_str());
    store.WriteProfileString(kSection, Key("Mex", n).c_str(), e.program.c_str());
    store.WriteProfileString(kSection, Key("Mag", n).c_str(), e.arguments.c_str());
    ++n;
  }
  store.WriteProfileInt(kSection, Key("Mfg", n), 0);
}

bool UserToolsMenu::CustomizeEnabled() const { return !(m_state.load() & kStateBusy); }

std::vector<ToolMenuItem> UserToolsMenu::Rebuild(const KeySequenceSources& src) {
  std::vector<ToolMenuItem> items;
  uint32_t k = 0;
  for (UserToolEntry& e : m_tools) {
    if (!e.used) continue;
    if (items.empty()) items.push_back({0, {}, true, false});
    e.commandId = kUserToolFirstId + k++;
    ToolMenuItem item;
    item.id = e.commandId;
    item.greyed = !ExpandToolText(src, e.menuText, &item.text);
    if (item.greyed) item.text = e.menuText;
    items.push_back(std::move(item));
  }
  return items;
}

bool UserToolsMenu::Run(uint32_t commandId, const KeySequenceSources& src) {
  const UserToolEntry* entry = nullptr;
  for (const UserToolEntry& e : m_tools)
    if (e.used && e.commandId == commandId && commandId != 0) entry = &e;
  std::string args, why;
  if ((m_state.load() & kStateBusy) || !entry || !ExpandToolText(src, entry->arguments, &args, &why)) {
    if (why.empty())
      m_frame.Beep();
    else
      m_frame.MessageBox("'" + entry->program + "' is not run: " + why, kMbOk | kMbIconExclamation);
    return false;
  }
  if (entry->options & kToolPrompt) {
    std::optional<std::string> edited = m_frame.PromptArguments(entry->program, args);
    if (!edited) {
      m_frame.Beep();
      return false;
    }
    args = *edited;
  }
  m_frame.SaveProject();
  m_frame.ClearBuildPage();
  ExternalRun run;
  run.program = entry->program;
  run.arguments = args;
  run.folder = entry->folder;
  run.showMode = (entry->options & kToolMinimized) ? kShowMinimized : kShowNormal;
  if (entry->options & kToolIndependent) {
    m_launcher.StartIndependent(std::move(run));
    return true;
  }
  if (!m_launcher.StartWaiting(std::move(run))) {
    m_frame.Beep();
    return false;
  }
  return true;
}

}  // namespace pm2
