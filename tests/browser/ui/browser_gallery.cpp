// Renders the source browser window to PNG files on the offscreen platform:
// every symbol of a small 51-family program, a mask and kind filters, the
// definitions and references of a variable, a call graph and a callers
// graph. Usage: browser_gallery <output folder>; without a folder the
// window opens on screen. Exits non-zero when a picture could not be made.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <cstdio>
#include <fstream>

#include "../../../tools/standin/standin_browse.h"
#include "browser/browse_navigation.h"
#include "browser/ui/browse_result_dialog.h"
#include "browser/ui/browser_window.h"
#include "toolkit/controls/list_ctrl.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

const char kMain[] = R"(sfr P1 = 0x90;
sbit LED = P1^0;
sbit BUTTON = P1^1;
unsigned char xdata buffer[16];
unsigned char counter;
int total = 0;
bit pressed;
#define LIMIT 100

void delay(unsigned int n) {
  while (n--) ;
}

void poll(void) {
  pressed = !BUTTON;
  if (pressed) counter++;
}

void main(void) {
  counter = 0;
  while (1) {
    LED = !LED;
    poll();
    total += util_add(counter, 1);
    buffer[counter & 15] = counter;
    if (total > LIMIT) total = util_clear(&total);
    delay(LIMIT);
  }
}
)";
const char kUtil[] = R"(#define STEP 2
int util_add(int a, int b) {
  return a + b + STEP;
}
int util_clear(int *p) {
  return util_add(0, 0);
}
)";

class NoHost : public BrowserHost {
 public:
  void ShowSourceLocation(const std::string&, uint32_t, const std::string&) override {}
  void Beep() override {}
  bool FrameMayClose() const override { return true; }
};

int g_failed = 0;

void Save(QWidget& w, const QString& dir, const char* name) {
  QApplication::processEvents();
  const QString file = QDir(dir).filePath(QString(name) + ".png");
  if (!w.grab().toImage().save(file)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    ++g_failed;
  }
}

void Select(BrowserWindow& w, const char* name) {
  SECListCtrl* list = w.List();
  for (int i = 0; i < list->GetItemCount(); ++i)
    if (list->GetItemText(i, 0) == name) {
      list->SetFocusItem(i, true);
      NotifyHeader click;
      click.id = 166;
      click.code = NM_CLICK;
      w.OnNotify(click);
    }
}

int Run(const QString& outDir) {
  const QString folder = QDir(outDir.isEmpty() ? QDir::temp().filePath("pm2_browser_gallery") : outDir).absolutePath();
  QDir().mkpath(folder);
  const std::string main = QDir(folder).filePath("Main.c").toStdString();
  const std::string util = QDir(folder).filePath("Util.c").toStdString();
  const std::string out = QDir(folder).filePath("Blinky").toStdString();
  std::ofstream(out, std::ios::binary) << standin::LinkBrowseSections(
      {standin::BrowseObject(main, kMain), standin::BrowseObject(util, kUtil)});
  BrowseSession session;
  const std::string err = session.Open(out, folder.toStdString());
  if (!err.empty()) {
    std::fprintf(stderr, "%s\n", err.c_str());
    return 1;
  }
  NoHost host;
  BrowseFilterMemory filters;
  BrowserLayoutMemory layout;
  BrowserWindow w(session, host, filters, layout, 0);
  w.resize(820, 620);
  w.show();
  w.Refresh();
  if (outDir.isEmpty()) return QApplication::exec();

  Save(w, outDir, "browser_all_symbols");
  Select(w, "counter");
  Save(w, outDir, "browser_definitions_references");
  Select(w, "main");
  w.RunCommand(kBrwListCallGraph);
  Save(w, outDir, "browser_call_graph");
  Select(w, "util_add");
  w.RunCommand(kBrwListCallers);
  Save(w, outDir, "browser_callers_graph");
  w.MaskBox()->lineEdit()->setText("util*");
  w.MaskBox()->lineEdit()->setFocus();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(w.MaskBox()->lineEdit(), &enter);
  Save(w, outDir, "browser_mask");
  w.MaskBox()->lineEdit()->setText("*");
  QApplication::sendEvent(w.MaskBox()->lineEdit(), &enter);
  w.SetSymbolKind(kKindData | kKindSfr);
  Save(w, outDir, "browser_data_and_sfr");
  // The choice between records of one name: "n", a parameter of delay and
  // a data symbol of the same name elsewhere.
  BrowseName name;
  name.text = "n";
  BrowseSymbol data, parameter;
  data.cls = kClassLocalData;
  parameter.cls = kClassParameter;
  name.first = &data;
  data.next = &parameter;
  BrowseResultDialog choice(name);
  choice.show();
  choice.SelectRow(1);
  Save(choice, outDir, "browser_result_dialog");
  return g_failed;
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  QApplication app(argc, argv);
  return pm2::Run(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
}
