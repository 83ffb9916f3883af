// The temporary files that a replace writes beside its target, named
// "<target>.tmp<process id>-<number>": the name is made and read here only,
// so that the leftovers of a process that died are found by the same rule
// that named them.
#ifndef TIZ_PLATFORM_TEMPORARYFILES_H
#define TIZ_PLATFORM_TEMPORARYFILES_H

#include <cstdint>
#include <string>

namespace tiz::platform {

// The name of the `number`th temporary file that process `processId` makes
// for `target`, in the target's directory.
std::string TemporaryPathOf(const char *target, uint32_t processId, unsigned number);

// Removes the temporary files that replaces of `path` by processes that no
// longer run left beside it (a crash between creating one and renaming it).
// Call it only while holding the exclusive lock of `path`; a failure leaves
// the files for a later try.
void RemoveStaleTemporaries(const char *path);

}  // namespace tiz::platform

#endif
