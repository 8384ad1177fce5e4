// CPgColFnt: colours and fonts of the editor windows and of the IDE's
// other windows. A window kind is chosen from the list, then one of its
// elements (for an editor: text, keywords, comments, strings, characters,
// background); the colour combo sets the element's colour, the face, size
// and bold switch set the kind's font (one font for the C, assembler and
// other files' records; one per other window in the shared window
// settings). The sample "AaBbYyZz" shows the element's colour on the
// kind's background in the font.
#pragma once

#include <QFrame>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "toolkit/core/window_fonts.h"
#include "editor/options/file_type_settings.h"
#include "editor/options/section_colours.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

namespace pm2 {

class CColorCmb;
struct WindowSettingsKind;

// The sample text in the page's font and colours.
class FontSample : public QFrame {
 public:
  explicit FontSample(QWidget* parent) : QFrame(parent) { setFrameStyle(QFrame::Sunken | QFrame::Panel); }
  QFont sampleFont;
  uint32_t foreground = 0;
  uint32_t background = 0xC0C0C0;

 protected:
  void paintEvent(QPaintEvent* e) override;
};

class CPgColFnt : public QWidget {
  Q_OBJECT
 public:
  // fonts: the window settings the other windows' kinds edit (null: the
  // editor kinds only).
  CPgColFnt(EditorTypeSettings& records, WindowFonts* fonts = nullptr, QWidget* parent = nullptr);
  void Activate();

  QListWidget* Kinds() const { return m_kinds; }
  QListWidget* Elements() const { return m_elements; }
  CColorCmb* Colours() const { return m_colours; }
  QComboBox* Faces() const { return m_faces; }
  QComboBox* Sizes() const { return m_sizes; }
  QCheckBox* Bold() const { return m_bold; }
  FontSample* Sample() const { return m_sample; }
  int PixelsPerInch() const { return m_ppi; }
  // "Section Colors...": the colour dialog of the chosen editor kind's
  // profile section (keyword, quote, comment, text and background colours,
  // case, colouring, comment delimiters). sectionOf names the section of a
  // kind row ("" none: the button greys); run shows the dialog and gives
  // the values it saved, nothing on Cancel. The kind's record takes them,
  // so that the sheet's OK writes the same.
  void SetSectionDialog(std::function<std::string(int kindRow)> sectionOf,
                        std::function<std::optional<SectionColours>(const std::string& section)> run);
  QPushButton* SectionButton() const { return m_section; }

 private:
  void KindChosen(int row);
  void ElementChosen(int row);
  void ColourChosen(int index);
  void FontChanged();
  void ShowSample();
  EditFileTypeSettings* Record();
  // The other window's kind chosen (null: an editor kind or none).
  const WindowSettingsKind* WindowKind() const;
  void FillFaces(bool fixedPitchOnly);
  void ShowFont(const QString& face, int points, bool bold);
  void EditSection();
  void UpdateSectionButton();

  EditorTypeSettings& m_records;
  WindowFonts* m_fonts;
  bool m_fixedFaces = true;
  QListWidget* m_kinds;
  QListWidget* m_elements;
  CColorCmb* m_colours;
  QComboBox* m_faces;
  QComboBox* m_sizes;
  QCheckBox* m_bold;
  FontSample* m_sample;
  QPushButton* m_section;
  std::function<std::string(int)> m_sectionOf;
  std::function<std::optional<SectionColours>(const std::string&)> m_runSection;
  int m_ppi = 96;
  int m_kind = -1;
  bool m_loading = false;
};

}  // namespace pm2
