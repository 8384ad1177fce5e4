// The GDB driver's settings form: what it shows of a parameter text, the
// text it makes of the values, and the values it refuses, naming the field.
#include "debugger/gdb/target/settings_form.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace pm2::gdb {
namespace {

DriverSettingsForm FilledForm(const std::string& parameter) {
  DriverSettingsForm form;
  std::memset(&form, 0, sizeof form);
  FillSettingsForm(parameter, &form);
  return form;
}

std::string FormFieldValue(const DriverSettingsForm& form, const std::string& key) {
  for (uint32_t i = 0; i < form.count; ++i)
    if (key == form.fields[i].key) return form.fields[i].value;
  return "<no field " + key + ">";
}

void SetFormField(DriverSettingsForm* form, const std::string& key, const std::string& value) {
  for (uint32_t i = 0; i < form->count; ++i)
    if (key == form->fields[i].key) std::snprintf(form->fields[i].value, sizeof form->fields[i].value, "%s", value.c_str());
}

struct FormRoundRow {
  const char* name;
  const char* parameter;
  const char* target, *remote, *machine, *uart, *other;
  const char* made;  // the text the unchanged form makes
};

const FormRoundRow kFormRoundRows[] = {
    {"Simulation", "-sim", "Simulation in the emulator", "localhost:3333", "none", "0xE000C000", "", "-sim"},
    {"Empty", "", "Simulation in the emulator", "localhost:3333", "none", "0xE000C000", "", "-sim"},
    {"Server", "-remote localhost:3333", "GDB server (remote)", "localhost:3333", "none", "0xE000C000", "",
     "-remote localhost:3333"},
    {"SimulationWithoutUart", "-sim -uart none", "Simulation in the emulator", "localhost:3333", "none", "none", "",
     "-sim -uart none"},
    {"OtherMachineAndGdb", "-sim -machine virt -gdb arm-gdb -timeout 10", "Simulation in the emulator",
     "localhost:3333", "virt", "0xE000C000", "", "-sim -machine virt -gdb arm-gdb -timeout 10"},
    {"WordsOfItsOwnKept", "-remote board:2331 -verbose", "GDB server (remote)", "board:2331", "none", "0xE000C000",
     "-verbose", "-remote board:2331 -verbose"},
};

class SettingsFormRoundTrip : public ::testing::TestWithParam<FormRoundRow> {};

TEST_P(SettingsFormRoundTrip, TheFormShowsTheTextAndMakesItAgain) {
  const FormRoundRow& r = GetParam();
  const DriverSettingsForm form = FilledForm(r.parameter);
  EXPECT_EQ(FormFieldValue(form, "target"), r.target);
  EXPECT_EQ(FormFieldValue(form, "remote"), r.remote);
  EXPECT_EQ(FormFieldValue(form, "machine"), r.machine);
  EXPECT_EQ(FormFieldValue(form, "uart"), r.uart);
  EXPECT_EQ(FormFieldValue(form, "other"), r.other);
  std::string text, error;
  ASSERT_TRUE(SettingsFormText(form, &text, &error)) << error;
  EXPECT_EQ(text, r.made);
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingsFormRoundTrip, ::testing::ValuesIn(kFormRoundRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct FormRefusedRow {
  const char* name;
  const char* parameter;
  const char* key, *value;
  const char* error;
};

const FormRefusedRow kFormRefusedRows[] = {
    {"ServerWithoutPort", "-remote x:1", "remote", "board",
     "'GDB server (host:port):' is 'board', not a host and a port from 1 to 65535"},
    {"PortTooLarge", "-remote x:1", "remote", "board:70000",
     "'GDB server (host:port):' is 'board:70000', not a host and a port from 1 to 65535"},
    {"GdbWithABlank", "-sim", "gdb", "my gdb", "'GDB program:' holds a blank: the settings text parts its words at blanks"},
    {"EmptyMachine", "-sim", "machine", "", "'Machine:' is empty"},
    {"UartNoAddress", "-sim", "uart", "serial", "'UART at:' is 'serial', neither an address nor 'none'"},
    {"TimeoutZero", "-sim", "timeout", "0", "'Connect timeout (s):' is '0', not a number of seconds from 1 to 600"},
    {"OptionInOther", "-sim", "other", "-gdb x", "'Further options:' holds '-gdb', which its own field sets"},
    {"ServerAPipe", "-remote x:1", "remote", "|/tmp/pipe.sh:1234",
     "'GDB server (host:port):' is '|/tmp/pipe.sh:1234', not a host and a port from 1 to 65535 ('|' has gdb run "
     "the rest as a program of this machine)"},
    {"MachineWithOptions", "-sim", "machine", "virt,dumpdtb=/tmp/victim",
     "'Machine:' is 'virt,dumpdtb=/tmp/victim', not a machine's name: a name holds only letters, digits, '.', '-' "
     "and '_' (after ',' the emulator would take options of the machine, such as a file it writes)"},
    {"EmulatorLikeAnOption", "-sim", "qemu", "-x", "'Emulator:' begins with '-', which would be read as an option"},
};

class SettingsFormRefusal : public ::testing::TestWithParam<FormRefusedRow> {};

TEST_P(SettingsFormRefusal, AValueTheTextCannotCarryIsRefusedByItsField) {
  const FormRefusedRow& r = GetParam();
  DriverSettingsForm form = FilledForm(r.parameter);
  SetFormField(&form, r.key, r.value);
  std::string text, error;
  EXPECT_FALSE(SettingsFormText(form, &text, &error)) << text;
  EXPECT_EQ(error, r.error);
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingsFormRefusal, ::testing::ValuesIn(kFormRefusedRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2::gdb
