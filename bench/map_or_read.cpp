// What it costs to bring a page-cached file's bytes to the processor: read() through a buffer of the
// search's size, or mapping the file (as it comes, with MAP_POPULATE, or after MADV_SEQUENTIAL), each
// followed by a memchr count of its line ends, so that every byte is touched once.
//
//   map_or_read read|map|populate|sequential FILE      prints the number of line ends
//
// Run each way under `perf stat -e task-clock,page-faults -r 10` (or /usr/bin/time) to compare them; the
// numbers in docs/performance.md come from that.
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

long long countIn(const char* p, const char* end) {
    long long lines = 0;
    while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) !=
           nullptr) {
        ++lines;
        ++p;
    }
    return lines;
}

long long byReading(int fd) {
    std::vector<char> buffer(256 * 1024);
    long long lines = 0;
    ssize_t got = 0;
    while ((got = ::read(fd, buffer.data(), buffer.size())) > 0)
        lines += countIn(buffer.data(), buffer.data() + got);
    return got < 0 ? -1 : lines;
}

long long byMapping(int fd, const std::string& how) {
    struct stat about {};
    if (::fstat(fd, &about) != 0 || about.st_size == 0) return -1;
    const auto size = static_cast<std::size_t>(about.st_size);
    const int flags = MAP_PRIVATE | (how == "populate" ? MAP_POPULATE : 0);
    void* mapped = ::mmap(nullptr, size, PROT_READ, flags, fd, 0);
    if (mapped == MAP_FAILED) return -1;
    if (how == "sequential") ::madvise(mapped, size, MADV_SEQUENTIAL);
    const char* bytes = static_cast<const char*>(mapped);
    const long long lines = countIn(bytes, bytes + size);
    ::munmap(mapped, size);
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    const std::string how = argc == 3 ? argv[1] : "";
    if (how != "read" && how != "map" && how != "populate" && how != "sequential") {
        std::fprintf(stderr, "usage: map_or_read read|map|populate|sequential FILE\n");
        return 2;
    }
    const int fd = ::open(argv[2], O_RDONLY);
    if (fd < 0) {
        std::perror(argv[2]);
        return 1;
    }
    const long long lines = how == "read" ? byReading(fd) : byMapping(fd, how);
    ::close(fd);
    std::printf("%lld\n", lines);
    return lines < 0 ? 1 : 0;
}
