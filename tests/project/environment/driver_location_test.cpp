// Where a driver library a project names is found: inside the
// installation's driver folders only, on a scratch installation with a
// folder outside it that holds a library of every driver's name.
#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "project/environment/driver_location.h"
#include "project/environment/environment.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;

// <base>/root/PM2/ (GdbDrv.so, libTrace.so, a link Escape.so leading out,
// a link Inside.so to GdbDrv.so), <base>/root/ARM/BIN/ (Flash.so, a folder
// link Out/ leading out) and <base>/outside/ (GDBDRV.so, Escape.so).
class DriverLocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base = fs::path(test::TempFolder()) / ("driver_location_" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base);
    base = fs::canonical(base);  // the folders as the disk resolves them
    root = (base / "root").string() + "/";
    outside = (base / "outside").string() + "/";
    fs::create_directories(root + "PM2");
    fs::create_directories(root + "ARM/BIN");
    fs::create_directories(outside);
    for (const std::string& f : {root + "PM2/GdbDrv.so", root + "PM2/libTrace.so", root + "ARM/BIN/Flash.so",
                                outside + "GDBDRV.so", outside + "Escape.so"})
      std::ofstream(f) << "library\n";
    fs::create_symlink(outside + "Escape.so", root + "PM2/Escape.so");
    fs::create_symlink(root + "PM2/GdbDrv.so", root + "PM2/Inside.so");
    fs::create_directory_symlink(outside, root + "ARM/BIN/Out");
    toolset.rootFolder = root + "ARM/";
    toolset.toolsFolder = root + "ARM/BIN/";
    folders = ToolsetDriverFolders(&toolset, root + "PM2/");
  }
  void TearDown() override { fs::remove_all(base); }

  fs::path base;
  std::string root, outside;
  ToolsetInfo toolset;
  DriverFolders folders;
};

struct DriverRow {
  const char* name;
  std::string stored;       // as the project names it; %R the root, %O the outside folder
  std::string file;         // the file found (%R, %O); "" none
  std::string refusalPart;  // a part of the refusal; "" none
};
void PrintTo(const DriverRow& row, std::ostream* out) { *out << row.name; }

std::string Filled(std::string text, const std::string& root, const std::string& outside) {
  for (auto [key, value] : {std::pair<const char*, const std::string*>{"%R", &root}, {"%O", &outside}})
    for (std::size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, 2, *value);
  return text;
}

class DriverNames : public DriverLocationTest, public ::testing::WithParamInterface<DriverRow> {};

TEST_P(DriverNames, AreFoundInTheInstallationsDriverFoldersOnly) {
  const DriverRow& r = GetParam();
  const std::string stored = Filled(r.stored, root, outside);
  const DriverLocation found = LocateDriver(DriverPathBelow(stored, toolset.toolsFolder), folders);
  EXPECT_EQ(found.file, Filled(r.file, root, outside));
  if (r.refusalPart.empty()) {
    EXPECT_EQ(found.refusal, "");
  } else {
    EXPECT_NE(found.refusal.find(Filled(r.refusalPart, root, outside)), std::string::npos) << found.refusal;
    EXPECT_NE(found.refusal.find("outside the installation's driver folders (" + root + "PM2/, " + root + "ARM/, " +
                                 root + "ARM/BIN/)"),
              std::string::npos)
        << found.refusal;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DriverNames,
    ::testing::Values(
        // The names the example and the environment file use.
        DriverRow{"BareNameFromTheProgramFolder", "GDBDRV.DLL", "%RPM2/GdbDrv.so", ""},
        DriverRow{"UpAndIntoTheProgramFolder", "../../PM2/GdbDrv.dll", "%RPM2/GdbDrv.so", ""},
        DriverRow{"WindowsFormAnyCase", "..\\..\\pm2\\GDBDRV.DLL", "%RPM2/GdbDrv.so", ""},
        DriverRow{"InTheToolsFolder", ".\\FLASH.DLL", "%RARM/BIN/Flash.so", ""},
        DriverRow{"LibPrefixed", "TRACE.DLL", "%RPM2/libTrace.so", ""},
        DriverRow{"RootedInside", "%RPM2/GdbDrv.dll", "%RPM2/GdbDrv.so", ""},
        DriverRow{"LinkThatStaysInside", "../../PM2/Inside.dll", "%RPM2/GdbDrv.so", ""},
        DriverRow{"Missing", "NOSUCH.DLL", "", ""},
        // Names that lead elsewhere: refused, the file named.
        DriverRow{"UpAndOut", "../../../outside/GDBDRV.DLL", "", "'%OGDBDRV.DLL' lies in '%O'"},
        DriverRow{"UpAndOutMissing", "../../../outside/NOSUCH.DLL", "", "lies in '%O'"},
        DriverRow{"RootedOutside", "%OGDBDRV.DLL", "", "'%OGDBDRV.DLL' lies in '%O'"},
        DriverRow{"RootedInWindowsForm", "\\tmp\\GDBDRV.DLL", "", "lies in '/tmp/'"},
        // A drive is no folder here: the program's own driver of the name.
        DriverRow{"DriveLetter", "C:\\Drivers\\GDBDRV.DLL", "%RPM2/GdbDrv.so", ""},
        DriverRow{"DriveLetterNoSuchDriver", "C:\\Drivers\\ESCAPE.DLL", "", "'%RPM2/Escape.so' leads to"},
        DriverRow{"FileLinkLeadingOut", "../../PM2/Escape.dll", "", "'%RPM2/Escape.so' leads to '%OEscape.so'"},
        DriverRow{"FolderLinkLeadingOut", "Out/GDBDRV.DLL", "", "lies in '%O'"}),
    [](const auto& info) { return std::string(info.param.name); });

// A relative path is taken against no folder of the current process (it
// is the project's, often): refused.
TEST_F(DriverLocationTest, ARelativePathIsRefused) {
  const DriverLocation found = LocateDriver("GDBDRV.DLL", folders);
  EXPECT_EQ(found.file, "");
  EXPECT_NE(found.refusal.find("'GDBDRV.DLL' names no folder of this installation"), std::string::npos)
      << found.refusal;
}

// The marker library the hostile-project tests plant does leave its marker
// when loaded: their "marker untouched" means nothing loaded it.
TEST_F(DriverLocationTest, TheMarkerLibraryLeavesItsMarkerWhenLoaded) {
  fs::copy_file(PM2_MARKER_LIBRARY, root + "PM2/Marker.so");
  const DriverLocation found = LocateDriver(root + "ARM/BIN/../../PM2/MARKER.DLL", folders);
  ASSERT_EQ(found.file, root + "PM2/Marker.so") << found.refusal;
  ASSERT_FALSE(fs::exists(found.file + ".ran"));
  void* handle = dlopen(found.file.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  EXPECT_NE(dlsym(handle, "DllPm3Cap"), nullptr);
  dlclose(handle);
  EXPECT_TRUE(fs::exists(found.file + ".ran"));
}

}  // namespace
}  // namespace pm2
