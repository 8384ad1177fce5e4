#include "shell/app/status_progress.h"

#include <utility>

namespace pm2 {

StatusProgress::StatusProgress(std::function<int(const std::string&)> measure)
    : m_measure(std::move(measure)) {}

StatusProgress::Result StatusProgress::Apply(const ProgressRequest& r) {
  switch (r.kind) {  // the five kinds of the request; each row acts on the model
    case kProgressStart:
    case kProgressStartAlt:
      m_message = (r.label && *r.label) ? r.label : kDefaultLabel;
      m_low = r.low;
      m_high = r.high;
      m_position = r.low;
      m_style = r.kind == kProgressStart ? 256 : 512;
      m_barX = (m_measure ? m_measure(m_message) : 0) + kGap;
      m_barText.clear();
      m_shown = true;
      return Result::Changed;
    case kProgressEnd:
      return Result::EndPending;
    case kProgressPosition:
    case kProgressPositionText:
      if (!m_shown) return Result::Ignored;
      m_position = ClampProgress(r.position, m_low, m_high);
      if (r.kind == kProgressPositionText) m_barText = r.text ? r.text : "";
      return Result::Changed;
    default:
      return Result::Ignored;
  }
}

void StatusProgress::FinishEnd() {
  m_message = kReadyText;
  m_shown = false;
  m_position = 0;
  m_barText.clear();
}

}  // namespace pm2
