// The saver application: the one program-wide object of each screensaver program (`gApp`).
// It seeds the program-wide random generator, decides whether tracing is on, reads the
// command line, creates the program's settings object and the window of the run mode, owns
// them until it ends, and offers the program-wide services (help page, product version,
// system version, registry reads).
//
// Each program plugs in through a SaverProgram: its titles, variant, settings object,
// configuration sheet, windows and the host's password hooks. The class may be constructed
// several times in one process (tests); `gApp` is only set by a program's main.
#pragma once

#include "shell/CommandLine.h"
#include "shell/Random.h"
#include "shell/SaverWnd.h"
#include "shell/ScreenWnd.h"
#include "shell/Settings.h"
#include "shell/Trace.h"

#include "host/Host.h"
#include "platform/Clock.h"
#include "platform/Locations.h"
#include "platform/Registry.h"
#include "platform/Window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace shell {

class CSaverApp;

// What a screensaver program brings to the shared application object.
class SaverProgram {
public:
    virtual ~SaverProgram() = default;

    // The program title: application name and settings location ("Zyloria").
    virtual std::string Title() const = 0;
    // The configuration sheet's title ("Zyloria Screensaver").
    virtual std::string SheetTitle() const = 0;
    // The help page's file name, appended to InstallFolder ("Zyloria.htm").
    virtual std::string HelpPage() const = 0;
    virtual Variant GetVariant() const = 0;

    // The program's settings object; its construction may switch app.m_bTrace on.
    virtual std::unique_ptr<SaverSettings> CreateSettings(CSaverApp& app) = 0;
    // Shows the configuration sheet modally (parentXid 0: no parent).
    virtual void ShowConfigSheet(CSaverApp& app, uint64_t parentXid) = 0;
    // The preview window, created as a child of the host's window; null when it cannot be.
    virtual std::unique_ptr<CSaverWnd> CreatePreviewWnd(CSaverApp& app, uint64_t parentXid) = 0;
    // The full-screen window, created; null when it cannot be. Its Screen() is the saver
    // behaviour, built with app.ScreenPasswordCheck().
    virtual std::unique_ptr<CSaverWnd> CreateScreenWnd(CSaverApp& app) = 0;

    // The host's password check for the saver window; true lets the saver end. Without a
    // host check the saver can always be ended.
    virtual bool VerifyPassword(CSaverApp& app, uint64_t windowXid) { return true; }
    // The host's password change dialog; its result is ignored.
    virtual void ChangePassword(CSaverApp& app, uint64_t parentXid) {}

    // Dicemere2 only: the tray hand-over check (true when the tray instance took over and
    // this process should end), the tray option, the count of other running instances,
    // and its two long-running windows (created; null on failure).
    virtual bool HandOverToTray(CSaverApp& app) { return false; }
    virtual bool TrayOption(CSaverApp& app) { return false; }
    virtual int CountRunningInstances(CSaverApp& app) { return 0; }
    virtual std::unique_ptr<CSaverWnd> CreateTrayWnd(CSaverApp& app) { return nullptr; }
    virtual std::unique_ptr<CSaverWnd> CreateLaunchWnd(CSaverApp& app) { return nullptr; }
};

// Where the application finds its surroundings. Programs use FromEnvironment(); tests
// relocate everything below a temporary folder and script the windows and the clock.
struct AppEnvironment {
    plat::Locations locations;
    plat::Clock* clock = nullptr;   // null: the system clock
    // Opens the window toolkit when a window is first needed; null: no windows can be made.
    std::function<std::unique_ptr<plat::WindowBackend>()> backendFactory;
    // Both "PO" and "ORVATEMP" defined; unset: read from the environment.
    std::optional<bool> traceFromEnv;
    // The trace folder; unset: from the environment.
    std::optional<std::string> traceFolder;
    // Opens a document with its viewer; null: plat::openDocument.
    std::function<bool(const std::string&)> openDocument;
    // The platform family OsPlatformId() reports; 2 would be the family without the checks.
    int osPlatformId = 3;

    static AppEnvironment FromEnvironment();
};

class CSaverApp {
public:
    // Construction: seeds m_Rand (clock, or the seed argument), sets the trace flags and
    // writes the seed trace line. args excludes the program name.
    CSaverApp(SaverProgram& program, std::vector<std::string> args, AppEnvironment env);
    ~CSaverApp();
    CSaverApp(const CSaverApp&) = delete;
    CSaverApp& operator=(const CSaverApp&) = delete;

    // Start-up: settings location, settings object, dispatch on the command line. True
    // when the program goes on into its message loop.
    bool InitInstance();
    // The end of the program: releases the saver's grab and handles the trace file.
    int ExitInstance();
    // InitInstance, the message loop when it returned true, ExitInstance; the exit status.
    int Run();

    // --- Services ---
    CSaverWnd* pSceneWnd() const { return m_pSceneWnd.get(); }
    CSaverWnd* pScreenWnd() const { return m_pScreenWnd; }
    CSaverWnd* pMainWnd() const { return m_pMainWnd.get(); }
    void ShowConfigSheet(uint64_t parentXid);
    void ShowHelp();
    std::string GetProductVersion() const;
    // A version resource text as stored ("1, 6, 0, 1") turned into "1.6.0.1".
    static std::string ProductVersionFrom(const std::string& resource);
    int OsMajorVersion() const;
    int OsMinorVersion() const;
    int OsPlatformId() const { return m_env.osPlatformId; }
    std::string ReadRegistryString(plat::Hive root, const std::string& subkey,
                                   const std::string& name) const;

    // The rule of the saver's password check for this program: Tavorine's screen window
    // always asks the host; the others ask only when m_bUsePassword is set and the system
    // is not of family 2.
    ScreenBehaviour::PasswordCheck ScreenPasswordCheck();
    bool SaverAsksPassword() const;

    SaverProgram& Program() { return m_program; }
    const std::vector<std::string>& Args() const { return m_args; }
    const StartDecision& Decision() const { return m_decision; }
    SettingsStore& Store() { return m_store; }
    SaverSettings* Settings() const { return m_pSettings.get(); }
    host::Host& Host() { return m_host; }
    plat::Registry& Registry() { return m_registry; }
    const plat::Locations& Locations() const { return m_env.locations; }
    plat::Clock& Clock() { return *m_env.clock; }
    TraceLog& Trace() { return m_trace; }
    // The message loop, opening the window toolkit on first use; null when it cannot open.
    plat::MessageLoop* Loop();

    // --- Program-wide state ---
    seRandom m_Rand;
    int m_nRunMode = kModeNone;
    bool m_bTraceFromEnv = false;
    bool m_bTrace = false;
    bool m_bUsePassword = false;

private:
    void applyFrameLimit(CSaverWnd& wnd);
    bool startPreview();
    bool startSaver();
    bool startDicemere2Window(bool tray);
    void readPasswordSwitch();

    SaverProgram& m_program;
    std::vector<std::string> m_args;
    AppEnvironment m_env;
    plat::Registry m_registry;
    host::Host m_host;
    SettingsStore m_store;
    TraceLog m_trace;
    StartDecision m_decision;
    std::unique_ptr<SaverSettings> m_pSettings;
    // Windows go before the loop, and the loop before the toolkit (members end in reverse).
    std::unique_ptr<plat::WindowBackend> m_backend;
    std::unique_ptr<plat::MessageLoop> m_loop;
    std::unique_ptr<CSaverWnd> m_pSceneWnd;   // preview or full-screen window
    CSaverWnd* m_pScreenWnd = nullptr;        // the same object in saver mode
    std::unique_ptr<CSaverWnd> m_pMainWnd;    // Dicemere2's tray or launch window
    bool m_bGrabbed = false;
};

// The program's one application object, set by its main (null elsewhere).
extern CSaverApp* gApp;

// Sets gApp for its lifetime and restores the previous value after.
class AppScope {
public:
    explicit AppScope(CSaverApp& app) : m_previous(gApp) { gApp = &app; }
    ~AppScope() { gApp = m_previous; }
    AppScope(const AppScope&) = delete;
    AppScope& operator=(const AppScope&) = delete;

private:
    CSaverApp* m_previous;
};

} // namespace shell
