#pragma once
// A main frame for the shortcut table: its accelerators and its menus, and
// a count of the tables installed.
#include <memory>
#include <string>

#include "toolkit/menus/shortcut_table.h"

namespace pm2::test {

inline std::vector<MenuEntry> ParseMenu(const std::string& text) {
  ResourceTables t;
  std::string err;
  EXPECT_TRUE(t.Load("MENU 1\n" + text + "END\n", "test", &err)) << err;
  return *t.Menu(1);
}

class FakeFrame : public AcceleratorFrame {
 public:
  explicit FakeFrame(AccelTable table = {}) {
    if (!table.empty()) current = std::make_shared<const AccelTable>(std::move(table));
  }
  bool HasMainWindow() const override { return window; }
  std::shared_ptr<const AccelTable> Accelerators() const override { return current; }
  void SetAccelerators(std::shared_ptr<const AccelTable> t) override {
    current = std::move(t);
    ++installs;
  }
  std::vector<MenuAccess*> Menus() override {
    std::vector<MenuAccess*> out;
    for (auto& m : menus) out.push_back(m.get());
    return out;
  }
  void AddMenu(const std::string& text) { menus.push_back(std::make_unique<EntryMenuAccess>(ParseMenu(text))); }

  bool window = true;
  std::shared_ptr<const AccelTable> current;
  int installs = 0;
  std::vector<std::unique_ptr<EntryMenuAccess>> menus;
};

}  // namespace pm2::test
