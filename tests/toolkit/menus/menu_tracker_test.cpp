#include "toolkit/menus/menu_tracker.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace pm2 {
namespace {

// Titles F(ile) E(dit) [hidden V(iew)] P(roject) H(elp); Project disabled
// in some rows.
MenuTracker Make(bool projectEnabled = true) {
  MenuTracker t;
  t.SetButtons({{'F'}, {'E'}, {'V', false}, {'P', true, projectEnabled}, {'H'}});
  return t;
}

struct Step {
  std::function<int(MenuTracker&)> input;
  MenuMode mode;
  int hot;
  int open;  // the popup the input opened, -1 none
};

struct Script {
  const char* name;
  std::vector<Step> steps;
  bool projectEnabled = true;
  bool windowMenu = false;  // a maximised document's window menu on the bar
};

const auto AltDown = [](MenuTracker& t) { return t.AltDown(); };
const auto AltUp = [](MenuTracker& t) { return t.AltUp(); };
const auto F10 = [](MenuTracker& t) { return t.F10(); };
auto K(MenuKey k) {
  return [k](MenuTracker& t) { return t.Key(k); };
}
auto Mn(char c) {
  return [c](MenuTracker& t) { return t.Mnemonic(c); };
}
auto Click(int i) {
  return [i](MenuTracker& t) { return t.Click(i); };
}
auto Hover(int i) {
  return [i](MenuTracker& t) { return t.Hover(i); };
}
const auto WindowMenu = [](MenuTracker& t) { return t.WindowMenu(); };
auto Ended(PopupEnd e) {
  return [e](MenuTracker& t) { return t.PopupEnded(e); };
}

TEST(MenuTracker, KeyboardAndMouseScripts) {
  using M = MenuMode;
  constexpr int W = MenuTracker::kWindowMenu;
  const Script scripts[] = {
      {"Alt alone enters, again leaves",
       {{AltDown, M::Idle, -1, -1}, {AltUp, M::Keyboard, 0, -1}, {AltDown, M::Idle, -1, -1}, {AltUp, M::Idle, -1, -1}}},
      {"Alt with a letter opens and does not enter the mode on release",
       {{AltDown, M::Idle, -1, -1}, {Mn('e'), M::Open, 1, 1}, {AltUp, M::Open, 1, -1}}},
      {"Esc after Alt with a letter leaves the menus: the next keys go to the window",
       {{AltDown, M::Idle, -1, -1},
        {Mn('e'), M::Open, 1, 1},
        {AltUp, M::Open, 1, -1},
        {K(MenuKey::Escape), M::Idle, -1, -1}}},
      {"Esc after a click goes to the mode", {{Click(3), M::Open, 3, 3}, {K(MenuKey::Escape), M::Keyboard, 3, -1}}},
      {"Esc after a letter typed in the mode goes back to the mode",
       {{F10, M::Keyboard, 0, -1}, {Mn('h'), M::Open, 4, 4}, {K(MenuKey::Escape), M::Keyboard, 4, -1}}},
      {"Esc after moving on from a popup opened in the mode goes back to the mode",
       {{F10, M::Keyboard, 0, -1},
        {K(MenuKey::Down), M::Open, 0, 0},
        {K(MenuKey::Right), M::Open, 1, 1},
        {K(MenuKey::Escape), M::Keyboard, 1, -1}}},
      {"arrows walk the titles, skipping hidden ones and wrapping",
       {{F10, M::Keyboard, 0, -1},
        {K(MenuKey::Right), M::Keyboard, 1, -1},
        {K(MenuKey::Right), M::Keyboard, 3, -1},
        {K(MenuKey::Right), M::Keyboard, 4, -1},
        {K(MenuKey::Right), M::Keyboard, 0, -1},
        {K(MenuKey::Left), M::Keyboard, 4, -1}}},
      {"disabled titles are skipped",
       {{F10, M::Keyboard, 0, -1}, {K(MenuKey::Left), M::Keyboard, 4, -1}, {K(MenuKey::Left), M::Keyboard, 1, -1}},
       false},
      {"Down opens, Esc goes back to the mode, Esc again leaves",
       {{F10, M::Keyboard, 0, -1},
        {K(MenuKey::Down), M::Open, 0, 0},
        {K(MenuKey::Escape), M::Keyboard, 0, -1},
        {K(MenuKey::Escape), M::Idle, -1, -1}}},
      {"Left and Right in an open popup open the neighbours",
       {{Click(1), M::Open, 1, 1}, {K(MenuKey::Right), M::Open, 3, 3}, {K(MenuKey::Left), M::Open, 1, 1}}},
      {"hovering another title switches popups, the same one does not",
       {{Click(0), M::Open, 0, 0}, {Hover(0), M::Open, 0, -1}, {Hover(4), M::Open, 4, 4}, {Hover(2), M::Open, 4, -1}}},
      {"a click on the open title closes it",
       {{Click(3), M::Open, 3, 3}, {Click(3), M::Idle, -1, -1}}},
      {"a command ends everything",
       {{F10, M::Keyboard, 0, -1}, {K(MenuKey::Return), M::Open, 0, 0}, {Ended(PopupEnd::Command), M::Idle, -1, -1}}},
      {"a letter in keyboard mode opens its title",
       {{F10, M::Keyboard, 0, -1}, {Mn('h'), M::Open, 4, 4}}},
      {"an unknown letter changes nothing",
       {{F10, M::Keyboard, 0, -1}, {Mn('q'), M::Keyboard, 0, -1}}},
      {"keys do nothing while idle",
       {{K(MenuKey::Down), M::Idle, -1, -1}, {K(MenuKey::Right), M::Idle, -1, -1}}},
      {"a document's window menu stands before the first title",
       {{F10, M::Keyboard, 0, -1},
        {K(MenuKey::Left), M::Keyboard, W, -1},
        {K(MenuKey::Left), M::Keyboard, 4, -1},
        {K(MenuKey::Right), M::Keyboard, W, -1},
        {K(MenuKey::Right), M::Keyboard, 0, -1},
        {K(MenuKey::Left), M::Keyboard, W, -1},
        {K(MenuKey::Down), M::Open, W, W},
        {K(MenuKey::Right), M::Open, 0, 0},
        {K(MenuKey::Left), M::Open, W, W}},
       true,
       true},
      {"Alt and minus open the window menu; Esc leaves the menus",
       {{AltDown, M::Idle, -1, -1}, {WindowMenu, M::Open, W, W}, {AltUp, M::Open, W, -1},
        {K(MenuKey::Escape), M::Idle, -1, -1}},
       true,
       true},
      {"without a maximised document there is no window menu",
       {{AltDown, M::Idle, -1, -1}, {WindowMenu, M::Idle, -1, -1}, {F10, M::Keyboard, 0, -1},
        {K(MenuKey::Left), M::Keyboard, 4, -1}}},
  };
  for (const Script& s : scripts) {
    MenuTracker t = Make(s.projectEnabled);
    t.SetWindowMenu(s.windowMenu);
    int step = 0;
    for (const Step& st : s.steps) {
      const int opened = st.input(t);
      EXPECT_EQ(opened, st.open) << s.name << " step " << step;
      EXPECT_EQ(t.Mode(), st.mode) << s.name << " step " << step;
      EXPECT_EQ(t.Hot(), st.hot) << s.name << " step " << step;
      ++step;
    }
  }
}

TEST(MenuTracker, NoUsableTitleNeverEntersTheMode) {
  MenuTracker t;
  t.SetButtons({{'F', false}, {'E', true, false}});
  t.F10();
  EXPECT_EQ(t.Mode(), MenuMode::Idle);
  t.AltDown();
  t.AltUp();
  EXPECT_EQ(t.Mode(), MenuMode::Idle);
  EXPECT_EQ(t.Click(1), -1);
}

}  // namespace
}  // namespace pm2
