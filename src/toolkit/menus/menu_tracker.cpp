#include "toolkit/menus/menu_tracker.h"

#include <cctype>

namespace pm2 {

void MenuTracker::SetButtons(std::vector<MenuNavButton> buttons) {
  m_buttons = std::move(buttons);
  if (!Usable(m_hot)) m_hot = m_mode == MenuMode::Idle ? -1 : Step(-1, 1);
}

void MenuTracker::SetWindowMenu(bool shown) {
  m_windowMenu = shown;
  if (!Usable(m_hot) && m_mode == MenuMode::Keyboard) m_hot = Step(-1, 1);
}

bool MenuTracker::Usable(int i) const {
  if (i == kWindowMenu) return m_windowMenu;
  return i >= 0 && i < int(m_buttons.size()) && m_buttons[std::size_t(i)].visible &&
         m_buttons[std::size_t(i)].enabled;
}

int MenuTracker::Step(int from, int dir) const {
  // The ring of places: the window menu (when shown) before the titles.
  // From -1 (none) the walk starts at the first title.
  const int first = m_windowMenu ? -1 : 0;  // ring position of the window menu, else of title 0
  const int n = int(m_buttons.size()) - first;
  if (n <= 0) return -1;
  auto place = [&](int pos) { return pos + first == -1 ? kWindowMenu : pos + first; };
  int pos = from == kWindowMenu ? 0 : from < 0 ? (dir > 0 ? -1 - first : 0) : from - first;
  for (int k = 0; k < n; ++k) {
    pos = ((pos + dir) % n + n) % n;
    if (from < 0 && from != kWindowMenu && place(pos) == kWindowMenu) continue;
    if (Usable(place(pos))) return place(pos);
  }
  return -1;
}

int MenuTracker::FindMnemonic(char c) const {
  const char up = char(std::toupper(static_cast<unsigned char>(c)));
  for (int i = 0; i < int(m_buttons.size()); ++i)
    if (up && Usable(i) && m_buttons[std::size_t(i)].mnemonic == up) return i;
  return -1;
}

int MenuTracker::OpenAt(int index) {
  if (!Usable(index)) return -1;
  if (m_mode != MenuMode::Open) m_escapeToIdle = false;
  m_mode = MenuMode::Open;
  m_open = m_hot = index;
  return index;
}

int MenuTracker::AltDown() {
  m_altAlone = true;
  if (m_mode == MenuMode::Keyboard) {
    // Alt again leaves the mode; its release must not enter it once more.
    Cancel();
    m_altAlone = false;
  }
  return -1;
}

int MenuTracker::AltUp() {
  if (!m_altAlone) return -1;
  m_altAlone = false;
  if (m_mode == MenuMode::Idle) {
    const int first = Step(-1, 1);
    if (first >= 0) {
      m_mode = MenuMode::Keyboard;
      m_hot = first;
    }
  } else if (m_mode == MenuMode::Keyboard) {
    Cancel();
  }
  return -1;
}

int MenuTracker::F10() {
  m_altAlone = false;
  if (m_mode == MenuMode::Keyboard) {
    Cancel();
    return -1;
  }
  if (m_mode == MenuMode::Idle) {
    m_hot = Step(-1, 1);
    if (m_hot >= 0) m_mode = MenuMode::Keyboard;
  }
  return -1;
}

int MenuTracker::Key(MenuKey k) {
  if (m_mode == MenuMode::Idle) return -1;
  const int from = m_mode == MenuMode::Open ? m_open : m_hot;
  switch (k) {
    case MenuKey::Left:
    case MenuKey::Right: {
      const int next = Step(from, k == MenuKey::Left ? -1 : 1);
      if (m_mode == MenuMode::Open) return OpenAt(next);
      m_hot = next;
      return -1;
    }
    case MenuKey::Down:
    case MenuKey::Return: return m_mode == MenuMode::Keyboard ? OpenAt(m_hot) : -1;
    case MenuKey::Escape:
      if (m_mode == MenuMode::Open) return PopupEnded(PopupEnd::Escape);
      Cancel();
      return -1;
  }
  return -1;
}

int MenuTracker::Mnemonic(char c) {
  m_altAlone = false;
  const bool straight = m_mode == MenuMode::Idle;
  const int i = FindMnemonic(c);
  const int opened = i >= 0 ? OpenAt(i) : -1;
  // Alt+letter opens a popup without entering the keyboard menu mode:
  // Escape then leaves the menus, and the next keys go to the window.
  if (opened >= 0 && straight) m_escapeToIdle = true;
  return opened;
}

int MenuTracker::WindowMenu() {
  m_altAlone = false;
  const bool straight = m_mode == MenuMode::Idle;
  const int opened = OpenAt(kWindowMenu);
  if (opened != -1 && straight) m_escapeToIdle = true;
  return opened;
}

int MenuTracker::Click(int index) {
  m_altAlone = false;
  if (m_mode == MenuMode::Open && index == m_open) {
    // A click on the open title closes its popup.
    Cancel();
    return -1;
  }
  return OpenAt(index);
}

int MenuTracker::Hover(int index) {
  if (m_mode == MenuMode::Open && index != m_open && Usable(index)) return OpenAt(index);
  if (m_mode == MenuMode::Keyboard && Usable(index)) m_hot = index;
  return -1;
}

int MenuTracker::PopupEnded(PopupEnd how) {
  if (m_mode != MenuMode::Open) return -1;
  m_open = -1;
  if (how == PopupEnd::Escape && !m_escapeToIdle) {
    m_mode = MenuMode::Keyboard;
  } else {
    m_mode = MenuMode::Idle;
    m_hot = -1;
  }
  return -1;
}

void MenuTracker::Cancel() {
  m_mode = MenuMode::Idle;
  m_hot = m_open = -1;
}

}  // namespace pm2
