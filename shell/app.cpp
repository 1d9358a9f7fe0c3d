// The saver application object: construction, start-up dispatch, end, and the
// program-wide services.
#include "shell/app.h"

#include "shell/seLibrary.h"

#include "orvane_version.h"
#include "platform/Process.h"

#include <cstdlib>
#include <sys/utsname.h>
#include <utility>

namespace shell {

CSaverApp* gApp = nullptr;

namespace {

constexpr const char* kCompanyWord = "Orvane";
constexpr int kNoPlatformChecks = 2;   // the family whose host does its own checking
constexpr const char* kFrameLimitVariable = "ORVANE_FRAME_LIMIT";

// Seed trace lines: source, expression and the lines for "seed given" and "clock seed".
struct SeedTrace {
    const char* source;
    const char* expression;
    int seedLine;
    int clockLine;
};
constexpr SeedTrace kZyloriaSeedTrace{"app", " : m_Rand.seed() = ", 72, 76};
constexpr SeedTrace kTavorineSeedTrace{"App", " : rand.seed() = ", 57, 61};
constexpr SeedTrace kDicemere2SeedTrace{"App", " : m_Rand.seed() = ", 63, 67};

const SeedTrace& seedTraceOf(Variant v)
{
    switch (v) {
    case Variant::Tavorine: return kTavorineSeedTrace;
    case Variant::Dicemere2: return kDicemere2SeedTrace;
    default: return kZyloriaSeedTrace;
    }
}

plat::Clock& clockOf(const AppEnvironment& env)
{
    return env.clock ? *env.clock : plat::systemClock();
}

// The n-th number (0-based) of the kernel release "6.1.0-18-amd64"; 0 when absent.
int releaseNumber(int index)
{
    struct utsname u {};
    if (uname(&u) != 0)
        return 0;
    const char* p = u.release;
    for (int i = 0; i <= index; ++i) {
        char* end = nullptr;
        const long value = std::strtol(p, &end, 10);
        if (end == p)
            return 0;
        if (i == index)
            return static_cast<int>(value);
        if (*end != '.')
            return 0;
        p = end + 1;
    }
    return 0;
}

} // namespace

AppEnvironment AppEnvironment::FromEnvironment()
{
    AppEnvironment env;
    env.locations = plat::Locations::fromEnvironment();
    return env;
}

CSaverApp::CSaverApp(SaverProgram& program, std::vector<std::string> args, AppEnvironment env)
    : m_Rand(clockOf(env)),
      m_program(program),
      m_args(std::move(args)),
      m_env(std::move(env)),
      m_registry(m_env.locations.userHive, m_env.locations.machineHive),
      m_host(m_registry, m_env.locations),
      m_store(m_registry.hive(plat::Hive::CurrentUser), m_program.Title()),
      m_trace(m_env.traceFolder ? *m_env.traceFolder : TraceLog::FolderFromEnvironment(),
              clockOf(m_env))
{
    if (!m_env.clock)
        m_env.clock = &plat::systemClock();
    m_bTraceFromEnv = m_env.traceFromEnv ? *m_env.traceFromEnv : TraceLog::EnvironmentRequestsTrace();
    m_bTrace = m_bTraceFromEnv;
    m_bUsePassword = false;

    const SeedTrace& trace = seedTraceOf(m_program.GetVariant());
    if (const auto seed = SeedArgument(m_args)) {
        m_Rand.seed(*seed);
        if (m_bTrace)
            m_trace.TraceValue(trace.source, trace.seedLine, trace.expression, m_Rand.seed());
    } else if (m_bTrace) {
        m_trace.TraceValue(trace.source, trace.clockLine, trace.expression, m_Rand.seed());
    }
    m_nRunMode = kModeNone;
}

CSaverApp::~CSaverApp()
{
    // Windows first (they may still reach the settings), then the settings object.
    m_pMainWnd.reset();
    m_pScreenWnd = nullptr;
    m_pSceneWnd.reset();
    m_pSettings.reset();
}

plat::MessageLoop* CSaverApp::Loop()
{
    if (m_loop)
        return m_loop.get();
    if (!m_backend) {
        if (!m_env.backendFactory)
            return nullptr;
        m_backend = m_env.backendFactory();
        if (!m_backend)
            return nullptr;
    }
    m_loop = std::make_unique<plat::MessageLoop>(*m_backend, Clock());
    // Catch SIGTERM and SIGINT from now on: one that arrives before the main window exists
    // waits in the loop and reaches the main window once the loop runs.
    m_loop->installSignalHandlers(plat::kNoWindow);
    return m_loop.get();
}

bool CSaverApp::InitInstance()
{
    m_store.SetRegistryKey(kCompanyWord);
    m_pSettings = m_program.CreateSettings(*this);
    const Variant variant = m_program.GetVariant();
    if (m_bTrace && !m_bTraceFromEnv && variant != Variant::Tavorine)
        m_trace.TraceArchive();

    DispatchFacts facts;
    if (variant == Variant::Dicemere2 && AsksTrayHandOver(m_args)) {
        facts.trayTookOver = m_program.HandOverToTray(*this);
        if (!facts.trayTookOver && !m_args.empty() && MatchSwitch(m_args[0], "s")) {
            facts.trayOption = m_program.TrayOption(*this);
            facts.runningInstances = m_program.CountRunningInstances(*this);
        }
    }
    m_decision = DecideStart(variant, m_args, facts);
    m_nRunMode = m_decision.runMode;

    switch (m_decision.action) {
    case StartAction::ConfigSheet:
        ShowConfigSheet(m_decision.parentId);
        return false;
    case StartAction::ChangePassword:
        m_program.ChangePassword(*this, m_decision.parentId);
        return false;
    case StartAction::Note:
        seLibrary::ShowNote(m_decision.noteText);
        return false;
    case StartAction::Preview:
        return startPreview();
    case StartAction::Saver:
        if (variant == Variant::Dicemere2) {
            readPasswordSwitch();
            return startDicemere2Window(false);
        }
        return startSaver();
    case StartAction::Tray:
        return startDicemere2Window(true);
    case StartAction::End:
        return false;
    }
    return false;
}

void CSaverApp::readPasswordSwitch()
{
    const std::string text = ReadRegistryString(plat::Hive::CurrentUser, host::kDesktopKey,
                                                host::kUsePasswordValue);
    if (!text.empty())
        m_bUsePassword = std::strtol(text.c_str(), nullptr, 10) != 0;
}

// ORVANE_FRAME_LIMIT=N ends a saver after N drawing steps (start-up measurements).
void CSaverApp::applyFrameLimit(CSaverWnd& wnd)
{
    if (const char* text = std::getenv(kFrameLimitVariable))
        wnd.SetFrameLimit(std::atoi(text));
}

bool CSaverApp::startPreview()
{
    if (!Loop())
        return false;
    auto wnd = m_program.CreatePreviewWnd(*this, m_decision.parentId);
    if (!wnd || !wnd->IsWindow())
        return false;
    wnd->SetMainWindow(true);
    applyFrameLimit(*wnd);
    m_pSceneWnd = std::move(wnd);
    m_loop->installSignalHandlers(m_pSceneWnd->GetId());
    return true;
}

bool CSaverApp::startSaver()
{
    readPasswordSwitch();
    if (!Loop())
        return false;
    auto wnd = m_program.CreateScreenWnd(*this);
    if (!wnd || !wnd->IsWindow())
        return false;
    wnd->SetMainWindow(true);
    applyFrameLimit(*wnd);
    m_pScreenWnd = wnd.get();
    m_pSceneWnd = std::move(wnd);
    m_loop->installSignalHandlers(m_pScreenWnd->GetId());
    // The stand-in for "a protected saver runs": it holds the keyboard and the pointer.
    if (m_bUsePassword && OsPlatformId() != kNoPlatformChecks) {
        if (ScreenBehaviour* screen = m_pScreenWnd->Screen())
            screen->SetGrab(true);
        else
            m_loop->backend().setInputGrab(m_pScreenWnd->GetId(), true);
        m_bGrabbed = true;
    }
    return true;
}

bool CSaverApp::startDicemere2Window(bool tray)
{
    if (!Loop())
        return false;
    auto wnd = tray ? m_program.CreateTrayWnd(*this) : m_program.CreateLaunchWnd(*this);
    if (!wnd || !wnd->IsWindow())
        return false;
    wnd->SetMainWindow(true);
    m_pMainWnd = std::move(wnd);
    m_loop->installSignalHandlers(m_pMainWnd->GetId());
    return true;
}

int CSaverApp::ExitInstance()
{
    if (m_nRunMode == kModeSaver) {
        if (m_bGrabbed) {
            if (m_pScreenWnd && m_pScreenWnd->IsWindow())
                m_loop->backend().setInputGrab(m_pScreenWnd->GetId(), false);
            m_bGrabbed = false;
        }
        if (m_bTrace && !m_bTraceFromEnv && m_program.GetVariant() != Variant::Tavorine)
            m_trace.TraceDelete();
    }
    return 0;
}

int CSaverApp::Run()
{
    int code = 0;
    if (InitInstance() && m_loop)
        code = m_loop->run();
    ExitInstance();
    return code;
}

void CSaverApp::ShowConfigSheet(uint64_t parentXid)
{
    m_program.ShowConfigSheet(*this, parentXid);
}

void CSaverApp::ShowHelp()
{
    const std::string folder = m_pSettings ? m_pSettings->InstallFolder() : std::string();
    const std::string name = folder + m_program.HelpPage();
    if (!seLibrary::FileExists(name)) {
        seLibrary::ShowError(0, "Sorry, could not find help file " + name +
                                    ". It may be installed in another folder.");
        return;
    }
    const bool opened = m_env.openDocument ? m_env.openDocument(name) : plat::openDocument(name);
    if (!opened)
        seLibrary::ShowError(0, "Sorry, could not launch browser to view help file " + name);
}

std::string CSaverApp::ProductVersionFrom(const std::string& resource)
{
    std::string out;
    for (char c : resource) {
        if (c == ' ')
            continue;
        out += c == ',' ? '.' : c;
    }
    return out;
}

std::string CSaverApp::GetProductVersion() const
{
    return ProductVersionFrom(ORVANE_PRODUCT_VERSION_RESOURCE);
}

int CSaverApp::OsMajorVersion() const
{
    return releaseNumber(0);
}

int CSaverApp::OsMinorVersion() const
{
    return releaseNumber(1);
}

std::string CSaverApp::ReadRegistryString(plat::Hive root, const std::string& subkey,
                                          const std::string& name) const
{
    return m_registry.readString(root, subkey, name);
}

bool CSaverApp::SaverAsksPassword() const
{
    if (m_program.GetVariant() == Variant::Tavorine)
        return true;
    return m_bUsePassword && OsPlatformId() != kNoPlatformChecks;
}

ScreenBehaviour::PasswordCheck CSaverApp::ScreenPasswordCheck()
{
    return [this](uint64_t windowXid) {
        if (!SaverAsksPassword())
            return true;
        return m_program.VerifyPassword(*this, windowXid);
    };
}

} // namespace shell
