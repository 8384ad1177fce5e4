// Printing an editor text: page header and footer with their rules, the
// lines of each page with tabs expanded and long lines wrapped, onto any
// paint device (a printer, a PDF file, a preview, an image).
#pragma once

#include <QFont>
#include <ctime>
#include <string>
#include <vector>

#include "editor/document/page_setup.h"
#include "editor/document/print_layout.h"

class QPainter;
class QPrinter;
class QWidget;

namespace pm2 {

class CEditTextBuffer;
class EditorView;
class SettingsStore;

struct PrintJob {
  const CEditTextBuffer* text = nullptr;
  std::string path;         // the document's path
  std::string title;        // used when the path is empty
  PageSetup setup;
  QFont font;               // the screen font; sized in points, it scales
  int firstLine = 1;        // the selection's lines when printing a selection
  int lastLine = 0;         // 0: to the end
  std::time_t fileTime = 0; // the file's modification time
  std::time_t now = 0;      // the time of printing
};

// Pages and the layout of a job on a page of the given size (device pixels).
struct PrintPlan {
  PageLayout layout;
  std::vector<int> pageStarts;
  std::vector<const CEditLine*> pageLines;  // the first line of each page
  const CEditLine* lastLine = nullptr;      // the last line printed (null: the text's)
  int lineHeight = 0;
  int ascent = 0;
};
PrintPlan PlanPrintJob(const PrintJob& job, QPainter& painter, int pageWidth, int pageHeight);

// Paints page `page` (1-based) of a planned job.
void PaintPrintPage(QPainter& painter, const PrintJob& job, const PrintPlan& plan, int page,
                    int pageWidth, int pageHeight);

// Prints every page on the printer; returns the number of pages (0 when the
// printer could not be started).
int PrintEditorText(QPrinter& printer, const PrintJob& job);

// The job of a view: its document, the page set-up from the profile, the
// header and footer times, and with `selectionOnly` the selected lines.
PrintJob MakePrintJob(EditorView& view, SettingsStore* settings, bool selectionOnly);

// The print dialog (offering the selection when there is one) and the
// preview window of a view.
void PrintView(EditorView& view, SettingsStore* settings, QWidget* parent);
void PreviewView(EditorView& view, SettingsStore* settings, QWidget* parent);
// The preview window opens and the call returns while it stays open; it
// prints the view's text until it is closed or the view goes. It holds
// the main window by disabling it rather than as a modal window, so what
// refuses to act under a modal window asks for it too.
// The preview window while one is open, else null.
QWidget* OpenPrintPreview();

}  // namespace pm2
