// Tries the editor on screen: editor_demo <file>. Ctrl+G goes to a line,
// Ctrl+F finds, F3 finds again, Ctrl+S saves; the line shows the caret's
// line and column and the overwrite state.
#include <QApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

#include "editor/text/editor_keys.h"
#include "editor/view/edit_view.h"
#include "platform/ini_file.h"
#include "platform/settings_store.h"

namespace {
// The language of a file by its extension (the IDE's documents choose it
// from the project's file types).
const char* SectionOf(const QString& path) {
  QString ext = QFileInfo(path).suffix().toLower();
  if (ext == "c" || ext == "h" || ext == "cpp") return "Editor\\C Files";
  if (ext == "s" || ext == "w51" || ext == "asm") return "Editor\\CArmA";
  return "Editor\\Default Files";
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: editor_demo <file>\n");
    return 2;
  }
  using namespace pm2;
  // The user's settings are read, never written.
  SettingsStore store(SettingsStore::DefaultPath());
  store.Load();
  InitEditorProfiles(store);
  IniFiles ini;
  EditEnvironment env{&store, &ini, nullptr, nullptr, PM2_KEYWORD_DIR};

  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* editor = new EditControl(&window, env);
  auto* status = new QLabel(&window);
  layout->addWidget(editor);
  layout->addWidget(status);
  QString path = QString::fromLocal8Bit(argv[1]);
  editor->SetLanguage(SectionOf(path));
  if (int rc = editor->Open(path.toStdString())) std::fprintf(stderr, "cannot open %s (%d)\n", argv[1], rc);
  window.setWindowTitle(path);
  window.resize(900, 700);

  auto showStatus = [&] {
    const EditState& s = editor->Engine().State();
    status->setText(QString("L:%1 C:%2   %3%4")
                        .arg(s.nCaretLine)
                        .arg(s.nCaretCol + 1)
                        .arg(editor->Text().GetInsertMode() ? "" : "OVR ")
                        .arg(editor->IsModified() ? "modified" : ""));
  };
  QObject::connect(editor, &EditView::caretMoved, showStatus);
  QObject::connect(editor, &EditView::textChanged, showStatus);
  QObject::connect(editor, &EditView::message, [&](int, const QString& text) { status->setText(text); });
  QObject::connect(editor, &EditView::dialogRequested, [&](int command) {
    if (command == kCmdCloseFindDialog) return;  // the demo's dialog is modal
    bool ok = false;
    QString text = QInputDialog::getText(&window, "Find", "Find what:", QLineEdit::Normal, {}, &ok);
    if (ok && !text.isEmpty()) editor->Engine().FindText(text.toStdString(), false);
  });
  auto* gotoLine = new QShortcut(QKeySequence("Ctrl+G"), &window);
  QObject::connect(gotoLine, &QShortcut::activated, [&] {
    bool ok = false;
    int n = QInputDialog::getInt(&window, "Go to Line", "Line:", editor->Engine().State().nCaretLine, 1,
                                 editor->Text().GetLineCount(), 1, &ok);
    if (ok) editor->GotoLine(n, 0);
  });
  auto* save = new QShortcut(QKeySequence("Ctrl+S"), &window);
  QObject::connect(save, &QShortcut::activated, [&] {
    if (int rc = editor->Save(path.toStdString()))
      QMessageBox::warning(&window, "Save", QString("Cannot save %1 (%2)").arg(path).arg(rc));
    showStatus();
  });
  showStatus();
  window.show();
  editor->setFocus();
  return app.exec();
}
