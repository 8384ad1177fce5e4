// The walk's own model of a search in an editor's text and of the marks a
// command toggles on a line, against which Find Next, Replace, Replace All
// and a bookmark or breakpoint toggled on the caret's line are judged
// (walk_outcomes.h): the matches are counted in the text as it stood
// before the button, never taken from the editor's answer, so a replace
// that skips a match or one that lands on the next line disagrees with it.
//
// The model searches as a user reads a plain search: the text typed, line
// by line (a match never spans a line end), left to right, a match taken
// and the search going on after it; without Match case, ASCII letters in
// either case match. A regular expression, a pattern with a line end and
// one with other bytes than ASCII searched without Match case are not
// judged.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace pm2::test {

// What the user asked the search for, as the dialog showed it.
struct FindAsked {
  std::string pattern, with;
  bool matchCase = false, regex = false, wrap = true;
};
// A place in the text: a 1-based line and a byte of its content.
struct TextAt {
  long line = 1, index = 0;
  bool operator==(const TextAt& o) const { return line == o.line && index == o.index; }
};

// Whether the model can judge the search.
inline bool FindJudgeable(const FindAsked& a) {
  if (a.pattern.empty() || a.regex || a.pattern.find_first_of("\r\n") != std::string::npos) return false;
  if (!a.matchCase)
    for (char c : a.pattern)
      if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// The text as lines: each line's content and the line end that follows it
// (CR LF, LF or CR; none after the last).
struct TextLine {
  std::string content, end;
};
inline std::vector<TextLine> SplitLines(const std::string& text) {
  std::vector<TextLine> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      lines.back().content += c;
      continue;
    }
    lines.back().end = (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? "\r\n" : std::string(1, c);
    if (lines.back().end.size() == 2) ++i;
    lines.emplace_back();
  }
  return lines;
}
inline std::string JoinLines(const std::vector<TextLine>& lines) {
  std::string out;
  for (const TextLine& l : lines) out += l.content + l.end;
  return out;
}

// The matches of a line's content, left to right, none overlapping.
inline std::vector<long> MatchesInLine(const std::string& content, const FindAsked& a) {
  const auto lower = [](std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
  };
  const std::string hay = a.matchCase ? content : lower(content), needle = a.matchCase ? a.pattern : lower(a.pattern);
  std::vector<long> out;
  for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + needle.size()))
    out.push_back(long(at));
  return out;
}
inline std::vector<TextAt> MatchesIn(const std::string& text, const FindAsked& a) {
  std::vector<TextAt> out;
  const std::vector<TextLine> lines = SplitLines(text);
  for (size_t n = 0; n < lines.size(); ++n)
    for (long at : MatchesInLine(lines[n].content, a)) out.push_back({long(n + 1), at});
  return out;
}
// The text with the matches `which` (places of MatchesIn) replaced.
inline std::string TextReplaced(const std::string& text, const FindAsked& a, const std::vector<TextAt>& which) {
  std::vector<TextLine> lines = SplitLines(text);
  // From the back, so that the places before stay where they are.
  std::vector<TextAt> order = which;
  std::sort(order.begin(), order.end(),
            [](const TextAt& x, const TextAt& y) { return x.line > y.line || (x.line == y.line && x.index > y.index); });
  for (const TextAt& m : order)
    if (m.line >= 1 && m.line <= long(lines.size()))
      lines[size_t(m.line - 1)].content.replace(size_t(m.index), a.pattern.size(), a.with);
  return JoinLines(lines);
}

inline std::string Quoted(const std::string& s) { return "'" + s + "'"; }
inline std::string Asked(const char* button, const FindAsked& a) {
  return std::string(button) + " with " + Quoted(a.pattern) + (a.with.empty() && button[0] == 'F' ? "" : " to " + Quoted(a.with)) +
         (a.matchCase ? " (match case)" : "");
}
// The first line two texts differ on, for a failure.
inline std::string LineDifference(const std::string& want, const std::string& got) {
  const std::vector<TextLine> w = SplitLines(want), g = SplitLines(got);
  for (size_t n = 0; n < std::max(w.size(), g.size()); ++n) {
    const std::string a = n < w.size() ? w[n].content + w[n].end : "<end>", b = n < g.size() ? g[n].content + g[n].end : "<end>";
    if (a != b) return "line " + std::to_string(n + 1) + " expected " + Quoted(a) + ", found " + Quoted(b);
  }
  return "(no line differs)";
}

// Replace All over `before` (read-only: nothing may change): every match
// the model counts replaced, and nothing else.
inline std::string JudgeReplaceAll(const std::string& before, const FindAsked& a, bool readOnly,
                                   const std::string& after) {
  if (!FindJudgeable(a)) return {};
  const std::vector<TextAt> matches = MatchesIn(before, a);
  const std::string expected = readOnly ? before : TextReplaced(before, a, matches);
  if (after == expected) return {};
  return Asked("Replace All", a) + " (" + std::to_string(matches.size()) + " matches in the text" +
         (readOnly ? ", read-only" : "") + ") did not replace exactly those: " + LineDifference(expected, after);
}

// Replace with the match at `selected` found and selected by Find Next:
// that match replaced, and nothing else.
inline std::string JudgeReplaceOne(const std::string& before, const FindAsked& a, TextAt selected, bool readOnly,
                                   const std::string& after) {
  if (!FindJudgeable(a)) return {};
  const std::string expected = readOnly ? before : TextReplaced(before, a, {selected});
  if (after == expected) return {};
  return Asked("Replace", a) + " with the match on line " + std::to_string(selected.line) + " at byte " +
         std::to_string(selected.index) + " selected did not replace that match alone: " +
         LineDifference(expected, after);
}

// Where Find Next finds the next match from `from` (the selection's end,
// else the caret), forwards: the first match at or after it, else (with
// Wrap around) the first of the text; `wrapped` tells which.
inline bool NextMatch(const std::string& text, const FindAsked& a, TextAt from, TextAt* found, bool* wrapped) {
  const std::vector<TextLine> lines = SplitLines(text);
  for (long n = std::max(1L, from.line); n <= long(lines.size()); ++n) {
    // On the line it begins on, the search begins at `from` itself (a
    // match that overlaps a match before it counts there).
    const std::string& content = lines[size_t(n - 1)].content;
    const long skip = n == from.line ? std::min(from.index, long(content.size())) : 0;
    const std::vector<long> at = MatchesInLine(content.substr(size_t(skip)), a);
    if (!at.empty()) {
      *found = {n, skip + at.front()};
      *wrapped = false;
      return true;
    }
  }
  const std::vector<TextAt> all = MatchesIn(text, a);
  if (!a.wrap || all.empty()) return false;
  *found = all.front();
  *wrapped = true;
  return true;
}
// Find Next from `from`: the selection after covers the next match. A
// match found only by wrapping around may end the pass instead (the
// search has come back to where it began): nothing selected is right then,
// unless `passBegins`: the first search of a dialog just opened begins a
// pass of its own, which has come back nowhere yet.
inline std::string JudgeFindNext(const std::string& text, const FindAsked& a, TextAt from, bool selected,
                                 TextAt selStart, TextAt selEnd, bool passBegins = false) {
  if (!FindJudgeable(a)) return {};
  TextAt want;
  bool wrapped = false;
  const std::string asked = Asked("Find Next", a) + " from line " + std::to_string(from.line) + " byte " +
                            std::to_string(from.index) +
                            (passBegins ? " (the first search in the dialog opened again)" : "");
  if (!NextMatch(text, a, from, &want, &wrapped)) {
    if (!selected) return {};
    return asked + " found no match in the model, and the editor selected line " + std::to_string(selStart.line) +
           " from byte " + std::to_string(selStart.index);
  }
  const TextAt wantEnd{want.line, want.index + long(a.pattern.size())};
  if (selected && selStart == want && selEnd == wantEnd) return {};
  if (!selected && wrapped && !passBegins) return {};
  return asked + " should select line " + std::to_string(want.line) + " bytes " + std::to_string(want.index) + ".." +
         std::to_string(wantEnd.index) +
         (selected ? ", and selected line " + std::to_string(selStart.line) + " bytes " + std::to_string(selStart.index) +
                         ".." + (selEnd.line == selStart.line ? "" : "line " + std::to_string(selEnd.line) + " ") +
                         std::to_string(selEnd.index)
                   : std::string(", and nothing is selected"));
}

// A pass of Find Next taken round the text, to the last match before
// where it began: the caret put at the start of the line after the first
// match's line (`line`), and Find Next pressed once for each match
// (`presses`), the last of them found by wrapping round. Closed and opened
// again there, the dialog's first Find Next begins a new pass: it selects
// the match after the one selected, where the pass before would have
// ended. None (line 0) where no match lies on both sides of that line.
struct PassRound {
  long line = 0;
  size_t presses = 0;
};
inline PassRound PassRoundFor(const std::string& text, const FindAsked& a) {
  if (!FindJudgeable(a) || !a.wrap) return {};
  const std::vector<TextAt> matches = MatchesIn(text, a);
  if (matches.size() < 2 || matches.back().line <= matches.front().line) return {};
  return {matches.front().line + 1, matches.size()};
}

// A mark (a bookmark, a breakpoint) toggled on line `line`: the lines
// marked after are those marked before with that line's mark turned over,
// no other. `refused`: the program said why it could not (nothing may
// change then).
inline std::string JudgeLineToggled(const std::string& what, long line, std::vector<long> before,
                                    std::vector<long> after, bool refused = false) {
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  std::vector<long> expected = before;
  if (const auto at = std::find(expected.begin(), expected.end(), line); at != expected.end())
    expected.erase(at);
  else
    expected.insert(std::upper_bound(expected.begin(), expected.end(), line), line);
  if (after == expected || (refused && after == before)) return {};
  const auto list = [](const std::vector<long>& v) {
    std::string s;
    for (long n : v) s += (s.empty() ? "" : ", ") + std::to_string(n);
    return s.empty() ? std::string("none") : s;
  };
  return what + " toggled on line " + std::to_string(line) + " (marked before: " + list(before) +
         ") left the lines marked " + list(after) + ", not " + list(expected);
}

}  // namespace pm2::test
