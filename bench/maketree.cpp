// Makes a tree of empty files for the scan benchmark:
//
// tagscope-maketree DIR A B C FILES
//
// DIR gets A folders, each of them B folders, each of those C folders, and each of these FILES empty files with a
// mix of extensions (some in upper case, one with two dots, some without). Every file has a last-write time of its own
// minute, 61 seconds after the one before: the hardest case for anything shared between files of one minute, and
// varied like the dates of real files rather than all in one minute.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kExtensions[] = {".jpg", ".JPG", ".png", ".txt", ".pdf", ".tar.gz", ".mp4", ".docx", "", ".json"};
constexpr long kSecondsPerFile = 61;
constexpr long long kFirstTime = 1704067200; // 2024-01-01 00:00:00 UTC

bool makeFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST)
        return true;
    std::fprintf(stderr, "cannot make %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
}

bool makeLeaf(const std::string& folder, long leaf, long files)
{
    if (!makeFolder(folder))
        return false;
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return false;
    char name[64];
    for (long i = 0; i < files; ++i) {
        const char* extension = kExtensions[static_cast<std::size_t>(i) % std::size(kExtensions)];
        std::snprintf(name, sizeof name, "file%05ld%s", i, extension);
        const int fd = ::openat(dir, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::fprintf(stderr, "cannot make %s/%s: %s\n", folder.c_str(), name, std::strerror(errno));
            ::close(dir);
            return false;
        }
        const timespec when{static_cast<time_t>(kFirstTime + (leaf * files + i) * kSecondsPerFile), 0};
        const timespec times[2] = {when, when};
        ::futimens(fd, times);
        ::close(fd);
    }
    ::close(dir);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fputs("usage: tagscope-maketree DIR A B C FILES\n", stderr);
        return 2;
    }
    const std::string root = argv[1];
    const long a = std::atol(argv[2]);
    const long b = std::atol(argv[3]);
    const long c = std::atol(argv[4]);
    const long files = std::atol(argv[5]);
    if (!makeFolder(root))
        return 1;
    char part[32];
    long leaf = 0;
    for (long i = 0; i < a; ++i) {
        std::snprintf(part, sizeof part, "/a%02ld", i);
        const std::string first = root + part;
        if (!makeFolder(first))
            return 1;
        for (long j = 0; j < b; ++j) {
            std::snprintf(part, sizeof part, "/b%02ld", j);
            const std::string second = first + part;
            if (!makeFolder(second))
                return 1;
            for (long k = 0; k < c; ++k) {
                std::snprintf(part, sizeof part, "/c%02ld", k);
                if (!makeLeaf(second + part, leaf++, files))
                    return 1;
            }
        }
    }
    return 0;
}
