// An in-memory Disk that fails on demand and can "crash".
//
// Files are inodes with their current bytes and the bytes last synced;
// names map to inodes, and a second map holds the names as last made
// durable by SyncFolder. Crash() returns to the durable state: names as at
// the last folder sync, each file's bytes as at its last sync.
#pragma once

#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "platform/atomic_file.h"

namespace pm2 {

class FaultDisk : public Disk {
 public:
  enum Op { kCreate, kWrite, kSync, kClose, kRename, kLink, kRemove, kSyncFolder, kOpCount };

  // The n-th call (1-based) of `op` fails with `err`; n 0 clears it.
  void FailAt(Op op, int n, int err = EIO) {
    m_failAt[op] = n;
    m_failErr[op] = err;
  }
  // Every call of `op` from the n-th on fails with `err`.
  void FailFrom(Op op, int n, int err = EIO) {
    m_failFrom[op] = n;
    m_failErr[op] = err;
  }
  // Notes whether `path` is without a file before any operation, as another
  // process looking for it at that moment would find it.
  void WatchName(const std::string& path) { m_watched = path; }
  bool WatchedNameWentMissing() const { return m_watchedMissing; }
  // The n-th operation of any kind (1-based, counting from now) crashes the
  // disk first: it and every later call fail with EIO until Reboot().
  void CrashAt(int n) { m_crashIn = n; }
  void Reboot() { m_crashed = false; m_crashIn = 0; }
  bool Crashed() const { return m_crashed; }

  // A durable file, as if written and synced long ago.
  void Put(const std::string& path, const std::string& data) {
    int id = m_nextInode++;
    m_inodes[id] = Inode{data, data, 0644};
    m_names[path] = id;
    m_durable[path] = id;
  }
  bool Has(const std::string& path) const { return m_names.count(path) != 0; }
  std::string Get(const std::string& path) const {
    auto it = m_names.find(path);
    return it == m_names.end() ? std::string("<missing>") : m_inodes.at(it->second).data;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (auto& [name, id] : m_names) out.push_back(name);
    return out;
  }
  void Crash() {
    m_names = m_durable;
    for (auto& [id, inode] : m_inodes) inode.data = inode.synced;
  }

  int CreateNew(const std::string& path, unsigned mode, int* handle) override {
    if (int e = Enter(kCreate)) return e;
    if (m_names.count(path)) return EEXIST;
    int id = m_nextInode++;
    m_inodes[id] = Inode{"", "", mode};
    m_names[path] = id;
    *handle = m_nextHandle++;
    m_handles[*handle] = id;
    return 0;
  }
  int Write(int handle, const char* data, size_t n) override {
    if (int e = Enter(kWrite)) return e;
    m_inodes[m_handles.at(handle)].data.append(data, n);
    return 0;
  }
  int Sync(int handle) override {
    if (int e = Enter(kSync)) return e;
    Inode& inode = m_inodes[m_handles.at(handle)];
    inode.synced = inode.data;
    return 0;
  }
  int Close(int handle) override {
    int e = Enter(kClose);
    m_handles.erase(handle);  // a failed close still releases the handle
    return e;
  }
  int Rename(const std::string& from, const std::string& to) override {
    if (int e = Enter(kRename)) return e;
    auto it = m_names.find(from);
    if (it == m_names.end()) return ENOENT;
    int id = it->second;
    m_names.erase(it);
    m_names[to] = id;
    return 0;
  }
  int Link(const std::string& from, const std::string& to) override {
    if (int e = Enter(kLink)) return e;
    auto it = m_names.find(from);
    if (it == m_names.end()) return ENOENT;
    if (m_names.count(to)) return EEXIST;
    m_names[to] = it->second;
    return 0;
  }
  int Remove(const std::string& path) override {
    if (int e = Enter(kRemove)) return e;
    return m_names.erase(path) ? 0 : ENOENT;
  }
  int SyncFolder(const std::string& folder) override {
    if (int e = Enter(kSyncFolder)) return e;
    std::string prefix = folder == "." ? "" : folder + "/";
    auto inFolder = [&](const std::string& p) {
      return p.compare(0, prefix.size(), prefix) == 0 &&
             p.find('/', prefix.size()) == std::string::npos;
    };
    for (auto it = m_durable.begin(); it != m_durable.end();)
      it = inFolder(it->first) ? m_durable.erase(it) : std::next(it);
    for (auto& [name, id] : m_names)
      if (inFolder(name)) m_durable[name] = id;
    return 0;
  }
  int Stat(const std::string& path, bool* exists, unsigned* mode) override {
    auto it = m_names.find(path);
    *exists = it != m_names.end();
    if (*exists) *mode = m_inodes[it->second].mode;
    return 0;
  }
  int ReadAll(const std::string& path, std::string* out) override {
    auto it = m_names.find(path);
    if (it == m_names.end()) return ENOENT;
    *out = m_inodes[it->second].data;
    return 0;
  }

  int Calls(Op op) const { return m_calls[op]; }

 private:
  struct Inode {
    std::string data;
    std::string synced;
    unsigned mode = 0644;
  };
  int Enter(Op op) {
    if (m_crashed) return EIO;
    if (m_crashIn > 0 && --m_crashIn == 0) {
      Crash();
      m_crashed = true;
      return EIO;
    }
    if (!m_watched.empty() && !m_names.count(m_watched)) m_watchedMissing = true;
    ++m_calls[op];
    if (m_failAt[op] != 0 && m_calls[op] == m_failAt[op]) return m_failErr[op];
    if (m_failFrom[op] != 0 && m_calls[op] >= m_failFrom[op]) return m_failErr[op];
    return 0;
  }

  std::map<int, Inode> m_inodes;
  std::map<std::string, int> m_names;
  std::map<std::string, int> m_durable;
  std::map<int, int> m_handles;
  int m_nextInode = 1;
  int m_nextHandle = 3;
  int m_failAt[kOpCount] = {};
  int m_failFrom[kOpCount] = {};
  std::string m_watched;
  bool m_watchedMissing = false;
  int m_failErr[kOpCount] = {};
  int m_calls[kOpCount] = {};
  int m_crashIn = 0;
  bool m_crashed = false;
};

}  // namespace pm2
