// The toolkit's widgets on Qt's offscreen platform: real events in, the
// engine's state and the owner's notifications out.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <filesystem>
#include <unistd.h>

#include "toolkit/controls/browse_edit.h"
#include "toolkit/controls/dialog_item.h"
#include "toolkit/controls/list_box_editor.h"
#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {
namespace {

QApplication* ControlsApp() {
  static int argc = 1;
  static char name[] = "toolkit_controls_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return app;
}

void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

void Click(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier,
           bool dbl = false) {
  const QPointF pos(p);
  const QPointF global(w->mapToGlobal(p));
  QMouseEvent press(dbl ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, pos, global, b, b, mods);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, pos, global, b, Qt::NoButton, mods);
  QApplication::sendEvent(w, &release);
}

class Owner : public NotifyListener, public CommandListener {
 public:
  std::vector<int> codes;
  std::vector<unsigned> keys;  // the keys of the key-down notifications
  int focusAtKey = -2;         // the list's focus row at the last one
  SECListBaseC* watched = nullptr;
  std::vector<int> commands;
  NotifyResult endEditAnswer = 1;
  NotifyResult OnNotify(NotifyHeader& hdr) override {
    codes.push_back(hdr.code);
    if (hdr.code == LVN_KEYDOWN) keys.push_back(reinterpret_cast<NMLVKEYDOWN&>(hdr).wVKey);
    if (hdr.code == TVN_KEYDOWN) keys.push_back(reinterpret_cast<NMTVKEYDOWN&>(hdr).wVKey);
    if ((hdr.code == LVN_KEYDOWN || hdr.code == TVN_KEYDOWN) && watched) focusAtKey = watched->GetFocusIndex();
    return hdr.code == LVN_ENDLABELEDIT || hdr.code == TVN_ENDLABELEDIT ? endEditAnswer : 0;
  }
  void OnCommand(unsigned, int code, const void*) override { commands.push_back(code); }
  int Count(int c) const { return int(std::count(codes.begin(), codes.end(), c)); }
};

class WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override { ControlsApp(); }
};

SECListCtrl* MakeList(Owner* owner, int rows, unsigned style = LVS_REPORT | LVS_EDITLABELS | LVS_NOLABELWRAP) {
  auto* list = new SECListCtrl(nullptr, style);
  list->SetNotifyListener(owner);
  list->resize(240, 160);
  list->AddColumn("Name", LVCFMT_LEFT, 120);
  list->AddColumn("Value", LVCFMT_LEFT, 100);
  for (int i = 0; i < rows; ++i) list->InsertItemText(i, "row" + std::to_string(i));
  list->UpdateScrollBars();
  list->show();
  list->activateWindow();
  list->setFocus();
  QApplication::processEvents();
  return list;
}

QPoint RowPoint(SECListBaseC* list, int row, int column = 0) {
  Rect r;
  list->GetCellRect(row, column, &r, 2);
  return QPoint(r.left + 2, (r.top + r.bottom) / 2);
}

TEST_F(WidgetTest, ListClicksKeysAndInPlaceEditing) {
  Owner owner;
  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 30));
  Click(list.get(), RowPoint(list.get(), 2));
  EXPECT_EQ(list->GetFocusIndex(), 2);
  Click(list.get(), RowPoint(list.get(), 4), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(list->Selection(), (std::vector<int>{2, 3, 4}));
  Key(list.get(), Qt::Key_End);
  EXPECT_EQ(list->GetFocusIndex(), 29);
  EXPECT_GT(list->GetTopIndex(), 0);
  EXPECT_TRUE(list->VertBar().shown);

  Key(list.get(), Qt::Key_F2);
  auto* editor = list->findChild<SECListEdit*>();
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->isVisible());
  EXPECT_EQ(editor->toPlainText(), "row29");
  editor->setPlainText("renamed");
  EXPECT_EQ(list->GetItemText(29, 0), "renamed");  // the cell follows the typing
  Key(editor, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(list->GetEditItem(), -1);
  EXPECT_EQ(list->GetItemText(29, 0), "renamed");
  EXPECT_EQ(owner.Count(LVN_ENDLABELEDIT), 1);

  Key(list.get(), Qt::Key_F2);
  editor = list->findChild<SECListEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setPlainText("dropped");
  Key(editor, Qt::Key_Escape);
  EXPECT_EQ(list->GetItemText(29, 0), "renamed");
  EXPECT_FALSE(list->grab().isNull());
}

ImageStrip Solid(QColor c, int size, int count = 2) {
  ImageStrip strip;
  for (int i = 0; i < count; ++i) {
    QPixmap pm(size, size);
    pm.fill(c);
    strip.images.push_back(pm);
  }
  return strip;
}

TEST_F(WidgetTest, IconViewPaintsAndClicksWhereTheLayoutSays) {
  Owner owner;
  std::unique_ptr<SECListCtrl> list(new SECListCtrl(nullptr, LVS_ICON));
  list->resize(240, 160);
  list->SetImages(ImageListKind::Normal, Solid(Qt::blue, 32));
  list->SetColumnWidth(0, 70);
  for (int i = 0; i < 8; ++i) list->InsertItemImage(i, "icon" + std::to_string(i), 0);
  list->UpdateScrollBars();
  list->show();
  QApplication::processEvents();
  ASSERT_EQ(list->IconsPerLine(), 3);
  Rect img;
  ASSERT_TRUE(list->GetCellRect(4, 0, &img, 1));
  const QImage shot = list->grab().toImage();
  EXPECT_EQ(shot.pixelColor((img.left + img.right) / 2, (img.top + img.bottom) / 2), QColor(Qt::blue));
  Click(list.get(), RowPoint(list.get(), 4));
  EXPECT_EQ(list->GetFocusIndex(), 4);
  Key(list.get(), Qt::Key_Up);
  EXPECT_EQ(list->GetFocusIndex(), 1);
}

TEST_F(WidgetTest, DragImagesOfTreeItemsAndHeaderButtons) {
  Owner owner;
  std::unique_ptr<SECTreeCtrl> tree(new SECTreeCtrl(nullptr));
  tree->resize(240, 160);
  tree->SetImages(ImageListKind::Normal, Solid(Qt::red, 16));
  TreeInsert ins;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  ins.item.text = "alpha";
  ins.item.image = ins.item.selectedImage = 0;
  HTREEITEM a = tree->InsertItem(ins);
  HTREEITEM hidden = tree->InsertItem("hidden", a);
  tree->UpdateScrollBars();
  tree->show();
  QApplication::processEvents();

  const QPixmap drag = tree->CreateDragImage(a);
  ASSERT_FALSE(drag.isNull());
  const int labelWidth = QFontMetrics(tree->font()).horizontalAdvance("alpha") + 4;
  EXPECT_EQ(drag.width(), 16 + 6 + labelWidth);
  const QImage img = drag.toImage();
  EXPECT_EQ(img.pixelColor(8, img.height() / 2), QColor(Qt::red));      // the icon
  EXPECT_EQ(img.pixelColor(16 + 3, img.height() / 2).alpha(), 0);      // the gap
  bool labelInk = false;
  for (int x = 22; x < img.width(); ++x) labelInk |= img.pixelColor(x, img.height() / 2).alpha() > 0;
  EXPECT_TRUE(labelInk);
  EXPECT_TRUE(tree->CreateDragImage(hidden).isNull());  // collapsed: no row
  EXPECT_TRUE(tree->CreateDragImage(nullptr).isNull());

  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 2));
  const QPixmap button = list->View().CreateHeaderDragImage(1);
  EXPECT_EQ(button.size(), QSize(list->GetColumnWidth(1), list->GetHeaderHeight()));
  EXPECT_TRUE(list->View().CreateHeaderDragImage(5).isNull());
}

TEST_F(WidgetTest, ListTypeAheadThroughKeyEvents) {
  Owner owner;
  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 0));
  for (const char* t : {"alpha", "beta", "bravo", "charlie"}) list->InsertItemText(list->GetItemCount(), t);
  Key(list.get(), Qt::Key_B, Qt::NoModifier, "b");
  EXPECT_EQ(list->GetFocusIndex(), 1);
  Key(list.get(), Qt::Key_R, Qt::NoModifier, "r");
  EXPECT_EQ(list->GetFocusIndex(), 2);
}

// Every key pressed in a list is told to its owner, with the key that
// carries it, before the key acts (a type-ahead jump moves the selection
// after the notice, so the owner looks again once it has moved).
TEST_F(WidgetTest, EveryKeyIsToldToTheOwnerBeforeItActs) {
  struct Row {
    const char* name;
    int qtKey;
    Qt::KeyboardModifiers mods;
    const char* text;
    unsigned vk;
  };
  const Row rows[] = {
      {"digit", Qt::Key_0, Qt::NoModifier, "0", '0'},
      {"letter", Qt::Key_B, Qt::NoModifier, "b", 'B'},
      {"capital", Qt::Key_B, Qt::ShiftModifier, "B", 'B'},
      {"shifted digit", Qt::Key_Exclam, Qt::ShiftModifier, "!", '1'},
      {"number pad digit", Qt::Key_1, Qt::KeypadModifier, "1", 0x61},
      {"function key", Qt::Key_F5, Qt::NoModifier, "", 0x74},
      {"equals", Qt::Key_Equal, Qt::NoModifier, "=", 187},
      {"underscore", Qt::Key_Underscore, Qt::ShiftModifier, "_", 189},
      {"down", Qt::Key_Down, Qt::NoModifier, "", 40},
      {"with Alt", Qt::Key_F5, Qt::AltModifier, "", 0x74},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Owner owner;
    std::unique_ptr<SECListCtrl> list(MakeList(&owner, 0));
    for (const char* t : {"001: a", "002: b", "1 c", "beta"}) list->InsertItemText(list->GetItemCount(), t);
    owner.watched = list.get();
    const int before = list->GetFocusIndex();
    Key(list.get(), r.qtKey, r.mods, r.text);
    EXPECT_EQ(owner.keys, std::vector<unsigned>{r.vk});
    EXPECT_EQ(owner.focusAtKey, before);  // told before it acts
  }
  // A letter's type-ahead moves the focus after the notice.
  Owner owner;
  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 0));
  for (const char* t : {"alpha", "beta"}) list->InsertItemText(list->GetItemCount(), t);
  list->SetFocusItem(0, true);
  owner.watched = list.get();
  Key(list.get(), Qt::Key_B, Qt::NoModifier, "b");
  EXPECT_EQ(owner.focusAtKey, 0);
  EXPECT_EQ(list->GetFocusIndex(), 1);
}

// In a tree '=' expands and '_' collapses, as the plus and minus keys that
// carry them do; neither starts a search.
// A view that listens to the tree and list it holds, as the project
// window does: its destruction takes them along, and they go without a
// word to it (a half-destroyed listener reached its pure virtual handler).
class ListeningView : public QWidget, public NotifyListener {
 public:
  explicit ListeningView(int* late) : m_late(late) {}
  ~ListeningView() override { m_gone = true; }
  NotifyResult OnNotify(NotifyHeader&) override {
    if (m_gone) ++*m_late;
    return 0;
  }

 private:
  int* m_late;
  bool m_gone = false;
};

TEST_F(WidgetTest, ControlsGoingWithTheirListeningParentTellItNothing) {
  int late = 0;
  auto* view = new ListeningView(&late);
  auto* tree = new SECTreeCtrl(view);
  tree->SetNotifyListener(view);
  HTREEITEM a = tree->InsertItem("a");
  tree->InsertItem("a1", a);
  auto* list = new SECListCtrl(view, LVS_REPORT);
  list->SetNotifyListener(view);
  list->AddColumn("Name", LVCFMT_LEFT, 120);
  list->InsertItemText(0, "row");
  // Shown, with the list holding the keyboard: the window's going takes
  // the focus from it, which it would tell.
  view->show();
  view->activateWindow();
  list->setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowActive(view));
  ASSERT_TRUE(list->hasFocus());
  delete view;
  EXPECT_EQ(late, 0);
}

TEST_F(WidgetTest, TreeExpandsOnEqualsAndCollapsesOnUnderscore) {
  Owner owner;
  auto tree = std::make_unique<SECTreeCtrl>();
  tree->SetNotifyListener(&owner);
  tree->resize(220, 160);
  HTREEITEM a = tree->InsertItem("a");
  tree->InsertItem("a1", a);
  tree->show();
  tree->setFocus();
  QApplication::processEvents();
  tree->SelectItem(a);
  Key(tree.get(), Qt::Key_Equal, Qt::NoModifier, "=");
  EXPECT_TRUE(tree->IsItemExpanded(a));
  Key(tree.get(), Qt::Key_Underscore, Qt::ShiftModifier, "_");
  EXPECT_FALSE(tree->IsItemExpanded(a));
  EXPECT_EQ(tree->GetTypeAheadFlags(), 0);
  EXPECT_EQ(owner.keys, (std::vector<unsigned>{187, 189}));
}

TEST_F(WidgetTest, TypeAheadTakesLettersBeyondAscii) {
  Owner owner;
  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 0));
  for (const char* t : {"apfel", "\xc3\x84nderung", "\xc3\xa4hnlich", "zebra"}) {
    list->InsertItemText(list->GetItemCount(), t);
  }
  list->SetFocusItem(0, true);
  Key(list.get(), Qt::Key_Adiaeresis, Qt::NoModifier, QString::fromUtf8("\xc3\xa4"));
  EXPECT_EQ(list->GetFocusIndex(), 1);  // letters compare without case, as ASCII ones do
  Key(list.get(), Qt::Key_H, Qt::NoModifier, "h");
  EXPECT_EQ(list->GetFocusIndex(), 2);
  EXPECT_EQ(list->GetTypeAheadText(), "\xc3\xa4h");
}

TEST_F(WidgetTest, SystemColourChangeReachesListsAndTrees) {
  Owner owner;
  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 3));
  std::unique_ptr<SECTreeCtrl> tree(new SECTreeCtrl(nullptr));
  list->SetAutoSysColors(true);
  tree->SetAutoSysColors(true);
  const Color old = GetSysColor(SysColor::Window);
  SysColors().Set(SysColor::Window, MakeRgb(1, 2, 3));
  SysColors().Set(SysColor::WindowText, MakeRgb(200, 0, 0));
  QEvent change(QEvent::PaletteChange);
  QApplication::sendEvent(list.get(), &change);
  QApplication::sendEvent(tree.get(), &change);
  EXPECT_EQ(list->GetTextBkColor(), MakeRgb(1, 2, 3));
  EXPECT_EQ(tree->GetTextBkColor(), MakeRgb(1, 2, 3));
  EXPECT_EQ(tree->GetTextColor(), MakeRgb(200, 0, 0));
  // Without the auto flag the colours stay what the owner set.
  list->SetAutoSysColors(false);
  SysColors().Set(SysColor::Window, MakeRgb(9, 9, 9));
  QApplication::sendEvent(list.get(), &change);
  EXPECT_EQ(list->GetTextBkColor(), MakeRgb(1, 2, 3));
  SysColors().ResetToClassic();
  EXPECT_EQ(GetSysColor(SysColor::Window), old);
}

void Press(QWidget* w, QPoint p, Qt::MouseButton b, Qt::MouseButtons held) {
  QMouseEvent e(QEvent::MouseButtonPress, QPointF(p), QPointF(w->mapToGlobal(p)), b, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void Move(QWidget* w, QPoint p, Qt::MouseButtons held) {
  QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

TEST_F(WidgetTest, RightButtonCancelsAColumnResizeAndCaptureLossEndsIt) {
  Owner owner;
  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 3));
  const int divider = list->GetColumnRight(0);
  Press(list.get(), QPoint(divider, 5), Qt::LeftButton, Qt::LeftButton);
  ASSERT_TRUE(list->ResizeActive());
  Move(list.get(), QPoint(divider + 30, 5), Qt::LeftButton);
  Press(list.get(), QPoint(divider + 30, 5), Qt::RightButton, Qt::LeftButton | Qt::RightButton);
  EXPECT_FALSE(list->ResizeActive());
  EXPECT_EQ(list->GetColumnWidth(0), 120);
  EXPECT_EQ(list->GetSelectedCount(), 1);  // the press selected nothing

  Press(list.get(), QPoint(divider, 5), Qt::LeftButton, Qt::LeftButton);
  ASSERT_TRUE(list->ResizeActive());
  Move(list.get(), QPoint(divider - 20, 5), Qt::LeftButton);
  QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(list.get(), &out);
  EXPECT_FALSE(list->ResizeActive());
  EXPECT_EQ(list->GetColumnWidth(0), 100);  // the last tracked position
}

TEST_F(WidgetTest, TipShowsOnlyForClippedText) {
  Owner owner;
  SECListTip::SetRequireActiveWindow(false);
  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 3));
  list->SetItemText(0, 1, "a value far too long for its column\nsecond line");
  list->SetItemText(1, 1, "short");
  list->ReMeasureAndUpdate();
  SECListTip* tip = list->View().Tip();
  EXPECT_TRUE(tip->Show(LVHT_ONROW, 0, 1, {}));
  EXPECT_TRUE(tip->isVisible());
  EXPECT_EQ(tip->Text(), "a value far too long for its column");
  EXPECT_TRUE(tip->Show(LVHT_ONROW, 0, 1, {}));  // same cell: stays
  EXPECT_FALSE(tip->Show(LVHT_ONROW, 1, 1, {}));
  EXPECT_FALSE(tip->isVisible());
  EXPECT_FALSE(tip->Show(LVHT_ONROW, 0, 0, {}));  // column 0 needs the label bit
  SECListTip::SetRequireActiveWindow(true);
}

// A selected row's tip shows in the selection colours, any other in the
// list's own text colours (set apart here from every system colour).
TEST_F(WidgetTest, TipColoursFollowTheRowsSelection) {
  Owner owner;
  SECListTip::SetRequireActiveWindow(false);
  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 3));
  list->SetTextBkColor(MakeRgb(0x12, 0x34, 0x56));
  list->SetItemText(0, 1, "a value far too long for its column");
  list->SetItemText(2, 1, "another value far too long for it");
  list->ReMeasureAndUpdate();
  ASSERT_TRUE(list->IsItemSelected(0));
  ASSERT_FALSE(list->IsItemSelected(2));
  struct Row {
    const char* name;
    int item;
    QColor background;
  } rows[] = {{"selected row", 0, SysQColor(SysColor::Highlight)}, {"other row", 2, QColor(0x12, 0x34, 0x56)}};
  SECListTip* tip = list->View().Tip();
  for (const Row& r : rows) {
    ASSERT_TRUE(tip->Show(LVHT_ONROW, r.item, 1, {})) << r.name;
    const QImage shot = tip->grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() - 2, 1), r.background) << r.name;
  }
  tip->Hide();
  SECListTip::SetRequireActiveWindow(true);
}

// Column grid lines draw a line under the last row only; row lines draw
// one under every row.
TEST_F(WidgetTest, GridLinesUnderRows) {
  Owner owner;
  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 3));
  struct Row {
    const char* name;
    unsigned exStyle;
    int item;
    bool line;
  } rows[] = {
      {"column grid, inner row", LVXS_GRIDLINES, 0, false},
      {"column grid, last row", LVXS_GRIDLINES, 2, true},
      {"row lines, inner row", LVXS_GRIDLINES_ROW, 0, true},
      {"both, inner row", LVXS_GRIDLINES | LVXS_GRIDLINES_ROW, 1, true},
  };
  const QColor shadow = SysQColor(SysColor::BtnShadow);
  for (const Row& r : rows) {
    list->ModifyListStyleEx(LVXS_GRIDLINES | LVXS_GRIDLINES_ROW, r.exStyle);
    Rect cell;
    ASSERT_TRUE(list->GetCellRect(r.item, 0, &cell, 0)) << r.name;
    const QImage shot = list->grab().toImage();
    EXPECT_EQ(shot.pixelColor(cell.right - 10, cell.bottom - 1) == shadow, r.line) << r.name;
  }
}

// Images of a tree row: with the blend style the drop-highlight row's icon
// is tinted; a state-image index past the strip draws no state image.
TEST_F(WidgetTest, TreeRowImagesBlendAndSkipMissingStateImages) {
  auto tree = std::make_unique<SECTreeCtrl>();
  tree->resize(220, 160);
  tree->SetImages(ImageListKind::Normal, Solid(Qt::green, 16));
  tree->SetImages(ImageListKind::State, Solid(Qt::red, 16));
  tree->ModifyListStyles(0, 0, 0, LVXS_BLEND);
  HTREEITEM rows[2] = {};
  for (int i = 0; i < 2; ++i) {
    TreeInsert ins;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    ins.item.text = "item";
    ins.item.image = ins.item.selectedImage = 0;
    ins.item.state = 0x3000;  // state image 3 of a strip of 2
    ins.item.stateMask = 0xF000;
    rows[i] = tree->InsertItem(ins);
  }
  tree->SelectDropTarget(rows[0]);
  tree->show();
  QApplication::processEvents();
  const QImage shot = tree->grab().toImage();
  for (int r = 0; r < 2; ++r) {
    Rect img;
    ASSERT_TRUE(tree->GetCellRect(r, 0, &img, 1));
    const QColor icon = shot.pixelColor((img.left + img.right) / 2, (img.top + img.bottom) / 2);
    if (r == 0) {
      EXPECT_NE(icon, QColor(Qt::green)) << "drop-highlight row is tinted";
    } else {
      EXPECT_EQ(icon, QColor(Qt::green));
    }
    // The state image would sit just left of the icon.
    EXPECT_NE(shot.pixelColor(img.left - 8, (img.top + img.bottom) / 2), QColor(Qt::red)) << r;
  }
}

// The tip lies over the clipped text so exactly that its first letter
// stands where the row drew it: same leftmost inked column.
TEST_F(WidgetTest, TipTextStandsOverTheRowsText) {
  Owner owner;
  SECListTip::SetRequireActiveWindow(false);
  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 3));
  list->SetTextBkColor(MakeRgb(255, 255, 255));
  list->SetItemText(2, 1, "Hello, a value far too long for its column");
  list->ReMeasureAndUpdate();
  SECListTip* tip = list->View().Tip();
  ASSERT_TRUE(tip->Show(LVHT_ONROW, 2, 1, {}));
  const QImage rowShot = list->grab().toImage();
  const QImage tipShot = tip->grab().toImage();
  Rect cell;
  ASSERT_TRUE(list->GetCellRect(2, 1, &cell, 0));
  const QColor bg(255, 255, 255);
  auto firstInk = [&](const QImage& img, int x0, int x1, int y0, int y1) {
    for (int x = x0; x < x1; ++x)
      for (int y = y0; y < y1; ++y)
        if (img.pixelColor(x, y) != bg) return x;
    return -1;
  };
  const QPoint tipAt = list->mapFromGlobal(tip->geometry().topLeft());
  const int inRow = firstInk(rowShot, cell.left + 1, cell.right - 5, cell.top + 1, cell.bottom - 1);
  const int inTip = firstInk(tipShot, 1, tipShot.width() - 1, 1, tipShot.height() - 1);
  ASSERT_GE(inRow, 0);
  ASSERT_GE(inTip, 0);
  EXPECT_EQ(tipAt.x() + inTip, inRow);
  tip->Hide();
  SECListTip::SetRequireActiveWindow(true);
}

TEST_F(WidgetTest, TreeButtonClickAndKeys) {
  Owner owner;
  auto tree = std::make_unique<SECTreeCtrl>();
  tree->SetNotifyListener(&owner);
  tree->resize(220, 160);
  HTREEITEM a = tree->InsertItem("a");
  tree->InsertItem("a1", a);
  tree->InsertItem("b");
  tree->show();
  tree->setFocus();
  QApplication::processEvents();
  Rect b;
  ASSERT_TRUE(tree->GetButtonRect(a, &b));
  Click(tree.get(), QPoint(b.left + 3, b.top + 3));
  EXPECT_TRUE(tree->IsItemExpanded(a));
  EXPECT_EQ(tree->GetItemCount(), 3);
  EXPECT_EQ(owner.Count(TVN_ITEMEXPANDED), 1);
  tree->SelectItem(a);
  Key(tree.get(), Qt::Key_Left);
  EXPECT_FALSE(tree->IsItemExpanded(a));
  Key(tree.get(), Qt::Key_Plus, Qt::NoModifier, "+");  // the plus key expands; no search
  EXPECT_TRUE(tree->IsItemExpanded(a));
  EXPECT_EQ(tree->GetTypeAheadFlags(), 0);
  Rect label;
  tree->GetCellRect(tree->GetRowOfItem(a), 0, &label, 2);
  Click(tree.get(), QPoint(label.left + 2, label.top + 2), Qt::LeftButton, Qt::NoModifier, true);
  EXPECT_FALSE(tree->IsItemExpanded(a));  // double click toggles
  EXPECT_FALSE(tree->grab().isNull());
}

TEST_F(WidgetTest, TreeLabelEditRenamesTheNode) {
  Owner owner;
  auto tree = std::make_unique<SECTreeCtrl>(nullptr, TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS);
  tree->SetNotifyListener(&owner);
  tree->resize(220, 120);
  HTREEITEM a = tree->InsertItem("watch");
  tree->show();
  tree->setFocus();
  tree->SelectItem(a);
  QApplication::processEvents();
  Key(tree.get(), Qt::Key_F2);
  auto* editor = tree->findChild<SECListEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setPlainText("counter");
  Key(editor, Qt::Key_Return);
  EXPECT_EQ(tree->GetItemText(a, 0), "counter");
  EXPECT_EQ(owner.Count(TVN_ENDLABELEDIT), 1);
  owner.endEditAnswer = 0;  // the owner refuses the next one
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(tree->findChild<SECListEdit*>(), nullptr);
  Key(tree.get(), Qt::Key_F2);
  editor = tree->findChild<SECListEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setPlainText("refused");
  Key(editor, Qt::Key_Return);
  EXPECT_EQ(tree->GetItemText(a, 0), "counter");
  EXPECT_EQ(owner.Count(TVN_ENDLABELEDIT), 2);  // the owner was asked, and said no
}

// An item's overlay index (state bits 8 to 11) draws the image registered
// for it over the item's own image; an unregistered index draws nothing.
TEST_F(WidgetTest, TreeDrawsTheRegisteredOverlayOverTheImage) {
  QPixmap base(16, 16);
  base.fill(Qt::red);
  QPixmap mark(16, 16);
  mark.fill(Qt::transparent);
  {
    QPainter p(&mark);
    p.fillRect(6, 6, 4, 4, Qt::blue);
  }
  struct Row {
    const char* name;
    unsigned overlayBits;
    bool expectMark;
  } rows[] = {{"no overlay", 0, false}, {"registered overlay 1", 1u << 8, true},
              {"unregistered overlay 2", 2u << 8, false}};
  for (const Row& r : rows) {
    auto tree = std::make_unique<SECTreeCtrl>(nullptr, TVS_LINESATROOT);
    tree->resize(200, 80);
    tree->SetImages(ImageListKind::Normal, ImageStrip{{base, mark}});
    EXPECT_TRUE(tree->SetOverlayImage(1, 1));
    TreeInsert ins;
    ins.insertAfter = TVI_LAST();
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.text = "item";
    ins.item.image = ins.item.selectedImage = 0;
    HTREEITEM a = tree->InsertItem(ins);
    tree->SetItemState(a, r.overlayBits, 0xF00);
    const QImage shot = tree->grab().toImage();
    int blue = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) blue += shot.pixelColor(x, y) == QColor(Qt::blue);
    EXPECT_EQ(blue == 16, r.expectMark) << r.name << ": " << blue << " marked pixels";
  }
  SECTreeCtrl tree;
  EXPECT_FALSE(tree.SetOverlayImage(1, 0));
  EXPECT_FALSE(tree.SetOverlayImage(1, 16));
}

// A tree whose rows start on an odd pixel (as below a header of odd
// height): the dots of a vertical line still fall on each row's first
// pixel, counted from where the rows start, as the buttons do.
class OddTopTree : public SECTreeCtrl {
 public:
  using SECTreeCtrl::SECTreeCtrl;
  Rect GetInsideRect() override {
    Rect r = SECTreeCtrl::GetInsideRect();
    if (!r.IsEmpty()) r.top += 1;
    return r;
  }
};

TEST_F(WidgetTest, TreeVerticalDotsCountFromTheRowsOrigin) {
  OddTopTree tree(nullptr, TVS_HASLINES | TVS_LINESATROOT);
  tree.resize(200, 100);
  tree.InsertItem("first");
  HTREEITEM b = tree.InsertItem("second");
  const QImage shot = tree.grab().toImage();
  Rect cell;
  ASSERT_TRUE(tree.GetCellRect(tree.GetRowOfItem(b), 0, &cell, 0));
  ASSERT_EQ((cell.top - tree.GetInsideRect().top) % 2, 0);
  const int x = cell.left + tree.GetIndent() / 2;
  EXPECT_EQ(shot.pixelColor(x, cell.top), SysQColor(SysColor::BtnShadow));
  EXPECT_NE(shot.pixelColor(x, cell.top + 1), SysQColor(SysColor::BtnShadow));
}

TEST_F(WidgetTest, ListBoxEditorStripAndInPlaceEdit) {
  Owner owner;
  QDialog dlg;
  auto* editor = new SECListBoxEditor(&dlg);
  editor->setGeometry(10, 10, 200, 150);
  editor->Initialize(LBE_BUTTONS | LBE_TOOLTIPS | LBE_SHORTCUTS | LBE_TYPETOEDIT, &owner, 1001);
  dlg.show();
  editor->setFocus();
  QApplication::processEvents();
  // Strip buttons sit at the right: down rightmost, then up, delete, new.
  EXPECT_LT(editor->ButtonRect(SECListBoxEditor::kNew).right(), editor->ButtonRect(SECListBoxEditor::kDelete).left());
  EXPECT_EQ(editor->ButtonRect(SECListBoxEditor::kDown).right(), editor->width() - 1);

  Click(editor, editor->ButtonRect(SECListBoxEditor::kNew).center());
  ASSERT_NE(editor->InPlaceEdit(), nullptr);
  editor->InPlaceEdit()->setText("first");
  Key(editor->InPlaceEdit(), Qt::Key_Return);
  EXPECT_EQ(editor->GetText(0), "first");
  EXPECT_EQ(editor->GetCount(), 2);  // and the empty last row

  editor->SetCurSel(1);
  Key(editor, Qt::Key_S, Qt::NoModifier, "s");  // typing on the empty row starts an entry
  ASSERT_NE(editor->InPlaceEdit(), nullptr);
  EXPECT_EQ(editor->InPlaceEdit()->text(), "s");
  editor->InPlaceEdit()->setText("second");
  Key(editor->InPlaceEdit(), Qt::Key_Up);  // accepts, then moves up
  EXPECT_EQ(editor->GetText(1), "second");
  EXPECT_EQ(editor->GetCurSel(), 0);
  Key(editor, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(editor->GetText(1), "first");
  Click(editor, editor->ButtonRect(SECListBoxEditor::kDelete).center());
  EXPECT_EQ(editor->GetText(0), "second");
  EXPECT_EQ(std::count(owner.commands.begin(), owner.commands.end(), kLbeMoved), 1);
  EXPECT_EQ(std::count(owner.commands.begin(), owner.commands.end(), kLbeDeleted), 1);
}

TEST_F(WidgetTest, ListBoxEditorShiftExtendsTheSelectionFromTheAnchor) {
  Owner owner;
  QDialog dlg;
  auto* editor = new SECListBoxEditor(&dlg);
  editor->setGeometry(10, 10, 200, 200);
  editor->Initialize(LBE_BUTTONS, &owner, 1001, nullptr, true);
  for (const char* t : {"a", "b", "c", "d", "e"}) editor->InsertString(editor->GetItemCount(), t);
  dlg.show();
  editor->setFocus();
  QApplication::processEvents();
  auto selected = [&] {
    std::vector<int> rows;
    for (int r = 0; r < editor->GetCount(); ++r) {
      if (editor->IsSelected(r)) rows.push_back(r);
    }
    return rows;
  };
  Click(editor, editor->RowRect(1).center());
  Click(editor, editor->RowRect(3).center(), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(selected(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(editor->GetCurSel(), 3);
  // A shorter range from the same anchor drops the rows beyond it.
  Key(editor, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(selected(), (std::vector<int>{1, 2}));
  Key(editor, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(selected(), (std::vector<int>{0, 1}));
  EXPECT_EQ(editor->GetCurSel(), 0);
}

TEST_F(WidgetTest, ImageListsOwnedOrSharedAndCopied) {
  auto blue = std::make_shared<ImageStrip>(Solid(Qt::blue, 16));
  auto red = std::make_shared<ImageStrip>(Solid(Qt::red, 16, 3));
  struct Row {
    const char* name;
    unsigned style;
    bool keepsCallersList;
  } rows[] = {
      {"own copies", LVS_REPORT, false},
      {"shared lists", LVS_REPORT | LVS_SHAREIMAGELISTS, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    SECListCtrl list(nullptr, r.style);
    EXPECT_EQ(list.SetImageList(blue, ImageListKind::Small), nullptr);
    std::shared_ptr<ImageStrip> held = list.GetImageStrip(ImageListKind::Small);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held == blue, r.keepsCallersList);
    EXPECT_EQ(list.GetImageList(ImageListKind::Small).count, 2);
    // Replacing hands back what the list held before.
    std::shared_ptr<ImageStrip> previous = list.SetImageList(red, ImageListKind::Small);
    EXPECT_EQ(previous, held);
    EXPECT_EQ(list.GetImageList(ImageListKind::Small).count, 3);
    // The caller's later changes show only in a shared list (once painted).
    red->images.pop_back();
    list.grab();
    EXPECT_EQ(list.GetImageList(ImageListKind::Small).count, r.keepsCallersList ? 2 : 3);
    red->images.push_back(red->images.front());
    EXPECT_EQ(list.SetImageList(blue, ImageListKind(7)), nullptr);
  }
  // A copy keeps its own pixels.
  std::shared_ptr<ImageStrip> copy = SECListCtrl::CopyImageList(*blue);
  ASSERT_EQ(copy->images.size(), 2u);
  blue->images[0].fill(Qt::green);
  EXPECT_EQ(copy->images[0].toImage().pixelColor(3, 3), QColor(Qt::blue));
}

TEST_F(WidgetTest, EditControlWhileALabelEditRuns) {
  Owner owner;
  std::unique_ptr<SECListCtrl> list(MakeList(&owner, 3));
  EXPECT_EQ(list->GetEditControl(), nullptr);
  ASSERT_TRUE(list->EditLabel(1, 0));
  ASSERT_NE(list->GetEditControl(), nullptr);
  EXPECT_EQ(list->GetEditControl(), list->findChild<SECListEdit*>());
  list->EndLabelEdit(false);
  QApplication::processEvents();
  EXPECT_EQ(list->GetEditControl(), nullptr);
}

TEST_F(WidgetTest, ListsAndTreesTakeThePlaceOfDialogPlaceholders) {
  QDialog dlg;
  auto* first = new QWidget(&dlg);
  auto* placeholder = new QWidget(&dlg);
  auto* last = new QWidget(&dlg);
  for (QWidget* w : {first, placeholder, last}) w->setFocusPolicy(Qt::StrongFocus);
  placeholder->setObjectName("files");
  placeholder->setGeometry(10, 20, 200, 100);
  placeholder->setProperty(kDialogItemStyle, 0x50010000u | LVS_REPORT | LVS_SINGLESEL);
  placeholder->setProperty(kDialogItemExStyle, 0x00000200u | LVXS_FULLROWSELECT);
  placeholder->setProperty(kDialogItemId, 1005u);
  QWidget::setTabOrder(first, placeholder);
  QWidget::setTabOrder(placeholder, last);
  QPointer<QWidget> gone(placeholder);
  SECListCtrl* list = SECListCtrl::CreateFromCtrl(placeholder);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(gone.isNull());
  EXPECT_EQ(list->parentWidget(), &dlg);
  EXPECT_EQ(list->objectName(), "files");
  EXPECT_EQ(list->geometry(), QRect(10, 20, 200, 100));
  EXPECT_EQ(list->ControlId(), 1005u);
  EXPECT_EQ(list->GetListStyle(), LVS_REPORT | LVS_SINGLESEL);
  EXPECT_EQ(list->GetListStyleEx(), unsigned(LVXS_FULLROWSELECT));
  EXPECT_EQ(first->nextInFocusChain(), list);
  EXPECT_LT(dlg.children().indexOf(list), dlg.children().indexOf(last));  // stacked where the placeholder was
  EXPECT_EQ(SECListCtrl::CreateFromCtrl(nullptr), nullptr);

  struct Row {
    const char* name;
    unsigned style, ex;
    unsigned treeStyle, treeEx;
    unsigned listStyleBits;
  } rows[] = {
      {"lines and buttons, tips by default", 0x50010000u | TVS_HASLINES | TVS_HASBUTTONS, 0, TVS_HASLINES | TVS_HASBUTTONS,
       TVXS_TOOLTIPS, 0},
      {"no tips asked for", 0x50010000u | TVS_HASLINES | 0x80u, 0, TVS_HASLINES, 0, 0},
      {"extended bits and edit labels", 0x50010000u | TVS_EDITLABELS | TVS_SINGLEEXPAND, TVXS_MULTISEL,
       TVS_EDITLABELS | TVS_SINGLEEXPAND, TVXS_MULTISEL | TVXS_TOOLTIPS, LVS_EDITLABELS},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    auto* ph = new QWidget(&dlg);
    ph->setGeometry(5, 5, 120, 90);
    ph->setProperty(kDialogItemStyle, r.style);
    ph->setProperty(kDialogItemExStyle, r.ex);
    SECTreeCtrl* tree = SECTreeCtrl::CreateFromDialogItem(ph);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->geometry(), QRect(5, 5, 120, 90));
    EXPECT_EQ(tree->GetTreeStyle(), r.treeStyle);
    EXPECT_EQ(tree->GetTreeStyleEx(), r.treeEx);
    EXPECT_EQ(tree->GetListStyle() & LVS_EDITLABELS, r.listStyleBits);
    EXPECT_EQ(tree->ToolTipsEnabled(), (r.treeEx & TVXS_TOOLTIPS) != 0);
    delete tree;
  }
}

TEST_F(WidgetTest, BrowseEditsPlaceButtonFollowStateAndPick) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("pm2_browse_" + std::to_string(::getpid()));
  fs::create_directories(dir / "inc");
  QDialog dlg;
  auto* edit = new SECBrowseDirEdit(&dlg);
  edit->setGeometry(10, 10, 200, 22);
  ASSERT_TRUE(edit->Initialize());
  EXPECT_EQ(edit->width(), 174);
  EXPECT_EQ(edit->Button()->geometry(), QRect(185, 10, 25, 22));
  dlg.show();
  edit->setEnabled(false);
  EXPECT_FALSE(edit->Button()->isEnabled());
  edit->setEnabled(true);
  edit->hide();
  EXPECT_FALSE(edit->Button()->isVisible());
  edit->show();

  std::vector<PickerRequest> asked;
  std::optional<QString> answer = QString::fromStdString((dir / "inc").string());
  SetPicker([&](const PickerRequest& r) {
    asked.push_back(r);
    return answer;
  });
  edit->FileSystem().MapDrive('C', dir.string());
  struct Row {
    const char* name;
    QString text;
    int mode;
    QString startFolder;
    QString result;
  } rows[] = {
      {"bare drive, classic", "C:", 1, QString::fromStdString(dir.string() + "/"),
       QString::fromStdString((dir / "inc").string() + "/")},
      {"missing folder, shell", "C:\\nothing", 0, "", QString::fromStdString((dir / "inc").string())},
  };
  for (const Row& r : rows) {
    edit->setText(r.text);
    edit->SetMode(r.mode);
    edit->Button()->click();
    ASSERT_FALSE(asked.empty()) << r.name;
    EXPECT_EQ(asked.back().startFolder, r.startFolder.isEmpty() ? QDir::currentPath() : r.startFolder) << r.name;
    EXPECT_EQ(edit->text(), r.result) << r.name;
  }
  answer.reset();  // Cancel
  edit->setText("kept");
  edit->Button()->click();
  EXPECT_EQ(edit->text(), "kept");

  auto* file = new SECBrowseFileEdit(&dlg);
  file->setGeometry(10, 40, 200, 22);
  file->Initialize();
  answer = "/tmp/chosen.c";
  file->setText(QString::fromStdString((dir / "missing.c").string()));
  file->Button()->click();
  EXPECT_EQ(asked.back().startFile, "");  // a missing file is dropped
  EXPECT_EQ(asked.back().filter, "All files (*)");
  EXPECT_EQ(file->text(), "/tmp/chosen.c");
  SetPicker(nullptr);
  fs::remove_all(dir);
  EXPECT_EQ(SECBrowseFileEdit::ToQtFilter("C files (*.c;*.h)|*.c;*.h|All files (*.*)|*.*||"),
            "C files (*.c *.h);;All files (*)");
}

}  // namespace
}  // namespace pm2
