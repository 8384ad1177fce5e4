#include "debugger/dialogs/func_editor_dialog.h"

#include <sys/stat.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QPushButton>
#include <cstdio>

#include "editor/engine/edit_commands.h"
#include "editor/ide/find_dialog.h"
#include "editor/view/edit_view.h"
#include "driver_abi/file_kind.h"

namespace pm2 {

namespace {
EditEnvironment TextEnvironment(EditMessageSink* messages) {
  EditEnvironment env;
  env.pMessages = messages;
  return env;
}
}  // namespace

std::string FuncEditorIncludeCommand(const std::string& path) {
  std::string out = "Include \"";
  for (char c : path) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out + "\"\n";
}

FunctionEditor::FunctionEditor(DebugDialogContext ctx, std::string tempPath, std::function<std::string(bool)> askFile,
                               QWidget* parent)
    : QDialog(parent), m_ctx(std::move(ctx)), m_tempPath(std::move(tempPath)), m_askFile(std::move(askFile)),
      m_editor(new EditControl(this, TextEnvironment(&m_textMessages))), m_new(new QPushButton("New", this)), m_open(new QPushButton("Open", this)),
      m_save(new QPushButton("Save", this)), m_saveAs(new QPushButton("Save As...", this)),
      m_compile(new QPushButton("Compile", this)), m_errors(new QComboBox(this)) {
  setObjectName("FunctionEditor");
  m_ctx.asking = static_cast<QWidget*>(this);
  m_editor->setObjectName("FunctionText");
  m_errors->setObjectName("CompileErrors");
  m_editor->SetLanguage("Editor\\C Files");
  // The editor's messages ("not found", read-only, ...) as the IDE shows them.
  connect(m_editor, &EditView::message, this, [this](int, const QString& text) {
    m_ctx.Beep();
    m_ctx.Message(text.toLatin1().toStdString());
  });
  connect(m_editor, &EditView::dialogRequested, this, &FunctionEditor::OpenFindDialog);
  m_editor->SetFindOnlyDialogQuery(
      [this] { return m_findDialog && m_findDialog->isVisible() && !m_findDialog->IsReplace(); });
  for (QPushButton* b : {m_new, m_open, m_save, m_saveAs, m_compile}) b->setAutoDefault(false);
  connect(m_new, &QPushButton::clicked, this, [this] { New(); });
  connect(m_open, &QPushButton::clicked, this, [this] { OpenFile(); });
  connect(m_save, &QPushButton::clicked, this, [this] { Save(); });
  connect(m_saveAs, &QPushButton::clicked, this, [this] { SaveAs(); });
  connect(m_compile, &QPushButton::clicked, this, [this] { Compile(); });
  connect(m_errors, &QComboBox::activated, this, [this](int i) {
    if (i < 0) return m_ctx.Beep();
    GoTo(m_errors->itemData(i).toUInt());
  });
  m_errors->setEnabled(false);
  DebugInterface* r = m_ctx.R();
  m_compile->setEnabled(!(r && (r->flags & kDbgFlagExecuting)));
  UpdateTitle();
  resize(640, 460);
  Layout();
  m_editor->setFocus();
}

void FunctionEditor::OpenFindDialog(int command) {
  if (command == kCmdCloseFindDialog) {
    if (m_findDialog) m_findDialog->close();
    return;
  }
  // An open dialog, find or replace, is brought forward with the focus in
  // its find field.
  if (m_findDialog && m_findDialog->isVisible()) {
    m_findDialog->raise();
    m_findDialog->activateWindow();
    m_findDialog->TakeFocus();
    return;
  }
  const bool replace = command == kCmdEditReplace;
  if (m_findDialog && m_findDialog->IsReplace() != replace) delete m_findDialog.data();
  if (!m_findDialog) m_findDialog = new EditFindDialog(m_editor, replace, nullptr);
  m_findDialog->Prepare();
  m_findDialog->show();
  m_findDialog->raise();
  m_findDialog->activateWindow();
}

QString FunctionEditor::Title() const {
  return "Function Editor - " + (m_file.empty() ? QString("Untitled") : QString::fromLocal8Bit(m_file.c_str()));
}

void FunctionEditor::UpdateTitle() { setWindowTitle(Title()); }

bool FunctionEditor::AskSave() {
  if (!m_editor->IsModified() || !m_ctx.dialogs) return true;
  const int answer = m_ctx.dialogs->MessageBoxOf(m_ctx.asking,
      "Save changes to " + (m_file.empty() ? std::string("Untitled") : m_file) + " ?", kMbYesNoCancel | kMbIconQuestion);
  if (answer == kIdCancel) return false;
  if (answer == kIdYes) return Save();
  return true;
}

bool FunctionEditor::LoadFile(const std::string& path) {
  // Looked at before it is opened: opening a named pipe waits for a writer
  // that never comes, and a device never ends.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    m_ctx.Beep();
    m_ctx.Message("Cannot access file '" + path + "' !");
    return false;
  }
  if (const char* kind = FileKindText(st.st_mode)) {
    m_ctx.Beep();
    m_ctx.Message("Cannot open '" + path + "': it is " + kind + ", not a file of debug functions");
    return false;
  }
  if (m_editor->Open(path) != 0) {
    m_ctx.Beep();
    m_ctx.Message("Cannot access file '" + path + "' !");
    return false;
  }
  m_file = path;
  m_editor->Text().SetModified(0);
  UpdateTitle();
  return true;
}

void FunctionEditor::OpenFile() {
  if (!AskSave()) return;
  m_errors->clear();
  const std::string path = m_askFile ? m_askFile(true) : std::string();
  if (!path.empty()) LoadFile(path);
  m_editor->setFocus();
}

void FunctionEditor::New() {
  m_errors->clear();
  if (!AskSave()) return;
  m_file.clear();
  m_editor->Text().LoadFromBytes(std::string());
  m_editor->Text().SetModified(0);
  // The view's caret and top line still point into the lines just freed:
  // it starts again on the new text before the language's font moves the
  // caret.
  m_editor->ResetView();
  m_editor->SetLanguage("Editor\\C Files");
  m_editor->ResetView();
  UpdateTitle();
}

bool FunctionEditor::Save() {
  if (m_file.empty()) return SaveAs();
  if (m_editor->Save(m_file) != 0) {
    m_ctx.Beep();
    m_ctx.Message("Cannot access file '" + m_file + "' !");
    return false;
  }
  m_editor->Text().SetModified(0);
  return true;
}

bool FunctionEditor::SaveAs() {
  const std::string path = m_askFile ? m_askFile(false) : std::string();
  if (path.empty()) return false;
  if (m_editor->Save(path) != 0) {
    m_ctx.Beep();
    m_ctx.Message("Cannot access file '" + path + "' !");
    return false;
  }
  m_file = path;
  m_editor->Text().SetModified(0);
  UpdateTitle();
  return true;
}

void FunctionEditor::Compile() {
  std::string path = m_file;
  if (path.empty()) {
    // The unnamed text goes to the temporary file; it stays modified.
    const int modified = m_editor->Text().IsModified();
    if (m_editor->Save(m_tempPath) != 0) {
      m_ctx.Beep();
      m_ctx.Message("Cannot access file '" + m_tempPath + "' !");
      return;
    }
    m_editor->Text().SetModified(modified);
    path = m_tempPath;
  } else if (!Save()) {
    return;
  }
  m_errors->clear();
  m_errors->setEnabled(false);
  const std::string command = FuncEditorIncludeCommand(path);
  DebugInterface* r = m_ctx.R();
  int answer = 1;
  if (r && r->DbgExecCommand) {
    r->flags |= kDbgFlagFunctionCompile;
    answer = r->DbgExecCommand(command.c_str(), int(command.size()));
    r->flags &= ~uint32_t(kDbgFlagFunctionCompile);
  }
  if (answer != 0 && m_errors->count() == 0) {
    // The driver refused the file without naming a line: its own text for
    // the answer (IDE service 35) is the one error.
    char text[1024] = {};
    std::snprintf(text, sizeof text, "%s", command.c_str());
    intptr_t request[2] = {answer, reinterpret_cast<intptr_t>(text)};
    if (r && m_ctx.service) m_ctx.service(35, reinterpret_cast<intptr_t>(request));
    text[sizeof text - 1] = 0;
    std::string shown = text;
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
    AddError(0, shown.empty() || shown + "\n" == command ? "Compilation failed." : shown);
  }
  if (m_errors->count() > 0) {
    m_errors->setCurrentIndex(0);
    GoTo(m_errors->itemData(0).toUInt());
  } else {
    m_errors->setEnabled(true);
    m_errors->addItem("Compilation complete, no errors.");
    m_errors->setCurrentIndex(0);
  }
}

void FunctionEditor::AddError(uint32_t position, const std::string& text) {
  m_errors->setEnabled(true);
  m_errors->addItem(QString::fromLocal8Bit(text.substr(0, 1023).c_str()), position);
}

void FunctionEditor::GoTo(uint32_t position) {
  m_editor->GotoLine(int(position & 0xFFFF), int(position >> 16));
  m_editor->setFocus();
}

void FunctionEditor::reject() {
  // Esc closes like the close box: a changed text is asked about first.
  close();
}

void FunctionEditor::closeEvent(QCloseEvent* e) {
  if (!AskSave()) return e->ignore();
  e->accept();
}

void FunctionEditor::resizeEvent(QResizeEvent*) { Layout(); }

// The one geometry: the buttons in a row, the error list beside them, the
// editor below as large as the dialog allows.
void FunctionEditor::Layout() {
  const int m = 6, bh = m_new->sizeHint().height();
  int x = m;
  for (QPushButton* b : {m_new, m_open, m_save, m_saveAs, m_compile}) {
    b->setGeometry(x, m, 76, bh);
    x += 80;
  }
  m_errors->setGeometry(x, m, std::max(100, width() - x - m), bh);
  const int top = m + bh + m;
  m_editor->setGeometry(0, top, std::max(50, width()), std::max(20, height() - top));
}

}  // namespace pm2
