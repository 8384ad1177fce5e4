// The in-place cell editors: CInPlaceEdit (a text edit), CInPlaceSpinEdit
// (a number with a spin button) and CInPlaceList (a drop-down list). Each
// is created over a cell, takes the focus, ends on a key or on losing the
// focus, reports the end key and the final text to its owner once, and
// then deletes itself. The key rules are inplace_rules.h's.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/models/inplace_rules.h"

namespace pm2 {

// The owner's answer: control id, end key (13, 27, 9 or a navigation key;
// 0 when the focus left) and the final text. Called once per editor.
using InPlaceResult = std::function<void(unsigned id, int endKey, const std::string& text)>;

// The virtual-key code of a Qt key (0 for keys the editors do not know).
int InPlaceVirtualKey(int qtKey);

class CInPlaceEdit : public QLineEdit {
 public:
  CInPlaceEdit(QWidget* parent, const QRect& cell, unsigned id, const std::string& text, int startKey,
               InPlaceResult result);
  const InPlaceEndRecord& Record() const { return m_record; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  bool event(QEvent* e) override;

 private:
  void End();
  void Widen();
  unsigned m_id;
  InPlaceResult m_result;
  InPlaceEndRecord m_record;
};

class CInPlaceSpinEdit : public QSpinBox {
 public:
  // The range is minimum..maximum when minimum is below maximum, else 0..32767.
  CInPlaceSpinEdit(QWidget* parent, const QRect& cell, unsigned id, int minimum, int maximum,
                   const std::string& text, int startKey, InPlaceResult result);
  const InPlaceEndRecord& Record() const { return m_record; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  bool event(QEvent* e) override;

 private:
  void End();
  unsigned m_id;
  InPlaceResult m_result;
  InPlaceEndRecord m_record;
};

class CInPlaceList : public QComboBox {
 public:
  CInPlaceList(QWidget* parent, const QRect& cell, unsigned id, const std::vector<std::string>& entries,
               const std::string& text, int startKey, InPlaceResult result);
  const InPlaceEndRecord& Record() const { return m_record; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  bool event(QEvent* e) override;

 private:
  void End();
  unsigned m_id;
  InPlaceResult m_result;
  InPlaceEndRecord m_record;
};

}  // namespace pm2
