// Message boxes of the saver modes, shown with SDL's own message box. When no display can
// show one, the box goes to standard error instead.
#include "platform/MessageBox.h"

#include <SDL.h>

#include <iterator>
#include <vector>

namespace plat {

namespace {

Uint32 sdlIconFlag(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Error:
        return SDL_MESSAGEBOX_ERROR;
    case BoxIcon::Question:
        // SDL has no question icon; a question is a note that wants an answer.
    case BoxIcon::Information:
        break;
    }
    return SDL_MESSAGEBOX_INFORMATION;
}

struct ButtonSet {
    std::vector<SDL_MessageBoxButtonData> buttons;
    BoxAnswer dismissed;   // Escape or closing the box
};

ButtonSet sdlButtons(BoxButtons buttons)
{
    constexpr Uint32 kDefault = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    constexpr Uint32 kEscape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    switch (buttons) {
    case BoxButtons::OkCancel:
        return {{{kDefault, static_cast<int>(BoxAnswer::Ok), "OK"},
                 {kEscape, static_cast<int>(BoxAnswer::Cancel), "Cancel"}},
                BoxAnswer::Cancel};
    case BoxButtons::YesNo:
        return {{{kDefault, static_cast<int>(BoxAnswer::Yes), "Yes"},
                 {kEscape, static_cast<int>(BoxAnswer::No), "No"}},
                BoxAnswer::No};
    case BoxButtons::Ok:
        break;
    }
    return {{{kDefault | kEscape, static_cast<int>(BoxAnswer::Ok), "OK"}}, BoxAnswer::Ok};
}

BoxAnswer showSdlBox(const BoxRequest& request)
{
    ButtonSet set = sdlButtons(request.buttons);
    SDL_MessageBoxData data{};
    data.flags = sdlIconFlag(request.icon);
    data.window = nullptr;
    data.title = request.title.c_str();
    data.message = request.text.c_str();
    data.numbuttons = static_cast<int>(set.buttons.size());
    data.buttons = set.buttons.data();
    data.colorScheme = nullptr;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        // No display for a box: the text must still reach someone.
        return stderrBoxPresenter()(request);
    }
    if (pressed < 0) {
        return set.dismissed;
    }
    return static_cast<BoxAnswer>(pressed);
}

} // namespace

BoxPresenter sdlBoxPresenter()
{
    return [](const BoxRequest& request) { return showSdlBox(request); };
}

} // namespace plat
