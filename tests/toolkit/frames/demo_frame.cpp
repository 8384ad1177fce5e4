#include "demo_frame.h"

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

namespace pm2 {

namespace {

// The menu line until the real menu bar exists.
class PlaceholderCommandBar : public QWidget {
 public:
  QSize sizeHint() const override { return QSize(400, 22); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), SysQColor(SysColor::BtnFace));
    p.setPen(SysQColor(SysColor::BtnHighlight));
    p.drawLine(0, height() - 2, width(), height() - 2);
    p.setPen(SysQColor(SysColor::BtnShadow));
    p.drawLine(0, height() - 1, width(), height() - 1);
    p.setFont(DefaultGuiFont());
    p.setPen(SysQColor(SysColor::MenuText));
    int x = 8;
    for (const char* item : {"File", "Edit", "View", "Project", "Debug", "Flash", "Peripherals", "Tools", "SVCS",
                              "Window", "Help"}) {
      QString t = item;
      int w = p.fontMetrics().horizontalAdvance(t) + 14;
      p.drawText(QRect(x, 0, w, height() - 2), Qt::AlignCenter, t);
      x += w;
    }
  }
};

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
  d.frame->SetCommandBar(new PlaceholderCommandBar);
  d.frame->SetStatusBar(new PlaceholderStatusStrip);
  d.frame->EnableDocking(CBRS_ALIGN_ANY);
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
  d.frame->DockControlBarEx(d.callStack, AFX_IDW_DOCKBAR_TOP, 0, 0, 1.0f, 96);
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
  return img;
}

}  // namespace pm2
