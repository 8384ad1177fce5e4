// Parsing an annotated file of 10,000 options (comment filter, tokens,
// grammar, ID resolution) against tokenising the same text with std::regex
// (one pattern for comment lines, one for the tokens in them); prints the
// ratio of the two.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <regex>
#include <string>

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

void BM_RegexTokenise(benchmark::State& state) {
  const std::string& text = AnnotatedFile();
  static const std::regex line("^;;(.*)$", std::regex::multiline);
  static const std::regex token(R"([A-Za-z_]\w*|0[xX][0-9A-Fa-f]+|\d[0-9A-Fa-fHhLlUu]*|"[^"\n]*"|[={}])");
  for (auto _ : state) {
    size_t count = 0;
    for (std::sregex_iterator l(text.begin(), text.end(), line), end; l != end; ++l) {
      const auto& body = (*l)[1];
      for (std::sregex_iterator t(body.first, body.second, token); t != end; ++t) ++count;
    }
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

BENCHMARK(BM_RegexTokenise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseOptionsBlock)->Unit(benchmark::kMillisecond);

void PrintRatios(const pm2::bench::TimesReporter& times) {
  const double regex = times.Time("BM_RegexTokenise"), parse = times.Time("BM_ParseOptionsBlock");
  if (regex > 0 && parse > 0)
    std::printf("options block parse / std::regex tokenising: %.3fx the time (%.1fx faster)\n", parse / regex,
                regex / parse);
}

}  // namespace

int main(int argc, char** argv) {
  return pm2::bench::RunAndReport(argc, argv, PrintRatios);
}
