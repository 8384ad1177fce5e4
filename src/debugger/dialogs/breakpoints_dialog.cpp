#include "debugger/dialogs/breakpoints_dialog.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <array>

#include "debugger/dialogs/breakpoints_check_list.h"
#include "project/edit/stored_setters.h"

namespace pm2 {

namespace {

// Records walked per list: a driver list that loops is cut here.
constexpr int kMaxBreakpoints = 10000;

// The up-down control of a number field: its arrows, and Up and Down in
// the field, step the number inside 1..32767.
class UpDown : public QWidget {
 public:
  UpDown(QLineEdit* buddy, QWidget* parent) : QWidget(parent), m_buddy(buddy) {
    setObjectName(buddy->objectName() + "UpDown");
    auto* up = new QToolButton(this);
    auto* down = new QToolButton(this);
    up->setObjectName("Up");
    down->setObjectName("Down");
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    up->setAutoRepeat(true);
    down->setAutoRepeat(true);
    connect(up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
    m_buttons = {up, down};
    buddy->installEventFilter(this);
  }
  void Step(int delta) {
    if (!m_buddy->isEnabled()) return;
    m_buddy->setText(QString::fromStdString(StepBpNumber(m_buddy->text().toStdString(), delta)));
  }
  // Beside the field, as high as it is.
  void Place() {
    const QRect f = m_buddy->geometry();
    setGeometry(f.right() + 1, f.top(), 16, f.height());
    m_buttons[0]->setGeometry(0, 0, 16, f.height() / 2);
    m_buttons[1]->setGeometry(0, f.height() / 2, 16, f.height() - f.height() / 2);
    setEnabled(m_buddy->isEnabled());
  }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::EnabledChange) setEnabled(m_buddy->isEnabled());
    if (e->type() != QEvent::KeyPress) return QWidget::eventFilter(o, e);
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down) return false;
    Step(key == Qt::Key_Up ? 1 : -1);
    return true;
  }

 private:
  QLineEdit* m_buddy;
  std::array<QToolButton*, 2> m_buttons{};
};

}  // namespace

BreakpointsDialog::BreakpointsDialog(DebugDialogContext ctx, QWidget* parent)
    : QDialog(parent), m_ctx(std::move(ctx)), m_list(new BpCheckList(this)), m_expr(new QLineEdit(this)),
      m_count(new QLineEdit("1", this)), m_command(new QLineEdit(this)), m_size(new QLineEdit("1", this)),
      m_read(new QCheckBox("&Read", this)), m_write(new QCheckBox("&Write", this)),
      m_bytes(new QRadioButton("&Bytes", this)), m_objects(new QRadioButton("Ob&jects", this)),
      m_define(new QPushButton("&Define", this)), m_kill(new QPushButton("&Kill Selected", this)),
      m_killAll(new QPushButton("Kill &All", this)), m_close(new QPushButton("&Close", this)) {
  setObjectName("BreakpointsDialog");
  setWindowTitle("Breakpoints");
  m_list->setObjectName("BreakpointList");
  m_expr->setObjectName("Expression");
  m_count->setObjectName("Count");
  m_command->setObjectName("Command");
  m_size->setObjectName("Size");
  m_expr->setMaxLength(256);
  m_command->setMaxLength(256);
  m_count->setMaxLength(5);
  m_size->setMaxLength(5);
  m_countUpDown = new UpDown(m_count, this);
  m_sizeUpDown = new UpDown(m_size, this);
  m_bytes->setAutoExclusive(false);
  m_objects->setAutoExclusive(false);
  for (const char* text : {"Current Breakpoints:", "&Expression:", "C&ount:", "Co&mmand:", "Access:", "Si&ze:"})
    m_labels.push_back(new QLabel(text, this));
  // The labels' keys go to their fields.
  static_cast<QLabel*>(m_labels[1])->setBuddy(m_expr);
  static_cast<QLabel*>(m_labels[2])->setBuddy(m_count);
  static_cast<QLabel*>(m_labels[3])->setBuddy(m_command);
  static_cast<QLabel*>(m_labels[5])->setBuddy(m_size);
  for (QPushButton* b : {m_define, m_kill, m_killAll, m_close}) b->setAutoDefault(false);

  m_list->selectionChanged = [this] { SelectionChanged(); };
  m_list->doubleClicked = [this](int row) { LinePicked(row); };
  connect(m_expr, &QLineEdit::textChanged, this, [this] { m_define->setEnabled(!m_expr->text().isEmpty()); });
  connect(m_read, &QCheckBox::toggled, this, [this] { UpdateSizeControls(); });
  connect(m_write, &QCheckBox::toggled, this, [this] { UpdateSizeControls(); });
  connect(m_bytes, &QRadioButton::clicked, this, [this] { m_objects->setChecked(!m_bytes->isChecked()); });
  connect(m_objects, &QRadioButton::clicked, this, [this] { m_bytes->setChecked(!m_objects->isChecked()); });
  connect(m_define, &QPushButton::clicked, this, [this] { Define(); });
  connect(m_kill, &QPushButton::clicked, this, [this] { KillSelected(); });
  connect(m_killAll, &QPushButton::clicked, this, [this] { KillAll(); });
  connect(m_close, &QPushButton::clicked, this, [this] { Close(); });

  if (DebugInterface* r = m_ctx.R(); r && r->DbgBreakpointList) r->DbgBreakpointList(kDbgBpListOpen, 0, 0, nullptr);
  Renumber();
  Fill();
  m_define->setEnabled(false);
  UpdateSizeControls();
  resize(560, 400);
  Layout();
  m_expr->setFocus();
}

DbgBreakpointRecord* BreakpointsDialog::Head() const {
  DebugInterface* r = m_ctx.R();
  if (!r || !r->DbgBreakpointList) return nullptr;
  return reinterpret_cast<DbgBreakpointRecord*>(r->DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
}

void BreakpointsDialog::Renumber() {
  int n = 0;
  for (DbgBreakpointRecord* bp = Head(); bp && n < kMaxBreakpoints; bp = bp->next, ++n) bp->number = uint32_t(n);
}

std::string BreakpointsDialog::Line(const DbgBreakpointRecord& bp) const {
  return BreakpointLine(bp, [this, &bp](uint32_t a) {
    std::string text = m_ctx.AddressText(a);
    // An execution breakpoint on a source line names the file and the line.
    DebugInterface* r = m_ctx.R();
    if ((bp.flags & kDbgBpTypeMask) == 0 && r && r->DbgFindSource && r->DbgFindSource(a) == 0 && r->srcFile &&
        r->srcLine > 0) {
      std::string file = static_cast<const char*>(r->srcFile);
      const std::size_t cut = file.find_last_of("/\\");
      if (cut != std::string::npos) file.erase(0, cut + 1);
      text += " (" + file + ", line " + std::to_string(r->srcLine) + ")";
    }
    return text;
  });
}

void BreakpointsDialog::Fill() {
  m_list->Clear();
  int n = 0;
  for (DbgBreakpointRecord* bp = Head(); bp && n < kMaxBreakpoints; bp = bp->next, ++n)
    m_list->Insert(-1, BpCheckList::Line{Line(*bp), (bp->flags & kDbgBpEnabled) != 0, bp});
  m_list->Select(-1);
  m_kill->setEnabled(false);
}

void BreakpointsDialog::SelectionChanged() {
  const int row = m_list->Selected();
  if (row >= 0) {
    auto* bp = static_cast<DbgBreakpointRecord*>(m_list->At(row).data);
    if (bp) {
      if (m_list->At(row).checked)
        bp->flags |= kDbgBpEnabled;
      else
        bp->flags &= ~uint32_t(kDbgBpEnabled);
    }
  }
  m_kill->setEnabled(row >= 0);
}

void BreakpointsDialog::LinePicked(int row) {
  auto* bp = static_cast<DbgBreakpointRecord*>(m_list->At(row).data);
  if (!bp) return;
  m_count->setText(QString::number(bp->passCount));
  m_command->setText(QString::fromLocal8Bit(BpCommandForEdit(bp->command ? std::string(bp->command).substr(0, kBpDriverTextMax) : "").c_str()));
  m_expr->setText(bp->expression ? QString::fromLocal8Bit(std::string(bp->expression).substr(0, 256).c_str()) : QString());
  m_read->setChecked(false);
  m_write->setChecked(false);
  m_bytes->setChecked(false);
  m_objects->setChecked(false);
  m_size->clear();
  if ((bp->flags & kDbgBpTypeMask) == 2) {
    const bool objects = (bp->flags & kDbgBpObjects) != 0;
    m_objects->setChecked(objects);
    m_bytes->setChecked(!objects);
    m_size->setText(QString::number(objects ? bp->count : bp->length));
    m_read->setChecked(bp->access & 1);
    m_write->setChecked(bp->access & 2);
  }
  UpdateSizeControls();
}

void BreakpointsDialog::UpdateSizeControls() {
  const bool access = m_read->isChecked() || m_write->isChecked();
  if (!access) {
    m_bytes->setChecked(false);
    m_objects->setChecked(false);
  } else if (!m_bytes->isChecked() && !m_objects->isChecked()) {
    m_objects->setChecked(true);
  }
  for (QWidget* w : {static_cast<QWidget*>(m_size), static_cast<QWidget*>(m_bytes), static_cast<QWidget*>(m_objects)})
    w->setEnabled(access);
}

void BreakpointsDialog::Define() {
  BpDefinition def;
  def.expression = m_expr->text().toStdString();
  def.command = m_command->text().toStdString();
  def.count = m_count->text().toStdString();
  def.size = m_size->text().toStdString();
  def.read = m_read->isChecked();
  def.write = m_write->isChecked();
  def.objects = m_objects->isChecked();
  BpRequestBuilder b;
  switch (BuildBreakpointRequest(def, &b)) {
    case BpFieldError::Count:
      m_ctx.Beep();
      m_ctx.Message("Invalid number");
      m_count->setFocus();
      return;
    case BpFieldError::Size:
      m_ctx.Beep();
      m_ctx.Message("Invalid number");
      m_size->setFocus();
      return;
    case BpFieldError::None:
      break;
  }
  // The session keeps its breakpoints with the target in the options file:
  // a text the file could not give back as typed is refused here.
  for (auto [kind, field] : {std::pair{DebugWindowText::kBreakpointExpression, m_expr},
                             std::pair{DebugWindowText::kBreakpointCommand, m_command}})
    if (const std::string why = DebugWindowTextRefusal(kind, field->text().toStdString()); !why.empty()) {
      m_ctx.Beep();
      m_ctx.Message(why);
      field->setFocus();
      return;
    }
  DebugInterface* r = m_ctx.R();
  if (!r || !r->DbgBreakpointDefine) {
    m_ctx.Beep();
    m_ctx.Message("Breakpoint definition error");
    return;
  }
  // The driver's reason for a refusal goes with the message ("an
  // assignment is not allowed"), the command page has it too.
  auto define = [&] { r->DbgBreakpointDefine(0, 0, 0, &b.request); };
  std::string why;
  if (m_ctx.refusalOf)
    why = m_ctx.refusalOf(define);
  else
    define();
  if (b.request.error) {
    m_ctx.Beep();
    m_ctx.Message(why.empty() ? std::string("Breakpoint definition error") : "Breakpoint definition error: " + why);
    return;
  }
  if (b.request.outcome != 2 && b.request.result) {
    DbgBreakpointRecord* bp = b.request.result;
    const BpCheckList::Line line{Line(*bp), (bp->flags & kDbgBpEnabled) != 0, bp};
    int at = -1;
    if (b.request.outcome == 1)
      for (int i = 0; i < m_list->Count(); ++i)
        if (m_list->At(i).data == bp) at = i;
    if (at >= 0) {
      m_list->Insert(at, line);
      m_list->Remove(at + 1);
    } else {
      bp->number = uint32_t(m_list->Count());
      m_list->Insert(-1, BpCheckList::Line{Line(*bp), line.checked, bp});
    }
  }
  m_list->Select(-1);
  m_kill->setEnabled(false);
  m_command->clear();
  m_expr->clear();
  m_read->setChecked(false);
  m_write->setChecked(false);
  UpdateSizeControls();
}

void BreakpointsDialog::KillSelected() {
  const int row = m_list->Selected();
  DebugInterface* r = m_ctx.R();
  if (row < 0 || !r || !r->DbgBreakpointList) return m_ctx.Beep();
  r->DbgBreakpointList(kDbgBpListKill, 0, 0, m_list->At(row).data);
  m_list->Remove(row);
  m_kill->setEnabled(false);
  if (m_list->Count() > 0) m_list->Select(m_list->Count() - 1);
}

void BreakpointsDialog::KillAll() {
  DebugInterface* r = m_ctx.R();
  if (r && r->DbgBreakpointList) {
    int n = 0;
    for (DbgBreakpointRecord* bp = Head(); bp && n < kMaxBreakpoints; ++n) {
      DbgBreakpointRecord* next = bp->next;
      r->DbgBreakpointList(kDbgBpListKill, 0, 0, bp);
      bp = next;
    }
  }
  Fill();
}

void BreakpointsDialog::Close() {
  if (m_closing) return;
  m_closing = true;
  Renumber();
  if (DebugInterface* r = m_ctx.R(); r && r->DbgBreakpointList) r->DbgBreakpointList(kDbgBpListClose, 0, 0, nullptr);
  if (m_ctx.service) m_ctx.service(14, 0);
  accept();
}

void BreakpointsDialog::reject() { Close(); }

void BreakpointsDialog::Refresh() {
  if (m_closing) return;
  Renumber();
  Fill();
}

void BreakpointsDialog::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    if (!m_expr->text().isEmpty())
      Define();
    else
      Close();
    return;
  }
  if (e->key() == Qt::Key_Escape) return Close();
  QDialog::keyPressEvent(e);
}

void BreakpointsDialog::resizeEvent(QResizeEvent*) { Layout(); }

// The one geometry: the list across the top, the definition fields below
// in two columns, the buttons along the bottom.
void BreakpointsDialog::Layout() {
  const int w = width(), h = height(), m = 8;
  const int rowH = m_expr->sizeHint().height();
  const int fieldsH = 4 * (rowH + 4);
  const int buttonsH = m_define->sizeHint().height();
  const int labelW = 90;
  m_labels[0]->setGeometry(m, m, w - 2 * m, rowH);
  const int listBottom = h - m - buttonsH - m - fieldsH - m;
  m_list->setGeometry(m, m + rowH, w - 2 * m, std::max(40, listBottom - m - rowH));
  int y = listBottom + m;
  const int fieldW = w - 2 * m - labelW;
  m_labels[1]->setGeometry(m, y, labelW, rowH);
  m_expr->setGeometry(m + labelW, y, fieldW, rowH);
  y += rowH + 4;
  m_labels[2]->setGeometry(m, y, labelW, rowH);
  m_count->setGeometry(m + labelW, y, 70, rowH);
  m_labels[5]->setGeometry(m + labelW + 90, y, 40, rowH);
  m_size->setGeometry(m + labelW + 130, y, 70, rowH);
  m_bytes->setGeometry(m + labelW + 210, y, 70, rowH);
  m_objects->setGeometry(m + labelW + 280, y, 80, rowH);
  m_count->setGeometry(m + labelW, y, 70 - 16, rowH);
  m_size->setGeometry(m + labelW + 130, y, 70 - 16, rowH);
  static_cast<UpDown*>(m_countUpDown)->Place();
  static_cast<UpDown*>(m_sizeUpDown)->Place();
  y += rowH + 4;
  m_labels[3]->setGeometry(m, y, labelW, rowH);
  m_command->setGeometry(m + labelW, y, fieldW, rowH);
  y += rowH + 4;
  m_labels[4]->setGeometry(m, y, labelW, rowH);
  m_read->setGeometry(m + labelW, y, 80, rowH);
  m_write->setGeometry(m + labelW + 80, y, 80, rowH);
  int x = m;
  const int bw = (w - 2 * m - 3 * m) / 4;
  for (QPushButton* b : {m_define, m_kill, m_killAll, m_close}) {
    b->setGeometry(x, h - m - buttonsH, bw, buttonsH);
    x += bw + m;
  }
}

}  // namespace pm2
