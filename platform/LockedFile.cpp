// Whole-file reads, atomic replacement and the locked read-modify-write of shared files.
#include "platform/LockedFile.h"

#include "platform/Locations.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

namespace {

constexpr size_t kReadChunk = 65536;
constexpr mode_t kNewFileMode = 0666;     // narrowed by the umask
constexpr mode_t kLockFileMode = 0600;
constexpr int kMaxTempAttempts = 100;
constexpr int kMaxAsideNumber = 100000;
constexpr const char* kLockSuffix = ".lock";
constexpr const char* kAsideSuffix = ".bad-";
constexpr const char* kTempInfix = ".tmp-";

std::string errnoText(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

std::string parentFolder(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool writeAll(int fd, const std::string& content)
{
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync folders
    ::close(fd);
    return ok;
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

ReadStatus readWholeFile(const std::string& path, std::string& out, std::string* error)
{
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return ReadStatus::Missing;
        if (error)
            *error = errnoText("cannot open", path);
        return ReadStatus::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error)
            *error = "not a regular file: " + path;
        ::close(fd);
        return ReadStatus::Failed;
    }
    char buffer[kReadChunk];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (error)
                *error = errnoText("cannot read", path);
            ::close(fd);
            out.clear();
            return ReadStatus::Failed;
        }
        if (n == 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return ReadStatus::Ok;
}

bool replaceFileAtomically(const std::string& path, const std::string& content, std::string* error)
{
    const std::string folder = parentFolder(path);
    mode_t mode = kNewFileMode;
    bool keepMode = false;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
        keepMode = true;
    }

    // Under the caller's lock no other writer uses this name; a leftover of a crashed
    // process with the same id is stale and goes.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < kMaxTempAttempts && fd < 0; ++attempt) {
        temp = path + kTempInfix + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) {
            if (error)
                *error = errnoText("cannot create", temp);
            return false;
        }
    }
    if (fd < 0) {
        if (error)
            *error = "no free temporary name beside " + path;
        return false;
    }
    bool ok = writeAll(fd, content);
    std::string failure = ok ? "" : errnoText("cannot write", temp);
    // The old file's exact mode bits, unnarrowed by the umask; a failure here is not fatal.
    if (ok && keepMode)
        static_cast<void>(::fchmod(fd, mode));
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        failure = errnoText("cannot sync", temp);
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errnoText("cannot close", temp);
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        failure = errnoText("cannot rename over", path);
    }
    if (!ok) {
        ::unlink(temp.c_str());
        if (error)
            *error = failure;
        return false;
    }
    if (!syncFolder(folder)) {
        if (error)
            *error = errnoText("cannot sync folder", folder);
        return false;
    }
    return true;
}

std::string moveAside(const std::string& path, std::string* error)
{
    for (int n = 1; n <= kMaxAsideNumber; ++n) {
        const std::string aside = path + kAsideSuffix + std::to_string(n);
        if (exists(aside))
            continue;
        // link + unlink so that an aside file appearing meanwhile is never replaced.
        if (::link(path.c_str(), aside.c_str()) == 0) {
            if (::unlink(path.c_str()) != 0) {
                if (error)
                    *error = errnoText("cannot remove", path);
                ::unlink(aside.c_str());
                return "";
            }
            syncFolder(parentFolder(path));
            return aside;
        }
        if (errno == EEXIST)
            continue;
        // File systems without hard links: rename, after checking the name is free.
        if (!exists(aside) && ::rename(path.c_str(), aside.c_str()) == 0) {
            syncFolder(parentFolder(path));
            return aside;
        }
        if (error)
            *error = errnoText("cannot move aside", path);
        return "";
    }
    if (error)
        *error = "no free name to move aside " + path;
    return "";
}

FileLock::FileLock(const std::string& lockPath)
{
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kLockFileMode);
    if (fd < 0) {
        m_error = errnoText("cannot open lock", lockPath);
        return;
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR)
            continue;
        m_error = errnoText("cannot lock", lockPath);
        ::close(fd);
        return;
    }
    m_fd = fd;
}

FileLock::~FileLock()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
}

bool lockedUpdate(const std::string& lockPath, const std::function<std::string()>& target,
                  const UpdateChange& change, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    const std::string folder = parentFolder(lockPath);
    if (!makeFolders(folder))
        return fail(errnoText("cannot create folder", folder));
    FileLock lock(lockPath);
    if (!lock.locked())
        return fail(lock.error());

    const std::string path = target();
    std::string text;
    std::string why;
    const ReadStatus status = readWholeFile(path, text, &why);
    if (status == ReadStatus::Failed)
        return fail(why);
    std::optional<std::string> current;
    if (status == ReadStatus::Ok)
        current = std::move(text);

    std::string next;
    switch (change(current, path, next, why)) {
    case UpdateOutcome::Keep:
        return true;
    case UpdateOutcome::Fail:
        return fail(why);
    case UpdateOutcome::Write:
        break;
    }
    if (!replaceFileAtomically(path, next, &why))
        return fail(why);
    return true;
}

bool lockedUpdate(const std::string& path, const UpdateChange& change, std::string* error)
{
    return lockedUpdate(path + kLockSuffix, [&path] { return path; }, change, error);
}

} // namespace plat
