// Which names an attach uses: the usual ones, or private ones when another
// user blocks those (see ipc_objects.h and ipc_private_names.h).
#include "platform/ipc_foreign_object.h"
#include "platform/ipc_objects.h"
#include "platform/ipc_private_names.h"

namespace pm2 {
namespace {

// New keys tried when another user holds a name of the private ones too
// (one who saw them in /dev/shm while they were in use, and made one after
// they went): each new key is 128 random bits nobody has seen.
constexpr int kPrivateKeyRounds = 3;

}  // namespace

bool IpcObjects::AttachObjects(std::string* err) {
  m_ns = m_usual;
  m_inTheWay.clear();
  if (!m_ns.EnsureRuntimeDir(err)) return false;
  ForeignObject foreign;
  std::string key;
  // Processes of this user that already meet under private names are
  // joined there, whatever became of the usual names meanwhile.
  const bool joinPrivate = ReadPrivateKey(m_usual, &key) && PrivateSetInUse(key);
  if (!joinPrivate && !FindForeignObject(ShmPaths(m_usual), m_usual.uid, &foreign)) {
    // A name made by another user after the look makes the attach fail:
    // looked at again then.
    std::string usualError;
    if (AttachUnderNames(&usualError)) return true;
    if (!FindForeignObject(ShmPaths(m_usual), m_usual.uid, &foreign)) {
      if (err) *err = usualError;
      return false;
    }
  }
  const std::string blocked =
      foreign.path.empty() ? "" : "The event interface's name " + OwnerText(foreign);
  std::string refused;  // a key whose names another user holds as well
  std::string privateError;
  for (int round = 0; round < kPrivateKeyRounds; ++round) {
    if (!(round == 0 && joinPrivate) && !ObtainPrivateKey(m_usual, refused, &key, &privateError)) break;
    m_ns.privateKey = key;
    ForeignObject squatted;
    if (FindForeignObject(ShmPaths(m_ns), m_ns.uid, &squatted)) {
      privateError = "the private name " + OwnerText(squatted);
      refused = key;
      continue;
    }
    if (AttachUnderNames(&privateError)) {
      m_inTheWay = (blocked.empty() ? std::string("Another user blocked the event interface's usual names")
                                    : blocked) +
                   ": this user's programs meet under private names instead (their key is in '" +
                   m_usual.PrivateKeyFile() + "'); a program that looks for the usual names does not reach this one";
      return true;
    }
    if (!FindForeignObject(ShmPaths(m_ns), m_ns.uid, &squatted)) break;
    privateError = "the private name " + OwnerText(squatted);
    refused = key;
  }
  m_ns = m_usual;
  if (err)
    *err = blocked.empty() ? "Under the event interface's private names (their key is in '" +
                                 m_usual.PrivateKeyFile() + "'): " + privateError
                           : blocked + "; no private names instead: " + privateError;
  return false;
}

}  // namespace pm2
