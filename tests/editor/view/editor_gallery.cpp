// Renders the editor control in its typical states to PNG files on the
// offscreen platform, so that a person can look at them. Usage:
// editor_gallery <output folder> <folder of the keyword files>. Exits
// non-zero when a picture could not be made.
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <functional>

#include "editor/text/editor_keys.h"
#include "editor/view/edit_view.h"
#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "sample_c.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

struct Shot {
  const char* name;
  std::function<void(EditControl&)> arrange;
};

QPoint CellPoint(EditControl& e, int row, int col) {
  const EditState& s = e.Engine().State();
  return {s.nLeftMargin + (col - s.nLeftCol) * s.nCharWidth + 1, row * s.nLineHeight + s.nLineHeight / 2};
}

int Run(const QString& outDir, const std::string& keywordDir) {
  QDir().mkpath(outDir);
  SettingsStore store(QDir(outDir).filePath("settings.ini").toStdString());
  InitEditorProfiles(store);
  IniFiles ini;
  EditEnvironment env{&store, &ini, nullptr, nullptr, keywordDir};
  const std::string path = QDir(outDir).filePath("blinky.c").toStdString();
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fputs(kSampleC, f);
    std::fclose(f);
  }

  const Shot shots[] = {
      {"colouring", [](EditControl& e) { e.GotoLine(16, 4); }},
      {"selection",
       [](EditControl& e) {
         e.GotoLine(21, 0);
         for (int i = 0; i < 3; ++i) e.Engine().RunCommand(kCmdSelDown);
         e.Engine().RunCommand(kCmdSelWordRight);
       }},
      {"column_block",
       [](EditControl& e) {
         // An Alt drag from "LED_MASK" down over the empty line.
         QPoint a = CellPoint(e, 7, 8), b = CellPoint(e, 9, 24);
         e.Engine().OnLButtonDown(a.x(), a.y(), false, true);
         e.Engine().OnMouseMove(b.x(), b.y());
         e.Engine().OnLButtonUp(b.x(), b.y());
       }},
      {"bookmarks",
       [](EditControl& e) {
         e.GotoLine(14, 0);
         e.Engine().RunCommand(kCmdToggleBookmark);
         e.GotoLine(29, 0);
         e.Engine().RunCommand(kCmdToggleBookmark);
         e.GotoLine(33, 1);
       }},
      {"long_line_scrolled", [](EditControl& e) { e.GotoLine(41, 95); }},
  };
  int failed = 0;
  for (const Shot& shot : shots) {
    EditControl editor(nullptr, env);
    editor.SetLanguage("Editor\\C Files");
    if (editor.Open(path) != 0) {
      std::fprintf(stderr, "cannot open %s\n", path.c_str());
      return 1;
    }
    editor.resize(620, 380);
    editor.show();
    editor.activateWindow();
    editor.setFocus();
    QApplication::processEvents();
    shot.arrange(editor);
    QApplication::processEvents();
    QString file = QDir(outDir).filePath(QString(shot.name) + ".png");
    if (!editor.grab().save(file)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      ++failed;
    }
  }
  return failed ? 1 : 0;
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: editor_gallery <output folder> <keyword folder>\n");
    return 2;
  }
  return pm2::Run(QString::fromLocal8Bit(argv[1]), argv[2]);
}
