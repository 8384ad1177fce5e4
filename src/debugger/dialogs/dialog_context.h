// What every debug dialog gets from the frame: the active driver record,
// beeps and message boxes, the IDE services and the roads by which a
// dialog hands a command to the command window (echoed there and run by
// the driver at once; 0 = accepted), as the IDE's own or as typed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "driver_abi/debug_interface.h"
#include "shell/app/user_dialogs.h"

namespace pm2 {

struct DebugDialogContext {
  std::function<DebugInterface*()> record;
  UserDialogs* dialogs = nullptr;
  std::function<intptr_t(int, intptr_t)> service;
  std::function<int(const std::string&)> sendCommand;
  // The driver's reason when it refused the last sendCommand ("" none).
  std::function<std::string()> lastRefusal;
  // Runs a call of the driver and gives the reason it said for a refusal
  // ("" none).
  std::function<std::string(const std::function<void()>& call)> refusalOf;
  // A line run as if the user typed it on the command page (a tool box
  // button's command is what the user typed with DEFINE BUTTON).
  std::function<int(const std::string&)> typeCommand;
  // The window whose boxes these are (set by a modeless window for its
  // own copy): its boxes are its own, and the keyboard goes back to it.
  const void* asking = nullptr;

  DebugInterface* R() const { return record ? record() : nullptr; }
  void Beep() const {
    if (dialogs) dialogs->Beep();
  }
  void Message(const std::string& text) const {
    if (dialogs) dialogs->MessageBoxOf(asking, text, kMbOk | kMbIconExclamation);
  }
  // The driver's text of an address (mode 0), "0x%08X" without the slot.
  std::string AddressText(uint32_t address) const {
    DebugInterface* r = R();
    char buf[128] = {};
    if (r && r->DbgFormatAddress && r->DbgFormatAddress(0, address, 0, buf) > 0) {
      buf[sizeof buf - 1] = 0;
      return buf;
    }
    std::snprintf(buf, sizeof buf, "0x%08X", address);
    return buf;
  }
};

}  // namespace pm2
