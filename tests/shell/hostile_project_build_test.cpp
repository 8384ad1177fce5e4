// A project made by someone else, built from the command line: links
// planted at the names the build writes (command files, objects,
// dependency lists, listings, the map, the image, the hex file, the build
// log) point at a file of the user's outside the project. The build
// replaces each link by a file of its own, says so, and the user's file
// keeps every byte.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "example_build_fixture.h"

namespace pm2 {
namespace {

const std::string kVictim = "export PATH=$HOME/bin:$PATH  # the user's own file\n";

struct PlantRow {
  const char* name;
  const char* planted;  // below the project folder
  bool dangling;        // the link names a file that is not there
};
const PlantRow kPlants[] = {
    {"compiler_command_file", "Obj/Blinky.__i", false},
    {"assembler_command_file", "Obj/Startup._ia", false},
    {"object", "Obj/Blinky.o", false},
    {"dependency_list", "Obj/LED.d", false},
    {"listing", "Obj/Timer.lst", false},
    {"map", "Obj/Blinky.map", false},
    {"image", "Obj/Blinky.elf", false},
    {"hex_file", "Obj/Blinky.hex", false},
    {"build_log", "Obj/Blinky.plg", false},
    {"image_to_a_missing_file", "Obj/Blinky.elf", true},
};

class HostileProjectBuild : public ExampleBuild {
 protected:
  void TearDown() override {
    ExampleBuild::TearDown();
    if (!victimDir_.empty()) fs::remove_all(victimDir_);
  }
  std::string victimDir_;
};

TEST_F(HostileProjectBuild, ALinkAtAnOutputNameIsReplacedNeverWrittenThrough) {
  for (const PlantRow& row : kPlants) {
    SCOPED_TRACE(row.name);
    if (!victimDir_.empty()) {
      fs::remove_all(dir_);
      fs::remove_all(victimDir_);
      SetUp();  // a fresh copy
    }
    std::string pattern = (fs::temp_directory_path() / "pm2victim_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    victimDir_ = pattern;
    const std::string victim = victimDir_ + "/dot-bashrc";
    if (!row.dangling) std::ofstream(victim, std::ios::binary) << kVictim;
    fs::create_directories(dir_ + "Obj");
    const std::string at = dir_ + row.planted;
    ASSERT_EQ(::symlink(victim.c_str(), at.c_str()), 0);

    EXPECT_EQ(Build(), 0) << out_;
    if (row.dangling) {
      EXPECT_FALSE(fs::exists(victim));
    } else {
      EXPECT_EQ(ReadText(victim), kVictim);
    }
    EXPECT_EQ(fs::directory_iterator(victimDir_) == fs::directory_iterator(), row.dangling);
    // What the build wrote there is a file of the project's own (the
    // command files are deleted at the build's end).
    if (fs::exists(fs::symlink_status(at))) {
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(at)));
    }
    EXPECT_NE(out_.find("' was a link to '" + victim + "': it is removed, and a file of its own is written in its place"),
              std::string::npos)
        << out_;
    EXPECT_NE(out_.find("0 Error(s)"), std::string::npos) << out_;
  }
}

// A folder the project names that is a link is said: the build's files go
// where it points.
TEST_F(HostileProjectBuild, AnOutputFolderThatIsALinkIsSaid) {
  std::string pattern = (fs::temp_directory_path() / "pm2victim_XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  victimDir_ = pattern;
  ASSERT_EQ(::symlink(victimDir_.c_str(), (dir_ + "Obj").c_str()), 0);
  EXPECT_EQ(Build(), 0) << out_;
  // Said first, before the build log is written there.
  EXPECT_EQ(out_.rfind("*** NOTE: the folder './Obj/' is a link to '" + fs::canonical(victimDir_).string() +
                           "': the build writes its files there\n",
                       0),
            0u)
      << out_;
}

// A project that names its output folder outside its own folder, plainly
// or through a link on the way: where the files go is the first thing the
// build says, before it makes the folder or writes the log there.
TEST_F(HostileProjectBuild, AnOutputFolderOutsideTheProjectIsSaidFirst) {
  struct Row {
    const char* name;
    const char* folder;  // the project's OutDir and LstDir; %V the victim's folder
    bool link;           // "Obj" is a link to the victim's folder
    const char* said;    // %V the victim's folder as the program finds it
  } rows[] = {
      {"a folder beside the project", "../%N/", false,
       "*** NOTE: the folder '../%N/' is '%V', outside the project's folder: the build writes its files there\n"},
      {"a folder below a link", "./Obj/out/", true,
       "*** NOTE: the folder './Obj/out/' goes through the link '%PObj' to '%V/out': the build writes its files "
       "there\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (!victimDir_.empty()) {
      fs::remove_all(dir_);
      fs::remove_all(victimDir_);
      SetUp();
    }
    std::string pattern = (fs::temp_directory_path() / "pm2victim_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    victimDir_ = pattern;
    if (row.link) {
      ASSERT_EQ(::symlink(victimDir_.c_str(), (dir_ + "Obj").c_str()), 0);
    }
    auto fill = [&](std::string text) {
      const std::string name = fs::path(victimDir_).filename().string();
      const std::string project = dir_.substr(0, dir_.size() - 1);
      for (std::size_t at; (at = text.find("%N")) != std::string::npos;) text.replace(at, 2, name);
      for (std::size_t at; (at = text.find("%V")) != std::string::npos;)
        text.replace(at, 2, fs::canonical(victimDir_).string());
      for (std::size_t at; (at = text.find("%P")) != std::string::npos;) text.replace(at, 2, project + "/");
      return text;
    };
    // The victim's folder lies beside the project's copy (both in the
    // temporary folder): "../<its name>/" from the project.
    ASSERT_EQ(fs::path(victimDir_).parent_path(), fs::path(dir_.substr(0, dir_.size() - 1)).parent_path());
    std::string project = ReadText(dir_ + "Blinky.pm2");
    for (const char* key : {" OutDir (./Obj/)", " LstDir (./Obj/)"}) {
      const std::size_t at = project.find(key);
      ASSERT_NE(at, std::string::npos);
      project.replace(at, std::string(key).size(), std::string(key).substr(0, 8) + "(" + fill(row.folder) + ")");
    }
    std::ofstream(dir_ + "Blinky.pm2", std::ios::binary) << project;
    EXPECT_EQ(Build(), 0) << out_;
    EXPECT_EQ(out_.rfind(fill(row.said), 0), 0u) << out_;
    // Every folder's note (the options file keeps the listing folder, "./Obj/")
    // comes before the build's first line, each once.
    const std::size_t start = out_.find("Build target '");
    ASSERT_NE(start, std::string::npos) << out_;
    EXPECT_EQ(out_.find("*** NOTE", start), std::string::npos) << out_;
    EXPECT_EQ(out_.find(fill(row.said), 1), std::string::npos) << out_;
  }
}

}  // namespace
}  // namespace pm2
