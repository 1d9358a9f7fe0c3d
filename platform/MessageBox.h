// Message boxes: "Error" with the error icon and "Note" with the information icon.
// Saver modes show them with SDL, dialog modes with Qt; tests install a recorder.
#pragma once

#include <functional>
#include <string>

namespace plat {

enum class BoxIcon { Error, Information, Question };
enum class BoxButtons { Ok, OkCancel, YesNo };
enum class BoxAnswer { Ok, Cancel, Yes, No };

struct BoxRequest {
    std::string title;
    std::string text;
    BoxIcon icon = BoxIcon::Information;
    BoxButtons buttons = BoxButtons::Ok;
    uint64_t ownerXid = 0;  // 0: unowned
};

using BoxPresenter = std::function<BoxAnswer(const BoxRequest&)>;

// The presenter in force; programs set the one of their mode at start.
void setBoxPresenter(BoxPresenter presenter);
BoxAnswer showBox(const BoxRequest& request);

BoxPresenter sdlBoxPresenter();   // platform/sdl
BoxPresenter qtBoxPresenter();    // platform/qt; needs a QApplication
// Without a presenter: the text goes to standard error and the answer is Ok.
BoxPresenter stderrBoxPresenter();

} // namespace plat
