#include "project/environment/environment.h"
#include "project/files/stored_file_read.h"

#include "platform/atomic_file.h"
#include "platform/win_path.h"
#include "project/environment/environment_lines.h"

namespace pm2 {

namespace {

struct SectionRow {
  const char* name;
  int code;
};
constexpr SectionRow kSections[] = {
    {"Q51", 0}, {"Q251", 1}, {"Q166", 2}, {"ARM", 3}, {"ARMADS", 4}, {"PM2", kEnvSectionIde},
};

constexpr int kToolsetArmGnu = 3;
constexpr int kToolsetArmAds = 4;

// Key codes of the start-up reader.
enum KeyCode {
  kKeyPath = 2,
  kKeyBook = 3,
  kKeyDbgParams = 4,
  kKeyDbgFlag = 5,
  kKeyDeviceBooks = 9,
  kKeyTargetDriver = 10,
  kKeyDatabase = 11,
  kKeyRtos1 = 12,  // .. 17
  kKeyCppTranslator = 18,
  kKeySimExtension = 19,
  kKeyPath1 = 20,
  kKeyArmSelect = 21,
};

struct KeyRow {
  const char* key;
  int code;
  bool numbered;  // matched by prefix
};
// Longer keys first where one is the prefix of another.
constexpr KeyRow kKeys[] = {
    {"PATH1", kKeyPath1, false},     {"PATH", kKeyPath, false},
    {"DBGPA", kKeyDbgParams, false}, {"DBGFG", kKeyDbgFlag, false},
    {"BOOK", kKeyBook, true},        {"TDRV", kKeyTargetDriver, true},
    {"AGSI", kKeySimExtension, true}, {"CDB", kKeyDatabase, true},
    {"CPPTRN", kKeyCppTranslator, false}, {"ARMSEL", kKeyArmSelect, false},
    {"DEVICE_BOOKS", kKeyDeviceBooks, false},
    {"RTOS1", kKeyRtos1, false},     {"RTOS2", kKeyRtos1 + 1, false},
    {"RTOS3", kKeyRtos1 + 2, false}, {"RTOS4", kKeyRtos1 + 3, false},
    {"RTOS5", kKeyRtos1 + 4, false}, {"RTOS6", kKeyRtos1 + 5, false},
};

int KeyCodeOf(std::string_view key) {
  for (const KeyRow& row : kKeys) {
    if (row.numbered ? StartsWithIgnoringCase(key, row.key) : EqualsIgnoringCase(key, row.key))
      return row.code;
  }
  return -1;
}

// A relative path is taken against the installation root; ".\" or "./"
// in front is dropped first.
std::string AgainstRoot(std::string_view path, const std::string& root) {
  if (path.empty() || IsAbsolutePath(path) || HasDriveLetter(path) || root.empty())
    return std::string(path);
  if (path.size() >= 2 && path[0] == '.' && IsPathSeparator(path[1])) path.remove_prefix(2);
  return root + std::string(path);
}

std::string FolderValue(std::string_view value, const std::string& root) {
  std::string v = WithoutQuotes(value);
  if (v.empty()) return std::string();
  return WithTrailingSeparator(AgainstRoot(v, root));
}

int DigitValue(std::string_view value) {
  value = Unquoted(value);
  return (!value.empty() && value[0] >= '0' && value[0] <= '9') ? value[0] - '0' : 0;
}

class StartupReader {
 public:
  StartupReader(const std::string& root, EnvironmentInfo* env) : m_root(root), m_env(env) {}

  void Section(std::string_view name) {
    m_code = EnvSectionCode(name);
    m_info = nullptr;
    if (m_code < 0 || m_code == kEnvSectionIde) return;
    auto& slot = m_env->toolsets[m_code];
    if (!slot) {
      slot = std::make_unique<ToolsetInfo>();
      slot->toolset = m_code;
    }
    m_info = slot.get();
  }

  void Entry(std::string_view key, std::string_view value) {
    if (m_code < 0) return;  // outside a known section
    int code = KeyCodeOf(key);
    bool ide = m_code == kEnvSectionIde;
    TitledValue tv;
    switch (code) {
      case kKeyBook: {
        if (!ParseTitledValue(value, &tv)) return;
        auto& list = ide ? m_env->generalBooks : m_info->books;
        if (list.size() >= size_t(kMaxToolsetBooks)) return;
        // Books stay as written: the books window takes a toolset's below
        // that toolset's root folder and a general one below the
        // installation root, or, as earlier versions stored a general book
        // (".\old.pdf", "..\..\manuals\gen.pdf"), below the project's
        // folder when the root holds no such file.
        list.push_back({std::string(tv.path), tv.title, BookKindFromName(tv.kind)});
        return;
      }
      case kKeyArmSelect:
        m_env->armSelect = DigitValue(value);
        return;
      case kKeyDatabase:
        if (!ide || !ParseTitledValue(value, &tv)) return;
        if (m_env->deviceDatabases.size() >= size_t(1 + kMaxExtraDeviceDatabases)) return;
        m_env->deviceDatabases.push_back({AgainstRoot(tv.path, m_root), tv.title});
        return;
      case kKeyDeviceBooks:
        if (ide) m_env->deviceBooks = std::string(value);
        return;
      default:
        break;
    }
    if (!m_info) return;  // the remaining keys belong to toolset sections
    ToolsetEntry(code, value);
  }

 private:
  void ToolsetEntry(int code, std::string_view value) {
    ToolsetInfo& t = *m_info;
    TitledValue tv;
    switch (code) {
      case kKeyPath:
        t.rootFolder = FolderValue(value, m_root);
        t.toolsFolder = t.rootFolder.empty() ? std::string() : SubFolder(t.rootFolder, "BIN\\");
        if (t.toolset == kToolsetArmGnu || t.toolset == kToolsetArmAds)
          t.makerFolder = t.makerFolderSaved = t.rootFolder;
        return;
      case kKeyPath1:
        t.secondFolder = FolderValue(value, m_root);
        t.secondToolsFolder =
            t.secondFolder.empty()
                ? std::string()
                : SubFolder(t.secondFolder,
                            t.toolset == kToolsetArmGnu ? "Arm-Tools\\Bin\\" : "BIN\\");
        if (t.toolset == kToolsetArmGnu || t.toolset == kToolsetArmAds)
          t.armToolFolder = t.armToolFolderSaved = t.secondFolder;
        return;
      case kKeyDbgParams:
        t.debuggerParams = std::string(Unquoted(value));
        return;
      case kKeyDbgFlag:
        t.debuggerFlag = DigitValue(value);
        return;
      case kKeyTargetDriver:
      case kKeySimExtension: {
        auto& list = code == kKeyTargetDriver ? t.targetDrivers : t.simulatorExtensions;
        size_t limit = code == kKeyTargetDriver ? kMaxTargetDrivers : kMaxSimulatorExtensions;
        if (list.size() >= limit || !ParseTitledValue(value, &tv)) return;
        list.push_back({tv.path, tv.title});
        return;
      }
      case kKeyCppTranslator:
        if (t.toolset == 0) t.cppTranslator = std::string(Unquoted(value));
        return;
      default:
        if (code >= kKeyRtos1 && code < kKeyRtos1 + kRtosSlots && ParseTitledValue(value, &tv))
          t.rtos[code - kKeyRtos1] = {tv.path, tv.title};
        return;
    }
  }

  const std::string& m_root;
  EnvironmentInfo* m_env;
  int m_code = -1;  // current section; -1 before the first or in an unknown one
  ToolsetInfo* m_info = nullptr;
};

void ResetEnvironment(const std::string& genericDatabasePath, EnvironmentInfo* env) {
  for (auto& t : env->toolsets) t.reset();
  env->deviceDatabases.assign(1, TitledPath{genericDatabasePath, kGenericDatabaseTitle});
  env->armSelect = 0;
  env->deviceBooks.clear();
  env->generalBooks.clear();
  env->fileRead = false;
}

}  // namespace

int EnvSectionCode(std::string_view name) {
  for (const SectionRow& row : kSections)
    if (EqualsIgnoringCase(name, row.name)) return row.code;
  return -1;
}

const char* EnvSectionName(int code) {
  for (const SectionRow& row : kSections)
    if (row.code == code) return row.name;
  return nullptr;
}

void ParseToolsIni(std::string_view text, const std::string& installRoot,
                   const std::string& genericDatabasePath, EnvironmentInfo* env) {
  ResetEnvironment(genericDatabasePath, env);
  env->fileRead = true;
  StartupReader reader(installRoot, env);
  std::string_view line;
  while (NextEnvLine(text, &line)) {
    EnvLine l = ParseEnvLine(line);
    if (l.kind == EnvLineKind::kSection)
      reader.Section(l.name);
    else if (l.kind == EnvLineKind::kEntry)
      reader.Entry(l.name, l.value);
  }
}

bool ReadToolsIni(const std::string& path, const std::string& installRoot,
                  const std::string& genericDatabasePath, EnvironmentInfo* env,
                  std::string* err) {
  std::string text;
  if (!ReadStoredFile(path, kEnvironmentFileMax, text, err)) {
    ResetEnvironment(genericDatabasePath, env);
    return false;
  }
  ParseToolsIni(text, installRoot, genericDatabasePath, env);
  return true;
}

EnvironmentInfo& theEnvironment() {
  static EnvironmentInfo env;
  return env;
}

bool LoadStartupEnvironment(AppState& app, std::string* err) {
  EnvironmentInfo& env = theEnvironment();
  bool ok = ReadToolsIni(app.m_toolsIniPath, app.m_installRoot, app.m_programDir + "pelmora2.cdb",
                         &env, err);
  for (int i = 0; i < kToolsetCount; ++i) app.m_pToolsetInfo[i] = env.toolsets[i].get();
  // Read or not, the values (at least the generic database) are the
  // application's from now on.
  app.m_pEnvironment = &env;
  return ok;
}

}  // namespace pm2
