#pragma once
// The print job of a list or tree view, without a printer: while a job
// runs the engine lays its rows out on the page (the host's drawing area
// becomes the page, the printer fonts measure), pages are found by
// stepping the top row from page to page, and at the end the screen's top
// row, fonts and layout come back. Every page holds at least one row, so a
// row taller than the page still ends the job.

#include "toolkit/core/geometry.h"
#include "toolkit/models/list_engine.h"

namespace pm2 {

// What the job needs of the view that hosts the list.
class ListPrintHost {
 public:
  virtual ~ListPrintHost() = default;
  // The engine's drawing area: the page, or (null) the window again.
  virtual void SetDrawRect(const Rect* page) = 0;
  // Builds the item and header fonts for the printer; false when not even
  // the fallback font can be made.
  virtual bool CreatePrintFonts() = 0;
  // Lays out and paints with the printer fonts (true) or the screen's.
  virtual void UsePrintFonts(bool on) = 0;
  // True when both fonts existed and were deleted.
  virtual bool DeletePrintFonts() = 0;
  // The window repaints in full.
  virtual void Repaint() = 0;
};

// The printer's scale: one logical unit is one screen pixel, so the list
// prints at the size it has on screen.
struct PrintScale {
  int screenDpiX = 96;
  int screenDpiY = 96;
  int printerDpiX = 600;
  int printerDpiY = 600;
  // The printable area (device pixels) in logical units.
  Rect PageInLogical(int horzRes, int vertRes) const;
  int ToDeviceY(int logical) const { return logical * printerDpiY / screenDpiY; }
};

class SECListPrintJob {
 public:
  SECListPrintJob(SECListBaseC& list, ListPrintHost& host) : m_list(list), m_host(host) {}
  SECListPrintJob(const SECListPrintJob&) = delete;
  SECListPrintJob& operator=(const SECListPrintJob&) = delete;

  // Starts a job on `page` (logical units). False, with nothing changed
  // but the top row saved and set to 0, when no printer font can be made:
  // the job then prints nothing. A preview counts its pages at once.
  bool Begin(const Rect& page, bool preview);
  // Moves the top row to the first row of the next page; false when the
  // current page holds the last row.
  bool NextPage();
  // Puts the top row on the first row of page `page` (1-based), found by
  // stepping from the first page, so a page shows the same rows whatever
  // order pages are asked in.
  bool GoToPage(int page);
  // Ends the job (also one whose Begin failed): the screen's top row,
  // fonts and drawing area come back and the window repaints.
  void End();

  bool Printing() const { return m_printing; }
  // Pages a preview counted (0 when printing for real).
  int MaxPage() const { return m_maxPage; }
  int CurrentPage() const { return m_curPage; }
  const Rect& PrintPage() const { return m_page; }

 private:
  void SetTop(int row);

  SECListBaseC& m_list;
  ListPrintHost& m_host;
  Rect m_page;
  bool m_printing = false;
  bool m_begun = false;
  int m_oldTop = 0;
  int m_curPage = 0;
  int m_maxPage = 0;
};

}  // namespace pm2
