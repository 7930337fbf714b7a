#include "platform/gui/rtf_writer.h"

#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace platform {
namespace {

// Escapes one piece of text; tabs become \tab. Line breaks never reach here.
void appendText(QByteArray& out, const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u >= 0x20 && u < 0x7f) {
            out += char(u);
        } else if (u < 0x20) {
            // Other control characters have no RTF meaning; keep them as hex
            // escapes rather than dropping them.
            out += QByteArrayLiteral("\\'") + QByteArray::number(u, 16).rightJustified(2, '0');
        } else {
            // \uN takes a signed 16-bit number; "?" is the fallback a reader
            // without Unicode shows (\uc1 says one fallback character follows).
            out += "\\u" + QByteArray::number(int(int16_t(u))) + "\\'3f";
        }
    }
}

// Font names may hold characters with a meaning in the font table.
void appendFontName(QByteArray& out, const QString& name) {
    QString clean = name;
    clean.remove(QLatin1Char(';'));
    appendText(out, clean);
}

} // namespace

RtfDocument& RtfDocument::add(const QString& text, bool bold) {
    if (paragraphs.empty()) paragraphs.emplace_back();
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (!end && text[i] != u'\n' && text[i] != u'\r') continue;
        if (i > start) paragraphs.back().push_back({text.mid(start, i - start), bold});
        if (end) break;
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        paragraphs.emplace_back();
        start = i + 1;
    }
    return *this;
}

RtfDocument& RtfDocument::endParagraph() {
    paragraphs.emplace_back();
    return *this;
}

QByteArray toRtf(const RtfDocument& doc) {
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 ";
    appendFontName(out, doc.fontName);
    out += ";}}\n";
    const int halfPoints = std::max(1, int(std::lround(doc.fontSize * 2)));
    out += "\\pard\\plain\\f0\\fs" + QByteArray::number(halfPoints) + ' ';
    bool bold = false;
    for (size_t p = 0; p < doc.paragraphs.size(); ++p) {
        if (p > 0) out += "\\par\n";
        for (const RtfRun& run : doc.paragraphs[p]) {
            if (run.text.isEmpty()) continue;
            if (run.bold != bold) {
                out += run.bold ? "\\b " : "\\b0 ";
                bold = run.bold;
            }
            appendText(out, run.text);
        }
    }
    out += "}\n";
    return out;
}

RtfDocument rtfDocumentFrom(const QTextDocument& doc) {
    RtfDocument rtf;
    const QFont font = doc.defaultFont();
    rtf.fontName = font.family();
    if (font.pointSizeF() > 0) rtf.fontSize = font.pointSizeF();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        rtf.paragraphs.emplace_back();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid()) continue;
            QString text = frag.text();
            // Line separators inside a block (Shift+Enter) end a paragraph too.
            const bool bold = frag.charFormat().fontWeight() >= QFont::Bold;
            const QStringList lines = text.split(QChar::LineSeparator);
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (i > 0) rtf.paragraphs.emplace_back();
                if (!lines[i].isEmpty()) rtf.paragraphs.back().push_back({lines[i], bold});
            }
        }
    }
    return rtf;
}

} // namespace platform
