// Text engine benchmarks, each against a peer measured in the same run:
//  1. loading and saving a generated C file, against reading its bytes and
//     splitting the lines with memchr (memory per line reported too);
//  2. regular-expression search through the file, against GNU grep -c
//     run as a child process with the same patterns;
//  3. colouring every line, against only expanding the tabs of every line.
// The file size is PM2_BENCH_MB megabytes (default 50).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "editor/text/line_colours.h"
#include "editor/text/regexp.h"
#include "editor/text/text_buffer.h"
#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "bench_peer.h"

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

void BM_LoadSave(benchmark::State& state) {
  std::string out = Data().dir + "/out.c";
  size_t lines = 0;
  for (auto _ : state) {
    CEditTextBuffer b;
    if (b.LoadFile(Data().file) != 0) state.SkipWithError("load failed");
    lines = size_t(b.GetLineCount());
    if (b.SaveFile(out) != 0) state.SkipWithError("save failed");
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

void BM_Peer_ReadSplitMemchr(benchmark::State& state) {
  for (auto _ : state) {
    int fd = ::open(Data().file.c_str(), O_RDONLY);
    std::string data(Data().bytes, '\0');
    ssize_t got = ::read(fd, data.data(), data.size());
    ::close(fd);
    std::vector<std::pair<size_t, size_t>> lines;
    const char* p = data.data();
    const char* end = p + (got > 0 ? got : 0);
    while (p < end) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
      if (!nl) nl = end;
      lines.emplace_back(size_t(p - data.data()), size_t(nl - p));
      p = nl + 1;
    }
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations() * Data().bytes));
}

const char* const kPatterns[] = {"handler_[0-9]+", "while \\(value", "0x[0-9A-F]+", "count\\+\\+;.*odd",
                                 "^}$"};

void BM_RegexSearch(benchmark::State& state) {
  CEditTextBuffer b;
  b.LoadFile(Data().file);
  long hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (const char* pat : kPatterns) {
      CEditRegExp re;
      re.Compile(pat);
      for (const CEditLine* p = b.FirstLine(); p; p = p->m_pNext)
        if (re.Exec(std::string_view(p->m_text.data(), size_t(b.ContentLength(p)))) >= 0) ++hits;
    }
  }
  state.counters["matching_lines"] = double(hits);
}

void BM_Peer_GrepCount(benchmark::State& state) {
  for (auto _ : state) {
    for (const char* pat : kPatterns) {
      std::string cmd = std::string("grep -c -E '") + pat + "' " + Data().file + " >/dev/null";
      if (std::system(cmd.c_str()) == -1) state.SkipWithError("grep did not run");
    }
  }
}

struct ColourSetup {
  SettingsStore store{Data().dir + "/settings"};
  IniFiles ini;
  CEditTextBuffer buf{EditEnvironment{&store, &ini, nullptr, nullptr, {}}};
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
    buf.LoadFile(Data().file);
  }
};

void BM_ColourAllLines(benchmark::State& state) {
  ColourSetup setup;
  for (auto _ : state) {
    int carry = kCarryNone;
    for (const CEditLine* p = setup.buf.FirstLine(); p; p = p->m_pNext)
      benchmark::DoNotOptimize(ColourLine(setup.buf, p, &carry).cells.data());
  }
  state.counters["lines_per_second"] =
      benchmark::Counter(double(setup.buf.GetLineCount()) * double(state.iterations()),
                         benchmark::Counter::kIsRate);
}

void BM_Peer_ExpandTabsAllLines(benchmark::State& state) {
  ColourSetup setup;
  for (auto _ : state)
    for (const CEditLine* p = setup.buf.FirstLine(); p; p = p->m_pNext)
      benchmark::DoNotOptimize(
          setup.buf.ExpandTabs(p->Text(), setup.buf.ContentLength(p), 2).data());
  state.counters["lines_per_second"] =
      benchmark::Counter(double(setup.buf.GetLineCount()) * double(state.iterations()),
                         benchmark::Counter::kIsRate);
}

BENCHMARK(BM_LoadSave)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Peer_ReadSplitMemchr)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RegexSearch)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Peer_GrepCount)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ColourAllLines)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Peer_ExpandTabsAllLines)->Unit(benchmark::kMillisecond)->Iterations(1);

void PrintRatios(const bench::TimesReporter& times) {
  const char* pairs[][4] = {{"load and save", "BM_LoadSave", "read and memchr split", "BM_Peer_ReadSplitMemchr"},
                            {"regular-expression search", "BM_RegexSearch", "grep -c", "BM_Peer_GrepCount"},
                            {"colour every line", "BM_ColourAllLines", "expand tabs of every line",
                             "BM_Peer_ExpandTabsAllLines"}};
  for (auto& p : pairs) bench::PrintRatio(p[0], times.Time(p[1]), p[2], times.Time(p[3]), 3.0);
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  return pm2::bench::RunAndReport(argc, argv, pm2::PrintRatios);
}
