#include "debugger/gdb/target/settings_form.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "debugger/gdb/target/gdb_target.h"
#include "debugger/gdb/target/target_params_check.h"

namespace pm2::gdb {

namespace {

// The fields in their order on the form.
enum FormField { kMode, kQemu, kMachine, kUart, kRemote, kGdb, kTimeout, kOther, kFormFieldCount };
constexpr const char* kSimulation = "Simulation in the emulator";
constexpr const char* kServer = "GDB server (remote)";

struct FormFieldRow {
  const char* key;
  const char* label;
  int32_t kind;
  int32_t appliesWithChoice;  // 1 simulation, 2 server; 0 always
  const char* tip;
};

const FormFieldRow kFormRows[kFormFieldCount] = {
    {"target", "Target:", kDrvFieldChoice, 0,
     "Where the program runs: in the emulator on this machine, or on a board behind a GDB server"},
    {"qemu", "Emulator:", kDrvFieldText, 1, "The emulator program, looked for on the PATH"},
    {"machine", "Machine:", kDrvFieldText, 1,
     "The emulator's machine: 'none' is an ARM926 with RAM over the whole address space, which the "
     "driver's UART stand-in needs; another machine runs as the emulator's board comes"},
    {"uart", "UART at:", kDrvFieldText, 1,
     "The address of the UART the driver stands in for in simulation (its registers from there), "
     "or 'none'"},
    {"remote", "GDB server (host:port):", kDrvFieldText, 2, "The GDB server the driver connects to"},
    {"gdb", "GDB program:", kDrvFieldText, 0, "The gdb the driver runs, looked for on the PATH"},
    {"timeout", "Connect timeout (s):", kDrvFieldText, 0,
     "How long the driver waits for the target's first answer, in seconds"},
    {"other", "Further options:", kDrvFieldText, 0, "Words of the settings text this form has no field for, kept as they are"},
};

void PutFormText(char* to, std::size_t size, const std::string& text) { std::snprintf(to, size, "%s", text.c_str()); }

std::string FormHex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// The words the driver reads with their arguments, apart from the rest.
void SplitFormWords(const std::string& parameter, std::string* known, std::string* other) {
  std::istringstream in(parameter);
  std::string word;
  while (in >> word) {
    const bool withArgument = word == "-remote" || word == "-gdb" || word == "-qemu" || word == "-machine" ||
                              word == "-uart" || word == "-timeout";
    std::string& to = withArgument || word == "-sim" ? *known : *other;
    if (!to.empty()) to += ' ';
    to += word;
    std::string argument;
    if (withArgument && in >> argument) to += ' ' + argument;
  }
}

std::string FormValue(const DriverSettingsForm& form, FormField f) {
  return std::string(form.fields[f].value, strnlen(form.fields[f].value, sizeof form.fields[f].value));
}

// A value that becomes one word of the text: without blanks, not empty.
bool FormWord(const std::string& value, FormField f, std::string* error) {
  if (value.empty()) {
    *error = std::string("'") + kFormRows[f].label + "' is empty";
    return false;
  }
  if (value.find_first_of(" \t\r\n") != std::string::npos) {
    *error = std::string("'") + kFormRows[f].label + "' holds a blank: the settings text parts its words at blanks";
    return false;
  }
  if (value[0] == '-') {
    *error = std::string("'") + kFormRows[f].label + "' begins with '-', which would be read as an option";
    return false;
  }
  return true;
}

// A value the driver's own check refuses, by its field.
bool FormChecked(const std::string& value, FormField f, std::string (*check)(const std::string&), std::string* error) {
  const std::string why = check(value);
  if (why.empty()) return true;
  *error = std::string("'") + kFormRows[f].label + "' is '" + value + "', " + why;
  return false;
}

}  // namespace

void FillSettingsForm(const std::string& parameter, DriverSettingsForm* form) {
  std::string known, other;
  SplitFormWords(parameter, &known, &other);
  const TargetParams p = ParseTargetParams(known);
  PutFormText(form->title, sizeof form->title, "GDB Driver Settings");
  form->count = kFormFieldCount;
  const std::string values[kFormFieldCount] = {
      p.simulate ? kSimulation : kServer,
      p.qemu.program,
      p.qemu.machine,
      p.uart ? FormHex(p.uartBase) : "none",
      p.remote,
      p.gdb,
      std::to_string(p.connectTimeoutMs / 1000),
      other,
  };
  for (int i = 0; i < kFormFieldCount; ++i) {
    DriverSettingsField& f = form->fields[i];
    std::memset(&f, 0, sizeof f);
    PutFormText(f.key, sizeof f.key, kFormRows[i].key);
    PutFormText(f.label, sizeof f.label, kFormRows[i].label);
    f.kind = kFormRows[i].kind;
    PutFormText(f.tip, sizeof f.tip, kFormRows[i].tip);
    if (kFormRows[i].appliesWithChoice) {
      f.appliesWithField = kMode + 1;
      f.appliesWithChoice = kFormRows[i].appliesWithChoice;
    }
    PutFormText(f.value, sizeof f.value, values[i]);
  }
  PutFormText(form->fields[kMode].choices, sizeof form->fields[kMode].choices,
      std::string(kSimulation) + "\n" + kServer + "\n");
}

bool SettingsFormText(const DriverSettingsForm& form, std::string* text, std::string* error) {
  if (form.count < kFormFieldCount) {
    *error = "the form lacks fields of the GDB driver";
    return false;
  }
  const TargetParams defaults;
  const bool simulate = FormValue(form, kMode) == kSimulation;
  if (!simulate && FormValue(form, kMode) != kServer) {
    *error = "'" + FormValue(form, kMode) + "' is no target of the GDB driver";
    return false;
  }
  std::vector<std::string> words;
  if (simulate) {
    words.push_back("-sim");
    const std::string qemu = FormValue(form, kQemu), machine = FormValue(form, kMachine), uart = FormValue(form, kUart);
    if (!FormWord(qemu, kQemu, error) || !FormWord(machine, kMachine, error) || !FormWord(uart, kUart, error) ||
        !FormChecked(machine, kMachine, MachineFault, error) || !FormChecked(uart, kUart, UartFault, error))
      return false;
    if (qemu != defaults.qemu.program) words.insert(words.end(), {"-qemu", qemu});
    if (machine != defaults.qemu.machine) words.insert(words.end(), {"-machine", machine});
    const unsigned long base = uart == "none" ? 0 : std::strtoul(uart.c_str(), nullptr, 0);
    if (uart == "none")
      words.insert(words.end(), {"-uart", "none"});
    else if (base != defaults.uartBase)
      words.insert(words.end(), {"-uart", FormHex(uint32_t(base))});
  } else {
    const std::string remote = FormValue(form, kRemote);
    if (!FormWord(remote, kRemote, error) || !FormChecked(remote, kRemote, RemoteFault, error)) return false;
    words.insert(words.end(), {"-remote", remote});
  }
  const std::string gdb = FormValue(form, kGdb);
  if (!FormWord(gdb, kGdb, error)) return false;
  if (gdb != defaults.gdb) words.insert(words.end(), {"-gdb", gdb});
  const std::string timeout = FormValue(form, kTimeout);
  if (!FormChecked(timeout, kTimeout, TimeoutFault, error)) return false;
  if (std::atoi(timeout.c_str()) * 1000 != defaults.connectTimeoutMs) words.insert(words.end(), {"-timeout", timeout});
  const std::string other = FormValue(form, kOther);
  if (other.find_first_not_of(" \t") != std::string::npos) {
    if (other.find_first_of("\r\n") != std::string::npos) {
      *error = "'Further options:' holds a line break";
      return false;
    }
    // A word the form has a field for would be read twice.
    std::string known, rest;
    SplitFormWords(other, &known, &rest);
    if (!known.empty()) {
      *error = "'Further options:' holds '" + known.substr(0, known.find(' ')) + "', which its own field sets";
      return false;
    }
    words.push_back(rest);
  }
  text->clear();
  for (const std::string& w : words) *text += (text->empty() ? "" : " ") + w;
  return true;
}

}  // namespace pm2::gdb
