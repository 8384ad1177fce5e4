#pragma once
// SECHotKeyEdit: the hot-key control of the key-assignment dialog. It
// takes the next key combination typed into it (Tab still moves the focus),
// applies its combination rules and shows the keys' names.

#include <QWidget>
#include <cstdint>
#include <functional>

namespace pm2 {

class SECHotKeyEdit : public QWidget {
 public:
  explicit SECHotKeyEdit(QWidget* parent = nullptr);

  std::uint32_t HotKey() const { return m_hotKey; }
  // Sets the value without telling onChanged.
  void SetHotKey(std::uint32_t hotKey);
  void SetRules(std::uint16_t invalidCombinations, std::uint16_t defaultModifiers);

  // Called after every key the user typed into it.
  std::function<void()> onChanged;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void paintEvent(QPaintEvent*) override;
  void focusInEvent(QFocusEvent*) override { update(); }
  void focusOutEvent(QFocusEvent*) override { update(); }

 private:
  QString Text() const;

  std::uint32_t m_hotKey = 0;
  std::uint16_t m_invalid = 0;
  std::uint16_t m_defaultModifiers = 0;
};

}  // namespace pm2
