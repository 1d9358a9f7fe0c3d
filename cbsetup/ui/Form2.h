// Form2: the borderless maximised background window behind the installer's form, with the
// big title "Cobblix 2.0 Installation" (hidden on a 640-pixel-wide screen).
#pragma once

#include <QWidget>

class QLabel;

namespace cbsetup {

inline constexpr int kNarrowScreenWidth = 640;

// Whether the big title is shown on a screen of that width.
constexpr bool titleShownOnScreen(int screenWidth) { return screenWidth != kNarrowScreenWidth; }

class Form2 : public QWidget {
public:
    Form2();

    // Shows the window maximised and hides the title on a narrow screen.
    void prepare(int screenWidth);

    QLabel* title() const { return m_label; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_label;
};

} // namespace cbsetup
