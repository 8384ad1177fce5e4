// Splits one Windows-style command line into arguments, as the programs of
// the original platform receive them: blanks and tabs separate arguments,
// double quotes group, 2n backslashes before a quote give n backslashes and
// an open/close quote, 2n+1 give n backslashes and a literal quote, and
// backslashes elsewhere are literal. A doubled quote inside a quoted part
// is one literal quote.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

struct CommandLineArg {
  std::string text;   // the argument after unquoting
  size_t offset = 0;  // where it begins in the raw command line
};

std::vector<CommandLineArg> SplitCommandLineArgs(std::string_view line);
std::vector<std::string> SplitCommandLine(std::string_view line);

// Quotes one argument so that SplitCommandLine gives it back unchanged.
std::string QuoteCommandLineArg(std::string_view arg);

}  // namespace pm2
