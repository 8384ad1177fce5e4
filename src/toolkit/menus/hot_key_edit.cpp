#include "toolkit/menus/hot_key_edit.h"

#include <QKeyEvent>
#include <QPainter>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/menus/accel.h"
#include "toolkit/menus/key_assign_model.h"
#include "toolkit/menus/qt_keys.h"

namespace pm2 {

SECHotKeyEdit::SECHotKeyEdit(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setFont(DefaultGuiFont());
  setAttribute(Qt::WA_InputMethodEnabled, false);
}

void SECHotKeyEdit::SetHotKey(std::uint32_t hotKey) {
  m_hotKey = hotKey;
  update();
}

void SECHotKeyEdit::SetRules(std::uint16_t invalidCombinations, std::uint16_t defaultModifiers) {
  m_invalid = invalidCombinations;
  m_defaultModifiers = defaultModifiers;
}

QSize SECHotKeyEdit::sizeHint() const { return {160, fontMetrics().height() + 8}; }

bool SECHotKeyEdit::event(QEvent* e) {
  // Tab and Shift+Tab move the focus as in any dialog; every other key,
  // Ctrl+Tab included, is ours.
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
    if (tab && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return QWidget::event(e);
    keyPressEvent(k);
    return true;
  }
  if (e->type() == QEvent::ShortcutOverride) {
    e->accept();
    return true;
  }
  return QWidget::event(e);
}

void SECHotKeyEdit::keyPressEvent(QKeyEvent* e) {
  const std::uint32_t hotKey = HotKeyOf(e->key(), e->modifiers());
  if (hotKey == 0) return;  // a modifier alone
  m_hotKey = ApplyHotKeyRules(hotKey, m_invalid, m_defaultModifiers);
  update();
  if (onChanged) onChanged();
}

QString SECHotKeyEdit::Text() const {
  std::string name;
  return GetKeyName(m_hotKey, &name) ? ToQString(name) : QStringLiteral("None");
}

void SECHotKeyEdit::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), SysQColor(SysColor::Window));
  DrawClassicFrame(p, rect(), true);
  p.setPen(SysQColor(SysColor::WindowText));
  const QRect text = rect().adjusted(4, 2, -4, -2);
  p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, Text());
  if (hasFocus()) {
    const int x = text.left() + fontMetrics().horizontalAdvance(Text()) + 1;
    p.drawLine(x, text.top() + 2, x, text.bottom() - 2);
  }
}

}  // namespace pm2
