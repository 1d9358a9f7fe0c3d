// The trace log.
#include "shell/Trace.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/stat.h>

namespace {

constexpr const char* kFolderVariable = "ORVATEMP";
constexpr const char* kFallbackFolderVariable = "TEMP";
constexpr const char* kSwitchVariable = "PO";
constexpr const char* kFileName = "trace.txt";
constexpr const char* kArchivePrefix = "trace";
constexpr const char* kArchiveSuffix = ".txt";
constexpr const char* kLineEnd = "\r\n";
constexpr const char* kLineWord = " line ";
constexpr size_t kMaxText = TraceLog::kLineBufferSize - 1;  // the buffer keeps a terminator

bool entryExists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string inFolder(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : folder + "/" + name;
}

std::string clipped(std::string text)
{
    if (text.size() > kMaxText)
        text.resize(kMaxText);
    return text;
}

} // namespace

TraceLog::TraceLog(plat::Clock& clock) : TraceLog(FolderFromEnvironment(), clock)
{
}

TraceLog::TraceLog(std::string folder, plat::Clock& clock) : m_clock(clock), m_folder(std::move(folder))
{
}

std::string TraceLog::FolderFromEnvironment()
{
    if (const char* value = std::getenv(kFolderVariable))
        return value;
    if (const char* value = std::getenv(kFallbackFolderVariable))
        return value;
    return {};
}

bool TraceLog::EnvironmentRequestsTrace()
{
    return std::getenv(kSwitchVariable) != nullptr && std::getenv(kFolderVariable) != nullptr;
}

std::string TraceLog::filePath() const
{
    return inFolder(m_folder, kFileName);
}

std::string TraceLog::archivePath(int n) const
{
    return inFolder(m_folder, kArchivePrefix + std::to_string(n) + kArchiveSuffix);
}

void TraceLog::TraceLine(const char* format, ...)
{
    char buffer[kLineBufferSize];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
    va_end(args);
    if (n < 0)
        buffer[0] = '\0';
    WriteText(buffer);
}

void TraceLog::TracePosition(std::string_view source, int line)
{
    TraceLine("%.*s line %d", int(source.size()), source.data(), line);
}

void TraceLog::TraceValue(std::string_view source, int line, std::string_view expression, std::string_view value)
{
    std::string text;
    text.append(source).append(kLineWord).append(std::to_string(line)).append(expression).append(value);
    // The text goes out as it is, never as a format, so a "%" in a value is harmless.
    WriteText(clipped(std::move(text)));
}

void TraceLog::TraceValue(std::string_view source, int line, std::string_view expression, const char* value)
{
    TraceValue(source, line, expression, std::string_view(value ? value : ""));
}

void TraceLog::TraceValue(std::string_view source, int line, std::string_view expression, const std::string& value)
{
    TraceValue(source, line, expression, std::string_view(value));
}

void TraceLog::TraceValue(std::string_view source, int line, std::string_view expression, long long value)
{
    TraceValue(source, line, expression, std::string_view(std::to_string(value)));
}

void TraceLog::TraceValue(std::string_view source, int line, std::string_view expression, double value)
{
    std::ostringstream stream;  // default stream formatting: six significant digits
    stream << value;
    TraceValue(source, line, expression, std::string_view(stream.str()));
}

void TraceLog::WriteText(std::string_view text)
{
    if (!m_lapTimer)
        m_lapTimer.emplace(0, m_clock);
    const int64_t lap = m_lapTimer->lap();
    const int lapMs = lap > INT_MAX ? INT_MAX : int(lap);

    std::FILE* file = std::fopen(filePath().c_str(), m_startNew ? "wb" : "ab");
    if (!file)
        return;  // the line is lost; tracing never disturbs the program
    std::fprintf(file, "%10d ", lapMs);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fputs(kLineEnd, file);
    std::fclose(file);
    m_startNew = false;
}

bool TraceLog::TraceArchive()
{
    const std::string current = filePath();
    if (!entryExists(current))
        return false;
    for (int n = 0; n < INT_MAX; ++n) {
        const std::string target = archivePath(n);
        if (!entryExists(target))
            return std::rename(current.c_str(), target.c_str()) == 0;
    }
    return false;
}

bool TraceLog::TraceDelete()
{
    return std::remove(filePath().c_str()) == 0;
}
