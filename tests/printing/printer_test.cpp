// Printing through QtPrinter into a PDF, read back with poppler's tools: the
// words must stand where the twips put them, measured as Arial measures.
#include "platform/gui/printer.h"

#include <QColor>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace platform;

QByteArray run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(20000)) << program.toStdString() << " did not run";
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

struct Word {
    QString text;
    double xMin, yMin, xMax, yMax; // points from the paper's top left
};

// Words per page, as pdftotext finds them.
std::vector<std::vector<Word>> wordsIn(const QString& pdf) {
    const QString html = QString::fromUtf8(run("pdftotext", {"-bbox", pdf, "-"}));
    std::vector<std::vector<Word>> pages;
    static const QString number = QStringLiteral("\"([\\d.]+)\"");
    static const QRegularExpression re("<page |<word xMin=" + number + " yMin=" + number +
                                       " xMax=" + number + " yMax=" + number + ">([^<]*)</word>");
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith("<page")) {
            pages.emplace_back();
            continue;
        }
        pages.back().push_back({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                                m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return pages;
}

const Word* find(const std::vector<Word>& words, const QString& text) {
    for (const Word& w : words)
        if (w.text == text) return &w;
    return nullptr;
}

// A4 with half-inch margins: the printable area starts 720 twips (36 pt) in.
constexpr double kMargin = 720;

void pdfPrinter(QPrinter& printer, const QString& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(36, 36, 36, 36), QPageLayout::Point);
}

TEST(QtPrinter, TwoPagePdfPutsTextLinesAndPicturesWhereTheTwipsSay) {
    QTemporaryDir dir;
    const QString path = dir.filePath("run.pdf");
    QPrinter device(QPrinter::HighResolution);
    pdfPrinter(device, path);
    QtPrinter printer(device);

    // A4 is 595 x 842 pt less 2 x 36 pt, in twips.
    EXPECT_EQ(printer.ScaleMode(), vbTwips);
    EXPECT_NEAR(printer.ScaleWidth(), (595 - 72) * 20, 2);
    EXPECT_NEAR(printer.ScaleHeight(), (842 - 72) * 20, 2);

    // Arial's own advance widths (1/2048 em): H 1479, e 1139, l 455, o 1139.
    // Another font in its place would lay every column out wrong.
    printer.setFontName("Arial");
    printer.setFontSize(10);
    EXPECT_NEAR(printer.TextWidth("Hello"), (1479 + 1139 + 455 + 455 + 1139) / 2048.0 * 200, 1);
    EXPECT_NEAR(printer.TextHeight("X"), 2288 / 2048.0 * 200, 2);
    EXPECT_DOUBLE_EQ(printer.TextHeight("a\r\nb\nc"), 3 * printer.TextHeight("X"));

    const double W = printer.ScaleWidth();
    // Page 1: a head in 8 pt italic with the page text right-aligned on it,
    // a title in 10 pt bold, a rule, two lines printed one under the other.
    printer.setFontSize(8);
    printer.setFontItalic(true);
    printer.setCurrentX(0.1 * W);
    printer.setCurrentY(300);
    printer.Print("Office.bwdb");
    printer.setCurrentX(0.95 * W - printer.TextWidth("Page 1"));
    printer.setCurrentY(300);
    printer.Print("Page 1");
    printer.setFontItalic(false);
    printer.setFontBold(true);
    printer.setFontSize(10);
    printer.setCurrentX(0.1 * W);
    printer.setCurrentY(1000);
    printer.Print("Bandwright");
    const double lineHeight = printer.TextHeight("X");
    EXPECT_EQ(printer.CurrentX(), 0);
    EXPECT_DOUBLE_EQ(printer.CurrentY(), 1000 + lineHeight);
    printer.Line(0.1 * W, 1500, 0.95 * W, 1500);
    printer.setFontBold(false);
    printer.setCurrentX(2000);
    printer.setCurrentY(2000);
    printer.PrintSameLine("Left ");
    const double afterLeft = printer.CurrentX();
    printer.Print("Right\nNext");
    printer.NewPage();
    EXPECT_EQ(printer.Page(), 2);

    // Page 2: a picture, then a final NewPage that nothing follows.
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::red);
    printer.Print();
    printer.PaintPicture(picture, 1440, 1440, 2880, 1440);
    printer.setCurrentX(1440);
    printer.setCurrentY(3600);
    printer.Print("Footnote");
    printer.NewPage();
    ASSERT_TRUE(printer.EndDoc());

    const auto pages = wordsIn(path);
    ASSERT_EQ(pages.size(), 2u) << "no blank page after a final NewPage";
    const auto pt = [](double twips) { return (kMargin + twips) / 20; };
    const double tol = 0.5; // points

    const Word* head = find(pages[0], "Office.bwdb");
    ASSERT_TRUE(head);
    EXPECT_NEAR(head->xMin, pt(0.1 * W), tol);
    EXPECT_NEAR(head->yMin, pt(300), tol);
    const Word* pageNo = find(pages[0], "1");
    ASSERT_TRUE(pageNo);
    EXPECT_NEAR(pageNo->xMax, pt(0.95 * W), tol) << "right-aligned by its measured width";
    EXPECT_NEAR(pageNo->yMin, pt(300), tol);
    const Word* title = find(pages[0], "Bandwright");
    ASSERT_TRUE(title);
    EXPECT_NEAR(title->xMin, pt(0.1 * W), tol);
    EXPECT_NEAR(title->yMin, pt(1000), tol);
    const Word* left = find(pages[0], "Left");
    const Word* right = find(pages[0], "Right");
    const Word* next = find(pages[0], "Next");
    ASSERT_TRUE(left && right && next);
    EXPECT_NEAR(left->yMin, pt(2000), tol);
    EXPECT_NEAR(right->xMin, pt(afterLeft), tol) << "\"Print text;\" stays on the line";
    EXPECT_NEAR(right->yMin, pt(2000), tol);
    EXPECT_NEAR(next->xMin, pt(0), tol) << "a line break starts at the left edge";
    EXPECT_NEAR(next->yMin, pt(2000 + lineHeight), tol);
    EXPECT_FALSE(find(pages[1], "Office.bwdb"));
    const Word* foot = find(pages[1], "Footnote");
    ASSERT_TRUE(foot);
    EXPECT_NEAR(foot->xMin, pt(1440), tol);
    EXPECT_NEAR(foot->yMin, pt(3600), tol);

    const QString fonts = QString::fromUtf8(run("pdffonts", {path}));
    EXPECT_TRUE(fonts.contains("LiberationSans-Bold ")) << fonts.toStdString();
    EXPECT_TRUE(fonts.contains("LiberationSans-Italic ")) << fonts.toStdString();

    // Rendered at 72 dpi one pixel is one point: the rule on page 1 and the
    // picture filling its rectangle on page 2.
    run("pdftoppm", {"-r", "72", "-png", path, dir.filePath("page")});
    const QImage page1(dir.filePath("page-1.png"));
    const QImage page2(dir.filePath("page-2.png"));
    ASSERT_FALSE(page1.isNull());
    ASSERT_FALSE(page2.isNull());
    const auto dark = [](const QImage& img, double x, double y) {
        return img.pixelColor(int(x), int(y)).lightness() < 160;
    };
    EXPECT_TRUE(dark(page1, pt(0.5 * W), pt(1500)));
    EXPECT_FALSE(dark(page1, pt(0.5 * W), pt(1500) + 3));
    EXPECT_FALSE(dark(page1, pt(0.05 * W), pt(1500)));
    // The PDF may store the picture lossily: red within a few steps.
    const auto red = [&](double x, double y) {
        const QColor c = page2.pixelColor(int(pt(x)), int(pt(y)));
        return c.red() > 240 && c.green() < 16 && c.blue() < 16;
    };
    EXPECT_TRUE(red(1440 + 60, 1440 + 60));
    EXPECT_TRUE(red(4320 - 60, 2880 - 60));
    EXPECT_FALSE(red(4320 + 60, 2880 + 60));
    EXPECT_FALSE(red(1440 - 60, 1440 + 60));
}

TEST(QtPrinter, ADocumentWithNothingPrintedOrKilledLeavesNoFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.pdf");
    QPrinter device(QPrinter::HighResolution);
    pdfPrinter(device, path);
    QtPrinter printer(device);

    printer.NewPage();
    EXPECT_TRUE(printer.EndDoc());
    EXPECT_FALSE(QFileInfo::exists(path)) << "no spectrum printed: no page";

    printer.Print("Draft");
    printer.NewPage();
    printer.Print("More");
    printer.KillDoc();
    EXPECT_FALSE(QFileInfo::exists(path));

    // The printer takes the next document afresh.
    EXPECT_EQ(printer.Page(), 1);
    printer.setCurrentY(720);
    printer.Print("Again");
    EXPECT_TRUE(printer.EndDoc());
    const auto pages = wordsIn(path);
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].size(), 1u);
    EXPECT_EQ(pages[0][0].text, "Again");
}

TEST(QtPrinter, AnUnwritableOutputFailsEndDoc) {
    QPrinter device(QPrinter::HighResolution);
    pdfPrinter(device, "/nonexistent-folder/out.pdf");
    QtPrinter printer(device);
    printer.Print("Lost");
    EXPECT_FALSE(printer.EndDoc());
    EXPECT_EQ(printer.Page(), 1);
}

TEST(RecordingPrinter, RecordsWhatACallerPrintedAndMeasuresAsTheRealPrinter) {
    QTemporaryDir dir;
    QPrinter device(QPrinter::HighResolution);
    pdfPrinter(device, dir.filePath("unused.pdf"));
    QtPrinter real(device);
    RecordingPrinter rec;
    for (Printer* p : {static_cast<Printer*>(&real), static_cast<Printer*>(&rec)}) {
        p->setFontName("Arial");
        p->setFontSize(9);
        p->setFontBold(true);
    }
    const QString summary = "  XXX.X XXX  XXX.X XXX";
    EXPECT_NEAR(rec.TextWidth(summary), real.TextWidth(summary), 0.5);
    EXPECT_NEAR(rec.TextHeight("X"), real.TextHeight("X"), 0.5);

    rec.setCurrentX(100);
    rec.setCurrentY(200);
    rec.Print("1: Fan");
    rec.setFontBold(false);
    rec.setFontItalic(true);
    rec.PrintSameLine("Formula: ");
    rec.Line(0, 500, 9000, 500);
    rec.NewPage();
    rec.NewPage();
    rec.setCurrentX(50);
    rec.Print("Page 2 line\n");
    rec.NewPage();
    ASSERT_TRUE(rec.EndDoc());

    using Op = Printer::Call::Op;
    const auto& calls = rec.calls();
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_EQ(calls[0].op, Op::Print);
    EXPECT_EQ(calls[0].text, "1: Fan");
    EXPECT_EQ(calls[0].x, 100);
    EXPECT_EQ(calls[0].y, 200);
    EXPECT_TRUE(calls[0].font.bold);
    EXPECT_EQ(calls[1].op, Op::PrintSameLine);
    EXPECT_EQ(calls[1].x, 0);
    EXPECT_DOUBLE_EQ(calls[1].y, 200 + rec.TextHeight("X"));
    EXPECT_TRUE(calls[1].font.italic);
    EXPECT_EQ(calls[2].op, Op::Line);
    EXPECT_EQ(calls[2].x2, 9000);
    EXPECT_EQ(calls[3].op, Op::NewPage);
    EXPECT_EQ(calls[4].op, Op::NewPage);
    EXPECT_EQ(calls[4].page, 2);
    EXPECT_EQ(calls[5].page, 2);
    EXPECT_EQ(calls[6].op, Op::NewPage);
    EXPECT_EQ(calls[7].op, Op::EndDoc);

    ASSERT_EQ(rec.documents().size(), 1u);
    ASSERT_EQ(rec.documents()[0].size(), 2u) << "repeated and final NewPage add no page";
    const auto page1 = rec.textOn(0, 0);
    ASSERT_EQ(page1.size(), 2u);
    EXPECT_EQ(page1[1].text, "Formula: ");
    EXPECT_EQ(page1[1].font, (PrintFont{"Arial", 9, false, true}));
    EXPECT_EQ(rec.documents()[0][0].back().kind, PrintItem::Kind::Line);
    const auto page2 = rec.textOn(0, 1);
    ASSERT_EQ(page2.size(), 1u) << "the line break prints nothing of its own";
    EXPECT_EQ(page2[0].text, "Page 2 line");
    EXPECT_EQ(page2[0].x, 50);
    EXPECT_EQ(page2[0].y, 0) << "NewPage starts at the top left";
}

} // namespace
