// The add-in link: one companion program at a time that registers with the
// IDE, makes it open files and show lines, asks for the current file and
// runs debugger and browser commands; the IDE tells it the file and line the
// user looks at, which of its commands are usable, and that it closes.
// All of it runs on the GUI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/tools/addin_block.h"

namespace pm2 {

inline constexpr uint32_t kCmdSetupAddIn = 35110;
inline constexpr uint32_t kCmdShowInAddIn = 35111;
inline constexpr uint32_t kCmdToggleAddIn = 35112;
inline constexpr uint32_t kAddInCmdRun = 9560;
inline constexpr uint32_t kAddInCmdStepOver = 9561;
inline constexpr uint32_t kAddInCmdStepInto = 9562;
inline constexpr uint32_t kAddInCmdStepOut = 9563;
inline constexpr uint32_t kAddInCmdDefinition = 9564;
inline constexpr uint32_t kAddInCmdReference = 9565;
inline constexpr uint32_t kAddInCmdNextRef = 9566;
inline constexpr uint32_t kAddInCmdPrevRef = 9567;

// The source browser's location sent on to the add-in.
struct BrowseLocation {
  std::string file;
  int line = 0;
  std::string symbol;
  bool Complete() const { return !file.empty() && line > 0 && !symbol.empty(); }
};

struct AddInLink {
  uint32_t processId = 0;  // 0: no add-in runs
  uint32_t threadId = 0;
  uint32_t window = 0;     // set by the add-in's registration
  std::string programPath; // "Settings\EasyCase" / "Bin"
  std::string currentFile; // empty when none
  bool answerPending = false;
  BrowseLocation browse;
};

// An answer of the add-in to an IDE block.
struct AddInReply {
  uint32_t word = 0;
  std::string text;  // the symbol request's text area
};

// How a request to the add-in ended.
enum class AddInSendResult {
  Answered,
  WaitEnded,  // the user ended the wait: unanswered, the add-in stays
  Failed,     // the add-in is gone, or gave no answer in time and is detached
};

// The road to the running add-in.
class AddInPeer {
 public:
  virtual ~AddInPeer() = default;
  // Sends a block and waits for the answer.
  virtual AddInSendResult Send(const std::vector<uint8_t>& block, AddInReply* reply) = 0;
  // Sends a block whose answer nobody waits for (it is dropped when it
  // comes); false when the add-in is gone.
  virtual bool SendUnawaited(const std::vector<uint8_t>& block) = 0;
};

// What the link asks of the main frame and its neighbours.
class AddInFrame {
 public:
  virtual ~AddInFrame() = default;
  virtual void Beep() = 0;
  virtual int MessageBox(const std::string& text, int kind) = 0;
  // Activates the file when open, else opens it as a document; only for a
  // file of the project.
  virtual void ShowProjectFile(const std::string& path) = 0;
  virtual void OpenFileAndShow(const std::string& path, int line) = 0;
  virtual bool LeftButtonDown() = 0;
  virtual bool IsDebugging() = 0;
  virtual bool TargetRunning() = 0;
  virtual void RunTarget() = 0;  // the driver's run with no stop address
  virtual intptr_t IdeServiceCall(int code, intptr_t arg) = 0;
  // The browser's look-up: nothing when nothing was done, "" when found
  // (the location filled), else an error text.
  virtual std::optional<std::string> FindSymbolLocation(const std::string& symbol, bool definition,
                                                        BrowseLocation* location) = 0;
  // Steps the location to the next or previous reference; false when none.
  virtual bool StepReference(bool next, BrowseLocation* location) = 0;
};

// An identifier: a letter or '_' first, then letters, digits or '_';
// trailing blanks removed first.
bool IsAddInIdentifier(std::string* text);
// The item of command 35111: "Show %s(%d)" for an editor file, else
// "Show File(Line)".
std::string ShowInAddInText(const std::string& editorFile, int caretLine);

class AddInLinkLogic {
 public:
  // `ownPid` and `ownWindow` fill the IDE's blocks.
  AddInLinkLogic(AddInFrame& frame, uint32_t ownPid, uint32_t ownWindow = 0);

  AddInLink& Link() { return m_link; }
  bool Running() const { return m_link.processId != 0; }
  // The add-in process was started (StartAddIn).
  void Attach(AddInPeer* peer, uint32_t processId, uint32_t threadId);
  // The add-in went away (its connection ended).
  void Lost();

  // A block from the add-in; `peerPid` is the sender's process as the
  // connection reports it; `answer` releases the add-in at once (commands 4
  // and 5 answer before they send blocks back). True when handled.
  bool HandleBlock(const uint8_t* data, size_t size, uint32_t peerPid, const std::function<void(uint32_t)>& answer);

  // Blocks the user waits for as one (a file and its line, the command
  // states, what one command sends): once the user ended a wait of the
  // sequence, the blocks after it go out unawaited, the add-in hearing each
  // one. Sequences nest; the outermost one's end makes the next wait the
  // user's again.
  class Sequence {
   public:
    explicit Sequence(AddInLinkLogic& link) : m_link(link) { ++m_link.m_sequenceDepth; }
    ~Sequence() {
      if (--m_link.m_sequenceDepth == 0) m_link.m_waitEnded = false;
    }
    Sequence(const Sequence&) = delete;
    Sequence& operator=(const Sequence&) = delete;

   private:
    AddInLinkLogic& m_link;
  };

  void NotifyClose();
  // The file (when it is not the current one) and the line: one sequence.
  void NotifyFile(const std::string& file, int line);
  // A C file of the project was opened: the add-in hears its path, unless
  // an answer of the add-in is awaited or the file is its current one
  // already (the add-in asked for it). True when the add-in answered.
  bool NotifyOpen(const std::string& file);
  // The add-in's symbol, or nothing.
  std::optional<std::string> QuerySymbol();
  void SendFileRequest();
  // The states of the add-in's six commands, one block each: one sequence.
  void SendAllCommandStates(bool debugging);
  void RunCommand(uint32_t id, uint32_t argument);

 private:
  // The block with the IDE's own fields filled.
  std::vector<uint8_t> Encoded(AddInBlock block) const;
  // Awaited, unless the user ended a wait of the sequence it belongs to
  // (then unawaited, and told as WaitEnded).
  AddInSendResult SendBlock(AddInBlock block, AddInReply* reply = nullptr);

  AddInFrame& m_frame;
  uint32_t m_ownPid;
  uint32_t m_ownWindow;
  AddInPeer* m_peer = nullptr;
  AddInLink m_link;
  int m_sequenceDepth = 0;   // open sequences
  bool m_waitEnded = false;  // the user ended a wait of the open sequence
};

}  // namespace pm2
