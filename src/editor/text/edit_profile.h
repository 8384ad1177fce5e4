// What a text buffer needs from outside, handed in through its
// constructor so that tests can pass their own settings, keyword files,
// disk and message sink.
#pragma once

#include <string>

namespace pm2 {

class Disk;
class IniFiles;
class SettingsStore;

// Where the buffer reports a message that the user should see (the id is
// a status code; the text is already formatted).
class EditMessageSink {
 public:
  virtual ~EditMessageSink() = default;
  virtual void ShowMessage(int id, const std::string& text) = 0;
};

struct EditEnvironment {
  SettingsStore* pSettings = nullptr;    // profile sections; null: defaults
  IniFiles* pIni = nullptr;              // keyword files; null: no keywords
  Disk* pDisk = nullptr;                 // saving; null: the real disk
  EditMessageSink* pMessages = nullptr;  // null: messages are dropped
  std::string programDir;                // keyword files are looked for here too
};

}  // namespace pm2
