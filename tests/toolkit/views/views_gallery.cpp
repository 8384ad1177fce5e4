// Pictures of the list and tree views and of a print preview of each.
// Usage: toolkit_views_gallery <output folder>; exits non-zero when a
// picture could not be written.

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <cstdio>

#include "toolkit/views/list_view.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

ImageStrip MakeIcons(int size) {
  ImageStrip s;
  const QColor colours[] = {QColor(235, 190, 70), QColor(90, 140, 220), QColor(250, 250, 245), QColor(120, 180, 90)};
  for (int i = 0; i < 4; ++i) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(colours[i].darker(170));
    p.setBrush(colours[i]);
    if (i < 2) {  // folders
      p.drawRect(1, 4, size - 3, size - 6);
      p.fillRect(QRect(1, 2, size / 2, 3), colours[i]);
    } else {  // files
      p.drawRect(3, 1, size - 7, size - 3);
      p.setPen(QColor(60, 90, 180));
      for (int y = 5; y < size - 3; y += 3) p.drawLine(5, y, size - 7, y);
    }
    s.images.push_back(pm);
  }
  return s;
}

SECListView* MakeList() {
  auto* list = new SECListView(nullptr, LVS_REPORT | LVS_SHOWSELALWAYS, LVXS_FULLROWSELECT);
  list->resize(360, 220);
  list->AddColumn("Symbol", LVCFMT_LEFT, 150);
  list->AddColumn("Address", LVCFMT_RIGHT, 90);
  list->AddColumn("Type", LVCFMT_LEFT, 110);
  const char* types[] = {"unsigned int", "struct uart_cfg", "void (*)(void)", "uint8_t[64]"};
  for (int i = 0; i < 120; ++i) {
    const int r = list->InsertItemText(i, "g_symbol_" + std::to_string(i));
    char addr[16];
    std::snprintf(addr, sizeof addr, "0x%08X", 0x20000000 + i * 8);
    list->SetItemText(r, 1, addr);
    list->SetItemText(r, 2, types[i % 4]);
  }
  list->SetFocusItem(3, true);
  list->UpdateScrollBars();
  return list;
}

SECTreeView* MakeTree() {
  auto* tree = new SECTreeView;
  tree->resize(300, 260);
  tree->SetImages(ImageListKind::Normal, MakeIcons(16));
  auto add = [&](const std::string& text, HTREEITEM parent, int image) {
    TreeInsert ins;
    ins.parent = parent;
    ins.insertAfter = TVI_LAST();
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.text = text;
    ins.item.image = ins.item.selectedImage = image;
    return tree->InsertItem(ins);
  };
  for (int t = 1; t <= 3; ++t) {
    HTREEITEM target = add("Target " + std::to_string(t), nullptr, 0);
    for (int g = 0; g < 3; ++g) {
      HTREEITEM group = add(g == 0 ? "Startup" : g == 1 ? "Sources" : "Libraries", target, 1);
      for (int f = 0; f < 6; ++f) add("module_" + std::to_string(g) + std::to_string(f) + (g == 2 ? ".lib" : ".c"), group, 2 + g / 2);
      if (t == 1 && g < 2) tree->Expand(group, TVE_EXPAND);
    }
    if (t == 1) tree->Expand(target, TVE_EXPAND);
  }
  tree->UpdateScrollBars();
  return tree;
}

template <class View>
QPixmap Preview(View* view) {
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewWidget preview(&printer);
  QObject::connect(&preview, &QPrintPreviewWidget::paintRequested,
                   [view](QPrinter* p) { view->Print(*p, true, nullptr); });
  preview.resize(520, 700);
  preview.show();
  preview.updatePreview();
  preview.fitInView();
  QApplication::processEvents();
  return preview.grab();
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  using namespace pm2;
  QApplication app(argc, argv);
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery/views");
  QDir().mkpath(dir);
  int failures = 0;
  auto save = [&](const QPixmap& pm, const char* name) {
    const QString file = dir + "/" + name + ".png";
    if (pm.isNull() || !pm.save(file)) {
      std::fprintf(stderr, "Cannot write '%s'.\n", file.toLocal8Bit().constData());
      ++failures;
    }
  };
  std::unique_ptr<SECListView> list(MakeList());
  list->show();
  list->setFocus();
  QApplication::processEvents();
  save(list->grab(), "list_view");
  save(Preview(list.get()), "list_view_print_preview");
  std::unique_ptr<SECTreeView> tree(MakeTree());
  tree->show();
  QApplication::processEvents();
  save(tree->grab(), "tree_view");
  save(Preview(tree.get()), "tree_view_print_preview");
  return failures == 0 ? 0 : 1;
}
