// Preloaded into a process to stand for someone who changes a link the moment it has been judged: right
// after the first realpath() of $SPECIALTY_SWAP_LINK, the link is replaced by one to $SPECIALTY_SWAP_TARGET.
#include <dlfcn.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

void swapAfter(const char* path) {
    static std::atomic<bool> swapped{false};
    const char* link = std::getenv("SPECIALTY_SWAP_LINK");
    const char* target = std::getenv("SPECIALTY_SWAP_TARGET");
    if (link == nullptr || target == nullptr || path == nullptr || std::strcmp(path, link) != 0) return;
    if (swapped.exchange(true)) return;
    const std::string fresh = std::string(link) + ".swap";
    if (::symlink(target, fresh.c_str()) == 0) std::rename(fresh.c_str(), link);
}

} // namespace

extern "C" char* realpath(const char* path, char* resolved) {
    using RealPath = char* (*)(const char*, char*);
    static const auto real = reinterpret_cast<RealPath>(::dlsym(RTLD_NEXT, "realpath"));
    char* result = real(path, resolved);
    swapAfter(path);
    return result;
}

extern "C" char* __realpath_chk(const char* path, char* resolved, std::size_t size) {
    using RealPathChk = char* (*)(const char*, char*, std::size_t);
    static const auto real = reinterpret_cast<RealPathChk>(::dlsym(RTLD_NEXT, "__realpath_chk"));
    char* result = real(path, resolved, size);
    swapAfter(path);
    return result;
}
