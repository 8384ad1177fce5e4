// Text engine benchmarks, each against what a user would use instead,
// measured in the same run:
//  1. loading a generated C file, against `cat` reading it (the goal is
//     on our own time: at most 20 ms a megabyte);
//  2. saving it (a new file written, synced and renamed into place),
//     against `cp` copying it and `sync` flushing the copy;
//  3. regular-expression search through the file, against GNU grep -c
//     run as a child process with the same patterns on the same lines
//     (both count the matching lines of each pattern, and the counts must
//     agree; grep also starts a process and reads the file for each
//     pattern, which ours, searching the loaded buffer, does not);
//  4. colouring every line of a 200,000-line part of it, against a
//     QSyntaxHighlighter for the same keywords, comments and strings
//     colouring the same lines in a QTextDocument.
// The file size is PM2_BENCH_MB megabytes (default 50).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "editor/text/line_colours.h"
#include "editor/text/regexp.h"
#include "editor/text/text_buffer.h"
#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "bench_peer.h"
#include "c_highlighter.h"

namespace pm2 {
namespace {

struct Fixture {
  bench::TempFolder folder{"pm2bench"};  // removed with the fixture
  std::string dir = folder.Path();
  std::string file;
  std::string keywords;
  size_t bytes = 0;
  Fixture() {
    file = dir + "/big.c";
    keywords = dir + "/c.ini";
    const char* mb = std::getenv("PM2_BENCH_MB");
    size_t target = size_t(mb ? std::atoi(mb) : 50) << 20;
    const char* body[] = {
        "/* Function %d: handles the device registers */\r\n",
        "static int handler_%d(unsigned int value)\r\n",
        "{\r\n",
        "\tint count = 0x%04X; // counter for %d\r\n",
        "\twhile (value > 0) {\r\n",
        "\t\tif (value & 1) count++; /* odd */\r\n",
        "\t\tvalue >>= 1;\r\n",
        "\t}\r\n",
        "\tprintf(\"result %%d\\n\", count);\r\n",
        "\treturn count + %d;\r\n",
        "}\r\n",
        "\r\n",
    };
    std::string data;
    data.reserve(target + 4096);
    char line[256];
    for (int n = 0; data.size() < target; ++n)
      for (const char* f : body) {
        std::snprintf(line, sizeof line, f, n, n);
        data += line;
      }
    std::ofstream(file, std::ios::binary) << data;
    std::ofstream(keywords) << "[Keywords]\nint\nunsigned\nstatic\nwhile\nif\nreturn\n[Colors]\n1=0,0,255\n";
    bytes = data.size();
  }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

// Runs a shell command line; false when it did not run or failed.
bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

void BM_Load(benchmark::State& state) {
  size_t lines = 0;
  for (auto _ : state) {
    CEditTextBuffer b;
    if (b.LoadFile(Data().file) != 0) state.SkipWithError("load failed");
    lines = size_t(b.GetLineCount());
  }
  // Memory per line: the record plus its text's heap block (when the text
  // does not fit the string's inline buffer).
  CEditTextBuffer b;
  b.LoadFile(Data().file);
  size_t heap = 0;
  for (const CEditLine* p = b.FirstLine(); p; p = p->m_pNext)
    heap += p->m_text.capacity() > 15 ? p->m_text.capacity() + 1 : 0;
  state.counters["lines"] = double(lines);
  state.counters["bytes_per_line"] = double(sizeof(CEditLine)) + double(heap) / double(lines);
  state.SetBytesProcessed(int64_t(state.iterations() * Data().bytes));
}

void BM_Peer_Cat(benchmark::State& state) {
  const std::string cmd = "cat '" + Data().file + "' >/dev/null";
  for (auto _ : state)
    if (!Run(cmd)) state.SkipWithError("cat did not run");
  state.SetBytesProcessed(int64_t(state.iterations() * Data().bytes));
}

void BM_Save(benchmark::State& state) {
  const std::string out = Data().dir + "/saved.c";
  CEditTextBuffer b;
  if (b.LoadFile(Data().file) != 0) state.SkipWithError("load failed");
  for (auto _ : state)
    if (b.SaveFile(out) != 0) state.SkipWithError("save failed");
  state.SetBytesProcessed(int64_t(state.iterations() * Data().bytes));
}

void BM_Peer_CpSync(benchmark::State& state) {
  const std::string out = Data().dir + "/copied.c";
  const std::string cmd = "cp '" + Data().file + "' '" + out + "' && sync '" + out + "'";
  for (auto _ : state)
    if (!Run(cmd)) state.SkipWithError("cp or sync did not run");
  state.SetBytesProcessed(int64_t(state.iterations() * Data().bytes));
}

const char* const kPatterns[] = {"handler_[0-9]+", "while \\(value", "0x[0-9A-F]+", "count\\+\\+;.*odd",
                                 "^}$"};
constexpr size_t kPatternCount = sizeof kPatterns / sizeof kPatterns[0];

// The matching lines of each pattern in the loaded buffer.
std::vector<long> CountMatches(const CEditTextBuffer& b) {
  std::vector<long> counts;
  for (const char* pat : kPatterns) {
    CEditRegExp re;
    re.Compile(pat);
    long n = 0;
    for (const CEditLine* p = b.FirstLine(); p; p = p->m_pNext)
      if (re.Exec(std::string_view(p->m_text.data(), size_t(b.ContentLength(p)))) >= 0) ++n;
    counts.push_back(n);
  }
  return counts;
}

// Ours, counted once outside any timing, for the peer to be compared with.
const std::vector<long>& OurCounts() {
  static const std::vector<long> counts = [] {
    CEditTextBuffer b;
    b.LoadFile(Data().file);
    return CountMatches(b);
  }();
  return counts;
}

void BM_RegexSearch(benchmark::State& state) {
  CEditTextBuffer b;
  b.LoadFile(Data().file);
  std::vector<long> counts;
  for (auto _ : state) counts = CountMatches(b);
  long hits = 0;
  for (long n : counts) hits += n;
  state.counters["matching_lines"] = double(hits);
}

// The file with LF line ends: a line's text as the editor holds it is then
// what grep matches against (with CR LF, grep sees the CR as part of the
// line and "^}$" matches none).
const std::string& LfFile() {
  static const std::string path = [] {
    const std::string lf = Data().dir + "/big_lf.c";
    std::ifstream in(Data().file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
      if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    std::ofstream(lf, std::ios::binary) << out;
    return lf;
  }();
  return path;
}

// grep -c writes each count to a file: told to write to /dev/null, GNU grep
// stops at the first match, which would time a fraction of the work.
void BM_Peer_GrepCount(benchmark::State& state) {
  const std::string& file = LfFile();
  std::vector<std::string> countFiles;
  for (size_t i = 0; i < kPatternCount; ++i) countFiles.push_back(Data().dir + "/count" + std::to_string(i) + ".txt");
  for (auto _ : state) {
    for (size_t i = 0; i < kPatternCount; ++i) {
      // Exit status 1: no line matched, which the count says.
      std::string cmd = std::string("grep -c -E '") + kPatterns[i] + "' " + file + " > " + countFiles[i];
      if (std::system(cmd.c_str()) == -1) state.SkipWithError("grep did not run");
    }
  }
  std::vector<long> counts;
  for (const std::string& f : countFiles) {
    long n = -1;
    std::ifstream(f) >> n;
    counts.push_back(n);
  }
  std::string ours, peer;
  for (size_t i = 0; i < kPatternCount; ++i) {
    ours += std::string(kPatterns[i]) + "=" + std::to_string(OurCounts()[i]) + " ";
    peer += std::string(kPatterns[i]) + "=" + std::to_string(counts[i]) + " ";
  }
  bench::SameResult(state, "matching lines per pattern: ours " + ours + "grep " + peer, OurCounts(), counts);
}

constexpr int kColourLines = 200000;

// The first kColourLines lines of the file, in our buffer and as the
// peer's document.
struct ColourSetup {
  SettingsStore store{Data().dir + "/settings"};
  IniFiles ini;
  CEditTextBuffer buf{EditEnvironment{&store, &ini, nullptr, nullptr, {}}};
  std::string text;
  ColourSetup() {
    const char* s = "Editor\\C Files";
    store.WriteProfileInt(s, "Chroma", 1);
    store.WriteProfileInt(s, "Case", 1);
    store.WriteProfileString(s, "Comment Start 1", "//");
    store.WriteProfileString(s, "Comment Start 2", "/*");
    store.WriteProfileString(s, "Comment End 2", "*/");
    store.WriteProfileString(s, "Keywords", Data().keywords.c_str());
    buf.SetProfileSection(s);
    buf.LoadSettings();
    CEditTextBuffer whole;
    whole.LoadFile(Data().file);
    int n = 0;
    for (const CEditLine* p = whole.FirstLine(); p && n < kColourLines; p = p->m_pNext, ++n)
      text.append(p->Text(), size_t(whole.ContentLength(p))).append("\r\n");
    buf.LoadFromBytes(text);
  }
};

void BM_ColourLines(benchmark::State& state) {
  ColourSetup setup;
  for (auto _ : state) {
    int carry = kCarryNone;
    for (const CEditLine* p = setup.buf.FirstLine(); p; p = p->m_pNext)
      benchmark::DoNotOptimize(ColourLine(setup.buf, p, &carry).cells.data());
  }
  state.counters["lines"] = double(setup.buf.GetLineCount());
}

void BM_Peer_QSyntaxHighlighter(benchmark::State& state) {
  ColourSetup setup;
  QTextDocument doc;
  doc.setPlainText(QString::fromLatin1(setup.text.data(), qsizetype(setup.text.size())));
  bench::CHighlighter highlighter(nullptr, {"int", "unsigned", "static", "while", "if", "return"});
  highlighter.setDocument(&doc);
  for (auto _ : state) highlighter.rehighlight();  // every block, at once
  state.counters["lines"] = double(doc.blockCount());
}

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Peer_Cat)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Peer_CpSync)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RegexSearch)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Peer_GrepCount)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ColourLines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Peer_QSyntaxHighlighter)->Unit(benchmark::kMillisecond)->Iterations(3);

void PrintRatios(const bench::TimesReporter& times) {
  struct Row {
    const char* what;
    const char* ours;
    const char* peer;
    const char* peerName;
    double goal;
  };
  // Loading builds every line, which reading the bytes does not: the goal
  // is on what the user waits for, at most 20 ms a megabyte (a second for
  // the 50 MB file), with the ratio to cat told.
  const double mb = double(Data().bytes) / double(1 << 20);
  bench::PrintAgainstBaseline("load the file (" + std::to_string(int(mb + 0.5)) + " MB)", times.Time("BM_Load"), "cat",
                              times.Time("BM_Peer_Cat"), 20.0 * mb);
  const Row rows[] = {
      {"save the file", "BM_Save", "BM_Peer_CpSync", "cp and sync", 3.0},
      {"regular-expression search", "BM_RegexSearch", "BM_Peer_GrepCount", "grep -c", 3.0},
      {"colour 200,000 lines", "BM_ColourLines", "BM_Peer_QSyntaxHighlighter", "QSyntaxHighlighter", 1.0},
  };
  for (const Row& r : rows) bench::PrintRatio(r.what, times.Time(r.ours), r.peerName, times.Time(r.peer), r.goal);
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // The peer's document needs a GUI application (without a screen).
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  return pm2::bench::RunAndReport(argc, argv, pm2::PrintRatios);
}
