// Baseline for the start-to-first-frame measurement: a bare SDL2 full-screen window with a GL
// context that clears and presents one frame, then exits. bench/first_frame.sh times it
// beside the savers so their start-up cost can be read against the bare minimum.
#include <SDL.h>
#include <SDL_opengl.h>

int main(int, char**)
{
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_Window* window = SDL_CreateWindow("first frame", 0, 0, 0, 0,
                                          SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_OPENGL);
    if (!window)
        return 1;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
        return 1;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    glFinish();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
