#include "editor/ide/margin_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QTimer>
#include <strings.h>

#include "editor/document/margin_marks.h"
#include "editor/document/view_commands.h"
#include "toolkit/controls/value_tip.h"
#include "editor/ide/editor_view.h"

namespace pm2 {

namespace {

// The margin's brushes.
const QColor kEnabled(255, 0, 0), kDisabled(255, 255, 255), kPc(255, 255, 0), kShown(0, 255, 255);
const QColor kCode(192, 192, 192), kExecuted(0, 128, 0);

constexpr int kTipWordMax = 200;
constexpr int kTipMax = 1024;

// The value tip's delays: the mouse rests this long before the first tip
// of a visit shows, before each following one (moving from word to word),
// and a shown tip stays at most this long.
constexpr int kTipInitialMs = 400;
constexpr int kTipReshowMs = 800;
constexpr int kTipAutoPopMs = 32767;

}  // namespace

EditorMargin::EditorMargin(EditorView& view, EditorDebugLink* const* link) : QObject(&view), m_view(view), m_link(link) {
  view.viewport()->installEventFilter(this);
  view.viewport()->setMouseTracking(true);
  m_tipTimer = new QTimer(this);
  m_tipTimer->setSingleShot(true);
  connect(m_tipTimer, &QTimer::timeout, this, [this] { ShowTipAt(m_restAt); });
  m_tipPop = new QTimer(this);
  m_tipPop->setSingleShot(true);
  m_tipPop->setInterval(kTipAutoPopMs);
  connect(m_tipPop, &QTimer::timeout, this, [this] {
    if (m_tip) m_tip->Hide();
  });
}

DebugInterface* EditorMargin::Record() const {
  DebugInterface* r = Link() ? Link()->SessionRecord() : nullptr;
  return r && r->DbgControl && r->DbgBreakpoint ? r : nullptr;
}

std::string EditorMargin::FileName() const { return m_view.Document().FileName(); }

CEditLine* EditorMargin::CaretLine() const { return m_view.Engine().State().pCaretLine; }

bool EditorMargin::CaretLineVisible() const {
  const EditState& s = m_view.Engine().State();
  const int rows = s.nLineHeight > 0 ? std::max(s.nTextHeight / s.nLineHeight, 1) : 1;
  return s.pCaretLine && s.nCaretLine >= s.nTopLine && s.nCaretLine < s.nTopLine + rows;
}

void EditorMargin::Repaint() {
  const EditState& s = m_view.Engine().State();
  m_view.viewport()->update(0, 0, std::max(s.nLeftMargin, 1), m_view.viewport()->height());
}

void EditorMargin::LoadMarks(bool renumber) {
  CEditLine* first = m_view.Text().FirstLine();
  if (!first) return;
  if (renumber) {
    ResetMarginMarks(first);
    m_numberedLines = uint32_t(m_view.Text().GetLineCount());
  } else {
    ClearBreakMarks(first);
  }
  EditorDebugLink* link = Link();
  m_inProject = link && link->InProject(m_view.Document().Path());
  DebugInterface* r = link ? link->SessionRecord() : nullptr;
  m_code = CodeLines();
  if (r) {
    if (m_inProject && r->DbgLineTable)
      m_code = CodeLines(static_cast<const DbgLineTableRecord*>(r->DbgLineTable(m_view.Document().Path().c_str())));
    ApplyLineTable(first, m_code);
    FindPcLine();
  } else {
    m_pcLine = 0;
    if (m_inProject && link) link->ApplyStored(first, FileName());
  }
  Repaint();
}

void EditorMargin::Renamed() {
  if (Link() && !Link()->SessionRecord()) Link()->ClearShownPosition();
  LoadMarks(true);
}

bool EditorMargin::InProjectNow() const {
  if (!Link()) return false;
  if (Link()->SessionRecord()) return m_inProject;
  return Link()->InProject(m_view.Document().Path());
}

uint32_t EditorMargin::FindPcLine() {
  m_pcLine = 0;
  DebugInterface* r = Record();
  if (!r || !r->DbgFindSource) return 0;
  const uint32_t pc = uint32_t(r->DbgControl(kDbgCtlProgramCounter, 0, 0));
  if (r->DbgFindSource(pc) != 0 || !r->srcFile) return 0;
  std::string path = static_cast<const char*>(r->srcFile);
  const std::size_t slash = path.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (strcasecmp(name.c_str(), FileName().c_str()) == 0) m_pcLine = r->srcLine;
  return m_pcLine;
}

void EditorMargin::Settle() {
  CEditLine* first = m_view.Text().FirstLine();
  if (Link() && first && m_inProject) Link()->SettleStored(first, FileName());
  LoadMarks(true);
}

bool EditorMargin::OnHint(uint32_t hint) {
  const MarginHint h = LookUpMarginHint(hint);
  const bool session = Link() && Link()->SessionRecord();
  switch (h.action) {
    case MarginHintAction::Repaint:
      Repaint();
      return true;
    case MarginHintAction::ProgramCounter:
      ShowPcLine();
      return true;
    case MarginHintAction::ResetMarks:
      // A session ended: a text saved during it settles now.
      if (!session && !m_view.Document().IsModified()) {
        Settle();
        return true;
      }
      [[fallthrough]];
    case MarginHintAction::LoadLineInfo:
    case MarginHintAction::ReloadStored:
      LoadMarks(false);
      return true;
    case MarginHintAction::BeforeSave:
      // Sent after a save of the text and before the project's breakpoints
      // are stored (project save, target change, session start). A text
      // with unsaved changes keeps its marks bound to their lines: the
      // stored lines still name the file as it is on disk. During a session
      // the debugger words belong to the driver's line table; the text
      // settles when the session ends.
      if (session) return true;
      if (Link()) Link()->ClearShownPosition();
      if (!m_view.Document().IsModified()) Settle();
      return true;
    case MarginHintAction::ShowAddress:
      ShowShownPosition();
      return true;
    case MarginHintAction::BeforeClose:
      // Before "Save changes?": the marks stay on their lines, whatever the
      // answer (a save settles them, a discard leaves the stored lines as
      // the file on disk has them).
      if (session) return true;
      if (Link()) Link()->ClearShownPosition();
      Repaint();
      return true;
    default:
      return false;
  }
}

void EditorMargin::ShowPcLine() {
  if (!m_inProject) LoadMarks(false);
  if (FindPcLine()) {
    // The arrow marks the line; the caret goes there without a selection (a
    // key typed next must not replace the line), and the view scrolls only
    // when the line is out of sight.
    EditEngine& e = m_view.Engine();
    // The line the arrow marks: lines typed since the build moved it.
    int line = LineOfDebugWord(m_view.Text().FirstLine(), m_pcLine);
    if (line <= 0) line = std::min(int(m_pcLine), m_view.Text().GetLineCount());
    const int top = TopLineToShow(line, e.State().nTopLine, e.Rows(), m_view.Text().GetLineCount());
    if (top > 0) e.SetTopLine(top);
    if (e.HasSelection()) e.ClearSelection();
    e.GotoLine(line, 0);
    m_view.UpdateStatus();
  }
  m_view.viewport()->update();
}

void EditorMargin::ShowShownPosition() {
  DebugInterface* r = Record();
  if (!r || !r->DbgFindSource) return Repaint();
  const uint32_t shown = Link()->ShownPosition();
  if (r->DbgFindSource(shown) != 0 || !r->srcFile || r->srcLine == 0) return Repaint();
  std::string path = static_cast<const char*>(r->srcFile);
  const std::size_t slash = path.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (strcasecmp(name.c_str(), FileName().c_str()) != 0) return Repaint();
  // The line the driver names, wherever typing since the build moved it.
  EditEngine& e = m_view.Engine();
  int line = LineOfDebugWord(m_view.Text().FirstLine(), r->srcLine);
  if (line <= 0) line = std::min(int(r->srcLine), m_view.Text().GetLineCount());
  const int rows = std::max(e.Rows(), 1);
  if (line < e.State().nTopLine || line >= e.State().nTopLine + rows) {
    e.SetTopLine(CenteredTopLine(line, rows));
    if (e.HasSelection()) e.ClearSelection();
    e.GotoLine(line, 0);
    m_view.UpdateStatus();
  }
  m_view.viewport()->update();
}

bool EditorMargin::CanInsertBreakpoint() const {
  if (m_view.PreviewRefuses()) return false;
  if (!Link() || !InProjectNow() || !Link()->DebugInfoOn() || !CaretLineVisible()) return false;
  if (Link()->SessionRecord()) return (CaretLine()->m_nFlags & kLineHasCode) != 0;
  return true;
}

bool EditorMargin::CanEnableBreakpoint() const {
  if (m_view.PreviewRefuses()) return false;
  if (!Link() || !InProjectNow() || !CaretLineVisible()) return false;
  const CEditLine* line = CaretLine();
  if (DebugInterface* r = Record()) {
    if (!(line->m_nFlags & kLineHasCode)) return false;
    return !LineBreakpoints(CodeOf(*line), Query(r)).empty();
  }
  return (line->m_nFlags & kLineBreakSet) != 0;
}

std::vector<CodeRange> EditorMargin::CodeOf(const CEditLine& line) const {
  std::vector<CodeRange> ranges = m_code.Ranges(line.m_nDebugWord);
  // The line's own address belongs to it whatever the table says.
  if (ranges.empty()) ranges.push_back(CodeRange{line.m_nCodeAddress, line.m_nCodeAddress + 1});
  return ranges;
}

std::function<uint32_t(uint32_t, int32_t)> EditorMargin::Query(DebugInterface* r) {
  return [r](uint32_t address, int32_t op) { return r->DbgBreakpoint(address, op); };
}

bool EditorMargin::ToggleBreakpoint() {
  if (!CanInsertBreakpoint()) return false;
  CEditLine* line = CaretLine();
  if (DebugInterface* r = Record()) {
    // A line that shows a breakpoint loses it, wherever in its code it is;
    // a new one goes on the line's address. One breakpoint in several
    // places of the line (a header's line in each file that includes it)
    // goes with the first of them: each place is asked again before it is
    // removed, or the next would set it anew there.
    const std::vector<uint32_t> set = LineBreakpoints(CodeOf(*line), Query(r));
    if (set.empty()) r->DbgBreakpoint(line->m_nCodeAddress, 3);
    for (uint32_t address : set)
      if (!LineBreakpoints({CodeRange{address, address + 1}}, Query(r)).empty()) r->DbgBreakpoint(address, 3);
  } else if (!Link()->SessionRecord()) {
    // A line typed since the last save has no number in the file yet.
    if (!(line->m_nFlags & kLineDebugWordValid)) {
      line->m_nDebugWord = FreshDebugWord(m_view.Text().FirstLine(), m_numberedLines);
      line->m_nFlags |= kLineDebugWordValid;
    }
    Link()->ToggleStored(line, FileName());
  }
  Link()->BreakpointsChanged();
  m_view.viewport()->update();
  return true;
}

bool EditorMargin::ToggleBreakpointEnable() {
  if (!CanEnableBreakpoint()) return false;
  CEditLine* line = CaretLine();
  if (DebugInterface* r = Record()) {
    // The line's breakpoints all take one state: disabled when one of them
    // is enabled, else enabled.
    const std::vector<uint32_t> set = LineBreakpoints(CodeOf(*line), Query(r));
    bool anyEnabled = false;
    for (uint32_t address : set) anyEnabled |= r->DbgBreakpoint(address, 1) == 1;
    for (uint32_t address : set)
      if ((r->DbgBreakpoint(address, 1) == 1) == anyEnabled) r->DbgBreakpoint(address, 2);
  } else {
    Link()->ToggleStoredEnable(line, FileName());
  }
  Link()->BreakpointsChanged();
  m_view.viewport()->update();
  return true;
}

bool EditorMargin::CaretLineAddress(uint32_t* address) const {
  if (m_view.PreviewRefuses() || !CaretLineVisible() || !(CaretLine()->m_nFlags & kLineHasCode)) return false;
  *address = CaretLine()->m_nCodeAddress;
  return true;
}

void EditorMargin::Paint(QPainter& p, const QRect& cell, const CEditLine& line) {
  EditorDebugLink* link = Link();
  const uint32_t shown = link ? link->ShownPosition() : 0;
  MarginCell c;
  if (link && link->SessionRecord()) {
    DebugInterface* r = Record();
    if (!r) return;  // without the driver's operations nothing is drawn
    const uint32_t state =
        (line.m_nFlags & kLineHasCode) ? LineBreakState(line.m_nCodeAddress, CodeOf(line), Query(r)) : 0;
    c = SessionMarginCell(line, state, m_pcLine, shown);
  } else {
    c = StoredMarginCell(line, shown);
  }
  const int w = cell.height();
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  if (c.codeFill) p.fillRect(QRect(cell.left(), cell.top(), w, cell.height()), c.executed ? kExecuted : kCode);
  if (c.box) {
    p.setPen(Qt::black);
    p.setBrush(c.boxEnabled ? kEnabled : kDisabled);
    p.drawRoundedRect(QRectF(cell.left() + 3, cell.top() + 0.5, w - 4, cell.height() - 1), 2, 2);
  }
  if (c.bookmark) {
    p.setPen(Qt::black);
    p.setBrush(kShown);
    const int d = w - 4;
    p.drawEllipse(QRect(cell.left() + 3, cell.top() + (cell.height() - d) / 2, d - 1, d - 1));
  }
  if (c.arrow != MarginArrow::None) {
    QPolygon poly;
    for (const auto& pt : MarginArrowPolygon(cell.top(), cell.height(), w)) poly << QPoint(cell.left() + pt[0], pt[1]);
    p.setPen(Qt::black);
    p.setBrush(c.arrow == MarginArrow::ProgramCounter ? kPc : kShown);
    p.drawPolygon(poly);
  }
  p.restore();
}

std::string EditorMargin::TipAt(const QPoint& point) {
  DebugInterface* r = Link() ? Link()->SessionRecord() : nullptr;
  if (!r || !r->DbgControl || !m_inProject || (r->flags & kDbgFlagExecuting)) return {};
  EditEngine& e = m_view.Engine();
  if (point.x() < e.State().nLeftMargin) return {};
  // The word under the mouse (whatever is selected): the caret goes there
  // for a moment.
  CEditLine* line = e.State().pCaretLine;
  const int column = e.State().nCaretCol;
  e.PointToCaretNearest(point.x(), point.y());
  const EditPos at = e.CaretPos();
  std::string word;
  const bool found = at.pLine && WordAtOrBefore(m_view.Text(), at.pLine->m_text, at.nIndex, &word);
  e.SetCaret(line, column);
  m_view.UpdateStatus();
  if (!found || word.empty() || word.size() >= std::size_t(kTipWordMax)) return {};
  char buffer[kTipMax] = {};
  std::snprintf(buffer, sizeof buffer, "%s", word.c_str());
  if (r->DbgControl(kDbgCtlValueTip, reinterpret_cast<intptr_t>(buffer),
                    reinterpret_cast<intptr_t>(m_view.Document().Title().c_str())) != 0)
    return {};
  buffer[kTipMax - 1] = '\0';
  m_lastTip = point;
  return buffer;
}

void EditorMargin::ShowTipAt(QPoint viewportPoint) {
  const std::string text = TipAt(viewportPoint);
  if (text.empty()) {
    if (m_tip) m_tip->Hide();
    return;
  }
  // The same bubble as the debug windows' value tips.
  if (!m_tip) m_tip = new ValueTip(m_view.viewport(), m_view.viewport()->font());
  m_tip->ShowTextAt(QString::fromLocal8Bit(text.c_str()), m_view.viewport()->mapToGlobal(viewportPoint));
  m_tipPop->start();
}

bool EditorMargin::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_view.viewport()) return false;
  // The tip follows its own delays, not the toolkit's tooltip timing.
  if (event->type() == QEvent::ToolTip) return true;
  const bool tipShown = m_tip && m_tip->isVisible();
  if (event->type() == QEvent::MouseMove) {
    const QPoint pos = static_cast<QMouseEvent*>(event)->pos();
    if (tipShown && (pos - m_lastTip).manhattanLength() > 4) m_tip->Hide();
    if (pos != m_restAt && !(tipShown && m_tip->isVisible())) {
      m_restAt = pos;
      // The first tip of a visit comes after the initial rest, each later
      // one after the reshow rest.
      m_tipTimer->start(m_lastTip.x() < 0 ? kTipInitialMs : kTipReshowMs);
    }
    return false;
  }
  // The bubble goes with a key, a click, the wheel, or the mouse leaving the text.
  const QEvent::Type t = event->type();
  if (t == QEvent::KeyPress || t == QEvent::Leave || t == QEvent::MouseButtonPress || t == QEvent::Wheel) {
    m_tipTimer->stop();
    if (tipShown) m_tip->Hide();
    if (t == QEvent::Leave) m_lastTip = QPoint(-1, -1);
  }
  return false;
}

}  // namespace pm2
