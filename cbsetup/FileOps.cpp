// File helpers of the installation (POSIX).
#include "cbsetup/FileOps.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace cbsetup {

namespace {

std::string folderOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string reason(const std::string& what, int err)
{
    return what + " (" + std::strerror(err) + ")";
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes = bytes.subspan(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

bool pathExists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool replaceFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                           unsigned mode, std::string* error)
{
    std::string templ = path + ".partXXXXXX";
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = reason("cannot create a file in " + folderOf(path), errno);
        return false;
    }
    std::string temp(name.data());
    auto fail = [&](const std::string& what) {
        int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        if (error)
            *error = reason(what, err);
        return false;
    };
    if (!writeAll(fd, bytes))
        return fail("cannot write " + temp);
    if (::fchmod(fd, mode) != 0)
        return fail("cannot set the permissions of " + temp);
    if (::fsync(fd) != 0)
        return fail("cannot flush " + temp);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        if (error)
            *error = reason("cannot close " + temp, err);
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        if (error)
            *error = reason("cannot replace " + path, err);
        return false;
    }
    // The rename itself is made durable by flushing the folder; a failure here no longer
    // loses data, so it is not reported.
    int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

std::optional<std::string> shortPathName(const std::string& path, size_t bufferSize)
{
    if (path.empty() || !pathExists(path))
        return std::nullopt;
    if (path.size() + 1 > bufferSize)
        return std::nullopt;
    return path;
}

std::string trimBlanks(const std::string& text)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

} // namespace cbsetup
