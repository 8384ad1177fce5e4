#include "shell/app/posted_argument.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/notification_hub.h"
#include "platform/service_record.h"
#include "shell/app/shell_app.h"

namespace pm2 {

struct PostedArgument::Copy {
  std::string text;
  std::vector<uint8_t> chars;
  SerialOutputRecord serial;
  DriverInputRecord input;
  ServiceRecord service;
  intptr_t arg = 0;  // the address of one of the above
};

namespace {

enum class Kind { Number, Text, Serial8, Serial16, DriverInput, Service };

struct Row {
  int code;
  Kind kind;
};

constexpr Row kRows[] = {
    {kNotifyFindInFilesText, Kind::Text}, {kNotifySerialOutput1, Kind::Serial8},
    {kNotifySerialOutput2, Kind::Serial16}, {kNotifyBuildOutputLine, Kind::Text},
    {kNotifyIdeServiceCall, Kind::Service}, {kNotifyDriverCall, Kind::DriverInput},
    {kNotifyCommandText, Kind::Text},     {kNotifyStatusText, Kind::Text},
};

Kind KindOf(int code) {
  for (const Row& r : kRows)
    if (r.code == code) return r.kind;
  return Kind::Number;
}

}  // namespace

PostedArgument::PostedArgument(int code, intptr_t arg) : m_arg(arg) {
  const Kind kind = KindOf(code);
  if (kind == Kind::Number || arg == 0) return;
  auto copy = std::make_shared<Copy>();
  switch (kind) {
    case Kind::Text:
      copy->text = reinterpret_cast<const char*>(arg);
      copy->arg = reinterpret_cast<intptr_t>(copy->text.c_str());
      break;
    case Kind::Serial8:
    case Kind::Serial16: {
      copy->serial = *reinterpret_cast<const SerialOutputRecord*>(arg);
      const std::size_t width = kind == Kind::Serial16 ? 2 : 1;
      const std::size_t count = copy->serial.count > 0 && copy->serial.chars ? std::size_t(copy->serial.count) : 0;
      copy->chars.resize(count * width + 1);
      if (count) std::memcpy(copy->chars.data(), copy->serial.chars, count * width);
      copy->serial.count = int32_t(count);
      copy->serial.chars = copy->chars.data();
      copy->arg = reinterpret_cast<intptr_t>(&copy->serial);
      break;
    }
    case Kind::DriverInput:
      copy->input = *reinterpret_cast<const DriverInputRecord*>(arg);
      copy->arg = reinterpret_cast<intptr_t>(&copy->input);
      break;
    case Kind::Service:
      // A record of another size is not read (the handler refuses it too).
      if (!ServiceRecord::From(arg)) return;
      copy->service = *ServiceRecord::From(arg);
      copy->arg = reinterpret_cast<intptr_t>(&copy->service);
      break;
    case Kind::Number:
      return;
  }
  m_copy = std::move(copy);
}

intptr_t PostedArgument::Arg() const { return m_copy ? m_copy->arg : m_arg; }

}  // namespace pm2
