// Preloaded into a process to stand for someone who swaps a folder of its output for a link the moment the
// first file lands in it: after the first rename that leaves a visible file in $SPECIALTY_SWAP_FOLDER, the
// folder is renamed FOLDER.real and a link to $SPECIALTY_SWAP_TARGET takes its place.
#include <dirent.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

using Rename = int (*)(const char*, const char*);
using RenameAt = int (*)(int, const char*, int, const char*);

Rename realRename() {
    static const auto real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
    return real;
}

RenameAt realRenameAt() {
    static const auto real = reinterpret_cast<RenameAt>(::dlsym(RTLD_NEXT, "renameat"));
    return real;
}

bool holdsAFile(const char* folder) {
    DIR* dir = ::opendir(folder);
    if (dir == nullptr) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.') found = true;
    ::closedir(dir);
    return found;
}

void swapOnce() {
    static std::atomic<bool> swapped{false};
    static std::mutex lock;
    const char* folder = std::getenv("SPECIALTY_SWAP_FOLDER");
    const char* target = std::getenv("SPECIALTY_SWAP_TARGET");
    if (folder == nullptr || target == nullptr || swapped) return;
    const std::lock_guard<std::mutex> held(lock);
    if (swapped || !holdsAFile(folder)) return;
    swapped =
        realRename()(folder, (std::string(folder) + ".real").c_str()) == 0 && ::symlink(target, folder) == 0;
}

} // namespace

extern "C" int rename(const char* from, const char* to) {
    const int result = realRename()(from, to);
    swapOnce();
    return result;
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    const int result = realRenameAt()(fromFolder, from, toFolder, to);
    swapOnce();
    return result;
}
