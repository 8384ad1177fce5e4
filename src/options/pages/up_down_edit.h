// A number field with an up-down control beside it (the listing page's
// page width, page length and tab space): the arrows, the Up and Down keys
// and the wheel step the number within a range, while the text stays free
// as typed, so the page's own check on leaving judges it and names the
// field.
#pragma once

#include <QAbstractSpinBox>
#include <QLineEdit>

namespace pm2 {

class UpDownEdit : public QAbstractSpinBox {
  Q_OBJECT
 public:
  explicit UpDownEdit(QWidget* parent = nullptr);
  void SetRange(int low, int high);
  int Low() const { return m_low; }
  int High() const { return m_high; }
  QLineEdit* Edit() const { return lineEdit(); }
  // Steps the number in the field; a field without a number starts at the
  // end of the range it steps towards.
  void stepBy(int steps) override;

 signals:
  // The number was stepped (typing raises the edit's own textEdited).
  void stepped();

 protected:
  StepEnabled stepEnabled() const override;
  QValidator::State validate(QString& text, int& pos) const override;
  void fixup(QString& text) const override;

 private:
  // The number in the field, false when there is none.
  bool Current(int* value) const;

  int m_low = 0;
  int m_high = 99;
};

}  // namespace pm2
