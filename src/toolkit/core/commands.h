#pragma once
// Command ids and routing. A command (menu item, toolbar button, accelerator)
// is a number; a window offers it to a chain of targets, the first target
// that has a handler runs it. Before a menu opens or a toolbar repaints, the
// same chain is asked to update each command's state (enable, check, text).

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace pm2 {

using CommandId = unsigned;

// Well-known ids shared by frames and dialogs (Windows numbering).
constexpr CommandId kCmdOk = 1;
constexpr CommandId kCmdCancel = 2;

// What an update handler may change; starts enabled, unchecked, text unset.
struct CommandState {
  CommandId id = 0;
  bool enabled = true;
  int check = 0;          // 0 unchecked, 1 checked, 2 indeterminate
  bool textSet = false;   // true when an update handler set `text`
  std::string text;
  bool handled = false;   // some target had an update handler
  bool enableSet = false; // true when an update handler called Enable
  bool checkSet = false;  // true when an update handler called SetCheck
  std::string greyedReason;  // why the command is greyed; the status line's prompt then

  void Enable(bool on) { enabled = on; enableSet = true; handled = true; }
  void SetCheck(int c) { check = c; checkSet = true; handled = true; }
  void SetText(std::string t) { text = std::move(t); textSet = true; handled = true; }
  void Grey(std::string reason) { Enable(false); greyedReason = std::move(reason); }
};

// One link of the routing chain; owns its handler tables.
class CommandTarget {
 public:
  using Handler = std::function<void(CommandId)>;
  using UpdateHandler = std::function<void(CommandState&)>;

  virtual ~CommandTarget() = default;

  void OnCommand(CommandId id, Handler h) { m_handlers[id] = std::move(h); }
  void OnCommandRange(CommandId first, CommandId last, Handler h);
  void OnUpdate(CommandId id, UpdateHandler h) { m_updates[id] = std::move(h); }

  // Runs the handler when there is one; true when handled.
  virtual bool Execute(CommandId id);
  // Calls the update handler when there is one; true when there is one.
  virtual bool Update(CommandState& state);
  bool HasHandler(CommandId id) const;

 private:
  struct Range {
    CommandId first = 0;
    CommandId last = 0;
    Handler handler;
  };
  std::map<CommandId, Handler> m_handlers;
  std::vector<Range> m_ranges;
  std::map<CommandId, UpdateHandler> m_updates;
};

// An ordered chain of targets (active view, document, frame, application).
// Targets are not owned; they must outlive their membership.
class CommandRouter {
 public:
  void SetChain(std::vector<CommandTarget*> chain) { m_chain = std::move(chain); }
  void Push(CommandTarget* t) { m_chain.push_back(t); }
  void Remove(CommandTarget* t);

  // First target with a handler runs it. A command whose update says
  // disabled is not run (a stale toolbar or accelerator cannot bypass it).
  bool Route(CommandId id);
  // Asks the chain for the state; the first update handler wins. Commands
  // that no target can run come back disabled unless an update handler
  // enabled them explicitly (one that only sets the check or the text
  // leaves a command nobody runs greyed).
  CommandState QueryState(CommandId id) const;

 private:
  std::vector<CommandTarget*> m_chain;
};

}  // namespace pm2
