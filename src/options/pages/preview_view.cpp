#include "options/pages/preview_view.h"

#include <QPainter>

namespace pm2 {

PreviewView::PreviewView(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PreviewView::SetText(const QString& text) {
  m_text = text;
  update();
}

QRect PreviewView::TextRect() const { return contentsRect().adjusted(4, 3, -4, -3); }

QSize PreviewView::sizeHint() const { return QSize(300, fontMetrics().height() * 5 + 6); }

void PreviewView::paintEvent(QPaintEvent* e) {
  QFrame::paintEvent(e);
  QPainter p(this);
  p.setPen(palette().color(QPalette::Text));
  p.drawText(TextRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, m_text);
}

}  // namespace pm2
