#pragma once
// The printing layer of the list and tree views on Qt: it stands between a
// print job (list_print_job.h) and a QPrinter. It scales the printer so
// that one logical unit is one screen pixel, lends the engine the page and
// the printer fonts for the length of the job, and paints each page with
// the control's own row painting (header first on every page of a report
// list).

#include <QFont>
#include <string>
#include <vector>

#include "toolkit/views/list_print_job.h"

class QPrinter;
class QPrintDialog;
class QWidget;

namespace pm2 {

class ListViewImpl;

class ListPrintLayer : public ListPrintHost {
 public:
  ListPrintLayer(SECListBaseC& engine, ListViewImpl& view, QWidget* widget);

  // Prints (or, with `preview`, renders for a preview) every page to
  // `printer`. False, with `error` in the system's words, when the
  // printer cannot start or no printer font can be made.
  bool Print(QPrinter& printer, bool preview, std::string* error);
  // Pages the last job painted.
  int PagesPainted() const { return int(m_pageTops.size()); }
  // The first row of each page the last job painted.
  const std::vector<int>& PageTops() const { return m_pageTops; }
  bool Printing() const { return m_job.Printing(); }
  SECListPrintJob& Job() { return m_job; }

  // The print command: the print dialog (all pages only), then the job.
  void OnFilePrint();
  // The preview command: a preview window over the same job.
  void OnFilePrintPreview();
  // The print dialog offers neither a page range nor the selection.
  static void PreparePrintDialog(QPrintDialog& dialog);

  // --- ListPrintHost ---
  void SetDrawRect(const Rect* page) override;
  bool CreatePrintFonts() override;
  void UsePrintFonts(bool on) override;
  bool DeletePrintFonts() override;
  void Repaint() override;

 private:
  void PaintPage(class QPainter& p);

  SECListBaseC& m_engine;
  ListViewImpl& m_view;
  QWidget* m_widget;
  SECListPrintJob m_job;
  QFont m_printFont;
  QFont m_screenFont;
  bool m_haveFont = false;
  std::vector<int> m_pageTops;
};

}  // namespace pm2
