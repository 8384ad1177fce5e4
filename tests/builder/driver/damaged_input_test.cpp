// Every reader of a stored file the build and the project rely on, fed the
// damage a crashing machine or a hostile user leaves: a named pipe, a link
// to an endless device, the file cut at every length, a 16 MB line and NUL
// bytes. Each ends with a clear error or a sound result, reads what it
// needs once, and never blocks or runs away (a guard ends the program
// with the reader's name if one does).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>

#include "builder/build_test_support.h"
#include "hang_guard.h"
#include "builder/driver/dependency_file.h"
#include "builder/driver/run_journal.h"
#include "builder/preprocessor/preprocessor.h"
#include "platform/ini_file.h"
#include "platform/mapped_file.h"
#include "platform/settings_store.h"
#include "platform/win_path.h"
#include "project/devices/device_db.h"
#include "project/environment/environment_file.h"
#include "project/files/entry_stream.h"
#include "project/files/project_file.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "toolkit/menus/shortcut_file.h"

namespace pm2 {
namespace {

using test::HangGuard;

// One reader: reads the file at `path`; true when it took it, else *err
// (when the reader has one) says why.
struct Reader {
  const char* name;
  const char* fileName;  // the name the damaged file gets
  std::function<bool(const std::string& path, std::string* err)> read;
  std::string sample;  // a sound file of the kind
};

std::string ProjectSample(std::string* options) {
  ProjectRec* p = NewProject(nullptr, "/tmp/D.pm2");
  p->firstTarget->toolset = kToolsetArmGnu;
  ResetTargetOptions(p->firstTarget, kToolsetUndefined);
  AddFileToGroup(p->firstGroup, "main.c", ".\\", kFileC);
  std::string text = BuildProjectFileText(*p);
  if (options) *options = BuildOptionsFileText(*p);
  PoolFree(kPoolProject);
  return text;
}

// A device database cut short after its first vendor and device, with the
// text's final NUL.
constexpr char kShortDatabase[] = "CDB\0\1\0\0NXP\0LPC2138";

std::vector<Reader> Readers(const test::ScratchFolder& scratch) {
  const std::string folder = scratch.Path();
  std::string options;
  const std::string project = ProjectSample(&options);
  std::vector<Reader> r;
  r.push_back({"project file", "D.pm2",
               [](const std::string& path, std::string* err) {
                 ProjectFileIo io;
                 const int rc = ReadProjectFile(io, path);
                 *err = io.message;
                 PoolFree(kPoolProject);
                 PoolFree(kPoolScratch);
                 return rc == 0;
               },
               project});
  r.push_back({"options file", "O.Opt",
               [folder, project](const std::string& path, std::string* err) {
                 test::WriteFile(folder + "O.pm2", project);
                 ProjectFileIo io;
                 const int rc = ReadProjectFile(io, folder + "O.pm2");
                 *err = io.message;
                 PoolFree(kPoolProject);
                 PoolFree(kPoolScratch);
                 (void)path;
                 return rc == 0;
               },
               options});
  r.push_back({"dependency file", "P_T.dep",
               [folder](const std::string&, std::string*) {
                 ProjectRec* p = NewProject(nullptr, (folder + "P.pm2").c_str());
                 p->firstTarget->name = OptString("T");
                 p->firstTarget->toolset = kToolsetArmGnu;
                 AddFileToGroup(p->firstGroup, "main.c", ".\\", kFileC);
                 const int rc = ReadDependencyFile(*p, *p->firstTarget);
                 PoolFree(kPoolDependencies);
                 PoolFree(kPoolProject);
                 return rc == 1;
               },
               "Dependencies for Project 'P', Target 'T': (DO NOT MODIFY !)\r\nF (main.c)(0x5F00AA01)(-c -O2)\r\n"
               "I (a (b).h)(0x5F00AA00)\r\n"});
  r.push_back({"environment file", "TOOLS.INI",
               [](const std::string& path, std::string* err) { return EnvFile().Load(path, err); },
               "[PM2]\r\nARMSEL=1\r\n[ARM]\r\nPATH=\"C:\\Tools\\ARM\\\"\r\nBOOK0=HLP\\a.pdf(\"A\",GEN)\r\n"});
  r.push_back({"device database", "DEV.CDB",
               [](const std::string& path, std::string*) {
                 const int rc = ReadDeviceDatabase(path);
                 FreeDeviceDatabase();
                 return rc == 0;
               },
               std::string(kShortDatabase, sizeof kShortDatabase)});
  r.push_back({"settings store", "settings.ini",
               [](const std::string& path, std::string* err) { return SettingsStore(path).Load(err); },
               "[Editor\\C Files]\r\nTab=i:4\r\nFont=s:Courier\r\n"});
  r.push_back({"INI file", "W.INI",
               [](const std::string& path, std::string* err) { return IniFiles().Load(path, err) != nullptr; },
               "[Section]\r\nKey=Value\r\n; note\r\n[Other]\r\nA=1\r\n"});
  r.push_back({"run journal", "B.pm2run",
               [](const std::string& path, std::string*) {
                 RunJournal j;
                 j.Begin(path, nullptr, JournalScope{});
                 j.End();
                 return true;
               },
               "O Obj/a.o\nC /nonexistent/a.__i\nT /nonexistent/Pm2__1\n"});
  r.push_back({"mapped file", "M.obj",
               [](const std::string& path, std::string* err) { return MappedFileView().Open(path, err); },
               "some bytes\r\n"});
  r.push_back({"object file entries", "E.obj",
               [](const std::string& path, std::string*) { return ObjectFileEntries().Open("", path) == 0; },
               std::string("\x70\x06\x00\x00\x00\x00\x00\x00", 8)});
  r.push_back({"dependency scan of a source", "S.c",
               [folder](const std::string& path, std::string* err) {
                 DepScanRequest scan;
                 scan.sourcePath = path;
                 scan.objectPath = folder + "S.o";
                 PathResolver resolver;
                 PreprocessForDependencies(scan, resolver, folder);
                 *err = scan.reason;
                 return scan.reason.find("cannot be opened") == std::string::npos;
               },
               "#include \"S.h\"\n#if defined(X) && (Y > 2)\nint a;\n#endif\n"});
  r.push_back({"shortcut file", "K.SHT",
               [](const std::string& path, std::string* err) {
                 // Its owner reads the file through the stored-file reader.
                 struct stat st;
                 if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > (64 << 20)) {
                   *err = "'" + path + "' is no regular file of a shortcut table's size";
                   return false;
                 }
                 std::string bytes(size_t(st.st_size), '\0');
                 FILE* f = std::fopen(path.c_str(), "rb");
                 if (!f) return false;
                 const size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
                 std::fclose(f);
                 bytes.resize(n);
                 AccelTable table;
                 return DecodeShortcutFile(bytes, path, &table, err);
               },
               std::string("PM2K\1\0\0\0\x41\0\x10\x80\0\0", 14)});
  return r;
}

// The bytes this process has read through read() and its kin so far
// (/proc/self/io), or -1 where the system does not say.
long long BytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return -1;
}

// What one reader read of a file, in bytes (-1: unknown).
long long BytesReadBy(const std::function<void()>& read) {
  const long long before = BytesReadSoFar();
  read();
  const long long after = BytesReadSoFar();
  return before < 0 || after < 0 ? -1 : after - before;
}

TEST(DamagedInput, NamedPipeAndEndlessDeviceAreRefusedAtOnce) {
  test::ScratchFolder dir;
  for (const Reader& r : Readers(dir)) {
    SCOPED_TRACE(r.name);
    const std::string path = dir / r.fileName;
    for (const char* kind : {"named pipe", "link to /dev/zero"}) {
      SCOPED_TRACE(kind);
      std::filesystem::remove(path);
      if (kind[0] == 'n') ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
      else std::filesystem::create_symlink("/dev/zero", path);
      std::string err;
      bool took = false;
      long long bytes = 0;
      {
        // A reader that waits for a writer blocks here for ever.
        HangGuard guard(std::string("reading a ") + kind + " as the " + r.name);
        bytes = BytesReadBy([&] { took = r.read(path, &err); });
      }
      // Refused from what the file is, before reading it: a reader that
      // drinks from /dev/zero up to a limit fails here.
      EXPECT_LT(bytes, 1 << 16) << "bytes read";
      // The journal has nothing to say, and an options file that can't be
      // read is passed over like a missing one: they only must not hang or
      // run away.
      const std::string name = r.name;
      if (name != "run journal" && name != "options file") {
        EXPECT_FALSE(took) << err;
      }
    }
    std::filesystem::remove(path);
  }
}

TEST(DamagedInput, HugeLineAndNulBytesEndQuickly) {
  test::ScratchFolder dir;
  const std::string line(16u << 20, 'x');
  for (const Reader& r : Readers(dir)) {
    SCOPED_TRACE(r.name);
    const std::string path = dir / r.fileName;
    const std::string huge = r.sample.substr(0, r.sample.size() / 2) + line + "\r\n" + r.sample;
    test::WriteFile(path, huge);
    std::string err;
    long long bytes = 0;
    {
      // Work that runs away (a scan per byte of the line) never ends; the
      // guard counts processor time too, which the machine's other work
      // can't use up, and leaves a sanitized, unoptimised tree far below it.
      HangGuard guard(std::string("reading a 16 MB line as the ") + r.name, std::chrono::seconds(240),
                      std::chrono::seconds(60));
      bytes = BytesReadBy([&] { r.read(path, &err); });
    }
    // The work counted: the file is read through at most twice, never once
    // per line or per byte.
    EXPECT_LE(bytes, 2 * (long long)huge.size()) << "bytes read for a 16 MB line";
    std::string nul = r.sample;
    for (size_t i = 0; i < nul.size(); i += 3) nul[i] = '\0';
    test::WriteFile(path, nul);
    {
      HangGuard guard(std::string("reading NUL bytes as the ") + r.name, std::chrono::seconds(240),
                      std::chrono::seconds(60));
      bytes = BytesReadBy([&] { r.read(path, &err); });
    }
    EXPECT_LE(bytes, 2 * (long long)nul.size() + (1 << 16)) << "bytes read for NUL bytes";
    std::filesystem::remove(path);
  }
}

TEST(DamagedInput, CutAtEveryLengthIsReadOrRefused) {
  test::ScratchFolder dir;
  for (const Reader& r : Readers(dir)) {
    SCOPED_TRACE(r.name);
    const std::string path = dir / r.fileName;
    ASSERT_FALSE(r.sample.empty());
    HangGuard guard(std::string("reading every cut of the ") + r.name, std::chrono::seconds(240));
    for (size_t len = 0; len <= r.sample.size(); ++len) {
      test::WriteFile(path, r.sample.substr(0, len));
      std::string err;
      const bool took = r.read(path, &err);
      // A refusal says why, naming the file, where the reader has words.
      if (!took && !err.empty()) {
        const std::string shown = std::string(FileNamePart(path));
        EXPECT_NE(err.find(shown), std::string::npos) << "cut at " << len << ": " << err;
      }
    }
    std::filesystem::remove(path);
  }
}

}  // namespace
}  // namespace pm2
