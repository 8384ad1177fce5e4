// Writes three small projects for the end-to-end run of the options sheet:
// one target each of the 51, 251 and 166 toolsets (built with the stand-in
// tools), with a C file and an assembler file.
//   family_projects <folder>   (writes <folder>/P51/P51.pm2, P251, P166)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "project/files/project_file.h"
#include "project/files/project_open.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

OptString Text(const std::string& s) { return OptString::Pooled(s, kPoolProject); }

bool Write(const std::string& folder, const char* name, uint16_t toolset, const char* asmFile) {
  const std::string dir = folder + "/" + name + "/";
  std::filesystem::create_directories(dir);
  std::ofstream(dir + "main.c") << "void main(void) { for (;;) {} }\n";
  std::ofstream(dir + asmFile) << "; start-up\n END\n";
  ResetAppState();
  ProjectRec* p = NewProject(nullptr, (dir + name + ".pm2").c_str());
  theApp().m_pProject = p;
  TargetRec* t = p->firstTarget;
  t->name = Text(name);
  t->VENDOR = Text("Generic");
  t->DEVICE = Text(std::string(name) + " device");
  t->toolset = toolset;
  ResetTargetOptions(t, kToolsetUndefined);
  OptionBlock& o = *t->pOpts;
  o.out.OUTDIR = Text("./Obj/");
  o.out.OUTNAME = Text(name);
  o.out.flags.GENAPP = 1;
  o.lst.LSTDIR = Text("./Obj/");
  GroupRec* g = p->firstGroup;
  g->name = Text("Source");
  AddFileToGroup(g, "main.c", "./", kFileC);
  AddFileToGroup(g, asmFile, "./", kFileAsm);
  std::string message;
  if (SaveProjectFiles(p, &message) != 0) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return false;
  }
  return true;
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : ".";
  const bool ok = pm2::Write(folder, "P51", pm2::kToolset51, "start.w51") &&
                  pm2::Write(folder, "P251", pm2::kToolset251, "start.w51") &&
                  pm2::Write(folder, "P166", pm2::kToolset166, "start.w66");
  return ok ? 0 : 1;
}
