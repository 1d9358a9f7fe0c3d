// Shows a read rich-text document in a Qt text document (the rich-edit box's content).
#pragma once

#include "cbsetup/RtfReader.h"

class QTextDocument;

namespace cbsetup {

// Replaces the content of target with the paragraphs and runs of doc.
void fillDocument(QTextDocument& target, const RtfDocument& doc);

} // namespace cbsetup
