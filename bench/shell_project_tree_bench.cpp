// Filling the project window with 4,000 files in 40 groups, each file with
// three include files below it, and painting it: the project window's
// files page (the rows built from the project records, inserted into the
// tree control, painted) against a QTreeWidget given the same rows with
// the same images, in the same run. The disk probe answers from memory on
// our side, as the peer looks at no disk. Prints the time of each and the
// ratio (goal: ours no slower), for a refill and for a first fill; and
// the same for one group of 100,000 files without includes, where each
// append must not walk the group's children.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTreeWidget>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "builder/driver/dependency_file.h"
#include "platform/settings_store.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/project_window/prj_images.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/project_tree_model.h"
#include "shell/windows/shell_runtime.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/controls/tree_ctrl.h"
#include "bench_peer.h"

namespace pm2 {
namespace {

constexpr int kGroups = 40, kFilesPerGroup = 100, kIncludesPerFile = 3;
constexpr int kWidth = 300, kHeight = 700;

class NoOwner : public ProjectViewOwner {
 public:
  void OpenSelectedFile() override {}
  void OpenIncludeFile(const std::string&) override {}
  void ShowProjectContextMenu(QPoint) override {}
  void TargetNamesChanged() override {}
};

struct Setup {
  SettingsStore settings{"/dev/null"};
  std::unique_ptr<ShellRuntime> runtime;
  std::deque<DepIncludeRec> includes;  // the files' include lists, owned here
  ProjectRec* project = nullptr;
  Setup(int groups, int filesPerGroup, int includesPerFile) {
    runtime = std::make_unique<ShellRuntime>(settings);
    project = NewProject(nullptr, "/tmp/pm2bench/Big.pm2");
    project->curTarget->toolset = kToolsetArmGnu;
    for (int g = 0; g < groups; ++g) {
      GroupRec* group = g == 0 ? project->firstGroup : AddGroup(project, ("Group " + std::to_string(g)).c_str());
      for (int i = 0; i < filesPerGroup; ++i) {
        std::string name = "module" + std::to_string(g * filesPerGroup + i) + ".c";
        // Past the 4,096 a group takes from the dialogs, files are linked as
        // the project file's reader links them.
        FileRec* f = i < 4000 ? AddFileToGroup(group, name.c_str(), ".\\src", kFileC)
                              : CopyFileRecord(group->lastFile);
        if (i >= 4000) {
          f->name = OptString(name.c_str());
          f->path = OptString((".\\src\\" + name).c_str());
          group->lastFile->next = f;
          group->lastFile = f;
        }
        for (int k = includesPerFile - 1; k >= 0; --k) {
          DepIncludeRec& d = includes.emplace_back();
          d.path = OptString(("/tmp/pm2bench/inc/header" + std::to_string((i + k) % 50) + ".h").c_str());
          d.next = f->depIncludes;
          f->depIncludes = &d;
        }
      }
    }
  }
};

Setup& S() {
  static Setup s(kGroups, kFilesPerGroup, kIncludesPerFile);
  theApp().m_pProject = s.project;
  return s;
}

// One group of 100,000 files, as a project file may hold.
Setup& OneGroup() {
  static Setup s(1, 100000, 0);
  theApp().m_pProject = s.project;
  return s;
}

void Paint(QWidget* w, QImage& image) {
  QPainter p(&image);
  w->render(&p);
}

// firstFill: the sizes measured by the fill before are forgotten, as when
// a project is opened for the first time; else a refill of the same
// project (after a build, an options change), which finds them.
void FillOurs(benchmark::State& state, bool firstFill, Setup& setup = S()) {
  NoOwner owner;
  CPrjView view(setup.runtime->App(), owner);
  view.SetFileProbe([](const std::string&, bool* readOnly) {
    *readOnly = false;
    return true;
  });
  view.resize(kWidth, kHeight);
  view.show();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    if (firstFill) view.Tree()->InvalidateAllMeasures();
    view.FillTree();
    Paint(&view, image);
  }
  state.counters["rows"] = double(view.Tree()->CountItems(view.Tree()->GetRootItem(), true, true));
}

void BM_FillOurs(benchmark::State& state) { FillOurs(state, false); }
void BM_FillOursFirst(benchmark::State& state) { FillOurs(state, true); }
void BM_FillOursOneGroup(benchmark::State& state) { FillOurs(state, false, OneGroup()); }

void FillPeer(benchmark::State& state, Setup& setup) {
  // The same rows and images as ours, built once outside the timing.
  ProjectTree rows = BuildProjectTree(setup.project, true, [](const std::string&, bool* readOnly) {
    *readOnly = false;
    return true;
  });
  std::shared_ptr<ImageStrip> strip = ProjectTreeImages();
  std::vector<QIcon> icons;
  for (const QPixmap& p : strip->images) icons.emplace_back(p);
  QTreeWidget tree;
  tree.setHeaderHidden(true);
  tree.setIconSize(strip->images[0].size());
  tree.resize(kWidth, kHeight);
  tree.show();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    tree.setUpdatesEnabled(false);
    tree.clear();
    std::vector<QTreeWidgetItem*> items(rows.rows.size(), nullptr);
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
      const ProjectTreeRow& r = rows.rows[i];
      auto* item = r.parent >= 0 ? new QTreeWidgetItem(items[r.parent]) : new QTreeWidgetItem(&tree);
      item->setText(0, ToQString(r.text));
      if (r.image >= 0 && r.image < int(icons.size())) item->setIcon(0, icons[r.image]);
      items[i] = item;
    }
    for (std::size_t i = 0; i < rows.rows.size(); ++i)
      if (rows.rows[i].expanded) items[i]->setExpanded(true);
    tree.setUpdatesEnabled(true);
    Paint(&tree, image);
  }
}

void BM_FillPeer(benchmark::State& state) { FillPeer(state, S()); }
void BM_FillPeerOneGroup(benchmark::State& state) { FillPeer(state, OneGroup()); }

BENCHMARK(BM_FillOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillOursFirst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillPeer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillOursOneGroup)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FillPeerOneGroup)->Unit(benchmark::kMillisecond)->Iterations(2);

void PrintRatios(const bench::TimesReporter& times) {
  const double ours = times.Time("BM_FillOurs"), peer = times.Time("BM_FillPeer");
  bench::PrintRatio("fill the project window with 4,000 files and their includes", ours, "QTreeWidget", peer, 1.0);
  bench::PrintRatio("the same, no label measured before (a first fill)", times.Time("BM_FillOursFirst"), "QTreeWidget",
                    peer, 1.0);
  const double one = times.Time("BM_FillOursOneGroup"), onePeer = times.Time("BM_FillPeerOneGroup");
  bench::PrintRatio("one group of 100,000 files", one, "QTreeWidget", onePeer, 1.0);
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return pm2::bench::RunAndReport(argc, argv, pm2::PrintRatios);
}
