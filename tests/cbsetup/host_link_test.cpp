// The settings-changed datagram to the host's socket and the start of the settings program.
#include "Support.h"

#include "cbsetup/HostLink.h"

#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace cbsetup;

namespace {

// A datagram socket bound where the host listens.
class Listener {
public:
    explicit Listener(const std::string& path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr {};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", path.c_str());
        bound = ::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    }
    ~Listener() { ::close(m_fd); }
    std::string receive()
    {
        char buf[256];
        ssize_t n = ::recv(m_fd, buf, sizeof(buf), MSG_DONTWAIT);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }
    bool bound = false;

private:
    int m_fd = -1;
};

void makeScript(const std::string& path, const std::string& body)
{
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    ::chmod(path.c_str(), 0755);
}

} // namespace

TEST(Announce, DeliversSettingsChangedToTheHostSocket)
{
    cbtest::TempRoot root;
    Listener host(root.path() + "/host.sock");
    ASSERT_TRUE(host.bound);
    EXPECT_TRUE(announceSettingsChanged(root.path()));
    EXPECT_EQ(host.receive(), "settings-changed");
    EXPECT_EQ(host.receive(), "") << "exactly one datagram";
}

TEST(Announce, NobodyListeningIsQuietlyNothing)
{
    cbtest::TempRoot root;
    EXPECT_FALSE(announceSettingsChanged(root.path()));                 // no socket
    EXPECT_FALSE(announceSettingsChanged(root.path() + "/missing"));   // no run folder
    cbtest::writeBytes(root.path() + "/host.sock", {1});                // not a socket
    EXPECT_FALSE(announceSettingsChanged(root.path()));
    EXPECT_FALSE(announceSettingsChanged("/" + std::string(200, 'r')));  // too long a name
}

TEST(SettingsProgram, FoundBesideTheInstallerElseOnPath)
{
    cbtest::TempRoot root;
    EXPECT_EQ(settingsProgramPath(root.path()), "orvane-settings");
    EXPECT_EQ(settingsProgramPath(""), "orvane-settings");
    cbtest::writeBytes(root.path() + "/orvane-settings", {'#'});
    EXPECT_EQ(settingsProgramPath(root.path()), "orvane-settings") << "not executable";
    ::chmod((root.path() + "/orvane-settings").c_str(), 0755);
    EXPECT_EQ(settingsProgramPath(root.path()), root.path() + "/orvane-settings");
    EXPECT_FALSE(ownExecutableFolder().empty());
}

TEST(SettingsProgram, StartsDetachedWithTheScreensaverTabArgument)
{
    cbtest::TempRoot root;
    const std::string marker = root.path() + "/started";
    const std::string program = root.path() + "/orvane-settings";
    // The script records its argument and whether it leads a session of its own.
    makeScript(program, "echo \"$1 $$ $(ps -o sid= -p $$ | tr -d ' ')\" > '" + marker + "'");
    std::string why;
    pid_t pid = startSettingsProgram(program, &why);
    ASSERT_GT(pid, 0) << why;
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    std::string text = cbtest::readFile(marker);
    std::istringstream in(text);
    std::string arg, self, session;
    in >> arg >> self >> session;
    EXPECT_EQ(arg, "--screensaver-tab");
    EXPECT_EQ(self, std::to_string(pid));
    if (!session.empty()) {  // ps may be missing; the argument is what matters most
        EXPECT_EQ(session, self);
    }

    EXPECT_EQ(startSettingsProgram(root.path() + "/no-such-program", &why), -1);
    EXPECT_FALSE(why.empty());
}
