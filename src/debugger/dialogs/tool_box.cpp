#include "debugger/dialogs/tool_box.h"

#include <QCloseEvent>

#include <QLabel>
#include <QPushButton>

namespace pm2 {

ToolBox::ToolBox(DebugDialogContext ctx, const std::vector<ToolButton>& buttons, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_ctx(std::move(ctx)), m_update(new QPushButton(kUpdateWindowsLabel, this)) {
  setObjectName("ToolBox");
  setWindowTitle("Toolbox");
  m_update->setObjectName("ToolBoxUpdate");
  connect(m_update, &QPushButton::clicked, this, [this] { ClickUpdate(); });
  for (int i = 0; i < ToolBoxButtons::kMax; ++i) {
    auto* b = new QPushButton(this);
    b->setObjectName(QString("ToolButton%1").arg(i + 1));
    connect(b, &QPushButton::clicked, this, [this, i] { Click(i); });
    m_slots.push_back(b);
    m_numbers.push_back(new QLabel(QString::number(i + 1), this));
  }
  m_buttons.Assign(buttons);
  Layout();
}

int ToolBox::AddButton(const std::string& label, const std::string& command) {
  const int done = m_buttons.Add(label, command);
  if (!done) m_ctx.Beep();
  Layout();
  return done;
}

int ToolBox::RemoveButton(uint32_t n) {
  const int done = m_buttons.Remove(n);
  if (!done) m_ctx.Beep();
  Layout();
  return done;
}

void ToolBox::ClickUpdate() {
  DebugInterface* r = m_ctx.R();
  const uint32_t flags = r ? r->flags : 0;
  if ((flags & kDbgFlagExecuting) && (flags & 0x1800) != 0x1800) return m_ctx.Beep();
  if (m_ctx.service) m_ctx.service(310, 1);
}

void ToolBox::Click(int slot) {
  if (slot < 0 || slot >= m_buttons.Count()) return m_ctx.Beep();
  const ToolButton& button = m_buttons.Buttons()[std::size_t(slot)];
  const std::string command = ToolButtonCommand(button);
  // The command is what the user typed with DEFINE BUTTON: it runs as
  // typed. One the project's options file brought is shown first and runs
  // only when the user says so: No is the default, so Return runs nothing.
  if (command.empty() || !(m_ctx.typeCommand || m_ctx.sendCommand)) return m_ctx.Beep();
  if (button.fromProject) {
    if (!m_ctx.dialogs || m_ctx.dialogs->MessageBoxOf(static_cast<QWidget*>(this),
                                                      StoredButtonQuestion(button.label, command),
                                                      kMbYesNo | kMbIconQuestion | kMbDefButton2) != kIdYes)
      return;
    m_buttons.Confirm(slot);
  }
  if (m_ctx.typeCommand)
    m_ctx.typeCommand(command);
  else
    m_ctx.sendCommand(command);
}

// The one geometry: the update button on top, the user buttons below it,
// each with its number at the left; the box as high as its buttons.
void ToolBox::Layout() {
  const QSize hint = m_update->sizeHint();
  const int bw = std::max(hint.width(), 110), bh = hint.height();
  const int numberW = bw / 3;
  m_update->setGeometry(numberW / 2, 4, bw, bh);
  const ToolBoxSize size = ToolBoxLayout(0, 4 + bh, bw, bh, m_buttons.Count());
  for (int i = 0; i < ToolBoxButtons::kMax; ++i) {
    const bool used = i < m_buttons.Count();
    m_slots[std::size_t(i)]->setVisible(used);
    m_numbers[std::size_t(i)]->setVisible(used);
    if (!used) continue;
    const int y = 4 + bh + i * bh;
    m_numbers[std::size_t(i)]->setGeometry(2, y, numberW - 4, bh);
    m_slots[std::size_t(i)]->setGeometry(numberW, y, bw, bh);
    m_slots[std::size_t(i)]->setText(QString::fromLocal8Bit(m_buttons.Buttons()[std::size_t(i)].label.c_str()));
  }
  setFixedSize(size.width, size.height);
}

void ToolBox::closeEvent(QCloseEvent* e) {
  if (closing) closing(m_buttons);
  QWidget::closeEvent(e);
}

}  // namespace pm2
