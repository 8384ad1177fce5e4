#include "options/pages/up_down_edit.h"

#include <algorithm>

#include "options/core/number_entry.h"
#include "options/pages/page_text.h"

namespace pm2 {

UpDownEdit::UpDownEdit(QWidget* parent) : QAbstractSpinBox(parent) {
  setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  setKeyboardTracking(true);
}

void UpDownEdit::SetRange(int low, int high) {
  m_low = low;
  m_high = std::max(low, high);
}

bool UpDownEdit::Current(int* value) const {
  uint32_t v = 0;
  if (!ReadNumberField(FromQ(lineEdit()->text()), 0, 0x7FFFFFFF, &v)) return false;
  *value = int(v);
  return true;
}

void UpDownEdit::stepBy(int steps) {
  int value = 0;
  if (!Current(&value)) value = steps > 0 ? m_low - steps : m_high - steps;
  const int next = std::clamp(value + steps, m_low, m_high);
  lineEdit()->setText(QString::number(next));
  lineEdit()->selectAll();
  emit stepped();
}

QAbstractSpinBox::StepEnabled UpDownEdit::stepEnabled() const {
  int value = 0;
  if (!Current(&value)) return StepUpEnabled | StepDownEnabled;
  StepEnabled e = StepNone;
  if (value < m_high) e |= StepUpEnabled;
  if (value > m_low) e |= StepDownEnabled;
  return e;
}

QValidator::State UpDownEdit::validate(QString&, int&) const { return QValidator::Acceptable; }

void UpDownEdit::fixup(QString&) const {}

}  // namespace pm2
