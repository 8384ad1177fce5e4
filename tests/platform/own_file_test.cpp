#include "platform/own_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "read_file.h"
#include "temp_dir.h"

namespace pm2 {
namespace {

const std::string kVictim = "the user's own file\n";
const std::string kOutput = "what the build writes\n";

// What a project made by someone else may hold at an output's name.
enum class Planted { kNothing, kOwnFile, kLinkToFile, kDanglingLink, kSecondName, kPipe, kSocket };

struct PlantRow {
  const char* name;
  Planted planted;
  bool replaced;         // the open tells that something was removed
  const char* linkText;  // what it tells the link named ("" none, "*" the victim)
  const char* said;      // what the message says stood there ("*": a link to the victim)
};
const PlantRow kPlants[] = {
    {"nothing", Planted::kNothing, false, "", ""},
    {"a file of its own", Planted::kOwnFile, false, "", ""},
    {"a link to a user's file", Planted::kLinkToFile, true, "*", "*"},
    {"a link to a missing file", Planted::kDanglingLink, true, "*", "*"},
    {"a second name of a user's file", Planted::kSecondName, true, "", "a second name of another file"},
    {"a named pipe", Planted::kPipe, true, "", "a named pipe (FIFO)"},
    {"a socket", Planted::kSocket, true, "", "a socket"},
};

// A socket bound at `at` (left open so that it stays a socket).
void PlantSocket(const std::string& at) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  ASSERT_LT(at.size(), sizeof addr.sun_path);
  std::memcpy(addr.sun_path, at.c_str(), at.size() + 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << std::strerror(errno);
  ::close(fd);
}

void Plant(Planted planted, const std::string& at, const std::string& victim) {
  switch (planted) {
    case Planted::kNothing: break;
    case Planted::kOwnFile: std::ofstream(at) << "an older output, longer than the new one\n"; break;
    case Planted::kLinkToFile:
    case Planted::kDanglingLink: ASSERT_EQ(::symlink(victim.c_str(), at.c_str()), 0); break;
    case Planted::kSecondName: ASSERT_EQ(::link(victim.c_str(), at.c_str()), 0); break;
    case Planted::kPipe: ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); break;
    case Planted::kSocket: PlantSocket(at); break;
  }
}

// Whatever stands at the name, the write lands in a plain file of the
// program's own there and the user's file elsewhere keeps every byte
// (a dangling link's target is not made).
TEST(OwnFile, AWriteNeverGoesThroughWhatStandsAtTheName) {
  for (const PlantRow& row : kPlants) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    const std::string victim = dir / "home.rc";
    if (row.planted != Planted::kDanglingLink) std::ofstream(victim) << kVictim;
    const std::string at = dir / "Blinky.__i";
    Plant(row.planted, at, victim);

    ReplacedName what;
    std::FILE* f = OpenOwnFileStream(at, &what);
    ASSERT_NE(f, nullptr) << std::strerror(errno);
    std::fputs(kOutput.c_str(), f);
    std::fclose(f);

    EXPECT_EQ(test::ReadFile(at), kOutput);
    struct stat st;
    ASSERT_EQ(::lstat(at.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_nlink, 1u);
    if (row.planted == Planted::kDanglingLink) {
      EXPECT_FALSE(std::filesystem::exists(victim));
    } else {
      EXPECT_EQ(test::ReadFile(victim), kVictim);
    }
    EXPECT_EQ(what.replaced, row.replaced);
    EXPECT_EQ(what.linkTarget, std::string(row.linkText) == "*" ? victim : std::string());
    // The message says what stood there: a named pipe is no second name
    // of anything.
    const std::string said = std::string(row.said) == "*" ? "a link to '" + victim + "'" : row.said;
    EXPECT_EQ(ReplacedNameText(at, what),
              row.replaced ? "'" + at + "' was " + said + ": it is removed, and a file of its own is written in its place"
                           : "");
  }
}

// Opened without emptying (a log cut later), a file of its own keeps its
// bytes; a folder at the name is refused, never removed.
TEST(OwnFile, KeepsAnOwnFilesBytesAndRefusesAFolder) {
  TempDir dir;
  const std::string log = dir / "Blinky.plg";
  std::ofstream(log) << "last build\n";
  int fd = OpenOwnFile(log, 0);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(test::ReadFile(log), "last build\n");

  const std::string folder = dir / "Obj";
  std::filesystem::create_directory(folder);
  errno = 0;
  EXPECT_LT(OpenOwnFile(folder, O_TRUNC), 0);
  EXPECT_EQ(errno, EISDIR);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace pm2
