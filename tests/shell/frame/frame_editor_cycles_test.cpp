// Hours of editing leave the frame as they found it: twenty files opened,
// typed in, undone and closed, over and over, through the frame's own
// commands and keys. After the first rounds (which fill the caches that
// stay: fonts, icons, the find history) every later round ends with the
// same objects, windows and list entries as the round before it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QAbstractButton>
#include <QFileDialog>
#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QTreeView>
#include <QTimer>
#include <QMdiArea>
#include <QTest>
#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "editor/document/editor_document.h"
#include "editor/ide/editor_view.h"
#include "editor/text/text_buffer.h"
#include "file_dialog_answer.h"
#include "shell/frame/command_table.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/main_frame.h"

namespace pm2 {
// Named: the program's test files are compiled as one file in CI.
namespace frame_editor_cycles_test {

using test::WaitFor;

constexpr CommandId kFileClose = 57602;
constexpr int kFiles = 20;
constexpr int kTyped = 200;

// What a closed window could leave behind, counted.
std::map<std::string, long> Census(CMainFrame* f) {
  std::map<std::string, long> c;
  c["objects under the frame"] = long(f->findChildren<QObject*>().size());
  c["objects under the application"] = long(qApp->findChildren<QObject*>().size());
  c["widgets"] = long(QApplication::allWidgets().size());
  c["top-level widgets"] = long(QApplication::topLevelWidgets().size());
  c["editor views"] = long(f->findChildren<EditorView*>().size());
  c["editor windows"] = f->Editors().Count();
  c["documents in the list"] = long(f->Editors().Documents().Documents().size());
  c["live editor documents"] = EditorDocument::LiveCount();
  c["workbook sheets"] = long(f->Sheets().size());
  c["MDI children"] = long(f->MdiClient()->subWindowList().size());
  return c;
}

std::string Differences(const std::map<std::string, long>& before, const std::map<std::string, long>& after) {
  std::string out;
  for (const auto& [name, n] : before)
    if (after.at(name) != n) out += name + ": " + std::to_string(n) + " -> " + std::to_string(after.at(name)) + "\n";
  return out;
}

// The resident size of this process in kB, for the report a measuring run
// prints (never compared: it depends on the machine).
long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

// Bytes the program holds allocated now (the heap's blocks in use, mapped
// blocks included): what a leak makes grow, unlike memory the allocator
// keeps for later.
long AllocatedKb() {
  const struct mallinfo2 m = mallinfo2();
  return long((m.uordblks + m.hblkhd) / 1024);
}

class EditorCyclesTest : public test::ExampleFrameTest {
 protected:
  // One round: every file opened and typed in, every change undone through
  // Edit > Undo until it is greyed, every window closed with File > Close.
  // Returns what went wrong, or nothing.
  std::string Round(CMainFrame* f, const std::vector<std::string>& files) {
    std::vector<std::string> texts;
    for (const std::string& path : files) {
      EditorView* v = OpenActive(f, path, 1);
      if (!v) return "'" + path + "' did not open";
      texts.push_back(v->Document().Text().GetText());
      QTest::keyClick(v, Qt::Key_End);
      QTest::keyClick(v, Qt::Key_Return);
      std::string typed;
      for (int i = 0; i < kTyped; ++i) typed += char('a' + i % 26);
      QTest::keyClicks(v, QString::fromLatin1(typed.c_str()));
      if (!v->Document().IsModified()) return "typing did not reach '" + path + "'";
    }
    for (int i = kFiles - 1; i >= 0; --i) {
      f->OpenFileAndShow(files[size_t(i)], 0, 0);
      EditorView* v = f->Editors().Active();
      if (!v) return "'" + files[size_t(i)] + "' is not in front";
      for (int n = 0; n < 4 * kTyped && f->QueryCommand(cmd::kEditUndo).enabled; ++n)
        f->ExecuteCommand(cmd::kEditUndo);
      if (v->Document().Text().GetText() != texts[size_t(i)]) return "undo did not restore '" + files[size_t(i)] + "'";
      if (v->Document().IsModified()) return "'" + files[size_t(i)] + "' is still modified after undoing all";
    }
    for (int i = 0; i < kFiles; ++i)
      if (!f->ExecuteCommand(kFileClose)) return "File > Close refused";
    // The windows go once their deletions have run.
    if (!WaitFor([&] {
          QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
          return f->Editors().Count() == 0;
        }))
      return "the windows did not go";
    return {};
  }
};

TEST_F(EditorCyclesTest, ClosedWindowsLeaveNothingBehindRoundAfterRound) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::vector<std::string> files;
  std::ifstream source(dir + "Blinky.c");
  std::stringstream text;
  text << source.rdbuf();
  for (int i = 0; i < kFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "cycle%02d.c", i);
    files.push_back(dir + name);
    std::ofstream(files.back(), std::ios::binary) << "/* file " << i << " */\n" << text.str();
  }
  // A measuring run (PM2_EDITOR_ROUNDS) goes on for more rounds and prints
  // the resident size after each.
  const char* env = std::getenv("PM2_EDITOR_ROUNDS");
  const int rounds = env ? std::max(4, std::atoi(env)) : 4;
  const int settled = 2;
  const long liveBefore = EditorDocument::LiveCount();
  std::map<std::string, long> after;
  for (int r = 1; r <= rounds; ++r) {
    ASSERT_EQ(Round(f, files), "") << "round " << r;
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(EditorDocument::LiveCount(), liveBefore) << "round " << r << ": closed documents still live";
    const auto now = Census(f);
    if (r > settled) {
      EXPECT_EQ(Differences(after, now), "") << "round " << r << " left more than round " << r - 1;
    }
    after = now;
    if (env) {
      malloc_trim(0);  // what is free goes back first: only what is held stays
      std::printf("round %d: %ld kB resident, %ld kB allocated\n", r, ResidentKb(), AllocatedKb());
      std::fflush(stdout);
    }
  }
}

// The same rounds as a person makes them: each file chosen in File > Open's
// dialog, the text typed and undone with keys (Ctrl+End, Ctrl+Z), each
// window closed with File > Close. A measuring run (PM2_EDITOR_ROUNDS) also
// prints the heap in use after each round, freed memory given back first.
TEST_F(EditorCyclesTest, RoundsThroughTheOpenDialogAndKeysLeaveNothingBehind) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::vector<std::string> files;
  std::ifstream source(dir + "Blinky.c");
  std::stringstream text;
  text << source.rdbuf();
  for (int i = 0; i < kFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "cycle%02d.c", i);
    files.push_back(dir + name);
    std::ofstream(files.back(), std::ios::binary) << "/* file " << i << " */\n" << text.str();
  }
  std::string choose;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
      test::EndWithFile(*dialog, QString::fromStdString(choose));
  });
  answer.start(5);
  std::string typed;
  for (int i = 0; i < kTyped; ++i) typed += char('a' + i % 25);
  const char* env = std::getenv("PM2_EDITOR_ROUNDS");
  const int rounds = env ? std::max(4, std::atoi(env)) : 4;
  const int settled = 2;
  const long liveBefore = EditorDocument::LiveCount();
  std::map<std::string, long> after;
  for (int r = 1; r <= rounds; ++r) {
    for (const std::string& path : files) {
      choose = path;
      ASSERT_TRUE(f->ExecuteCommand(cmd::kFileOpen));
      EditorView* v = f->Editors().Active();
      ASSERT_NE(v, nullptr) << path;
      ASSERT_EQ(v->Document().Path(), path);
      QTest::keyClick(v, Qt::Key_End, Qt::ControlModifier);
      QTest::keyClick(v, Qt::Key_Return);
      QTest::keyClicks(v, QString::fromLatin1(typed.c_str()));
      ASSERT_TRUE(v->Document().IsModified()) << path;
    }
    for (int i = 0; i < kFiles; ++i) {
      EditorView* v = f->Editors().Active();
      ASSERT_NE(v, nullptr);
      for (int n = 0; n < kTyped + 10; ++n) QTest::keyClick(v, Qt::Key_Z, Qt::ControlModifier);
      ASSERT_FALSE(v->Document().IsModified()) << v->Document().Path();
      ASSERT_TRUE(f->ExecuteCommand(kFileClose));
    }
    ASSERT_TRUE(WaitFor([&] {
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      return f->Editors().Count() == 0;
    }));
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(EditorDocument::LiveCount(), liveBefore) << "round " << r << ": closed documents still live";
    const auto now = Census(f);
    if (r > settled) {
      EXPECT_EQ(Differences(after, now), "") << "round " << r << " left more than round " << r - 1;
    }
    after = now;
    if (env) {
      malloc_trim(0);
      std::printf("round %d: %ld kB resident, %zu bytes in use\n", r, ResidentKb(), mallinfo2().uordblks);
      std::fflush(stdout);
    }
  }
}

// The icons a File > Open dialog shows, by where they show: its tool and
// Open/Cancel buttons (by name) and its detail view's header. Each is the
// key under which Qt's pixmap cache keeps the icon's drawn images.
std::map<std::string, qint64> DialogIcons(const QFileDialog& dialog) {
  std::map<std::string, qint64> icons;
  for (const QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
    if (!b->icon().isNull()) icons["button '" + (b->objectName().isEmpty() ? b->text() : b->objectName()).toStdString() + "'"] = b->icon().cacheKey();
  if (const auto* details = dialog.findChild<QTreeView*>("treeView")) {
    // As the header reads its icon: an icon, else a picture made one.
    const QVariant value = details->header()->model()->headerData(0, Qt::Horizontal, Qt::DecorationRole);
    QIcon header = qvariant_cast<QIcon>(value);
    if (header.isNull()) header = QIcon(qvariant_cast<QPixmap>(value));
    icons["header"] = header.cacheKey();
  }
  return icons;
}

std::string DifferentIcons(const std::map<std::string, qint64>& first, const std::map<std::string, qint64>& later) {
  std::string out;
  for (const auto& [where, key] : first)
    if (!later.count(where) || later.at(where) != key) out += where + "\n";
  return out;
}

// File > Open's dialog, opened again and again, shows its rows, buttons and
// header with the same icons each time: icons of its own for each dialog
// (and a new header icon at each paint) would leave their drawn images in
// Qt's pixmap cache, under keys nobody asks for again.
TEST_F(EditorCyclesTest, EveryOpenDialogShowsTheSameIcons) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::vector<const QAbstractFileIconProvider*> providers;
  std::vector<std::map<std::string, qint64>> icons;
  std::string choose;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    providers.push_back(dialog->iconProvider());
    icons.push_back(DialogIcons(*dialog));
    const auto again = DialogIcons(*dialog);
    if (again.count("header")) icons.back()["header, asked again"] = again.at("header");
    test::EndWithFile(*dialog, QString::fromStdString(choose));  // the Open button
  });
  answer.start(10);
  for (const char* name : {"Blinky.c", "LED.c", "Timer.c"}) {
    choose = dir + name;
    ASSERT_TRUE(f->ExecuteCommand(cmd::kFileOpen));
    ASSERT_NE(f->Editors().ActiveDocument(), nullptr);
    EXPECT_EQ(f->Editors().ActiveDocument()->FileName(), name);
  }
  ASSERT_EQ(providers.size(), 3u);
  ASSERT_NE(providers[0], nullptr);
  EXPECT_EQ(providers[1], providers[0]);
  EXPECT_EQ(providers[2], providers[0]);
  ASSERT_EQ(icons.size(), 3u);
  // Its back, forward, parent-folder, new-folder, view and Open/Cancel buttons.
  EXPECT_GE(icons[0].size(), 7u);
  EXPECT_EQ(icons[0].at("header, asked again"), icons[0].at("header"));
  EXPECT_EQ(DifferentIcons(icons[0], icons[1]), "");
  EXPECT_EQ(DifferentIcons(icons[0], icons[2]), "");
}

}  // namespace frame_editor_cycles_test
}  // namespace pm2
