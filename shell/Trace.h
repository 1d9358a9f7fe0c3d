// The trace log: diagnostic lines in "trace.txt" of the trace folder, each prefixed with
// the milliseconds since the previous line. The application owns one TraceLog; callers
// decide from their trace flag whether to write a line at all.
#pragma once

#include "shell/seTimer.h"

#include "platform/Clock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

class TraceLog {
public:
    static constexpr int kLineBufferSize = 1024;

    // Trace folder from the environment (ORVATEMP, else TEMP, else the current folder).
    explicit TraceLog(plat::Clock& clock = plat::systemClock());
    // Trace folder given ("" is the current folder).
    TraceLog(std::string folder, plat::Clock& clock);

    // ORVATEMP when defined, else TEMP when defined, else "".
    static std::string FolderFromEnvironment();
    // Whether both "PO" and "ORVATEMP" are defined (any value, even empty).
    static bool EnvironmentRequestsTrace();

    const std::string& folder() const { return m_folder; }
    // folder + "/trace.txt", or "trace.txt" when the folder is "".
    std::string filePath() const;
    // folder + "/trace<n>.txt", or "trace<n>.txt" when the folder is "".
    std::string archivePath(int n) const;

    // Formats (at most 1023 characters) and writes "%10d text\r\n", the number being the
    // milliseconds since the previous line (0 or so for the first). The first line of this
    // log, and the first after StartNewFile(), truncates the file; later lines append.
    // The file is closed after every line; a file that cannot be opened loses the line.
    void TraceLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // "<source> line <line>".
    void TracePosition(std::string_view source, int line);
    // "<source> line <line><expression><value>"; expression carries its own separators,
    // for example " : m_Rand.seed() = ". Floats use six significant digits.
    void TraceValue(std::string_view source, int line, std::string_view expression, std::string_view value);
    void TraceValue(std::string_view source, int line, std::string_view expression, const char* value);
    void TraceValue(std::string_view source, int line, std::string_view expression, const std::string& value);
    void TraceValue(std::string_view source, int line, std::string_view expression, long long value);
    void TraceValue(std::string_view source, int line, std::string_view expression, double value);
    template <typename T>
        requires std::is_integral_v<T>
    void TraceValue(std::string_view source, int line, std::string_view expression, T value)
    {
        TraceValue(source, line, expression, static_cast<long long>(value));
    }
    void TraceValue(std::string_view source, int line, std::string_view expression, float value)
    {
        TraceValue(source, line, expression, static_cast<double>(value));
    }

    // Renames an existing trace file to the smallest free "trace<n>.txt" (n = 0, 1, ...);
    // true when renamed. Does nothing without a trace file.
    bool TraceArchive();
    // Deletes the trace file; true when it was deleted.
    bool TraceDelete();
    // The next line starts the file anew.
    void StartNewFile() { m_startNew = true; }

private:
    void WriteText(std::string_view text);

    plat::Clock& m_clock;
    std::string m_folder;
    std::optional<seTimer> m_lapTimer;  // created at the first line
    bool m_startNew = true;
};
