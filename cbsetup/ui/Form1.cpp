// The installer's form: its controls in the dialog template's places, its texts and the
// installation behind "&Install".
#include "cbsetup/ui/Form1.h"

#include "cbsetup/RtfReader.h"
#include "cbsetup/ui/Form2.h"
#include "cbsetup/ui/RtfView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>

namespace cbsetup {

namespace {

constexpr const char* kCaption = "Cobblix Installation";
constexpr const char* kProgressCaption = "Installation Progress";
constexpr const char* kCredit = "Part of the Orvane screen saver suite";

// The dialog template is 316 x 269 dialog units; with the dialog font a unit is 1.5 pixels
// across and 1.625 pixels down.
constexpr int kFormWidth = 474;
constexpr int kFormHeight = 437;
constexpr int kMargin = 12;
constexpr QRect kPictureRect(kMargin, kMargin, 140, 190);
constexpr int kIntroGap = 25;   // introduction: right of the picture
constexpr int kCreditGap = 10;  // credit: below the picture
constexpr int kCreditHeight = 46;
constexpr int kDescriptionTop = 212;
constexpr int kDescriptionBottom = 342;
constexpr int kProgressCaptionTop = 350;
constexpr int kProgressCaptionHeight = 18;
constexpr int kProgressTop = 370;
constexpr int kProgressHeight = 20;
constexpr int kButtonTop = 400;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 8;

} // namespace

Form1::Form1(Form1Options options)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint), m_options(std::move(options))
{
    setObjectName("ID_FORM1");
    setWindowTitle(kCaption);
    setFixedSize(kFormWidth, kFormHeight);
    createControls();

    // Preparing the form: the background window first, then this form above it.
    m_form2 = std::make_unique<Form2>();
    int width = m_options.screenWidth
                    ? *m_options.screenWidth
                    : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry().width() : 0);
    m_form2->prepare(width);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    layOutAroundPicture();
    fillTexts();
}

Form1::~Form1()
{
    if (m_waitCursor)
        QApplication::restoreOverrideCursor();
}

void Form1::createControls()
{
    m_install = new QPushButton("&Install", this);
    m_install->setObjectName("cb_1");
    m_cancel = new QPushButton("&Cancel", this);
    m_cancel->setObjectName("cb_2");
    m_intro = new QPlainTextEdit(this);
    m_intro->setObjectName("textb_1");
    m_intro->setReadOnly(true);
    m_intro->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("progb_1");
    m_progress->setRange(0, kProgressMaximum);
    m_progress->setValue(0);
    m_progressCaption = new QLabel(kProgressCaption, this);
    m_progressCaption->setObjectName("label_1");
    m_picture = new QLabel(this);
    m_picture->setObjectName("pictb_1");
    m_description = new QTextEdit(this);
    m_description->setObjectName("rtb_1");
    m_description->setReadOnly(true);
    m_credit = new QPlainTextEdit(this);
    m_credit->setObjectName("textb_2");
    m_credit->setReadOnly(true);

    m_picture->setGeometry(kPictureRect);
    m_picture->setPixmap(cobblixPicture(kPictureRect.width(), kPictureRect.height()));
    const int right = kFormWidth - kMargin;
    const int fullWidth = right - kMargin;
    m_progressCaption->setGeometry(kMargin, kProgressCaptionTop, fullWidth, kProgressCaptionHeight);
    m_progress->setGeometry(kMargin, kProgressTop, fullWidth, kProgressHeight);
    m_cancel->setGeometry(right - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight);
    m_install->setGeometry(right - 2 * kButtonWidth - kButtonGap, kButtonTop, kButtonWidth, kButtonHeight);
    m_install->setDefault(true);

    connect(m_install, &QPushButton::clicked, this, [this] { install(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { close(); });
}

void Form1::layOutAroundPicture()
{
    const QRect pic = m_picture->geometry();
    const int right = kFormWidth - kMargin;
    const int introLeft = pic.x() + pic.width() + kIntroGap;
    m_intro->setGeometry(introLeft, pic.y(), right - introLeft, pic.height());
    m_credit->setGeometry(pic.x(), pic.y() + pic.height() + kCreditGap, pic.width(), kCreditHeight);
    m_description->setGeometry(introLeft, kDescriptionTop, right - introLeft, kDescriptionBottom - kDescriptionTop);
}

void Form1::fillTexts()
{
    // The text control shows "\r\n" line ends as plain line breaks.
    QString intro = QString::fromStdString(introductionText(m_options.environment.windowsFolder));
    intro.replace("\r\n", "\n");
    m_intro->setPlainText(intro);

    m_credit->setPlainText(kCredit);
    QTextOption centred(Qt::AlignHCenter);
    centred.setWrapMode(QTextOption::WordWrap);
    m_credit->document()->setDefaultTextOption(centred);
    m_credit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_credit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // Without a description the box stays empty.
    const ResourceTable* resources = m_options.environment.resources;
    const Resource* rtf = resources ? resources->find(kDescriptionResource) : nullptr;
    if (rtf && rtf->bytes.data()) {
        std::string_view text(reinterpret_cast<const char*>(rtf->bytes.data()), rtf->bytes.size());
        RtfDocument doc = readRtf(text);
        if (doc.isRtf) {
            fillDocument(*m_description->document(), doc);
            m_description->moveCursor(QTextCursor::Start);  // show the beginning
        }
    }
}

void Form1::install()
{
    if (m_installing || m_result)
        return;
    m_installing = true;
    m_install->setEnabled(false);
    m_cancel->setEnabled(false);
    Installation installation(m_options.environment, *this);
    m_result = installation.run();
    m_installing = false;
    close();  // step 18, and the end after an "Error" box
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (m_installing) {
        event->ignore();  // the installation closes the form itself when it is done
        return;
    }
    if (m_form2)
        m_form2->close();
    m_form2.reset();
    event->accept();
}

void Form1::setWaitCursor(bool on)
{
    if (on == m_waitCursor)
        return;
    m_waitCursor = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void Form1::setProgress(int value)
{
    m_progress->setValue(value);
}

void Form1::hideForm()
{
    hide();
}

QPixmap cobblixPicture(int width, int height)
{
    // A monitor on a desk at night, its screen blanked, a crescent moon above.
    QPixmap pix(width, height);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(10, 20, 70));
    sky.setColorAt(1, QColor(40, 40, 90));
    p.fillRect(pix.rect(), sky);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 245, 200));
    const QRectF moon(width * 0.62, height * 0.06, width * 0.24, width * 0.24);
    QPainterPath crescent;
    crescent.addEllipse(moon);
    QPainterPath bite;
    bite.addEllipse(moon.translated(moon.width() * 0.35, -moon.height() * 0.1));
    p.drawPath(crescent.subtracted(bite));
    p.setBrush(QColor(255, 255, 255));
    const QPointF stars[] = {{0.12, 0.08}, {0.3, 0.16}, {0.45, 0.05}, {0.2, 0.3}, {0.9, 0.35}};
    for (const QPointF& s : stars)
        p.drawEllipse(QPointF(s.x() * width, s.y() * height), 1.5, 1.5);

    const QRectF frame(width * 0.12, height * 0.42, width * 0.76, height * 0.36);
    p.setBrush(QColor(190, 190, 200));
    p.drawRoundedRect(frame, 6, 6);
    p.setBrush(QColor(0, 0, 0));
    p.drawRect(frame.adjusted(8, 8, -8, -8));
    p.setBrush(QColor(160, 160, 170));
    p.drawRect(QRectF(width * 0.44, frame.bottom(), width * 0.12, height * 0.07));
    p.drawRoundedRect(QRectF(width * 0.3, frame.bottom() + height * 0.07, width * 0.4, height * 0.04), 3, 3);
    p.setBrush(QColor(90, 60, 40));
    p.drawRect(QRectF(0, height * 0.9, width, height * 0.1));
    return pix;
}

} // namespace cbsetup
