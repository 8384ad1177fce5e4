#include "shell/tools/scc_commands.h"

#include <cstdlib>
#include <unistd.h>

#include "builder/runner/tool_environment.h"
#include "platform/settings_store.h"
#include "platform/temporary_files.h"
#include "project/model/app_state.h"
#include "shell/tools/user_tool_thread.h"
#include "shell/tools/user_tools.h"

namespace pm2 {
namespace {

constexpr char kSection[] = "Sccs";

std::string_view Trim(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
  return t;
}

}  // namespace

bool BuildSccEnvironment(std::string_view list, EnvOverlay* env) {
  size_t used = 0;
  bool any = false;
  while (!list.empty()) {
    size_t semi = list.find(';');
    std::string_view item = Trim(list.substr(0, semi));
    list = semi == std::string_view::npos ? std::string_view() : list.substr(semi + 1);
    if (item.empty()) continue;
    if (used + item.size() > kSccEnvironmentLimit) break;
    used += item.size() + 1;
    size_t eq = item.find('=');
    if (eq == std::string_view::npos || eq == 0) continue;
    env->Set(std::string(item.substr(0, eq)), std::string(item.substr(eq + 1)));
    any = true;
  }
  return any;
}

KeySequenceSources WithSccTexts(KeySequenceSources src, const SccSettings& scc) {
  src.sccComment = scc.checkPoint;   // %C
  src.sccSecond = scc.revision;      // %R
  src.sccTempFile = scc.commentFile; // %Q
  src.sccsText1 = scc.user;          // %U
  src.sccsText2 = scc.database;      // %V
  return src;
}

SccMenu::SccMenu(ToolFrame& frame, UserToolLauncher& launcher, std::atomic<uint32_t>& state,
                 std::string tempFolder)
    : m_frame(frame), m_launcher(launcher), m_state(state), m_tempFolder(std::move(tempFolder)) {
  if (m_tempFolder.empty()) {
    const char* t = std::getenv("TMPDIR");
    m_tempFolder = (t && *t) ? t : "/tmp";
  }
  if (m_tempFolder.back() != '/') m_tempFolder += '/';
}

SccMenu::~SccMenu() { DeleteCommentFile(); }

void SccMenu::Load(const SettingsStore& store) {
  m_scc.user = std::string(Trim(store.GetProfileString(kSection, "SccsUser")));
  m_scc.database.clear();
  m_entries.clear();
  std::string file(Trim(store.GetProfileString(kSection, "SccsFile")));
  if (file.empty()) return;
  std::vector<SvcsSection> sections;
  if (!ReadSvcsFile(file, &sections) || sections.empty()) return;
  m_scc.database = sections[0].dataBase;
  for (SvcsEntry& e : sections[0].entries) {
    if (static_cast<int>(m_entries.size()) == kMaxSccCommands) break;
    e.commandId = kSccFirstId + static_cast<uint32_t>(m_entries.size());
    m_entries.push_back(std::move(e));
  }
}

std::vector<ToolMenuItem> SccMenu::Rebuild(bool hasTarget, const KeySequenceSources& src) {
  std::vector<ToolMenuItem> items;
  if (!hasTarget) return items;
  const KeySequenceSources full = WithSccTexts(src, m_scc);
  for (const SvcsEntry& e : m_entries) {
    if (items.empty()) items.push_back({0, {}, true, false});
    ToolMenuItem item;
    item.id = e.commandId;
    item.greyed = !ExpandToolText(full, e.menuText, &item.text);
    if (item.greyed) item.text = e.menuText;
    items.push_back(std::move(item));
  }
  return items;
}

void SccMenu::DeleteCommentFile() {
  if (!m_scc.commentFile.empty()) RemoveTemporaryFile(m_scc.commentFile);
  m_scc.commentFile.clear();
}

bool SccMenu::WriteCommentFile() {
  if (m_scc.comment.empty()) return true;
  // Removed at the next command and on Exit, or by the end by a signal.
  std::string name = m_tempFolder + "SccsXXXXXX";
  int fd = CreateUniqueTemporaryFile(name, 0);
  if (fd < 0) return false;
  bool ok = ::write(fd, m_scc.comment.data(), m_scc.comment.size()) ==
            static_cast<ssize_t>(m_scc.comment.size());
  ::close(fd);
  if (!ok) {
    RemoveTemporaryFile(name);
    return false;
  }
  m_scc.commentFile = name;
  return true;
}

bool SccMenu::Run(uint32_t commandId, const KeySequenceSources& src) {
  const SvcsEntry* entry = nullptr;
  for (const SvcsEntry& e : m_entries)
    if (e.commandId == commandId) entry = &e;
  if (!entry) {
    m_frame.Beep();
    return false;
  }
  DeleteCommentFile();
  SccQueryFlags q{entry->queryComment != 0, entry->queryRevision != 0, entry->queryCheckPoint != 0};
  if (q.comment || q.revision || q.checkPoint) {
    if (!m_frame.QuerySccTexts(q, &m_scc.comment, &m_scc.revision, &m_scc.checkPoint)) {
      m_frame.Beep();
      return false;
    }
    m_scc.comment = m_scc.comment.substr(0, 298);
    m_scc.revision = m_scc.revision.substr(0, 126);
    m_scc.checkPoint = m_scc.checkPoint.substr(0, 126);
    if (q.comment) WriteCommentFile();
  }
  const KeySequenceSources full = WithSccTexts(src, m_scc);
  ExternalRun run;
  std::string envText, why;
  if ((m_state.load() & kStateBusy) || !ExpandToolText(full, entry->arguments, &run.arguments, &why) ||
      !ExpandToolText(full, entry->environment, &envText, &why)) {
    if (why.empty())
      m_frame.Beep();
    else
      m_frame.MessageBox("'" + entry->command + "' is not run: " + why, kMbOk | kMbIconExclamation);
    return false;
  }
  run.hasEnvironment = BuildSccEnvironment(envText, &run.environment);
  run.program = entry->command;
  run.showMode = entry->runMinimized ? kShowMinimized : kShowNormal;
  m_frame.SaveProject();
  if (!m_launcher.StartWaiting(std::move(run))) {
    m_frame.Beep();
    return false;
  }
  return true;
}

}  // namespace pm2
