#include "builder/commands/key_sequences.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "builder/commands/command_context.h"
#include "builder/commands/command_lists.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"

namespace pm2 {

namespace {

constexpr std::string_view kPrefixes = "#$%@^~";
constexpr std::string_view kAnyPrefixLetters = "EFHLPX";
constexpr std::string_view kPercentLetters = "CIQRUV";

// Cut position after the folder part (after the last '\', '/' or ':').
std::size_t FolderEnd(std::string_view path) {
  std::size_t p = path.find_last_of("\\/:");
  return p == std::string_view::npos ? 0 : p + 1;
}

// The output path of the target: folder (".\" taken against the project
// folder) and name; nothing without a target or an output folder.
std::optional<std::string> OutputPath(const KeySequenceSources& s) {
  if (!s.targetOptions || !s.project || s.targetOptions->out.OUTDIR.empty()) return std::nullopt;
  std::string folder = s.targetOptions->out.OUTDIR.str();
  if (folder.size() >= 2 && folder[0] == '.' && (folder[1] == '\\' || folder[1] == '/'))
    folder = s.project->folder.str() + folder.substr(2);
  return folder + s.targetOptions->out.OUTNAME.str();
}

uint32_t TargetClock(const KeySequenceSources& s) {
  const OptionBlock& b = *s.targetOptions;
  switch (s.target ? int{s.target->toolset} : -1) {
    case kToolset51: return b.t51.clock;
    case kToolset251: return b.t251.clock;
    case kToolset166: return b.t166.clock;
    case kToolsetArmGnu: return b.tGnu.clock;
    case kToolsetArmAds: return b.tAds.clock;
    default: return 0;
  }
}

// Appends text while out stays within the limit; false when cut.
bool AppendLimited(std::string& out, std::string_view text) {
  if (out.size() + text.size() <= kExpandLimit) {
    out += text;
    return true;
  }
  out += text.substr(0, kExpandLimit - std::min(out.size(), kExpandLimit));
  return false;
}

using FileSource = std::function<std::optional<FilePosition>()>;

std::optional<FilePosition> Ask(const FileSource& source) {
  return source ? source() : std::nullopt;
}

// The extension of the hex file the build writes: the ARM toolsets' steps
// write ".hex" (the name is looked up with its case on this system).
const char* HexExtension(int toolset) {
  struct Row {
    int toolset;
    const char* extension;
  };
  static constexpr Row kRows[] = {{kToolset166, "H86"}, {kToolsetArmGnu, "hex"}, {kToolsetArmAds, "hex"}};
  for (const Row& r : kRows)
    if (r.toolset == toolset) return r.extension;
  return "HEX";
}

}  // namespace

// Six digits of remainder: a bare "%d.%d" would show 11059200 Hz as
// "11.59200", which reads as 11.592 MHz.
std::string FormatClockMHz(uint32_t hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%06u", hz / 1000000u, hz % 1000000u);
  return text;
}

int ClassifyKeySequence(std::string_view text) {
  if (text.size() < 2) return kKeySeqOrdinary;
  const char prefix = text[0];
  if (kPrefixes.find(prefix) == std::string_view::npos) return kKeySeqOrdinary;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
  if (text[1] == prefix) return kKeySeqDoubled;
  if (prefix == '$' && letter == 'D') return kKeySeqDevice;
  if (prefix == '$' && letter == 'X') return kKeySeqClock;
  if (kAnyPrefixLetters.find(letter) != std::string_view::npos) return prefix;
  if (prefix == '%' && kPercentLetters.find(letter) != std::string_view::npos) return prefix;
  return kKeySeqOrdinary;
}

ExpandResult ExpandKeySequence(const KeySequenceSources& src, char prefix, char letter,
                               std::string& out) {
  const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  // Texts the '%' prefix copies as they stand.
  const struct {
    char letter;
    const std::string KeySequenceSources::*text;
  } kCopied[] = {{'C', &KeySequenceSources::sccComment}, {'R', &KeySequenceSources::sccSecond},
                 {'Q', &KeySequenceSources::sccTempFile}, {'U', &KeySequenceSources::sccsText1},
                 {'V', &KeySequenceSources::sccsText2}};
  for (const auto& row : kCopied)
    if (row.letter == up) return AppendLimited(out, src.*row.text) ? kExpandDone : kExpandFull;
  // The project identifier is copied as it stands; an unset one is empty.
  if (up == 'I') {
    if (!src.targetOptions) return kExpandFailed;
    return AppendLimited(out, src.targetOptions->lst.SVCSID.view()) ? kExpandDone : kExpandFull;
  }

  std::string path;
  int line = 0, column = 0;
  switch (up) {
    case 'E':
    case 'F': {
      auto pos = Ask(up == 'E' ? src.activeEditorFile : src.fileToTranslate);
      if (!pos) return kExpandFailed;
      path = pos->path;
      line = pos->line;
      column = pos->column;
      break;
    }
    case 'P':
      if (!src.project) return kExpandFailed;
      path = src.project->folder.str() + src.project->name.str() + ".pm2";
      break;
    case 'L':
    case 'H': {
      auto output = OutputPath(src);
      if (!output) return kExpandFailed;
      path = *output;
      if (up == 'H' && prefix != '$') ChangeFileExt(path, HexExtension(src.target ? src.target->toolset : -1));
      break;
    }
    case 'X':
      path = src.executable;
      break;
    default:
      return kExpandFailed;
  }

  std::string piece;
  switch (prefix) {
    case '#': piece = path; break;
    case '$': piece = path.substr(0, FolderEnd(path)); break;
    case '%': piece = path.substr(FolderEnd(path)); break;
    case '@':
      piece = path.substr(FolderEnd(path));
      ChangeFileExt(piece, "");
      break;
    case '^': piece = std::to_string(line); break;
    case '~': piece = std::to_string(column); break;
    default: return kExpandFailed;
  }
  return AppendLimited(out, piece) ? kExpandDone : kExpandFull;
}

ExpandResult ExpandToolArguments(const KeySequenceSources& src, std::string_view text,
                                 std::string& out, std::string* failedSequence) {
  out.clear();
  if (failedSequence) failedSequence->clear();
  std::size_t i = 0;
  while (i < text.size()) {
    if (out.size() >= kExpandLimit) return kExpandFull;
    const int kind = ClassifyKeySequence(text.substr(i));
    if (kind == kKeySeqOrdinary) {
      out += text[i++];
      continue;
    }
    ExpandResult r = kExpandDone;
    if (kind == kKeySeqDoubled) {
      out += text[i];
    } else if (kind == kKeySeqDevice) {
      r = AppendLimited(out, src.target ? src.target->DEVICE.view() : std::string_view()) ? kExpandDone
                                                                                        : kExpandFull;
    } else if (kind == kKeySeqClock) {
      if (src.targetOptions)
        r = AppendLimited(out, FormatClockMHz(TargetClock(src))) ? kExpandDone : kExpandFull;
    } else {
      r = ExpandKeySequence(src, text[i], text[i + 1], out);
    }
    if (r == kExpandFailed && failedSequence) *failedSequence = text.substr(i, 2);
    if (r != kExpandDone) return r;
    i += 2;
  }
  return out.size() >= kExpandLimit ? kExpandFull : kExpandDone;
}

std::string ExpandFailureText(ExpandResult result, std::string_view failedSequence) {
  if (result == kExpandFull)
    return "the filled-in text is longer than " + std::to_string(kExpandLimit) + " characters";
  // What each letter needs that was missing.
  struct Row {
    char letter;
    const char* lack;
  };
  static constexpr Row kRows[] = {
      {'E', "no file is open in an editor"},
      {'F', "no file is selected in the project window or open in an editor"},
      {'P', "no project is open"},
      {'L', "the current target has no output folder"},
      {'H', "the current target has no output folder"},
      {'I', "no target is current"},
  };
  const char letter = failedSequence.size() >= 2
                          ? static_cast<char>(std::toupper(static_cast<unsigned char>(failedSequence[1])))
                          : '\0';
  const char* lack = "nothing to fill it with";
  for (const Row& row : kRows)
    if (row.letter == letter) lack = row.lack;
  return "key sequence '" + std::string(failedSequence) + "' cannot be filled: " + lack;
}

int MakeLintDefineArgs(CommandContext& ctx, FileRec* file, TargetRec* target, char* buffer,
                       std::size_t size, std::string* firstDropped) {
  if (firstDropped) firstDropped->clear();
  if (size > 0) buffer[0] = '\0';
  if (!file || !target || size == 0) return 0;
  if ((target->flags & kTargetDeleted) || (file->flags & kFileRemoved)) return 0;
  if (file->group && (file->group->flags & kGroupDeleted)) return 0;

  struct CompilerLists {
    int toolset;
    ListText defines, undefines;
  };
  static const CompilerLists kLists[] = {
      {kToolset51, [](const OptionBlock& b) { return b.q51.Q51DEF; }, [](const OptionBlock& b) { return b.q51.Q51UDF; }},
      {kToolset251, [](const OptionBlock& b) { return b.q251.Q251DEF; }, [](const OptionBlock& b) { return b.q251.Q251UDF; }},
      {kToolset166, [](const OptionBlock& b) { return b.q166.DEFINE; }, [](const OptionBlock& b) { return b.q166.UNDEFINE; }},
      {kToolsetArmGnu, [](const OptionBlock& b) { return b.cGnu.ACDEFN; }, [](const OptionBlock& b) { return b.cGnu.ACUDEF; }},
      {kToolsetArmAds, [](const OptionBlock& b) { return b.cAds.ADSCDEFN; }, [](const OptionBlock& b) { return b.cAds.ADSCUDEF; }},
  };
  ctx.SetCommandContext(file, target);
  DefineList list;
  for (const CompilerLists& row : kLists)
    if (row.toolset == target->toolset) MergeDefineLevels(ctx, row.defines, row.undefines, list);

  std::size_t length = 0;
  if (firstDropped && list.full) *firstDropped = list.firstDropped;
  for (int i = 0; i < list.count; ++i) {
    const DefineEntry& e = list.entries[i];
    if (e.removed) continue;
    // Quoted as the compiler gets it: a value with a blank stays one argument.
    std::string arg = (length ? " " : "") + DefineArgument("-d", list.Name(e), list.Value(e));
    if (length + arg.size() >= size) {
      if (firstDropped && firstDropped->empty()) firstDropped->assign(list.Name(e));
      continue;
    }
    std::memcpy(buffer + length, arg.data(), arg.size());
    length += arg.size();
  }
  buffer[length] = '\0';
  return static_cast<int>(length);
}

}  // namespace pm2
