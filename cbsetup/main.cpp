// CBsetup: the one-window installer of the Cobblix screensaver. No arguments: it shows its
// form and installs on "&Install".
#include "cbsetup/Carried.h"
#include "cbsetup/HostLink.h"
#include "cbsetup/Version.h"
#include "cbsetup/ui/Form1.h"
#include "platform/Locations.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"

#include <QApplication>

// The version resource of the executable: the same texts in a section of their own, so
// that tools can read them from the file without running it.
__attribute__((used, section(".orvane_version"))) static const char kVersionResource[] =
    "FileDescription=Cobblix Installation\0FileVersion=2.0\0InternalName=CBsetup\0";

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(cbsetup::kInternalName);
    QApplication::setApplicationVersion(cbsetup::kFileVersion);
    plat::setBoxPresenter(plat::qtBoxPresenter());

    const plat::Locations locations = plat::Locations::fromEnvironment();
    plat::Registry registry = plat::Registry::fromEnvironment();

    cbsetup::Form1Options options;
    options.environment.windowsFolder = locations.windowsFolder;
    options.environment.machineHive = &registry.hive(plat::Hive::LocalMachine);
    options.environment.resources = &cbsetup::carriedResources();
    options.environment.announceSettingsChanged = [run = locations.runFolder] {
        cbsetup::announceSettingsChanged(run);
    };
    // Until the host's settings program is installed the start fails; that is not shown.
    options.environment.startDisplaySettings = [] {
        cbsetup::startSettingsProgram(cbsetup::settingsProgramPath(cbsetup::ownExecutableFolder()));
    };

    cbsetup::Form1 form(std::move(options));
    form.show();
    form.raise();
    return app.exec();
}
