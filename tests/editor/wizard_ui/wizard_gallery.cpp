// Renders the configuration wizard and the editor configuration sheet to
// PNG files on the offscreen platform: the example's startup file in the
// wizard (PLL off, then on with an edit running), the sheet's editor and
// colours pages, and the colour dialog of one profile section. Usage:
// wizard_gallery <output folder> <source folder>. Exits non-zero when a
// picture could not be made.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <cstdio>

#include "editor/document/editor_document.h"
#include "editor/ide/editor_panes.h"
#include "editor/ide/editor_view.h"
#include "editor/text/editor_keys.h"
#include "editor/wizard/option_rows.h"
#include "editor/wizard_ui/colours_fonts_page.h"
#include "editor/options/sheet_rules.h"
#include "editor/wizard_ui/editor_config_sheet.h"
#include "editor/wizard_ui/options_tree.h"
#include "editor/wizard_ui/section_colours_dialog.h"
#include "editor/wizard_ui/startup_view.h"
#include "editor/wizard_ui/startup_wizard_host.h"
#include "platform/settings_store.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

int g_failed = 0;

void Save(QWidget& w, const QString& dir, const char* name) {
  QApplication::processEvents();
  const QString file = QDir(dir).filePath(QString(name) + ".png");
  if (!w.grab().toImage().save(file)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    ++g_failed;
  }
}

int RowNamed(const OptionRows& rows, const std::string& label) {
  for (int i = 0; i < rows.Count(); ++i)
    if (rows.Row(i).label == label) return i;
  return -1;
}

int Run(const QString& outDir, const std::string& sourceDir) {
  QDir().mkpath(outDir);
  SettingsStore store{std::string()};
  InitEditorProfiles(store);
  uint32_t state = 0;
  DocumentEnvironment env;
  env.text.pSettings = &store;
  env.appState = &state;
  EditorDocument doc(env);
  if (!doc.OnOpenDocument(sourceDir + "/examples/blinky/Startup.s")) {
    std::fprintf(stderr, "cannot read the example's startup file\n");
    return 1;
  }
  EditorViewContext ctx;
  ctx.appState = &state;
  auto* panes = new EditorPanes(&doc, &ctx);
  StartupWizardHost host(&doc, panes, {});
  host.resize(620, 330);
  host.show();
  if (!host.ShowWizard()) {
    std::fprintf(stderr, "the example's block does not load\n");
    return 1;
  }
  Save(host, outDir, "wizard-pll-off");
  COptionsTree& tree = *host.Wizard()->Tree();
  tree.BeginEdit(RowNamed(tree.Rows(), "Set up the PLL"));
  tree.BeginEdit(RowNamed(tree.Rows(), "PLL multiplier (MSEL)"));
  Save(host, outDir, "wizard-pll-on-editing");
  host.ShowText();
  Save(host, outDir, "wizard-text");

  EditorTypeSettings records{};
  LoadAllEditorTypeSettings(store, &records);
  WindowFonts fonts;
  CColFnt sheet(records, nullptr, nullptr, nullptr, &fonts);
  sheet.show();
  Save(sheet, outDir, "sheet-editor");
  sheet.Tabs()->setCurrentIndex(1);
  sheet.ColoursPage()->Kinds()->setCurrentRow(0);
  sheet.ColoursPage()->Elements()->setCurrentRow(2);
  Save(sheet, outDir, "sheet-colours");
  sheet.ColoursPage()->Kinds()->setCurrentRow(kEditorWindowKindCount);  // the disassembly window
  sheet.ColoursPage()->Elements()->setCurrentRow(3);                     // its current line
  Save(sheet, outDir, "sheet-colours-disassembly");
  // The colour dialog of one profile section, a dark background chosen.
  CEditOpt section(store, "Editor\\C Files");
  section.chooseColour = [](uint32_t) { return std::optional<uint32_t>(0x400000); };
  section.ColourButton(CEditOpt::kBackground)->click();
  section.show();
  Save(section, outDir, "section-colours");
  return g_failed;
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: wizard_gallery <output folder> <source folder>\n");
    return 2;
  }
  return pm2::Run(argv[1], argv[2]);
}
