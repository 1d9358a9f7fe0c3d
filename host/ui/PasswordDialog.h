// The host's screensaver password dialogs: the check a running saver asks for before it
// ends, and the change dialog of the "/a" mode. Both are small modal windows of the host
// shown in the calling process above whatever runs there; this header keeps them free of
// any toolkit type so that shell code can call them directly.
#pragma once

#include "host/Host.h"
#include "host/ui/TextRenderer.h"
#include "platform/Clock.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace host {

// Asks for the screensaver password and checks it with host.checkPassword.
// No password set: true at once, nothing is shown. Otherwise a modal dialog titled
// "Screen Saver" appears centred on the screen, above a full-screen saver, and takes the
// keyboard and the pointer; Enter checks what was typed (true only when it verifies),
// Escape answers false. parentXid is the X11 window the dialog belongs to (0 = none).
// Video is initialised for the call when the caller has not done so already.
bool verifyScreenSavePassword(Host& host, uint64_t parentXid, plat::Clock& clock);

// Asks for a new screensaver password ("Old password:" first when one is set), twice, and
// stores it with host.setPassword. Returns whether a password was stored; Escape stores
// nothing. parentXid as above.
bool changeScreenSavePassword(Host& host, uint64_t parentXid, plat::Clock& clock);

namespace ui {

// One password field's text: UTF-8, at most kMaxBytes bytes; whole characters only are
// taken and removed. The memory holding the text is wiped when it is cleared or destroyed.
class SecretText {
public:
    static constexpr std::size_t kMaxBytes = 256;

    SecretText();
    ~SecretText();
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;

    // Appends as much of utf8 as fits, whole characters only; invalid bytes are dropped.
    // Returns the number of bytes taken.
    std::size_t append(const std::string& utf8);
    // Removes the last character; false when empty.
    bool backspace();
    // Wipes the text.
    void clear();

    const std::string& text() const { return m_text; }
    std::size_t characters() const;  // what the field shows as bullets
    bool empty() const { return m_text.empty(); }

private:
    std::string m_text;  // capacity reserved once so the text never moves in memory
};

// What one key or text event does to a password form; the SDL dialog maps its events onto this.
enum class FormKey { Enter, Tab, BackTab, Escape, Backspace };

enum class FormOutcome { Running, Accepted, Cancelled };

// The change dialog's form without a window: fields, focus, checks and the stored result.
class ChangeForm {
public:
    // The old password is asked first when host.passwordSet().
    explicit ChangeForm(Host& host);

    // Field texts shown by the dialog.
    static constexpr const char* kOldLabel = "Old password:";
    static constexpr const char* kNewLabel = "New password:";
    static constexpr const char* kConfirmLabel = "Confirm new password:";
    static constexpr const char* kMismatchMessage = "The passwords do not match.";
    static constexpr const char* kWrongOldMessage = "The old password is not correct.";
    static constexpr const char* kStoreFailedMessage = "The password could not be stored.";

    int fieldCount() const { return m_withOld ? 3 : 2; }
    const char* label(int field) const;
    SecretText& field(int index);
    const SecretText& field(int index) const;
    int focus() const { return m_focus; }
    void setFocus(int field);
    bool withOld() const { return m_withOld; }

    void type(const std::string& utf8) { field(m_focus).append(utf8); }
    FormOutcome key(FormKey k);

    // The message line ("" when none).
    const std::string& message() const { return m_message; }
    FormOutcome outcome() const { return m_outcome; }

private:
    FormOutcome submit();
    void clearAll();

    Host& m_host;
    bool m_withOld;
    SecretText m_fields[3];  // old (when asked), new, confirm
    int m_focus = 0;
    std::string m_message;
    FormOutcome m_outcome = FormOutcome::Running;
};

// The check dialog's form: one field; Enter accepts, Escape cancels.
class CheckForm {
public:
    static constexpr const char* kCaption = "Type your password:";

    void type(const std::string& utf8) { m_field.append(utf8); }
    FormOutcome key(FormKey k);
    const SecretText& field() const { return m_field; }
    SecretText& field() { return m_field; }
    FormOutcome outcome() const { return m_outcome; }

private:
    SecretText m_field;
    FormOutcome m_outcome = FormOutcome::Running;
};

// Where things sit in a dialog window; the painter draws by it and clicks are tested on it.
struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

struct DialogLayout {
    int width = 0;
    int height = 0;
    Rect titleBar;
    Rect fields[3];
    int labelBaselines[3] = {};  // the caption above each field
    int messageBaseline = 0;     // the change dialog's message line
    Rect ok;
    Rect cancel;
    int fieldCount = 0;
    int bulletPitch = 0;         // distance between two bullets' centres
    int bulletRadius = 0;
};

DialogLayout checkLayout();
DialogLayout changeLayout(int fieldCount);

// Paints a whole dialog into canvas (which must be layout.width x layout.height).
void paintCheckDialog(Canvas& canvas, const TextRenderer& text, const CheckForm& form);
void paintChangeDialog(Canvas& canvas, const TextRenderer& text, const ChangeForm& form);

} // namespace ui
} // namespace host
