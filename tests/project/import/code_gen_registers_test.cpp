#include "project/import/code_gen_registers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/fault_disk.h"
#include "project/import/code_gen_project.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

int RowOf(const std::vector<RegisterRow>& t, const std::string& equate, const std::string& field = "") {
  for (size_t i = 0; i < t.size(); ++i)
    if (t[i].equate == equate && (field.empty() || t[i].field == field)) return int(i);
  return -1;
}

TEST(CodeGenRegisters, TableLandmarks) {
  const auto& classic = ClassicRegisterTable();
  const auto& xc = Xc16xRegisterTable();
  EXPECT_EQ(classic.size(), 106u);
  EXPECT_EQ(xc.size(), 168u);
  struct Row {
    const char* name;
    bool xc16x;
    int index;
    const char* equate;
    const char* field;
    int kind;
    uint32_t number;
    const char* group;  // XC16x: the group row's equate, "" none
  } rows[] = {
      {"first classic row", false, 0, "_ROMEN", "SYSCON_ROMEN", 1, 2, ""},
      {"stack size as $SET", false, 17, "STK_SIZE", "SYSCON_STKSZ", 3, 0, ""},
      {"bus 1 active passes its value on", false, 25, "_BUSACT1", "BUSCON1_BUSACT1", 1, 4, ""},
      {"bus 1 switch after it", false, 26, "BUSCON1", "BUSCON1", 3, 0, ""},
      {"last bus row", false, 59, "_CSWEN4", "BUSCON4_CSWEN4", 1, 0, ""},
      {"stack size as SET", false, 60, "_STKSZ", "SYSCON_STKSZ", 2, 0, ""},
      {"window size", false, 68, "RANGE4", "ADDRSEL4_RGSZ", 10, 11, ""},
      {"X-peripheral bit 15", false, 84, "V_XPERCON", "XPERCON_XPER15", 20, 32768, ""},
      {"ADC switch under another name", false, 95, "ASCDIS", "SYSCON3_ADCDIS", 21, 1, ""},
      {"last classic row", false, 105, "ADVANCED_SYSCON", "SYSCON2_2", 3, 0, ""},
      {"first group row", true, 0, "INIT_SYSCON1", "", 3, 0, ""},
      {"last group row", true, 13, "CONFIG_CS7", "", 3, 0, ""},
      {"CPU fields have no group", true, 14, "_ZCJ", "CPUCON1_ZCJ", 1, 0, ""},
      {"FASTBL without underscore", true, 21, "FASTBL", "CPUCON2_FASTBL", 1, 0, ""},
      {"system field in its group", true, 30, "_PDCFG", "SYSCON1_PDCFG", 1, 0, "INIT_SYSCON1"},
      {"flash switch under another name", true, 37, "FMDIS", "SYSCON3_PFMDIS", 1, 0, "INIT_SYSCON3"},
      {"watchdog", true, 49, "_WDTREL", "WDTCON_WDTREL", 1, 0, "WATCHDOG"},
      {"bus mode 1", true, 65, "_DHPDIS", "EBCMOD1_DHPDIS", 1, 0, "CONFIG_EBC"},
      {"chip select 0 has no window", true, 66, "_ENCS0", "FCONCS0_ENCS0", 1, 0, "CONFIG_CS0"},
      {"window address of chip select 1", true, 77, "_ADDR1", "ADDRSEL1_RGSAD1", 161, 10, "CONFIG_CS1"},
      {"phase E of chip select 1", true, 87, "_PHE1", "TCONCS1_PHE1", 1, 0, "CONFIG_CS1"},
      {"window size of chip select 7", true, 156, "_SIZE7", "ADDRSEL7_RGSZ7", 177, 11, "CONFIG_CS7"},
      {"last XC16x row", true, 167, "_WRPHF7", "TCONCS7_WRPHF7", 1, 0, "CONFIG_CS7"},
  };
  for (const Row& r : rows) {
    const auto& t = r.xc16x ? xc : classic;
    ASSERT_LT(size_t(r.index), t.size()) << r.name;
    const RegisterRow& row = t[size_t(r.index)];
    EXPECT_EQ(row.equate, r.equate) << r.name;
    EXPECT_EQ(row.field, r.field) << r.name;
    EXPECT_EQ(row.kind, r.kind) << r.name;
    EXPECT_EQ(row.number, r.number) << r.name;
    EXPECT_EQ(row.group < 0 ? std::string() : t[size_t(row.group)].equate, r.group) << r.name;
  }
  // Every field of a table is named once, but the stack size twice.
  for (const auto* t : {&classic, &xc}) {
    std::map<std::string, int> seen;
    for (const RegisterRow& row : *t)
      if (!row.field.empty()) ++seen[row.field];
    for (auto& [field, n] : seen) EXPECT_EQ(n, field == "SYSCON_STKSZ" ? 2 : 1) << field;
  }
}

TEST(CodeGenRegisters, ValueRows) {
  struct Row {
    const char* name;
    bool xc16x;
    std::map<std::string, uint32_t> registers;
    const char* equate;
    const char* field;  // to pick one of several rows of the equate
    bool given;
    uint32_t value;
  } rows[] = {
      {"a field sets its row", false, {{"SYSCON_ROMEN", 1}}, "_ROMEN", "", true, 1},
      {"an absent field stays untold", false, {{"SYSCON_ROMEN", 1}}, "_XPEN", "", false, 0},
      {"one field sets both stack rows", false, {{"SYSCON_STKSZ", 3}}, "_STKSZ", "", true, 3},
      {"bits joined in every member", false, {{"XPERCON_XPER0", 1}, {"XPERCON_XPER3", 7}}, "V_XPERCON", "XPERCON_XPER9", true, 9},
      {"a zero member adds no bit", false, {{"XPERCON_XPER0", 0}, {"XPERCON_XPER1", 1}}, "V_XPERCON", "XPERCON_XPER0", true, 2},
      {"used set switches on", false, {{"XPERCON_XPER4", 1}}, "INIT_XPERCON", "", true, 1},
      {"empty set switches off", false, {{"XPERCON_XPER4", 0}}, "INIT_XPERCON", "", true, 0},
      {"switch untold without members", false, {{"SYSCON_ROMEN", 1}}, "INIT_XPERCON", "", false, 0},
      {"second set", false, {{"SYSCON3_CAN2DIS", 1}}, "ADVANCED_SYSCON", "", true, 1},
      {"second set's members", false, {{"SYSCON3_CAN2DIS", 1}}, "PDCON", "", true, 1},
      {"XC16x member on switches its group", true, {{"SYSCON1_PDCFG", 2}}, "INIT_SYSCON1", "", true, 1},
      {"XC16x zero member leaves it off", true, {{"RSTCON_RODIS", 0}}, "INIT_RSTCON", "", true, 0},
      {"XC16x chip select by digit", true, {{"TCONCS5_PHA5", 1}}, "CONFIG_CS5", "", true, 1},
      {"XC16x other chip select untouched", true, {{"TCONCS5_PHA5", 1}}, "CONFIG_CS4", "", false, 0},
      {"XC16x CPU field has no group", true, {{"CPUCON1_BP", 1}}, "_BP", "", true, 1},
      {"bus modes share one group", true, {{"EBCMOD1_APDIS", 1}}, "CONFIG_EBC", "", true, 1},
  };
  for (const Row& r : rows) {
    const auto& t = r.xc16x ? Xc16xRegisterTable() : ClassicRegisterTable();
    const std::vector<RegisterValue> v = ResolveRegisterValues(t, r.registers, r.xc16x);
    const int i = RowOf(t, r.equate, r.field);
    ASSERT_GE(i, 0) << r.name;
    EXPECT_EQ(v[size_t(i)].given, r.given) << r.name;
    EXPECT_EQ(v[size_t(i)].value, r.value) << r.name;
  }
}

// Startup files of ours with every equate form the import rewrites.
const char* const kClassicStartup =
    "; Start167 of the tests\r\n"
    "$SET (STK_SIZE = 0)        ; system stack size\r\n"
    "_ROMEN  EQU 0  ; on-chip ROM\r\n"
    "_XPEN   EQU 0  ; X-peripherals\r\n"
    "  _MCTC0\tEQU 1\r\n"
    "_BUSACT1 EQU 0 ; bus 1 /Dave/\r\n"
    "$SET (BUSCON1 = 0)\r\n"
    "_STKSZ  SET 0\r\n"
    "%DEFINE (ADDRESS1) (010000H)  ; window 1\r\n"
    "%DEFINE (RANGE1) (64K)\r\n"
    "V_XPERCON EQU 0\r\n"
    "$SET (INIT_XPERCON = 0)\r\n"
    "CLKCON EQU 0\r\n"
    "        END\r\n";

const char* const kXc16xStartup =
    "$SET (INIT_SYSCON1 = 0)\n"
    "$SET (CONFIG_CS1 = 0)\n"
    "$SET (WATCHDOG = 1)\n"
    "_PDCFG EQU 0\n"
    "_ADDR1 EQU 0x0 ; address\n"
    "_SIZE1 EQU 4*KB\n"
    "_ENCS1 EQU 0\n"
    "_WDTIN EQU 1\n"
    "_RDYEN2 EQU 1";

TEST(CodeGenRegisters, StartupEquateRows) {
  struct Row {
    const char* name;
    bool xc16x;
    const char* registers;  // the "Registers" section of a ".dpt" file
    const char* startup;
    const char* expected;
  } rows[] = {
      {"classic: every form", false,
       "SYSCON_ROMEN=1\nBUSCON0_MCTC=3\nBUSCON1_BUSACT1=1\nSYSCON_STKSZ=2\nADDRSEL1_RGSAD=0x40\n"
       "ADDRSEL1_RGSZ=3\nXPERCON_XPER0=1\nXPERCON_XPER2=1\nSYSCON2_CLKCON=1\n",
       kClassicStartup,
       "; Start167 of the tests\r\n"
       "$SET (STK_SIZE = 2) ; system stack size /Dave/\r\n"
       "_ROMEN EQU 1 ; on-chip ROM /Dave/\r\n"
       "_XPEN   EQU 0  ; X-peripherals\r\n"
       "_MCTC0 EQU 12 ; /Dave/\r\n"
       "_BUSACT1 EQU 1 ; bus 1 /Dave/\r\n"
       "$SET (BUSCON1 = 1) ; /Dave/\r\n"
       "_STKSZ SET 2 ; /Dave/\r\n"
       "%DEFINE(ADDRESS1) (040000H) ; window 1 /Dave/\r\n"
       "%DEFINE(RANGE1) (32K) ; /Dave/\r\n"
       "V_XPERCON EQU 5 ; /Dave/\r\n"
       "$SET (INIT_XPERCON = 1) ; /Dave/\r\n"
       "CLKCON EQU 0\r\n"
       "        END\r\n"},
      {"classic: nothing given keeps the file", false, "", kClassicStartup, kClassicStartup},
      {"classic: hexadecimal forms of the numbers", false, "BUSCON0_MCTC=0FH\nADDRSEL1_RGSZ=0xB\n", kClassicStartup,
       "; Start167 of the tests\r\n"
       "$SET (STK_SIZE = 0)        ; system stack size\r\n"
       "_ROMEN  EQU 0  ; on-chip ROM\r\n"
       "_XPEN   EQU 0  ; X-peripherals\r\n"
       "_MCTC0 EQU 0 ; /Dave/\r\n"
       "_BUSACT1 EQU 0 ; bus 1 /Dave/\r\n"
       "$SET (BUSCON1 = 0)\r\n"
       "_STKSZ  SET 0\r\n"
       "%DEFINE (ADDRESS1) (010000H)  ; window 1\r\n"
       "%DEFINE(RANGE1) (8192K) ; /Dave/\r\n"
       "V_XPERCON EQU 0\r\n"
       "$SET (INIT_XPERCON = 0)\r\n"
       "CLKCON EQU 0\r\n"
       "        END\r\n"},
      {"XC16x: groups, address and size", true,
       "SYSCON1_PDCFG=2\nADDRSEL1_RGSAD1=0x20\nADDRSEL1_RGSZ1=4\nFCONCS1_ENCS1=1\nWDTCON_WDTIN=0\n", kXc16xStartup,
       "$SET (INIT_SYSCON1 = 1) ; /Dave/\n"
       "$SET (CONFIG_CS1 = 1) ; /Dave/\n"
       "$SET (WATCHDOG = 0) ; /Dave/\n"
       "_PDCFG EQU 2 ; /Dave/\n"
       "_ADDR1 EQU 0x20000 ; address /Dave/\n"
       "_SIZE1 EQU 64*KB ; /Dave/\n"
       "_ENCS1 EQU 1 ; /Dave/\n"
       "_WDTIN EQU 0 ; /Dave/\n"
       "_RDYEN2 EQU 1"},
      {"XC16x: last line without its end", true, "FCONCS2_RDYEN2=0\n", kXc16xStartup,
       "$SET (INIT_SYSCON1 = 0)\n"
       "$SET (CONFIG_CS1 = 0)\n"
       "$SET (WATCHDOG = 1)\n"
       "_PDCFG EQU 0\n"
       "_ADDR1 EQU 0x0 ; address\n"
       "_SIZE1 EQU 4*KB\n"
       "_ENCS1 EQU 0\n"
       "_WDTIN EQU 1\n"
       "_RDYEN2 EQU 0 ; /Dave/"},
  };
  std::string dir = (fs::temp_directory_path() / ("pm2_equates_" + std::to_string(::getpid()))).string() + "/";
  fs::create_directories(dir);
  for (const Row& r : rows) {
    const std::string path = dir + (r.xc16x ? "Start_V2.W66" : "Start167.w66");
    { std::ofstream(path, std::ios::binary) << r.startup; }
    const CodeGenProject dpt = ParseCodeGenProject(std::string("[Registers]\n") + r.registers);
    EXPECT_EQ(WriteStartupEquates(path, r.xc16x, dpt.registers), "") << r.name;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str(), r.expected) << r.name;
  }
  fs::remove_all(dir);
}

TEST(CodeGenRegisters, FailuresNameTheFileAndKeepIt) {
  FaultDisk disk;
  disk.Put("/p/Start167.w66", kClassicStartup);
  disk.FailAt(FaultDisk::kWrite, 1);
  EXPECT_EQ(WriteStartupEquates("/p/Start167.w66", false, {{"SYSCON_ROMEN", 1}}, &disk),
            "File write error on '/p/Start167.w66'");
  EXPECT_EQ(disk.Get("/p/Start167.w66"), kClassicStartup);
  EXPECT_EQ(WriteStartupEquates("/p/missing.w66", false, {{"SYSCON_ROMEN", 1}}, &disk),
            "Error: can't read file '/p/missing.w66' !");
}

}  // namespace
}  // namespace pm2
