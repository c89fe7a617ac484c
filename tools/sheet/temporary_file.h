// The unlinked temporary files a review sheet keeps its data in while it is made: nothing of them stays
// behind, whatever becomes of the process.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace specialty {

// An unlinked file in `folder`, open for reading and writing, or -1 with errno.
int unlinkedTemporaryFile(const std::string& folder);

using TemporaryStream = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
// The same in the system's temporary folder (P_tmpdir), as a stream; a null one with errno.
TemporaryStream temporaryStream();

} // namespace specialty
