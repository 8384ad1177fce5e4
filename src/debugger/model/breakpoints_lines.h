// The breakpoints dialog's texts without a window: a record's list line,
// the command text converted for the edit and for the request, and the
// request built from the dialog's fields.
#pragma once

#include <functional>
#include <string>

#include "driver_abi/debug_records.h"

namespace pm2 {

// A list line holds at most this many characters.
constexpr std::size_t kBpLineMax = 1023;
// Texts read from a driver record are cut here before use.
constexpr std::size_t kBpDriverTextMax = 1023;

// The access name of a record's access field ("", "read", "write", "readwrite").
const char* BpAccessName(unsigned access);

// The list line of a record; addressText gives the driver's text of an address.
std::string BreakpointLine(const DbgBreakpointRecord& bp, const std::function<std::string(uint32_t)>& addressText);

// The stored command as the command edit shows it.
std::string BpCommandForEdit(const std::string& stored);
// The edit's text as the request carries it (at most 510 characters read).
std::string BpCommandForRequest(const std::string& edit);

// The dialog's definition fields.
struct BpDefinition {
  std::string expression;
  std::string command;  // as typed
  std::string count = "1";
  std::string size = "1";
  bool read = false, write = false, objects = false;
};

// The request's texts must outlive the request: the builder keeps them.
struct BpRequestBuilder {
  DbgBreakpointRequest request{};
  std::string command, expression;
};

enum class BpFieldError { None, Count, Size };

// Fills the request from the fields; the field that is not a number otherwise.
BpFieldError BuildBreakpointRequest(const BpDefinition& def, BpRequestBuilder* out);

// An unsigned number as the dialog reads it: decimal or 0x hex; false when none.
bool ParseBpNumber(const std::string& text, uint32_t* value);

// The count's and size's up-down controls: the field's number one step
// up or down, kept in 1..32767; a field without a number starts at 1.
constexpr uint32_t kBpUpDownMin = 1, kBpUpDownMax = 32767;
std::string StepBpNumber(const std::string& text, int delta);

}  // namespace pm2
