// The host's password check and change dialogs: the forms, their painting, and the modal
// SDL windows that show them above a running saver (see PasswordDialog.h).
#include "host/ui/PasswordDialog.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string.h>  // explicit_bzero

namespace host {
namespace ui {

namespace {

constexpr const char* kWindowTitle = "Screen Saver";
constexpr const char* kOkText = "OK";
constexpr const char* kCancelText = "Cancel";

// Look.
constexpr int kFontPixels = 15;
constexpr uint32_t kFaceColor = 0xD4D0C8;
constexpr uint32_t kFrameDark = 0x404040;
constexpr uint32_t kFrameShadow = 0x808080;
constexpr uint32_t kFrameLight = 0xFFFFFF;
constexpr uint32_t kTitleColor = 0x0A246A;
constexpr uint32_t kTitleTextColor = 0xFFFFFF;
constexpr uint32_t kTextColor = 0x000000;
constexpr uint32_t kFieldColor = 0xFFFFFF;
constexpr uint32_t kFocusColor = 0x0A246A;
constexpr uint32_t kBulletColor = 0x000000;
constexpr uint32_t kMessageColor = 0xA00000;

// Layout, in pixels.
constexpr int kCheckWidth = 360;
constexpr int kChangeWidth = 380;
constexpr int kTitleHeight = 22;
constexpr int kMargin = 16;
constexpr int kLabelGap = 22;       // top of a field row to the label's baseline
constexpr int kLabelToField = 6;    // label baseline to the field's top
constexpr int kFieldHeight = 26;
constexpr int kRowGap = 10;         // below a field, before the next row
constexpr int kMessageHeight = 24;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 10;
constexpr int kBottomGap = 14;
constexpr int kBulletRadius = 4;
constexpr int kBulletPitch = 13;
constexpr int kFieldPadding = 10;

// Modal loop.
constexpr int kWaitSliceMs = 250;            // longest single wait for an event
constexpr int64_t kCheckIdleTimeoutMs = 60000;  // an unattended check dialog gives up

void frame3d(Canvas& c, const Rect& r, bool sunken)
{
    uint32_t topLeft = sunken ? kFrameShadow : kFrameLight;
    uint32_t bottomRight = sunken ? kFrameLight : kFrameDark;
    c.fill(r.x, r.y, r.w, 1, topLeft);
    c.fill(r.x, r.y, 1, r.h, topLeft);
    c.fill(r.x, r.y + r.h - 1, r.w, 1, bottomRight);
    c.fill(r.x + r.w - 1, r.y, 1, r.h, bottomRight);
}

void outline(Canvas& c, const Rect& r, int thickness, uint32_t rgb)
{
    c.fill(r.x, r.y, r.w, thickness, rgb);
    c.fill(r.x, r.y + r.h - thickness, r.w, thickness, rgb);
    c.fill(r.x, r.y, thickness, r.h, rgb);
    c.fill(r.x + r.w - thickness, r.y, thickness, r.h, rgb);
}

void centredText(Canvas& c, const TextRenderer& text, const Rect& r, const std::string& s, uint32_t rgb)
{
    int x = r.x + (r.w - text.measure(s)) / 2;
    int baseline = r.y + (r.h + text.ascent()) / 2 - 1;
    text.draw(c, x, baseline, s, rgb);
}

void paintFrame(Canvas& c, const TextRenderer& text, const DialogLayout& l)
{
    c.fill(0, 0, l.width, l.height, kFaceColor);
    outline(c, Rect{0, 0, l.width, l.height}, 1, kFrameDark);
    c.fill(l.titleBar.x, l.titleBar.y, l.titleBar.w, l.titleBar.h, kTitleColor);
    text.draw(c, l.titleBar.x + 6, l.titleBar.y + (l.titleBar.h + text.ascent()) / 2 - 1, kWindowTitle,
              kTitleTextColor);
}

void paintField(Canvas& c, const DialogLayout& l, const Rect& r, const SecretText& field, bool focused)
{
    c.fill(r.x, r.y, r.w, r.h, kFieldColor);
    frame3d(c, r, true);
    if (focused)
        outline(c, Rect{r.x + 1, r.y + 1, r.w - 2, r.h - 2}, 1, kFocusColor);
    // As many bullets as fit; a longer text shows its last characters' worth.
    int room = (r.w - 2 * kFieldPadding) / l.bulletPitch;
    int shown = static_cast<int>(std::min<std::size_t>(field.characters(), static_cast<std::size_t>(room)));
    int cy = r.y + r.h / 2;
    for (int i = 0; i < shown; ++i)
        c.disc(r.x + kFieldPadding + l.bulletRadius + i * l.bulletPitch, cy, l.bulletRadius, kBulletColor);
}

void paintButtons(Canvas& c, const TextRenderer& text, const DialogLayout& l)
{
    for (const auto& [r, label] : {std::pair{l.ok, kOkText}, std::pair{l.cancel, kCancelText}}) {
        frame3d(c, r, false);
        centredText(c, text, r, label, kTextColor);
    }
}

DialogLayout baseLayout(int width, int fieldCount, bool withMessage)
{
    DialogLayout l;
    l.width = width;
    l.fieldCount = fieldCount;
    l.bulletPitch = kBulletPitch;
    l.bulletRadius = kBulletRadius;
    l.titleBar = Rect{1, 1, width - 2, kTitleHeight};
    int y = 1 + kTitleHeight;
    for (int i = 0; i < fieldCount; ++i) {
        l.labelBaselines[i] = y + kLabelGap;
        l.fields[i] = Rect{kMargin, l.labelBaselines[i] + kLabelToField, width - 2 * kMargin, kFieldHeight};
        y = l.fields[i].y + kFieldHeight + kRowGap;
    }
    if (withMessage) {
        l.messageBaseline = y + kMessageHeight * 2 / 3;
        y += kMessageHeight;
    }
    int buttonsY = y + 4;
    l.cancel = Rect{width - kMargin - kButtonWidth, buttonsY, kButtonWidth, kButtonHeight};
    l.ok = Rect{l.cancel.x - kButtonGap - kButtonWidth, buttonsY, kButtonWidth, kButtonHeight};
    l.height = buttonsY + kButtonHeight + kBottomGap;
    return l;
}

} // namespace

// ---- SecretText ----

SecretText::SecretText()
{
    m_text.reserve(kMaxBytes);
}

SecretText::~SecretText()
{
    clear();
}

std::size_t SecretText::append(const std::string& utf8)
{
    std::size_t taken = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t length = utf8SequenceLength(utf8, pos);
        if (length == 0) {
            ++pos;  // not UTF-8: dropped
            continue;
        }
        if (m_text.size() + length > kMaxBytes)
            break;
        m_text.append(utf8, pos, length);
        taken += length;
        pos += length;
    }
    return taken;
}

bool SecretText::backspace()
{
    if (m_text.empty())
        return false;
    std::size_t end = m_text.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(m_text[end]) & 0xC0) == 0x80)
        --end;
    explicit_bzero(m_text.data() + end, m_text.size() - end);
    m_text.resize(end);
    return true;
}

void SecretText::clear()
{
    explicit_bzero(m_text.data(), m_text.size());
    m_text.clear();
}

std::size_t SecretText::characters() const
{
    std::size_t count = 0;
    for (char ch : m_text)
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80)
            ++count;
    return count;
}

// ---- CheckForm ----

FormOutcome CheckForm::key(FormKey k)
{
    if (m_outcome != FormOutcome::Running)
        return m_outcome;
    switch (k) {
    case FormKey::Enter: m_outcome = FormOutcome::Accepted; break;
    case FormKey::Escape: m_outcome = FormOutcome::Cancelled; m_field.clear(); break;
    case FormKey::Backspace: m_field.backspace(); break;
    case FormKey::Tab:
    case FormKey::BackTab: break;
    }
    return m_outcome;
}

// ---- ChangeForm ----

ChangeForm::ChangeForm(Host& host) : m_host(host), m_withOld(host.passwordSet()) {}

const char* ChangeForm::label(int index) const
{
    static constexpr const char* kWithOld[] = {kOldLabel, kNewLabel, kConfirmLabel};
    static constexpr const char* kWithoutOld[] = {kNewLabel, kConfirmLabel};
    if (index < 0 || index >= fieldCount())
        return "";
    return m_withOld ? kWithOld[index] : kWithoutOld[index];
}

SecretText& ChangeForm::field(int index)
{
    return m_fields[std::clamp(index, 0, fieldCount() - 1)];
}

const SecretText& ChangeForm::field(int index) const
{
    return m_fields[std::clamp(index, 0, fieldCount() - 1)];
}

void ChangeForm::setFocus(int index)
{
    m_focus = std::clamp(index, 0, fieldCount() - 1);
}

FormOutcome ChangeForm::key(FormKey k)
{
    if (m_outcome != FormOutcome::Running)
        return m_outcome;
    switch (k) {
    case FormKey::Tab: m_focus = (m_focus + 1) % fieldCount(); break;
    case FormKey::BackTab: m_focus = (m_focus + fieldCount() - 1) % fieldCount(); break;
    case FormKey::Backspace: field(m_focus).backspace(); break;
    case FormKey::Escape:
        clearAll();
        m_outcome = FormOutcome::Cancelled;
        break;
    case FormKey::Enter:
        if (m_focus < fieldCount() - 1)
            ++m_focus;
        else
            m_outcome = submit();
        break;
    }
    return m_outcome;
}

FormOutcome ChangeForm::submit()
{
    const int newIndex = m_withOld ? 1 : 0;
    SecretText& newText = m_fields[newIndex];
    SecretText& confirm = m_fields[newIndex + 1];
    if (m_withOld && !m_host.checkPassword(m_fields[0].text())) {
        m_message = kWrongOldMessage;
        m_fields[0].clear();
        m_focus = 0;
        return FormOutcome::Running;
    }
    if (newText.text() != confirm.text()) {
        m_message = kMismatchMessage;
        newText.clear();
        confirm.clear();
        m_focus = newIndex;
        return FormOutcome::Running;
    }
    // An empty new password turns the password off rather than storing a hash of nothing.
    bool stored = newText.empty() ? m_host.clearPassword() : m_host.setPassword(newText.text());
    if (!stored) {
        m_message = kStoreFailedMessage;
        return FormOutcome::Running;
    }
    clearAll();
    m_message.clear();
    return FormOutcome::Accepted;
}

void ChangeForm::clearAll()
{
    for (auto& f : m_fields)
        f.clear();
}

// ---- layout and painting ----

DialogLayout checkLayout()
{
    return baseLayout(kCheckWidth, 1, false);
}

DialogLayout changeLayout(int fieldCount)
{
    return baseLayout(kChangeWidth, std::clamp(fieldCount, 1, 3), true);
}

void paintCheckDialog(Canvas& canvas, const TextRenderer& text, const CheckForm& form)
{
    DialogLayout l = checkLayout();
    paintFrame(canvas, text, l);
    text.draw(canvas, l.fields[0].x, l.labelBaselines[0], CheckForm::kCaption, kTextColor);
    paintField(canvas, l, l.fields[0], form.field(), true);
    paintButtons(canvas, text, l);
}

void paintChangeDialog(Canvas& canvas, const TextRenderer& text, const ChangeForm& form)
{
    DialogLayout l = changeLayout(form.fieldCount());
    paintFrame(canvas, text, l);
    for (int i = 0; i < form.fieldCount(); ++i) {
        text.draw(canvas, l.fields[i].x, l.labelBaselines[i], form.label(i), kTextColor);
        paintField(canvas, l, l.fields[i], form.field(i), i == form.focus());
    }
    if (!form.message().empty())
        text.draw(canvas, l.fields[0].x, l.messageBaseline, form.message(), kMessageColor);
    paintButtons(canvas, text, l);
}

} // namespace ui

// ---- the modal SDL window ----

namespace {

using ui::FormKey;
using ui::FormOutcome;
using ui::kCheckIdleTimeoutMs;
using ui::kFontPixels;
using ui::kWaitSliceMs;
using ui::kWindowTitle;

// Video for the length of one dialog; ref-counted by SDL, so a saver's own init is untouched.
class VideoUse {
    static bool initVideo()
    {
        // The dialog's surface goes to the screen as a shared-memory X image, not through a
        // GL renderer that SDL would start for it otherwise.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    }

public:
    VideoUse() : m_ok(initVideo())
    {
        if (!m_ok)
            std::fprintf(stderr, "password dialog: cannot start video: %s\n", SDL_GetError());
    }
    ~VideoUse()
    {
        if (m_ok)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    bool ok() const { return m_ok; }

private:
    bool m_ok;
};

// The interface the modal loop needs of either form.
struct FormAdapter {
    virtual ~FormAdapter() = default;
    virtual void type(const std::string& utf8) = 0;
    virtual FormOutcome key(FormKey k) = 0;
    virtual FormOutcome outcome() const = 0;
    virtual ui::DialogLayout layout() const = 0;
    virtual void paint(ui::Canvas& canvas, const ui::TextRenderer& text) const = 0;
    virtual void click(int x, int y) {}
};

class DialogWindow {
public:
    DialogWindow(FormAdapter& form, uint64_t parentXid, plat::Clock& clock, int64_t idleTimeoutMs)
        : m_form(form), m_clock(clock), m_idleTimeoutMs(idleTimeoutMs), m_text(kFontPixels)
    {
        ui::DialogLayout l = form.layout();
        m_window = SDL_CreateWindow(kWindowTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, l.width,
                                    l.height,
                                    SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP |
                                        SDL_WINDOW_SKIP_TASKBAR);
        if (!m_window) {
            std::fprintf(stderr, "password dialog: cannot create its window: %s\n", SDL_GetError());
            return;
        }
        m_canvas = SDL_CreateRGBSurfaceWithFormat(0, l.width, l.height, 32, SDL_PIXELFORMAT_RGB888);
        if (!m_canvas) {
            std::fprintf(stderr, "password dialog: cannot create its canvas: %s\n", SDL_GetError());
            return;
        }
        setTransientFor(parentXid);
        m_id = SDL_GetWindowID(m_window);
    }

    ~DialogWindow()
    {
        if (m_window) {
            SDL_SetWindowKeyboardGrab(m_window, SDL_FALSE);
            SDL_SetWindowMouseGrab(m_window, SDL_FALSE);
            SDL_DestroyWindow(m_window);
        }
        if (m_canvas) {
            // The canvas showed only bullets, but wipe it like every other trace of the typing.
            explicit_bzero(m_canvas->pixels, static_cast<std::size_t>(m_canvas->pitch) * m_canvas->h);
            SDL_FreeSurface(m_canvas);
        }
    }

    bool ok() const { return m_window && m_canvas; }

    // Runs until the form is answered; whether an SDL_QUIT came in meanwhile is kept.
    FormOutcome run()
    {
        const bool textWasOn = SDL_IsTextInputActive();
        const int cursorWas = SDL_ShowCursor(SDL_QUERY);
        // Typing that reached the program before the dialog was up was meant for the saver.
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_KEYDOWN, SDL_TEXTINPUT);
        // Typing that reached the program before the dialog was up was meant for the saver.
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_KEYDOWN, SDL_TEXTINPUT);
        // The dialog's pointer grab pulls the pointer into it; it goes back where it was, so
        // that our own dialog never reads as a mouse movement to the saver.
        int pointerX = 0, pointerY = 0;
        SDL_GetGlobalMouseState(&pointerX, &pointerY);
        SDL_StartTextInput();
        SDL_ShowCursor(SDL_ENABLE);
        SDL_ShowWindow(m_window);
        paint();
        takeInput();
        int64_t lastActivity = m_clock.nowMs();
        while (m_form.outcome() == FormOutcome::Running) {
            SDL_Event e;
            if (!SDL_WaitEventTimeout(&e, kWaitSliceMs)) {
                if (m_idleTimeoutMs > 0 && m_clock.nowMs() - lastActivity >= m_idleTimeoutMs)
                    m_form.key(FormKey::Escape);
                continue;
            }
            if (handle(e))
                lastActivity = m_clock.nowMs();
            if (m_idleTimeoutMs > 0 && m_clock.nowMs() - lastActivity >= m_idleTimeoutMs)
                m_form.key(FormKey::Escape);
        }
        SDL_SetWindowKeyboardGrab(m_window, SDL_FALSE);
        SDL_SetWindowMouseGrab(m_window, SDL_FALSE);
        SDL_HideWindow(m_window);
        SDL_WarpMouseGlobal(pointerX, pointerY);
        if (!textWasOn)
            SDL_StopTextInput();
        SDL_ShowCursor(cursorWas);
        return m_form.outcome();
    }

    bool quitSeen() const { return m_quitSeen; }

private:
    void setTransientFor(uint64_t parentXid)
    {
        if (parentXid == 0 || parentXid > 0xFFFFFFFFu)
            return;
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (SDL_GetWindowWMInfo(m_window, &info) && info.subsystem == SDL_SYSWM_X11)
            XSetTransientForHint(info.info.x11.display, info.info.x11.window, static_cast<Window>(parentXid));
    }

    void takeInput()
    {
        SDL_RaiseWindow(m_window);
        SDL_SetWindowInputFocus(m_window);
        // SDL applies (and moves from any other window of ours, e.g. the saver) both grabs as
        // soon as this window has the input focus.
        SDL_SetWindowKeyboardGrab(m_window, SDL_TRUE);
        SDL_SetWindowMouseGrab(m_window, SDL_TRUE);
    }

    void paint()
    {
        SDL_Surface* target = SDL_GetWindowSurface(m_window);
        if (!target)
            return;
        if (SDL_MUSTLOCK(m_canvas))
            SDL_LockSurface(m_canvas);
        ui::Canvas c{static_cast<uint32_t*>(m_canvas->pixels), m_canvas->w, m_canvas->h, m_canvas->pitch / 4};
        m_form.paint(c, m_text);
        if (SDL_MUSTLOCK(m_canvas))
            SDL_UnlockSurface(m_canvas);
        SDL_BlitSurface(m_canvas, nullptr, target, nullptr);
        SDL_UpdateWindowSurface(m_window);
    }

    // One event; returns whether it was input to the dialog. Input for other windows is dropped.
    bool handle(const SDL_Event& e)
    {
        switch (e.type) {
        case SDL_QUIT:
            m_quitSeen = true;
            m_form.key(FormKey::Escape);
            return true;
        case SDL_WINDOWEVENT:
            if (e.window.windowID != m_id)
                return false;
            switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE: m_form.key(FormKey::Escape); return true;
            case SDL_WINDOWEVENT_FOCUS_LOST: takeInput(); return false;
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_SIZE_CHANGED:
            case SDL_WINDOWEVENT_RESTORED: paint(); return false;
            default: return false;
            }
        // Keys are the dialog's whatever window SDL names: it holds the keyboard grab, and
        // SDL moves its own keyboard focus to a new window only some time after X did, so
        // the first keys typed into the dialog may still carry the saver's window.
        case SDL_TEXTINPUT:
            m_form.type(e.text.text);
            paint();
            return true;
        case SDL_KEYDOWN:
            switch (e.key.keysym.sym) {
            case SDLK_RETURN:
            case SDLK_KP_ENTER: m_form.key(FormKey::Enter); break;
            case SDLK_ESCAPE: m_form.key(FormKey::Escape); break;
            case SDLK_BACKSPACE: m_form.key(FormKey::Backspace); break;
            case SDLK_TAB: m_form.key((e.key.keysym.mod & KMOD_SHIFT) ? FormKey::BackTab : FormKey::Tab); break;
            default: return true;
            }
            paint();
            return true;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.windowID != m_id || e.button.button != SDL_BUTTON_LEFT)
                return false;
            m_form.click(e.button.x, e.button.y);
            paint();
            return true;
        default:
            return false;
        }
    }

    FormAdapter& m_form;
    plat::Clock& m_clock;
    int64_t m_idleTimeoutMs;
    ui::TextRenderer m_text;
    SDL_Window* m_window = nullptr;
    SDL_Surface* m_canvas = nullptr;
    Uint32 m_id = 0;
    bool m_quitSeen = false;
};

// The focus changes our own dialog caused: the saver lost the focus to the dialog and gets it
// back afterwards, which must not read as the user switching away.
int isDialogFocusChange(void*, SDL_Event* e)
{
    if (e->type != SDL_WINDOWEVENT)
        return 1;
    switch (e->window.event) {
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_TAKE_FOCUS:
        return 0;
    default:
        return 1;
    }
}

// After a dialog: input queued for the saver meanwhile must not start a new check at once.
void dropQueuedInput(bool quitSeen)
{
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
    SDL_FilterEvents(isDialogFocusChange, nullptr);
    if (quitSeen) {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);  // not ours to swallow: the caller's loop sees it next
    }
}

struct CheckAdapter final : FormAdapter {
    ui::CheckForm form;
    void type(const std::string& utf8) override { form.type(utf8); }
    FormOutcome key(FormKey k) override { return form.key(k); }
    FormOutcome outcome() const override { return form.outcome(); }
    ui::DialogLayout layout() const override { return ui::checkLayout(); }
    void paint(ui::Canvas& c, const ui::TextRenderer& t) const override { ui::paintCheckDialog(c, t, form); }
    void click(int x, int y) override
    {
        ui::DialogLayout l = layout();
        if (l.ok.contains(x, y))
            form.key(FormKey::Enter);
        else if (l.cancel.contains(x, y))
            form.key(FormKey::Escape);
    }
};

struct ChangeAdapter final : FormAdapter {
    explicit ChangeAdapter(Host& host) : form(host) {}
    ui::ChangeForm form;
    void type(const std::string& utf8) override { form.type(utf8); }
    FormOutcome key(FormKey k) override { return form.key(k); }
    FormOutcome outcome() const override { return form.outcome(); }
    ui::DialogLayout layout() const override { return ui::changeLayout(form.fieldCount()); }
    void paint(ui::Canvas& c, const ui::TextRenderer& t) const override { ui::paintChangeDialog(c, t, form); }
    void click(int x, int y) override
    {
        ui::DialogLayout l = layout();
        for (int i = 0; i < form.fieldCount(); ++i)
            if (l.fields[i].contains(x, y))
                form.setFocus(i);
        if (l.ok.contains(x, y)) {
            form.setFocus(form.fieldCount() - 1);
            form.key(FormKey::Enter);
        } else if (l.cancel.contains(x, y)) {
            form.key(FormKey::Escape);
        }
    }
};

} // namespace

bool verifyScreenSavePassword(Host& host, uint64_t parentXid, plat::Clock& clock)
{
    if (!host.passwordSet())
        return true;
    VideoUse video;
    if (!video.ok())
        return false;
    CheckAdapter check;
    bool quitSeen = false;
    FormOutcome outcome = FormOutcome::Cancelled;
    {
        DialogWindow dialog(check, parentXid, clock, kCheckIdleTimeoutMs);
        if (dialog.ok()) {
            outcome = dialog.run();
            quitSeen = dialog.quitSeen();
        }
    }
    bool verified = outcome == FormOutcome::Accepted && host.checkPassword(check.form.field().text());
    check.form.field().clear();
    dropQueuedInput(quitSeen);
    return verified;
}

bool changeScreenSavePassword(Host& host, uint64_t parentXid, plat::Clock& clock)
{
    VideoUse video;
    if (!video.ok())
        return false;
    ChangeAdapter change(host);
    bool quitSeen = false;
    FormOutcome outcome = FormOutcome::Cancelled;
    {
        DialogWindow dialog(change, parentXid, clock, 0);
        if (dialog.ok()) {
            outcome = dialog.run();
            quitSeen = dialog.quitSeen();
        }
    }
    dropQueuedInput(quitSeen);
    return outcome == FormOutcome::Accepted;
}

} // namespace host
