#include "project/import/code_gen_registers.h"

#include "platform/atomic_file.h"

namespace pm2 {

namespace {

std::string N(const char* text, int n) { return text + std::to_string(n); }

// The classic table: the system control, the five bus controls, the
// address windows, the X-peripheral switches and the second and third
// system controls, in the startup file's order.
std::vector<RegisterRow> MakeClassic() {
  std::vector<RegisterRow> t;
  const auto row = [&](std::string equate, std::string field, int kind = 1, uint32_t number = 0) {
    t.push_back({std::move(equate), std::move(field), kind, number, -1});
  };
  row("_ROMEN", "SYSCON_ROMEN", 1, 2);
  row("_XPEN", "SYSCON_XPEN", 1, 3);
  row("_MCTC0", "BUSCON0_MCTC", 1, 1);
  for (const char* f : {"RWDC0", "MTTC0"}) row(std::string("_") + f, std::string("BUSCON0_") + f);
  row("_BTYP0", "BUSCON0_BTYP");
  for (const char* f : {"ALECTL0", "BUSACT0", "RDYEN0", "CSREN0", "CSWEN0"})
    row(std::string("_") + f, std::string("BUSCON0_") + f);
  row("_XPERSHARE", "SYSCON_XPER_SHARE");
  for (const char* f : {"VISIBLE", "WRCFG", "CLKEN", "BYTDIS", "ROMS1"}) row(std::string("_") + f, std::string("SYSCON_") + f);
  row("STK_SIZE", "SYSCON_STKSZ", 3);
  row("_CSCFG", "SYSCON_CSCFG");
  row("_BDRSTEN", "SYSCON_BDRSTEN");
  for (int n = 1; n <= 4; ++n) {
    const std::string bus = N("BUSCON", n) + "_";
    row(N("_MCTC", n), bus + "MCTC", 1, 1);
    row(N("_RWDC", n), bus + N("RWDC", n));
    row(N("_MTTC", n), bus + N("MTTC", n));
    row(N("_BTYP", n), bus + "BTYP");
    row(N("_ALECTL", n), bus + N("ALECTL", n));
    row(N("_BUSACT", n), bus + N("BUSACT", n), 1, 4);
    row(N("BUSCON", n), N("BUSCON", n), 3);
    row(N("_RDYEN", n), bus + N("RDYEN", n));
    row(N("_CSREN", n), bus + N("CSREN", n));
    row(N("_CSWEN", n), bus + N("CSWEN", n));
  }
  row("_STKSZ", "SYSCON_STKSZ", 2);
  for (int n = 1; n <= 4; ++n) {
    row(N("ADDRESS", n), N("ADDRSEL", n) + "_RGSAD", 10, 10);
    row(N("RANGE", n), N("ADDRSEL", n) + "_RGSZ", 10, 11);
  }
  for (int bit = 0; bit < 16; ++bit) row("V_XPERCON", N("XPERCON_XPER", bit), 20, 1u << bit);
  row("INIT_XPERCON", "INIT_XPERCON", 3);
  struct Switch {
    const char* equate;
    const char* field;
  };
  static const Switch kSwitches[] = {
      {"CLKCON", "SYSCON2_CLKCON"},   {"CLKLOCK", "SYSCON2_CLKLOCK"}, {"CLKREL", "SYSCON2_CLKREL"},
      {"PDCON", "SYSCON2_PDCON"},     {"RCS", "SYSCON2_RCS"},         {"SCS", "SYSCON2_SCS"},
      {"SSCDIS", "SYSCON3_SSCDIS"},   {"PWMDIS", "SYSCON3_PWMDIS"},   {"ASC0DIS", "SYSCON3_ASC0DIS"},
      {"ASCDIS", "SYSCON3_ADCDIS"},   {"CC1DIS", "SYSCON3_CC1DIS"},   {"CC2DIS", "SYSCON3_CC2DIS"},
      {"PCDDIS", "SYSCON3_PCDDIS"},   {"CAN1DIS", "SYSCON3_CAN1DIS"}, {"CAN2DIS", "SYSCON3_CAN2DIS"},
      {"GPTDIS", "SYSCON3_GPTDIS"},   {"SYSRLS", "SYSCON2_SYSRLS"},   {"DFMDIS", "SYSCON3_DFMDIS"},
      {"PFMDIS", "SYSCON3_PFMDIS"},
  };
  for (const Switch& s : kSwitches) row(s.equate, s.field, 21, 1);
  row("ADVANCED_SYSCON", "SYSCON2_2", 3);
  return t;
}

// The XC16x table: fourteen group rows, then the fields of the CPU, system,
// reset, watchdog, clock-output and bus-controller registers and of the
// eight chip selects.
std::vector<RegisterRow> MakeXc16x() {
  std::vector<RegisterRow> t;
  for (const char* g : {"INIT_SYSCON1", "INIT_SYSCON3", "INIT_RSTCON", "WATCHDOG", "INIT_FOCON", "CONFIG_EBC"})
    t.push_back({g, "", 3, 0, -1});
  for (int cs = 0; cs < 8; ++cs) t.push_back({N("CONFIG_CS", cs), "", 3, 0, -1});
  const auto groupOf = [&](const std::string& equate) {
    for (int i = 0; i < 14; ++i)
      if (t[size_t(i)].equate == equate) return i;
    return -1;
  };
  const auto row = [&](std::string equate, std::string field, const char* group, int kind = 1, uint32_t number = 0) {
    const int g = group ? groupOf(group) : -1;
    t.push_back({std::move(equate), std::move(field), kind, number, g});
  };
  const auto fields = [&](const char* reg, const char* group, std::initializer_list<const char*> names) {
    for (const char* f : names) row(std::string("_") + f, std::string(reg) + "_" + f, group);
  };
  fields("CPUCON1", nullptr, {"ZCJ", "BP", "INTSCXT", "SGTDIS", "WDTCTL", "VECSC"});
  row("_SL", "CPUCON2_SL", nullptr);
  row("FASTBL", "CPUCON2_FASTBL", nullptr);
  fields("CPUCON2", nullptr, {"RETST", "OVRUN", "STEN", "BYPF", "BYPPF", "FIFOFED", "FIFODEPTH"});
  fields("SYSCON1", "INIT_SYSCON1", {"SLEEPCON", "PDCFG", "PFCFG", "CPSYS"});
  struct Disable {
    const char* equate;
    const char* field;
  };
  static const Disable kDisables[] = {
      {"ABCDIS", "ADCDIS"}, {"ASC0DIS", "ASC0DIS"}, {"SSC0DIS", "SSC0DIS"}, {"GPTDIS", "GPTDIS"},
      {"FMDIS", "PFMDIS"},  {"CC1DIS", "CC1DIS"},   {"CC2DIS", "CC2DIS"},   {"CC6DIS", "CC6DIS"},
      {"CANDIS", "CANDIS"}, {"SSC1DIS", "SSC1DIS"},
  };
  for (const Disable& d : kDisables) row(d.equate, std::string("SYSCON3_") + d.field, "INIT_SYSCON3");
  fields("RSTCON", "INIT_RSTCON", {"RSTLEN", "RORMV", "ROCOFF", "ROCON", "RODIS"});
  fields("WDTCON", "WATCHDOG", {"WDTIN", "WDTREL"});
  fields("FOCON", "INIT_FOCON", {"CLKEN", "FORV", "FOSS", "FOEN"});
  fields("EBCMOD0", "CONFIG_EBC",
         {"SAPEN", "CSPEN", "ARBEN", "SLAVE", "EBCDIS", "WRCFG", "BYTDIS", "ALEDIS", "RDYDIS", "RDYPOL"});
  fields("EBCMOD1", "CONFIG_EBC", {"APDIS", "DHPDIS"});
  for (int cs = 0; cs < 8; ++cs) {
    const std::string group = N("CONFIG_CS", cs);
    if (cs > 0) {
      row(N("_ADDR", cs), N("ADDRSEL", cs) + N("_RGSAD", cs), group.c_str(), 161, 10);
      row(N("_SIZE", cs), N("ADDRSEL", cs) + N("_RGSZ", cs), group.c_str(), 177, 11);
    }
    for (const char* f : {"ENCS", "RDYEN", "RDYMOD", "BTYP"})
      row(N((std::string("_") + f).c_str(), cs), N("FCONCS", cs) + "_" + N(f, cs), group.c_str());
    for (const char* f : {"PHA", "PHB", "PHC", "PHD", "PHE", "RDPHF", "WRPHF"})
      row(N((std::string("_") + f).c_str(), cs), N("TCONCS", cs) + "_" + N(f, cs), group.c_str());
  }
  return t;
}

}  // namespace

const std::vector<RegisterRow>& ClassicRegisterTable() {
  static const std::vector<RegisterRow> table = MakeClassic();
  return table;
}

const std::vector<RegisterRow>& Xc16xRegisterTable() {
  static const std::vector<RegisterRow> table = MakeXc16x();
  return table;
}

std::vector<RegisterValue> ResolveRegisterValues(const std::vector<RegisterRow>& table,
                                                 const std::map<std::string, uint32_t>& registers, bool xc16x) {
  std::vector<RegisterValue> v(table.size());
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].field.empty()) continue;
    const auto it = registers.find(table[i].field);
    if (it == registers.end()) continue;
    v[i] = {it->second, true};
  }
  if (xc16x) {
    for (size_t i = 0; i < table.size(); ++i) {
      const int g = table[i].group;
      if (g < 0 || !v[i].given) continue;
      RegisterValue& group = v[size_t(g)];
      group.given = true;
      if (v[i].value != 0) group.value = 1;
    }
    return v;
  }
  // The joined bit sets and the switches that tell whether they are used.
  struct JoinedSet {
    int kind;
    const char* switchRow;
  };
  for (const JoinedSet& set : {JoinedSet{20, "INIT_XPERCON"}, JoinedSet{21, "ADVANCED_SYSCON"}}) {
    uint32_t bits = 0;
    bool any = false;
    for (size_t i = 0; i < table.size(); ++i) {
      if (table[i].kind != set.kind || !v[i].given) continue;
      any = true;
      if (v[i].value != 0) bits |= table[i].number;
    }
    if (!any) continue;
    for (size_t i = 0; i < table.size(); ++i) {
      if (table[i].kind == set.kind) v[i] = {bits, true};
      if (table[i].equate == set.switchRow) v[i] = {bits != 0 ? 1u : 0u, true};
    }
  }
  return v;
}

std::vector<EquateSymbol> StartupEquates(const std::vector<RegisterRow>& table,
                                         const std::vector<RegisterValue>& values) {
  std::vector<EquateSymbol> out;
  bool passedOn = false;  // the row before gives this one its value
  for (size_t i = 0; i < table.size() && i < values.size(); ++i) {
    const RegisterRow& r = table[i];
    const bool given = values[i].given || passedOn;
    passedOn = values[i].given && r.number == 4 && r.kind == 1;
    if (!given) continue;
    EquateSymbol s;
    s.name = r.equate;
    s.syntax = r.kind;
    s.conversion = (r.kind == 20 || r.kind == 21) ? 0 : int(r.number);
    s.value = int32_t(values[i].value);
    out.push_back(s);
  }
  return out;
}

std::string WriteStartupEquates(const std::string& path, bool xc16x, const std::map<std::string, uint32_t>& registers,
                                Disk* disk) {
  const std::vector<RegisterRow>& table = xc16x ? Xc16xRegisterTable() : ClassicRegisterTable();
  LineFile file;
  if (file.Open(path, nullptr, disk) != 0) return "Error: can't read file '" + path + "' !";
  std::vector<EquateSymbol> symbols = StartupEquates(table, ResolveRegisterValues(table, registers, xc16x));
  file.FindEquateLines(symbols);
  const int rc = xc16x ? file.WriteEquatesArm(symbols, nullptr, disk) : file.WriteEquates(symbols, nullptr, disk);
  return rc == 0 ? std::string() : "File write error on '" + path + "'";
}

}  // namespace pm2
