#include "tools/picture_module_loader.h"
#include "tools/output_fault.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace specialty {

namespace {

Failure notLoaded(const std::string& path, const char* why) {
    std::string reason = why ? why : "";
    if (reason.rfind(path + ": ", 0) == 0) reason.erase(0, path.size() + 2); // the file is named already
    return fileFault(OutputFault::PictureModuleNotLoaded, path, std::move(reason));
}

} // namespace

std::string pictureModulePath(const std::string& program) {
    const std::string folder = program.substr(0, program.rfind('/') + 1);
    std::string beside = folder + SPECIALTY_PICTURE_MODULE_NAME;
    struct stat info {};
    if (::stat(beside.c_str(), &info) == 0) return beside;
    // The kernel gives the program's path with every link resolved, so ".." may be taken lexically.
    return std::filesystem::path(folder + SPECIALTY_PICTURE_MODULE_INSTALLED).lexically_normal().string();
}

Result<const PictureModule*> loadPictureModule(const std::string& path) {
    using Loaded = Result<const PictureModule*>;
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) return Loaded::failure(notLoaded(path, ::dlerror()));
    using Entry = const PictureModule* (*)();
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): dlsym gives a function as a data pointer
    const auto entry = reinterpret_cast<Entry>(::dlsym(module, kPictureModuleEntry));
    if (!entry) return Loaded::failure(notLoaded(path, ::dlerror()));
    const PictureModule* offered = entry();
    if (!offered || offered->version != kPictureModuleVersion) {
        Failure other = fileFault(OutputFault::PictureModuleOtherBuild, path);
        other.count = offered ? offered->version : 0;
        other.limit = kPictureModuleVersion;
        return Loaded::failure(std::move(other));
    }
    return offered;
}

Result<const PictureModule*> loadOwnPictureModule() {
    char program[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof program)
        return Result<const PictureModule*>::failure(
            notLoaded(SPECIALTY_PICTURE_MODULE_NAME, std::strerror(length <= 0 ? errno : ENAMETOOLONG)));
    return loadPictureModule(pictureModulePath(std::string(program, static_cast<std::size_t>(length))));
}

PictureCheck moduleJudgement(const PictureModule& module) {
    return [&module](const std::string& path) -> Status {
        PictureJudgement judged;
        module.judge(path, judged);
        if (judged.whole) return Done{};
        Failure notWhole(OutputFault::PictureJudgedByModule);
        notWhole.why = std::move(judged.reason);
        return Status::failure(std::move(notWhole));
    };
}

} // namespace specialty
