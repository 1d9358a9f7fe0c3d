// The screensaver command line and the start-up dispatch of Zyloria, Tavorine and Dicemere2.
#include "shell/CommandLine.h"

#include <cctype>
#include <climits>

namespace shell {

namespace {

constexpr size_t kSeedMarkerPos = 1;     // "/r42": the 'r' follows the switch character
constexpr char kSeedMarker = 'r';
constexpr size_t kSeedDigitsPos = 2;
constexpr int kInstancesWithTray = 2;    // the tray instance plus no run yet
constexpr int kInstancesWithoutTray = 1;

const char* const kDicemereNote1 = "Dicemere lets the running screensaver handle the password protection.\n\n";
const char* const kDicemereNote2 =
    "So if passwords are being used, Dicemere will just select a screensaver to run based on your "
    "frequencies, and not interrupt it. ";
const char* const kDicemereNote3 = "i.e. the duration is ignored.";

// A decision to take `action` in run mode `mode`. Preview, Saver and Tray go on in the
// program's message loop; every other action ends the program once done.
StartDecision decision(int mode, StartAction action, uint64_t parent = 0)
{
    StartDecision d;
    d.runMode = mode;
    d.action = action;
    d.parentId = parent;
    d.keepsRunning =
        action == StartAction::Preview || action == StartAction::Saver || action == StartAction::Tray;
    return d;
}

StartDecision configure() { return decision(kModeConfigure, StartAction::ConfigSheet); }

StartDecision ends(int mode) { return decision(mode, StartAction::End); }

StartDecision decideSaverProgram(Variant variant, const std::vector<std::string>& args)
{
    if (args.empty())
        return configure();
    const std::string& first = args[0];
    const uint64_t parent = args.size() >= 2 ? WindowIdArgument(args[1]) : 0;
    if (MatchSwitch(first, "c"))
        return configure();
    if (MatchSwitch(first, "a"))
        return decision(kModeChangePassword, StartAction::ChangePassword, parent);
    if (MatchSwitch(first, "p")) {
        // Tavorine shows nothing in the preview; a preview without a host window cannot start.
        if (variant == Variant::Tavorine || parent == 0)
            return ends(kModePreview);
        return decision(kModePreview, StartAction::Preview, parent);
    }
    if (MatchSwitch(first, "s"))
        return decision(kModeSaver, StartAction::Saver);
    return configure();
}

StartDecision decideDicemere2(const std::vector<std::string>& args, const DispatchFacts& facts)
{
    const bool any = !args.empty();
    if (any && MatchSwitch(args[0], "tray"))
        return decision(kModeTray, StartAction::Tray);
    if (any && MatchSwitch(args[0], "a")) {
        StartDecision d = decision(kModeChangePassword, StartAction::Note);
        d.noteText = Dicemere2PasswordNote();
        return d;
    }
    if (any && MatchSwitch(args[0], "p"))
        return ends(kModePreview);
    if (any && MatchSwitch(args[0], "c"))
        return configure();
    const bool saver = any && MatchSwitch(args[0], "s");
    if (facts.trayTookOver)
        return ends(saver ? kModeSaver : kModeConfigure);
    if (!saver)
        return configure();
    const int limit = facts.trayOption ? kInstancesWithTray : kInstancesWithoutTray;
    if (facts.runningInstances >= limit)
        return ends(kModeSaver);
    return decision(kModeSaver, StartAction::Saver);
}

} // namespace

bool MatchSwitch(const std::string& arg, const std::string& word)
{
    size_t start = 0;
    if (!arg.empty() && (arg[0] == '-' || arg[0] == '/'))
        start = 1;
    if (arg.size() - start != word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        const auto a = static_cast<unsigned char>(arg[start + i]);
        const auto b = static_cast<unsigned char>(word[i]);
        if (std::tolower(a) != std::tolower(b))
            return false;
    }
    return true;
}

std::optional<int> SeedArgument(const std::vector<std::string>& args)
{
    if (args.size() < 2)
        return std::nullopt;
    const std::string& arg = args[1];
    if (arg.size() <= kSeedMarkerPos || arg[kSeedMarkerPos] != kSeedMarker)
        return std::nullopt;
    size_t i = kSeedDigitsPos;
    while (i < arg.size() && std::isspace(static_cast<unsigned char>(arg[i])))
        ++i;
    bool negative = false;
    if (i < arg.size() && (arg[i] == '+' || arg[i] == '-')) {
        negative = arg[i] == '-';
        ++i;
    }
    int64_t value = 0;
    constexpr int64_t kLimit = static_cast<int64_t>(INT_MAX) + 1;
    for (; i < arg.size() && std::isdigit(static_cast<unsigned char>(arg[i])); ++i) {
        value = value * 10 + (arg[i] - '0');
        if (value > kLimit)
            value = kLimit;   // saturate: the clamp below decides the result
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    if (value < INT_MIN)
        value = INT_MIN;
    return static_cast<int>(value);
}

uint64_t WindowIdArgument(const std::string& arg)
{
    uint64_t value = 0;
    size_t i = 0;
    for (; i < arg.size() && std::isdigit(static_cast<unsigned char>(arg[i])); ++i) {
        const uint64_t digit = static_cast<uint64_t>(arg[i] - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return 0;
        value = value * 10 + digit;
    }
    return value;
}

std::string Dicemere2PasswordNote()
{
    return std::string(kDicemereNote1) + kDicemereNote2 + kDicemereNote3;
}

bool AsksTrayHandOver(const std::vector<std::string>& args)
{
    if (args.empty())
        return true;
    const std::string& first = args[0];
    for (const char* known : {"tray", "a", "p", "c"})
        if (MatchSwitch(first, known))
            return false;
    return true;
}

StartDecision DecideStart(Variant variant, const std::vector<std::string>& args,
                          const DispatchFacts& facts)
{
    if (variant == Variant::Dicemere2)
        return decideDicemere2(args, facts);
    return decideSaverProgram(variant, args);
}

} // namespace shell
