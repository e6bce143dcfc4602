#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cli/atomic_file.h"

namespace {

// The target's permissions when it exists, otherwise what a new file gets under the umask.
mode_t ModeFor(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        return info.st_mode & 07777;
    }
    const mode_t mask = umask(022);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool ReplaceWholeFile(const std::string& path, const std::string& text, std::string& problem) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = folder + "." + name + ".XXXXXX";
    std::vector<char> buffer(temporary.begin(), temporary.end());
    buffer.push_back('\0');
    // A descriptor on success, -1 with errno on failure.
    const int fd = mkstemp(buffer.data());
    if (fd < 0) {
        problem = std::string("cannot create a file beside it: ") + std::strerror(errno);
        return false;
    }
    temporary = buffer.data();
    // Each call is 0 on success; the first failure names its errno.
    bool written = fchmod(fd, ModeFor(path)) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    const int writeError = errno;
    written = close(fd) == 0 && written;
    if (!written) {
        problem = std::strerror(writeError);
        unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        problem = std::string("cannot rename the finished file over it: ") + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}
