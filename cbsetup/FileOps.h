// File helpers of the installation: existence as the platform's attribute query sees it,
// replacing a file atomically (temporary name, then rename), and the short-path query.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace cbsetup {

inline constexpr size_t kShortPathBufferSize = 255;

// True when something of that name exists (a file, folder or link, even a dangling one).
bool pathExists(const std::string& path);

// Writes bytes to a temporary file beside path, flushes it to disk and renames it over
// path, so that path holds either its old content or all of the new one. mode gives the
// permission bits. false and a reason when any step fails; the temporary file is removed.
bool replaceFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                           unsigned mode, std::string* error);

// The short form of an existing path, as the platform's short-path query gives it into a
// buffer of bufferSize characters. Linux keeps no short names, so the short form of a path
// is the path itself; the query fails when nothing exists there or when the path does not
// fit the buffer with its terminating NUL.
std::optional<std::string> shortPathName(const std::string& path, size_t bufferSize = kShortPathBufferSize);

// Leading and trailing blanks removed.
std::string trimBlanks(const std::string& text);

} // namespace cbsetup
