// The options block of an annotated file of 10,000 options against a
// hand-written scanner of the kind a programmer would write for it (comment
// lines picked by their leader, then identifiers with a keyword look-up,
// numbers converted, strings and the three signs): our lexer over the same
// text (goal: at most 1.5 times the time), and the whole parse (comment
// filter, tokens, grammar, ID resolution) beside it, for scale.
#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <unordered_map>

#include "editor/wizard/options_lexer.h"
#include "editor/wizard/options_parser.h"
#include "bench_peer.h"

namespace {

constexpr int kOptions = 10000;

const std::string& AnnotatedFile() {
  static const std::string text = [] {
    std::string out = "@ generated startup file\n;; PELMORA_OPTIONS_BLOCK { ID = root NAME = \"Startup\"\n";
    for (int i = 0; i < kOptions; ++i) {
      const std::string n = std::to_string(i);
      if (i % 100 == 0) out += ";; FOLDER { ID = f" + n + " NAME = \"Folder " + n + "\" STYLE = EXPAND\n";
      out += ";;   OPTION { ID = o" + n + " NAME = \"Option " + n + "\" HELP = \"what it does\"\n";
      out += ";;            TYPE = HEXADECIMAL DEFAULT = 0x" + std::to_string(100 + i) + " MIN = 0 MAX = 0xFFFF";
      out += i % 100 ? " ENABLEDBY = o" + std::to_string(i - 1) : std::string();
      out += " KEY = \"Sym" + n + "\" }\n";
      if (i % 100 == 99) out += ";; }\n";
      out += "        .equ Sym" + n + ", 0x" + std::to_string(100 + i) + "\n";
    }
    return out + ";; }\n";
  }();
  return text;
}

// The peer: one pass over the lines, a token at a time.
size_t HandScan(const std::string& text) {
  static const std::unordered_map<std::string, int> keywords = [] {
    std::unordered_map<std::string, int> k;
    const char* words[] = {"PELMORA_OPTIONS_BLOCK", "ID", "NAME", "OPTION", "HELP", "DEFAULT", "TYPE",
                           "FILE", "STYLE", "READONLY", "KEY", "TEXT", "DISABLED", "FOLDER", "DECIMAL",
                           "MIN", "MAX", "HIDEVALUE", "SELECTION", "ITEMS", "ITEM", "ENTRY", "VALUE",
                           "BOOL", "ENABLEDBY", "EXPAND", "HEXADECIMAL"};
    for (int i = 0; i < int(std::size(words)); ++i) k.emplace(words[i], 261 + i);
    return k;
  }();
  size_t count = 0;
  std::string word;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* eol = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
    if (!eol) eol = end;
    if (eol - p >= 2 && p[0] == ';' && p[1] == ';') {
      for (const char* c = p + 2; c < eol;) {
        const unsigned char ch = static_cast<unsigned char>(*c);
        if (std::isspace(ch)) {
          ++c;
        } else if (std::isalpha(ch) || ch == '_') {
          const char* s = c;
          while (c < eol && (std::isalnum(static_cast<unsigned char>(*c)) || *c == '_')) ++c;
          word.assign(s, c);
          count += keywords.count(word) ? 2 : 1;
        } else if (std::isdigit(ch)) {
          char* stop = nullptr;
          benchmark::DoNotOptimize(std::strtoul(c, &stop, 0));
          ++count;
          c = stop;
        } else if (ch == '"') {
          const char* s = ++c;
          while (c < eol && *c != '"') ++c;
          word.assign(s, c);
          ++count;
          if (c < eol) ++c;
        } else {
          ++count;
          ++c;
        }
      }
    }
    p = eol + 1;
  }
  return count;
}

void BM_HandWrittenScanner(benchmark::State& state) {
  const std::string& text = AnnotatedFile();
  for (auto _ : state) benchmark::DoNotOptimize(HandScan(text));
  state.counters["options/s"] = benchmark::Counter(double(kOptions) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_OptionsLexer(benchmark::State& state) {
  const std::string& text = AnnotatedFile();
  for (auto _ : state) {
    pm2::OptionsLexer lexer(text, nullptr);
    size_t count = 0;
    while (lexer.Next() != pm2::kTokEnd) ++count;
    benchmark::DoNotOptimize(count);
  }
  state.counters["options/s"] = benchmark::Counter(double(kOptions) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_ParseOptionsBlock(benchmark::State& state) {
  const std::string& text = AnnotatedFile();
  for (auto _ : state) {
    pm2::OptionsIdMap map;
    pm2::COptionNode* root = pm2::LoadOptionsText(map, text, false);
    if (!root || !map.Reports().empty()) state.SkipWithError("the generated block does not parse");
    benchmark::DoNotOptimize(root);
  }
  state.counters["options/s"] = benchmark::Counter(double(kOptions) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_HandWrittenScanner)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptionsLexer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseOptionsBlock)->Unit(benchmark::kMillisecond);

void PrintRatios(const pm2::bench::TimesReporter& times) {
  const double hand = times.Time("BM_HandWrittenScanner");
  pm2::bench::PrintRatio("options block tokens (10,000 options)", times.Time("BM_OptionsLexer"),
                         "hand-written scanner", hand, 1.5);
  const double parse = times.Time("BM_ParseOptionsBlock");
  if (parse > 0 && hand > 0)
    std::printf("whole parse (filter, tokens, grammar, IDs) / hand-written scanner: %.2fx the time (for scale, no "
                "goal)\n",
                parse / hand);
}

}  // namespace

int main(int argc, char** argv) {
  return pm2::bench::RunAndReport(argc, argv, PrintRatios);
}
