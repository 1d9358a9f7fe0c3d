// The background window: a dark gradient that fills the screen, its title at the top left.
#include "cbsetup/ui/Form2.h"

#include <QFont>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>

namespace cbsetup {

namespace {

constexpr const char* kTitle = "Cobblix 2.0 Installation";
constexpr const char* kTitleFont = "Arial";
constexpr int kTitlePoints = 18;
constexpr int kTitleMargin = 20;
const QColor kTopColor(8, 16, 64);
const QColor kBottomColor(0, 0, 0);
const QColor kTitleColor(255, 255, 255);

} // namespace

Form2::Form2() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName("ID_FORM2");
    setWindowTitle(kTitle);
    m_label = new QLabel(kTitle, this);
    m_label->setObjectName("label_1");
    QFont font(kTitleFont, kTitlePoints);
    font.setBold(true);
    font.setItalic(true);
    m_label->setFont(font);
    QPalette pal = m_label->palette();
    pal.setColor(QPalette::WindowText, kTitleColor);
    m_label->setPalette(pal);
    m_label->move(kTitleMargin, kTitleMargin);
    m_label->adjustSize();
}

void Form2::prepare(int screenWidth)
{
    showMaximized();
    m_label->setVisible(titleShownOnScreen(screenWidth));
}

void Form2::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, kTopColor);
    g.setColorAt(1, kBottomColor);
    p.fillRect(rect(), g);
}

} // namespace cbsetup
