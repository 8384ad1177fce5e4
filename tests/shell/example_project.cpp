#include "example_project.h"

#include "project/files/project_file.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

OptString Text(const char* s) { return OptString::Pooled(s, kPoolScratch); }

}  // namespace

ProjectRec* MakeExampleProject(const std::string& folder) {
  ProjectRec* p = NewProject(nullptr, (folder + "Blinky.pm2").c_str());
  TargetRec* t = p->firstTarget;
  t->name = Text("LPC2138");
  t->VENDOR = Text("NXP");
  t->DEVICE = Text("LPC2138");
  t->CPU = Text("IRAM(0x40000000-0x40007FFF) IROM(0-0x7FFFF) CLOCK(12000000) CPUTYPE(ARM7TDMI-S)");
  t->FLASHUT = Text("lpc21isp #H /dev/ttyUSB0 38400 12000");
  t->STUPF = Text("Startup.s");
  t->RGF = Text("LPC213x.h");
  t->toolset = kToolsetArmGnu;
  ResetTargetOptions(t, kToolsetUndefined);
  OptionBlock& o = *t->pOpts;
  o.out.OUTDIR = Text("./Obj/");
  o.out.OUTNAME = Text("Blinky");
  o.out.flags.GENAPP = 1;
  o.out.flags.DEBUG = 1;
  o.out.flags.GENHEX = 1;
  o.lst.LSTDIR = Text("./Obj/");
  o.lst.GLFLAGS |= 0x100;          // map file
  o.lGnu.ALDSCAT = Text("LPC2138.ld");
  o.lGnu.ALDFLAG[0] |= 0x04;       // -nostartfiles
  // Debugging in simulation through the GDB driver (qemu); the target side
  // names a GDB server such as OpenOCD.
  o.dbg.str[0] = Text("GDBDRV.DLL");
  o.dbg.str[1] = Text("-sim");
  o.dbg.str[5] = Text("GDBDRV.DLL");
  o.dbg.str[6] = Text("-remote localhost:3333");

  GroupRec* startup = p->firstGroup;
  startup->name = Text("Startup");
  AddFileToGroup(startup, "Startup.s", "./", kFileAsm);
  GroupRec* source = AddGroup(p, "Source");
  for (const char* name : {"Blinky.c", "LED.c", "Timer.c"}) AddFileToGroup(source, name, "./", kFileC);
  return p;
}

void ExampleProjectTexts(std::string* projectText, std::string* optionsText) {
  ProjectRec* p = MakeExampleProject("./");
  *projectText = BuildProjectFileText(*p);
  *optionsText = BuildOptionsFileText(*p);
}

}  // namespace pm2
