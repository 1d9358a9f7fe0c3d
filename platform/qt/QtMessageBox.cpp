// Message boxes of the dialog modes, shown as Qt message boxes. The presenter works with the
// program's QApplication, or makes a short-lived one when the program has none yet.
#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <memory>

namespace plat {

namespace {

QMessageBox::Icon qtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Error:
        return QMessageBox::Critical;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

QMessageBox::StandardButtons qtButtons(BoxButtons buttons)
{
    switch (buttons) {
    case BoxButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case BoxButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case BoxButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// What closing the box without a button (Escape, the title bar) means for each button set.
BoxAnswer dismissAnswer(BoxButtons buttons)
{
    switch (buttons) {
    case BoxButtons::OkCancel:
        return BoxAnswer::Cancel;
    case BoxButtons::YesNo:
        return BoxAnswer::No;
    case BoxButtons::Ok:
        break;
    }
    return BoxAnswer::Ok;
}

BoxAnswer showQtBox(const BoxRequest& request)
{
    // A box needs an application object; one made here lives only as long as the box.
    std::unique_ptr<QApplication> temporary;
    if (QApplication::instance() == nullptr) {
        static char programName[] = "orvane";
        static char* argv[] = {programName, nullptr};
        static int argc = 1;
        temporary = std::make_unique<QApplication>(argc, argv);
    }
    QMessageBox box(qtIcon(request.icon), QString::fromStdString(request.title),
                    QString::fromStdString(request.text), qtButtons(request.buttons));
    box.setWindowTitle(QString::fromStdString(request.title));
    box.setTextFormat(Qt::PlainText);   // texts come from files and pages: never markup
    switch (request.buttons) {
    case BoxButtons::OkCancel:
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case BoxButtons::YesNo:
        box.setEscapeButton(QMessageBox::No);
        break;
    case BoxButtons::Ok:
        box.setEscapeButton(QMessageBox::Ok);
        break;
    }
    const int result = box.exec();
    switch (result) {
    case QMessageBox::Ok:
        return BoxAnswer::Ok;
    case QMessageBox::Cancel:
        return BoxAnswer::Cancel;
    case QMessageBox::Yes:
        return BoxAnswer::Yes;
    case QMessageBox::No:
        return BoxAnswer::No;
    default:
        return dismissAnswer(request.buttons);
    }
}

} // namespace

BoxPresenter qtBoxPresenter()
{
    return [](const BoxRequest& request) { return showQtBox(request); };
}

} // namespace plat
