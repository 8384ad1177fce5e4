// Messages that are the program's right answer to the road before them,
// judged by the state they speak of rather than by a list of texts: a
// message that says a file is missing ("Error: .../walk3.elf: No such file
// or directory. Debugger aborted !" after a build stopped before its link,
// "program file '...' not found; build the target first", a file the road
// deleted) is right when a file it names is indeed missing, and a fault
// when every file it names is there. The judgement is the same at any load:
// it looks at the disk, not at how far a build got by the time the walk
// looked.
#pragma once

#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "walk_answers.h"

namespace pm2::test {

// A message that says something failed: named in the walk's failure
// unless the road asked for it. The walk's answers ask for some on
// purpose: these, with why.
inline bool SaysItFailed(const std::string& text) {
  std::string low;
  for (char c : text) low += char(std::tolower(static_cast<unsigned char>(c)));
  // A refusal that gives the state as its reason ("No project is
  // selected: ... cannot be shown") says nothing failed.
  for (const char* w : {"fail", "could not", "couldn't", "unable", "error", "not saved", "lost", "damaged",
                        "corrupt", "cannot open", "cannot read", "cannot write", "cannot create", "cannot run",
                        "cannot save", "can't open", "can't read", "can't write", "can't create", "can't update",
                        "can't save"})
    if (low.find(w) != std::string::npos) return true;
  return false;
}
struct ExpectedMessage {
  const char* part;  // a part of the text
  const char* why;   // why the walk's answers bring it about
};
inline const std::vector<ExpectedMessage>& ExpectedMessages() {
  static const std::vector<ExpectedMessage> rows = {
      {"Could not start a web browser", "the help's web pages: the test machine has no browser"},
      {"cannot be converted", "the note after every import of a first-generation project"},
      {"/Obj/Board'", "the source browser of the held build's project, whose build never wrote its browse file"},
      {"/Obj51/Board'", "the source browser of the two-target project's 51 target, chosen before a build of it"},
  };
  return rows;
}
// Whether a message names a text the walk typed into a field (a tool
// command "99999999999" that then does not run, a name refused).
inline bool NamesATypedText(const std::string& message) {
  for (const std::string& t : FieldTexts()) {
    const std::string text = t == kPastLimit || t == kAtLimit ? std::string(10, 'x') : t;
    if (text.find_first_not_of(' ') != std::string::npos && text.size() >= 3 && message.find(text) != std::string::npos)
      return true;
  }
  return message.find("a\nb") != std::string::npos;
}

// Whether the message says that a file is missing.
inline bool SaysAFileIsMissing(const std::string& text) {
  std::string low;
  for (char c : text) low += char(std::tolower(static_cast<unsigned char>(c)));
  for (const char* w : {"no such file", "not found", "does not exist", "can't open file", "cannot open file",
                        "cannot find", "can't find"})
    if (low.find(w) != std::string::npos) return true;
  return false;
}

// The paths a message names: a text between quotes (an apostrophe between
// two letters, as in "Can't", is no quote), and a word that starts with '/'
// up to the blank, the quote or the ": " that ends it.
inline std::vector<std::string> NamedPaths(const std::string& text) {
  std::vector<std::string> out;
  const auto quoteAt = [&](char quote, size_t from) {
    for (size_t at = text.find(quote, from); at != std::string::npos; at = text.find(quote, at + 1))
      if (quote != '\'' || at == 0 || at + 1 >= text.size() || !std::isalpha(static_cast<unsigned char>(text[at - 1])) ||
          !std::isalpha(static_cast<unsigned char>(text[at + 1])))
        return at;
    return std::string::npos;
  };
  for (const char quote : {'\'', '"'})
    for (size_t open = quoteAt(quote, 0); open != std::string::npos;) {
      const size_t close = quoteAt(quote, open + 1);
      if (close == std::string::npos) break;
      if (close > open + 1) out.push_back(text.substr(open + 1, close - open - 1));
      open = quoteAt(quote, close + 1);
    }
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '/' || (i > 0 && !std::isspace(static_cast<unsigned char>(text[i - 1])))) continue;
    size_t end = i;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])) && text[end] != '\'' &&
           text[end] != '"' && !(text[end] == ':' && (end + 1 == text.size() || text[end + 1] == ' ')))
      ++end;
    out.push_back(text.substr(i, end - i));
    i = end;
  }
  return out;
}

// Whether the message says that a program it names cannot be run.
inline bool SaysItCannotRun(const std::string& text) {
  std::string low;
  for (char c : text) low += char(std::tolower(static_cast<unsigned char>(c)));
  return low.find("cannot run") != std::string::npos || low.find("can't run") != std::string::npos;
}

// Whether the message says that a file it names cannot be written.
inline bool SaysItCannotWrite(const std::string& text) {
  std::string low;
  for (char c : text) low += char(std::tolower(static_cast<unsigned char>(c)));
  for (const char* w : {"can't write", "cannot write", "can't save", "cannot save", "can't create", "cannot create",
                        "not saved", "cannot be saved", "permission denied", "read-only"})
    if (low.find(w) != std::string::npos) return true;
  return false;
}
// Whether the write bits refuse a write of the file: the file's own, or,
// where it is not there, its folder's (read from the bits, not from
// access(), which lets root through whatever they say).
inline bool WriteRefused(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::perms none = fs::perms::none, write = fs::perms::owner_write;
  const fs::path file(path);
  if (fs::exists(file, ec) && (fs::status(file, ec).permissions() & write) == none) return true;
  const fs::path folder = file.parent_path();
  return !folder.empty() && fs::is_directory(folder, ec) && (fs::status(folder, ec).permissions() & write) == none;
}

// The file as the program's last save left it, for the checks of what a
// save keeps: where the write bits refuse the save (a project in a
// read-only folder, whose saves are refused with a message), the text the
// program keeps in memory (`kept`), which must still hold all that was
// given; nothing is lost while the program runs.
inline std::string SavedOrKept(const std::string& path, const std::string& disk, const std::string& kept) {
  return WriteRefused(path) ? kept : disk;
}

// Whether the message is the program's right answer to the state: it says
// a file is missing, and a file it names is missing now; or it says a
// program cannot run, and a file it names is no program (missing, a
// folder, or one without the right to run it: a project's options file a
// field was given as a program); or it says a file cannot be written, and
// the write bits of a file it names (or of its folder) refuse the write (a
// project in a read-only folder).
inline bool ExpectedByTheState(const std::string& text) {
  const bool missing = SaysAFileIsMissing(text), cannotRun = SaysItCannotRun(text),
             cannotWrite = SaysItCannotWrite(text);
  if (!missing && !cannotRun && !cannotWrite) return false;
  for (const std::string& path : NamedPaths(text)) {
    // A name with no folder is no path (a field's text, a tool's name).
    if (path.find('/') == std::string::npos) continue;
    if (cannotWrite && WriteRefused(path)) return true;
    if (!missing && !cannotRun) continue;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return true;
    if (cannotRun && (!std::filesystem::is_regular_file(path, ec) || ::access(path.c_str(), X_OK) != 0)) return true;
  }
  return false;
}

}  // namespace pm2::test
