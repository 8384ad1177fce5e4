#include "debugger/windows/command_window.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <memory>

#include "toolkit/controls/window_font_qt.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

// The output list: the model's lines painted one a row, the history lines
// selected; a click selects or unselects a line, new output scrolls into
// view, lines longer than the list scroll sideways.
class CommandOutputList : public QWidget {
 public:
  CommandOutputList(CommandWindow& owner, CommandOutput& out, std::function<void()> beep, QWidget* parent)
      : QWidget(parent),
        m_owner(owner),
        m_out(out),
        m_beep(std::move(beep)),
        m_bar(new QScrollBar(Qt::Vertical, this)),
        m_hbar(new QScrollBar(Qt::Horizontal, this)) {
    setObjectName("CommandOutputList");
    setAutoFillBackground(false);
    m_hbar->setObjectName("CommandOutputHorizontal");
    connect(m_bar, &QScrollBar::valueChanged, this, [this] { update(); });
    connect(m_hbar, &QScrollBar::valueChanged, this, [this] { update(); });
  }
  int RowHeight() const { return fontMetrics().height(); }
  int CharWidth() const { return std::max(1, fontMetrics().averageCharWidth()); }
  int TextHeight() const { return std::max(0, height() - m_hbar->sizeHint().height()); }
  int VisibleLines() const { return std::max(1, TextHeight() / RowHeight()); }
  int VisibleColumns() const { return std::max(1, (width() - m_bar->width()) / CharWidth()); }
  // New output: the bars' ranges, the last lines in view.
  void Changed() {
    const int max = std::max(0, int(m_out.LineCount()) - VisibleLines() + 1);
    m_bar->setRange(0, max);
    m_bar->setPageStep(VisibleLines());
    m_bar->setValue(max);
    // Sideways by characters: the longest line seen against the columns.
    const int wide = std::max(0, int(m_out.Longest()) - VisibleColumns()) * CharWidth();
    m_hbar->setRange(0, wide);
    m_hbar->setSingleStep(CharWidth());
    m_hbar->setPageStep(5 * CharWidth());
    if (m_out.LineCount() == 0) m_hbar->setValue(0);
    update();
  }
  int Top() const { return m_bar->value(); }
  QScrollBar* Horizontal() const { return m_hbar; }
  size_t LineAt(int y) const { return size_t(Top() + y / RowHeight()); }
  // Line n in view (the list scrolls only when it is out of sight).
  void ShowLine(size_t n) {
    const int line = int(n);
    if (line < Top())
      m_bar->setValue(line);
    else if (line >= Top() + VisibleLines())
      m_bar->setValue(line - VisibleLines() + 1);
    update();
  }

 protected:
  void resizeEvent(QResizeEvent*) override {
    const int vw = m_bar->sizeHint().width(), hh = m_hbar->sizeHint().height();
    m_bar->setGeometry(width() - vw, 0, vw, height() - hh);
    m_hbar->setGeometry(0, height() - hh, width() - vw, hh);
    Changed();
  }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.save();
    p.fillRect(rect(), SysQColor(SysColor::Window));
    const int h = RowHeight();
    const int right = width() - m_bar->width();
    p.setClipRect(QRect(0, 0, right, TextHeight()));
    for (int row = 0; row * h < TextHeight(); ++row) {
      const size_t n = size_t(Top() + row);
      if (n >= m_out.LineCount()) break;
      const CommandLine& line = m_out.Line(n);
      QRect r(0, row * h, right, h);
      if (line.selected || line.picked) {
        p.fillRect(r, SysQColor(SysColor::Highlight));
        p.setPen(SysQColor(SysColor::HighlightText));
      } else {
        p.setPen(SysQColor(SysColor::WindowText));
      }
      p.drawText(2 - m_hbar->value(), row * h + fontMetrics().ascent(), QString::fromLocal8Bit(line.text.c_str()));
      // The user's selection is framed: it is what Copy takes.
      if (line.picked) {
        QPen frame(SysQColor(SysColor::HighlightText));
        frame.setStyle(Qt::DotLine);
        p.setPen(frame);
        p.drawRect(r.adjusted(0, 0, -1, -1));
      }
    }
    p.restore();
  }
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) return;
    const size_t n = LineAt(int(e->position().y()));
    if (n < m_out.LineCount()) {
      // A click marks a history entry and selects the line for Copy.
      const bool on = !m_out.Line(n).selected;
      m_out.Select(n, on);
      m_out.Pick(n, on);
      update();
    }
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    // An error line of the debug-function compiler goes to its line in the
    // function editor when that is open.
    const size_t n = LineAt(int(e->position().y()));
    uint32_t number = 0;
    if (n < m_out.LineCount() && CommandErrorLine(m_out.Line(n).text, &number) && m_owner.goToError &&
        m_owner.goToError(number))
      return;
    if (m_beep) m_beep();
  }
  void contextMenuEvent(QContextMenuEvent* e) override {
    std::unique_ptr<QMenu> menu(m_owner.barMenu ? m_owner.barMenu() : nullptr);
    if (!menu) menu = std::make_unique<QMenu>(this);
    m_owner.BuildContextMenu(*menu);
    menu->exec(e->globalPos());
  }
  void wheelEvent(QWheelEvent* e) override { m_bar->setValue(m_bar->value() - e->angleDelta().y() / 40); }

 private:
  CommandWindow& m_owner;
  CommandOutput& m_out;
  std::function<void()> m_beep;
  QScrollBar* m_bar;
  QScrollBar* m_hbar;
};

CommandEdit::CommandEdit(CommandWindow* owner, QWidget* parent) : QLineEdit(parent), m_owner(owner) {
  setObjectName("CommandInput");
  setMaxLength(int(CommandOutput::kMaxTyped));
  setFrame(false);
}

bool CommandEdit::event(QEvent* e) {
  // Tab belongs to the help line (its next page), not to focus changes.
  if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Tab) {
    m_owner->RefreshHelp(2);
    return true;
  }
  return QLineEdit::event(e);
}

void CommandEdit::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      m_owner->ExecuteTyped();
      m_owner->RefreshHelp(1);
      return;
    case Qt::Key_Escape:
      m_owner->Escape();
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
      m_owner->History(e->key() == Qt::Key_Up);
      return;
    case Qt::Key_F1:
      m_owner->ToolHelp();
      return;
    case Qt::Key_C:
      // Ctrl+C without a selection in the line copies the page's selected lines.
      if (e->modifiers() == Qt::ControlModifier && !hasSelectedText()) {
        m_owner->Copy();
        return;
      }
      break;
    case Qt::Key_Help:
      m_owner->RefreshHelp(2);
      return;
    case Qt::Key_Space:
      if (e->modifiers() == Qt::NoModifier) {
        m_owner->TypeBlank();
        return;
      }
      break;
    default:
      break;
  }
  QLineEdit::keyPressEvent(e);
  if (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right || !e->text().isEmpty()) m_owner->RefreshHelp(1);
}

CommandWindow::CommandWindow(CommandWindowHost host, QWidget* parent)
    : QWidget(parent),
      m_host(std::move(host)),
      m_list(new CommandOutputList(*this, m_output, m_host.beep, this)),
      m_prompt(new QLabel(">", this)),
      m_edit(new CommandEdit(this, this)),
      m_helpLine(new QLabel(this)),
      m_separator(new QWidget(this)) {
  setObjectName("CommandWindow");
  const QFont fixed = WindowFixedFont();
  for (QWidget* w : std::initializer_list<QWidget*>{m_list, m_edit, m_prompt, m_helpLine}) w->setFont(fixed);
  m_prompt->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  m_helpLine->setObjectName("CommandHelpLine");
  m_helpLine->setFrameStyle(QFrame::Panel | QFrame::Raised);
  m_separator->setAutoFillBackground(true);
  setFocusProxy(m_edit);
}

CommandWindow::Geometry CommandWindow::Layout(QSize size) const {
  Geometry g;
  const int w = size.width();
  const int hh = QFontMetrics(m_helpLine->font()).height();
  const int helpH = hh + hh / 3 + 3;
  g.help = QRect(0, size.height() - helpH, w, helpH);
  const int eh = QFontMetrics(m_edit->font()).height();
  const int rowH = eh + eh / 6;
  const int promptW = (int(m_output.Prompt().size()) + 1) * QFontMetrics(m_edit->font()).averageCharWidth();
  const int rowTop = g.help.top() - rowH;
  g.prompt = QRect(0, rowTop, promptW, rowH);
  g.edit = QRect(promptW, rowTop, std::max(0, w - promptW), rowH);
  g.separator = QRect(0, rowTop - 4, w, 4);
  g.list = QRect(0, 0, w, std::max(0, rowTop - 4));
  return g;
}

void CommandWindow::ApplyLayout() {
  const Geometry g = Layout(size());
  m_list->setGeometry(g.list);
  m_separator->setGeometry(g.separator);
  m_prompt->setGeometry(g.prompt);
  m_edit->setGeometry(g.edit);
  m_helpLine->setGeometry(g.help);
  m_help.SetHelpWidth(g.help.width() / std::max(1, QFontMetrics(m_helpLine->font()).averageCharWidth()));
  if (m_host.sized) {
    int lines = 0, columns = 0;
    VisibleSize(&lines, &columns);
    m_host.sized(lines, columns);
  }
  RefreshHelp(1);
}

void CommandWindow::ApplySettings(const WindowFonts& settings) {
  const QFont font = FontOfEntry(settings.command, WindowFixedFont());
  for (QWidget* w : std::initializer_list<QWidget*>{m_list, m_edit, m_prompt, m_helpLine}) w->setFont(font);
  ApplyLayout();
  m_list->update();
}

void CommandWindow::resizeEvent(QResizeEvent*) { ApplyLayout(); }

void CommandWindow::OutputChanged() { m_list->Changed(); }

size_t CommandWindow::Append(const char* text) {
  if (text && !*text) return 0;
  const size_t n = m_output.Append(text);
  OutputChanged();
  return n;
}

void CommandWindow::SetPrompt(const char* text) {
  m_output.SetPrompt(text);
  m_prompt->setText(QString::fromLocal8Bit(m_output.Prompt().c_str()));
  ApplyLayout();
}

void CommandWindow::RequestInput(const CommandInputRequest& request) {
  m_output.Request(request);
  m_prompt->setText(QString::fromLocal8Bit(m_output.Prompt().c_str()));
  ApplyLayout();
}

void CommandWindow::SetSyntaxTables(const void* fallback1, const void* fallback2, const void* root) {
  m_help.Install(static_cast<const SyntaxWord*>(fallback1), static_cast<const SyntaxWord*>(fallback2),
                 static_cast<const SyntaxWord*>(root));
  RefreshHelp(1);
}

void CommandWindow::VisibleSize(int* lines, int* columns) const {
  *lines = m_list->VisibleLines();
  *columns = m_list->VisibleColumns();
}

QString CommandWindow::Text() const {
  QString all;
  for (size_t i = 0; i < m_output.LineCount(); ++i) {
    all += QString::fromLocal8Bit(m_output.Line(i).text.c_str());
    all += '\n';
  }
  return all + QString::fromLocal8Bit(m_output.Pending().c_str());
}

void CommandWindow::Clear() {
  Append(nullptr);
  m_list->Horizontal()->setValue(0);
}

bool CommandWindow::HasSelectedLines() const {
  for (size_t i = 0; i < m_output.LineCount(); ++i)
    if (m_output.Line(i).picked) return true;
  return false;
}

QString CommandWindow::SelectedText() const {
  // The lines joined by line feeds, none after the last.
  QString text;
  bool first = true;
  for (size_t i = 0; i < m_output.LineCount(); ++i) {
    if (!m_output.Line(i).picked) continue;
    if (!first) text += '\n';
    text += QString::fromLocal8Bit(m_output.LineText(i).c_str());
    first = false;
  }
  return text;
}

void CommandWindow::Copy() {
  if (HasSelectedLines()) QApplication::clipboard()->setText(SelectedText());
}

QWidget* CommandWindow::OutputList() const { return m_list; }

void CommandWindow::BuildContextMenu(QMenu& menu) {
  menu.setObjectName("CommandOutputMenu");
  menu.addSeparator();
  QAction* copy = menu.addAction("&Copy", this, [this] { Copy(); });
  copy->setEnabled(HasSelectedLines());
  menu.addSeparator();
  QAction* clear = menu.addAction("C&lear window", this, [this] { Clear(); });
  clear->setEnabled(m_output.LineCount() > 0 || !m_output.Pending().empty());
  menu.addSeparator();
  QAction* find = menu.addAction("&Find...", this, [this] {
    if (this->find) this->find();
  });
  find->setEnabled(this->find != nullptr);
}

std::vector<std::string> CommandWindow::LineTexts() const {
  std::vector<std::string> lines;
  lines.reserve(m_output.LineCount());
  for (size_t i = 0; i < m_output.LineCount(); ++i) lines.push_back(m_output.LineText(i));
  return lines;
}

int CommandWindow::FirstSelected() const {
  for (size_t i = 0; i < m_output.LineCount(); ++i)
    if (m_output.Line(i).picked) return int(i);
  return -1;
}

void CommandWindow::SelectOnly(size_t line) {
  if (line >= m_output.LineCount()) return;
  for (size_t i = 0; i < m_output.LineCount(); ++i)
    if (m_output.Line(i).picked) m_output.Pick(i, false);
  m_output.Pick(line, true);
  m_list->ShowLine(line);
}

QScrollBar* CommandWindow::HorizontalBar() const { return m_list->Horizontal(); }

QString CommandWindow::HelpText() const { return m_helpLine->text(); }
QString CommandWindow::PromptText() const { return m_prompt->text(); }

void CommandWindow::ExecuteTyped() {
  const std::string typed = m_edit->text().toLocal8Bit().toStdString();
  m_edit->clear();
  std::string line;
  const bool toDriver = m_output.Enter(typed, &line);
  if (!toDriver) SetPrompt(m_output.Prompt().c_str());
  OutputChanged();
  if (toDriver) {
    if (m_host.debugging && m_host.debugging()) {
      if (m_host.execute) m_host.execute(line);
    } else if (line.size() > 1) {
      Append("*** Error: not in debugging mode !\n");
      if (m_host.beep) m_host.beep();
    }
  }
  m_edit->setFocus();
}

void CommandWindow::History(bool up) {
  std::string text;
  const bool found = up ? m_output.HistoryUp(&text) : m_output.HistoryDown(&text);
  if (found) {
    m_edit->setText(QString::fromLocal8Bit(text.c_str()));
    m_edit->end(false);
  } else {
    m_edit->clear();
    if (m_host.beep) m_host.beep();
  }
  RefreshHelp(1);
}

void CommandWindow::Escape() {
  m_edit->clear();
  RefreshHelp(1);
  if (m_host.debugging && m_host.debugging()) {
    if (m_host.escape) m_host.escape();
    SetPrompt(nullptr);
  }
}

void CommandWindow::TypeBlank() {
  const bool debugging = m_host.debugging && m_host.debugging();
  const bool noCompletion = m_host.noCompletion && m_host.noCompletion();
  const QString before = m_edit->text().left(m_edit->cursorPosition());
  if (!debugging || !m_help.Installed() || noCompletion || before.endsWith('.')) {
    m_edit->insert(" ");
  } else {
    m_edit->insert(QString::fromLocal8Bit(m_help.Complete(before.toLocal8Bit().toStdString()).c_str()));
  }
  RefreshHelp(1);
}

void CommandWindow::ToolHelp() {
  const std::string word = CommandHelpWord(m_edit->text().toLocal8Bit().toStdString());
  if (!word.empty() && m_host.toolHelp) m_host.toolHelp(word);
}

void CommandWindow::RefreshHelp(int mode) {
  if (!m_help.Installed() || !(m_host.debugging && m_host.debugging())) {
    m_helpLine->clear();
    return;
  }
  const std::string before = m_edit->text().left(m_edit->cursorPosition()).toLocal8Bit().toStdString();
  const std::string help = mode == 2 ? m_help.NextPage() : m_help.Analyse(before);
  m_helpLine->setText(QString::fromLocal8Bit(help.c_str()));
}

}  // namespace pm2
