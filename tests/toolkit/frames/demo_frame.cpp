#include "demo_frame.h"

#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QPainter>
#include <QPlainTextEdit>

#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/controls/tab_windows.h"
#include "toolkit/controls/tree_ctrl.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/frames/workbook.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/qt_resource_module.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/toolbars/window_button.h"

namespace pm2 {

namespace {

const char* kDemoRc = R"RC(
MENU 120
POPUP "&File"
ITEM 57600 "&New...\tCtrl+N"
ITEM 57601 "&Open...\tCtrl+O"
ITEM 57602 "&Close"
ITEM 57603 "&Save\tCtrl+S"
ITEM 32717 "Save A&ll"
SEPARATOR
ITEM 57607 "&Print...\tCtrl+P"
SEPARATOR
ITEM 57665 "E&xit"
END
POPUP "&Edit"
ITEM 57643 "&Undo\tCtrl+Z"
ITEM 57644 "&Redo\tCtrl+Y"
SEPARATOR
ITEM 57635 "Cu&t\tCtrl+X"
ITEM 57634 "&Copy\tCtrl+C"
ITEM 57637 "&Paste\tCtrl+V"
SEPARATOR
ITEM 57636 "&Find...\tCtrl+F"
ITEM 35056 "Find in F&iles..."
END
POPUP "&View"
ITEM 35037 "&Project Window"
ITEM 35033 "&Output Window"
ITEM 32749 "&Watch Window"
ITEM 32758 "&Memory Window"
POPUP "&Toolbars"
ITEM 59392 "&File Toolbar"
ITEM 59398 "&Build Toolbar"
ITEM 59397 "&Debug Toolbar"
END
END
POPUP "&Project"
ITEM 32702 "&New Project..."
SEPARATOR
ITEM 32719 "&Translate\tCtrl+F7"
ITEM 32720 "&Build Target\tF7"
ITEM 32816 "&Rebuild all target files"
ITEM 32721 "&Stop Build"
SEPARATOR
ITEM 35051 "&Options for Target..."
END
POPUP "&Debug"
ITEM 32802 "&Start/Stop Debug Session\tCtrl+F5"
SEPARATOR
ITEM 32791 "&Go\tF5"
ITEM 32794 "Step &Into\tF11"
ITEM 32795 "Step &Over\tF10"
ITEM 32741 "Step O&ut\tCtrl+F11"
ITEM 32796 "&Run to Cursor line\tCtrl+F10"
ITEM 32797 "Stop R&unning\tEsc"
SEPARATOR
ITEM 35041 "&Breakpoints..."
ITEM 35012 "Insert/Remove Breakpoint"
ITEM 35016 "Kill All Breakpoints"
END
POPUP "F&lash"
ITEM 35404 "&Download"
ITEM 35405 "&Erase"
END
POPUP "&Tools"
ITEM 35134 "&Books..."
END
POPUP "&Window"
ITEM 57650 "&Cascade"
ITEM 57651 "Tile &Horizontally"
END
POPUP "&Help"
ITEM 57664 "&About Pelmora2..."
END
END

MENU 121
POPUP "&File"
ITEM 57600 "&New...\tCtrl+N"
ITEM 57601 "&Open...\tCtrl+O"
ITEM 57603 "&Save\tCtrl+S"
END
POPUP "&Edit"
ITEM 57643 "&Undo\tCtrl+Z"
ITEM 57635 "Cu&t\tCtrl+X"
ITEM 57634 "&Copy\tCtrl+C"
ITEM 57637 "&Paste\tCtrl+V"
SEPARATOR
ITEM 35071 "&Indent Selection"
ITEM 35070 "&Unindent Selection"
ITEM 45027 "Toggle &Bookmark\tCtrl+F2"
END
POPUP "&Project"
ITEM 32720 "&Build Target\tF7"
END
POPUP "&Debug"
ITEM 32791 "&Go\tF5"
END
POPUP "&Window"
ITEM 57650 "&Cascade"
END
POPUP "&Help"
ITEM 57664 "&About Pelmora2..."
END
END

STRING 57600 "Create a new document\nNew File"
STRING 57601 "Open an existing document\nOpen File"
STRING 57603 "Save the active document\nSave File"
STRING 32717 "Save all open documents\nSave All"
STRING 57635 "Cut the selection\nCut"
STRING 57634 "Copy the selection\nCopy"
STRING 57637 "Insert the clipboard\nPaste"
STRING 57643 "Undo the last action\nUndo"
STRING 57644 "Redo the undone action\nRedo"
STRING 32719 "Translate the current file\nTranslate"
STRING 32720 "Build the target\nBuild Target"
STRING 32816 "Rebuild all target files\nRebuild All"
STRING 32802 "Start or stop a debug session\nStart/Stop Debug Session"
)RC";

// The status line until the real status bar exists.
class PlaceholderStatusStrip : public QWidget {
 public:
  QSize sizeHint() const override { return QSize(400, 20); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), SysQColor(SysColor::BtnFace));
    p.setFont(DefaultGuiFont());
    struct Pane {
      const char* text;
      int width;
    };
    const Pane panes[] = {{"Ready", -1}, {"Simulation", 110}, {"L:24 C:9", 90}, {"CAP", 36}, {"NUM", 36}, {"SCRL", 36}};
    int right = width() - 16;
    int fixed = 0;
    for (const Pane& pn : panes)
      if (pn.width > 0) fixed += pn.width + 2;
    int x = 2;
    for (const Pane& pn : panes) {
      int w = pn.width > 0 ? pn.width : right - fixed - 2;
      QRect r(x, 2, w, height() - 3);
      p.setPen(SysQColor(SysColor::BtnShadow));
      p.drawLine(r.topLeft(), r.topRight());
      p.drawLine(r.topLeft(), r.bottomLeft());
      p.setPen(SysQColor(SysColor::BtnHighlight));
      p.drawLine(r.bottomLeft(), r.bottomRight());
      p.drawLine(r.topRight(), r.bottomRight());
      p.setPen(SysQColor(SysColor::BtnText));
      p.drawText(r.adjusted(4, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, pn.text);
      x += w + 2;
    }
    // Size grip.
    for (int i = 0; i < 3; ++i) {
      int o = 4 + 4 * i;
      p.setPen(SysQColor(SysColor::BtnHighlight));
      p.drawLine(width() - o, height() - 2, width() - 2, height() - o);
      p.setPen(SysQColor(SysColor::BtnShadow));
      p.drawLine(width() - o + 1, height() - 2, width() - 2, height() - o + 1);
    }
  }
};

QPlainTextEdit* TextPane(const char* text, bool mono) {
  auto* e = new QPlainTextEdit;
  e->setPlainText(text);
  e->setFrameShape(QFrame::NoFrame);
  e->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont f = mono ? QFont("DejaVu Sans Mono") : DefaultGuiFont();
  if (mono) f.setPointSize(9);
  e->setFont(f);
  return e;
}

QWidget* ProjectTree() {
  auto* tree = new SECTreeCtrl(nullptr, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 0);
  auto add = [&](const std::string& text, HTREEITEM parent) {
    TreeInsert ins;
    ins.parent = parent;
    ins.insertAfter = TVI_LAST();
    ins.item.mask = TVIF_TEXT;
    ins.item.text = text;
    return tree->InsertItem(ins);
  };
  HTREEITEM target = add("Target 1", nullptr);
  HTREEITEM startup = add("Startup Code", target);
  add("startup_stm32f10x.s", startup);
  HTREEITEM src = add("Source Files", target);
  add("main.c", src);
  add("blinky.c", src);
  add("serial.c", src);
  add("retarget.c", src);
  HTREEITEM lib = add("Libraries", target);
  add("cmsis_core.lib", lib);
  tree->Expand(target, TVE_EXPAND);
  tree->Expand(startup, TVE_EXPAND);
  tree->Expand(src, TVE_EXPAND);
  tree->Expand(lib, TVE_EXPAND);
  tree->SelectItem(src);
  return tree;
}

QWidget* WatchList() {
  auto* list = new SECListCtrl(nullptr, LVS_REPORT | LVS_SHOWSELALWAYS, LVXS_GRIDLINES);
  list->AddColumn("Name", LVCFMT_LEFT, 110);
  list->AddColumn("Value", LVCFMT_LEFT, 110);
  const char* rows[][2] = {{"tick_count", "0x000004D2"}, {"led_state", "1"}, {"rx_buffer", "0x20000120"},
                           {"baud", "115200"}, {"SystemCoreClock", "72000000"}};
  for (auto& r : rows) {
    int i = list->InsertItemText(list->GetItemCount(), r[0]);
    list->SetItemText(i, 1, r[1]);
  }
  return list;
}

QWidget* CallStackList() {
  auto* list = new SECListCtrl(nullptr, LVS_REPORT, 0);
  list->AddColumn("Function", LVCFMT_LEFT, 180);
  list->AddColumn("Location", LVCFMT_LEFT, 240);
  const char* rows[][2] = {{"blink_led", "blinky.c (42)"}, {"main", "main.c (17)"}, {"Reset_Handler", "startup_stm32f10x.s"}};
  for (auto& r : rows) {
    int i = list->InsertItemText(list->GetItemCount(), r[0]);
    list->SetItemText(i, 1, r[1]);
  }
  return list;
}

QWidget* OutputTabs() {
  auto* tabs = new SECTabWnd(nullptr);
  tabs->AddTab(TextPane("Build target 'Target 1'\ncompiling main.c...\ncompiling blinky.c...\n"
                        "assembling startup_stm32f10x.s...\nlinking...\n"
                        "Program Size: Code=1524 RO-data=252 RW-data=8 ZI-data=1632\n"
                        "\"blinky.elf\" - 0 Error(s), 0 Warning(s).",
                        false),
               "Build");
  tabs->AddTab(TextPane("Load \"blinky.elf\"\n> g, main", false), "Command");
  tabs->AddTab(TextPane("", false), "Find in Files");
  tabs->ActivateTab(0);
  return tabs;
}

const char* kMainC =
    "#include <stdint.h>\n#include \"blinky.h\"\n\nvolatile uint32_t tick_count;\n\n"
    "void SysTick_Handler(void) {\n  tick_count++;\n}\n\nint main(void) {\n  SystemInit();\n"
    "  SysTick_Config(SystemCoreClock / 1000);\n  led_init();\n  for (;;) {\n    blink_led();\n  }\n}\n";
const char* kBlinkyC =
    "#include \"blinky.h\"\n\nstatic int led_state;\n\nvoid blink_led(void) {\n"
    "  led_state = !led_state;\n  GPIOB->ODR = led_state ? LED_MASK : 0;\n  delay_ms(500);\n}\n";
const char* kStartupS =
    "; Vector table and reset handler\n\n        AREA    RESET, DATA, READONLY\n__Vectors\n"
    "        DCD     __initial_sp\n        DCD     Reset_Handler\n        DCD     NMI_Handler\n";

}  // namespace

const ResourceTables& DemoResources() {
  static const ResourceTables kTables = [] {
    ResourceTables t;
    std::string err;
    t.Load(kDemoRc, "demo menus", &err);
    return t;
  }();
  return kTables;
}

namespace {

// The main frame's command bars: the menu bar, the File, Debug (hidden) and
// Build toolbars with the find and target combo boxes.
void InstallDemoCommandBars(DemoFrame& d) {
  auto* mgr = new SECToolBarManager(d.frame, ToolkitResourceModule());
  QObject::connect(d.frame, &QObject::destroyed, [mgr] { delete mgr; });
  d.toolbars = mgr;
  mgr->LoadToolBarResource(120);
  mgr->SetTipSource([](unsigned id) { return DemoResources().String(id); });
  static const SECComboBtn kCombo;
  mgr->SetButtonMap({{kCombo.GetButtonClass(), 32750, TBBS_NOAUTODISABLE, 1000, CBS_DROPDOWN, 150, 70, 150},
                     {kCombo.GetButtonClass(), 32870, TBBS_NOAUTODISABLE, 1088, CBS_DROPDOWNLIST, 120, 70, 150}});
  const ResourceTables& tk = ToolkitResources();
  mgr->DefineDefaultToolBar({kFileToolBarId, "File", *tk.Toolbar(59392)});
  mgr->DefineDefaultToolBar({kDebugToolBarId, "Debug", *tk.Toolbar(59397), CBRS_ALIGN_ANY, AFX_IDW_DOCKBAR_TOP,
                             kFileToolBarId, true, false});
  mgr->DefineDefaultToolBar(
      {kBuildToolBarId, "Build", *tk.Toolbar(59398), CBRS_ALIGN_ANY, AFX_IDW_DOCKBAR_TOP, kFileToolBarId});
  d.menuBar = InstallMenuBar(d.frame, DemoResources(), {kDemoFrameMenu, kDemoEditorMenu}, mgr);
  mgr->AttachToolBars();
  // Every command the bars show runs (the demo does nothing with them).
  d.frame->OnCommandRange(32000, 0xEFFF, [](CommandId) {});
  for (SECCustomToolBar* tb : mgr->ToolBars())
    for (int i = 0; i < tb->ButtonCount(); ++i)
      if (auto* combo = dynamic_cast<SECComboBtn*>(tb->Button(i))) {
        if (combo->m_controlId == 1000) combo->Combo()->addItems({"tick_count", "led_state"});
        else combo->Combo()->addItems({"Target 1", "Simulator"});
      }
}

}  // namespace

SECControlBar* MakeDemoBar(SECWorkbookWnd* frame, unsigned id, const char* title, std::uint32_t align) {
  auto* bar = new SECControlBar;
  std::uint32_t border = (align & (CBRS_ALIGN_RIGHT | CBRS_ALIGN_LEFT)) ? CBRS_BORDER_LEFT : CBRS_BORDER_TOP;
  bar->Create(frame, title, CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC | align | border, kIdeBarExStyle, id);
  bar->EnableDocking(CBRS_ALIGN_ANY);
  switch (id) {
    case kDemoProjectBar: bar->SetChild(ProjectTree()); break;
    case kDemoOutputBar: bar->SetChild(OutputTabs()); break;
    case kDemoWatchBar: bar->SetChild(WatchList()); break;
    case kDemoMemoryBar:
      bar->SetChild(TextPane("0x20000000: 00 00 00 00 D2 04 00 00\n0x20000008: 01 00 00 00 20 01 00 20\n"
                             "0x20000010: 00 C2 01 00 00 A2 4A 04\n0x20000018: FF FF FF FF 00 00 00 00",
                             true));
      break;
    case kDemoCallStackBar: bar->SetChild(CallStackList()); break;
    default: bar->SetChild(TextPane("Hello from the target\r\nLED on\nLED off\nLED on\n", true)); break;
  }
  return bar;
}

void OpenDemoDocuments(SECWorkbookWnd* frame) {
  struct Doc {
    const char* title;
    const char* text;
  };
  const Doc docs[] = {{"startup_stm32f10x.s", kStartupS}, {"blinky.c", kBlinkyC}, {"main.c", kMainC}};
  int i = 0;
  for (const Doc& d : docs) {
    auto* sheet = new SECWorksheetWnd(frame);
    sheet->setWidget(TextPane(d.text, true));
    sheet->setWindowTitle(d.title);
    QPixmap icon(16, 16);
    icon.fill(Qt::transparent);
    QPainter ip(&icon);
    ip.setPen(QColor(60, 60, 60));
    ip.setBrush(Qt::white);
    ip.drawRect(2, 1, 11, 13);
    ip.setPen(QColor(40, 90, 200));
    for (int y = 4; y < 13; y += 3) ip.drawLine(4, y, 11, y);
    ip.end();
    sheet->SetTabIcon(QIcon(icon));
    sheet->setWindowIcon(QIcon(icon));
    frame->MdiClient()->addSubWindow(sheet);
    sheet->resize(430, 300);
    sheet->move(12 + 28 * i, 10 + 26 * i);
    sheet->show();
    ++i;
  }
}

DemoFrame BuildDemoFrame(bool place, QSize size) {
  DemoFrame d;
  d.frame = new SECWorkbookWnd;
  d.frame->setWindowTitle("Pelmora2 - Blinky");
  d.frame->resize(size);
  d.frame->SetStatusBar(new PlaceholderStatusStrip);
  d.frame->EnableDocking(CBRS_ALIGN_ANY);
  InstallDemoCommandBars(d);
  d.frame->SetWorkbookMode(true);
  d.project = MakeDemoBar(d.frame, kDemoProjectBar, "Project Workspace", CBRS_ALIGN_LEFT);
  d.output = MakeDemoBar(d.frame, kDemoOutputBar, "Output Window", CBRS_ALIGN_BOTTOM);
  d.watch = MakeDemoBar(d.frame, kDemoWatchBar, "Watches", CBRS_ALIGN_BOTTOM);
  d.memory = MakeDemoBar(d.frame, kDemoMemoryBar, "Memory", CBRS_ALIGN_RIGHT);
  d.callStack = MakeDemoBar(d.frame, kDemoCallStackBar, "Call Stack", CBRS_ALIGN_TOP);
  d.serial = MakeDemoBar(d.frame, kDemoSerialBar, "Serial #1", CBRS_ALIGN_BOTTOM);
  if (!place) return d;
  d.project->State().szVert = {230, 400};
  d.memory->State().szVert = {250, 400};
  d.output->State().szHorz = {600, 170};
  d.watch->State().szHorz = {300, 170};
  d.callStack->State().szHorz = {600, 96};
  d.frame->DockControlBarEx(d.project, AFX_IDW_DOCKBAR_LEFT, 0, 0, 1.0f, 230);
  d.frame->DockControlBarEx(d.output, AFX_IDW_DOCKBAR_BOTTOM, 0, 0, 0.62f, 170);
  d.frame->DockControlBarEx(d.watch, AFX_IDW_DOCKBAR_BOTTOM, 1, 0, 0.38f, 170);
  d.frame->DockControlBarEx(d.memory, AFX_IDW_DOCKBAR_RIGHT, 0, 0, 1.0f, 250);
  d.frame->DockControlBarEx(d.callStack, AFX_IDW_DOCKBAR_TOP, 0, 1, 1.0f, 96);
  d.serial->State().szFloat = {300, 150};
  d.frame->move(0, 0);
  d.frame->FloatControlBar(d.serial, QPoint(size.width() - 560, 250), CBRS_ALIGN_TOP);
  OpenDemoDocuments(d.frame);
  d.frame->RecalcLayout();
  return d;
}

QImage GrabFrameWithFloating(SECWorkbookWnd* frame) {
  QImage img = frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
  QPainter p(&img);
  QPoint origin = frame->mapToGlobal(QPoint(0, 0));
  for (SECMiniDockFrameWnd* f : frame->FloatingFrames()) {
    if (!f->isVisible()) continue;
    p.drawPixmap(f->pos() - origin, f->grab());
  }
  // An open popup (a menu dropped down from the menu bar) on top.
  if (QWidget* popup = QApplication::activePopupWidget()) p.drawPixmap(popup->pos() - origin, popup->grab());
  return img;
}

}  // namespace pm2
