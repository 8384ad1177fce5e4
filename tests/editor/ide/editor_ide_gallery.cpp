// Renders the IDE's editor windows to PNG files on the offscreen platform:
// split panes, the find and the replace dialog over an editor, and a
// printed page with its header and footer. Usage: editor_ide_gallery
// <output folder> <folder of the keyword files>. Exits non-zero when a
// picture could not be made.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "../view/sample_c.h"
#include "editor/ide/editor_panes.h"
#include "editor/ide/editor_printer.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/find_dialog.h"
#include "editor/ide/page_setup_dialog.h"
#include "editor/text/editor_keys.h"
#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

int g_failed = 0;

void Save(const QImage& image, const QString& dir, const char* name) {
  QString file = QDir(dir).filePath(QString(name) + ".png");
  if (!image.save(file)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    ++g_failed;
  }
}

// The window with a dialog drawn where it stands over it.
QImage WithDialog(QWidget& window, QWidget& dialog) {
  QImage image = window.grab().toImage();
  QPainter p(&image);
  QPoint at = window.mapFromGlobal(dialog.frameGeometry().topLeft());
  at.setX(std::clamp(at.x(), 0, std::max(image.width() - dialog.width(), 0)));
  at.setY(std::clamp(at.y(), 0, std::max(image.height() - dialog.height(), 0)));
  p.drawImage(at, dialog.grab().toImage());
  p.setPen(Qt::black);
  p.drawRect(QRect(at, dialog.size()).adjusted(0, 0, -1, -1));
  return image;
}

int Run(const QString& outDir, const std::string& keywordDir) {
  QDir().mkpath(outDir);
  SettingsStore store(QDir(outDir).filePath("ide_settings.ini").toStdString());
  InitEditorProfiles(store);
  IniFiles ini;
  const std::string path = QDir(outDir).filePath("blinky.c").toStdString();
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fputs(kSampleC, f);
    std::fclose(f);
  }
  // A C file of an ARM project, coloured with the C keywords.
  store.WriteProfileString("Editor\\CArmC", "Keywords", "c.ini");
  struct ArmShell : DocumentShell {
    int TargetToolset() const override { return 3; }
    int FileTypeOfName(const std::string&) const override { return 1; }
  } shell;
  uint32_t state = 0;
  EditorViewContext ctx;
  ctx.appState = &state;
  ctx.settings = &store;
  DocumentEnvironment env;
  env.text = EditEnvironment{&store, &ini, nullptr, nullptr, keywordDir};
  env.appState = &state;
  env.shell = &shell;
  EditorTypeSettings types{};
  types[kFtRecCFiles].flags |= kFtColouring;
  env.typeSettings = &types;
  EditorDocument doc(env);

  {
    EditorPanes panes(&doc, &ctx);
    if (!doc.OnOpenDocument(path)) return 1;
    panes.resize(760, 520);
    panes.show();
    QApplication::processEvents();
    panes.Split(2, 2);
    // The top row follows the top-left pane, the bottom row and the right
    // column the bottom-right one.
    panes.SetActive(panes.View(0, 0));
    panes.View(0, 0)->GotoLineCentered(16, 1);
    panes.SetActive(panes.View(1, 1));
    panes.View(1, 1)->GotoLineCentered(36, 0);
    panes.View(1, 1)->Engine().OnHScroll(4, 4);
    QApplication::processEvents();
    Save(panes.grab().toImage(), outDir, "ide_split_panes");
  }

  for (bool replace : {false, true}) {
    EditorPanes panes(&doc, &ctx);
    doc.OnOpenDocument(path);
    panes.resize(640, 420);
    panes.show();
    QApplication::processEvents();
    EditorView& view = *panes.View(0, 0);
    view.GotoLineCentered(11, 20);
    view.RunViewCommand(replace ? kCmdEditReplace : kCmdEditFind);
    EditFindDialog* d = view.FindDialog();
    if (!d) return 1;
    if (replace) d->ReplaceCombo()->setCurrentText("g_count");
    d->FindNext();
    QApplication::processEvents();
    Save(WithDialog(panes, *d), outDir, replace ? "ide_replace_dialog" : "ide_find_dialog");
    Save(d->grab().toImage(), outDir, replace ? "ide_replace_dialog_alone" : "ide_find_dialog_alone");
  }

  {
    EditorPanes panes(&doc, &ctx);
    doc.OnOpenDocument(path);
    PrintJob job = MakePrintJob(*panes.View(0, 0), &store, false);
    job.now = job.fileTime;
    QImage page(595, 842, QImage::Format_RGB32);  // A4 at 72 dpi
    page.fill(Qt::white);
    QPainter p(&page);
    QRect area = page.rect().adjusted(40, 40, -40, -40);
    p.translate(area.topLeft());
    PrintPlan plan = PlanPrintJob(job, p, area.width(), area.height());
    PaintPrintPage(p, job, plan, 1, area.width(), area.height());
    p.end();
    Save(page, outDir, "ide_printed_page");
  }

  {
    PageSetupDialog dialog(LoadPageSetup(store));
    dialog.show();
    QApplication::processEvents();
    Save(dialog.grab().toImage(), outDir, "ide_page_setup");
  }
  return g_failed ? 1 : 0;
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: editor_ide_gallery <output folder> <keyword folder>\n");
    return 2;
  }
  return pm2::Run(QString::fromLocal8Bit(argv[1]), argv[2]);
}
