// Byte-level encoding of events, checked against hand-computed bytes, and
// decoding of damaged payloads.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "ipc/event_catalog.h"
#include "ipc_test_support.h"

namespace pm2 {
namespace {

using test::Hex;
using test::ToHex;

struct EncodingRow {
  const char* name;
  std::function<std::unique_ptr<dtc_EventBase>()> make;
  const char* payload;  // hex, padding included
};

const EncodingRow kRows[] = {
    {"BuildInfo without file", [] { return std::make_unique<dtc_Make::BuildInfo>("", 0xFFFFFFFFu, "abc"); },
     "00 00 00 00 00 00 00 00  FF FF FF FF 00 00 00 00  61 62 63 00 00 00 00 00"},
    {"BuildInfo with file and line", [] { return std::make_unique<dtc_Make::BuildInfo>("a.c", 12, "error"); },
     "61 2E 63 00 00 00 00 00  0C 00 00 00 00 00 00 00  65 72 72 6F 72 00 00 00"},
    {"Build mode 1", [] { return std::make_unique<dtc_Make::Build>(uint8_t {1}); }, "01 00 00 00 00 00 00 00"},
    {"SetBreakpointReply main", [] { return std::make_unique<dtc_Debug::SetBreakpointReply>("main", uint8_t {1}); },
     "6D 61 69 6E 00 00 00 00  01 00 00 00 00 00 00 00"},
    {"ReadMemory", [] { return std::make_unique<dtc_Debug::ReadMemory>(0x1234ull, 16u); },
     "34 12 00 00 00 00 00 00  10 00 00 00 00 00 00 00"},
    {"ReadMemoryReply three bytes, 64-bit address",
     [] {
       const uint8_t data[] = {0xAA, 0xBB, 0xCC};
       return std::make_unique<dtc_Debug::ReadMemoryReply>(0x100000002ull, DataBlock(data, 3));
     },
     "02 00 00 00 01 00 00 00  03 00 00 00 00 00 00 00  AA BB CC"},
    {"WriteMemory with no data", [] { return std::make_unique<dtc_Debug::WriteMemory>(0x8000ull, DataBlock()); },
     "00 80 00 00 00 00 00 00  00 00 00 00 00 00 00 00"},
    {"DecodedTimeStamp", [] { return std::make_unique<dtc_TargetMessaging::DecodedTimeStamp>(5ull, 0.5); },
     "05 00 00 00 00 00 00 00  00 00 00 00 00 00 E0 3F"},
    {"MsgFromTarget",
     [] {
       return std::make_unique<dtc_TargetMessaging::MsgFromTarget>(PackedWords {1, 2, 3}, 4u, 5u,
                                                                   0x0807060504030201ull);
     },
     "01 00 00 00 02 00 00 00  03 00 00 00 00 00 00 00  04 00 00 00 00 00 00 00  05 00 00 00 00 00 00 00 "
     " 01 02 03 04 05 06 07 08"},
    {"Identity x without groups", [] { return std::make_unique<dtc_Identify::Identity>("x", TextList {}); },
     "78 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00"},
    {"SetFileGroup with two files",
     [] { return std::make_unique<dtc_Make::SetFileGroup>("g", "dir", TextList {"a.c", "bb"}); },
     "67 00 00 00 00 00 00 00  64 69 72 00 00 00 00 00  01 00 00 00 00 00 00 00  61 2E 63 00 00 00 00 00 "
     " 01 00 00 00 00 00 00 00  62 62 00 00 00 00 00 00  00 00 00 00 00 00 00 00"},
    {"SetOptions with empty lists", [] { return std::make_unique<dtc_Make::SetOptions>("grp", TextList {}, TextList {}); },
     "67 72 70 00 00 00 00 00  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00"},
    {"ExecutionStopped", [] { return std::make_unique<dtc_Debug::ExecutionStopped>("0x1A2B"); },
     "30 78 31 41 32 42 00 00"},
    {"text of 7 bytes", [] { return std::make_unique<dtc_Debug::StatusText>("abcdefg"); }, "61 62 63 64 65 66 67 00"},
    {"text of 8 bytes", [] { return std::make_unique<dtc_Debug::StatusText>("abcdefgh"); },
     "61 62 63 64 65 66 67 68  00 00 00 00 00 00 00 00"},
    {"empty text", [] { return std::make_unique<dtc_Debug::StatusText>(""); }, "00 00 00 00 00 00 00 00"},
    {"DecodeMemAddressReply with empty text", [] { return std::make_unique<dtc_Debug::DecodeMemAddressReply>(7ull, ""); },
     "07 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00"},
    {"GetMemoryAddressReply",
     [] { return std::make_unique<dtc_Debug::GetMemoryAddressReply>("p", 0xFFFFFFFF00000001ull, uint8_t {1}); },
     "70 00 00 00 00 00 00 00  01 00 00 00 FF FF FF FF  01 00 00 00 00 00 00 00"},
    {"TargetInfo", [] { return std::make_unique<dtc_TargetInfo::TargetInfo>("STM32", "ST", 4u, 2u); },
     "53 54 4D 33 32 00 00 00  53 54 00 00 00 00 00 00  04 00 00 00 00 00 00 00  02 00 00 00 00 00 00 00"},
    {"no payload", [] { return std::make_unique<dtc_Identify::WhoIs>(); }, ""},
};

TEST(EventEncoding, PayloadBytesAndSizes) {
  dtc_EventFactory& f = GetEventFactory();
  for (const EncodingRow& row : kRows) {
    SCOPED_TRACE(row.name);
    std::unique_ptr<dtc_EventBase> e = row.make();
    std::vector<uint8_t> expected = Hex(row.payload);
    EXPECT_EQ(ToHex(test::PayloadOf(f, *e)), ToHex(expected));
    EXPECT_EQ(e->GetPayloadSize(), expected.size());
    // Decoding the expected bytes gives the event back.
    std::vector<uint8_t> record(16, 0);
    StoreU32(record.data(), e->GetKey().group);
    StoreU32(record.data() + 4, e->GetKey().number);
    record.insert(record.end(), expected.begin(), expected.end());
    std::unique_ptr<dtc_EventBase> back = f.CreateEventFromRecord(record.data(), record.size());
    ASSERT_NE(back, nullptr);
    back->m_nSender = e->m_nSender;
    EXPECT_TRUE(*back == *e);
  }
}

TEST(EventEncoding, WholeRecordCarriesHeaderAndWriterSlot) {
  dtc_Make::BuildEnd end(2);
  EXPECT_EQ(end.m_nSender, -2);
  std::vector<uint8_t> rec = test::RecordOf(GetEventFactory(), end, 1);
  EXPECT_EQ(ToHex(rec), ToHex(Hex("F5 F7 06 00 03 00 00 00  01 00 00 00 00 00 00 00  02 00 00 00 00 00 00 00")));
}

TEST(EventEncoding, ReceivedEventTakesSenderFromHeaderAndIgnoresReservedWord) {
  std::vector<uint8_t> rec = Hex("F5 F7 06 00 03 00 00 00  05 00 00 00 DE AD BE EF  01 00 00 00 00 00 00 00");
  auto e = GetEventFactory().CreateEventFromRecord(rec.data(), rec.size());
  ASSERT_NE(e, nullptr);
  auto* end = dynamic_cast<dtc_Make::BuildEnd*>(e.get());
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(end->m_nSender, 5);
  EXPECT_EQ(end->m_nDestination, -1);
  EXPECT_EQ(end->m_nResult, 1u);
}

struct ZeroByteRow {
  const char* name;
  std::function<std::unique_ptr<dtc_EventBase>()> sent;
  std::function<std::unique_ptr<dtc_EventBase>()> received;  // what the peer must read
};

using namespace std::string_literals;

// A string holding a zero byte (a tool's output line can) travels up to it;
// the fields after it must still arrive intact.
const ZeroByteRow kZeroByteRows[] = {
    {"BuildInfo file and message",
     [] { return std::make_unique<dtc_Make::BuildInfo>("a.c\0garbage after"s, 7u, "msg\0tail"s); },
     [] { return std::make_unique<dtc_Make::BuildInfo>("a.c", 7u, "msg"); }},
    {"list element",
     [] { return std::make_unique<dtc_Make::SetFileGroup>("g", "d\0x"s, TextList {"a\0bcdefghijk"s, "b"}); },
     [] { return std::make_unique<dtc_Make::SetFileGroup>("g", "d", TextList {"a", "b"}); }},
    {"text before a u64",
     [] { return std::make_unique<dtc_Debug::GetMemoryAddressReply>("\0abcdefgh"s, 0x1234ull, uint8_t {1}); },
     [] { return std::make_unique<dtc_Debug::GetMemoryAddressReply>("", 0x1234ull, uint8_t {1}); }},
};

TEST(EventEncoding, TextWithAZeroByteIsSentUpToItAndLaterFieldsSurvive) {
  dtc_EventFactory& f = GetEventFactory();
  for (const ZeroByteRow& row : kZeroByteRows) {
    SCOPED_TRACE(row.name);
    std::unique_ptr<dtc_EventBase> sent = row.sent(), expected = row.received();
    std::vector<uint8_t> rec = test::RecordOf(f, *sent, 2);
    ASSERT_EQ(rec.size(), sent->GetPayloadSize() + 16u);
    EXPECT_EQ(sent->GetPayloadSize(), expected->GetPayloadSize());
    std::unique_ptr<dtc_EventBase> back = f.CreateEventFromRecord(rec.data(), rec.size());
    ASSERT_NE(back, nullptr);
    back->m_nSender = expected->m_nSender;
    EXPECT_TRUE(*back == *expected);
  }
}

struct DamagedRow {
  const char* name;
  const char* record;  // hex: header and payload
};

// Records a bad writer could leave: none may decode, none may read outside.
const DamagedRow kDamaged[] = {
    {"text without its terminator", "70 66 06 00 10 00 00 00  00 00 00 00 00 00 00 00  61 62 63"},
    {"data block longer than the record",
     "70 66 06 00 18 00 00 00  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  64 00 00 00 00 00 00 00  01 02 03 04"},
    {"data block count near 4 GiB",
     "70 66 06 00 19 00 00 00  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  FF FF FF FF 00 00 00 00  01"},
    {"list without its closing cell", "7E F6 06 00 01 00 00 00  00 00 00 00 00 00 00 00  78 00 00 00 00 00 00 00  01 00 00 00 00 00 00 00  61 00"},
    {"cell cut short", "F5 F7 06 00 03 00 00 00  00 00 00 00 00 00 00 00  02 00"},
    {"header cut short", "F5 F7 06 00 03 00 00 00  00 00"},
    {"unassigned debug number 10", "70 66 06 00 0A 00 00 00  00 00 00 00 00 00 00 00"},
    {"known group, unknown number", "F5 F7 06 00 09 00 00 00  00 00 00 00 00 00 00 00"},
};

TEST(EventEncoding, DamagedRecordsAreRefused) {
  for (const DamagedRow& row : kDamaged) {
    SCOPED_TRACE(row.name);
    std::vector<uint8_t> rec = Hex(row.record);
    // An exact-size heap copy lets the sanitizer catch any read past the end.
    auto copy = std::make_unique<uint8_t[]>(rec.size());
    std::copy(rec.begin(), rec.end(), copy.get());
    EXPECT_EQ(GetEventFactory().CreateEventFromRecord(copy.get(), rec.size()), nullptr);
  }
}

TEST(EventEncoding, RecordCutAtEveryLengthDecodesWholeOrNotAtAll) {
  const std::unique_ptr<dtc_EventBase> events[] = {
      std::make_unique<dtc_Make::SetOptions>("group", TextList {"A=1", "B"}, TextList {"inc"}),
      std::make_unique<dtc_Debug::WriteMemoryReply>(0x20000000ull, DataBlock(std::vector<uint8_t> {1, 2, 3, 4, 5})),
      std::make_unique<dtc_Identify::Identity>("pelmora2 0", TextList {"dtc_Identify", "dtc_Make"}),
      std::make_unique<dtc_TargetInfo::TargetInfo>("dev", "vendor", 1u, 2u),
  };
  for (const auto& e : events) {
    std::vector<uint8_t> rec = test::RecordOf(GetEventFactory(), *e, 3);
    for (size_t n = 0; n < rec.size(); ++n) {
      auto cut = std::make_unique<uint8_t[]>(n + 1);
      std::copy(rec.begin(), rec.begin() + static_cast<long>(n), cut.get());
      auto back = GetEventFactory().CreateEventFromRecord(cut.get(), n);
      if (back) {
        // Only padding can be missing from a record that still decodes.
        back->m_nSender = e->m_nSender;
        EXPECT_TRUE(*back == *e) << "cut at " << n;
      }
    }
  }
}

}  // namespace
}  // namespace pm2
