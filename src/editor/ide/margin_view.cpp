#include "editor/ide/margin_view.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <strings.h>

#include "editor/document/margin_marks.h"
#include "editor/document/view_commands.h"
#include "debugger/windows/value_tip.h"
#include "editor/ide/editor_view.h"

namespace pm2 {

namespace {

// The margin's brushes.
const QColor kEnabled(255, 0, 0), kDisabled(255, 255, 255), kPc(255, 255, 0), kShown(0, 255, 255);
const QColor kCode(192, 192, 192), kExecuted(0, 128, 0);

constexpr int kTipWordMax = 200;
constexpr int kTipMax = 1024;

}  // namespace

EditorMargin::EditorMargin(EditorView& view, EditorDebugLink* const* link) : QObject(&view), m_view(view), m_link(link) {
  view.viewport()->installEventFilter(this);
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

void EditorMargin::LoadMarks() {
  CEditLine* first = m_view.Text().FirstLine();
  if (!first) return;
  ResetMarginMarks(first);
  EditorDebugLink* link = Link();
  m_inProject = link && link->InProject(m_view.Document().Path());
  DebugInterface* r = link ? link->SessionRecord() : nullptr;
  if (r) {
    if (m_inProject && r->DbgLineTable)
      ApplyLineTable(first, static_cast<const DbgLineTableRecord*>(r->DbgLineTable(m_view.Document().Path().c_str())));
    FindPcLine();
  } else {
    m_pcLine = 0;
    if (m_inProject && link) link->ApplyStored(first, FileName());
  }
  Repaint();
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

bool EditorMargin::OnHint(uint32_t hint) {
  const MarginHint h = LookUpMarginHint(hint);
  CEditLine* first = m_view.Text().FirstLine();
  switch (h.action) {
    case MarginHintAction::Repaint:
      Repaint();
      return true;
    case MarginHintAction::ProgramCounter:
      ShowPcLine();
      return true;
    case MarginHintAction::LoadLineInfo:
    case MarginHintAction::ResetMarks:
    case MarginHintAction::ReloadStored:
      LoadMarks();
      return true;
    case MarginHintAction::BeforeSave:
      if (Link() && first) Link()->PurgeStored(first, FileName());
      return false;  // the view's own handling follows
    default:
      return false;
  }
}

void EditorMargin::ShowPcLine() {
  if (!m_inProject) LoadMarks();
  if (FindPcLine()) {
    // The arrow marks the line; the caret goes there without a selection (a
    // key typed next must not replace the line), and the view scrolls only
    // when the line is out of sight.
    EditEngine& e = m_view.Engine();
    const int line = std::min(int(m_pcLine), m_view.Text().GetLineCount());
    const int top = TopLineToShow(line, e.State().nTopLine, e.Rows(), m_view.Text().GetLineCount());
    if (top > 0) e.SetTopLine(top);
    if (e.HasSelection()) e.ClearSelection();
    e.GotoLine(line, 0);
    m_view.UpdateStatus();
  }
  m_view.viewport()->update();
}

bool EditorMargin::CanInsertBreakpoint() const {
  if (!Link() || !m_inProject || !Link()->DebugInfoOn() || !CaretLineVisible()) return false;
  if (Link()->SessionRecord()) return (CaretLine()->m_nFlags & kLineHasCode) != 0;
  return true;
}

bool EditorMargin::CanEnableBreakpoint() const {
  if (!Link() || !m_inProject || !CaretLineVisible()) return false;
  const CEditLine* line = CaretLine();
  if (DebugInterface* r = Record()) {
    if (!(line->m_nFlags & kLineHasCode)) return false;
    const uint32_t state = r->DbgBreakpoint(line->m_nCodeAddress, 1);
    return state == 1 || state == 2;
  }
  return (line->m_nFlags & kLineBreakSet) != 0;
}

bool EditorMargin::ToggleBreakpoint() {
  if (!CanInsertBreakpoint()) return false;
  CEditLine* line = CaretLine();
  if (DebugInterface* r = Record())
    r->DbgBreakpoint(line->m_nCodeAddress, 3);
  else if (!Link()->SessionRecord())
    Link()->ToggleStored(line, FileName());
  Link()->BreakpointsChanged();
  m_view.viewport()->update();
  return true;
}

bool EditorMargin::ToggleBreakpointEnable() {
  if (!CanEnableBreakpoint()) return false;
  CEditLine* line = CaretLine();
  if (DebugInterface* r = Record())
    r->DbgBreakpoint(line->m_nCodeAddress, 2);
  else
    Link()->ToggleStoredEnable(line, FileName());
  Link()->BreakpointsChanged();
  m_view.viewport()->update();
  return true;
}

bool EditorMargin::CaretLineAddress(uint32_t* address) const {
  if (!CaretLineVisible() || !(CaretLine()->m_nFlags & kLineHasCode)) return false;
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
    const uint32_t state = (line.m_nFlags & kLineHasCode) ? r->DbgBreakpoint(line.m_nCodeAddress, 7) : 0;
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
  const bool found = at.pLine && WordAtIndex(m_view.Text(), at.pLine->m_text, at.nIndex, &word);
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

bool EditorMargin::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_view.viewport()) return false;
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const std::string text = TipAt(help->pos());
    if (text.empty()) {
      if (m_tip) m_tip->Hide();
    } else {
      // The same bubble as the debug windows' value tips.
      if (!m_tip) m_tip = new ValueTip(m_view.viewport(), m_view.viewport()->font());
      m_tip->ShowTextAt(QString::fromLocal8Bit(text.c_str()), help->globalPos());
    }
    return true;
  }
  // The bubble goes with a key, a click, the wheel, or the mouse leaving its word.
  const bool moved = event->type() == QEvent::MouseMove &&
                     (static_cast<QMouseEvent*>(event)->pos() - m_lastTip).manhattanLength() > 4;
  if (m_tip && m_tip->isVisible() &&
      (moved || event->type() == QEvent::KeyPress || event->type() == QEvent::Leave ||
       event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel))
    m_tip->Hide();
  return false;
}

}  // namespace pm2
