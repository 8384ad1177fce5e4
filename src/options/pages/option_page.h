// The base of every page of the options sheet: loading on activation,
// checking and writing back when the page is left, the Defaults
// operation, refusals that keep the page current on the failing field,
// and the check boxes of options that a group or file may override
// (three states there: off, on, inherit).
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "options/core/field_text.h"
#include "options/core/page_set.h"

namespace pm2 {

class OptionsSession;
class OptionsSheet;
struct OptionBlock;

// A check box whose click order is the option fields' own: unchecked,
// checked, inherit (grey), unchecked.
class TriBox : public QCheckBox {
  Q_OBJECT
 public:
  using QCheckBox::QCheckBox;

 protected:
  void nextCheckState() override;
};

class OptionPage : public QWidget {
  Q_OBJECT
 public:
  OptionPage(OptionsSheet& sheet, PageId id);
  PageId Id() const { return m_id; }

  // Fills the controls from the edited block (every activation).
  void Activate();
  // Checks the entries and writes them back; false keeps the page current
  // with the focus on the failing field and the edited block unchanged.
  virtual bool Leave() = 0;
  // What the sheet calls when the page is left or OK is pressed: the texts
  // of the page's free-text fields first (a text the project file could
  // not give back as it was typed is refused, naming its field), then
  // Leave.
  bool TryLeave();

  // A field whose typed text the project or options file keeps between
  // brackets. The fields are checked in the order they were named.
  struct TextField {
    QWidget* edit = nullptr;  // a QLineEdit or QPlainTextEdit
    std::string name;         // as the refusal names it
    FieldBrackets brackets = FieldBrackets::kParentheses;
    bool program = false;     // a program's name: kept in double quotes
    bool oneLine = false;     // reaches a tool's command line: no line break
    std::string shown;        // the text the page showed when it became current
  };
  const std::vector<TextField>& TextFields() const { return m_textFields; }
  // A field's text as the page stores it (a multi-line field's lines end
  // in CR LF).
  static std::string FieldText(const QWidget* edit);
  // Shows a stored text in an edit without cutting it: an edit whose limit
  // is shorter than the text takes the text's length as its limit. The
  // field remembers the text it was given (see TextToStore).
  void ShowStoredText(QLineEdit* edit, const std::string& text);
  void ShowStoredText(QPlainTextEdit* edit, const std::string& text);
  // Whether the field was changed since it was given its stored text (a
  // field given none counts as changed: the page reads it as it stands).
  bool Edited(const QWidget* edit) const;
  // What the field stores: the text it was given, byte for byte, while it
  // still shows it (no trimming, cutting or change of encoding reaches a
  // text the user did not edit), else `typed`, the page's reading of it.
  std::string TextToStore(const QWidget* edit, std::string typed) const;
  // The name a refusal gives the edit: its free-text field's name, else
  // its label's text.
  std::string FieldNameOf(const QWidget* edit) const;
  // Puts a text the page made (a folder list's result, a chosen file) into
  // an edit; a text longer than the edit's limit is refused naming the
  // field and the edit keeps its text. False when refused.
  bool PutText(QLineEdit* edit, const QString& text);
  // Resets the page's part of the edited block and loads it again.
  virtual void Defaults() = 0;
  virtual bool HasDefaults() const { return true; }
  // Enter and Escape in the page press OK and Cancel as in a plain dialog
  // (most pages keep them from closing the sheet).
  virtual bool EnterClosesSheet() const { return false; }
  // The read-only preview of the tool's line, or null.
  virtual QWidget* Preview() const { return nullptr; }
  bool Active() const { return m_active; }
  void Deactivated() { m_active = false; }

 protected:
  virtual void Load() = 0;
  // Runs after loading, with the loading flag cleared (the preview).
  virtual void AfterLoad() {}
  OptionsSheet& Sheet() const { return m_sheet; }
  OptionsSession& Session() const;
  bool NodeLevel() const;  // a group or file is edited
  // Beep, the message, the focus on the field; returns false.
  bool Refuse(QWidget* field, const std::string& message);
  bool Loading() const { return m_loading; }
  // Names a free-text field (see TextFields).
  void KeepsText(QWidget* edit, std::string name, FieldBrackets brackets = FieldBrackets::kParentheses);
  // Names the field of a program's name, stored in double quotes.
  void KeepsProgram(QWidget* edit, std::string name);
  // Names a field whose text goes to a tool's command line as it stands
  // (the include paths): the file would give back a pasted line break, but
  // the tool would get two arguments, so a control character is refused as
  // the Define field and the event interface's options refuse it.
  void KeepsOneLine(QWidget* edit, std::string name);
  // The refusal of the first field whose text cannot be kept; true when
  // every text can. A field's text is stored whether or not the field is
  // enabled, so a disabled one is checked too, unless it still holds the
  // text it showed when the page became current (stored as it was).
  bool CheckTextFields();
  // Whether the field is disabled and holds the text it showed when the
  // page became current: what it stores is what was stored.
  bool KeptAsShown(const QWidget* edit) const;
  // A driver's settings dialog (code with the settings record) on the text
  // the working copy keeps for its base name; true when the driver gave new
  // settings text, which then replaces the kept one. A text the options file
  // could not keep as it is is refused and nothing changes.
  bool RunDriverDialog(const std::string& path, int code, const std::string& base);

 public:
  // The 2-bit value a box shows.
  static uint32_t TriOf(const QCheckBox* box);

 protected:
  // A yes/no box of a 2-bit field: two states at target level, three at
  // group and file level (grey = inherit).
  TriBox* NewTriBox(const QString& text);
  void SetTri(QCheckBox* box, uint32_t value);

 private:
  OptionsSheet& m_sheet;
  PageId m_id;
  // Guards every line edit of the page: a paste, drop or typed key that
  // would pass the edit's limit is refused naming the field, never cut.
  void GuardLimits();

  bool m_active = false;
  bool m_loading = false;
  bool m_guarded = false;
  std::vector<TextField> m_textFields;
  // The stored texts the fields were given on this activation, and what
  // each field then showed.
  struct Given {
    const QWidget* edit = nullptr;
    std::string stored;
    QString shown;
  };
  std::vector<Given> m_given;
};

}  // namespace pm2
