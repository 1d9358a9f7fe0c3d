// Conversion of the reader's paragraphs and runs into QTextDocument blocks and fragments.
#include "cbsetup/ui/RtfView.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace cbsetup {

namespace {

constexpr double kHalfPointsPerPoint = 2.0;

Qt::Alignment toQt(RtfAlign a)
{
    switch (a) {
    case RtfAlign::Center:
        return Qt::AlignHCenter;
    case RtfAlign::Right:
        return Qt::AlignRight;
    case RtfAlign::Justify:
        return Qt::AlignJustify;
    case RtfAlign::Left:
        break;
    }
    return Qt::AlignLeft;
}

} // namespace

void fillDocument(QTextDocument& target, const RtfDocument& doc)
{
    target.clear();
    QTextCursor cursor(&target);
    bool first = true;
    for (const RtfParagraph& p : doc.paragraphs) {
        QTextBlockFormat block;
        block.setAlignment(toQt(p.align));
        if (first)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block);
        first = false;
        for (const RtfRun& run : p.runs) {
            QTextCharFormat f;
            f.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
            f.setFontItalic(run.italic);
            f.setFontUnderline(run.underline);
            f.setFontPointSize(run.halfPoints / kHalfPointsPerPoint);
            if (run.color)
                f.setForeground(QColor(run.color->red, run.color->green, run.color->blue));
            cursor.insertText(QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size())), f);
        }
    }
}

} // namespace cbsetup
