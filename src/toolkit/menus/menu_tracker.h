#pragma once
// The menu bar's keyboard and mouse logic as a state machine without a
// window: idle; keyboard menu mode (a title is hot, no popup); a popup open
// under a title. The bar feeds it what the user did and carries out what it
// answers: the popup to open (or none), and reads the hot title and mode.
//
//   idle      --Alt alone / F10-->      keyboard (first title hot)
//   keyboard  --Alt alone / Esc / click elsewhere--> idle
//   keyboard  --Left/Right-->           keyboard, next title hot
//   keyboard  --Down/Return/mnemonic--> open
//   any       --click on a title / Alt+mnemonic--> open
//   open      --Left/Right (not into a submenu)--> open the next title
//   open      --mouse over another title--> open that title
//   open      --Esc-->                  keyboard, the title hot
//   open      --command / click outside--> idle
//
// With a maximised document window its window menu (the icon at the bar's
// left end) takes a place before the first title: Left from the first
// title reaches it, Right from it the first title again.

#include <vector>

namespace pm2 {

enum class MenuMode { Idle, Keyboard, Open };
enum class MenuKey { Left, Right, Down, Return, Escape };
enum class PopupEnd { Escape, Command, Outside };

struct MenuNavButton {
  char mnemonic = 0;  // upper-case; 0 for none
  bool visible = true;
  bool enabled = true;
};

class MenuTracker {
 public:
  // The place of the document's window menu, as a title index.
  static constexpr int kWindowMenu = -2;

  void SetButtons(std::vector<MenuNavButton> buttons);
  // Whether the document's window menu is on the bar.
  void SetWindowMenu(bool shown);
  MenuMode Mode() const { return m_mode; }
  int Hot() const { return m_hot; }
  int OpenIndex() const { return m_open; }

  // Each input answers the title whose popup must open now (kWindowMenu:
  // the document's window menu), or -1.
  int AltDown();   // Alt pressed on its own
  int AltUp();     // Alt released; toggles the keyboard mode unless consumed
  void AltConsumed() { m_altAlone = false; }  // another key came with Alt
  int F10();
  int Key(MenuKey k);
  int Mnemonic(char c);  // Alt+letter, or a letter in keyboard mode
  int WindowMenu();      // Alt+- opens the document's window menu
  int Click(int index);  // a press on a title
  int Hover(int index);  // the mouse over a title while a popup is open
  int PopupEnded(PopupEnd how);
  // A press outside the bar, deactivation or a command from elsewhere.
  void Cancel();

  // Wrapping walk over the visible, enabled titles; -1 when none.
  int Step(int from, int dir) const;
  int FindMnemonic(char c) const;

 private:
  int OpenAt(int index);
  bool Usable(int i) const;

  std::vector<MenuNavButton> m_buttons;
  bool m_windowMenu = false;
  MenuMode m_mode = MenuMode::Idle;
  int m_hot = -1;
  int m_open = -1;
  bool m_altAlone = false;
  bool m_escapeToIdle = false;  // the open popup came from Alt+letter, not the menu mode
};

}  // namespace pm2
