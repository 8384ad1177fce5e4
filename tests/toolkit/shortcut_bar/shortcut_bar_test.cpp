// The shortcut bar widget on the offscreen platform: clicks reach the
// owner, items move by drag and drop inside a bar and between bars of this
// process, drops from elsewhere or onto an item are refused, the context
// menu switches modes, and the painting shows frames, buttons and markers.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QTest>

#include "toolkit/models/fake_list_host.h"
#include "toolkit/shortcut_bar/shortcut_list_ctrl.h"

namespace pm2 {
namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "toolkit_shortcut_bar_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return app;
}

// Records (code, item). Only the bar's own notices carry an NMSHORTCUT
// record; the list engine's (focus, keys) are a bare header: item -1.
class Events : public NotifyListener {
 public:
  std::vector<std::pair<int, int>> events;
  NotifyResult OnNotify(NotifyHeader& hdr) override {
    const bool record = hdr.code == NM_CLICK || hdr.code == kShortcutNotifyItemClick || hdr.code == kShortcutNotifyDrop;
    events.push_back({hdr.code, record ? reinterpret_cast<NMSHORTCUT&>(hdr).item : -1});
    return 0;
  }
  int Count(int code) const {
    int n = 0;
    for (auto& e : events) n += e.first == code;
    return n;
  }
};

ImageStrip Icons(int size, int count) {
  ImageStrip s;
  for (int i = 0; i < count; ++i) {
    QPixmap pm(size, size);
    pm.fill(QColor::fromHsv(i * 60, 200, 230));
    s.images.push_back(pm);
  }
  return s;
}

// Delivers a drag's data to a target bar at a point, as a drag that moves
// there and drops would, and answers what the drop did.
Qt::DropAction DeliverDrop(QWidget* target, QMimeData* data, QPoint at) {
  QDragEnterEvent enter(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return Qt::IgnoreAction;
  QDragMoveEvent move(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  if (!move.isAccepted()) return Qt::IgnoreAction;
  QDropEvent drop(QPointF(at), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

// A bar whose drags are delivered to `target` at `dropAt`.
class TestBar : public SECShortcutListCtrl {
 public:
  using SECShortcutListCtrl::SECShortcutListCtrl;
  QWidget* target = nullptr;
  QPoint dropAt;
  int drags = 0;

 protected:
  Qt::DropAction DoDragDrop(QMimeData* data) override {
    ++drags;
    std::unique_ptr<QMimeData> owned(data);
    return target ? DeliverDrop(target, data, dropAt) : Qt::IgnoreAction;
  }
};

class ShortcutBarWidget : public ::testing::Test {
 protected:
  void SetUp() override { App(); }
  std::unique_ptr<TestBar> Make(int items, const char* prefix = "Item") {
    auto bar = std::make_unique<TestBar>();
    bar->resize(100, 300);
    bar->SetImages(ImageListKind::Normal, Icons(32, 4));
    bar->SetImages(ImageListKind::Small, Icons(16, 4));
    for (int i = 0; i < items; ++i) bar->InsertItemImage(i, prefix + std::to_string(i), i % 4);
    bar->RecalcLayout();
    bar->SetNotifyListener(&events);
    bar->show();
    return bar;
  }
  // The middle of an item's icon.
  static QPoint IconOf(TestBar* bar, int index) {
    for (const auto& g : bar->VisibleItems()) {
      if (g.index == index) return QPoint((g.icon.left + g.icon.right) / 2, (g.icon.top + g.icon.bottom) / 2);
    }
    return {};
  }
  static std::vector<std::string> Texts(TestBar* bar) {
    std::vector<std::string> out;
    for (int i = 0; i < bar->GetItemCount(); ++i) out.push_back(bar->GetItemText(i, 0));
    return out;
  }
  Events events;
};

TEST_F(ShortcutBarWidget, AClickOnAnIconNotifiesClickAndItem) {
  auto bar = Make(3);
  QTest::mouseClick(bar.get(), Qt::LeftButton, {}, IconOf(bar.get(), 1));
  EXPECT_EQ(events.events, (std::vector<std::pair<int, int>>{{NM_CLICK, 1}, {kShortcutNotifyItemClick, 1}}));
  EXPECT_EQ(bar->GetItemHotState(1), kShortcutHot);
}

TEST_F(ShortcutBarWidget, MiddleButtonDoesNothing) {
  auto bar = Make(3);
  QTest::mouseClick(bar.get(), Qt::MiddleButton, {}, IconOf(bar.get(), 1));
  EXPECT_TRUE(events.events.empty());
  EXPECT_EQ(bar->GetItemHotState(1) & kShortcutPressed, 0u);
}

TEST_F(ShortcutBarWidget, DraggingToTheGapAfterTheLastItemMovesItToTheEnd) {
  auto bar = Make(3);
  bar->target = bar.get();
  const auto items = bar->VisibleItems();
  bar->dropAt = QPoint(50, items.back().row.bottom + 4);
  const QPoint from = IconOf(bar.get(), 0);
  QTest::mousePress(bar.get(), Qt::LeftButton, {}, from);
  QTest::mouseMove(bar.get(), from + QPoint(0, 8));
  EXPECT_EQ(bar->drags, 1);
  EXPECT_EQ(Texts(bar.get()), (std::vector<std::string>{"Item1", "Item2", "Item0"}));
  EXPECT_EQ(events.Count(kShortcutNotifyDrop), 1);
  EXPECT_EQ(bar->HotItem(), -1);
}

TEST_F(ShortcutBarWidget, AMoveToTheFrontOfTheSameBarDeletesTheRightRow) {
  auto bar = Make(3);
  bar->target = bar.get();
  bar->dropAt = QPoint(50, 4);
  const QPoint from = IconOf(bar.get(), 2);
  QTest::mousePress(bar.get(), Qt::LeftButton, {}, from);
  QTest::mouseMove(bar.get(), from + QPoint(8, 0));
  EXPECT_EQ(Texts(bar.get()), (std::vector<std::string>{"Item2", "Item0", "Item1"}));
}

TEST_F(ShortcutBarWidget, DraggingBetweenTwoBarsMovesTheItem) {
  auto left = Make(2, "L");
  auto right = Make(1, "R");
  left->target = right.get();
  left->dropAt = QPoint(50, 4);
  const QPoint from = IconOf(left.get(), 1);
  QTest::mousePress(left.get(), Qt::LeftButton, {}, from);
  QTest::mouseMove(left.get(), from + QPoint(0, -8));
  EXPECT_EQ(Texts(left.get()), (std::vector<std::string>{"L0"}));
  EXPECT_EQ(Texts(right.get()), (std::vector<std::string>{"L1", "R0"}));
  EXPECT_EQ(right->GetItemRecord(0)->image, 1);
}

TEST_F(ShortcutBarWidget, DroppingOntoAnIconIsRefusedAndNothingMoves) {
  auto bar = Make(3);
  bar->target = bar.get();
  bar->dropAt = IconOf(bar.get(), 1);
  const QPoint from = IconOf(bar.get(), 0);
  QTest::mousePress(bar.get(), Qt::LeftButton, {}, from);
  QTest::mouseMove(bar.get(), from + QPoint(0, 8));
  EXPECT_EQ(bar->drags, 1);
  EXPECT_EQ(Texts(bar.get()), (std::vector<std::string>{"Item0", "Item1", "Item2"}));
  EXPECT_EQ(events.Count(kShortcutNotifyDrop), 0);
}

TEST_F(ShortcutBarWidget, ADragFromAnotherProcessIsRefusedAtTheDoor) {
  auto bar = Make(2);
  std::unique_ptr<QMimeData> data = bar->PrepareDragData(0);
  QByteArray block = data->data(kShortcutDragFormat);
  block[0] = char(block[0] ^ 0xFF);
  data->setData(kShortcutDragFormat, block);
  QDragEnterEvent enter(QPoint(50, 4), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar.get(), &enter);
  EXPECT_FALSE(enter.isAccepted());
  QDropEvent drop(QPointF(50, 4), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar.get(), &drop);
  EXPECT_FALSE(drop.isAccepted());
  EXPECT_EQ(bar->GetItemCount(), 2);
}

TEST_F(ShortcutBarWidget, HoveringOverAGapShowsTheMarkerAndLeavingErasesIt) {
  auto bar = Make(2);
  std::unique_ptr<QMimeData> data = bar->PrepareDragData(0);
  QDragEnterEvent enter(QPoint(50, 4), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar.get(), &enter);
  QDragMoveEvent move(QPoint(50, 4), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar.get(), &move);
  EXPECT_EQ(bar->MarkerRect(), (Rect{0, 0, 100, 12}));
  const QImage shot = bar->grab().toImage();
  EXPECT_EQ(shot.pixelColor(4, 6), QColor(0, 0, 0));  // the left triangle
  QDragMoveEvent onIcon(IconOf(bar.get(), 0), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar.get(), &onIcon);
  EXPECT_FALSE(onIcon.isAccepted());
  EXPECT_TRUE(bar->MarkerRect().IsEmpty());
  QDragLeaveEvent leave;
  QApplication::sendEvent(bar.get(), &leave);
  EXPECT_TRUE(bar->MarkerRect().IsEmpty());
}

TEST_F(ShortcutBarWidget, ContextMenuChecksTheModeAndSwitchesIt) {
  auto bar = Make(3);
  std::unique_ptr<QMenu> menu(bar->CreateContextMenu());
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_EQ(actions[0]->text(), "&Large Icons");
  EXPECT_TRUE(actions[0]->isChecked());
  EXPECT_FALSE(actions[1]->isChecked());
  actions[1]->trigger();
  EXPECT_FALSE(bar->IsLargeIcons());
  std::unique_ptr<QMenu> again(bar->CreateContextMenu());
  EXPECT_TRUE(again->actions()[1]->isChecked());
}

TEST_F(ShortcutBarWidget, PaintsTheBarGreyFramesTheHotIconAndShowsTheDownButton) {
  auto bar = Make(8);
  QTest::mouseMove(bar.get(), IconOf(bar.get(), 0));
  const auto g = bar->VisibleItems()[0];
  const QImage shot = bar->grab().toImage();
  EXPECT_EQ(shot.pixelColor(2, 2), ToQColor(GetSysColor(SysColor::BtnShadow)));
  // Raised frame: highlight at the top left, black at the bottom right.
  EXPECT_EQ(shot.pixelColor(g.icon.left - 1, g.icon.top + 4), SysQColor(SysColor::BtnHighlight));
  EXPECT_EQ(shot.pixelColor(g.icon.right + 1, g.icon.top + 4), QColor(0, 0, 0));
  EXPECT_EQ(shot.pixelColor(g.icon.left + 4, g.icon.top + 4).rgb(), QColor::fromHsv(0, 200, 230).rgb());
  // The down button's raised frame: its inner highlight, then the face.
  const Rect down = bar->DownButton().rect;
  EXPECT_EQ(shot.pixelColor(down.left + 1, down.top + 1), SysQColor(SysColor::BtnHighlight));
  EXPECT_EQ(shot.pixelColor(down.left + 3, down.top + 3), SysQColor(SysColor::BtnFace));
  const Rect up = bar->UpButton().rect;
  EXPECT_EQ(shot.pixelColor(up.left + 2, up.top + 2), ToQColor(GetSysColor(SysColor::BtnShadow)));
}

TEST_F(ShortcutBarWidget, RestingOnTheHeldDownButtonScrollsEveryQuarterSecond) {
  auto bar = Make(12);
  const Rect down = bar->DownButton().rect;
  const QPoint on((down.left + down.right) / 2, (down.top + down.bottom) / 2);
  QCursor::setPos(bar->mapToGlobal(on));
  QApplication::processEvents();
  if (bar->mapFromGlobal(QCursor::pos()) != on) GTEST_SKIP() << "the platform cannot place the cursor";
  // The press steps once; each further step waits for the timer, so none
  // comes sooner than its quarter second after the press (a busy machine
  // only makes the steps later; the timer may run a twentieth early).
  // Waits for the step, bounded only to catch a timer that never fires.
  auto stepped = [&](int first) {
    QElapsedTimer bound;
    bound.start();
    while (bar->FirstVisible() < first && bound.elapsed() < 60000) QTest::qWait(5);
    return bar->FirstVisible();
  };
  QElapsedTimer clock;
  clock.start();
  QTest::mousePress(bar.get(), Qt::LeftButton, {}, on);
  EXPECT_EQ(bar->FirstVisible(), 1);
  EXPECT_GE(stepped(2), 2);
  EXPECT_GE(clock.elapsed(), kShortcutHoverMs - kShortcutHoverMs / 10);
  EXPECT_GE(stepped(3), 3);
  EXPECT_GE(clock.elapsed(), 2 * (kShortcutHoverMs - kShortcutHoverMs / 10));
  QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, on);
  const int first = bar->FirstVisible();
  QTest::qWait(kShortcutHoverMs * 2);
  EXPECT_EQ(bar->FirstVisible(), first);
}

TEST_F(ShortcutBarWidget, WheelScrollsTheBarALine) {
  auto bar = Make(8);
  QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(bar.get(), &wheel);
  EXPECT_EQ(bar->FirstVisible(), 1);
  EXPECT_TRUE(bar->UpButtonShown());
}

}  // namespace
}  // namespace pm2
