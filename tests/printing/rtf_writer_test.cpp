// The RTF writer's output read back by an independent reader (unrtf), so a
// malformed escape or a lost character shows up as a difference in text.
#include "platform/gui/rtf_writer.h"

#include <QFile>
#include <QFont>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <gtest/gtest.h>

namespace {

using namespace platform;

// unrtf's HTML rendering of the RTF, parsed back into paragraphs and bold runs.
// unrtf writes a tab as a row of non-breaking spaces and a paragraph as <br>.
RtfDocument readBack(const QByteArray& rtf, QTextDocument& html) {
    QTemporaryDir dir;
    const QString path = dir.filePath("copy.rtf");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(rtf);
    file.close();
    QProcess unrtf;
    unrtf.start("unrtf", {"--html", path});
    EXPECT_TRUE(unrtf.waitForFinished(10000)) << "unrtf did not run";
    EXPECT_EQ(unrtf.exitCode(), 0) << unrtf.readAllStandardError().toStdString();
    html.setHtml(QString::fromUtf8(unrtf.readAllStandardOutput()));
    RtfDocument doc = rtfDocumentFrom(html);
    static const QRegularExpression tab(QStringLiteral("\u00a0+ ?"));
    for (RtfParagraph& p : doc.paragraphs)
        for (RtfRun& r : p)
            r.text.replace(tab, QStringLiteral("\t"));
    return doc;
}

// One string per paragraph, bold text in <b></b>, so a reader that splits
// runs differently still compares equal. A reader's trailing blank at the
// end of a paragraph is its own line layout, not text.
std::vector<std::string> shape(const RtfDocument& doc) {
    std::vector<std::string> out;
    for (const RtfParagraph& p : doc.paragraphs) {
        QString para;
        for (const RtfRun& r : p) {
            if (r.text.isEmpty()) continue;
            para += r.bold ? "<b>" + r.text + "</b>" : r.text;
        }
        para.replace("</b><b>", "");
        if (para.endsWith(' ')) para.chop(1);
        out.push_back(para.toStdString());
    }
    while (!out.empty() && out.back().empty())
        out.pop_back();
    return out;
}

TEST(RtfWriter, TextBoldTabsAndNonAsciiSurviveAReader) {
    RtfDocument doc;
    doc.fontName = "Arial";
    doc.fontSize = 9;
    doc.add("12: Office {north} \\ side", true).add("\n");
    doc.add("63\t125\t250\n");
    doc.add("K\u00fchlraum \u20ac 5 \u00b0C ");
    doc.add(QString::fromUtf8("\xF0\x9F\x94\x8A"), true); // a character beyond the BMP
    doc.add("\r\nLast line");

    const QByteArray rtf = toRtf(doc);
    // Plain 7-bit output: nothing depends on the reader's code page.
    for (const char c : rtf)
        EXPECT_GT(static_cast<unsigned char>(c), 0) << rtf.constData();
    for (const char c : rtf)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\fs18 ")) << "9 pt is 18 half-points";
    EXPECT_TRUE(rtf.contains("\\u-10179\\'3f\\u-8950\\'3f")) << "surrogate pair as signed numbers";

    QTextDocument html;
    const RtfDocument back = readBack(rtf, html);
    const std::vector<std::string> expected = {
        "<b>12: Office {north} \\ side</b>",
        "63\t125\t250",
        "K\u00fchlraum \u20ac 5 \u00b0C <b>\xF0\x9F\x94\x8A</b>",
        "Last line",
    };
    EXPECT_EQ(shape(back), expected);

    // The font table's one font and its size reach the reader.
    const QTextCharFormat fmt = html.begin().begin().fragment().charFormat();
    EXPECT_TRUE(fmt.fontFamilies().toStringList().contains("Arial"));
    EXPECT_EQ(fmt.fontPointSize(), 9);
}

TEST(RtfWriter, FromATextDocumentKeepsBoldLinesAndEmptyParagraphs) {
    // Built the way a preview is: bold header line, tab-separated values, a
    // blank line.
    QTextDocument source;
    source.setDefaultFont(QFont("Arial", 9));
    QTextCursor cursor(&source);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText("1: Fan", bold);
    cursor.insertBlock();
    cursor.insertText("63\t60.5", QTextCharFormat());
    cursor.insertBlock();
    cursor.insertBlock();
    cursor.insertText("After a blank");
    const RtfDocument doc = rtfDocumentFrom(source);
    EXPECT_EQ(doc.fontName, "Arial");
    EXPECT_EQ(doc.fontSize, 9);

    QTextDocument html;
    const std::vector<std::string> expected = {"<b>1: Fan</b>", "63\t60.5", "", "After a blank"};
    EXPECT_EQ(shape(readBack(toRtf(doc), html)), expected) << toRtf(doc).constData();
}

} // namespace
