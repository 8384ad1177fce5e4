#include "builder/runner/tool_environment.h"

#include "project/text/path_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "builder/runner/batch_file.h"
#include "platform/win_path.h"

namespace pm2 {

std::optional<std::string> EnvOverlay::Get(const std::string& name, char** base) const {
  auto it = vars_.find(name);
  if (it != vars_.end()) return it->second;
  if (base) {
    for (char** e = base; *e; ++e) {
      const char* eq = std::strchr(*e, '=');
      if (eq && size_t(eq - *e) == name.size() && std::strncmp(*e, name.c_str(), name.size()) == 0)
        return std::string(eq + 1);
    }
  }
  return std::nullopt;
}

std::vector<std::string> EnvOverlay::Build(char** base) const {
  std::vector<std::string> out;
  if (base) {
    for (char** e = base; *e; ++e) {
      const char* eq = std::strchr(*e, '=');
      std::string name = eq ? std::string(*e, size_t(eq - *e)) : std::string(*e);
      if (vars_.count(name)) continue;
      out.emplace_back(*e);
    }
  }
  for (const auto& [name, value] : vars_)
    if (value) out.push_back(name + "=" + *value);
  return out;
}

namespace {

struct PrefixRow {
  int toolset;
  const char* prefix;
};
constexpr PrefixRow kPrefixes[] = {{kToolset51, "Q51"}, {kToolset251, "Q251"}, {kToolsetArmGnu, "GCC"}};

// Which clock variable a toolset sets and which sub-record's clock it takes.
struct ClockRow {
  int toolset;
  const char* name;
  uint32_t ToolEnvInput::*clock;
};
constexpr ClockRow kClocks[] = {
    {kToolset51, "CPU_XTAL", &ToolEnvInput::clock51},
    {kToolset251, "CPU_XTAL", &ToolEnvInput::clock251},
    {kToolset166, "CPU_CLOCK", &ToolEnvInput::clock166},
    // The ARM-GNU target's own clock (the 166 field is never set for it).
    {kToolsetArmGnu, "CPU_CLOCK", &ToolEnvInput::clockArm},
};

void SetVar(EnvOverlay& env, BatchFile* batch, const std::string& name, const std::string& value) {
  env.Set(name, value);
  if (batch) batch->WriteSetLine(name, value);
}

std::string Hex32(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

void SetTargetVars(const ToolEnvInput& in, EnvOverlay& env, BatchFile* batch) {
  SetVar(env, batch, "CPU_TYPE", in.device);
  SetVar(env, batch, "CPU_VENDOR", in.vendor);
  SetVar(env, batch, "PM2_TARGET", in.targetName);
}

}  // namespace

const char* ToolsetVarPrefix(int toolset) {
  for (const auto& row : kPrefixes)
    if (row.toolset == toolset) return row.prefix;
  return "Q166";
}

std::string FolderWithoutBin(const std::string& folder) { return StripBinFolder(folder); }

namespace {

// A folder list made from a root of this machine ('/' and no '\') gets
// this machine's separators and no separator at the end of a folder: a '\'
// is part of a name here, so "<root>/INC\" would name no folder. Lists made
// from a stored Windows root keep their stored form.
std::string ForThisMachine(const std::string& value, const std::string& root) {
  if (root.find('\\') != std::string::npos || root.find('/') == std::string::npos) return value;
  std::string out;
  std::string piece;
  auto flush = [&]() {
    for (char& c : piece)
      if (c == '\\') c = '/';
    while (piece.size() > 1 && piece.back() == '/') piece.pop_back();
    out += piece;
    piece.clear();
  };
  for (char c : value) {
    if (c == ';' || c == ',') {
      flush();
      out += c;
    } else {
      piece += c;
    }
  }
  flush();
  return out;
}

}  // namespace

std::string SetToolEnvironment(const ToolEnvInput& in, int mode, EnvOverlay& env, BatchFile* batch) {
  std::string result = in.toolsFolder;
  const std::string prefix = ToolsetVarPrefix(in.toolset);
  if (mode == 0) {
    if (in.toolset == kToolsetArmGnu && !in.gnuFolder1.empty() && !in.gnuFolder2.empty()) {
      // The batch file keeps the stored form; the children here need a
      // POSIX search list that still reaches the system's programs.
      if (batch) batch->WriteSetLine("PATH", in.gnuFolder1 + "Bin;" + in.gnuFolder2);
      std::string path = ToForwardSlashes(in.gnuFolder1 + "Bin") + ":" + ToForwardSlashes(in.gnuFolder2);
      if (const char* inherited = std::getenv("PATH")) path += std::string(":") + inherited;
      env.Set("PATH", path);
    }
    if (in.useOwnEnv) {
      if (!in.envBin.empty()) {
        SetVar(env, batch, prefix + "BIN", in.envBin);
        result = in.envBin;
      }
      if (!in.envInc.empty()) {
        std::string value;
        if (!in.envReg.empty()) {
          const std::string& reg = in.envReg;
          if (static_cast<unsigned char>(reg[0]) == 0xFF)
            value = in.envInc + reg.substr(1);
          else if (reg[0] == '.')
            value = in.envInc + (reg.size() > 2 ? reg.substr(2) : std::string());
          else
            value = reg;
          value += ";";
        }
        value += in.envInc;
        SetVar(env, batch, prefix + "INC", value);
      }
      if (!in.envLib.empty()) SetVar(env, batch, prefix + "LIB", in.envLib);
    } else if (!in.toolsFolder.empty()) {
      std::string reg = in.orgReg.empty() ? in.envReg : in.orgReg;
      if (!reg.empty() && static_cast<unsigned char>(reg[0]) == 0xFF) reg.erase(0, 1);
      const std::string root = FolderWithoutBin(in.toolsFolder);
      std::string inc;
      if (!reg.empty()) inc = root + "INC\\" + reg + ";";
      inc += root + "INC\\";
      SetVar(env, batch, prefix + "INC", ForThisMachine(inc, root));
      SetVar(env, batch, prefix + "LIB", ForThisMachine(root + "LIB", root));
    }
  }
  SetTargetVars(in, env, batch);
  for (const auto& row : kClocks)
    if (row.toolset == in.toolset) SetVar(env, batch, row.name, Hex32(in.*row.clock));
  return result;
}

std::string SetArmToolEnvironment(const ToolEnvInput& in, int mode, EnvOverlay& env, BatchFile* batch) {
  const std::string folder = in.programFolder.empty() ? in.toolsFolder : in.programFolder;
  if (mode == 0 && !in.useOwnEnv) {
    SetVar(env, batch, "ARMCONF", folder);
    SetVar(env, batch, "ARMDLL", folder);
    const std::string home = FolderWithoutBin(folder);
    SetVar(env, batch, "ARMHOME", home);
    const std::string root = FolderWithoutBin(in.toolsFolder);
    std::string inc;
    if (!in.vendor.empty()) inc = root + "INC\\" + in.vendor + ",";
    inc += root + "INC," + home + "INCLUDE";
    SetVar(env, batch, "ARMINC", ForThisMachine(inc, root));
    SetVar(env, batch, "ARMLIB", ForThisMachine(home + "LIB", home));
  }
  SetTargetVars(in, env, batch);
  SetVar(env, batch, "CPU_CLOCK", Hex32(0));
  return folder;
}

}  // namespace pm2
