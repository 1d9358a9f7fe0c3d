// Files shared by several processes: whole-file reads, atomic replacement and the locked
// read-modify-write that the registry hives and the profile files both use.
// A write takes an exclusive flock on a separate lock file, reads the target afresh, lets the
// caller change the text, writes a temporary file in the same folder, fsyncs it, renames it
// over the target and fsyncs the folder. Readers take no lock: they see the old or the new file.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace plat {

enum class ReadStatus { Ok, Missing, Failed };

// Reads a whole file into `out`. Missing: no such file. Failed: it exists but cannot be read
// (a folder, no permission, I/O error); `error` then says why.
ReadStatus readWholeFile(const std::string& path, std::string& out, std::string* error = nullptr);

// Replaces `path` by `content` atomically (temporary file beside it, fsync, rename, fsync of
// the folder). The permissions of an existing file are kept.
bool replaceFileAtomically(const std::string& path, const std::string& content,
                           std::string* error = nullptr);

// Renames `path` to the first free "PATH.bad-N" (N from 1). Returns the new path, or "" with
// `error` set. Callers hold the file's lock so that nobody replaces it meanwhile.
std::string moveAside(const std::string& path, std::string* error = nullptr);

// An exclusive flock on a lock file, held for the object's lifetime. Waiting blocks in the
// kernel; it never spins.
class FileLock {
public:
    explicit FileLock(const std::string& lockPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return m_fd >= 0; }
    const std::string& error() const { return m_error; }

private:
    int m_fd = -1;
    std::string m_error;
};

// What a change made of the current text.
enum class UpdateOutcome { Write, Keep, Fail };

// current: the target's text, nullopt when there is no such file. target: the target's path.
// Sets `next` for Write; sets `error` for Fail.
using UpdateChange = std::function<UpdateOutcome(const std::optional<std::string>& current,
                                                 const std::string& target, std::string& next,
                                                 std::string& error)>;

// The locked read-modify-write. `lockPath` is locked; then `target()` names the file (it may
// depend on what is in the folder, so it is asked under the lock); the file is read afresh,
// `change` runs and a Write outcome replaces the file atomically. The folder is created when
// missing. True for Write and Keep; false (with `error`) when anything failed, in which case
// the file is untouched. A file that exists but cannot be read is never handed to `change`.
bool lockedUpdate(const std::string& lockPath, const std::function<std::string()>& target,
                  const UpdateChange& change, std::string* error = nullptr);

// The usual case: the target is `path` and the lock is "PATH.lock".
bool lockedUpdate(const std::string& path, const UpdateChange& change, std::string* error = nullptr);

} // namespace plat
