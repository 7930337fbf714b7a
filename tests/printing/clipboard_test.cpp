// Clipboard copies as another program sees them: every format of one copy in
// one item, and a later copy replacing all of an earlier one.
#include "platform/gui/clipboard.h"
#include "platform/gui/rtf_writer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

using namespace platform;

QStringList formats() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data ? data->formats() : QStringList();
}

TEST(Clipboard, RichTextAndPlainTextTravelTogetherAndTextIsKeptExactly) {
    // Spectrum text: tabs, CR LF between rows, no line break at the end.
    const QString text = "Code\tDescription\tL1\r\n1\tK\u00fchlraum\t.5\r\n2\t\t-999";
    RtfDocument doc;
    doc.add("1: K\u00fchlraum", true).add("\n.5\t-999");
    const QByteArray rtf = toRtf(doc);

    setClipboard(text, rtf);
    EXPECT_EQ(clipboardText(), text);
    EXPECT_EQ(clipboardRtf(), rtf);
    const QStringList f = formats();
    EXPECT_TRUE(f.contains("text/plain")) << f.join(' ').toStdString();
    EXPECT_TRUE(f.contains("text/rtf")) << f.join(' ').toStdString();
    EXPECT_TRUE(f.contains("application/rtf")) << f.join(' ').toStdString();

    // Plain text alone leaves no stale rich text behind.
    setClipboard(QStringLiteral("only text"));
    EXPECT_EQ(clipboardText(), "only text");
    EXPECT_TRUE(clipboardRtf().isEmpty());
}

TEST(Clipboard, AChartPictureAndItsDataAreOneCopyThatReplacesTheLast) {
    setClipboard("old", toRtf(RtfDocument().add("old")));

    QImage chart(320, 200, QImage::Format_RGB32);
    chart.fill(Qt::white);
    QPainter(&chart).fillRect(10, 20, 30, 40, Qt::red);
    const QString data = "\t63\t125\r\nFan\t60.5\t58";
    setClipboard(chart, data);

    const QImage back = clipboardImage();
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), chart.size());
    EXPECT_EQ(back.pixelColor(15, 25), QColor(Qt::red));
    EXPECT_EQ(back.pixelColor(100, 100), QColor(Qt::white));
    EXPECT_EQ(clipboardText(), data);
    EXPECT_TRUE(clipboardRtf().isEmpty());

    clearClipboard();
    EXPECT_TRUE(clipboardImage().isNull());
    EXPECT_EQ(clipboardText(), "");
}

} // namespace
