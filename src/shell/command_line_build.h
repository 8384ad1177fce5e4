// The program's command line and the build it asks for, without a window:
//   pelmora2 -b|-r [-t target] [-o file] [-p] project.pm2
// opens the project, builds (-b) or rebuilds (-r) the current target or the
// one -t names, prints every output line to standard output and to the -o
// file, writes the HTML build log "<output>.plg", and ends with status 0
// when the target was created without errors, 1 otherwise, 2 for a usage
// error (with the usage text).
//
// The options follow the IDE's own parse: after '-' one letter counts, in
// either case; "d", "p", "o" and "t" take the next word (with or without
// blanks before it); a word in double quotes may hold blanks; words are cut
// to 260 characters; a bare word names the project.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace pm2 {

inline constexpr std::size_t kCommandWordMax = 260;

struct CommandLineArgs {
  std::string project;  // m_szProjectArg
  std::string target;   // m_szTargetArg
  std::string output;   // m_szOutputArg
  bool build = false;   // -b (state bit 0x40)
  bool rebuild = false; // -r (0x20)
  bool debug = false;   // -d (0x10)
  bool channel = false; // -x or -y (0x100)
  bool mirror = false;  // -x
  bool help = false;    // -h, -? or --help (this program's own)
};

// Copies one word (at most 260 characters kept) and returns how many
// characters it consumed, quotes included.
std::size_t ReadCommandLineWord(std::string_view text, std::string* word);

// Parses the whole command line as one text.
CommandLineArgs ParseCommandLine(std::string_view text);

// argv[1..] joined into one text, words with blanks quoted.
std::string JoinArguments(int argc, char** argv);

// The line without its leading bytes 249 to 255 (the output pane's own
// control bytes): what the terminal and the -o file get.
std::string_view StripPaneControlBytes(std::string_view line);

extern const char kUsageText[];

// Runs the command-line build; programPath is the running program (the
// installation paths are taken from it). Output lines go to out.
// `built`, when given, is called with the exit status once the build has
// ended and its log and output copy are closed, before the build's records
// are freed: a program that ends there spares freeing what it no longer
// needs (for a large project a good part of a no-op build).
int RunCommandLine(const CommandLineArgs& args, const std::string& programPath, std::FILE* out,
                   std::FILE* err, const std::function<void(int status)>& built = nullptr);

}  // namespace pm2
