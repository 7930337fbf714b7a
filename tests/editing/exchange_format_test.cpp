// The clipboard spectrum text on its own: the number form it writes, how
// pasted text splits into rows and cells, what its header says about the
// data, the band conversion between octaves and thirds, and the formula
// references that the deletion and renumbering go by.
#include "editing/paste_data.h"
#include "editing/spectrum_refs.h"
#include "editing/spectrum_text.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "tables/globals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

class ExchangeFormat : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_F(ExchangeFormat, NumbersAreWrittenInTheGeneralForm) {
    const std::pair<double, const char*> cases[] = {
        {0.5, ".5"},
        {-0.25, "-.25"},
        {12, "12"},
        {-999, "-999"},
        {65.2, "65.2"},
        {31.5, "31.5"},
        {12500, "12500"},
        {0, "0"},
        {-0.0, "0"},
        {1.0 / 3, ".333333333333333"},
        {2.0 / 3, ".666666666666667"},
        {123456789012345, "123456789012345"},
        {1e15, "1E+15"},
        {1e16, "1E+16"},
        {-1.5e20, "-1.5E+20"},
        {0.0001, ".0001"},
        {0.00001, "1E-05"},
        {1.5e-7, "1.5E-07"},
        {1e100, "1E+100"},
        {64.7712125471966, "64.7712125471966"},
    };
    for (const auto& [v, text] : cases)
        EXPECT_EQ(clipboardNumber(v), text) << v;
}

TEST_F(ExchangeFormat, HeaderAndRowsFollowTheSheet) {
    const std::vector<std::string> names = {"Code",           "Description",   "Type",
                                            "Summary 1 Type", "Summary 1 Val", "Summary 2 Type",
                                            "Summary 2 Val",  "Formula"};
    EXPECT_EQ(spectrumHeader(names, 1, 14, true).join(','),
              "Code,Description,Type,Summary 1 Type,Summary 1 Val,Summary 2 Type,Summary 2 "
              "Val,Formula,31.5,63,125,250,500,1000,2000,4000,8000,16000");
    const QStringList thirds = spectrumHeader(names, 2, 13, true);
    ASSERT_EQ(thirds.size(), 38);
    EXPECT_EQ(thirds[8], "25");
    EXPECT_EQ(thirds[9], "31.5");
    EXPECT_EQ(thirds[10], "40");
    EXPECT_EQ(thirds[37], "20000");
    EXPECT_EQ(spectrumHeader(names, 1, 14, false)[7], "");

    // Codes and bands as numbers; texts as they stand, with the characters
    // that would split a cell or a row turned into blanks.
    std::vector<db::Value> fields = {
        db::Value(12),    db::Value("a\tb\r\nc"), db::Value("Sound Level"), db::Value("dBA"),
        db::Value("007"), db::Value::null(),      db::Value("1.50"),        db::Value("s1 + 3")};
    for (double v : {0.5, -999.0, -998.0, -997.0, 65.25, 0.0, 1.0, 2.0, 3.0, 4.0, 99.0})
        fields.emplace_back(v);
    const QStringList cells = spectrumCells(fields, 1, true);
    ASSERT_EQ(cells.size(), 18);
    EXPECT_EQ(cells.mid(0, 10).join('|'), "12|a b  c|Sound Level|dBA|007||1.50|s1 + 3|.5|-999");
    EXPECT_EQ(cells[10], "-998");
    EXPECT_EQ(cells[11], "-997");
    EXPECT_EQ(cells[12], "65.25");
    // A datasheet does not copy its Select Type, nor fields after the bands.
    EXPECT_EQ(spectrumCells(fields, 1, false)[7], "");
    EXPECT_EQ(joinSpectrumRows({{"a", "b"}, {"c", ""}}), "a\tb\r\nc\t");
}

struct DecodeCase {
    const char* name;
    QString text;
    QString message;
    int rows;
    int columns;
};

TEST_F(ExchangeFormat, TextSplitsIntoRowsAndCells) {
    const DecodeCase cases[] = {
        {"crlf", "a\tb\r\nc\td", "", 2, 2},
        {"final crlf adds no row", "a\tb\r\nc\td\r\n", "", 2, 2},
        {"final cr adds no row", "a\tb\rc\td\r", "", 2, 2},
        {"lf only", "a\tb\nc\td", "", 2, 2},
        {"final lf adds no row", "a\tb\nc\td\n", "", 2, 2},
        {"two breaks at the end", "a\r\n\r\n", "", 2, 1},
        {"lone lf stays in a cell", "a\nb\tc\r\nd\te", "", 2, 2},
        {"empty line in the middle", "a\tb\r\n\r\nc\td", kMsgNotRectangular, 3, 2},
        {"ragged", "a\tb\tc\r\nd\te", kMsgNotRectangular, 2, 3},
        {"empty", "", kMsgNoPasteData, 0, 0},
        {"trailing tab is a cell", "a\t\r\nb\tc", "", 2, 2},
    };
    for (const DecodeCase& c : cases) {
        PasteArray data;
        EXPECT_EQ(decodePasteText(c.text, data), c.message) << c.name;
        EXPECT_EQ(data.rowCount(), c.rows) << c.name;
        EXPECT_EQ(data.columnCount(), c.columns) << c.name;
    }
    PasteArray data;
    decodePasteText("a\nb\tc\r\nd\te", data);
    EXPECT_EQ(data.cell(1, 1), "a\nb");
    EXPECT_EQ(data.cell(2, 2), "e");
    EXPECT_EQ(data.cell(2, 9), ""); // beyond the text
    decodePasteText("a\tb\nc\td\n", data);
    EXPECT_EQ(data.cell(2, 2), "d");

    // The limits are checked as the text is read.
    QString tall;
    for (int r = 0; r <= PasteArray::kMaxRows; ++r)
        tall += "1\r\n";
    EXPECT_EQ(decodePasteText(tall, data), "Paste data has more than 10000 rows");
    QString wide = "1";
    for (int c = 0; c < PasteArray::kMaxCells; ++c)
        wide += "\t1";
    EXPECT_EQ(decodePasteText(wide, data), "Paste data has more than 100 cells in a row");
}

// A header of `cells` cells whose cell 9 is `first`.
PasteArray withHeader(int cells, const QString& first, int rows = 2) {
    PasteArray data;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cells; ++c)
            data.setCell(r, c, r == 1 && c == 9 ? first : QString());
    return data;
}

// One data row: a spectrum type and its band cells.
PasteArray dataRow(int cells, const QString& firstFreq, const QString& type,
                   const std::vector<QString>& bands) {
    PasteArray data = withHeader(cells, firstFreq);
    data.setCell(2, 3, type);
    for (size_t k = 0; k < bands.size(); ++k)
        data.setCell(2, 9 + static_cast<int>(k), bands[k]);
    return data;
}

struct ConversionCase {
    const char* name;
    int sourceCells;
    QString firstFreq;
    QString type;
    std::vector<QString> bands;
    int targetKind;
    int targetFirst;
    int j;
    double expected;
};

TEST_F(ExchangeFormat, BandsConvertByTheSpectrumType) {
    const double third = 70 - 10 * std::log10(3.0);
    const ConversionCase cases[] = {
        // Thirds into octaves: the three thirds around the centre.
        {"level sums", 38, "25", "Sound Level", {"60", "60", "60"}, 1, 14, 1, 64.7712125471966},
        {"impact sums", 38, "25", "Impact Sound Level", {"60", "60", "60"}, 1, 14, 1, 64.77121},
        {"insulation averages", 38, "25", "Transmission Loss", {"60", "60", "60"}, 1, 14, 1, 60},
        {"insulation of unequal thirds",
         38,
         "25",
         "Transmission Loss",
         {"50", "60", "70"},
         1,
         14,
         1,
         54.31798},
        {"other types take the centre", 38, "25", "Absorption", {".2", ".5", ".9"}, 1, 14, 1, .5},
        {"a missing third misses the level",
         38,
         "25",
         "Sound Level",
         {"60", "", "60"},
         1,
         14,
         1,
         -999},
        {"a missing neighbour does not miss an absorption",
         38,
         "25",
         "Absorption",
         {".", ".5", "."},
         1,
         14,
         1,
         .5},
        {"an error wins", 38, "25", "Sound Level", {"X", "#ERR", "."}, 1, 14, 1, -997},
        {"missing beats marked", 38, "25", "Sound Level", {"X", "60", "."}, 1, 14, 1, -999},
        {"marked passes", 38, "25", "Sound Level", {"X", "60", "60"}, 1, 14, 1, -998},
        {"a marker centre of another type", 38, "25", "Constant", {"1", "X", "1"}, 1, 14, 1, -998},
        // The first data band is a centre: its lower third lies outside the data.
        {"outer third outside the data",
         38,
         "31.5",
         "Sound Level",
         {"60", "60", "60"},
         1,
         14,
         1,
         -999},
        {"centre outside the data", 38, "25", "Sound Level", {"60", "60", "60"}, 1, 11, 1, -999},
        // Octaves into thirds.
        {"level splits", 18, "31.5", "Sound Level", {"70"}, 2, 13, 1, third},
        {"level splits into the centre", 18, "31.5", "Sound Level", {"70"}, 2, 13, 2, third},
        {"level splits into the upper", 18, "31.5", "Sound Level", {"70"}, 2, 13, 3, third},
        {"next octave",
         18,
         "31.5",
         "Sound Level",
         {"70", "50"},
         2,
         13,
         4,
         50 - 10 * std::log10(3.0)},
        {"reverberation copies", 18, "31.5", "Reverberation Time", {"1.2"}, 2, 13, 2, 1.2},
        {"insulation copies", 18, "31.5", "Transmission Loss", {"45"}, 2, 13, 2, 45},
        {"markers pass", 18, "31.5", "Sound Level", {"X"}, 2, 13, 2, -998},
        {"errors pass", 18, "31.5", "Sound Level", {"#ERR"}, 2, 13, 2, -997},
        {"below the data", 18, "31.5", "Sound Level", {"70"}, 2, 10, 1, -999},
        // The same band system, shifted.
        {"octaves shift", 18, "31.5", "Sound Level", {"70", "65"}, 1, 17, 1, 65},
        {"octaves past the data", 18, "31.5", "Sound Level", {"70", "65"}, 1, 17, 10, -999},
        {"thirds shift", 38, "25", "Sound Level", {"1", "2", "3"}, 2, 14, 1, 2},
        {"empty cell", 38, "25", "Sound Level", {""}, 2, 13, 1, -999},
        {"leading number", 38, "25", "Sound Level", {"60 dB"}, 2, 13, 1, 60},
        {"no number", 38, "25", "Sound Level", {"abc"}, 2, 13, 1, 0},
    };
    for (const ConversionCase& c : cases) {
        const PasteArray data = dataRow(c.sourceCells, c.firstFreq, c.type, c.bands);
        PasteSource source;
        ASSERT_TRUE(readPasteSource(data, source)) << c.name;
        const PasteTarget target{c.targetKind, c.targetFirst};
        EXPECT_NEAR(convertedBand(data, 1, c.j, target, source), c.expected, 1e-4) << c.name;
    }
    // Numbers too large stop the row with a message.
    const PasteArray huge = dataRow(38, "25", "Sound Level", {"1e999"});
    PasteSource source;
    ASSERT_TRUE(readPasteSource(huge, source));
    EXPECT_THROW(convertedBand(huge, 1, 1, PasteTarget{2, 13}, source), db::Error);
    const PasteArray loud = dataRow(38, "25", "Sound Level", {"4000", "4000", "4000"});
    ASSERT_TRUE(readPasteSource(loud, source));
    EXPECT_THROW(convertedBand(loud, 1, 1, PasteTarget{1, 14}, source), db::Error);
}

TEST_F(ExchangeFormat, PasteRecordWritesARecordOfAnotherTable) {
    const std::string path = (std::filesystem::temp_directory_path() / "pasterecord.bwdb").string();
    std::filesystem::remove(path);
    auto database = db::Database::create(path);
    database->createTable(db::worksheetTableDef("Target", 10));
    PasteArray data = dataRow(38, "25", "Sound Level", {"60", "60", "60"});
    data.setCell(2, 2, "fan");
    data.setCell(2, 8, "s1 + 3");
    PasteSource source;
    ASSERT_TRUE(readPasteSource(data, source));
    {
        db::Recordset rs = database->OpenRecordset("Target", {}, db::LockType::BatchOptimistic);
        rs.AddNew();
        rs.Fields("Code") = db::Value(7);
        PasteRecord(rs, data, 1, PasteTarget{1, 14}, source, true);
        rs.AddNew();
        rs.Fields("Code") = db::Value(8);
        PasteRecord(rs, data, 1, PasteTarget{1, 14}, source, false);
        rs.UpdateBatch();
    }
    EXPECT_EQ(database->scalar("SELECT Description FROM Target WHERE Code = 7").toText(), "fan");
    EXPECT_EQ(database->scalar("SELECT Formula FROM Target WHERE Code = 7").toText(), "s1 + 3");
    EXPECT_EQ(database->scalar("SELECT Formula FROM Target WHERE Code = 8").toText(), "");
    EXPECT_NEAR(database->scalar("SELECT L1 FROM Target WHERE Code = 7").toDouble(), 64.771, 1e-3);
    EXPECT_EQ(database->scalar("SELECT L2 FROM Target WHERE Code = 7").toDouble(), -999);
    database.reset();
    std::filesystem::remove(path);
}

struct RefCase {
    const char* formula;
    std::vector<long> refs;
    const char* afterInsertAt3; // threshold 3, delta +1
};

TEST_F(ExchangeFormat, ReferencesAreFoundWhereTheEvaluatorReadsThem) {
    const RefCase cases[] = {
        {"s1 + S3", {1, 3}, "s1 + S4"},
        {"logsum(s1, S3, s12)", {1, 3, 12}, "logsum(s1, S4, s13)"},
        {"Awt(S12)", {12}, "Awt(S13)"},
        {"s03", {3}, "s4"},
        {"s 3 + 1", {3}, "s4 + 1"},
        {"(s3)!+s5", {3, 5}, "(s4)!+s6"},
        {"-s3", {3}, "-s4"},
        {"s3.0", {3}, "s4"},
        {"STC", {}, "STC"},
        {"s", {}, "s"},
        {"s1(2)", {}, "s1(2)"},
        {"sin(s3)", {3}, "sin(s4)"},
        {"s3x + 2", {}, "s3x + 2"},
        {"xs3", {}, "xs3"},
        {"s1.5", {}, "s1.5"},
        {"s120+S12", {120, 12}, "s121+S13"},
        {"s3>=s4", {3, 4}, "s4>=s5"},
    };
    for (const RefCase& c : cases) {
        std::vector<long> found;
        for (const SpectrumRef& r : spectrumRefs(c.formula))
            found.push_back(r.number);
        EXPECT_EQ(found, c.refs) << c.formula;
        EXPECT_EQ(renumberRefs(c.formula, 3, 1), c.afterInsertAt3) << c.formula;
    }
    EXPECT_TRUE(formulaUses("S120+S12", 12));
    EXPECT_FALSE(formulaUses("S120", 12));
    EXPECT_TRUE(formulaUses("s03", 3));
    EXPECT_EQ(renumberRefs("s10 + s1 + s2", [](long m) { return m > 1 ? m - 1 : m; }),
              "s9 + s1 + s1");
}

} // namespace
