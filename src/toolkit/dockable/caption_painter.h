#pragma once
// A caption drawn by the window itself, with the caption-button filters:
// QtFilterWindow gives the filters a widget's styles, places and timers,
// and PaintCaptionButton draws one button in the classic look (close,
// minimise, maximise, restore, help, and the placement button's arrow).

#include <QPointer>
#include <QWidget>
#include <functional>

#include "toolkit/filters/caption_controls.h"

class QPainter;

namespace pm2 {

void PaintCaptionButton(QPainter& p, const QRect& r, unsigned type, unsigned state);

class QtFilterWindow : public FilterWindow {
 public:
  using Sender = std::function<std::intptr_t(unsigned, std::uintptr_t, std::intptr_t)>;
  QtFilterWindow(QWidget* w, std::uint32_t style, std::uint32_t exStyle) : m_w(w), m_style(style), m_ex(exStyle) {}
  void SetSender(Sender send, Sender post) {
    m_send = std::move(send);
    m_post = std::move(post);
  }
  // Where the client area starts inside the widget.
  void SetClientOffset(QPoint p) { m_client = p; }
  void SetMetrics(const CaptionMetrics& m) { m_metrics = m; }
  void SetStyle(std::uint32_t style, std::uint32_t exStyle) {
    m_style = style;
    m_ex = exStyle;
  }
  // Where the window's top-left corner lies relative to the widget's; a
  // window whose caption is drawn above the widget starts above it.
  void SetWindowOffset(QPoint p) { m_origin = p; }
  // The window's size beyond the widget's (a caption above it).
  void SetExtraSize(QSize s) { m_extra = s; }

  std::uint32_t Style() const override { return m_style; }
  std::uint32_t ExStyle() const override { return m_ex; }
  Size WindowSize() const override {
    return m_w ? Size{m_w->width() + m_extra.width(), m_w->height() + m_extra.height()} : Size{};
  }
  Point WindowOrigin() const override;
  Point ClientOrigin() const override;
  const CaptionMetrics& Metrics() const override { return m_metrics; }
  bool Exists() const override { return !m_w.isNull(); }
  void DrawFrameControl(const Rect&, unsigned, unsigned) override;
  void SetCapture(bool on) override;
  void PostMessage(unsigned msg, std::uintptr_t w, std::intptr_t l) override;
  std::intptr_t SendMessage(unsigned msg, std::uintptr_t w, std::intptr_t l) override;
  std::unique_ptr<FilterTimer> StartTimer(int ms, std::function<void()> fire) override;

 private:
  QPointer<QWidget> m_w;
  std::uint32_t m_style, m_ex;
  QPoint m_client;
  QPoint m_origin;
  QSize m_extra;
  CaptionMetrics m_metrics;
  Sender m_send, m_post;
};

}  // namespace pm2
