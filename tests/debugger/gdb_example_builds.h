// Builds of the example made by hand for the tests that need code the
// project's own build does not make: Thumb code, and a file of the tests'
// own added beside the example's (it moves the code and the debug
// sections, and gives the program a tagged struct and a character array).
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "gdb_session_fixture.h"

namespace pm2 {

// The file added: a tagged struct, a character array and a function that
// uses both.
inline constexpr const char* kAddedFileText =
    "struct point { int x; int y; };\n"
    "struct point pt = {3, 4};\n"
    "unsigned char buf[16] = \"ABCDEFGHIJKLMNO\";\n"
    "int Added_Sum(int n) { return pt.x + pt.y + buf[n & 15]; }\n";

struct ExampleBuild {
  const char* name;  // a word for the folder's name
  bool thumb;        // -mthumb -mthumb-interwork
  bool addedFile;    // Added.c built in, after the example's files
};

// The folder of the build ("" when it does not build here), made once per
// test program and removed when it ends.
inline std::string ExampleBuildFolder(const ExampleBuild& build) {
  static std::map<std::string, std::unique_ptr<ExampleCopyOfThisProgram>> copies;
  static std::map<std::string, std::string> folders;
  if (const auto it = folders.find(build.name); it != folders.end()) return it->second;
  std::string folder;
  if (!ExampleFolder().empty()) {
    const std::string dir = std::filesystem::temp_directory_path().string() + "/pm2gdb" + build.name +
                            std::to_string(getpid());
    copies[build.name] = std::make_unique<ExampleCopyOfThisProgram>();
    copies[build.name]->dir = dir;
    std::filesystem::remove_all(dir);
    std::filesystem::copy(ExampleFolder(), dir, std::filesystem::copy_options::recursive);
    if (build.addedFile) std::ofstream(dir + "/Added.c") << kAddedFileText;
    const std::string cmd = "cd '" + dir + "' && arm-none-eabi-gcc -mcpu=arm7tdmi " +
                            (build.thumb ? "-mthumb -mthumb-interwork " : "") +
                            "-g -O0 -nostartfiles -T LPC2138.ld Startup.s Blinky.c LED.c Timer.c " +
                            (build.addedFile ? "Added.c " : "") + "-o Obj/Blinky.elf >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) folder = dir + "/";
  }
  folders[build.name] = folder;
  return folder;
}

}  // namespace pm2
