// List-box transfers, message boxes and small text and arithmetic helpers.
#include "shell/seLibrary.h"

#include "platform/MessageBox.h"

#include <cmath>
#include <sys/stat.h>

namespace {
constexpr const char* kErrorTitle = "Error";
constexpr const char* kNoteTitle = "Note";

// A box with one OK button over the window `ownerXid` (0: none).
void showOkBox(const char* title, const std::string& text, plat::BoxIcon icon, uint64_t ownerXid)
{
    plat::BoxRequest request;
    request.title = title;
    request.text = text;
    request.icon = icon;
    request.buttons = plat::BoxButtons::Ok;
    request.ownerXid = ownerXid;
    plat::showBox(request);
}
} // namespace

int seLibrary::MoveAll(ListBox& from, ListBox& to)
{
    int moved = 0;
    while (from.count() > 0) {
        const std::string text = from.text(0);
        from.remove(0);
        to.add(text);
        ++moved;
    }
    return moved;
}

int seLibrary::MoveSelected(ListBox& from, ListBox& to)
{
    int moved = 0;
    int lastInserted = -1;
    // Where the next item goes: after the target's selection, then after each inserted
    // item so that the moved items keep their order.
    int insertAfter = to.count() > 0 ? to.currentSelection() : -1;
    int i = 0;
    while (i < from.count()) {
        if (!from.isSelected(i)) {
            ++i;
            continue;
        }
        const std::string text = from.text(i);
        from.remove(i);
        if (insertAfter >= 0 && insertAfter + 1 < to.count())
            lastInserted = to.insert(insertAfter + 1, text);
        else
            lastInserted = to.add(text);
        if (insertAfter >= 0)
            insertAfter = lastInserted;
        ++moved;
    }
    if (moved == 1)
        to.setSelection(lastInserted);
    return moved;
}

void seLibrary::ShowError(uint64_t ownerXid, const std::string& text)
{
    showOkBox(kErrorTitle, text, plat::BoxIcon::Error, ownerXid);
}

void seLibrary::ShowNote(const std::string& text, uint64_t ownerXid)
{
    showOkBox(kNoteTitle, text, plat::BoxIcon::Information, ownerXid);
}

int seLibrary::Split(const std::string& text, char c, std::vector<std::string>& out)
{
    if (text.empty())
        return 0;
    int appended = 0;
    size_t start = 0;
    for (;;) {
        const size_t pos = text.find(c, start);
        if (pos == std::string::npos) {
            if (start < text.size()) {
                out.push_back(text.substr(start));
                ++appended;
            }
            return appended;
        }
        out.push_back(text.substr(start, pos - start));
        ++appended;
        start = pos + 1;
    }
}

bool seLibrary::FileExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

int seLibrary::EraseAll(std::string& text, const std::string& pattern)
{
    if (pattern.empty())
        return 0;
    int erased = 0;
    size_t pos = 0;
    while ((pos = text.find(pattern, pos)) != std::string::npos) {
        text.erase(pos, pattern.size());
        ++erased;
    }
    return erased;
}

bool seLibrary::Contains(const std::string& text, const std::string& pattern)
{
    return text.find(pattern) != std::string::npos;
}

int seLibrary::ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return 0;
    int replaced = 0;
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
        ++replaced;
    }
    return replaced;
}

double seLibrary::SmoothStep(double x, double low, double high)
{
    if (x < low || low == high)
        return 0.0;
    if (x >= high)
        return 1.0;
    const double t = (x - low) / (high - low);
    return t * t * (3.0 - 2.0 * t);
}

void seLibrary::Rotate2D(double a, double& x, double& y)
{
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double nx = x * c - y * s;
    const double ny = x * s + y * c;
    x = nx;
    y = ny;
}

void seLibrary::Rotate2D(float a, float& x, float& y)
{
    double dx = x;
    double dy = y;
    Rotate2D(double(a), dx, dy);
    x = float(dx);
    y = float(dy);
}
