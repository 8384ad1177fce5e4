// Shared mappings that another process may cut short. An access past the
// new end of such a mapping raises SIGBUS, which would end the program. For
// the mappings guarded here the signal's handler brings the object back to
// its mapped size (ftruncate may be called in a handler) and the access is
// made again, now to a page that reads zero; the cut is noted for the
// mapping's owner, who reports it and puts right what it damaged. A bus
// error anywhere else ends the program as it would have without the guard.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pm2 {

// Guards [base, base + size) of the object open as fd; a token for the
// calls below, -1 when too many mappings are guarded already.
int GuardMappingAgainstCuts(uint8_t* base, size_t size, int fd);
// Before the mapping goes.
void UnguardMapping(int token);
// The size the object had been cut to when a cut was mended since the last
// call; -1 when none was.
long long TakeMendedCut(int token);

}  // namespace pm2
