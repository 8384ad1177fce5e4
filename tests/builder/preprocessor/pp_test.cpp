// The dependency preprocessor: verdicts of directive and expression
// handling (table rows), the include search and the include list.
#include <gtest/gtest.h>
#include <utime.h>

#include <filesystem>
#include <string>
#include <vector>

#include "builder/build_test_support.h"
#include "builder/preprocessor/preprocessor.h"
#include "platform/win_path.h"

namespace pm2 {
namespace {

using test::ScratchFolder;
using test::WriteFile;

void SetTime(const std::string& path, long t) {
  struct utimbuf times{t, t};
  ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
}

constexpr long kOld = 1'600'000'000;
constexpr long kObject = kOld + 100;
constexpr long kNew = kOld + 200;

class PpTest : public ::testing::Test {
 protected:
  // Writes a file of the scratch folder with the old time.
  void File(const std::string& name, const std::string& text, long time = kOld) {
    std::filesystem::create_directories(std::filesystem::path(dir_ / name).parent_path());
    WriteFile(dir_ / name, text);
    SetTime(dir_ / name, time);
  }
  int Scan(const std::string& source = "main.c") {
    req_.sourcePath = source;
    req_.objectPath = "main.o";
    return PreprocessForDependencies(req_, resolver_, dir_.Path());
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const IncludeEntry& e : req_.includes) out.push_back(e.name);
    return out;
  }
  ScratchFolder dir_;
  PathResolver resolver_;
  DepScanRequest req_;
};

// A source whose active text reaches "#error" is out of date; one that
// does not is up to date (the object is newer than the source).
struct VerdictRow {
  const char* name;
  const char* source;
  int expected;
  std::vector<std::string> defines = {};
};

const VerdictRow kVerdictRows[] = {
    {"plain_text_is_up_to_date", "int x = 'a'; char* s = \"it's\";\n", 0},
    {"warning_in_active_text", "#warning hello\n", 1},
    {"warning_in_false_block", "#if 0\n#warning hello\n#endif\n", 0},
    {"error_in_taken_elif", "#if 0\n#elif 2 > 1\n#error x\n#endif\n", 1},
    {"elif_after_taken_branch_skipped", "#if 1\n#elif 1\n#error x\n#endif\n", 0},
    {"division_by_zero_is_false", "#if 1/0\n#error x\n#endif\nint y;\n", 0},
    {"scan_goes_on_after_division_by_zero", "#if 1/0\n#endif\n#warning after\n", 1},
    {"unevaluated_division_is_fine", "#if 0 && 1/0\n#else\n#define OK\n#endif\n#ifndef OK\n#error\n#endif\n", 0},
    {"sizeof_makes_condition_false", "#if sizeof(int)\n#error x\n#endif\n", 0},
    {"unsigned_comparison", "#if -1 > 0u\n#else\n#error x\n#endif\n", 0},
    {"hex_octal_char_constants", "#if 0x10 + 010 + '\\n' + 'A' != 16 + 8 + 10 + 65\n#error\n#endif\n", 0},
    {"ternary_and_shifts", "#if (1 ? 1 << 4 : 0) != 16 || (-16 >> 2) != -4\n#error\n#endif\n", 0},
    {"object_like_macro", "#define A 2\n#if A * 3 == 6\n#error x\n#endif\n", 1},
    {"function_like_macro", "#define ADD(a, b) ((a) + (b))\n#if ADD(1, ADD(2, 3)) != 6\n#error\n#endif\n", 0},
    {"self_reference_stops", "#define X X + 1\n#if X != 1\n#error\n#endif\n", 0},
    {"token_pasting", "#define CAT(a, b) a##b\n#define AB 7\n#if CAT(A, B) != 7\n#error\n#endif\n", 0},
    {"variadic_macro", "#define F(...) __VA_ARGS__\n#if F(1) != 1\n#error\n#endif\n", 0},
    {"macro_expanding_to_defined", "#define HAS_X defined(X)\n#if HAS_X\n#error\n#endif\n", 0},
    {"defined_without_parentheses", "#define Y\n#if !defined Y\n#error\n#endif\n", 0},
    {"defined_missing_close", "#if defined(FOO\n#endif\n", 1},
    {"wrong_argument_count", "#define F(a, b) a\n#if F(1)\n#endif\n", 1},
    {"unclosed_call", "#define F(a) a\n#if F(1\n#endif\n", 1},
    {"identical_redefinition", "#define A (1 + 2)\n#define A (1 + 2)\n", 0},
    {"different_redefinition", "#define A 1\n#define A 2\n", 1},
    {"undefine_then_define", "#define A 1\n#undef A\n#define A 2\n#if A != 2\n#error\n#endif\n", 0},
    {"hash_without_parameter", "#define S(a) #b\n", 1},
    {"body_starting_with_paste", "#define P ## x\n", 1},
    {"repeated_parameter", "#define F(a, a) a\n", 1},
    {"else_after_else", "#if 1\n#else\n#else\n#endif\n", 1},
    {"endif_without_if", "#endif\n", 1},
    {"if_without_endif", "#if 1\nint x;\n", 1},
    {"extra_characters_after_endif", "#if 1\n#endif FOO\n", 1},
    {"unknown_directive_is_skipped", "#pragma once\n#ident \"x\"\n#foo bar\n#\n", 0},
    {"unterminated_comment", "int x; /* no end\n", 1},
    {"comment_spanning_a_directive", "#if 0 /* a\n b */ || 1\n#else\n#error\n#endif\n", 0},
    {"line_comment_continued", "// a comment \\\nint x;\n", 1},
    {"unterminated_string", "char* s = \"abc;\n", 1},
    {"unterminated_string_in_false_block", "#if 0\ndon't\n#endif\n", 0},
    {"trigraph_directive", "?\?=if 0\n#error\n?\?=endif\n", 0},
    {"spliced_directive", "#if 1 \\\n && 0\n#error\n#endif\n", 0},
    {"crlf_lines", "#if 0\r\n#error\r\n#endif\r\n", 0},
    {"line_directive", "#line 100 \"other.c\"\n", 0},
    {"bad_line_directive", "#line x\n", 1},
    {"nineteen_levels", "#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n"
                        "#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n"
                        "#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n"
                        "#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n", 0},
    {"twenty_levels", "#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n"
                      "#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n#if 1\n"
                      "#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n"
                      "#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n#endif\n", 1},
    // Command-line defines: "NAME=body" is split, a bare name is 1.
    {"define_with_value", "#if VAL != 3\n#error\n#endif\n", 0, {"VAL=3"}},
    {"define_without_value", "#if DBG != 1\n#error\n#endif\n", 0, {"DBG"}},
    {"function_like_define", "#if TWICE(2) != 4\n#error\n#endif\n", 0, {"TWICE(x)=((x)*2)"}},
};

class PpVerdict : public PpTest, public ::testing::WithParamInterface<VerdictRow> {};

TEST_P(PpVerdict, Row) {
  const VerdictRow& row = GetParam();
  File("main.c", row.source);
  File("main.o", "", kObject);
  req_.defines = row.defines;
  EXPECT_EQ(Scan(), row.expected) << row.source << "\nreason: " << req_.reason;
  EXPECT_EQ(req_.reason.empty(), row.expected == 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, PpVerdict, ::testing::ValuesIn(kVerdictRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PpTest, ObjectMissingGivesOneWithCompleteList) {
  File("main.c", "#include \"a.h\"\n#include \"b.h\"\n");
  File("a.h", "int a;\n");
  File("b.h", "int b;\n");
  EXPECT_EQ(Scan(), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"main.c", "a.h", "b.h"}));
  EXPECT_EQ(req_.includes[0].kind, kIncludeSource);
  EXPECT_EQ(req_.includes[1].kind, kIncludeHeader);
  EXPECT_EQ(req_.includes[1].time, uint32_t(kOld));
}

TEST_F(PpTest, HeaderTimesAgainstObject) {
  File("main.c", "#include \"a.h\"\n");
  File("a.h", "int a;\n", kObject);  // the same time as the object: not newer
  File("main.o", "", kObject);
  EXPECT_EQ(Scan(), 0) << req_.reason;
  SetTime(dir_ / "a.h", kNew);
  EXPECT_EQ(Scan(), 1);
  EXPECT_NE(req_.reason.find("'a.h' is newer"), std::string::npos) << req_.reason;
}

TEST_F(PpTest, ObjectOlderThanSource) {
  File("main.c", "int x;\n", kNew);
  File("main.o", "", kObject);
  EXPECT_EQ(Scan(), 1);
}

TEST_F(PpTest, MissingSourceGivesEmptyList) {
  EXPECT_EQ(Scan("absent.c"), 1);
  EXPECT_TRUE(req_.includes.empty());
}

TEST_F(PpTest, MissingIncludeKeepsWhatWasRead) {
  File("main.c", "#include \"a.h\"\n#include \"gone.h\"\n#include \"b.h\"\n");
  File("a.h", "");
  File("b.h", "");
  File("main.o", "", kObject);
  EXPECT_EQ(Scan(), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"main.c", "a.h", "b.h"}));
  EXPECT_NE(req_.reason.find("'gone.h' not found"), std::string::npos) << req_.reason;
}

TEST_F(PpTest, HeaderIncludedTwiceIsListedOnce) {
  File("main.c", "#include \"a.h\"\n#include \"A.H\"\n#include \"a.h\"\n");
  File("a.h", "#ifndef A_H\n#define A_H\n#endif\n");
  File("main.o", "", kObject);
  EXPECT_EQ(Scan(), 0) << req_.reason;
  EXPECT_EQ(Names(), (std::vector<std::string>{"main.c", "a.h"}));
}

TEST_F(PpTest, IncludePathGivesUpperCaseNameFoundInAnyCase) {
  File("main.c", "#include <Periph.h>\n");
  File("inc/Sub/periph.h", "#include \"Regs.h\"\n");
  File("inc/Sub/regs.h", "");
  File("main.o", "", kObject);
  AddScanIncludePath(req_, "inc/Sub;ignored");
  EXPECT_EQ(Scan(), 0) << req_.reason;
  // The second header is found beside the including file, not the source.
  EXPECT_EQ(Names(), (std::vector<std::string>{"main.c", "INC/SUB\\PERIPH.H", "INC/SUB\\REGS.H"}));
}

TEST_F(PpTest, SourceFolderIsSearchedForQuotedNames) {
  File("src/main.c", "#include \"local.h\"\n");
  File("src/local.h", "");
  File("main.o", "", kObject);
  EXPECT_EQ(Scan("src\\main.c"), 0) << req_.reason;
  EXPECT_EQ(Names(), (std::vector<std::string>{"src\\main.c", "SRC\\LOCAL.H"}));
}

TEST_F(PpTest, AngleNamesSkipTheSourceFolder) {
  File("src/main.c", "#include <local.h>\n");
  File("src/local.h", "");
  File("main.o", "", kObject);
  EXPECT_EQ(Scan("src/main.c"), 1);
}

TEST_F(PpTest, IncludeNameFromMacro) {
  File("main.c", "#define HDR \"a.h\"\n#define STR(x) #x\n#include HDR\n#include STR(b.h)\n");
  File("a.h", "");
  File("b.h", "");
  File("main.o", "", kObject);
  EXPECT_EQ(Scan(), 0) << req_.reason;
  EXPECT_EQ(Names(), (std::vector<std::string>{"main.c", "a.h", "b.h"}));
}

TEST_F(PpTest, IncludeOfAFolderIsAnError) {
  File("main.c", "#include \"sub\"\n");
  File("sub/x.h", "");
  File("main.o", "", kObject);
  EXPECT_EQ(Scan(), 1);
}

TEST_F(PpTest, UnguardedSelfIncludeEnds) {
  File("main.c", "#include \"self.h\"\n");
  File("self.h", "#include \"self.h\"\n");
  File("main.o", "", kObject);
  EXPECT_EQ(Scan(), 0) << req_.reason;
  EXPECT_EQ(Names(), (std::vector<std::string>{"main.c", "self.h"}));
}

TEST_F(PpTest, ConditionalsMustCloseInTheirFile) {
  File("main.c", "#include \"open.h\"\n#endif\n");
  File("open.h", "#if 1\n");
  File("main.o", "", kObject);
  EXPECT_EQ(Scan(), 1);
}

// An #else or #elif of a header may not flip the includer's conditional.
TEST_F(PpTest, ElseCannotReachIntoTheIncludingFile) {
  File("flip.h", "#else\n");
  File("elif.h", "#elif 1\n");
  File("main.o", "", kObject);
  for (const char* header : {"flip.h", "elif.h"}) {
    File("main.c", std::string("#if 1\n#include \"") + header + "\"\n#endif\n");
    EXPECT_EQ(Scan(), 1) << header;
    EXPECT_NE(req_.reason.find("without #if"), std::string::npos) << req_.reason;
  }
}

TEST_F(PpTest, MacrosFlowIntoHeaders) {
  File("main.c", "#define CFG 2\n#include \"cfg.h\"\n");
  File("cfg.h", "#if CFG == 2\n#include \"two.h\"\n#else\n#include \"other.h\"\n#endif\n");
  File("two.h", "");
  File("main.o", "", kObject);
  EXPECT_EQ(Scan(), 0) << req_.reason;
  EXPECT_EQ(Names(), (std::vector<std::string>{"main.c", "cfg.h", "two.h"}));
}

TEST(JoinIncludePath, Rows) {
  struct Row {
    const char* folder;
    const char* name;
    const char* expected;
  } rows[] = {
      {"inc", "a.h", "INC\\A.H"},
      {"inc\\", "\\a.h", "INC\\A.H"},
      {"inc/", "a.h", "INC/A.H"},
      {"c:", "a.h", "C:A.H"},
      {"one;two", "a.h", "ONE\\A.H"},
  };
  for (const Row& r : rows) EXPECT_EQ(JoinIncludePath(r.folder, r.name), r.expected) << r.folder;
}

}  // namespace
}  // namespace pm2
