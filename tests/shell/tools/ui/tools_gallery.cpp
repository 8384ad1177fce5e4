// Pictures of the tools' dialogs in their typical states, as PNG files in
// the folder given (offscreen), for a person to look at.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

#include "platform/settings_store.h"
#include "shell/tools/ui/find_in_files_dialog.h"
#include "shell/tools/ui/lint_options_dialog.h"
#include "shell/tools/ui/scc_query_dialog.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/tools/ui/svcs_template_dialog.h"

#include <unistd.h>
#include "shell/tools/ui/tools_menu_dialog.h"
#include "test_leftovers.h"

using namespace pm2;

static bool Save(QWidget& w, const QString& folder, const char* name) {
  w.adjustSize();
  w.show();
  QApplication::processEvents();
  bool ok = w.grab().save(folder + "/" + name + ".png");
  if (!ok) std::fprintf(stderr, "could not write %s\n", name);
  return ok;
}

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? argv[1] : "gallery";
  QDir().mkpath(folder);
  bool ok = true;
  SettingsStore store("/nonexistent/settings.ini");
  UserToolEntry a;
  a.used = true;
  a.menuText = "Grep for Word";
  a.program = "/usr/bin/grep";
  a.arguments = "-n ~E #E";
  a.options = kToolPrompt;
  UserToolEntry b = a;
  b.menuText = "Diff with Repository";
  b.program = "/usr/bin/git";
  b.arguments = "difftool #E";
  b.options = kToolIndependent;
  WriteUserTools(store, {a, b});
  {
    ToolsMenuDialog dlg(store);
    ok &= Save(dlg, folder, "shell_tools_menu_dialog");
  }
  store.WriteProfileString("_FindLst", "_Item0", "PrintToOutput");
  store.WriteProfileString("_FoldLst", "_Item0", "/home/user/project/src");
  store.WriteProfileInt("_FindLst", "_Opt", 5);
  {
    FindInFilesDialog dlg(store, "OutputText", "");
    ok &= Save(dlg, folder, "shell_tools_find_in_files");
  }
  {
    FindInFilesDialog dlg(store, "", "");
    dlg.RegexBox()->setChecked(true);
    dlg.FindCombo()->setEditText("");
    ok &= Save(dlg, folder, "shell_tools_find_in_files_regex_empty");
  }
  {
    SccQueryDialog dlg({true, true, false}, "Fixed the UART baud rate", "1.4", "");
    ok &= Save(dlg, folder, "shell_tools_scc_query");
  }
  {
    // In the run's own temporary folder (its TestProcessScope's), never a
    // fixed one shared with other programs.
    std::string tmpl = pm2::test::TempFolder() + "/pm2galleryXXXXXX";
    if (!::mkdtemp(tmpl.data())) {
      std::perror(tmpl.c_str());
      return 1;
    }
    const std::string dir = tmpl;
    std::string path = dir + "/git.SVCS";
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("[SVCS]\nDataBase=/home/user/repo\nMenuItem=Pull\nCommand=/usr/bin/git\nArguments=pull\n"
               "MenuItem=Commit %F\nCommand=/usr/bin/git\nArguments=commit -F %Q #F\nEnvironment=GIT_AUTHOR_NAME=%U\n"
               "QueryComment=1\n", f);
    std::fclose(f);
    store.WriteProfileString("Sccs", "SccsFile", path.c_str());
    store.WriteProfileString("Sccs", "SccsUser", "ann");
    // With a project whose target carries an identifier, and without one.
    OptionBlock* target = NewOptionBlock(kPoolProject);
    target->lst.SVCSID = OptString::Pooled("BLINKY-STM32-REL2", kPoolProject);
    {
      SvcsTemplateDialog dlg(store, nullptr, target);
      ok &= Save(dlg, folder, "shell_tools_svcs_template");
    }
    {
      SvcsTemplateDialog dlg(store);
      ok &= Save(dlg, folder, "shell_tools_svcs_template_no_project");
    }
    ::unlink(path.c_str());
    ::rmdir(dir.c_str());
  }
  {
    ProjectRec* p = NewProject("demo", "/p/");
    ApplyLintSettings(*p->curTarget, LintSettings{"/opt/pclint/lint-nt", "/opt/pclint/lnt/co-gcc.lnt",
                                                  {"/usr/lib/arm-none-eabi/include", "/home/user/project/inc"}});
    LintOptionsDialog dlg(*p->curTarget);
    ok &= Save(dlg, folder, "shell_tools_lint_options");
  }
  {
    store.WriteProfileString("Settings\\EasyCase", "Bin", "/opt/easycase/Easy-Cpp.exe");
    AddInSetupDialog dlg(store);
    ok &= Save(dlg, folder, "shell_tools_addin_setup");
  }
  return ok ? 0 : 1;
}
