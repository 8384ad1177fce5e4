#include "gallery_extra.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPainter>

#include "toolkit/controls/browse_edit.h"
#include "toolkit/controls/list_box_editor.h"
#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {
namespace {

SECListBoxEditor* MakeEditor(QWidget* parent, bool editing) {
  auto* e = new SECListBoxEditor(parent);
  e->setGeometry(8, 8, 260, 140);
  e->SetCaption("Include Paths:");
  e->Initialize(LBE_BUTTONS | LBE_TOOLTIPS | LBE_SHORTCUTS | LBE_DRAG | (editing ? LBE_BROWSE : 0));
  for (const char* t : {".\\inc", "..\\common\\include", "C:\\Tools\\ARM\\include"}) {
    e->InsertString(e->GetCount() - 1, t);
  }
  e->SetCurSel(1);
  if (editing) {
    e->show();
    e->StartEditing(0);
  }
  return e;
}

// The tip is its own top-level window: picture the list and paint the
// tip's grab over it where it stands.
QWidget* ListWithTip() {
  auto* holder = new QLabel;
  SECListCtrl list(nullptr, LVS_REPORT | LVS_NOLABELWRAP, LVXS_TOOLTIPS);
  list.resize(300, 120);
  list.AddColumn("Symbol", LVCFMT_LEFT, 90);
  list.AddColumn("Location", LVCFMT_LEFT, 190);
  const char* names[] = {"main", "SystemCoreClockUpdate_with_a_long_name", "uart_init"};
  for (int i = 0; i < 3; ++i) {
    list.InsertItemText(i, names[i]);
    list.SetItemText(i, 1, i == 1 ? "src/system/startup/system_clock_configuration.c" : "src/main.c");
  }
  list.SetFocusItem(2, true);
  list.UpdateScrollBars();
  list.show();
  QApplication::processEvents();
  SECListTip::SetRequireActiveWindow(false);
  list.View().Tip()->Show(LVHT_ONROW | LVHT_ONITEMLABEL, 1, 0, {});
  QApplication::processEvents();
  QPixmap pm = list.grab();
  SECListTip* tip = list.View().Tip();
  if (tip->isVisible()) {
    QPainter p(&pm);
    p.drawPixmap(list.mapFromGlobal(tip->pos()), tip->grab());
  }
  holder->setPixmap(pm);
  holder->resize(pm.size());
  return holder;
}

QWidget* TreeEditing() {
  auto* tree = new SECTreeCtrl(nullptr, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS,
                               TVXS_COLUMNHEADER);
  tree->resize(300, 140);
  tree->SetColumnWidth(0, 150);
  tree->InsertColumn(1, "Value", LVCFMT_LEFT, 130);
  HTREEITEM s = tree->InsertItem("sensor");
  HTREEITEM t = tree->InsertItem("temperature", s);
  tree->InsertItem("humidity", s);
  tree->SetItemText(t, 1, "23.5");
  tree->Expand(s, TVE_EXPAND);
  tree->SelectItem(t);
  tree->UpdateScrollBars();
  tree->show();
  QApplication::processEvents();
  tree->EditLabel(tree->GetRowOfItem(t), 0);
  return tree;
}

}  // namespace

std::vector<std::pair<const char*, std::function<QWidget*()>>> ExtraShots() {
  return {
      {"listbox_editor",
       [] {
         auto* dlg = new QDialog;
         dlg->resize(276, 156);
         MakeEditor(dlg, false);
         return static_cast<QWidget*>(dlg);
       }},
      {"listbox_editor_editing",
       [] {
         auto* dlg = new QDialog;
         dlg->resize(276, 156);
         dlg->show();
         MakeEditor(dlg, true);
         return static_cast<QWidget*>(dlg);
       }},
      {"browse_edits",
       [] {
         auto* dlg = new QDialog;
         dlg->resize(300, 90);
         auto* l1 = new QLabel("Output folder:", dlg);
         l1->setGeometry(8, 8, 200, 16);
         auto* dir = new SECBrowseDirEdit(dlg);
         dir->setGeometry(8, 26, 280, 22);
         dir->setText(".\\Objects\\");
         dir->Initialize();
         auto* file = new SECBrowseFileEdit(dlg);
         file->setGeometry(8, 56, 280, 22);
         file->setText("C:\\Tools\\ARM\\INC\\startup.s");
         file->Initialize();
         file->setEnabled(false);
         return static_cast<QWidget*>(dlg);
       }},
      {"list_clipped_text_tip", [] { return ListWithTip(); }},
      {"tree_label_editing", [] { return TreeEditing(); }},
  };
}

}  // namespace pm2
