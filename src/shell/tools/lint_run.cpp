#include "shell/tools/lint_run.h"

#include <cstdlib>
#include <memory>
#include <unistd.h>

#include "builder/commands/command_context.h"
#include "builder/commands/command_lists.h"
#include "builder/commands/key_sequences.h"
#include "builder/runner/tool_table.h"
#include "platform/notification_hub.h"
#include "platform/temporary_files.h"
#include "project/files/project_lines.h"
#include "project/files/stored_texts.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

#include <new>

namespace pm2 {
namespace {

std::string Header(const LintSettings& s) {
  std::string out;
  for (const std::string& f : s.includeFolders) out += "-i" + f + "\n";
  out += s.configFile + "\n";
  return out;
}

}  // namespace

LintSettings LintSettingsOf(const TargetRec& target) {
  LintSettings s;
  s.program = target.OPTLE.str();
  s.configFile = target.OPTLC.str();
  for (const TextListRec* t = target.OPTLI; t; t = t->next) s.includeFolders.push_back(t->text.str());
  return s;
}

namespace {
std::string TrimBlanks(const std::string& t) {
  size_t b = t.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return t.substr(b, t.find_last_not_of(" \t") - b + 1);
}
}  // namespace

void ApplyLintSettings(TargetRec& target, const LintSettings& s) {
  constexpr int kProjectPool = 1;
  target.OPTLE = OptString::Pooled(TrimBlanks(s.program), kProjectPool);
  target.OPTLC = OptString::Pooled(TrimBlanks(s.configFile), kProjectPool);
  TextListRec* head = nullptr;
  TextListRec** tail = &head;
  for (const std::string& folder : s.includeFolders) {
    std::string t = TrimBlanks(folder);
    if (t.empty()) continue;
    auto* node = new (PoolAlloc(sizeof(TextListRec), kProjectPool)) TextListRec();
    node->text = OptString::Pooled(t, kProjectPool);
    *tail = node;
    tail = &node->next;
  }
  target.OPTLI = head;
}

std::string LintFieldRefusal(const char* field, const std::string& typed) {
  const std::string text = TrimBlanks(typed);
  std::string refusal = FieldTextRefusal(field, text, FieldBrackets::kAngles);
  if (refusal.empty())
    if (const std::string code = FirstControlCharacter(text); !code.empty())
      refusal =
          "The text of '" + std::string(field) + "' cannot be stored: it holds the control character " + code + ".";
  return refusal;
}

LintRefusal LintSettingsRefusal(const LintSettings& s) {
  if (std::string why = LintFieldRefusal(kLintProgramField, s.program); !why.empty()) return {why, 0, -1};
  if (std::string why = LintFieldRefusal(kLintConfigField, s.configFile); !why.empty()) return {why, 1, -1};
  for (std::size_t i = 0; i < s.includeFolders.size(); ++i)
    if (std::string why = LintFieldRefusal(kLintFoldersField, s.includeFolders[i]); !why.empty())
      return {why, 2, int(i)};
  return {};
}

LintFile LintFileFor(const std::string& path, FileRec* record, TargetRec* target) {
  LintFile file;
  file.path = path;
  file.inProject = record && record->group;
  if (file.inProject && target) {
    auto ctx = std::make_unique<CommandContext>();
    std::string defines(kLintDefinesLimit, '\0'), dropped;
    defines.resize(
        std::size_t(MakeLintDefineArgs(*ctx, record, target, defines.data(), defines.size(), &dropped)));
    file.defines = std::move(defines);
    // As the build refuses the same lists: lint without symbols the user
    // defined would check a program other than the one built.
    if (!dropped.empty())
      file.refusal = "Lint: the Define list of '" + path + "' cannot be passed whole (at most " +
                     std::to_string(DefineList::kMaxEntries) + " entries, " + std::to_string(DefineList::kPoolSize) +
                     " characters of names and values and " + std::to_string(kLintDefinesLimit - 1) +
                     " characters of arguments): '" + dropped +
                     "' and the entries after it would not be taken; the file is not linted.";
  }
  return file;
}

std::string MakeLintCommandText(const LintSettings& settings, const LintFile& file) {
  std::string out = Header(settings);
  if (file.inProject && file.defines.size() < kLintDefinesLimit) out += file.defines + " ";
  out += "\"" + file.path + "\"\n";
  return out;
}

std::string MakeLintAllFilesText(const LintSettings& settings, const ProjectRec& project) {
  std::string out = Header(settings);
  for (const GroupRec* g = project.firstGroup; g; g = g->next) {
    if (g->flags & kGroupDeleted) continue;
    for (const FileRec* f = g->firstFile; f; f = f->next)
      if (f->type == kFileC && !(f->flags & kFileRemoved)) out += "\"" + f->path.str() + "\"\n";
  }
  return out;
}

bool LintConfigureEnabled(bool hasTarget) { return hasTarget; }

bool LintFileEnabled(bool activeTextEditor, const LintSettings& s, bool busy) {
  return activeTextEditor && LintAllFilesEnabled(s, busy);
}

bool LintAllFilesEnabled(const LintSettings& s, bool busy) {
  return !busy && !s.program.empty() && !s.configFile.empty();
}

std::string LintFileMenuText(const std::string& path) { return "&Lint " + path; }

LintRunner::LintRunner(ToolFrame& frame, NotificationHub& hub, std::atomic<uint32_t>& state,
                       std::function<void(ToolRunRequest&)> run, std::string tempFolder, GuiCallServer serve)
    : m_frame(frame),
      m_hub(hub),
      m_state(state),
      m_run(std::move(run)),
      m_tempFolder(std::move(tempFolder)),
      m_serve(std::move(serve)) {
  if (m_tempFolder.empty()) {
    const char* t = std::getenv("TMPDIR");
    m_tempFolder = (t && *t) ? t : "/tmp";
  }
  if (m_tempFolder.back() != '/') m_tempFolder += '/';
}

LintRunner::~LintRunner() { Join(); }

void LintRunner::Join() { JoinServing(m_thread, m_serve); }

bool LintRunner::LintFile(const LintSettings& settings, const struct LintFile& file) {
  if (file.path.empty()) {
    m_frame.Beep();
    return false;
  }
  if (!file.refusal.empty()) {
    m_frame.MessageBox(file.refusal, kMbOk | kMbIconExclamation);
    return false;
  }
  return Start(settings, MakeLintCommandText(settings, file), file.path);
}

bool LintRunner::LintAllFiles(const LintSettings& settings, const ProjectRec& project) {
  return Start(settings, MakeLintAllFilesText(settings, project), {});
}

bool LintRunner::Start(const LintSettings& settings, const std::string& text, const std::string& file) {
  if ((m_state.fetch_or(kStateBusy) & kStateBusy) || m_running) {
    m_frame.Beep();
    return false;
  }
  m_frame.SaveProject();
  // Removed with the run, or by the end by a signal during it.
  std::string name = m_tempFolder + "Pm2__XXXXXX.lnt";
  int fd = CreateUniqueTemporaryFile(name, 4);
  bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (fd >= 0) ::close(fd);
  if (!ok) {
    if (fd >= 0) RemoveTemporaryFile(name);
    m_state.fetch_and(~static_cast<uint32_t>(kStateBusy));
    m_frame.Beep();
    m_frame.MessageBox(kLintWriteError, kMbOk | kMbIconExclamation);
    return false;
  }
  ToolRunRequest request;
  request.toolCode = kToolPcLint;
  request.file = file;
  request.toolFolder = settings.program;
  request.commandFile = name;
  Join();
  m_running = true;
  m_thread = std::thread([this, request]() mutable {
    m_frame.ClearBuildPage();
    m_run(request);
    RemoveTemporaryFile(request.commandFile);
    m_running = false;
    m_state.fetch_and(~static_cast<uint32_t>(kStateBusy));
    m_hub.Send(kNotifyLintFinished, 0);
  });
  return true;
}

}  // namespace pm2
