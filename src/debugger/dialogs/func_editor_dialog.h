// The debug-function editor: the debug functions the driver runs (the
// target's function file), edited in the source editor's control, saved,
// and compiled by the driver with an Include command; the driver's errors
// come back into a list and a chosen error puts the caret on its line.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>

#include "debugger/dialogs/dialog_context.h"
#include "editor/text/edit_profile.h"

class QComboBox;
class QPushButton;

namespace pm2 {

class EditControl;
class EditFindDialog;

// The Include command of a path: backslashes doubled, between double
// quotes, with a line feed.
std::string FuncEditorIncludeCommand(const std::string& path);

class FunctionEditor : public QDialog {
 public:
  // tempPath: the temporary file of an unnamed text ("%s%s.CTmp", the
  // project's folder and the current target's name); ask: file dialogs
  // (open true / save false), "" on Cancel.
  FunctionEditor(DebugDialogContext ctx, std::string tempPath,
                 std::function<std::string(bool open)> askFile, QWidget* parent = nullptr);

  EditControl* Editor() const { return m_editor; }
  QComboBox* Errors() const { return m_errors; }
  QPushButton* CompileButton() const { return m_compile; }
  QPushButton* NewButton() const { return m_new; }
  const std::string& FileName() const { return m_file; }
  QString Title() const;

  bool LoadFile(const std::string& path);
  void OpenFile();
  void New();
  bool Save();
  bool SaveAs();
  void Compile();
  // IDE service 41: an error of the compile (position: low 16 bits line, high 16 bits column).
  void AddError(uint32_t position, const std::string& text);
  void GoTo(uint32_t position);
  // The save question; false when the user cancelled.
  bool AskSave();

 protected:
  void reject() override;
  void closeEvent(QCloseEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void UpdateTitle();
  void Layout();
  // Find and Replace of the text: the editor's own dialog, one at a time.
  void OpenFindDialog(int command);

  // The text's own messages ("Lines longer than ... will be cut.").
  class TextMessages : public EditMessageSink {
   public:
    explicit TextMessages(const DebugDialogContext& ctx) : m_ctx(ctx) {}
    void ShowMessage(int, const std::string& text) override {
      m_ctx.Beep();
      m_ctx.Message(text);
    }

   private:
    const DebugDialogContext& m_ctx;
  };

  DebugDialogContext m_ctx;
  TextMessages m_textMessages{m_ctx};
  std::string m_tempPath;
  std::function<std::string(bool)> m_askFile;
  std::string m_file;
  EditControl* m_editor;
  QPushButton *m_new, *m_open, *m_save, *m_saveAs, *m_compile;
  QComboBox* m_errors;
  QPointer<EditFindDialog> m_findDialog;
};

}  // namespace pm2
