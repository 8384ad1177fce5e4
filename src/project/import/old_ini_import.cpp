#include "project/import/old_ini_import.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "project/files/project_lines.h"
#include "project/files/stored_texts.h"
#include "project/model/option_defaults.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

const char* const kOldIniImportQuestion =
    "You have selected Pelmora1 Project Import.\nThis requires creation of a new project.  Any currently open\n"
    "project will be closed automatically.\n\nNote:\nThe new project must be created in the same folder where the\n"
    "Pelmora1 project exists.  After the new project has been created,\nPelmora2 automatically shows the CPU device "
    "database.  You must\nchoose a CPU device whose architecture matches the architecture\nof your Pelmora1 "
    "project.\n\nPelmora2 will then query for the Pelmora1 project (.prj) and check\nfor consistent folders.  "
    "Finally, the Pelmora1 project is imported.\n\nOk to continue ?";
const char* const kOldIniImportDone =
    "Your Pelmora1 project has been imported successfully.\n\nNote:\nSome Pelmora1 project settings such as user "
    "translator, library\nmodule lists, special compiler and linker controls and debugger\nsettings cannot be "
    "converted.\n\nYou should carefully check your target settings in:\n\nProject - Options for Target";

namespace {

constexpr int kAnyFamily = -1;
enum SectionKind { kCompiler, kAssembler, kLinker, kHex, kFiles, kMake };

struct SectionRow {
  const char* name;
  int code;
  int family;
  SectionKind kind;
};
constexpr SectionRow kSections[] = {
    {"W166", 1, 2, kAssembler}, {"Q166", 2, 2, kCompiler}, {"N166", 3, 2, kLinker}, {"HZ166", 4, 2, kHex},
    {"W51", 5, 0, kAssembler},  {"Q51", 6, 0, kCompiler},  {"NB51", 7, 0, kLinker}, {"N51", 7, 0, kLinker},
    {"W251", 8, 1, kAssembler}, {"Q251", 9, 1, kCompiler}, {"N251", 10, 1, kLinker},
    {"PROJ", 90, kAnyFamily, kFiles}, {"MAKEOPTS", 91, kAnyFamily, kMake},
};

const SectionRow* FindSection(const std::string& name) {
  for (const SectionRow& r : kSections)
    if (name == r.name) return &r;
  return nullptr;
}

void SetBits(uint32_t& word, int shift, int width, uint32_t value) {
  const uint32_t mask = ((1u << width) - 1) << shift;
  word = (word & ~mask) | ((value << shift) & mask);
}
template <class F>
void SetFlagBits(F& flags, int shift, int width, uint32_t value) {
  uint32_t w = FlagWord(flags);
  SetBits(w, shift, width, value);
  SetFlagWord(flags, w);
}

OptString Pooled(const std::string& text) { return PoolStrDupOrEmpty(text.c_str(), kPoolProject); }

// Misc texts of the old files were joined as they stand, which ran two
// controls together ("NOAMAKESRC"); a blank keeps them apart.
void AppendControls(std::string& text, const std::string& more, std::size_t limit);

void Append(std::string& text, const std::string& more, const char* sep, std::size_t limit) {
  if (more.empty()) return;
  std::string add = text.empty() ? more : std::string(sep) + more;
  text += add.substr(0, limit > text.size() ? limit - text.size() : 0);
}

void AppendControls(std::string& text, const std::string& more, std::size_t limit) {
  Append(text, more, (text.empty() || text.back() == ' ') ? "" : " ", limit);
}

// Listing keys of the tool sections: bit per tool kind (-1: none).
struct ListingRow {
  const char* key;
  int compiler, assembler, linker;
};
constexpr ListingRow kListingKeys[] = {
    {"PRINT", 0, 1, -1},     {"SYMBOLS", 10, 5, 16}, {"COND", 7, 4, -1},    {"CODE", 8, -1, -1},
    {"LISTINCLUDE", 9, -1, -1}, {"XREF", -1, 6, 18}, {"MEMMAP", -1, -1, 11}, {"COMMENTS", -1, -1, 12},
    {"XREFGEN", -1, -1, 13}, {"XREFLIB", -1, -1, 14}, {"LINES", -1, -1, 15}, {"PUBLICS", -1, -1, 17},
};

class Importer {
 public:
  Importer(OldIniProject& f, ProjectRec* p, TargetRec* t, OptionBlock& w)
      : m_f(f), m_project(p), m_target(t), m_w(w), m_toolset(t->toolset) {}

  const std::string& Refusal() const { return m_refusal; }

  // Reads sections from the current line on; a file name the project file
  // cannot hold stops the reading (Refusal()).
  void Run() {
    bool haveLine = m_f.NextLine();
    while (haveLine && m_refusal.empty()) {
      std::string name;
      if (!m_f.IsSectionLine() || !m_f.ReadSectionName(&name)) return;
      const SectionRow* row = FindSection(name);
      if (!row) {
        haveLine = SkipSection();
        continue;
      }
      if (row->family != kAnyFamily && row->family != m_toolset) return;
      haveLine = ReadSection(*row);
    }
  }

 private:
  bool SkipSection() {
    while (m_f.NextLine())
      if (m_f.IsSectionLine()) return true;
    return false;
  }

  // Runs the section's keys up to the next section line (true) or the end.
  bool ReadSection(const SectionRow& s) {
    BeginSection(s);
    bool more = false;
    while (m_refusal.empty() && m_f.NextLine()) {
      if (m_f.IsSectionLine()) {
        more = true;
        break;
      }
      std::string key;
      if (!m_f.ReadKeyName(&key)) continue;
      Key(s, key);
    }
    EndSection(s);
    return more;
  }

  void BeginSection(const SectionRow& s) {
    m_misc.clear();
    m_sect.clear();
    m_classes.clear();
    m_reserve.clear();
    m_assign.clear();
    m_banks.clear();
    m_initVars = false;
    m_holdSize = 0;
    ResetEntry();
    m_highestBank = 0;
    if (s.kind == kLinker) {
      if (s.family == 2) m_w.n166.flags.USETARGSET = 0;
      else m_w.n51.NX51FL &= ~(1u << 2);
    }
  }

  void EndSection(const SectionRow& s) {
    switch (s.kind) {
      case kCompiler:
        if (s.family == 2) m_w.q166.CMISC = Pooled(m_misc);
        if (s.family == 0) m_w.q51.Q51MSC = Pooled(m_misc);
        if (s.family == 1) m_w.q251.Q251MSC = Pooled(m_misc);
        break;
      case kAssembler:
        if (!m_banks.empty()) {
          if (s.family == 1 && !m_misc.empty() && m_misc.back() != ' ') m_misc += ' ';
          m_misc += "REGISTERBANK (" + m_banks + ")";
        }
        if (s.family == 2) m_w.w166.AMISC = Pooled(m_misc);
        else m_w.w51.WX51MSC = Pooled(m_misc);
        break;
      case kLinker:
        if (s.family == 2) {
          m_w.n166.LSECT = Pooled(m_sect);
          m_w.n166.LCLASSES = Pooled(m_classes);
          m_w.n166.LRESERVE = Pooled(m_reserve);
          m_w.n166.LASSIGN = Pooled(m_assign);
          m_w.n166.LMISC = Pooled(m_misc);
        } else {
          m_w.n51.NX51MSC = Pooled(m_misc);
          if (s.family == 1) {
            m_w.n51.NX51UCS = Pooled(m_sect);
            m_w.n51.NX51UCL = Pooled(m_classes);
            m_w.n51.NX51RES = Pooled(m_reserve);
            m_w.n51.NX51ASN = Pooled(m_assign);
          }
        }
        break;
      case kFiles:
        if (m_toolset != 1 && m_highestBank > 0) {
          const int code = BankCountCode(m_highestBank);
          m_w.t51.CBANKS5 = uint16_t(code);
          m_w.t251.CBANKS2 = uint16_t(code);
          m_w.t51.T51FL |= 1u << 13;
          m_w.t251.T251FL |= 1u << 7;
        }
        break;
      default:
        break;
    }
  }

  void Key(const SectionRow& s, std::string key) {
    if (s.kind == kFiles) {
      while (!key.empty() && std::isdigit(static_cast<unsigned char>(key.back()))) key.pop_back();
      return FileKey(key);
    }
    if (s.kind == kMake) return MakeKey(key);
    if (s.kind == kHex) return HexKey(key);
    if (ListingKey(s, key)) return;
    if (key == "DEBUG" && s.kind != kLinker) {
      if (m_f.ReadYesNo()) m_w.out.flags.DEBUG = 1;
      return;
    }
    if (s.kind == kCompiler) return CompilerKey(s.family, key);
    if (s.kind == kAssembler) return AssemblerKey(s.family, key);
    LinkerKey(s.family, key);
  }

  bool ListingKey(const SectionRow& s, const std::string& key) {
    for (const ListingRow& r : kListingKeys) {
      if (key != r.key) continue;
      int bit = s.kind == kCompiler ? r.compiler : s.kind == kAssembler ? r.assembler : r.linker;
      if (bit == 13 && s.kind == kLinker && s.family == 0) bit = -1;
      if (bit < 0) return false;
      SetBits(m_w.lst.listFlags, bit, 1, uint32_t(m_f.ReadYesNo()));
      return true;
    }
    return false;
  }

  // ---------------------------------------------------------------- PROJ
  void ResetEntry() {
    m_type = kFileCustom;
    m_name.clear();
    m_folder.clear();
    m_dropped = false;
    m_link = 1;
    m_always = 0;
    m_bank = 0;
  }

  static uint8_t TypeOfTranslator(int64_t code) {
    switch (code) {
      case 2: return kFileAsm;
      case 3: return kFileC;
      case 5: return kFileLibrary;
      case 6: return kFileText;
      default: return kFileCustom;
    }
  }

  void SetPath(std::string path) {
    path = path.substr(0, 260);
    const std::size_t cut = path.find_last_of(":\\/");
    m_name = cut == std::string::npos ? path : path.substr(cut + 1);
    const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    m_folder = folder.empty() ? std::string(".\\") : MakeRelativePath(m_project->folder.view(), folder);
    m_dropped = FindProjectFile(m_project, m_name.c_str(), m_type) != nullptr;
  }

  void SetBank(int64_t number) { m_bank = int(std::min<int64_t>(number + 1, 32)); }

  void FileKey(const std::string& key) {
    if (key == "TRANSLATOR") m_type = TypeOfTranslator(m_f.ReadNumber());
    else if (key == "SOURCE") SetPath(m_f.ReadText(260));
    else if (key == "ALWAYSBUILD") m_always = m_f.ReadYesNo();
    else if (key == "LINK") m_link = m_f.ReadYesNo();
    else if (key == "BANKNUM") {
      if (!m_f.Rest().empty()) SetBank(m_f.ReadNumber());
    } else if (key == "WARNINGERRLEV") {
      CreateFile();
    } else if (key == "F") {
      const std::string_view rest = m_f.Rest();
      const std::size_t ff = rest.find('\xFF');
      std::string path(rest.substr(0, ff));
      while (!path.empty() && path.back() == ' ') path.pop_back();
      const std::string_view flags = ff == std::string_view::npos ? std::string_view() : rest.substr(ff + 1);
      auto at = [&](std::size_t n) { return n <= flags.size() ? flags[n - 1] : '\0'; };
      m_type = TypeOfTranslator(std::isdigit(static_cast<unsigned char>(at(1))) ? at(1) - '0' : 0);
      m_always = at(3) == '1';
      m_link = at(5) != '0';
      if (m_toolset <= 1 && at(18) != '\xFF' && std::isdigit(static_cast<unsigned char>(at(18)))) {
        int n = at(18) - '0';
        if (std::isdigit(static_cast<unsigned char>(at(19)))) n = n * 10 + (at(19) - '0');
        SetBank(n);
      }
      SetPath(path);
      CreateFile();
    }
  }

  void CreateFile() {
    GroupRec* group = m_project->firstGroup;
    if (!m_dropped && !m_name.empty() && group) {
      // Saved, such a name would be read back as another file.
      m_refusal = StoredFileNameRefusal(JoinFilePath(m_folder.c_str(), m_name.c_str()), m_name);
      if (!m_refusal.empty()) return;
      FileRec* f = NewFileRecord(group, m_name.c_str(), m_folder.c_str(), m_type, kPoolProject);
      if (f) {
        f->group = m_project->lastGroup;
        group->flags |= 1;
        if ((m_toolset == 0 && m_bank) || m_always || !m_link) {
          OptionBlock* b = NewOptionBlock(kPoolProject);
          b->owner = m_target;
          InitBuildPropOpts(b->prop, 0);
          InitCompiler166Opts(b->q166, 0);
          InitAsm166Opts(b->w166, 0);
          InitCompiler51Opts(b->q51, m_target, 0);
          InitAsm51Opts(b->w51, m_target, 0);
          InitCompiler251Opts(b->q251, m_target, 0);
          b->prop.flags.INCBLD = m_link ? 1 : 0;
          b->prop.flags.ALWAYSBUILD = m_always ? 1 : 0;
          if (m_toolset == 0) b->prop.BANKNO = uint16_t(m_bank);
          b->next = f->pOpts;
          f->pOpts = b;
        }
      }
    }
    m_highestBank = std::max(m_highestBank, m_bank);
    ResetEntry();
  }

  // ---------------------------------------------------------------- MAKEOPTS, HZ166
  void MakeKey(const std::string& key) {
    OutputOpts& o = m_w.out;
    if (key == "REGISTEROPT" || key == "REGOPT") {
      const uint32_t v = uint32_t(m_f.ReadYesNo());
      if (m_toolset == 0) SetBits(m_w.q51.Q51FL, 0, 2, v);
      if (m_toolset == 2) m_w.q166.flags.REGCOLOR = v;
    } else if (key == "BEEPDONE") {
      o.flags.bit4 = m_f.ReadYesNo();
    } else if (key == "RUNPROG1") {
      o.flags.RUNUSR0 = m_f.ReadYesNo();
    } else if (key == "RUNPROG2") {
      o.flags.RUNUSR1 = m_f.ReadYesNo();
    } else if (key == "PROGRAM1" || key == "PROGRAM2") {
      o.RUNUSR[key == "PROGRAM2"] = Pooled(m_f.ReadText(510));
    } else if (key == "AFTERCOMP") {
      const int64_t v = m_f.ReadNumber();
      if (v == 0 || v == 1) o.flags.GENAPP = 1, o.flags.GENLIB = 0, o.flags.GENHEX = 0;
      else if (v == 2) o.flags.GENAPP = 1, o.flags.GENHEX = 1, o.flags.GENLIB = 0;
      else if (v == 3) o.flags.GENLIB = 1, o.flags.GENAPP = 0, o.flags.GENHEX = 0;
    }
  }

  void HexKey(const std::string& key) {
    OutputOpts& o = m_w.out;
    if (key == "FORMAT") o.HEXSEL = uint8_t(m_f.ReadNumber());
    else if (key == "FLASH") o.outWord2 = uint16_t(m_f.ReadNumber());
    else if (key == "RANGE") m_f.ReadRange(&o.outSpare[0], &o.outSpare[1]);
    else if (key == "OFFSET") o.outSpare[2] = uint32_t(m_f.ReadNumber());
  }

  // ---------------------------------------------------------------- compilers
  void CompilerKey(int family, const std::string& key) {
    if (key == "ADDLOPTIONS") {
      std::string text = m_f.ReadText(2046);
      if (family == 2 && m_initVars) text = "NOINIT " + text;
      AppendControls(m_misc, text, 2046);
      return;
    }
    if (key == "DEFINES") {
      OptString* field = family == 2 ? &m_w.q166.DEFINE : family == 0 ? &m_w.q51.Q51DEF : &m_w.q251.Q251DEF;
      *field = Pooled(m_f.ReadText(510));
      return;
    }
    if (family == 2) return Compiler166Key(key);
    if (family == 0) return Compiler51Key(key);
    Compiler251Key(key);
  }

  void Compiler166Key(const std::string& key) {
    Compiler166Opts& c = m_w.q166;
    const auto flag = [&](int shift) { SetFlagBits(c.flags, shift, 2, uint32_t(m_f.ReadYesNo())); };
    if (key == "PAGEWIDTH") m_w.lst.pageWidth = uint16_t(m_f.ReadNumber());
    else if (key == "PAGELENGTH") m_w.lst.pageLength = uint16_t(m_f.ReadNumber());
    else if (key == "WARNINGLEVEL") c.WARNINGLEV = uint8_t(m_f.ReadNumber());
    else if (key == "OPTLEVEL") c.OPTIMIZE = uint8_t(m_f.ReadNumber());
    else if (key == "EMPLEVEL") c.SPEEDSIZE = m_f.ReadNumber() == 0 ? 1 : 0;
    else if (key == "MODEL") {
      int64_t m = m_f.ReadNumber();
      m_w.t166.MODEL = uint8_t(m == 2 ? 3 : m == 3 ? 2 : m);
    } else if (key == "FLOAT64") flag(12);
    else if (key == "ORDER") flag(6);
    else if (key == "CHECKALIAS") flag(4);
    else if (key == "SAVEDPP") flag(10);
    else if (key == "STATIC") flag(2);
    else if (key == "UNSCHAR") flag(8);
    else if (key == "HOLDSIZE") m_holdSize = uint16_t(m_f.ReadNumber());
    else if (key == "HOLDLOC") {
      uint16_t* holds[] = {&m_w.t166.NHOLD, &m_w.t166.IHOLD, &m_w.t166.SHOLD, &m_w.t166.BHOLD};
      const int64_t n = m_f.ReadNumber();
      if (n >= 0 && n <= 3) *holds[n] = m_holdSize;
    } else if (key == "MOD167") {
      Mod167();
    } else if (key == "INITVARS") {
      m_initVars = m_f.ReadYesNo();
    }
  }

  void Mod167() {
    const int yes = m_f.ReadYesNo();
    m_w.t166.flags.MOD167 = yes;
    if (yes) AppendControls(m_misc, "MOD167 ", 2046);
  }

  void Compiler51Key(const std::string& key) {
    uint32_t& fl = m_w.q51.Q51FL;
    const auto two = [&](int shift) { SetBits(fl, shift, 2, uint32_t(m_f.ReadYesNo())); };
    if (key == "WARNINGLEVEL") m_w.q166.WARNINGLEV = uint8_t(m_f.ReadNumber());
    else if (key == "FLOAT64") SetFlagBits(m_w.q166.flags, 12, 2, uint32_t(m_f.ReadYesNo()));
    else if (key == "OPTLEVEL") SetBits(fl, 14, 4, uint32_t(m_f.ReadNumber()));
    else if (key == "EMPLEVEL") SetBits(fl, 22, 2, m_f.ReadNumber() == 0 ? 1 : 0);
    else if (key == "MODEL") m_w.t51.MODEL5 = uint16_t(m_f.ReadNumber());
    else if (key == "ROM") m_w.t51.ROMSZ5 = uint16_t(m_f.ReadNumber());
    else if (key == "ORDER") two(2);
    else if (key == "FLOATFUZZY") SetBits(fl, 10, 4, uint32_t(m_f.ReadNumber()));
    else if (key == "INTPRO") two(4);
    else if (key == "NOAREGS") two(6);
    else if (key == "INTVEC") two(8);
    else if (key == "OBJECTEXTEND") two(24);
    else if (key == "INTERRUPTOFFSET") m_w.q51.Q51VA = uint32_t(m_f.ReadNumber());
    else if (key == "INTERRUPTINTERVAL") m_f.ReadNumber();
  }

  void Compiler251Key(const std::string& key) {
    uint32_t& fl = m_w.q251.Q251F1;
    const auto two = [&](int shift) { SetBits(fl, shift, 2, uint32_t(m_f.ReadYesNo())); };
    if (key == "WARNINGLEVEL") SetBits(fl, 20, 4, uint32_t(m_f.ReadNumber()));
    else if (key == "OPTLEVEL") SetBits(fl, 16, 4, uint32_t(m_f.ReadNumber()));
    else if (key == "EMPLEVEL") SetBits(fl, 24, 2, m_f.ReadNumber() == 0 ? 1 : 0);
    else if (key == "MODEL") m_w.t251.MODEL25 = uint16_t(m_f.ReadNumber());
    else if (key == "ROM") {
      int64_t v = m_f.ReadNumber();
      m_w.t251.ROMSZ25 = uint16_t(v >= 1 && v <= 3 ? v + 1 : v);
    } else if (key == "FLOAT64") two(10);
    else if (key == "ORDER") two(2);
    else if (key == "CHECKALIAS") two(4);
    else if (key == "STATIC") SetBits(fl, 6, 2, m_f.ReadYesNo() ? 0 : 1);
    else if (key == "UNSCHAR") two(8);
    else if (key == "FLOATFUZZY") SetBits(fl, 12, 4, uint32_t(m_f.ReadNumber()));
    else if (key == "CODEGEN") SetBits(m_w.t251.T251FL, 2, 1, uint32_t(m_f.ReadNumber() & 1));
    else if (key == "INTR2") SetBits(m_w.t251.T251FL, 3, 1, m_f.ReadYesNo() ? 0 : 1);
    else if (key == "DATALIMIT") m_w.t251.DHOLD25 = uint32_t(m_f.ReadNumber());
    else if (key == "XDATALIMIT") m_w.t251.XHOLD25 = uint32_t(m_f.ReadNumber());
    else if (key == "NEARLIMIT") m_w.t251.FHOLD25 = uint32_t(m_f.ReadNumber());
    else if (key == "BROWSE") m_w.out.flags.BROWSE = m_f.ReadYesNo();
  }

  // ---------------------------------------------------------------- assemblers
  void AssemblerKey(int family, const std::string& key) {
    if (key == "INCLUDE") {
      const std::string dir = m_f.ReadText(2046);
      if (!dir.empty()) AppendControls(m_misc, "INCDIR(" + dir + ") ", 2046);
      return;
    }
    if (key == "ADDITIONAL" || (family == 1 && key == "ADDLASMOPTS")) {
      AppendControls(m_misc, m_f.ReadText(2046), 2046);
      return;
    }
    if (family == 2) {
      if (key == "TABSIZE") m_w.lst.lstByte = uint8_t(m_f.ReadNumber());
      else if (key == "MACROGEN") m_w.lst.lstByte2 = uint8_t(m_f.ReadNumber());
      else if (key == "CASE") m_w.w166.flags.CASE = m_f.ReadYesNo();
      else if (key == "MACROENABLE") m_w.w166.flags.MPL = m_f.ReadYesNo();
      else if (key == "SET") m_w.w166.ASET = Pooled(m_f.ReadText(510));
      else if (key == "MOD167") Mod167();
      return;
    }
    uint32_t& fl = m_w.w51.WX51FL;
    if (key == "GEN") m_w.lst.lstByte2 = uint8_t(m_f.ReadYesNo());
    else if (key == "CASE" && family == 1) SetBits(fl, 4, 2, uint32_t(m_f.ReadYesNo()));
    else if (key == "MACROENABLE") SetBits(fl, 0, 2, uint32_t(m_f.ReadYesNo()));
    else if (key == "MACRO") {
      const int64_t v = m_f.ReadNumber();
      if (v == 0) fl &= ~0xFu;
      else if (v == 1) fl = (fl & ~0xBu) | 0x4u;
      else if (v == 2) fl = (fl & ~0xAu) | 0x5u;
    } else if (key == "MOD51") SetBits(fl, 6, 2, uint32_t(m_f.ReadYesNo()));
    else if (key == "SET") m_w.w51.WX51SET = Pooled(m_f.ReadText(510));
    else if (key.size() == 4 && key.compare(0, 3, "REG") == 0 && key[3] >= '0' && key[3] <= '3') {
      if (m_f.ReadYesNo()) Append(m_banks, std::string(1, key[3]), ",", 64);
    } else if (key == "CODEGEN" && family == 1) SetBits(m_w.t251.T251FL, 2, 1, uint32_t(m_f.ReadNumber() & 1));
  }

  // ---------------------------------------------------------------- linkers
  static bool Numbered(const std::string& key, const char* prefix, int lo, int hi) {
    const std::size_t n = std::strlen(prefix);
    if (key.size() != n + 1 || key.compare(0, n, prefix) != 0) return false;
    return key[n] - '0' >= lo && key[n] - '0' <= hi;
  }

  void LinkerKey(int family, const std::string& key) {
    if (Numbered(key, "ADDL", 1, 8)) return Append(m_misc, m_f.ReadText(4094), " ", 4094);
    if (family == 2) return Linker166Key(key);
    uint32_t& fl = m_w.n51.NX51FL;
    Linker51Opts& l = m_w.n51;
    if (key == "WARNINGLEVEL") SetBits(fl, 4, 4, uint32_t(m_f.ReadNumber()));
    else if (key == "USECMDFILE") SetBits(fl, 0, 1, uint32_t(m_f.ReadYesNo()));
    else if (key == "CMDFILE") CmdFile(&l.NX51LFI, [&](bool on) { SetBits(fl, 0, 1, on); });
    else if (key == "OVERLAY") SetBits(fl, 8, 1, uint32_t(m_f.ReadYesNo()));
    else if (family == 0 && key == "TRK51") {
      if (m_f.ReadYesNo()) m_w.t51.RTOS5 = 2;
    } else if (family == 0 && key == "TRK51TINY") {
      if (m_f.ReadYesNo()) m_w.t51.RTOS5 = 1;
    } else if (family == 1 && (key == "TKR251" || key == "TRK251")) {
      m_w.t251.RTOS25 = m_f.ReadYesNo() ? 2 : 0;
    } else if (family == 1 && (key == "TKR251TINY" || key == "TRK251TINY")) {
      m_w.t251.RTOS25 = m_f.ReadYesNo() ? 1 : 0;
    } else if (family == 0 && Address51(key)) {
    } else if (family == 0 && key == "BANKAREA") {
      uint32_t a, b;
      m_f.ReadRange(&a, &b);
      m_w.t51.RCB51 = {1, a, b};
    } else if (family == 1) {
      // Each numbered key adds to its list, as in the 166 linker's section:
      // a second "Reserve" or "Class" line must not drop the first one.
      struct Collected {
        const char* prefix;
        int last;
        std::string* text;
      };
      const Collected kLists[] = {
          {"CLASS", 4, &m_classes}, {"SEG", 6, &m_sect}, {"RESERVE", 2, &m_reserve}, {"ASSIGN", 2, &m_assign}};
      for (const Collected& c : kLists)
        if (Numbered(key, c.prefix, 1, c.last)) return Append(*c.text, m_f.ReadText(4094), ",", 4094);
    }
  }

  bool Address51(const std::string& key) {
    struct Row {
      const char* key;
      OptString Linker51Opts::*field;
      bool address;
    };
    static constexpr Row kRows[] = {
        {"BITADDR", &Linker51Opts::NX51BIB, true},   {"CODEADDR", &Linker51Opts::NX51COB, true},
        {"DATAADDR", &Linker51Opts::NX51DAB, true},  {"XDATAADDR", &Linker51Opts::NX51XDB, true},
        {"IDATAADDR", &Linker51Opts::NX51IDB, true}, {"PDATAADDR", &Linker51Opts::NX51PDB, true},
        {"PRECEDESEGS", &Linker51Opts::NX51PRC, false}, {"BITSEGS", &Linker51Opts::NX51BIS, false},
        {"DATASEGS", &Linker51Opts::NX51DAS, false},  {"IDATASEGS", &Linker51Opts::NX51IDS, false},
        {"CODESEGS", &Linker51Opts::NX51COS, false},  {"XDATASEGS", &Linker51Opts::NX51XDS, false},
        {"STACKSEGS", &Linker51Opts::NX51STK, false},
    };
    for (const Row& r : kRows) {
      if (key != r.key) continue;
      m_w.n51.*r.field = Pooled(r.address ? m_f.ReadAddressText() : m_f.ReadText(510));
      return true;
    }
    return false;
  }

  void CmdFile(OptString* field, const std::function<void(bool)>& useSwitch) {
    const std::string name = m_f.ReadText(260);
    if (name.empty()) {
      useSwitch(false);
      return;
    }
    const std::size_t cut = name.find_last_of(":\\/");
    const std::string folder = cut == std::string::npos ? std::string() : name.substr(0, cut + 1);
    const std::string file = cut == std::string::npos ? name : name.substr(cut + 1);
    *field = Pooled(folder.empty() ? file : MakeRelativePath(m_project->folder.view(), folder, file));
  }

  void Linker166Key(const std::string& key) {
    Linker166Opts& l = m_w.n166;
    if (key == "WARNINGLEVEL") l.LWARNLEV = uint8_t(m_f.ReadNumber());
    else if (key == "USECMDFILE") l.flags.USELINKFILE = m_f.ReadYesNo();
    else if (key == "CMDFILE") CmdFile(&l.LNKFILE, [&](bool on) { l.flags.USELINKFILE = on; });
    else if (key == "TKR166") m_w.t166.RTOS = m_f.ReadYesNo() ? 2 : 0;
    else if (key == "TKR166TINY") m_w.t166.RTOS = m_f.ReadYesNo() ? 1 : 0;
    else if (key == "REGBANK") l.LREGBANK = Pooled(m_f.ReadText(510));
    else if (key == "VECTAB") {
      char buf[16];
      std::snprintf(buf, sizeof buf, "0%XH", unsigned(m_f.ReadNumber()));
      l.INTVECTADDR = Pooled(buf);
    } else if (key == "GENVECTAB") {
      if (!m_f.ReadYesNo()) Append(m_misc, "NOVECTAB ", " ", 4094);
    } else if (key == "DPPUSE1" || key == "DPPUSE2") {
      DppUse();
    } else if (Numbered(key, "SECTION", 1, 5)) {
      Append(m_sect, m_f.ReadText(4094), ",", 4094);
    } else if (Numbered(key, "CLASS", 1, 8)) {
      Append(m_classes, m_f.ReadText(4094), ",", 4094);
    } else if (Numbered(key, "RESERVE", 1, 2)) {
      Append(m_reserve, m_f.ReadText(4094), ",", 4094);
    } else if (Numbered(key, "ASSIGN", 1, 2)) {
      Append(m_assign, m_f.ReadText(4094), ",", 4094);
    }
  }

  // "n=NDATA a-b, m=NCONST c-d": the selector and its range.
  void DppUse() {
    std::string text = m_f.ReadText(4094);
    std::size_t at = 0;
    while (at < text.size()) {
      std::size_t end = text.find(',', at);
      std::string item = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
      at = end == std::string::npos ? text.size() : end + 1;
      OldIniProject one;
      one.OpenText("X=" + item);
      std::string name;
      if (!one.NextLine() || !one.ReadKeyName(&name)) continue;
      const int64_t n = one.ReadNumber();
      if (n < 0 || n > 3 || one.Rest().empty() || one.Rest()[0] != '=') continue;
      OldIniProject word;
      word.OpenText("X=" + std::string(one.Rest().substr(1)));
      word.NextLine();
      std::string kind;
      word.ReadKeyName(&kind);  // consumes "X="
      std::string_view rest = word.Rest();
      const bool data = rest.substr(0, 5) == "NDATA" || rest.substr(0, 5) == "ndata";
      const bool cnst = rest.substr(0, 6) == "NCONST" || rest.substr(0, 6) == "nconst";
      if (!data && !cnst) continue;
      OldIniProject range;
      range.OpenText("X=" + std::string(rest.substr(data ? 5 : 6)));
      range.NextLine();
      range.ReadKeyName(&kind);
      uint32_t a, b;
      range.ReadRange(&a, &b);
      Linker166Opts& l = m_w.n166;
      l.flags.DPPUSE = 1;
      if (data) {
        l.NDATASEL = uint8_t(n);
        l.lnkWords1[0] = a;
        l.lnkWords1[1] = b;
      } else {
        l.NCONSTSEL = uint8_t(n);
        l.lnkWords1[2] = a;
        l.lnkWords1[3] = b;
      }
    }
  }

  OldIniProject& m_f;
  ProjectRec* m_project;
  TargetRec* m_target;
  OptionBlock& m_w;
  uint16_t m_toolset;
  std::string m_misc, m_sect, m_classes, m_reserve, m_assign, m_banks;
  bool m_initVars = false;
  uint16_t m_holdSize = 0;
  // The file entry being collected in "PROJ".
  uint8_t m_type = kFileCustom;
  std::string m_name, m_folder;
  bool m_dropped = false;
  int m_link = 1, m_always = 0, m_bank = 0, m_highestBank = 0;
  std::string m_refusal;  // why a file of the list cannot be taken
};

}  // namespace

int BankCountCode(int b) { return b < 2 ? 0 : b < 4 ? 1 : b < 8 ? 2 : b < 16 ? 3 : 4; }

std::string ImportOldIniProject(OldIniProject& f, ProjectRec* project) {
  TargetRec* target = project ? project->curTarget : nullptr;
  if (!target) return kOldIniInvalidFile;
  f.Rewind();
  std::string name;
  if (!f.NextLine() || !f.IsSectionLine() || !f.ReadSectionName(&name)) return kOldIniInvalidFile;
  if (name == "SESSION") {
    bool found = false;
    while (f.NextLine())
      if (f.IsSectionLine()) {
        found = true;
        break;
      }
    if (!found || !f.ReadSectionName(&name)) return kOldIniInvalidFile;
  }
  if (target->toolset == 2) {
    const SectionRow* row = FindSection(name);
    if (!row || (row->family != 2 && row->family != kAnyFamily)) return kOldIniFamilyMismatch;
  }
  f.Rewind();
  OptionBlock* block = FindTargetOptions(target->pOpts, target);
  if (!block) return {};
  OptionBlock work = *block;
  // The files are added as they are read; a refused one takes back those
  // added before it, so a failure leaves the project as it was.
  GroupRec* group = project->firstGroup;
  FileRec* const lastFile = group ? group->lastFile : nullptr;
  const uint32_t groupFlags = group ? group->flags : 0;
  Importer importer(f, project, target, work);
  importer.Run();
  // A converted text the files cannot hold (a user program "echo hi >
  // out.txt" would run as "echo hi ") is refused as the options sheet
  // refuses it.
  std::string refusal = importer.Refusal();
  if (refusal.empty())
    refusal = OptionBlockTextRefusal(*target, work, kKindTarget, 0, "target '" + target->name.str() + "'");
  if (!refusal.empty()) {
    if (group) {
      if (lastFile) lastFile->next = nullptr; else group->firstFile = nullptr;
      group->lastFile = lastFile;
      group->flags = groupFlags;
    }
    return "Pelmora1 Project - " + refusal;
  }
  *block = work;
  return {};
}

}  // namespace pm2
