// The peers of the event interface the walk runs beside the program
// (command_walk.h): one that asks for a build ("peer:0") and ends with its
// answer, and one attached from a step on to the walk's end ("attach"),
// taking the notifications a long-lived client takes. Each check says why
// it fails ("" where it holds).
#pragma once

#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "debugger/ui/debug_commands.h"
#include "platform/ipc_namespace.h"
#include "shell/frame/frame_fixture.h"
#include "walk_answers.h"

namespace pm2::test {

class WalkPeers {
 public:
  // The event interface's test client, asking for a build while the walk
  // goes on; its answer is awaited with the next window held open.
  std::string StartPeer(const std::string& mode, WalkAnswers& answers) {
    const IpcNamespace ns = IpcNamespace::FromEnvironment();
    m_peer = std::make_unique<QProcess>();
    m_peer->start(QString(PM2_WALK_PEER),
                  {QString::fromStdString(ns.suffix), QString::fromStdString(ns.runtimeDir), QString::fromStdString(mode)});
    if (!m_peer->waitForStarted()) return "the peer did not start";
    QProcess* peer = m_peer.get();
    answers.holdUntil = [peer] { return peer->state() == QProcess::NotRunning; };
    return {};
  }
  // The peer that asked has ended (where one asked).
  std::string PeerEnds() {
    if (m_peer && !WaitFor([&] { return m_peer->state() == QProcess::NotRunning; })) return "the peer did not end";
    return {};
  }
  // A peer that has ended must have had an answer: the build's end, or a
  // refusal with its reason.
  std::string PeerAnswered(WalkAnswers& answers) {
    if (!m_peer || m_peer->state() != QProcess::NotRunning) return {};
    const std::string out = m_peer->readAllStandardOutput().toStdString();
    const int code = m_peer->exitCode();
    m_peer.reset();
    answers.holdUntil = nullptr;
    // "end <result>" after a build; "status <code> <reason>" for a refusal.
    if (code == 0 && out.find("\nend ") != std::string::npos) return {};
    const size_t status = out.find("\nstatus ");
    if (status != std::string::npos) {
      const size_t reason = out.find(' ', status + 8);
      const size_t eol = out.find('\n', status + 1);
      if (reason != std::string::npos && reason + 1 < std::min(eol, out.size())) return {};
    }
    return "the peer's request had no answer (exit " + std::to_string(code) + "): " + out;
  }

  bool Attached() const { return m_attached != nullptr; }
  // The peer attached for the rest of the walk (the step "attach"): its
  // handlers are registered once it says "ready".
  std::string AttachPeer() {
    const IpcNamespace ns = IpcNamespace::FromEnvironment();
    m_attached = std::make_unique<QProcess>();
    m_attached->start(QString(PM2_WALK_PEER), {QString::fromStdString(ns.suffix),
                                               QString::fromStdString(ns.runtimeDir), QString("attach")});
    if (!m_attached->waitForStarted()) return "the attached peer did not start";
    if (!WaitFor([&] { return AttachedSaid("ready") || m_attached->state() == QProcess::NotRunning; }) ||
        !AttachedSaid("ready"))
      return "the attached peer did not attach: " + m_attachedOut;
    return {};
  }
  // The attached peer is still there after each step: the program left no
  // client of its interface behind, and the peer's own checks of the order
  // of what it was told hold.
  std::string AttachedPeerHolds() {
    if (!m_attached) return {};
    AttachedSaid("");
    if (m_attachedOut.find("order: ") != std::string::npos)
      return "the attached peer was told things out of order: " + m_attachedOut;
    if (m_attached->state() == QProcess::NotRunning)
      return "the attached peer ended (exit " + std::to_string(m_attached->exitCode()) + "): " + m_attachedOut;
    return {};
  }
  // The sessions started and ended while a peer is attached, as far as
  // the steps show them: noted after each step's checks.
  void NoteSession(bool active) {
    if (m_attached && active != m_sessionWas) ++m_sessionsSeen[m_sessionWas ? 1 : 0];
    m_sessionWas = active;
  }
  // The peers' processes: the walk's own, not the program's.
  std::set<int> Own() const {
    std::set<int> own;
    if (m_peer) own.insert(int(m_peer->processId()));
    if (m_attached) own.insert(int(m_attached->processId()));
    return own;
  }

  // At the walk's end the peer attached by "attach" is still answered: its
  // WhoIs brings the program's identity, and it ends when its input does,
  // having taken `*events` notifications, its checks holding.
  std::string PeerStillAnswered(DebugSession& session, int* events) {
    if (!m_attached) return {};
    if (std::string why = AttachedPeerHolds(); !why.empty()) return why;
    // The session as it stands when the peer asks: what it was told before
    // its answer came must agree.
    const bool active = session.SessionActive(), still = active && !session.TargetExecuting() && !session.DriverBusy();
    m_attached->write("whois\n");
    if (!WaitFor([&] {
          return AttachedSaid("whois answered") || AttachedSaid("whois unanswered") ||
                 m_attached->state() == QProcess::NotRunning;
        }) ||
        !AttachedSaid("whois answered"))
      return "the attached peer's WhoIs had no answer: " + m_attachedOut;
    m_attached->closeWriteChannel();
    if (!WaitFor([&] { return m_attached->state() == QProcess::NotRunning; }))
      return "the attached peer did not end with its input: " + m_attachedOut;
    AttachedSaid("");
    if (std::getenv("PM2_WALK_TRACE")) std::fprintf(stderr, "walk: the attached peer said:\n%s", m_attachedOut.c_str());
    const size_t said = m_attachedOut.find("\nevents ");
    if (m_attached->exitCode() != 0 || said == std::string::npos)
      return "the attached peer ended abnormally (exit " + std::to_string(m_attached->exitCode()) +
             "): " + m_attachedOut;
    if (m_attachedOut.find("order: ") != std::string::npos)
      return "the attached peer was told things out of order: " + PeerTail();
    // A session running is told started, one ended stopped; a target that
    // stands still in it was told stopped after it was told running.
    const std::string told = m_attachedOut.substr(0, m_attachedOut.find("\nwhois answered") + 1);
    const size_t started = told.rfind("\ntold debugger started"), stopped = told.rfind("\ntold debugger stopped");
    const bool toldActive = started != std::string::npos && (stopped == std::string::npos || stopped < started);
    if (active != toldActive && (active || started != std::string::npos))
      return std::string("the attached peer was told the session ") + (toldActive ? "runs" : "ended") +
             ", but it " + (active ? "runs" : "ended") + ": " + PeerTail();
    // Each session the walk saw start (and end) since the peer attached was
    // told (the walk sees no session that starts and ends within one step).
    const int toldStarts = Occurrences(told, "\ntold debugger started\n"),
              toldEnds = Occurrences(told, "\ntold debugger stopped\n");
    if (toldStarts < m_sessionsSeen[0] || toldEnds < m_sessionsSeen[1])
      return "the attached peer was told of " + std::to_string(toldStarts) + " sessions started and " +
             std::to_string(toldEnds) + " ended; the walk saw " + std::to_string(m_sessionsSeen[0]) +
             " start and " + std::to_string(m_sessionsSeen[1]) + " end: " + PeerTail();
    const size_t ran = told.rfind("\ntold execution started"), halted = told.rfind("\ntold execution stopped");
    if (still && ran != std::string::npos && ran > started && (halted == std::string::npos || halted < ran))
      return "the attached peer was told the target runs, but it stands still: " + PeerTail();
    *events = std::atoi(m_attachedOut.c_str() + said + 8);
    m_attached.reset();
    return {};
  }

 private:
  // Whether the attached peer printed the line (its output so far kept).
  bool AttachedSaid(const std::string& line) {
    if (m_attached) m_attachedOut += m_attached->readAllStandardOutput().toStdString();
    return ("\n" + m_attachedOut).find("\n" + line + "\n") != std::string::npos;
  }
  static int Occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }
  // The end of what the attached peer printed, for a failure.
  std::string PeerTail() const {
    return m_attachedOut.size() > 3000 ? "..." + m_attachedOut.substr(m_attachedOut.size() - 3000) : m_attachedOut;
  }

  std::unique_ptr<QProcess> m_peer;
  std::unique_ptr<QProcess> m_attached;  // the peer attached by "attach"
  std::string m_attachedOut;             // what it printed so far
  bool m_sessionWas = false;             // a session ran after the last step's checks
  int m_sessionsSeen[2] = {0, 0};        // sessions started and ended since the peer attached
};

}  // namespace pm2::test
