// Renders each toolkit control in representative states to PNG files on
// the offscreen platform, so that a person can look at them. Usage:
// toolkit_gallery <output folder>. Exits non-zero when a picture could not
// be made.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>
#include <cstdio>
#include <functional>
#include <vector>

#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/list_tip.h"
#include "toolkit/controls/tree_ctrl.h"
#include "gallery_extra.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

ImageStrip MakeIcons(int size) {
  ImageStrip s;
  const QColor colours[] = {QColor(255, 200, 60), QColor(90, 140, 220), QColor(120, 180, 90), QColor(200, 90, 90)};
  for (const QColor& c : colours) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(c.darker(160));
    p.setBrush(c);
    p.drawRect(1, 3, size - 3, size - 5);
    p.fillRect(QRect(1, 1, size / 2, 3), c);
    s.images.push_back(pm);
  }
  return s;
}

struct Shot {
  const char* name;
  std::function<QWidget*()> make;
};

SECListCtrl* MakeList(int rows, unsigned style, unsigned ex) {
  auto* list = new SECListCtrl(nullptr, style, ex);
  list->resize(320, 180);
  list->AddColumn("Name", LVCFMT_LEFT, 120);
  list->AddColumn("Address", LVCFMT_RIGHT, 90);
  list->AddColumn("Type", LVCFMT_LEFT, 90);
  for (int i = 0; i < rows; ++i) {
    int r = list->InsertItemText(list->GetItemCount(), "variable_" + std::to_string(i));
    char addr[32];
    std::snprintf(addr, sizeof addr, "0x%08X", 0x20000000 + i * 4);
    list->SetItemText(r, 1, addr);
    list->SetItemText(r, 2, i % 3 ? "unsigned int" : "struct sensor_reading_with_long_name");
  }
  list->UpdateScrollBars();
  return list;
}

SECTreeCtrl* MakeTree(bool lines, bool columns) {
  auto* tree = new SECTreeCtrl(nullptr, lines ? TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT : TVS_HASBUTTONS | TVS_LINESATROOT,
                               columns ? TVXS_COLUMNHEADER : 0);
  tree->resize(320, 200);
  tree->SetImages(ImageListKind::Normal, MakeIcons(16));
  if (columns) {
    tree->SetColumnWidth(0, 170);
    tree->InsertColumn(1, "Value", LVCFMT_LEFT, 140);
  }
  auto add = [&](const std::string& text, HTREEITEM parent, int image) {
    TreeInsert ins;
    ins.parent = parent;
    ins.insertAfter = TVI_LAST();
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.text = text;
    ins.item.image = ins.item.selectedImage = image;
    return tree->InsertItem(ins);
  };
  HTREEITEM target = add("Target 1", nullptr, 0);
  HTREEITEM src = add("Source Group", target, 1);
  add("main.c", src, 2);
  HTREEITEM startup = add("startup.s", src, 2);
  add("system\\{HI}_stm32.c", src, 2);
  HTREEITEM lib = add("Libraries", target, 1);
  add("cmsis.lib", lib, 3);
  add("Target 2", nullptr, 0);
  tree->Expand(target, TVE_EXPAND);
  tree->Expand(src, TVE_EXPAND);
  tree->SetItemState(startup, TVIS_BOLD, TVIS_BOLD);
  if (columns) {
    tree->SetItemText(src, 1, "3 files");
    tree->SetItemText(startup, 1, "assembler");
  }
  tree->SelectItem(startup);
  tree->UpdateScrollBars();
  return tree;
}

std::vector<Shot> Shots() {
  return {
      {"list_empty", [] { return MakeList(0, LVS_REPORT, 0); }},
      {"list_many_rows", [] { return MakeList(200, LVS_REPORT, 0); }},
      {"list_selection_focus",
       [] {
         auto* l = MakeList(12, LVS_REPORT | LVS_SHOWSELALWAYS, LVXS_FULLROWSELECT | LVXS_GRIDLINES);
         l->SetFocusItem(2, true);
         l->SelectItem(3, true);
         l->SelectItem(5, true);
         l->setFocus();
         return l;
       }},
      {"list_no_focus_showsel",
       [] {
         // Another control holds the focus: the selection shows in the
         // inactive colours.
         auto* box = new QWidget;
         box->resize(320, 210);
         auto* l = MakeList(6, LVS_REPORT | LVS_SHOWSELALWAYS, 0);
         l->setParent(box);
         l->SetFocusItem(1, true);
         auto* other = new QLineEdit("focus is here", box);
         other->setGeometry(0, 184, 320, 24);
         box->show();
         other->setFocus();
         return box;
       }},
      {"list_label_editing",
       [] {
         auto* l = MakeList(6, LVS_REPORT | LVS_EDITLABELS | LVS_NOLABELWRAP, 0);
         l->show();
         l->EditLabel(2, 0);
         return l;
       }},
      {"list_icons",
       [] {
         auto* l = MakeList(6, LVS_REPORT, 0);
         l->SetImages(ImageListKind::Small, MakeIcons(16));
         l->ReMeasureAndUpdate();
         l->SetFocusItem(1, true);
         return l;
       }},
      {"list_icon_view",
       [] {
         auto* l = new SECListCtrl(nullptr, LVS_ICON | LVS_SHOWSELALWAYS, 0);
         l->resize(320, 200);
         l->SetImages(ImageListKind::Normal, MakeIcons(32));
         l->SetColumnWidth(0, 76);
         const char* names[] = {"main.c", "startup.s", "board.h", "a longer file name.c", "uart.c", "timer.c",
                                "link.ld", "readme", "gpio.c", "adc.c", "flash.c"};
         for (int i = 0; i < 11; ++i) l->InsertItemImage(i, names[i], i % 4);
         l->UpdateScrollBars();
         l->SetFocusItem(5, true);
         l->setFocus();
         return l;
       }},
      {"list_header_images",
       [] {
         auto* l = MakeList(4, LVS_REPORT, 0);
         l->SetImages(ImageListKind::Header, MakeIcons(16));
         l->DeleteAllColumns();
         l->InsertColumn(0, "Left", LVCFMT_LEFT, 90, -1, 0);
         l->InsertColumn(1, "Right", LVCFMT_RIGHT, 80, -1, 1);
         l->InsertColumn(2, "After", LVCFMT_LEFT | LVCFMT_BITMAP_ON_RIGHT, 80, -1, 2);
         l->InsertColumn(3, "N", LVCFMT_CENTER, 20, -1, 3);
         for (int i = 0; i < 4; ++i) l->InsertItemText(i, "row " + std::to_string(i));
         l->UpdateScrollBars();
         return l;
       }},
      {"tree_drag_images",
       [] {
         // The drag image of a tree item over a plain ground, beside the
         // image of a dragged header button.
         std::unique_ptr<SECTreeCtrl> tree(MakeTree(true, true));
         tree->show();
         QApplication::processEvents();
         auto* box = new QWidget;
         box->resize(220, 70);
         box->setAutoFillBackground(true);
         QPalette pal = box->palette();
         pal.setColor(QPalette::Window, QColor(200, 220, 240));
         box->setPalette(pal);
         auto* item = new QLabel(box);
         item->setPixmap(tree->CreateDragImage(tree->GetCaretItem()));
         item->move(10, 10);
         item->adjustSize();
         auto* header = new QLabel(box);
         header->setPixmap(tree->View().CreateHeaderDragImage(1));
         header->move(10, 40);
         header->adjustSize();
         return box;
       }},
      {"tree_lines", [] { return MakeTree(true, false); }},
      {"tree_no_lines", [] { return MakeTree(false, false); }},
      {"tree_columns", [] { return MakeTree(true, true); }},
      {"tree_empty", [] { return new SECTreeCtrl(); }},
  };
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  pm2::SECListTip::SetRequireActiveWindow(false);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
  QDir().mkpath(out);
  int failed = 0;
  auto save = [&](const char* name, QWidget* w) {
    w->show();
    QApplication::processEvents();
    QPixmap pm = w->grab();
    const QString file = out + "/" + name + ".png";
    if (pm.isNull() || !pm.save(file)) {
      std::fprintf(stderr, "gallery: could not write '%s'\n", file.toLocal8Bit().constData());
      ++failed;
    }
  };
  for (const auto& shot : pm2::Shots()) {
    QWidget* w = shot.make();
    save(shot.name, w);
    delete w;
  }
  for (const auto& shot : pm2::ExtraShots()) {
    QWidget* w = shot.second();
    save(shot.first, w);
    delete w;
  }
  std::printf("%d pictures written to %s, %d failed\n", int(pm2::Shots().size() + pm2::ExtraShots().size()) - failed,
              out.toLocal8Bit().constData(), failed);
  return failed ? 1 : 0;
}
