// The status bar's progress indicator as service code 43 drives it, without
// a window: the text of the message pane, the bar's range, position, text,
// display style and place, and whether it shows. The main frame's status
// bar paints what this model says.
//
// Start (kind 1 or 4): the label (a default when null or empty) goes into
// the message pane; the bar takes low..high at position low, sits 10 pixels
// right of the label's text, 280 pixels wide, without text, and shows;
// kind 1 and 4 choose the display styles 256 and 512. Position (3) and
// position with text (5) act only while the bar shows: the position is
// raised to low and cut to high; 5 also sets the bar's text. End (2): after
// 200 ms the pane says "Ready", the bar hides and the position is
// forgotten. Kinds outside 1..5 do nothing.
#pragma once

#include <functional>
#include <string>

#include "platform/progress_request.h"

namespace pm2 {

class StatusProgress {
 public:
  static constexpr int kGap = 10;         // between the label's text and the bar
  static constexpr int kBarWidth = 280;
  static constexpr int kEndDelayMs = 200;
  static constexpr const char* kDefaultLabel = "Please wait...";
  static constexpr const char* kReadyText = "Ready";

  // measure: the width in pixels of a text in the message pane's font.
  explicit StatusProgress(std::function<int(const std::string&)> measure);

  enum class Result {
    Ignored,      // nothing changed
    Changed,      // repaint what the model says
    EndPending,   // call FinishEnd after kEndDelayMs
  };
  Result Apply(const ProgressRequest& request);
  // The delayed part of an end request.
  void FinishEnd();

  bool Shown() const { return m_shown; }
  const std::string& Message() const { return m_message; }
  int Low() const { return m_low; }
  int High() const { return m_high; }
  int Position() const { return m_position; }
  int Style() const { return m_style; }
  const std::string& BarText() const { return m_barText; }
  int BarX() const { return m_barX; }  // from the message pane's left edge

 private:
  std::function<int(const std::string&)> m_measure;
  bool m_shown = false;
  std::string m_message;
  int m_low = 0, m_high = 100, m_position = 0, m_style = 0, m_barX = 0;
  std::string m_barText;
};

}  // namespace pm2
