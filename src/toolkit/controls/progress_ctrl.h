#pragma once
// SECProgressCtrl: a self-drawn progress bar, horizontal or vertical,
// filling from either end, with the percentage or a caption drawn in
// inverted colours across the fill boundary, and a timer that steps it.
// Style 0x10000 hands painting back to the platform's progress bar look.

#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "toolkit/core/geometry.h"
#include "toolkit/core/sys_colors.h"

namespace pm2 {

namespace progress {
constexpr std::uint32_t kVertical = 0x1, kFromRight = 0x10, kFromTop = 0x20, kPercent = 0x100,
                        kCaption = 0x200, kTextLeft = 0x1000, kTextRight = 0x2000, kDefault = 0x4000,
                        kNative = 0x10000;
}

class SECProgressCtrl : public QWidget {
 public:
  explicit SECProgressCtrl(QWidget* parent = nullptr);

  void SetBarStyle(std::uint32_t style);
  void SetRange(int lower, int upper);
  // Returns the old position; `pump` repaints at once.
  int SetPos(int pos, bool pump = false);
  int GetPos() const { return m_nPos; }
  int OffsetPos(int delta, bool pump = false);
  int SetStep(int step);
  int StepIt(bool pump = false);
  void Reset();
  void SetColors(Color bar, Color background);
  void SetCaption(const QString& text) { m_strCaption = text; }
  QString GetCaption() const { return m_strCaption; }
  // True when stepping runs (or stopped by a zero period); false at the end.
  bool SetTimerSpeed(int periodMs);
  bool TimerRunning() const { return m_timer.isActive(); }

  double GetPercent() const;
  void CalcBarRects(double percent, Rect* filled, Rect* empty) const;
  // The text drawn for `percent`; empty when none is shown.
  QString BarText(double percent) const;
  // The system colours changed: reload the colour record and repaint.
  void OnSysColorChange();

 protected:
  virtual void FormatText(QString& /*text*/) {}
  bool event(QEvent*) override;
  void paintEvent(QPaintEvent*) override;
  void showEvent(QShowEvent*) override;
  void hideEvent(QHideEvent*) override;

 private:
  void Changed(bool pump);
  int m_nPos = 0;
  int m_nStep = 10;
  int m_nLower = 0;
  int m_nUpper = 100;
  Color m_clrBar = MakeRgb(0, 0, 0x80);
  Color m_clrBk = MakeRgb(255, 255, 255);
  bool m_bVisible = true;
  QString m_strCaption;
  std::uint32_t m_dwStyle = progress::kDefault | progress::kPercent;
  QTimer m_timer;
};

}  // namespace pm2
