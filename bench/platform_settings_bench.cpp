// Loading a settings file of 100,000 keys (each with a value) and one key
// of 100,000 values, and looking every one up, against a peer that splits
// the same lines into a std::map keyed by the lower-cased path; prints both
// times and the ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include "platform/ascii_case.h"
#include "platform/settings_store.h"
#include "bench_peer.h"

namespace {

using namespace pm2;

constexpr int kEntries = 100000;

const std::string& SettingsText() {
  static const std::string text = [] {
    std::string t = "; Pelmora2 settings 1\n[Many]\n";
    for (int i = 0; i < kEntries; ++i) t += "Value" + std::to_string(i) + "=d:" + std::to_string(i) + "\n";
    for (int i = 0; i < kEntries; ++i) t += "[Keys\\K" + std::to_string(i) + "]\nv=s:x\n";
    return t;
  }();
  return text;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

void BM_MapPeer(benchmark::State& state) {
  const std::string& text = SettingsText();
  for (auto _ : state) {
    std::map<std::string, std::string> values;
    std::string key;
    size_t pos = 0;
    while (pos < text.size()) {
      size_t lf = text.find('\n', pos);
      std::string_view line(text.data() + pos, lf - pos);
      pos = lf + 1;
      if (line.empty() || line[0] == ';') continue;
      if (line[0] == '[') {
        key = Lower(line.substr(1, line.size() - 2));
        continue;
      }
      const size_t eq = line.find('=');
      values[key + "\\" + Lower(line.substr(0, eq))] = std::string(line.substr(eq + 1));
    }
    size_t found = 0;
    for (int i = 0; i < kEntries; ++i) found += values.count("keys\\k" + std::to_string(i) + "\\v");
    benchmark::DoNotOptimize(found);
  }
}

void BM_SettingsStore(benchmark::State& state) {
  const std::string& text = SettingsText();
  for (auto _ : state) {
    SettingsStore store("unused");
    store.Parse(text, "settings.ini");
    size_t found = 0;
    std::string out;
    for (int i = 0; i < kEntries; ++i) found += store.GetString("Keys\\K" + std::to_string(i), "v", &out);
    benchmark::DoNotOptimize(found);
  }
}

BENCHMARK(BM_MapPeer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettingsStore)->Unit(benchmark::kMillisecond);

void PrintRatios(const pm2::bench::TimesReporter& times) {
  const double peer = times.Time("BM_MapPeer"), store = times.Time("BM_SettingsStore");
  pm2::bench::PrintRatio("200,000 settings loaded and looked up", store, "std::map of the same lines", peer, 3.0);
}

}  // namespace

int main(int argc, char** argv) {
  return pm2::bench::RunAndReport(argc, argv, PrintRatios);
}
