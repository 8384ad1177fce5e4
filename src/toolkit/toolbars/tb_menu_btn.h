#pragma once
// SECTBMenuBtn: the text button of the menu bar. It shows a popup's title,
// opens the popup through its bar when pressed, and knows its mnemonic. In
// the XP look a pressed title looks like an open tab joined to its popup.

#include <string>

#include "toolkit/toolbars/std_btn.h"

namespace pm2 {

// The extra columns of a menu bar's button-map row.
struct SECMenuBtnRow {
  unsigned menu1 = 0;  // the two values handed to the bar when the popup opens
  unsigned menu2 = 0;
  std::string text;    // the popup's title, "&" before the mnemonic
  unsigned value4 = 0;
};

class SECTBMenuBtn : public SECStdBtn {
 public:
  SECTBMenuBtn() { m_nType = kBtnMenuText; }

  // Init with the row's extra columns: copies them, finds the mnemonic and
  // measures the button.
  void InitMenu(ButtonHost* host, const SECMenuBtnRow& row);
  void CalcSize() override;
  // Unless disabled: pressed, and the popup opens; never captures.
  bool OnLButtonDown(Point p) override;
  const SECButtonClass* GetButtonClass() const override;

  virtual void OpenPopup();
  virtual void RecomputeMnemonic();

  const std::string& Text() const { return m_text; }
  char Mnemonic() const { return m_mnemonic; }

 protected:
  void DrawButton(SECBtnDrawState& s, bool plain, int& x, int& y, int& cx, int& cy, int cxImage = -1) override;

 private:
  std::string m_text;
  unsigned m_menu1 = 0, m_menu2 = 0, m_value4 = 0;
  char m_mnemonic = 0;
};

}  // namespace pm2
