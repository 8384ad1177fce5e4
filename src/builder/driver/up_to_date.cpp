#include "builder/driver/up_to_date.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "builder/driver/dependency_file.h"
#include "builder/preprocessor/preprocessor.h"
#include "platform/win_path.h"
#include "project/model/project_records.h"
#include "project/text/control_strings.h"
#include "project/text/pool.h"
#include "project/text/scanner.h"

namespace pm2 {

namespace {

// The given status, else one stat call.
bool StatusOf(const std::string& path, const FileStatus* known, FileStatus* out) {
  if (!known) return StatFile(path, out);
  *out = *known;
  return known->exists;
}

Verdict Translate(std::string why) { return Verdict{true, std::move(why)}; }

}  // namespace

namespace {

FileStatus FromStat(const struct stat& st) {
  return FileStatus{true, uint32_t(st.st_mtime), int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

}  // namespace

bool StatFile(const std::string& path, FileStatus* status) {
  struct stat st;
  *status = FileStatus{};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
  *status = FromStat(st);
  return true;
}

bool StatFileAt(int dirFd, const char* path, FileStatus* status) {
  struct stat st;
  *status = FileStatus{};
  if (!*path || ::fstatat(dirFd, path, &st, 0) != 0) return false;
  *status = FromStat(st);
  return true;
}

Verdict ObjectIsUpToDate(const std::string& object, const std::string& source,
                         const std::string& controlString, FileTimeFn fileTime) {
  ObjectFileEntries entries(std::move(fileTime));
  if (entries.Open(source, object) != 0) return Translate("'" + object + "' cannot be read");
  const std::string* recorded = entries.Kind3Value();
  if (!recorded) return Translate("'" + object + "' records no command line");
  TextScanner scanner;
  scanner.SetText(recorded->c_str());
  std::string token;
  for (int i = 0; i < 2 && *scanner.m_pPos; ++i) scanner.ScanToken(token, false);
  if (!ControlStringsMatch(scanner.m_pPos, controlString.c_str()))
    return Translate("the controls differ from those recorded in '" + object + "'");
  if (entries.AnyFileChanged())
    return Translate("a file recorded in '" + object + "' is missing or has another time");
  return {};
}

Verdict ObjectOlderThanSource(const std::string& source, const std::string& object,
                              const FileStatus* sourceStatus, const FileStatus* objectStatus) {
  FileStatus s, o;
  if (!StatusOf(source, sourceStatus, &s)) return Translate("'" + source + "' has no status");
  if (!StatusOf(object, objectStatus, &o)) return Translate("'" + object + "' is missing");
  if (o.ns < s.ns) return Translate("'" + object + "' is older than '" + source + "'");
  return {};
}

Verdict IncludeTest(FileRec& file, const ArmCheckInput& in) {
  FileStatus s, o;
  if (!StatusOf(in.sourceLocal, in.source, &s)) return Translate("'" + in.sourceLocal + "' has no status");
  file.time = s.time;
  if (!StatusOf(in.objectLocal, in.object, &o)) return Translate("'" + in.objectLocal + "' is missing");
  if (s.ns > o.ns) return Translate("'" + in.sourceLocal + "' is newer than its object");
  for (DepIncludeRec* r = file.depIncludes; r; r = r->next) {
    FileStatus t;
    IncludeStatuses* known = in.includeTimes;
    auto atAddress = known ? known->byAddress.find(r->path.c_str()) : decltype(known->byAddress.end()){};
    if (known && atAddress != known->byAddress.end()) {
      t = atAddress->second;
    } else {
      const std::string stored = r->path.str();
      auto byPath = known ? known->byPath.find(stored) : decltype(known->byPath.end()){};
      if (known && byPath != known->byPath.end()) {
        t = byPath->second;
      } else {
        std::string local;
        bool found = in.resolver ? in.resolver->ResolveStoredPath(r->path.view(), in.projectFolder, &local)
                                 : (local = stored, true);
        if (found) StatFile(local, &t);
        if (known) known->byPath.emplace(stored, t);
      }
      if (known) known->byAddress.emplace(r->path.c_str(), t);
    }
    if (!t.exists || t.time == 0) return Translate("include '" + r->path.str() + "' is missing");
    if (t.ns >= o.ns) return Translate("include '" + r->path.str() + "' is not older than the object");
  }
  return {};
}

Verdict CheckArmCFile(FileRec& file, const std::string& controls, DepScanRequest& scan,
                         const ArmCheckInput& in) {
  Verdict v;
  bool changed = false;
  if (file.lastControls != controls.c_str()) {
    file.lastControls = OptString::Pooled(controls, kPoolDependencies);
    changed = true;
    v = Translate("the controls changed");
  }
  FileStatus now;
  if (!changed && StatusOf(in.sourceLocal, in.source, &now) && now.time != 0 && now.time == file.time &&
      file.depIncludes) {
    v = IncludeTest(file, in);
    if (!v.translate) v = ObjectOlderThanSource(in.sourceLocal, in.objectLocal, in.source, in.object);
  } else {
    if (in.prepareScan) in.prepareScan(scan);
    int outOfDate = PreprocessForDependencies(scan, *in.resolver, in.projectFolder);
    // The list is kept current even when nothing changed, so the next build
    // can decide from it without a rescan.
    MergeIncludeList(file, scan.includes);
    if (!changed) {
      if (outOfDate) v = Translate(scan.reason);
      else v = ObjectOlderThanSource(in.sourceLocal, in.objectLocal, in.source, in.object);
    }
  }
  file.depState = (file.depState & ~1u) | (v.translate ? 1u : 0u);
  return v;
}

Verdict CheckArmAsmFile(FileRec& file, const std::string& controls, const ArmCheckInput& in) {
  if (file.lastControls != controls.c_str()) {
    file.lastControls = OptString::Pooled(controls, kPoolDependencies);
    return Translate("the controls changed");
  }
  return ObjectOlderThanSource(in.sourceLocal, in.objectLocal, in.source, in.object);
}

}  // namespace pm2
