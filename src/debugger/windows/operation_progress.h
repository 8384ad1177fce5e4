// The progress of a long operation that runs on the GUI thread, as the
// window doing it sees it. The program's answer is its progress dialog:
// shown only once the operation has lasted a while, holding the main
// window meanwhile, pumping events at each update, with a Cancel button.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace pm2 {

class OperationProgress {
 public:
  virtual ~OperationProgress() = default;
  // The line above the bar (the step under way).
  virtual void SetText(const std::string& text) = 0;
  // The bar at `position` of 0..maximum; false once the user cancelled
  // (or the program is asked to end): the operation stops.
  virtual bool Update(int position, int maximum) = 0;
};

// Makes the progress of one operation: (title, cancel button's text).
using OperationProgressFactory =
    std::function<std::unique_ptr<OperationProgress>(const std::string& title, const std::string& cancelText)>;

}  // namespace pm2
