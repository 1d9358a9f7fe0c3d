// Form1 "Cobblix Installation": the installer's topmost form with the introduction, the
// progress bar, the picture, the description in rich text and the credit line. It creates
// the background window (Form2) and runs the installation when "&Install" is clicked.
#pragma once

#include "cbsetup/Installer.h"

#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTextEdit;

namespace cbsetup {

class Form2;

struct Form1Options {
    InstallEnvironment environment;
    // The screen width the background window's title depends on; the primary screen's
    // when not given.
    std::optional<int> screenWidth;
};

class Form1 : public QWidget, private InstallView {
public:
    explicit Form1(Form1Options options);
    ~Form1() override;

    Form2* form2() const { return m_form2.get(); }
    // The result of the installation, once "&Install" has run it.
    std::optional<InstallResult> result() const { return m_result; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void layOutAroundPicture();
    void fillTexts();
    void install();

    void setWaitCursor(bool on) override;
    void setProgress(int value) override;
    void hideForm() override;

    Form1Options m_options;
    std::unique_ptr<Form2> m_form2;
    QPushButton* m_install = nullptr;
    QPushButton* m_cancel = nullptr;
    QPlainTextEdit* m_intro = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_progressCaption = nullptr;
    QLabel* m_picture = nullptr;
    QTextEdit* m_description = nullptr;
    QPlainTextEdit* m_credit = nullptr;
    bool m_waitCursor = false;
    bool m_installing = false;
    std::optional<InstallResult> m_result;
};

// The picture of the form (bitmap 100), drawn at run time.
QPixmap cobblixPicture(int width, int height);

} // namespace cbsetup
