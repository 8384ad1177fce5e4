// The options sheet's speed against the nearest plain Qt and core peers, in
// the same run:
//  - opening the sheet on an ARM-GNU target until it is idle (pages made,
//    the start page loaded, shown, events processed) against a QTabWidget
//    with the same number of pages holding the same controls (goal: at most
//    1.5 times);
//  - the preview after a key press in the compiler page's Define edit: the
//    preview's own update (edits read, the line rebuilt by the builder from
//    the page's copy, the text handed to the view and laid out) against
//    building the same command line directly with the builder and showing
//    it with setPlainText in a QPlainTextEdit of the preview's size, and
//    the whole key press with its preview against the same key press into
//    a plain QLineEdit followed by the direct build and the line shown in a QPlainTextEdit
//    of the preview's size and wrapping, as a plain Qt program shows it
//    (goal: at most 2 times each).
// Prints both ratios.

#include <benchmark/benchmark.h>

// The builder before Qt: its control rows have a member named like a Qt macro.
#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_context.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "options/core/driver_caps.h"
#include "options/core/options_session.h"
#include "options/pages/option_page.h"
#include "options/pages/options_sheet.h"
#include "options/pages/arm_compiler_page.h"
#include "project/model/option_defaults.h"
#include "project/text/pool.h"
#include "toolkit/controls/tree_ctrl.h"
#include "bench_peer.h"

namespace {

using namespace pm2;

class NoDrivers : public DriverCaps {
 public:
  bool Call(const std::string&, int, void*, int32_t*) override { return false; }
  std::string Refusal(const std::string&) override { return {}; }
};

// The example's kind of project: one ARM-GNU target, two groups, a C file.
struct Project {
  Project() {
    ResetAppState();
    PoolFreeAll();
    p = NewProject(nullptr, "/tmp/bench_opts.pm2");
    theApp().m_pProject = p;
    p->curTarget->toolset = kToolsetArmGnu;
    ResetTargetOptions(p->curTarget, kToolsetUndefined);
    p->curTarget->pOpts->cGnu.ACINCD = OptString("./inc;../common");
    AddFileToGroup(p->firstGroup, "Blinky.c", ".\\", kFileC);
    for (int t = 0; t < 5; ++t) env.toolsets[t] = std::make_unique<ToolsetInfo>();
    // The device page reads the program's own device database, as it does
    // in the program.
    databases.push_back({std::string(PM2_BENCH_INSTALL_ROOT) + "/PM2/pelmora2.cdb", "Generic CPU Data Base"});
  }
  SheetServices Services() {
    SheetServices s;
    s.environment = &env;
    s.databases = databases;
    s.drivers = &drivers;
    s.refuse = [](const std::string&) {};
    return s;
  }
  ProjectRec* p = nullptr;
  EnvironmentInfo env;
  std::vector<TitledPath> databases;
  NoDrivers drivers;
};

void Idle() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
}

// The controls of each page, by kind, as the peer makes them again.
enum class Kind { Label, LineEdit, CheckBox, Combo, Radio, Button, Group, PlainText, Tree };
using Recipe = std::vector<std::vector<std::pair<Kind, int>>>;  // (kind, combo or tree rows)

int TreeRows(SECTreeCtrl* tree, HTREEITEM first) {
  int n = 0;
  for (HTREEITEM h = first; h; h = tree->GetNextSiblingItem(h)) n += 1 + TreeRows(tree, tree->GetChildItem(h));
  return n;
}

Recipe TakeRecipe(OptionsSheet& sheet) {
  Recipe recipe;
  for (int i = 0; i < sheet.PageCount(); ++i) {
    std::vector<std::pair<Kind, int>> page;
    for (QWidget* w : sheet.Page(i)->findChildren<QWidget*>()) {
      if (auto* c = qobject_cast<QComboBox*>(w)) page.push_back({Kind::Combo, c->count()});
      else if (auto* t = dynamic_cast<SECTreeCtrl*>(w)) page.push_back({Kind::Tree, TreeRows(t, t->GetRootItem())});
      else if (qobject_cast<QCheckBox*>(w)) page.push_back({Kind::CheckBox, 0});
      else if (qobject_cast<QRadioButton*>(w)) page.push_back({Kind::Radio, 0});
      else if (qobject_cast<QPushButton*>(w)) page.push_back({Kind::Button, 0});
      else if (qobject_cast<QPlainTextEdit*>(w)) page.push_back({Kind::PlainText, 0});
      else if (qobject_cast<QGroupBox*>(w)) page.push_back({Kind::Group, 0});
      else if (qobject_cast<QLabel*>(w)) page.push_back({Kind::Label, 0});
      else if (qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parentWidget()))
        page.push_back({Kind::LineEdit, 0});
    }
    recipe.push_back(std::move(page));
  }
  return recipe;
}

void BM_OptionsSheetOpen(benchmark::State& state) {
  Project project;
  for (auto _ : state) {
    OptionsSession session;
    std::string error;
    session.Begin(project.p, project.p->curTarget, &error);
    OptionsSheet sheet(session, project.Services(), "Options for Target 'LPC2138'");
    sheet.show();
    Idle();
    benchmark::DoNotOptimize(sheet.CurrentPage());
    session.Rollback();
  }
}

void BM_QTabWidgetPeerOpen(benchmark::State& state) {
  Project project;
  Recipe recipe;
  {
    OptionsSession session;
    std::string error;
    session.Begin(project.p, project.p->curTarget, &error);
    OptionsSheet sheet(session, project.Services(), "Options");
    recipe = TakeRecipe(sheet);
    session.Rollback();
  }
  for (auto _ : state) {
    QWidget dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget(&dialog);
    layout->addWidget(tabs);
    for (std::size_t i = 0; i < recipe.size(); ++i) {
      auto* page = new QWidget;
      auto* form = new QVBoxLayout(page);
      for (auto [kind, rows] : recipe[i]) {
        switch (kind) {
          case Kind::Label: form->addWidget(new QLabel("Label:", page)); break;
          case Kind::LineEdit: form->addWidget(new QLineEdit("text", page)); break;
          case Kind::CheckBox: form->addWidget(new QCheckBox("Option", page)); break;
          case Kind::Radio: form->addWidget(new QRadioButton("Choice", page)); break;
          case Kind::Button: form->addWidget(new QPushButton("Button", page)); break;
          case Kind::Group: form->addWidget(new QGroupBox("Group", page)); break;
          case Kind::PlainText: form->addWidget(new QPlainTextEdit("-c -mcpu=arm7tdmi", page)); break;
          case Kind::Tree: {
            auto* tree = new QTreeWidget(page);
            QTreeWidgetItem* parent = nullptr;
            for (int r = 0; r < rows; ++r) {
              // Vendors with their devices, ten to a vendor.
              if (r % 10 == 0) parent = new QTreeWidgetItem(tree, QStringList("Vendor"));
              else new QTreeWidgetItem(parent, QStringList("Device"));
            }
            tree->expandAll();
            form->addWidget(tree);
            break;
          }
          case Kind::Combo: {
            auto* combo = new QComboBox(page);
            for (int r = 0; r < rows; ++r) combo->addItem("row");
            form->addWidget(combo);
            break;
          }
        }
      }
      tabs->addTab(page, "Page");
    }
    for (const char* b : {"OK", "Cancel", "Defaults"}) layout->addWidget(new QPushButton(b, &dialog));
    tabs->setCurrentIndex(1);
    dialog.show();
    Idle();
    benchmark::DoNotOptimize(tabs->currentWidget());
  }
}

// One key press: a character typed, or taken back with Backspace, so the
// text stays short.
// The ARM-GNU compiler page current in a shown sheet on the test project;
// the edits are rolled back at the end.
struct CompilerPageOpen {
  Project project;
  OptionsSession session;
  std::unique_ptr<OptionsSheet> sheet;
  ArmToolPage* page = nullptr;
  CompilerPageOpen() {
    std::string error;
    session.Begin(project.p, project.p->curTarget, &error);
    sheet = std::make_unique<OptionsSheet>(session, project.Services(), "Options");
    sheet->show();
    for (int i = 0; i < sheet->PageCount(); ++i)
      if (sheet->Page(i)->Id() == PageId::kArmGnuCompiler) {
        sheet->Tabs()->setCurrentIndex(i);
        page = static_cast<ArmToolPage*>(sheet->Page(i));
      }
    Idle();
  }
  ~CompilerPageOpen() { session.Rollback(); }
};

void Key(QWidget* w, bool add) {
  QKeyEvent press(QEvent::KeyPress, add ? Qt::Key_X : Qt::Key_Backspace, Qt::NoModifier, add ? "X" : "");
  QKeyEvent release(QEvent::KeyRelease, add ? Qt::Key_X : Qt::Key_Backspace, Qt::NoModifier, add ? "X" : "");
  QApplication::sendEvent(w, &press);
  QApplication::sendEvent(w, &release);
}

void BM_PreviewAfterKeyPress(benchmark::State& state) {
  CompilerPageOpen open;
  ArmToolPage* page = open.page;
  QLineEdit* define = page->Text(kArmDefine);
  define->setText("LED_SPEED=4 DEBUG");
  define->setFocus();
  define->end(false);
  bool add = true;
  for (auto _ : state) {
    Key(define, add);
    add = !add;
    benchmark::DoNotOptimize(page->Preview());
  }
}

// The preview's own work after an edit changed: the edits' texts read,
// the line built from the page's copy, the text handed to the view. The
// Define edit's text alternates between two values as the key presses'
// does (set without the edit's signals, which would update the preview
// themselves), so every update shows another line; a preview left as it
// was fails the bench.
void BM_PreviewUpdate(benchmark::State& state) {
  CompilerPageOpen open;
  ArmToolPage* page = open.page;
  QLineEdit* define = page->Text(kArmDefine);
  const QString texts[2] = {"LED_SPEED=4 DEBUGX", "LED_SPEED=4 DEBUG"};
  bool add = true;
  long unchanged = 0;
  QString before = page->PreviewText();
  for (auto _ : state) {
    {
      const QSignalBlocker quiet(define);
      define->setText(texts[add ? 0 : 1]);
    }
    add = !add;
    page->UpdatePreview();
    const QString now = page->PreviewText();
    if (now == before) ++unchanged;
    before = now;
  }
  pm2::bench::SameResult(state, "preview lines left unchanged by an edit", 0L, unchanged);
  // The last text set was the one with DEBUGX when `add` turned false.
  pm2::bench::SameResult(state, "the preview shows the Define edit's last text", !add,
                         page->PreviewText().contains("DEBUGX"));
}

// The size of the compiler page's preview in the shown sheet.
QSize PreviewSize() {
  static const QSize size = [] {
    CompilerPageOpen open;
    return open.page->Preview()->size();
  }();
  return size;
}

// The same key press into a plain QLineEdit, then the same line built
// directly and shown: what a preview could at best cost after a key. The
// user sees the line, so the peer lays it out too, with setPlainText (the
// plain way) into a read-only QPlainTextEdit of the preview's size that
// wraps anywhere as ours does; without it the peer would skip the text
// layout, most of what a preview costs.
void BM_KeyPressThenDirect(benchmark::State& state) {
  const QSize previewSize = PreviewSize();  // before this bench's project: the sheet opens a project of its own
  Project project;
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* define = new QLineEdit(&window);
  auto* shown = new QPlainTextEdit(&window);
  shown->setReadOnly(true);
  shown->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  shown->setWordWrapMode(QTextOption::WrapAnywhere);
  shown->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  shown->setFixedSize(previewSize);
  layout->addWidget(define);
  layout->addWidget(shown);
  window.show();
  Idle();
  define->setText("LED_SPEED=4 DEBUG");
  define->setFocus();
  define->end(false);
  CommandContext ctx;
  TargetRec* target = project.p->curTarget;
  std::string text;
  bool add = true;
  for (auto _ : state) {
    Key(define, add);
    add = !add;
    const QByteArray bytes = define->text().toLocal8Bit();
    text.assign(bytes.constData(), std::size_t(bytes.size()));
    target->pOpts->cGnu.ACDEFN = OptString(text.c_str());
    MakeGnuCcCommand(ctx, target, target, false);
    const std::string_view line = ctx.Text();
    shown->setPlainText(QString::fromLocal8Bit(line.data(), qsizetype(line.size())));
  }
}

// The same line built directly and shown, without the key press: what the
// preview's own update could at best cost. The define alternates as in
// ours, and the line is laid out with setPlainText in a read-only
// QPlainTextEdit of the preview's size that wraps anywhere, as ours is.
void BM_CommandLineShown(benchmark::State& state) {
  const QSize previewSize = PreviewSize();
  Project project;
  QPlainTextEdit shown;
  shown.setReadOnly(true);
  shown.setLineWrapMode(QPlainTextEdit::WidgetWidth);
  shown.setWordWrapMode(QTextOption::WrapAnywhere);
  shown.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  shown.setFixedSize(previewSize);
  shown.show();
  Idle();
  CommandContext ctx;
  TargetRec* target = project.p->curTarget;
  bool add = true;
  long unchanged = 0;
  QString before;
  for (auto _ : state) {
    target->pOpts->cGnu.ACDEFN = OptString(add ? "LED_SPEED=4 DEBUGX" : "LED_SPEED=4 DEBUG");
    add = !add;
    MakeGnuCcCommand(ctx, target, target, false);
    const std::string_view line = ctx.Text();
    shown.setPlainText(QString::fromLocal8Bit(line.data(), qsizetype(line.size())));
    const QString now = shown.toPlainText();
    if (now == before) ++unchanged;
    before = now;
  }
  pm2::bench::SameResult(state, "peer's lines left unchanged by an edit", 0L, unchanged);
}

BENCHMARK(BM_OptionsSheetOpen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QTabWidgetPeerOpen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewAfterKeyPress)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyPressThenDirect)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CommandLineShown)->Unit(benchmark::kMicrosecond);

void PrintRatios(const pm2::bench::TimesReporter& times) {
  const auto ratio = [&](const char* what, const char* ours, const char* peerName, const char* peer, double goal) {
    const double a = times.Time(ours), b = times.Time(peer);
    if (a > 0 && b > 0)
      std::printf("%s: %.1f us, %s %.1f us; ratio %.2f (goal at most %.1f: %s)\n", what, a, peerName, b, a / b, goal,
                  a / b <= goal ? "met" : "missed");
  };
  ratio("opening the sheet", "BM_OptionsSheetOpen", "QTabWidget", "BM_QTabWidgetPeerOpen", 1.5);
  ratio("preview update", "BM_PreviewUpdate", "the builder and setPlainText", "BM_CommandLineShown", 2.0);
  ratio("key press with its preview", "BM_PreviewAfterKeyPress", "a key press, the builder and setPlainText",
        "BM_KeyPressThenDirect", 2.0);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return pm2::bench::RunAndReport(argc, argv, PrintRatios);
}
