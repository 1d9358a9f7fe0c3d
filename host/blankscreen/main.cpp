// Blank Screen: started by the host with "/s", "/c", "/p ID" or "/a ID".
#include "host/blankscreen/BlankScreen.h"

#include "platform/MessageBox.h"
#include "platform/Window.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    // Boxes come from the configuration mode, a dialog mode.
    plat::setBoxPresenter(plat::qtBoxPresenter());

    shell::AppEnvironment env = shell::AppEnvironment::FromEnvironment();
    env.backendFactory = []() {
        std::string error;
        auto backend = plat::createSdlBackend(&error);
        if (!backend)
            std::fprintf(stderr, "%s: cannot open the display: %s\n", blank::kTitle, error.c_str());
        return backend;
    };
    blank::BlankProgram program;
    shell::CSaverApp app(program, args, env);
    shell::AppScope scope(app);
    return app.Run();
}
