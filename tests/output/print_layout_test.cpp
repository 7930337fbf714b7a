// The print window's layout: the preview text and its bold runs for the
// items and spectra a user picks, and the printed pages on a recording
// printer: where every text and rule goes, and where pages break.
#include "output/print_layout.h"
#include "platform/gui/printer.h"
#include "tables/globals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

OutputRecord spectrum(int code, const QString& description, std::vector<double> bands,
                      const QString& formula = "", const QString& type = "Sound Level") {
    OutputRecord r;
    r.key = code;
    r.code = QString::number(code);
    r.description = description;
    r.name = r.code + ": " + description;
    r.type = type;
    r.sum1Type = "dBA";
    r.sum1Val = "55.1 dBA";
    r.sum2Type = "dBL";
    r.sum2Val = "62.0 dBL";
    r.formula = formula;
    r.bands = std::move(bands);
    return r;
}

PrintItems itemsOf(const std::vector<int>& on) {
    PrintItems items;
    for (int i : on)
        items.on[static_cast<size_t>(i)] = true;
    return items;
}

// The preview as text, bold runs in [brackets].
QString marked(const std::vector<PreviewRun>& runs) {
    QString out;
    for (const PreviewRun& r : runs)
        out += r.bold ? "[" + r.text + "]" : r.text;
    return out;
}

class PrintLayoutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_F(PrintLayoutTest, ThePreviewShowsEachTickedItemOfEachTickedSpectrum) {
    const OutputRecord fan =
        spectrum(1, "Fan", {62, 60.25, -999, -998, -997, 50, 47, 44, 40, 38.04}, "s2 + 3");
    const OutputRecord pump = spectrum(2, "Pump", std::vector<double>(10, 45));
    struct Case {
        const char* what;
        PrintItems items;
        std::vector<const OutputRecord*> records;
        QString preview;
    };
    const QString header = "[31.5Hz\t63Hz\t125Hz\t250Hz\t500Hz\t1KHz\t2KHz\t4KHz\t8KHz\t16KHz\n";
    const QString fanLevels = "62.0\t60.3\t.\tX\t#ERR\t50.0\t47.0\t44.0\t40.0\t38.0\n";
    const QString pumpLevels = "45.0\t45.0\t45.0\t45.0\t45.0\t45.0\t45.0\t45.0\t45.0\t45.0\n";
    const Case cases[] = {
        {"all items, two spectra",
         itemsOf({1, 2, 3, 4, 5, 6, 8}),
         {&fan, &pump},
         header + "\n1: Fan\n]Formula: s2 + 3\n" + fanLevels + "55.1 dBA\t62.0 dBL\n\n[2: Pump\n]" +
             pumpLevels + "55.1 dBA\t62.0 dBL\n\n"},
        {"number alone", itemsOf({1}), {&fan, &pump}, "[1\n2\n]"},
        {"description alone", itemsOf({2}), {&fan}, "[Fan\n]"},
        {"formula alone: none for an empty formula",
         itemsOf({3}),
         {&fan, &pump},
         "Formula: s2 + 3\n"},
        {"spectrum alone", itemsOf({4}), {&fan}, header + "]" + fanLevels},
        {"second summary alone", itemsOf({6}), {&fan}, "62.0 dBL\n"},
        {"blank lines alone", itemsOf({8}), {&fan, &pump}, "\n\n"},
        {"nothing ticked", itemsOf({}), {&fan}, ""},
        {"no spectrum ticked", itemsOf({4, 8}), {}, header + "\n]"},
    };
    for (const Case& c : cases) {
        PreviewInput in;
        in.items = c.items;
        in.records = c.records;
        EXPECT_EQ(marked(previewRuns(in)), c.preview) << c.what;
    }
}

TEST_F(PrintLayoutTest, ThirdOctavePreviewsStackEachOctavesBandsUnderItsCentre) {
    std::vector<double> bands;
    for (int j = 1; j <= 30; ++j)
        bands.push_back(j);
    const OutputRecord room = spectrum(1, "Room", {}, "", "Absorption");
    OutputRecord absorption = room;
    absorption.bands.assign(30, 0.55);
    OutputRecord levels = spectrum(2, "Hall", bands);
    PreviewInput in;
    in.items = itemsOf({4});
    in.nBands = 30;
    in.firstBand = 13; // 25 Hz: the columns are headed 31.5 Hz to 16 kHz
    in.records = {&levels, &absorption};
    const std::vector<PreviewRun> runs = previewRuns(in);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].bold);
    EXPECT_EQ(runs[0].text, "31.5Hz\t63Hz\t125Hz\t250Hz\t500Hz\t1KHz\t2KHz\t4KHz\t8KHz\t16KHz\n");
    const QStringList lines = runs[1].text.split('\n');
    ASSERT_EQ(lines.size(), 7); // three lines a spectrum and the end
    EXPECT_EQ(lines[0], "1.0\t4.0\t7.0\t10.0\t13.0\t16.0\t19.0\t22.0\t25.0\t28.0");
    EXPECT_EQ(lines[1].split('\t')[9], "29.0");
    EXPECT_EQ(lines[2].split('\t')[0], "3.0");
    EXPECT_EQ(lines[3].split('\t')[0], "0.55");
}

TEST_F(PrintLayoutTest, DataSourceLinesFollowTheNumberLineOfADatasheetRecord) {
    OutputRecord lab = spectrum(4, "Fan coil", std::vector<double>(10, 40));
    lab.extra = {{"Source", "Test lab"}, {"Date", ""}};
    PreviewInput in;
    in.items = itemsOf({1, 2, 7});
    in.records = {&lab};
    EXPECT_EQ(marked(previewRuns(in)), "[4: Fan coil\n]Source: Test lab\nDate: \n\n");
    int count = 0;
    EXPECT_EQ(LinesperRecordP(in.items, 10, 2, count), 3);
    EXPECT_EQ(count, 2);
}

TEST_F(PrintLayoutTest, NumbersAndLineCountsFollowTheItems) {
    const std::tuple<double, QString, QString> numbers[] = {
        {-999, "Sound Level", "."},          {-998, "Absorption", "X"},
        {-997, "Sound Level", "#ERR"},       {0.55, "Absorption", "0.55"},
        {1.2, "Reverberation Time", "1.20"}, {65.25, "Sound Level", "65.3"},
        {-3.04, "absorption", "-3.0"}, // the type is matched as written
    };
    for (const auto& [value, type, text] : numbers) {
        SCOPED_TRACE(type.toStdString() + " " + std::to_string(value));
        EXPECT_EQ(FormatNum(value, type), text);
    }
    const std::tuple<std::vector<int>, int, int, int> counts[] = {
        {{}, 10, 0, 0},
        {{1, 2, 3, 4, 5, 6, 8}, 10, 0, 5},
        {{1, 2, 3, 4, 5, 6, 8}, 30, 0, 7},
        {{2, 6}, 30, 0, 2},
        {{1, 7}, 10, 3, 4}, // three data-source lines
        {{1}, 10, 3, 1},    // counted only when item 7 is ticked
    };
    for (const auto& [on, bands, fields, lines] : counts) {
        SCOPED_TRACE(::testing::PrintToString(on) + " of " + std::to_string(bands) + " bands");
        int count = -1;
        EXPECT_EQ(LinesperRecordP(itemsOf(on), bands, fields, count), lines);
        EXPECT_EQ(count, itemsOf(on)(7) ? fields : 0);
    }
    EXPECT_EQ(footText(QDate(2026, 12, 8)), "Printed 08 Dec 2026");
    EXPECT_EQ(pageText(3), "Page 3");
}

// The geometry the pages are laid out on, measured as the printout measures.
struct Geometry {
    double b, f, lh, x0, x10, x11;
    int n;
    double y(int i) const { return 2 * b + i * lh; }
    // The line a text top stands on.
    int line(double top) const { return static_cast<int>(std::lround((top - 2 * b) / lh)); }
};

Geometry measure(platform::RecordingPrinter& pr, const QString& head) {
    Geometry g;
    pr.setFontName("Arial");
    pr.setFontSize(9);
    pr.setFontBold(true);
    pr.setFontItalic(false);
    const double s = pr.TextWidth("  XXX.X XXX  XXX.X XXX");
    pr.setFontSize(8);
    pr.setFontBold(false);
    pr.setFontItalic(true);
    const double hh = pr.TextHeight(head);
    pr.setFontSize(10);
    pr.setFontBold(true);
    pr.setFontItalic(false);
    g.lh = pr.TextHeight("X");
    g.b = 1.5 * hh;
    g.f = pr.ScaleHeight() - 2.5 * hh;
    g.n = static_cast<int>(std::floor((g.f - 5.5 * g.b) / g.lh));
    g.x0 = 0.1 * pr.ScaleWidth();
    g.x11 = 0.95 * pr.ScaleWidth();
    g.x10 = g.x11 - s;
    return g;
}

struct PagesTest : PrintLayoutTest {
    PageJob job;
    std::vector<OutputRecord> records;
    void SetUp() override {
        job.file = "/home/me/survey.bwdb";
        job.sheet = "Plant";
        job.title = "Title: Plant room\n\nPrepared By: J. Smith\n";
        job.printed = QDate(2026, 12, 8);
    }
    void use(std::vector<OutputRecord> r) {
        records = std::move(r);
        job.records.clear();
        for (const OutputRecord& x : records)
            job.records.push_back(&x);
    }
};

TEST_F(PagesTest, RecordsFillPagesFromTheirLineTopsAndBreakWhenTheNextMightNotFit) {
    // A page of exactly 50 lines, records of six lines each.
    platform::RecordingPrinter probe;
    const QString head = job.file + "   " + job.sheet;
    Geometry g = measure(probe, head);
    const double hh = g.b / 1.5;
    platform::RecordingPrinter pr(11186, 10.75 * hh + 50.5 * g.lh);
    g = measure(pr, head);
    ASSERT_EQ(g.n, 50);
    std::vector<OutputRecord> recs;
    for (int i = 1; i <= 20; ++i)
        recs.push_back(spectrum(i, "Position " + QString::number(i), std::vector<double>(30, 50),
                                "s1 + 10 * log( 15 ) " + QString(80, 'x')));
    use(recs);
    job.items = itemsOf({2, 3, 4, 8}); // 1 + 1 + 3 + 1 lines
    job.nBands = 30;
    job.firstBand = 13;
    printPages(pr, job);
    ASSERT_TRUE(pr.EndDoc());
    ASSERT_EQ(pr.documents().size(), 1u);
    const auto& pages = pr.documents()[0];
    ASSERT_EQ(pages.size(), 3u); // 6 + 7 + 7 records, no blank page after

    for (size_t p = 0; p < pages.size(); ++p) {
        const auto texts = pr.textOn(0, p);
        ASSERT_GE(texts.size(), 3u);
        // Head, page number at the right margin, foot, in 8 pt italic.
        EXPECT_EQ(texts[0].text, head);
        EXPECT_DOUBLE_EQ(texts[0].y, g.b);
        EXPECT_DOUBLE_EQ(texts[0].x, g.x0);
        EXPECT_EQ(texts[1].text, pageText(int(p) + 1));
        EXPECT_DOUBLE_EQ(texts[1].y, g.b);
        EXPECT_TRUE(texts[1].font.italic);
        EXPECT_EQ(texts[2].text, "Printed 08 Dec 2026");
        EXPECT_DOUBLE_EQ(texts[2].y, g.f);
        // Record starts, and nothing below the last line.
        std::vector<int> starts;
        for (const auto& t : texts) {
            if (t.text.startsWith("Position")) starts.push_back(g.line(t.y));
            if (&t - &texts[0] >= 3) {
                EXPECT_LE(g.line(t.y), g.n) << t.text.toStdString();
            }
        }
        if (p == 0) {
            // Product word, a gap, the title's lines (the empty one typed
            // kept, the end after the last line break not), a gap, the band header.
            EXPECT_EQ(texts[3].text, "Bandwright");
            EXPECT_EQ(g.line(texts[3].y), 1);
            EXPECT_TRUE(texts[3].font.bold && texts[3].font.italic);
            EXPECT_EQ(texts[4].text, "Title: Plant room");
            EXPECT_EQ(g.line(texts[4].y), 3);
            EXPECT_EQ(texts[5].text, "Prepared By: J. Smith");
            EXPECT_EQ(g.line(texts[5].y), 5);
            EXPECT_EQ(starts, (std::vector<int>{9, 15, 21, 27, 33, 39}));
        } else {
            EXPECT_EQ(texts[3].text, "31.5Hz");
            EXPECT_EQ(g.line(texts[3].y), 1);
            // The next record would reach line 51: lines 45 to 50 stay free.
            EXPECT_EQ(starts, (std::vector<int>{3, 9, 15, 21, 27, 33, 39}));
        }
    }
    // The band header: labels right-aligned on the column stops, a rule under them.
    const auto page2 = pr.textOn(0, 1);
    pr.setFontSize(10);
    pr.setFontBold(true);
    pr.setFontItalic(false);
    EXPECT_NEAR(page2[12].x + pr.TextWidth(page2[12].text), g.x10, 1e-6);
    EXPECT_EQ(page2[12].text, "16KHz");
    bool rule = false;
    for (const auto& item : pages[1])
        if (item.kind == platform::PrintItem::Kind::Line) {
            rule = true;
            EXPECT_DOUBLE_EQ(item.x, g.x0);
            EXPECT_NEAR(item.x2, g.x10, 1e-6);
            EXPECT_DOUBLE_EQ(item.y, g.y(2));
        }
    EXPECT_TRUE(rule);
}

TEST_F(PagesTest, ShortFormulasShareTheNumberLineAndSummariesTheFirstBandRow) {
    platform::RecordingPrinter pr;
    const Geometry g = measure(pr, job.file + "   " + job.sheet);
    std::vector<double> bands(30, 50);
    bands[0] = -999;
    use({spectrum(1, "Fan", bands, "s2 + 3"), spectrum(2, "Pump", bands)});
    job.items = itemsOf({1, 3, 4, 5, 6});
    job.nBands = 30;
    printPages(pr, job);
    ASSERT_TRUE(pr.EndDoc());
    const auto texts = pr.textOn(0, 0);
    auto find = [&](const QString& t) {
        for (const auto& x : texts)
            if (x.text == t) return x;
        ADD_FAILURE() << "not printed: " << t.toStdString();
        return platform::PrintItem{};
    };
    // With number alone the line keeps its ": ".
    const auto number = find("1: ");
    const auto formula = find("Formula: s2 + 3");
    EXPECT_DOUBLE_EQ(formula.y, number.y);
    EXPECT_GT(formula.x, number.x);
    EXPECT_TRUE(formula.font.italic);
    const auto summary = find("55.1 dBA  62.0 dBL");
    EXPECT_EQ(g.line(summary.y), g.line(number.y) + 1);
    pr.setFontSize(9);
    pr.setFontBold(true);
    EXPECT_NEAR(summary.x + pr.TextWidth(summary.text), g.x11, 1e-6);
    // The next record starts after the three band rows.
    EXPECT_EQ(g.line(find("2: ").y), g.line(number.y) + 4);
    EXPECT_EQ(find(".").font.size, 9);
}

TEST_F(PagesTest, ARecordLongerThanThePageGoesOnOnANewPageNeverOverTheFoot) {
    platform::RecordingPrinter pr(11186, 8000); // a small page
    const Geometry g = measure(pr, job.file + "   " + job.sheet);
    OutputRecord big = spectrum(1, "Many notes", std::vector<double>(10, 50));
    for (int i = 1; i <= 60; ++i)
        big.extra.emplace_back("Field " + QString::number(i), "value");
    use({big, spectrum(2, "After", std::vector<double>(10, 40))});
    job.items = itemsOf({1, 2, 4, 7});
    printPages(pr, job);
    ASSERT_TRUE(pr.EndDoc());
    const auto& pages = pr.documents()[0];
    ASSERT_GE(pages.size(), 3u);
    int fields = 0;
    for (size_t p = 0; p < pages.size(); ++p) {
        const auto texts = pr.textOn(0, p);
        EXPECT_EQ(texts[1].text, pageText(int(p) + 1));
        EXPECT_EQ(texts[2].text, "Printed 08 Dec 2026");
        bool header = false;
        for (size_t i = 3; i < texts.size(); ++i) {
            EXPECT_LT(texts[i].y + g.lh, g.f) << texts[i].text.toStdString();
            header = header || texts[i].text == "31.5Hz";
            fields += texts[i].text.startsWith("Field ");
        }
        EXPECT_TRUE(header) << "page " << p + 1;
    }
    EXPECT_EQ(fields, 60);
}

TEST_F(PagesTest, NothingTickedPrintsNoPage) {
    platform::RecordingPrinter pr;
    use({});
    job.items = itemsOf({1, 2, 4});
    printPages(pr, job);
    EXPECT_TRUE(pr.EndDoc());
    EXPECT_TRUE(pr.documents().empty());
}

} // namespace
