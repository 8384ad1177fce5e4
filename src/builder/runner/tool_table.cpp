#include "builder/runner/tool_table.h"

namespace pm2 {

const char ToolTable[kToolTableRows][kToolNameSize] = {
    "",           "Q251.EXE",   "Q51.EXE",        "Q166.EXE",       "JQ51.EXE",
    "N251.EXE",   "NB51.EXE",   "N166.EXE",       "W51.EXE",        "W251.EXE",
    "W166.EXE",   "W66.EXE",    "Q66.EXE",        "N66.EXE",        "ARX166.EXE",
    "ARX66.EXE",  "ARX51.EXE",  "ARX251.EXE",     "HZ51.EXE",       "HZ251.EXE",
    "HZ166.EXE",  "HZ66.EXE",   "VR51.EXE",       "WX51.EXE",       "NX51.EXE",
    "QX51.EXE",   "ARXX51.EXE", "HZX51.EXE",      "NP51.EXE",       "ZZQ51.EXE",
    "YQ166.EXE",  "arm-uclibc-gcc", "arm-uclibc-as", "arm-uclibc-gcc", "arm-uclibc-objcopy",
    "arm-uclibc-ar", "ArmCC",   "ArmAsm",         "ArmLink",        "fromelf",
    "ArmAr",      "ArmCpp",     "Tcc",
};

namespace {

using CF = CommandForm;
using FK = FilterKind;
using AA = AnnounceArg;
using SM = StartMode;

// Codes of one row share everything but their program name.
struct Row {
  int codes[8];
  ToolCodeInfo info;
};

constexpr const char* kCompiling = "compiling %s...\n";
constexpr const char* kAssembling = "assembling %s...\n";
constexpr const char* kLinking = "linking...\n";
constexpr const char* kHexFrom = "creating hex file from %s...\n";

const Row kRows[] = {
    {{0, -1}, {CF::kCustom, FK::kCopy, false, "custom translating %s...\n", nullptr, AA::kFile, SM::kMinimized, false, false}},
    {{1, 2, 3, 12, 25, -1}, {CF::kPForm, FK::kCompiler, true, kCompiling, nullptr, AA::kFile}},
    {{30, -1}, {CF::kPForm, FK::kYq166, true, kCompiling, nullptr, AA::kFile}},
    {{29, -1}, {CF::kPFormAlt, FK::kCopy, false, kCompiling, nullptr, AA::kFile}},
    {{4, -1}, {CF::kPlm, FK::kPlm, false, kCompiling, nullptr, AA::kFile, SM::kNoCapture}},
    {{5, 6, 7, 13, 24, 28, -1}, {CF::kLinker, FK::kLinker, true, kLinking, nullptr, AA::kNone}},
    {{8, 9, 10, 11, 23, -1}, {CF::kPForm, FK::kAssembler, true, kAssembling, nullptr, AA::kFile}},
    {{14, 15, 16, 17, 26, -1}, {CF::kPForm, FK::kCopy, false, "creating library %s...\n", nullptr, AA::kFile}},
    {{18, 19, 20, 21, 27, -1}, {CF::kHex, FK::kHex, true, kHexFrom, nullptr, AA::kObject}},
    {{22, -1}, {CF::kHex, FK::kCopy, false, "running vr51 on file %s...\n", nullptr, AA::kObject}},
    {{31, -1}, {CF::kGnuCmdFile, FK::kGnu, false, kCompiling, nullptr, AA::kFile}},
    {{32, -1}, {CF::kGnuCmdFile, FK::kGnu, false, kAssembling, nullptr, AA::kFile}},
    {{33, -1}, {CF::kGnuCmdFile, FK::kGnu, false, kLinking, nullptr, AA::kNone, SM::kHidden, true}},
    {{34, -1}, {CF::kGnuPlain, FK::kGnu, false, "creating hex file...\n", "converting to ELF format...\n", AA::kFlag}},
    {{35, -1}, {CF::kGnuPlain, FK::kCopy, false, "creating Library...\n", nullptr, AA::kNone}},
    {{36, 42, -1}, {CF::kAdsVia, FK::kAds, false, kCompiling, nullptr, AA::kFile}},
    {{37, -1}, {CF::kAdsVia, FK::kAds, false, kAssembling, nullptr, AA::kFile}},
    {{38, -1}, {CF::kAdsVia, FK::kAds, false, kLinking, nullptr, AA::kNone}},
    {{39, -1}, {CF::kFromElf, FK::kAds, false, "FromELF: creating hex file...\n", "FromELF: creating bin file...\n", AA::kFlag, SM::kHidden, true}},
    {{40, 41, -1}, {CF::kNone, FK::kCopy, false, nullptr, nullptr, AA::kNone, SM::kNone}},
    {{43, -1}, {CF::kUser, FK::kCopy, false, nullptr, nullptr, AA::kNone, SM::kMinimized, false, false}},
    {{44, -1}, {CF::kLint, FK::kLint, false, "Running PC-Lint '%s'...\n", nullptr, AA::kProgram, SM::kMinimized, false, false}},
};

struct Index {
  ToolCodeInfo byCode[kToolPcLint + 2];
  Index() {
    for (auto& info : byCode) info.start = StartMode::kNone;
    for (const Row& row : kRows)
      for (int i = 0; i < 8 && row.codes[i] >= 0; ++i) byCode[row.codes[i]] = row.info;
  }
};

const Index& TheIndex() {
  static const Index index;
  return index;
}

}  // namespace

const ToolCodeInfo& ToolInfo(int code) {
  if (code < 0 || code > kToolPcLint) return TheIndex().byCode[kToolPcLint + 1];
  return TheIndex().byCode[code];
}

const char* ToolProgramName(int code) {
  return (code >= 0 && code < kToolTableRows) ? ToolTable[code] : "";
}

}  // namespace pm2
