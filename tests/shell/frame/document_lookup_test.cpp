#include "shell/frame/document_lookup.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

TEST(OpenFileFilter, EveryEntryBecomesADialogFilter) {
  struct Row {
    const char* name;
    std::size_t index;
    const char* dialogFilter;
  };
  const Row rows[] = {
      {"source_patterns_lose_their_semicolons", 0, "Source (*.c *.h *.a* *.inc *.src)"},
      {"listing_keeps_both_patterns", 2, "Listing (*.lst *.m*)"},
      {"all_files_lists_names_without_a_dot", 7, "All Files (*)"},
  };
  std::vector<FileFilterEntry> entries = ParseFileFilter(kOpenFileFilter);
  ASSERT_EQ(entries.size(), 8u);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ASSERT_LT(r.index, entries.size());
    EXPECT_EQ(DialogNameFilter(entries[r.index]), r.dialogFilter);
  }
}

TEST(OpenFileFilter, DamagedFiltersStopAtTheFirstIncompleteEntry) {
  struct Row {
    const char* name;
    const char* filter;
    std::size_t entries;
  };
  const Row rows[] = {
      {"empty", "", 0},
      {"label_without_patterns", "Text (*.txt)||", 0},
      {"second_entry_cut_off", "Text (*.txt)|*.txt|C (*.c)", 1},
      {"blank_patterns_only", "Text|; ;|", 0},
      {"no_closing_bars", "Text|*.txt", 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(ParseFileFilter(r.filter).size(), r.entries);
  }
}

TEST(SourceFileId, TypeAboveLengthBelow) {
  struct Row {
    const char* name;
    int type;
    std::size_t length;
    uint32_t id;
  };
  const Row rows[] = {
      {"c_file", 1, 12, 0x0001000Cu},
      {"no_path_is_no_file", 1, 0, 0u},
      {"overlong_path_does_not_change_the_type", 2, 70000, 0x0002FFFFu},
      {"unknown_type", 0, 5, 5u},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(SourceFileId(r.type, r.length), r.id);
  }
}

TEST(DocumentActions, HintsPerActionAndMatch) {
  struct Row {
    const char* name;
    int action;
    bool matches;
    std::vector<uint32_t> hints;
  };
  const Row rows[] = {
      {"position_other_file", 0, false, {0x12341000}},
      {"position_current_file", 0, true, {0x12341001}},
      {"second_form_current_file", 2, true, {0x12341003}},
      {"reload_breakpoints_sends_two", 4, false, {0x12342000, 0x12341000}},
      {"before_save", 7, true, {0x12342110}},
      {"source_test_sends_nothing", 8, false, {}},
      {"unknown_action", 9, false, {}},
      {"negative_action", -1, false, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(DocumentActionHints(r.action, r.matches), r.hints);
  }
}

TEST(DocumentActions, DebuggerFileComparesNamesWithoutFolder) {
  struct Row {
    const char* name;
    const char* document;
    const char* debugger;
    bool same;
  };
  const Row rows[] = {
      {"other_folder_other_case", "/home/u/prj/Main.c", "C:\\Src\\MAIN.C", true},
      {"other_name", "/home/u/prj/main.c", "main.h", false},
      {"no_debugger_file", "/home/u/prj/main.c", "", false},
      {"drive_letter_only", "/x/main.c", "D:main.c", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(IsDebuggerFile(r.document, r.debugger), r.same);
  }
}

TEST(ToolHelp, FileAndKeywordPerCode) {
  struct Row {
    const char* name;
    int code;
    const char* text;
    int toolset;
    const char* folder;
    const char* file;
    const char* keyword;
  };
  const Row rows[] = {
      {"topic_8051", 1, "SETUP", 0, "/opt/q51/", "/opt/q51/HLP/Dbg51.chm", "SETUP"},
      {"topic_166_windows_folder", 1, "BS", 2, "C:\\Q166\\", "C:\\Q166\\HLP\\Dbg166.chm", "BS"},
      {"folder_without_separator", 1, "x", 1, "/opt/q251", "/opt/q251/HLP/Dbg251.chm", "x"},
      {"toolset_without_help", 1, "x", 3, "/opt/arm/", "", ""},
      {"arm_ads_has_no_help", 1, "x", 4, "/opt/ads/", "", ""},
      {"no_tools_folder", 1, "x", 0, "", "", ""},
      {"error_message", 100, "C141", 3, "/opt/arm/", "/opt/arm/HLP/Errors.chm", "C141"},
      {"help_file_as_given", 200, "/doc/book.chm", 0, "", "/doc/book.chm", ""},
      {"other_code", 2, "x", 0, "/opt/q51/", "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ToolHelpRequest h = ToolHelpFor(r.code, r.text, r.toolset, r.folder);
    EXPECT_EQ(h.file, r.file);
    EXPECT_EQ(h.keyword, r.keyword);
  }
}

}  // namespace
}  // namespace pm2
