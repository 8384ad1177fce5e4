// The walk's read-back of a project: the texts a save wrote (in two files),
// read with the project reader as the program reads a project with none
// open, and written again. Prints why they differ, or nothing; exits 0
// when it could tell. Started afresh for each check, so it shares no lock
// and no record with the walk; it ends with the walk that started it.
//
//   shell_walk_read_back <project path> <project text file> <options text file> <walk's pid>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "project/files/project_file.h"
#include "project/files/stored_texts.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "walk_texts.h"

namespace {

// A pool the program never uses: the records read back stay apart from
// anything the reader takes defaults from.
constexpr int kReadBackPool = 12;

std::string ReadAll(const char* path, bool* ok) {
  std::ifstream in(path, std::ios::binary);
  *ok = bool(in);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string ReadBackFault(const std::string& path, const std::string& text, const std::string& options) {
  pm2::ProjectFileIo io;
  io.pool = kReadBackPool;
  const std::string_view optionsView(options);
  const int rc = pm2::ReadProjectText(io, path, text, &optionsView);
  if (rc != pm2::kProjectFileOk || !io.project)
    return "the project as written does not read back (" + std::to_string(rc) + "): " + io.message;
  const std::string again = pm2::BuildProjectFileText(*io.project);
  const std::string againOptions = pm2::BuildOptionsFileText(*io.project);
  if (again != text) return "the project file reads back different, " + pm2::test::FirstDifference(text, again);
  if (againOptions != options)
    return "the options file reads back different, " + pm2::test::FirstDifference(options, againOptions);
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s <project path> <project text file> <options text file> <walk's pid>\n", argv[0]);
    return 2;
  }
  // Ends with the walk, even when the walk is killed or ends itself at a
  // hang: nothing of the test may hold the runner's output after it.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != std::atoi(argv[4])) return 3;
  bool textOk = false, optionsOk = false;
  const std::string text = ReadAll(argv[2], &textOk), options = ReadAll(argv[3], &optionsOk);
  if (!textOk || !optionsOk) {
    std::fprintf(stderr, "cannot read '%s' or '%s'\n", argv[2], argv[3]);
    return 2;
  }
  const std::string fault = ReadBackFault(argv[1], text, options);
  std::fwrite(fault.data(), 1, fault.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 2;
}
