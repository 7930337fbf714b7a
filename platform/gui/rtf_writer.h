#pragma once
// A small RTF writer for the clipboard's rich text: one font, bold on and off,
// tabs and paragraphs. Everything outside printable ASCII goes out as \uN
// escapes (UTF-16 code units, so characters beyond the BMP become surrogate
// pairs), which every RTF reader understands whatever its code page.
#include <QByteArray>
#include <QString>

#include <vector>

class QTextDocument;

namespace platform {

struct RtfRun {
    QString text;
    bool bold = false;
};

using RtfParagraph = std::vector<RtfRun>;

struct RtfDocument {
    QString fontName = QStringLiteral("Arial");
    double fontSize = 10; // points
    std::vector<RtfParagraph> paragraphs;

    // Appends text to the last paragraph; a line break (CR LF, LF or CR)
    // in it starts a new paragraph.
    RtfDocument& add(const QString& text, bool bold = false);
    // Ends the last paragraph: what follows starts a new one.
    RtfDocument& endParagraph();
};

// The document as RTF, \par between paragraphs.
QByteArray toRtf(const RtfDocument& doc);

// A text document's blocks as paragraphs, runs bold where the text is bold;
// the font is the document's default font.
RtfDocument rtfDocumentFrom(const QTextDocument& doc);

} // namespace platform
