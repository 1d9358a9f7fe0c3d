// The screensaver command line: switch matching, the seed argument, and the start-up
// dispatch of each program as pure functions from the arguments (and a few facts about the
// running system) to a decision. The application object carries the decision out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace shell {

// m_nRunMode values. There is no mode 2.
enum RunMode : int {
    kModeNone = 0,
    kModeChangePassword = 1,
    kModePreview = 3,
    kModeConfigure = 4,
    kModeSaver = 5,
    kModeTray = 6,
};

// Which program's start-up rules apply.
enum class Variant { Zyloria, Tavorine, Dicemere2 };

// True when arg, after skipping one leading '-' or '/', equals word exactly, ignoring case.
// So "/s", "-S" and "s" match "s"; "/c:1234" matches nothing.
bool MatchSwitch(const std::string& arg, const std::string& word);

// The seed argument: with at least two arguments after the program name and an 'r' at
// position 1 of the second one, the rest of it read as a decimal integer (leading blanks
// and a sign allowed, reading stops at the first non-digit, no digits gives 0; values beyond
// the 32-bit range are clamped to it). args are the arguments without the program name.
std::optional<int> SeedArgument(const std::vector<std::string>& args);

// The decimal window id of an argument as the host passes it ("/p 4194305"): leading digits
// read as an unsigned number; 0 (no window) when there are none or the number overflows.
uint64_t WindowIdArgument(const std::string& arg);

// What start-up does once the command line is read.
enum class StartAction {
    ConfigSheet,     // the configuration sheet, modal; then the program ends
    ChangePassword,  // the host's password change dialog; then the program ends
    Note,            // a note box with noteText; then the program ends
    Preview,         // a scene window inside the host's window parentId
    Saver,           // the full-screen saver window (or Dicemere2's launch window)
    Tray,            // Dicemere2's control window
    End,             // nothing to show: the program ends at once
};

// Facts the Dicemere2 start-up depends on, found by the caller before dispatching.
struct DispatchFacts {
    bool trayTookOver = false;   // the tray hand-over check started the tray instance
    bool trayOption = false;     // the UseTray setting
    int runningInstances = 0;    // other long-running instances of the program
};

struct StartDecision {
    int runMode = kModeNone;
    StartAction action = StartAction::End;
    uint64_t parentId = 0;       // the host window for preview and password change; 0 none
    std::string noteText;        // for StartAction::Note
    // What start-up returns when the action succeeds: true keeps the program running in its
    // message loop. Preview, Saver and Tray are true; their window may still fail to appear.
    bool keepsRunning = false;
};

// The note Dicemere2 shows for "a".
std::string Dicemere2PasswordNote();

// Whether Dicemere2 must run its tray hand-over check before dispatching these arguments
// ("s", or a missing or unknown first argument).
bool AsksTrayHandOver(const std::vector<std::string>& args);

// The start-up decision for args (without the program name).
StartDecision DecideStart(Variant variant, const std::vector<std::string>& args,
                          const DispatchFacts& facts = {});

} // namespace shell
