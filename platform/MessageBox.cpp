// The presenter in force for message boxes, and the presenter of last resort that writes the
// box to standard error.
#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>

namespace plat {

namespace {

// The one presenter of the program: set by the program at start, swapped by tests.
struct PresenterSlot {
    std::mutex mutex;
    BoxPresenter presenter;
};

PresenterSlot& slot()
{
    static PresenterSlot s;
    return s;
}

const char* iconWord(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Error:
        return "error";
    case BoxIcon::Question:
        return "question";
    case BoxIcon::Information:
        break;
    }
    return "note";
}

} // namespace

void setBoxPresenter(BoxPresenter presenter)
{
    std::lock_guard<std::mutex> lock(slot().mutex);
    slot().presenter = std::move(presenter);
}

BoxAnswer showBox(const BoxRequest& request)
{
    BoxPresenter presenter;
    {
        std::lock_guard<std::mutex> lock(slot().mutex);
        presenter = slot().presenter;
    }
    // The presenter runs without the lock: a box may be modal for a long time.
    if (!presenter) {
        presenter = stderrBoxPresenter();
    }
    return presenter(request);
}

BoxPresenter stderrBoxPresenter()
{
    return [](const BoxRequest& request) {
        std::fprintf(stderr, "%s (%s): %s\n", request.title.c_str(), iconWord(request.icon), request.text.c_str());
        std::fflush(stderr);
        // Nobody can answer: Ok, which no caller takes for a Yes.
        return BoxAnswer::Ok;
    };
}

} // namespace plat
