#include "ScriptFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nbs {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return fd_; }
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view content)
{
    const char *p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false;
        p += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// A new, exclusive, hidden file in the target's folder, its name kept short
// enough for any file system. The mode 0666 goes through the umask as any
// newly created file would.
int CreateTemporary(const std::string &target, std::string &tempPath)
{
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 100);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".%ld.%u.tmp", static_cast<long>(::getpid()), counter++);
        tempPath = folder + "." + name + suffix;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

bool ReadWholeFile(const char *path, std::string &content)
{
    FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return false;
    struct stat info;
    if (::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    std::string text;
    if (S_ISREG(info.st_mode) && info.st_size > 0)
        text.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            break;
        text.append(chunk, static_cast<std::size_t>(got));
    }
    content.swap(text);
    return true;
}

bool ReplaceFile(const char *path, std::string_view content)
{
    if (path == nullptr || path[0] == '\0')
        return false;

    std::string target = path;
    struct stat existing;
    bool exists = ::lstat(path, &existing) == 0;
    if (exists && S_ISLNK(existing.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path, resolved) == nullptr)
            return false;
        target = resolved;
        exists = ::stat(resolved, &existing) == 0;
    }
    if (exists && S_ISDIR(existing.st_mode))
        return false;
    // Replacing by rename would get past a file the user made read-only.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return false;

    std::string tempPath;
    FileDescriptor file(CreateTemporary(target, tempPath));
    if (file.get() < 0)
        return false;

    bool ok = true;
    if (exists && S_ISREG(existing.st_mode))
        ok = ::fchmod(file.get(), existing.st_mode & 07777) == 0;
    ok = ok && WriteAll(file.get(), content);
    ok = ok && ::fsync(file.get()) == 0;
    ok = file.Close() && ok;
    ok = ok && ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(tempPath.c_str());
    return ok;
}

}  // namespace nbs
