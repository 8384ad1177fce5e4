#include "shell/tools/addin_link.h"

#include "platform/ascii_case.h"
#include "project/model/app_state.h"

namespace pm2 {
namespace {

// Service codes of the add-in's debugger commands.
struct StepCommand {
  uint32_t id;
  int code;
  intptr_t arg;
};
constexpr StepCommand kStepCommands[] = {
    {kAddInCmdStepOver, 8, 1},
    {kAddInCmdStepInto, 7, 1},
};

}  // namespace

bool IsAddInIdentifier(std::string* t) {
  while (!t->empty() && (t->back() == ' ' || t->back() == '\t')) t->pop_back();
  if (t->empty()) return false;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!letter((*t)[0])) return false;
  for (char c : *t)
    if (!letter(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

std::string ShowInAddInText(const std::string& editorFile, int caretLine) {
  if (editorFile.empty()) return "Show File(Line)";
  return "Show " + editorFile + "(" + std::to_string(caretLine) + ")";
}

AddInLinkLogic::AddInLinkLogic(AddInFrame& frame, uint32_t ownPid, uint32_t ownWindow)
    : m_frame(frame), m_ownPid(ownPid), m_ownWindow(ownWindow) {}

void AddInLinkLogic::Attach(AddInPeer* peer, uint32_t processId, uint32_t threadId) {
  m_peer = peer;
  m_link.processId = processId;
  m_link.threadId = threadId;
  m_link.window = 0;
}

void AddInLinkLogic::Lost() {
  m_peer = nullptr;
  m_link.processId = m_link.threadId = m_link.window = 0;
}

std::vector<uint8_t> AddInLinkLogic::Encoded(AddInBlock b) const {
  b.window = m_ownWindow;
  b.processId = m_ownPid;
  b.replyAddress = 1;  // the answer comes back on the connection
  return EncodeAddInBlock(b);
}

AddInSendResult AddInLinkLogic::SendBlock(AddInBlock b, AddInReply* reply) {
  if (!Running() || !m_peer) return AddInSendResult::Failed;
  if (m_waitEnded) return m_peer->SendUnawaited(Encoded(b)) ? AddInSendResult::WaitEnded : AddInSendResult::Failed;
  AddInReply ignored;
  const AddInSendResult result = m_peer->Send(Encoded(b), reply ? reply : &ignored);
  if (result == AddInSendResult::WaitEnded && m_sequenceDepth > 0) m_waitEnded = true;
  return result;
}

bool AddInLinkLogic::HandleBlock(const uint8_t* data, size_t size, uint32_t peerPid,
                                 const std::function<void(uint32_t)>& answer) {
  std::optional<AddInBlock> b = DecodeAddInBlock(data, size);
  if (!Running() || !b || b->processId != m_link.processId || peerPid != m_link.processId ||
      b->replyAddress == 0 || b->code < kAddInRegister || b->code > kAddInForgetFile)
    return false;
  switch (b->code) {
    case kAddInRegister:
      m_link.window = b->window;
      break;
    case kAddInDetach:
      m_link.processId = m_link.threadId = m_link.window = 0;
      break;
    case kAddInOpenFile:
      m_link.answerPending = false;
      if (b->pathField != 0 && !b->path.empty() && b->path != "*") {
        m_link.currentFile = b->path;
        m_frame.ShowProjectFile(b->path);
      }
      break;
    case kAddInWantFile:
      if (answer) answer(1);
      SendFileRequest();
      return true;
    case kAddInRunCommand:
      if (answer) answer(1);
      RunCommand(b->args[2], b->args[0]);
      return true;
    case kAddInForgetFile:
      if (b->pathField != 0 && EqualIgnoringCase(b->path, m_link.currentFile)) m_link.currentFile.clear();
      break;
    default:
      break;
  }
  if (answer) answer(1);
  return true;
}

void AddInLinkLogic::NotifyClose() {
  AddInBlock b;
  b.code = kIdeClose;
  SendBlock(b);
}

void AddInLinkLogic::NotifyFile(const std::string& file, int line) {
  if (!Running()) return;
  Sequence sequence(*this);
  if (!EqualIgnoringCase(file, m_link.currentFile)) {
    AddInBlock b;
    b.code = kIdeAnnounceFile;
    b.pathField = static_cast<uint32_t>(kAddInPathRoom);
    b.path = file.substr(0, kAddInPathRoom);
    SendBlock(b);
    m_link.currentFile = file;
    m_link.answerPending = true;
  }
  if (EqualIgnoringCase(m_link.currentFile, file)) {
    AddInBlock b;
    b.code = kIdeShowLine;
    b.args[2] = static_cast<uint32_t>(line);
    SendBlock(b);
  }
}

bool AddInLinkLogic::NotifyOpen(const std::string& file) {
  if (!Running() || m_link.answerPending || EqualIgnoringCase(file, m_link.currentFile))
    return false;
  AddInBlock b;
  b.code = kIdeAnnounceFile;
  b.pathField = static_cast<uint32_t>(kAddInPathRoom);
  b.path = file.substr(0, kAddInPathRoom);
  m_link.currentFile = file;
  m_link.answerPending = true;
  AddInReply reply;
  return SendBlock(b, &reply) == AddInSendResult::Answered && reply.word != 0;
}

std::optional<std::string> AddInLinkLogic::QuerySymbol() {
  AddInBlock b;
  b.code = kIdeSymbolRequest;
  b.args[0] = kAddInSymbolRoom;
  b.args[1] = 8;
  b.args[2] = 1;  // the text area travels back with the answer
  b.args[3] = 1;
  AddInReply reply;
  if (SendBlock(b, &reply) != AddInSendResult::Answered || reply.word == 0) return std::nullopt;
  std::string text = reply.text.substr(0, kAddInSymbolRoom - 1);
  text = text.substr(0, text.find('\0'));
  if (!IsAddInIdentifier(&text)) return std::nullopt;
  return text;
}

void AddInLinkLogic::SendFileRequest() {
  AddInBlock b;
  b.code = kIdeFileRequest;
  AddInReply reply;
  if (SendBlock(b, &reply) == AddInSendResult::Answered && reply.word != 0 && !m_link.currentFile.empty())
    m_frame.OpenFileAndShow(m_link.currentFile, static_cast<int>(reply.word));
}

void AddInLinkLogic::SendAllCommandStates(bool debugging) {
  Sequence sequence(*this);
  for (uint32_t id = kAddInCmdRun; id <= kAddInCmdReference; ++id) {
    AddInBlock b;
    b.code = kIdeCommandState;
    b.args[0] = debugging ? 0 : 1;
    b.args[2] = id;
    SendBlock(b);
  }
}

void AddInLinkLogic::RunCommand(uint32_t id, uint32_t argument) {
  (void)argument;
  if (m_frame.LeftButtonDown()) return m_frame.Beep();
  if (id == kAddInCmdDefinition || id == kAddInCmdReference) {
    std::optional<std::string> symbol = QuerySymbol();
    if (!symbol) return m_frame.Beep();
    m_link.browse = BrowseLocation();
    std::optional<std::string> r =
        m_frame.FindSymbolLocation(*symbol, id == kAddInCmdDefinition, &m_link.browse);
    if (!r) return;
    if (r->empty()) return NotifyFile(m_link.browse.file, m_link.browse.line);
    m_frame.Beep();
    m_frame.MessageBox(*r, kMbOk | kMbIconExclamation);
    return;
  }
  if (id == kAddInCmdNextRef || id == kAddInCmdPrevRef) {
    if (m_link.browse.Complete() && m_frame.StepReference(id == kAddInCmdNextRef, &m_link.browse))
      return NotifyFile(m_link.browse.file, m_link.browse.line);
    return m_frame.Beep();
  }
  if (id < kAddInCmdRun || id > kAddInCmdStepOut || !m_frame.IsDebugging() || m_frame.TargetRunning())
    return m_frame.Beep();
  if (id == kAddInCmdRun) return m_frame.RunTarget();
  for (const StepCommand& s : kStepCommands)
    if (s.id == id) {
      m_frame.IdeServiceCall(s.code, s.arg);
      return;
    }
  if (m_frame.IdeServiceCall(12, 0) != 0) m_frame.IdeServiceCall(9, 1);
}

}  // namespace pm2
