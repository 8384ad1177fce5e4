#include "debugger/model/disasm_find.h"

#include <algorithm>
#include <cctype>

namespace pm2 {

namespace {

constexpr uint16_t kMapExecute = 0x1;

bool WordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string Upper(std::string s) {
  for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool Ends(const DisasmLine& l) { return l.kind == kDisasmRequest || l.kind == kDisasmEnd; }

bool Within(const MapRun& r, uint32_t address) { return address >= r.start && address <= r.end; }

// One search's walk through the ranges.
class FindWalk {
 public:
  FindWalk(DisasmSource& source, int* lines) : m_source(source), m_lines(lines) {}

  // The first line of a range: the line at its start, and the lines of
  // that address before it (a source line before its first instruction).
  DisasmLine First(const MapRun& r) {
    m_source.Request(r.start);
    DisasmLine l{};
    m_source.Next(l);
    ++*m_lines;
    if (Ends(l)) return l;
    for (DisasmLine before = l; *m_lines < kDisasmFindMaxLines; l = before) {
      m_source.Prev(before);
      ++*m_lines;
      if (Ends(before) || !Within(r, before.address) || before.address > l.address) break;
    }
    return l;
  }
  // The last line of a range: its lines walked from the first.
  DisasmLine Last(const MapRun& r) {
    DisasmLine l = First(r);
    if (Ends(l)) return l;
    for (DisasmLine next = l; *m_lines < kDisasmFindMaxLines; l = next) {
      m_source.Next(next);
      ++*m_lines;
      if (Ends(next) || !Within(r, next.address)) break;
    }
    return l;
  }

 private:
  DisasmSource& m_source;
  int* m_lines;
};

}  // namespace

bool DisasmTextMatches(const std::string& lineText, const DisasmFindText& what) {
  if (what.text.empty()) return false;
  const std::string text = what.matchCase ? lineText : Upper(lineText);
  const std::string needle = what.matchCase ? what.text : Upper(what.text);
  for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
    const bool before = at > 0 && WordChar(text[at - 1]);
    const bool after = at + needle.size() < text.size() && WordChar(text[at + needle.size()]);
    if (!what.wholeWord || (!before && !after)) return true;
  }
  return false;
}

DisasmFindEnd FindInListing(DisasmSource& source, const DisasmLine& origin, const std::vector<MapRun>& code,
                            uint32_t start, const DisasmFindText& what, const DisasmFindHooks& hooks, DisasmLine* hit) {
  // Without a memory map the listing from the start is one range.
  const std::vector<MapRun> ranges = code.empty() ? std::vector<MapRun>{MapRun{start, 0xFFFFFFFFu, kMapExecute}} : code;
  const int n = int(ranges.size());
  const bool down = what.down;
  int lines = 0;
  FindWalk walk(source, &lines);
  // The range the cursor line lies in; outside all of them the walk first
  // moves to the next range in the search's direction.
  int index = -1;
  for (int i = 0; i < n && index < 0; ++i)
    if (Within(ranges[std::size_t(i)], origin.address)) index = i;
  bool jump = index < 0 || Ends(origin);
  if (index < 0) {
    // The index before the next range down (or after the next range up).
    int above = 0;
    while (above < n && ranges[std::size_t(above)].start <= origin.address) ++above;
    index = down ? above - 1 : above;
  }
  int rangeLines = 0;  // lines read in the current range
  bool wrapped = false;
  DisasmLine line = origin;
  for (;;) {
    if (!jump) {
      if (down)
        source.Next(line);
      else
        source.Prev(line);
      ++lines;
      ++rangeLines;
      const MapRun& r = ranges[std::size_t(index)];
      jump = Ends(line) || !Within(r, line.address) || rangeLines >= kDisasmFindMaxLines;
    }
    if (jump) {
      index += down ? 1 : -1;
      if (index < 0 || index >= n) {
        if (wrapped) {
          if (hooks.message) hooks.message("String not found.");
          return DisasmFindEnd::NotFound;
        }
        const char* question = down ? "String not found - Continue search from the top?"
                                    : "String not found - Continue search from the bottom?";
        if (!hooks.ask || !hooks.ask(question)) return DisasmFindEnd::Stopped;
        wrapped = true;
        index = down ? 0 : n - 1;
      }
      line = down ? walk.First(ranges[std::size_t(index)]) : walk.Last(ranges[std::size_t(index)]);
      rangeLines = 0;
      if (Ends(line)) continue;  // a range without lines: the next one
      jump = false;
    }
    // Back where it started (or past it: a cursor outside the program's code).
    if (wrapped && ((hooks.compare && hooks.compare(line, origin) == 0) ||
                    (down ? line.address > origin.address : line.address < origin.address))) {
      if (hooks.message) hooks.message("String not found.");
      return DisasmFindEnd::NotFound;
    }
    if (hooks.tick && !hooks.tick(line.address)) return DisasmFindEnd::Cancelled;
    if (DisasmTextMatches(source.Text(line), what)) {
      *hit = line;
      return DisasmFindEnd::Found;
    }
  }
}

std::vector<MapRun> ProgramCodeRuns(int family, int variant,
                                    const std::function<const uint16_t*(uint32_t, uint32_t*)>& space) {
  std::vector<MapRun> runs;
  for (const MapSpace& s : MapSpaces(family, variant)) {
    uint32_t count = 0;
    const uint16_t* attrs = space(s.base, &count);
    if (!attrs) continue;
    for (const MapRun& r : WalkMapRuns(attrs, std::min(count, s.cells), s.base)) {
      if (!(r.attr & kMapExecute)) continue;
      if (!runs.empty() && uint64_t(runs.back().end) + 1 >= r.start && r.start >= runs.back().start)
        runs.back().end = std::max(runs.back().end, r.end);
      else
        runs.push_back(MapRun{r.start, r.end, kMapExecute});
    }
  }
  std::sort(runs.begin(), runs.end(), [](const MapRun& a, const MapRun& b) { return a.start < b.start; });
  return runs;
}

}  // namespace pm2
