#include "builder/driver/output_names.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

struct NamesRow {
  const char* name;
  const char* text;
  std::vector<std::string> names;
};

// Every form in which the toolsets' command lines name a file a tool
// writes gives that name, with the names the tool derives from it.
const NamesRow kRows[] = {
    {"gcc_object_and_its_dependency_list",
     "-c -mcpu=arm7tdmi -MD -o \"Obj/Blinky.o\"",
     {"arm7tdmi", "Obj/Blinky.o", "Obj/Blinky.d", "Obj/Blinky.lst", "Obj/Blinky.map", "Obj/Blinky.hex"}},
    {"assembler_dependency_list_and_listing",
     "--MD Obj/Startup.d -ahls=\"Obj/Startup.lst\"",
     {"Obj/Startup.d", "Obj/Startup.lst", "Obj/Startup.map", "Obj/Startup.hex"}},
    {"listing_through_the_compiler",
     "-Wa,-adhln=\"Lst/LED.lst\"",
     {"Lst/LED.lst", "Lst/LED.d", "Lst/LED.map", "Lst/LED.hex"}},
    {"linker_map_among_its_options",
     "-Wl,-Map=\"Obj/Blinky.map\",-Ttext=0x00",
     {"Obj/Blinky.map", "0x00", "Obj/Blinky.d", "Obj/Blinky.lst", "Obj/Blinky.hex"}},
    {"hex_conversion", "-O ihex \"Obj/Blinky.elf\" \"Obj/Blinky.hex\"",
     {"ihex", "Obj/Blinky.elf", "Obj/Blinky.hex", "Obj/Blinky.d", "Obj/Blinky.lst", "Obj/Blinky.map"}},
    {"controls_in_brackets", "Blinky.c OBJECT(.\\Obj\\Blinky.obj) PRINT(.\\Lst\\Blinky.lst)",
     {"Blinky.c", "OBJECT", ".\\Obj\\Blinky.obj", "PRINT", ".\\Lst\\Blinky.lst", "Blinky.d", "Blinky.lst",
      "Blinky.map", "Blinky.hex", ".\\Obj\\Blinky.d", ".\\Obj\\Blinky.lst", ".\\Obj\\Blinky.map",
      ".\\Obj\\Blinky.hex", ".\\Lst\\Blinky.d", ".\\Lst\\Blinky.map", ".\\Lst\\Blinky.hex"}},
    {"name_without_extension_derives_nothing", "TO .\\Obj\\Blinky", {"TO", ".\\Obj\\Blinky"}},
    {"dot_folder_is_no_extension", "-I ./inc", {"./inc"}},
    {"empty", "", {}},
};

class NamesInToolArgumentsRows : public ::testing::TestWithParam<NamesRow> {};

TEST_P(NamesInToolArgumentsRows, Row) { EXPECT_EQ(NamesInToolArguments(GetParam().text), GetParam().names); }

INSTANTIATE_TEST_SUITE_P(Rows, NamesInToolArgumentsRows, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
