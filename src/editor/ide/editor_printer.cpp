#include "editor/ide/editor_printer.h"

#include <QFontMetrics>
#include <cmath>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPointer>
#include <QWindow>

#include "editor/document/document_services.h"
#include "editor/ide/editor_view.h"
#include "platform/settings_store.h"

namespace pm2 {

namespace {
QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

std::string HeaderName(const PrintJob& job) { return job.path.empty() ? job.title : job.path; }

std::time_t TimeOf(const PrintJob& job, int source) {
  // A text that was never saved has no file time.
  bool noFile = job.path.find('.') == std::string::npos;
  return source == 1 || noFile ? job.now : job.fileTime;
}
}  // namespace

PrintPlan PlanPrintJob(const PrintJob& job, QPainter& painter, int pageWidth, int pageHeight) {
  PrintPlan plan;
  painter.setFont(job.font);
  QFontMetrics fm(job.font, painter.device());
  plan.lineHeight = std::max(fm.lineSpacing(), 1);
  plan.ascent = fm.ascent();
  PageMetrics m;
  m.pageWidth = pageWidth;
  m.pageHeight = pageHeight;
  m.lineHeight = plan.lineHeight;
  // Whole pixels rounded up, so that a row of characters never runs past
  // the page's right edge.
  QFontMetricsF fmf(job.font, painter.device());
  m.charWidth = std::max(int(std::ceil(fmf.horizontalAdvance(QString(64, QLatin1Char('x'))) / 64.0)), 1);
  m.hasHeader = !job.setup.header.empty();
  m.hasFooter = !job.setup.footer.empty();
  plan.layout = ComputePageLayout(m);
  const CEditLine* first = job.text->GetLine(std::max(job.firstLine, 1));
  const CEditLine* last = job.lastLine > 0 ? job.text->GetLine(job.lastLine) : nullptr;
  plan.pageStarts = PaginateLines(*job.text, first, last, plan.layout, &plan.pageLines);
  plan.lastLine = last;
  return plan;
}

void PaintPrintPage(QPainter& painter, const PrintJob& job, const PrintPlan& plan, int page,
                    int pageWidth, int pageHeight) {
  if (page < 1 || page > int(plan.pageStarts.size())) return;
  painter.save();
  painter.setFont(job.font);
  painter.setPen(Qt::black);
  const int lh = plan.lineHeight;
  int y = 0;
  std::string header = HeaderFooterText(job.setup.header, HeaderName(job), page, TimeOf(job, job.setup.headerTime));
  if (!job.setup.header.empty()) {
    painter.drawText(0, plan.ascent, Latin1(header));
    int rule = lh + lh / 4;
    painter.drawLine(0, rule, pageWidth, rule);
    y = plan.layout.headerHeight;
  }
  // The page's lines are reached from the plan, not by walking from the
  // first line of the text.
  const CEditLine* start = plan.pageLines[size_t(page - 1)];
  const CEditLine* stop = page < int(plan.pageLines.size()) ? plan.pageLines[size_t(page)] : nullptr;
  // Rows below the text area (only a line taller than a page has them)
  // are not drawn over the footer.
  int bottom = pageHeight - plan.layout.footerHeight;
  for (const CEditLine* p = start; p && p != stop; p = p->m_pNext) {
    for (const std::string& row : PrintedRows(*job.text, p, plan.layout.charsPerRow)) {
      if (y + lh > bottom) break;
      painter.drawText(0, y + plan.ascent, Latin1(row));
      y += lh;
    }
    if (p == plan.lastLine) break;
  }
  if (!job.setup.footer.empty()) {
    std::string footer = HeaderFooterText(job.setup.footer, HeaderName(job), page, TimeOf(job, job.setup.footerTime));
    int top = pageHeight - lh;
    int rule = top - lh / 4;
    painter.drawLine(0, rule, pageWidth, rule);
    painter.drawText(0, top + plan.ascent, Latin1(footer));
  }
  painter.restore();
}

int PrintEditorText(QPrinter& printer, const PrintJob& job) {
  QPainter painter;
  if (!painter.begin(&printer)) return 0;
  QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  int w = page.width(), h = page.height();
  PrintPlan plan = PlanPrintJob(job, painter, w, h);
  int pages = int(plan.pageStarts.size());
  for (int i = 1; i <= pages; ++i) {
    if (i > 1) printer.newPage();
    PaintPrintPage(painter, job, plan, i, w, h);
  }
  painter.end();
  return pages;
}

PrintJob MakePrintJob(EditorView& view, SettingsStore* settings, bool selectionOnly) {
  PrintJob job;
  EditorDocument& doc = view.Document();
  job.text = &doc.Text();
  job.path = doc.Path();
  job.title = doc.Title();
  if (settings) job.setup = LoadPageSetup(*settings);
  job.font = view.EditorFont();
  job.fileTime = std::time_t(StatFile(doc.Path()).modTime);
  job.now = std::time(nullptr);
  EditPos a, b;
  bool column = false;
  if (selectionOnly && view.Engine().GetSelection(&a, &b, &column)) {
    int na = job.text->LineNumber(a.pLine), nb = job.text->LineNumber(b.pLine);
    job.firstLine = std::min(na, nb);
    job.lastLine = std::max(na, nb);
  }
  return job;
}

void PrintView(EditorView& view, SettingsStore* settings, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, parent);
  bool selection = view.HasSelectionShown();
  dialog.setOption(QAbstractPrintDialog::PrintSelection, selection);
  if (selection) printer.setPrintRange(QPrinter::Selection);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintEditorText(printer, MakePrintJob(view, settings, printer.printRange() == QPrinter::Selection));
}

namespace {

// The printer is made before the dialog that keeps a pointer to it.
struct PreviewPrinter {
  QPrinter previewPrinter{QPrinter::HighResolution};
};

// The preview window of a view. It stays open while the program goes on
// (as the frame's preview mode does): the main window is held by being
// disabled, and the application's preview bit is set, until it closes.
// A request to close the main window meanwhile still reaches the main
// window, which refuses it with a beep, where a window blocked by a modal
// one would drop it unseen.
class EditorPreview : private PreviewPrinter, public QPrintPreviewDialog {
 public:
  EditorPreview(PrintJob job, uint32_t* state, QWidget* main, EditorView* view)
      : QPrintPreviewDialog(&previewPrinter, nullptr),
        m_job(std::move(job)),
        m_state(state),
        m_main(main),
        m_view(view) {
    setWindowModality(Qt::NonModal);
    QObject::connect(this, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
      if (m_job.text) PrintEditorText(*p, m_job);
    });
    QObject::connect(this, &QDialog::finished, this, [this] {
      Release();
      deleteLater();
    });
    if (m_main) {
      winId();
      if (windowHandle() && m_main->windowHandle()) windowHandle()->setTransientParent(m_main->windowHandle());
      m_main->setEnabled(false);
      // The main window going takes the preview with it; the bit it set
      // went with the main window's word.
      QObject::connect(m_main, &QObject::destroyed, this, [this] {
        m_state = nullptr;
        delete this;
      });
    }
    if (m_state) *m_state |= kAppPrintPreview;
  }
  ~EditorPreview() override { Release(); }
  // The view printed is gone: nothing left to show.
  void ViewGone() {
    m_job.text = nullptr;
    m_view = nullptr;
    close();
  }

 private:
  // The main window given back, once.
  void Release() {
    if (m_state) *m_state &= ~uint32_t(kAppPrintPreview);
    m_state = nullptr;
    // The main window takes the keyboard back, and the view previewed with
    // it: disabling the main window took the focus from the view, and the
    // window would otherwise give it to the first of its children that
    // takes it (the project window).
    if (m_main) {
      m_main->setEnabled(true);
      if (m_view && m_view->window() == m_main) m_view->setFocus(Qt::OtherFocusReason);
      m_main->activateWindow();
    }
    m_main = nullptr;
    m_view = nullptr;
  }
  PrintJob m_job;
  uint32_t* m_state;
  QPointer<QWidget> m_main;
  QPointer<EditorView> m_view;
};

QPointer<EditorPreview> g_openPreview;  // GUI thread only

}  // namespace

QWidget* OpenPrintPreview() { return g_openPreview.data(); }

void PreviewView(EditorView& view, SettingsStore* settings, QWidget* parent) {
  // One preview at a time: asked again, the open one comes to the front.
  if (EditorPreview* open = g_openPreview.data()) {
    open->raise();
    open->activateWindow();
    return;
  }
  auto* preview = new EditorPreview(MakePrintJob(view, settings, false), view.Context().appState,
                                    parent ? parent->window() : nullptr, &view);
  g_openPreview = preview;
  QObject::connect(&view, &QObject::destroyed, preview, [preview] { preview->ViewGone(); });
  preview->show();
}

}  // namespace pm2
