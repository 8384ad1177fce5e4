#include "project/files/entry_stream.h"

#include <map>

#include <gtest/gtest.h>

#include "project/file_test_util.h"

namespace pm2 {
namespace {

// Writes dependency records the way the translators lay them out.
class StreamWriter {
 public:
  void BeginRecord() {
    m_out += 'p';
    m_lengthAt = m_out.size();
    m_out += std::string(2, '\0');
  }
  void Entry(uint8_t kind, uint8_t extra, uint32_t time, const std::string& name,
             bool longForm = false) {
    m_out += char(kind);
    if (kind < 255) {
      m_out += char(extra);
      Word(time & 0xFFFF);
      Word(time >> 16);
    }
    if (longForm || name.size() > 255 || name.empty()) {
      m_out += '\0';
      Word(uint16_t(name.size()));
    } else {
      m_out += char(name.size());
    }
    m_out += name;
  }
  void EndRecord() {
    m_out += char(0x5A);  // checksum, not checked
    size_t length = m_out.size() - m_lengthAt - 2;
    m_out[m_lengthAt] = char(length & 0xFF);
    m_out[m_lengthAt + 1] = char(length >> 8);
  }
  std::string& Bytes() { return m_out; }

 private:
  void Word(uint32_t w) {
    m_out += char(w & 0xFF);
    m_out += char((w >> 8) & 0xFF);
  }
  std::string m_out;
  size_t m_lengthAt = 0;
};

TEST(EntryStreamTest, ReadsShortLongAndTimelessEntriesOverSeveralRecords) {
  std::string longName(300, 'x');
  StreamWriter w;
  w.BeginRecord();
  w.Entry(0, 7, 0x12345678, "main.c");
  w.Entry(1, 0, 42, longName);
  w.Entry(2, 0, 43, "b.h", /*longForm=*/true);
  w.EndRecord();
  w.BeginRecord();
  w.Entry(255, 0, 0, "no time");
  w.Entry(3, 0, 0, "OPTIMIZE (8,SPEED)");
  w.EndRecord();
  w.Bytes() += "\x02rest of the object file";

  std::vector<DepEntry> e;
  ASSERT_EQ(ReadDepEntries(w.Bytes(), &e), kEntriesRead);
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[0].kindWord, 0x0700u);
  EXPECT_EQ(e[0].time, 0x12345678u);
  EXPECT_EQ(e[0].name, "main.c");
  EXPECT_EQ(e[1].name, longName);
  EXPECT_EQ(e[1].Kind(), 1);
  EXPECT_EQ(e[2].name, "b.h");
  EXPECT_EQ(e[3].Kind(), 255);
  EXPECT_EQ(e[3].time, 0u);
  EXPECT_EQ(e[3].name, "no time");
  EXPECT_EQ(e[4].name, "OPTIMIZE (8,SPEED)");
}

TEST(EntryStreamTest, BadStreamsGiveThreeAndNoEntries) {
  StreamWriter overrun;  // an entry that runs into the checksum byte
  overrun.BeginRecord();
  overrun.Entry(1, 0, 1, "abc");
  overrun.EndRecord();
  overrun.Bytes()[1] = char(overrun.Bytes()[1] - 2);
  overrun.Bytes() += std::string(4, 'p');
  struct Row {
    const char* name;
    std::string data;
  } rows[] = {
      {"empty", ""},
      {"first byte not p", std::string("q\x05\x00\x01\x00", 5)},
      {"record without entries", std::string("p\x01\x00\x00", 4)},
      {"entry overruns its record", overrun.Bytes()},
  };
  for (const Row& r : rows) {
    std::vector<DepEntry> e(1);
    EXPECT_EQ(ReadDepEntries(r.data, &e), kEntriesBad) << r.name;
    EXPECT_TRUE(e.empty()) << r.name;
  }
}

TEST(EntryStreamTest, EveryCutKeepsOnlyCompleteRecordsOrFails) {
  StreamWriter w;
  w.BeginRecord();
  w.Entry(0, 0, 1, "a.c");
  w.Entry(1, 0, 2, std::string(260, 'i'));
  w.EndRecord();
  w.BeginRecord();
  w.Entry(2, 0, 3, "b.h");
  w.EndRecord();
  const std::string full = w.Bytes();
  const size_t firstRecordEnd = full.find('p', 1);
  std::vector<DepEntry> all;
  ASSERT_EQ(ReadDepEntries(full, &all), kEntriesRead);
  for (size_t len = 0; len < full.size(); ++len) {
    std::vector<DepEntry> e;
    int r = ReadDepEntries(std::string_view(full).substr(0, len), &e);
    if (len == firstRecordEnd) {
      EXPECT_EQ(r, kEntriesRead) << len;
      EXPECT_EQ(e.size(), 2u) << len;
    } else {
      EXPECT_EQ(r, kEntriesBad) << "cut at " << len;
      EXPECT_TRUE(e.empty()) << len;
    }
  }
}

TEST(EntryStreamTest, ChangeChecksCompareTimesOfTheNamedFiles) {
  StreamWriter w;
  w.BeginRecord();
  w.Entry(0, 0, 100, "C:\\P\\MAIN.C");
  w.Entry(1, 0, 200, "inc.h");
  w.Entry(0, 0, 300, "other.c");
  w.Entry(3, 0, 0, "DEBUG");
  w.EndRecord();

  struct Row {
    const char* name;
    std::map<std::string, uint32_t> times;  // missing name: file missing
    bool sourceChanged;
    bool anyChanged;
  } rows[] = {
      {"all as recorded", {{"inc.h", 200}, {"other.c", 300}}, false, false},
      {"include newer", {{"inc.h", 201}, {"other.c", 300}}, true, true},
      {"include missing", {{"other.c", 300}}, true, true},
      {"other source changed", {{"inc.h", 200}, {"other.c", 301}}, false, true},
  };
  for (const Row& r : rows) {
    ObjectFileEntries obj([&](const std::string& name, uint32_t* t) {
      auto it = r.times.find(name);
      if (it == r.times.end()) return false;
      *t = it->second;
      return true;
    });
    ASSERT_EQ(obj.Read("c:/p/main.c", "main.obj", w.Bytes()), kEntriesRead);
    EXPECT_EQ(obj.AnySourceChanged(), r.sourceChanged) << r.name;
    EXPECT_EQ(obj.AnyFileChanged(), r.anyChanged) << r.name;
    ASSERT_NE(obj.Kind3Value(), nullptr);
    EXPECT_EQ(*obj.Kind3Value(), "DEBUG");
  }
}

TEST(EntryStreamTest, OpenReportsMissingAndEmptyFilesApart) {
  ScratchDir dir;
  ObjectFileEntries obj;
  EXPECT_EQ(obj.Open("", dir.File("none.obj")), 1);
  WriteFileText(dir.File("empty.obj"), "");
  EXPECT_EQ(obj.Open("", dir.File("empty.obj")), 2);
  WriteFileText(dir.File("bad.obj"), "not a record");
  EXPECT_EQ(obj.Open("", dir.File("bad.obj")), kEntriesBad);
  EXPECT_EQ(obj.Kind3Value(), nullptr);
}

}  // namespace
}  // namespace pm2
