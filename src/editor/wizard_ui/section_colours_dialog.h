// CEditOpt: the colours of one editor profile section ("Editor\C Files"):
// keyword, quote, comment, default text and background, each with a
// sample drawn on the background and a button that picks it, the case and
// colouring switches and the four comment delimiters. Read from the
// section when the dialog opens; OK writes every value back.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "editor/options/section_colours.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pm2 {

class SettingsStore;

class CEditOpt : public QDialog {
  Q_OBJECT
 public:
  // The colour slots in button order.
  enum Slot { kKeyword, kQuote, kComment, kText, kBackground, kSlots };

  CEditOpt(SettingsStore& store, std::string section, QWidget* parent = nullptr);

  // The values as the controls hold them now.
  SectionColours Values() const;
  const std::string& Section() const { return m_section; }

  QPushButton* ColourButton(Slot s) const { return m_buttons[size_t(s)]; }
  QLabel* Sample(Slot s) const { return m_samples[size_t(s)]; }
  QCheckBox* CaseBox() const { return m_case; }
  QCheckBox* ColouringBox() const { return m_colouring; }
  QLineEdit* Delimiter(int i) const { return m_delimiters[size_t(i)]; }

  // Picks a colour starting from the given one (0x00BBGGRR); nothing on
  // Cancel. The program's is the toolkit's colour dialog; tests replace it.
  std::function<std::optional<uint32_t>(uint32_t current)> chooseColour;

 private:
  void Pick(Slot s);
  void ShowSamples();
  void Save();

  SettingsStore& m_store;
  std::string m_section;
  std::array<uint32_t, kSlots> m_colours{};
  std::array<QPushButton*, kSlots> m_buttons{};
  std::array<QLabel*, kSlots> m_samples{};
  QCheckBox* m_case;
  QCheckBox* m_colouring;
  std::array<QLineEdit*, 4> m_delimiters{};
};

}  // namespace pm2
