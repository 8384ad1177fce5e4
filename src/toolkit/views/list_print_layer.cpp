#include "toolkit/views/list_print_layer.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWidget>

#include "toolkit/controls/list_view_impl.h"

namespace pm2 {

ListPrintLayer::ListPrintLayer(SECListBaseC& engine, ListViewImpl& view, QWidget* widget)
    : m_engine(engine), m_view(view), m_widget(widget), m_job(engine, *this) {}

void ListPrintLayer::SetDrawRect(const Rect* page) { m_view.SetDrawRect(page); }

bool ListPrintLayer::CreatePrintFonts() {
  // The printer fonts are the screen's in logical units (pixels): the
  // printer's scaling makes their sizes right. A font given in points is
  // turned into pixels of this screen; without a family the 11-point
  // "Times New Roman" stands in.
  QFont f = m_view.Measurer().FontFor({});
  const int dpi = std::max(1, m_widget->logicalDpiY());
  if (f.family().isEmpty()) {
    f = QFont("Times New Roman");
    f.setPixelSize(11 * dpi / 72);
  } else if (f.pixelSize() <= 0) {
    f.setPixelSize(std::max(1, int(f.pointSizeF() * dpi / 72.0 + 0.5)));
  }
  m_printFont = f;
  m_haveFont = true;
  return true;
}

void ListPrintLayer::UsePrintFonts(bool on) {
  if (on) {
    m_screenFont = m_view.Measurer().FontFor({});
    m_view.Measurer().SetFont(m_printFont);
  } else {
    m_view.Measurer().SetFont(m_screenFont);
  }
}

bool ListPrintLayer::DeletePrintFonts() {
  const bool had = m_haveFont;
  m_haveFont = false;
  m_printFont = QFont();
  return had;
}

void ListPrintLayer::Repaint() { m_widget->update(); }

void ListPrintLayer::PaintPage(QPainter& p) {
  p.save();
  // Only the rows that fit whole: the row cut at the page bottom opens the
  // next page. A row taller than the page is cut at its bottom.
  QRect clip = ToQRect(m_job.PrintPage());
  const int top = m_engine.GetTopIndex();
  const int last = m_engine.GetBottomIndex();
  if (!m_engine.IsIconLayout() && last >= top && m_engine.GetItemCount() > 0) {
    clip.setBottom(m_engine.GetInsideRect().top + m_engine.GetItemsHeight(top, last, true) - 1);
  }
  p.setClipRect(clip);
  m_view.PaintForPrint(p);
  p.restore();
  m_pageTops.push_back(top);
}

bool ListPrintLayer::Print(QPrinter& printer, bool preview, std::string* error) {
  m_pageTops.clear();
  QPainter p;
  if (!p.begin(&printer)) {
    const QString name = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    if (error) *error = "Cannot print to '" + FromQString(name) + "'.";
    return false;
  }
  PrintScale scale;
  scale.screenDpiX = std::max(1, m_widget->logicalDpiX());
  scale.screenDpiY = std::max(1, m_widget->logicalDpiY());
  scale.printerDpiX = std::max(1, printer.logicalDpiX());
  scale.printerDpiY = std::max(1, printer.logicalDpiY());
  const QRect device = printer.pageLayout().paintRectPixels(printer.resolution());
  if (!m_job.Begin(scale.PageInLogical(device.width(), device.height()), preview)) {
    m_job.End();
    p.end();
    if (error) *error = "No font can be made for the printer.";
    return false;
  }
  p.scale(double(scale.printerDpiX) / scale.screenDpiX, double(scale.printerDpiY) / scale.screenDpiY);
  if (preview) {
    for (int page = 1; page <= m_job.MaxPage(); ++page) {
      m_job.GoToPage(page);
      if (page > 1) printer.newPage();
      PaintPage(p);
    }
  } else {
    PaintPage(p);
    while (m_job.NextPage()) {
      printer.newPage();
      PaintPage(p);
    }
  }
  m_job.End();
  return p.end();
}

void ListPrintLayer::PreparePrintDialog(QPrintDialog& dialog) {
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  dialog.setPrintRange(QAbstractPrintDialog::AllPages);
}

void ListPrintLayer::OnFilePrint() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, m_widget);
  PreparePrintDialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return;
  Print(printer, false, nullptr);
}

void ListPrintLayer::OnFilePrintPreview() {
  QPrintPreviewDialog dialog(m_widget);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, m_widget,
                   [this](QPrinter* printer) { Print(*printer, true, nullptr); });
  dialog.exec();
}

}  // namespace pm2
