// The read-only view of a tool's command line on the compiler, assembler
// and linker pages. Setting the text only stores it and asks for a paint,
// so a preview rebuilt on every key press costs no text layout until the
// window paints; painting wraps the line anywhere, as a command line has
// few blanks to break at.
#pragma once

#include <QFrame>
#include <QString>

namespace pm2 {

class PreviewView : public QFrame {
  Q_OBJECT
 public:
  explicit PreviewView(QWidget* parent = nullptr);
  void SetText(const QString& text);
  const QString& Text() const { return m_text; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  // Where the text goes: the frame's contents less a small margin.
  QRect TextRect() const;

  QString m_text;
};

}  // namespace pm2
