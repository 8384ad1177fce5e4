#include "project/devices/device_db.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/fault_disk.h"

namespace pm2 {
namespace {

// Pools 5 to 8 are unused by the program; tests keep their databases there.
constexpr int kPoolA = 5;
constexpr int kPoolB = 6;
const std::string kPath = "db/PM2.CDB";

void Fill(DeviceDatabase& db, int count) {
  const char* vendors[] = {"NXP", "Atmel", "Infineon"};
  for (int i = 0; i < count; ++i) {
    std::string name = "DEV" + std::to_string(i);
    DeviceDbEntry* e = db.NewEntry(vendors[i % 3], name, static_cast<std::uint16_t>(i % 4),
                                   i % 2 ? "" : "ARM7TDMI-S, 512 KB flash");
    db.AddOption(e, "CPU", "IRAM(0x40000000-0x40007FFF) IROM(0-0x7FFFF) CLOCK(12000000)");
    if (i % 3 == 0) db.AddOption(e, "SFILE", "Startup.s");
    db.Append(e);
  }
}

std::string Bytes(const DeviceDatabase& db) {
  std::string out;
  EXPECT_TRUE(db.Serialize(out));
  return out;
}

// Walks the records: each one's bytes must sum to zero and its length field
// must match the payload. Returns the record types in order.
std::string RecordTypes(const std::string& data) {
  std::string types;
  std::size_t pos = 0;
  while (pos < data.size()) {
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };
    std::size_t length = at(pos + 1) | (at(pos + 2) << 8);
    unsigned sum = 0;
    for (std::size_t i = pos; i < pos + 3 + length; ++i) sum += at(i);
    EXPECT_EQ(sum % 256, 0u) << "record at " << pos;
    types.push_back(data[pos]);
    pos += 3 + length;
  }
  EXPECT_EQ(pos, data.size());
  return types;
}

TEST(DeviceDatabase, LayoutIsByteExact) {
  DeviceDatabase db(kPoolA);
  db.Free();
  DeviceDbEntry* e = db.NewEntry("V", "D", 3, "");
  db.AddOption(e, "K", "x");
  db.AddOption(e, "EMPTY", "");  // not written
  db.Append(e);
  std::string data = Bytes(db);
  const std::string header = std::string("\xFE\x1B\x00\x18\x00", 5) + kDeviceDbHeader;
  ASSERT_GE(data.size(), header.size() + 1);
  EXPECT_EQ(data.substr(0, header.size()), header);
  // begin, vendor, device, family, one option, end, end of database
  EXPECT_EQ(RecordTypes(data), "\xFE\xFD\xFC\xFC\xFC\xFC\xFB\x8A");
  const std::string family("\xFC\x04\x00\x03\x03\x00", 6);
  EXPECT_NE(data.find(family), std::string::npos);
  const std::string option("\xFC\x08\x00\x05\x01\x00K\x01\x00x", 10);
  EXPECT_NE(data.find(option), std::string::npos);
  db.Free();
}

TEST(DeviceDatabase, WritesAndReadsBackByteForByte) {
  FaultDisk disk;
  DeviceDatabase out(kPoolA, &disk);
  out.Free();
  Fill(out, 7);
  out.First()->pNext->nFlags = kDeviceDeleted;
  ASSERT_EQ(out.Write(kPath), kDeviceDbOk);

  DeviceDatabase in(kPoolB, &disk);
  ASSERT_EQ(in.Read(kPath), kDeviceDbOk);
  EXPECT_EQ(in.Count(), 6u);
  EXPECT_EQ(in.Find("nxp", "dev1", 1), nullptr);  // the deleted one
  DeviceDbEntry* e = in.Find("infineon", "DEV2", 2);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->description, "ARM7TDMI-S, 512 KB flash");
  EXPECT_EQ(FindDeviceOptionValue(*e, "cpu"),
            "IRAM(0x40000000-0x40007FFF) IROM(0-0x7FFFF) CLOCK(12000000)");
  EXPECT_TRUE(FindDeviceOptionValue(*e, "SFILE").IsEmptyOpt());

  EXPECT_EQ(Bytes(in), disk.Get(kPath));
  EXPECT_EQ(Bytes(in), Bytes(out));
  in.Free();
  out.Free();
}

TEST(DeviceDatabase, CutAtEveryLengthKeepsTheCompleteEntries) {
  DeviceDatabase db(kPoolA);
  db.Free();
  Fill(db, 4);
  const std::string full = Bytes(db);
  // Where each entry's end record finishes: the file of the first k
  // entries without its 4-byte end-of-database record.
  std::size_t entryEnd[5] = {};
  for (int k = 0; k <= 4; ++k) {
    DeviceDatabase part(kPoolB);
    part.Free();
    Fill(part, k);
    entryEnd[k] = Bytes(part).size() - 4;
    part.Free();
  }
  DeviceDatabase in(kPoolB);
  for (std::size_t n = 0; n <= full.size(); ++n) {
    std::size_t expected = 0;
    while (expected < 4 && entryEnd[expected + 1] <= n) ++expected;
    int result = in.Parse(std::string_view(full).substr(0, n));
    if (n > 0 && n < entryEnd[0]) {
      EXPECT_EQ(result, kDeviceDbBadData) << "cut inside the header at " << n;
      EXPECT_EQ(in.Count(), 0u);
    } else {
      EXPECT_EQ(result, kDeviceDbOk) << n;
      EXPECT_EQ(in.Count(), expected) << n;
    }
  }
  in.Free();
  db.Free();
}

struct DamageRow {
  const char* name;
  std::size_t offset;  // from the start of the first entry's vendor record
  unsigned char value;
  bool fixChecksum;
  int result;
  const char* why;  // what the refusal says of the record
};

TEST(DeviceDatabase, DamagedRecordsAreRefusedAndNothingIsKept) {
  DeviceDatabase db(kPoolA);
  db.Free();
  Fill(db, 2);
  const std::string good = Bytes(db);
  db.Free();
  const std::size_t vendor = 3 + 27 + 4;  // header record, begin record
  ASSERT_EQ(static_cast<unsigned char>(good[vendor]), 0xFC);
  const DamageRow rows[] = {
      {"flipped character", 6, 'X', false, kDeviceDbBadData, "has a wrong checksum"},
      {"flipped checksum", 9, 0x00, false, kDeviceDbBadData, "has a wrong checksum"},
      {"unknown sub-code", 3, 9, true, kDeviceDbBadData, "holds a field of the unknown kind 0x09"},
      {"unknown record type", 0, 0x77, false, kDeviceDbBadRecordType, "has the unknown type 0x77"},
  };
  DeviceDatabase in(kPoolB);
  for (const DamageRow& r : rows) {
    std::string bad = good;
    std::size_t at = vendor + r.offset;
    unsigned char old = static_cast<unsigned char>(bad[at]);
    bad[at] = static_cast<char>(r.value);
    if (r.fixChecksum) {  // keep the sum right so only the damage counts
      std::size_t check = vendor + 9;
      bad[check] = static_cast<char>(static_cast<unsigned char>(bad[check]) + old - r.value);
    }
    EXPECT_EQ(in.Parse(bad), r.result) << r.name;
    EXPECT_EQ(in.Count(), 0u) << r.name;
    // The refusal says which record is wrong and how.
    EXPECT_EQ(in.LastReadError(), "The record at byte " + std::to_string(vendor) + " " + r.why) << r.name;
  }
  // A header differing in one character, with a correct checksum.
  std::string header = good;
  header[5] = 'p';
  header[29] = static_cast<char>(static_cast<unsigned char>(header[29]) + 'P' - 'p');
  EXPECT_EQ(in.Parse(header), kDeviceDbBadData);
  EXPECT_EQ(in.LastReadError(), "The record at byte 0 is not the header of a device database");
  // A good file after a refused one reads without a reason left over.
  EXPECT_EQ(in.Parse(good), kDeviceDbOk);
  EXPECT_EQ(in.LastReadError(), "");
  in.Free();
}

// Seeded random damage of a good file: cut at any length, bytes overwritten
// with junk or huge values, runs of junk inserted, a very long string.
// Each result is a refusal that keeps nothing and says why, or a list of
// entries each equal to one of the file's whole entries, in file order.
TEST(DeviceDatabase, RandomDamageIsRefusedOrKeepsOnlyWholeEntries) {
  DeviceDatabase db(kPoolA);
  db.Free();
  Fill(db, 6);
  const std::string good = Bytes(db);
  std::vector<std::string> whole;
  for (const DeviceDbEntry* e = db.First(); e; e = e->pNext) {
    std::string key = e->vendor.str() + "|" + e->device.str() + "|" + std::to_string(e->nFamily) + "|" +
                      e->description.str();
    for (const DeviceDbOption* o = e->pFirstOption; o; o = o->pNext) key += "|" + o->key.str() + "=" + o->value.str();
    whole.push_back(key);
  }
  db.Free();
  std::mt19937 random(20261211);
  auto below = [&](std::size_t n) { return std::size_t(random() % (n ? n : 1)); };
  DeviceDatabase in(kPoolB);
  for (int round = 0; round < 3000; ++round) {
    std::string bad = good;
    switch (round % 4) {
      case 0: bad.resize(below(bad.size())); break;
      case 1:
        for (int k = 0; k < 1 + int(below(4)); ++k) bad[below(bad.size())] = char(random());
        break;
      case 2: {  // a huge string length: the reader runs out of data
        const std::size_t at = below(bad.size() - 1);
        bad[at] = char(0xFF);
        bad[at + 1] = char(0xFF);
        break;
      }
      default: {
        std::string junk(1 + below(700), char(0));
        for (char& c : junk) c = char(random());
        bad.insert(below(bad.size()), junk);
        break;
      }
    }
    const int result = in.Parse(bad);
    if (result != kDeviceDbOk) {
      EXPECT_EQ(in.Count(), 0u) << "round " << round;
      EXPECT_EQ(in.LastReadError().rfind("The record at byte ", 0), 0u) << "round " << round;
      continue;
    }
    std::size_t next = 0;
    for (const DeviceDbEntry* e = in.First(); e; e = e->pNext) {
      std::string key = e->vendor.str() + "|" + e->device.str() + "|" + std::to_string(e->nFamily) + "|" +
                        e->description.str();
      for (const DeviceDbOption* o = e->pFirstOption; o; o = o->pNext)
        key += "|" + o->key.str() + "=" + o->value.str();
      // A checksum is one byte: a changed byte whose record still sums to
      // zero is not damage the file can show, so only the kept entries'
      // order and wholeness are asserted for the cuts.
      if (round % 4 == 0) {
        ASSERT_LT(next, whole.size()) << "round " << round;
        EXPECT_EQ(key, whole[next]) << "round " << round;
      }
      ++next;
    }
  }
  in.Free();
}

TEST(DeviceDatabase, EndMarksEmptyDataAndSevenBitStrings) {
  DeviceDatabase db(kPoolA);
  db.Free();
  Fill(db, 1);
  db.Append(db.NewEntry("Caf\xC9", "X", 0, ""));
  std::string data = Bytes(db);
  db.Free();
  DeviceDatabase in(kPoolB);
  EXPECT_EQ(in.Parse(""), kDeviceDbOk);
  EXPECT_EQ(in.Count(), 0u);
  ASSERT_EQ(in.Parse(data), kDeviceDbOk);
  ASSERT_EQ(in.Count(), 2u);
  EXPECT_EQ(in.First()->pNext->vendor, "CafI");  // 0xC9 & 0x7F
  // Anything after the end record or an end-of-file mark is ignored.
  EXPECT_EQ(in.Parse(data + "\x42garbage"), kDeviceDbOk);
  EXPECT_EQ(in.Count(), 2u);
  std::string cut = data.substr(0, data.size() - 4) + "\x1A\x99";
  EXPECT_EQ(in.Parse(cut), kDeviceDbOk);
  EXPECT_EQ(in.Count(), 2u);
  in.Free();
}

TEST(DeviceDatabase, FailedWritesKeepTheOldFile) {
  const std::string old = "old database bytes";
  struct Row {
    const char* name;
    FaultDisk::Op op;
    int result;
  } rows[] = {
      {"create fails", FaultDisk::kCreate, kDeviceDbCannotCreate},
      {"write fails", FaultDisk::kWrite, kDeviceDbWriteFailed},
      {"sync fails", FaultDisk::kSync, kDeviceDbWriteFailed},
      {"rename fails", FaultDisk::kRename, kDeviceDbWriteFailed},
  };
  for (const Row& r : rows) {
    FaultDisk disk;
    disk.Put(kPath, old);
    disk.FailAt(r.op, 1, ENOSPC);
    DeviceDatabase db(kPoolA, &disk);
    db.Free();
    Fill(db, 3);
    EXPECT_EQ(db.Write(kPath), r.result) << r.name;
    EXPECT_FALSE(db.LastWriteError().empty()) << r.name;
    EXPECT_EQ(disk.Get(kPath), old) << r.name;
    EXPECT_EQ(disk.Names().size(), 1u) << r.name;  // no temporary file left
    db.Free();
  }
}

// The writer crashed at every step: after the reboot the database holds the
// old bytes or the complete new ones, and no temporary file is left.
TEST(DeviceDatabase, CrashAtAnyWriteStepLeavesTheOldOrTheNewFileWhole) {
  FaultDisk clean;
  DeviceDatabase ref(kPoolA, &clean);
  ref.Free();
  Fill(ref, 3);
  ASSERT_EQ(ref.Write(kPath), kDeviceDbOk);
  const std::string fresh = clean.Get(kPath);
  ref.Free();
  const std::string old = "old database bytes";
  ASSERT_NE(fresh, old);

  bool sawOld = false;
  for (int step = 1;; ++step) {
    SCOPED_TRACE("crash at step " + std::to_string(step));
    FaultDisk disk;
    disk.Put(kPath, old);
    disk.CrashAt(step);
    DeviceDatabase db(kPoolA, &disk);
    db.Free();
    Fill(db, 3);
    int rc = db.Write(kPath);
    bool crashed = disk.Crashed();
    db.Free();
    disk.Crash();
    disk.Reboot();
    std::string after = disk.Get(kPath);
    EXPECT_TRUE(after == old || after == fresh);
    EXPECT_EQ(disk.Names(), std::vector<std::string>{kPath});
    sawOld |= after == old;
    if (!crashed) {
      EXPECT_EQ(rc, kDeviceDbOk);
      EXPECT_EQ(after, fresh);
      break;
    }
    EXPECT_NE(rc, kDeviceDbOk);
  }
  EXPECT_TRUE(sawOld);
}

TEST(DeviceDatabase, ReadOnlyFileIsNotReplaced) {
  std::string dir = ::testing::TempDir() + "pm2_devdb_ro";
  ::mkdir(dir.c_str(), 0755);
  std::string path = dir + "/RO.CDB";
  { std::ofstream(path) << "keep"; }
  ::chmod(path.c_str(), 0444);
  DeviceDatabase db(kPoolA);
  db.Free();
  Fill(db, 1);
  EXPECT_EQ(db.Write(path), kDeviceDbCannotCreate);
  std::ifstream f(path);
  std::string content((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "keep");
  ::chmod(path.c_str(), 0644);
  std::remove(path.c_str());
  EXPECT_EQ(db.Read(dir + "/missing.cdb"), kDeviceDbCannotOpen);
  EXPECT_EQ(DeviceDatabase::ResultText(kDeviceDbCannotOpen, "x.cdb"),
            "Database file 'x.cdb' not found !");
  EXPECT_EQ(DeviceDatabase::ResultText(kDeviceDbBadData, "x.cdb"),
            "Error while reading database file 'x.cdb' !");
  db.Free();
}

TEST(DeviceDatabase, FindReplaceAndRepeatedEndRecord) {
  DeviceDatabase db(kPoolA);
  db.Free();
  Fill(db, 3);
  EXPECT_EQ(db.Find("atmel", "dev1", 1), db.First()->pNext);
  EXPECT_EQ(db.Find("atmel", "dev1", 0), nullptr);  // family must match

  DeviceDatabase other(kPoolB);
  other.Free();
  DeviceDbEntry* src = other.NewEntry("Philips", "P89C51RD2", 0, "80C51, 64 KB flash");
  other.AddOption(src, "CPU", "IRAM(0-0xFF) CLOCK(33000000)");
  DeviceDbEntry* target = db.First()->pNext;
  db.Replace(target, *src);
  other.Free();  // the copy must not depend on the source's pool
  EXPECT_EQ(db.First()->pNext, target);
  EXPECT_EQ(target->device, "P89C51RD2");
  EXPECT_EQ(FindDeviceOptionValue(*target, "CPU"), "IRAM(0-0xFF) CLOCK(33000000)");
  EXPECT_EQ(target->pFirstOption, target->pLastOption);

  // Three end records after one begin: each appends a whole copy of the
  // entry being built; an option line between them reaches only the later
  // copies.
  std::string data = Bytes(db);
  std::string end("\xFB\x01\x00\x04", 4);
  std::string opt("\xFC\x08\x00\x05\x01\x00Z\x01\x00z", 10);
  unsigned s = 0;
  for (char c : opt) s += static_cast<unsigned char>(c);
  opt.push_back(static_cast<char>(0u - s));
  data.insert(data.size() - 4, end + opt + end);
  DeviceDatabase in(kPoolB);
  ASSERT_EQ(in.Parse(data), kDeviceDbOk);
  ASSERT_EQ(in.Count(), 5u);
  DeviceDbEntry* third = in.First()->pNext->pNext;
  EXPECT_TRUE(FindDeviceOptionValue(*third, "Z").IsEmptyOpt());
  for (DeviceDbEntry* copy : {third->pNext, third->pNext->pNext}) {
    EXPECT_EQ(copy->device, third->device);
    std::string copied, original;
    for (const DeviceDbOption* o = copy->pFirstOption; o; o = o->pNext)
      copied += o->key.str() + "=" + o->value.str() + ";";
    for (const DeviceDbOption* o = third->pFirstOption; o; o = o->pNext)
      original += o->key.str() + "=" + o->value.str() + ";";
    EXPECT_EQ(copied, copy == third->pNext ? original : original + "Z=z;");
  }
  in.Free();
  db.Free();
}

}  // namespace
}  // namespace pm2
