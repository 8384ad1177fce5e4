#pragma once
// SECListView and SECTreeView: the list and tree engines hosted as the
// view of a document frame. Each is its control (same engine, same
// painting, same input) plus the view's part: the print and print-preview
// commands routed to it as a command target, and a print layer that lends
// the engine the page while a job runs. While a job runs the window is not
// painted, so the screen never shows the printer's fonts or page layout.

#include <QPaintEvent>

#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/tree_ctrl.h"
#include "toolkit/core/commands.h"
#include "toolkit/views/list_print_layer.h"

namespace pm2 {

constexpr CommandId kIdFilePrint = 57607;
constexpr CommandId kIdFilePrintPreview = 57609;

// The view half, over either control.
template <class Control>
class ListViewHost : public Control, public CommandTarget {
 public:
  ListViewHost(QWidget* parent, unsigned style, unsigned exStyle)
      : Control(parent, style, exStyle), m_print(*this, this->View(), this) {
    this->OnCommand(kIdFilePrint, [this](CommandId) { m_print.OnFilePrint(); });
    this->OnCommand(kIdFilePrintPreview, [this](CommandId) { m_print.OnFilePrintPreview(); });
  }

  ListPrintLayer& PrintLayer() { return m_print; }
  bool Print(QPrinter& printer, bool preview, std::string* error) { return m_print.Print(printer, preview, error); }

 protected:
  void paintEvent(QPaintEvent* e) override {
    if (m_print.Printing()) return;
    Control::paintEvent(e);
  }

  ListPrintLayer m_print;
};

class SECListView : public ListViewHost<SECListCtrl> {
 public:
  explicit SECListView(QWidget* parent = nullptr, unsigned style = LVS_REPORT, unsigned exStyle = 0);
  ~SECListView() override;
};

class SECTreeView : public ListViewHost<SECTreeCtrl> {
 public:
  explicit SECTreeView(QWidget* parent = nullptr, unsigned style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                       unsigned exStyle = 0);
  ~SECTreeView() override;
};

}  // namespace pm2
