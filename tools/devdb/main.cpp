// pm2_devdb: turns the readable device source into the binary device
// database file.  Usage: pm2_devdb <devices.txt> <output.cdb>
#include <cstdio>
#include <string>

#include "platform/atomic_file.h"
#include "project/devices/device_db.h"
#include "project/devices/device_db_source.h"

using namespace pm2;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pm2_devdb <device source> <database file>\n");
    return 2;
  }
  const std::string source = argv[1];
  const std::string output = argv[2];
  std::string text, err;
  if (!ReadWholeFile(source, text, &err)) {
    std::fprintf(stderr, "pm2_devdb: %s\n", err.c_str());
    return 1;
  }
  DeviceDatabase db(kPoolDeviceDb);
  if (!ParseDeviceSource(text, source, db, &err)) {
    std::fprintf(stderr, "pm2_devdb: %s\n", err.c_str());
    return 1;
  }
  int result = db.Write(output);
  if (result != kDeviceDbOk) {
    std::fprintf(stderr, "pm2_devdb: %s %s\n", DeviceDatabase::ResultText(result, output).c_str(),
                 db.LastWriteError().c_str());
    return 1;
  }
  // Read it back so a database the program cannot read is never shipped.
  std::size_t written = db.Count();
  DeviceDatabase check(kPoolScratch);
  result = check.Read(output);
  if (result != kDeviceDbOk || check.Count() != written) {
    std::fprintf(stderr, "pm2_devdb: %s\n", DeviceDatabase::ResultText(result ? result : 3, output).c_str());
    return 1;
  }
  std::printf("pm2_devdb: %zu devices written to '%s'\n", written, output.c_str());
  return 0;
}
