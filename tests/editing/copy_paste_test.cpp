// Copy and Paste through real worksheet windows and the real clipboard:
// spectra copied from one sheet and pasted into another come back as they
// were, in the order they were selected; octaves and thirds convert by
// spectrum type; text from spreadsheets pastes; refused text writes nothing.
#include "editing/paste_data.h"
#include "tests/editing/edit_fixture.h"

#include <QLineEdit>
#include <QTableView>
#include <QTest>

namespace editing_test {
namespace {

class CopyPaste : public EditFixture, public ::testing::WithParamInterface<int> {};

QStringList lines(const QString& text) {
    return text.split("\r\n");
}

// Every spectrum type once, with texts that must survive the round trip.
std::vector<SpectrumRow> everyType(int bands) {
    std::vector<SpectrumRow> rows;
    for (int t = 1; t <= gSpectrumTypeCount; ++t) {
        std::vector<double> levels;
        for (int j = 1; j <= bands; ++j)
            levels.push_back(t * 10 + j * 0.5 - 0.25);
        SpectrumRow r = spectrum(levels, "", gSpectrumTypes[static_cast<size_t>(t)][1]);
        r.sum1Type = gSpectrumTypes[static_cast<size_t>(t)][2];
        r.sum2Type = gSpectrumTypes[static_cast<size_t>(t)][3];
        r.description = "spectrum " + std::to_string(t);
        rows.push_back(r);
    }
    rows[1].description = "left\tright";
    rows[2].description = "007";
    rows[4].bands[0] = 0.5;
    rows[4].bands[1] = -998;
    rows[4].bands[2] = -997;
    rows[4].bands[3] = -999;
    return rows;
}

TEST_P(CopyPaste, CopiedSpectraPasteBackAsTheyWereInSelectionOrder) {
    const int kind = GetParam();
    const int bands = kind == 2 ? 30 : 10;
    const int first = kind == 2 ? 13 : 14;
    file_->addSheet("From", kind, first, everyType(bands));
    file_->addSheet("To", kind, first, std::vector<SpectrumRow>(4, flat(20, bands)));
    WorksheetWindow* from = open("From", kind, kind == 2 ? 2 : 1, first);
    select(from, {5, 2, 3});
    choose("mnuEditCopy");
    const QStringList copied = lines(platform::clipboardText());
    ASSERT_EQ(copied.size(), 4);
    for (const QString& line : copied)
        EXPECT_EQ(line.count('\t'), bands + 7) << line.toStdString();
    EXPECT_TRUE(copied[1].startsWith("5\tspectrum 5\t"));
    EXPECT_TRUE(copied[2].startsWith("2\tleft right\t"));
    EXPECT_TRUE(copied[3].startsWith("3\t007\t"));
    EXPECT_TRUE(copied[1].contains("\t.5\t-998\t-997\t-999\t")) << copied[1].toStdString();

    WorksheetWindow* to = open("To", kind, kind == 2 ? 1 : 2, first);
    moveTo(to, 2);
    choose("mnuEditPaste");
    EXPECT_EQ(cursor(to), 2);
    EXPECT_TRUE(script_->prompts().empty());
    const Rows source = rows("From");
    const Rows target = rows("To");
    ASSERT_EQ(target.size(), 4u);
    EXPECT_EQ(target[0][1].isNull(), true); // before the cursor: untouched
    const int order[] = {5, 2, 3};
    for (int i = 0; i < 3; ++i) {
        const auto& want = source[static_cast<size_t>(order[i] - 1)];
        const auto& got = target[static_cast<size_t>(i + 1)];
        EXPECT_EQ(got[0].toLong(), i + 2); // each record keeps its number
        for (size_t f = 2; f < want.size(); ++f)
            if (f != 7) {
                EXPECT_EQ(got[f], want[f]) << "row " << i << " field " << f;
            }
        EXPECT_EQ(got[7].toText(), ""); // no formula: an empty one
    }
    EXPECT_EQ(target[2][1].toText(), "left right");
    EXPECT_EQ(target[3][1].toText(), "007");

    // Copied again from the target, the rows read as they did, codes apart.
    select(to, {2, 3, 4});
    choose("mnuEditCopy");
    const QStringList again = lines(platform::clipboardText());
    ASSERT_EQ(again.size(), 4);
    EXPECT_EQ(again[0], copied[0]);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(again[i].section('\t', 1), copied[i].section('\t', 1));
}

INSTANTIATE_TEST_SUITE_P(BandSystems, CopyPaste, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Octave" : "Third"; });

TEST_F(CopyPaste, CopyWritesTheTextSpreadsheetsRead) {
    SpectrumRow r = spectrum({65.2, 63, 60.1, 58, 57.5, 55, 51.2, 47, -999, -999});
    r.description = "Fan";
    file_->addSheet("Sheet", 1, 14, {r, flat(40)});
    WorksheetWindow* w = open("Sheet", 1, 1, 14);
    moveTo(w, 1);
    choose("mnuEditCopy");
    const QString text = platform::clipboardText();
    const QString sum1 = field("Sheet", 1, "Summary 1 Val").toText().c_str();
    const QString sum2 = field("Sheet", 1, "Summary 2 Val").toText().c_str();
    EXPECT_EQ(text, "Code\tDescription\tType\tSummary 1 Type\tSummary 1 Val\tSummary 2 "
                    "Type\tSummary 2 Val\tFormula\t31.5\t63\t125\t250\t500\t1000\t2000\t4000\t8000"
                    "\t16000\r\n1\tFan\tSound Level\tdBA\t" +
                        sum1 + "\tdBL\t" + sum2 +
                        "\t\t65.2\t63\t60.1\t58\t57.5\t55\t51.2\t47\t-999\t-999");
    // With nothing selected the current spectrum is copied and shows selected.
    EXPECT_EQ(w->grdSpectra->SelBookmarks().Count(), 1);
    EXPECT_EQ(w->grdSpectra->SelBookmarks().Item(0), w->Data1.recordset().Bookmark());
}

TEST_F(CopyPaste, CopyEndsTheCellBeingTyped) {
    file_->addSheet("Sheet", 1, 14, {flat(40), flat(50)});
    WorksheetWindow* w = open("Sheet", 1, 2, 14);
    QTableView* view = w->grdSpectra->view();
    const QModelIndex cell = w->grdSpectra->model()->index(1, 5); // spectrum 2, L2
    view->setCurrentIndex(cell);
    view->edit(cell);
    QApplication::processEvents();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "44");
    ASSERT_TRUE(w->grdSpectra->EditActive());
    choose("mnuEditCopy");
    EXPECT_FALSE(w->grdSpectra->EditActive());
    EXPECT_TRUE(platform::clipboardText().endsWith("\t\t50\t44\t50\t50\t50\t50\t50\t50\t50\t50"))
        << platform::clipboardText().toStdString();
}

TEST_F(CopyPaste, OctavesAndThirdsConvertByType) {
    SpectrumRow absorption = spectrum({}, "", "Absorption");
    for (int j = 1; j <= 30; ++j)
        absorption.bands.push_back(j % 3 == 2 ? 0.5 : 0.9);
    absorption.sum1Type = absorption.sum2Type = "";
    SpectrumRow insulation = flat(60, 30);
    insulation.type = "Transmission Loss";
    insulation.sum1Type = "Rw";
    insulation.sum2Type = "Ctr";
    file_->addSheet("Thirds", 2, 13, {flat(60, 30), insulation, absorption});
    SpectrumRow octave = flat(70);
    octave.bands[9] = -998;
    SpectrumRow reverberation = spectrum(std::vector<double>(10, 1.2), "", "Reverberation Time");
    reverberation.sum1Type = reverberation.sum2Type = "";
    file_->addSheet("Octaves", 1, 14, {octave, reverberation, flat(0)});

    WorksheetWindow* thirds = open("Thirds", 2, 1, 13);
    select(thirds, {1, 2, 3});
    choose("mnuEditCopy");
    const QString fromThirds = platform::clipboardText();
    WorksheetWindow* octaves = open("Octaves", 1, 1, 14);
    select(octaves, {1, 2});
    choose("mnuEditCopy");
    const QString fromOctaves = platform::clipboardText();

    // Thirds 25 Hz to 20 kHz into octaves 31.5 Hz to 16 kHz: three thirds per octave.
    platform::setClipboard(fromThirds);
    moveTo(octaves, 1);
    choose("mnuEditPaste");
    EXPECT_NEAR(field("Octaves", 1, "L1").toDouble(), 64.77, 0.01);
    EXPECT_NEAR(field("Octaves", 1, "L9").toDouble(), 64.77, 0.01);
    EXPECT_NEAR(field("Octaves", 1, "L10").toDouble(), 64.77, 0.01);
    EXPECT_NEAR(field("Octaves", 2, "L1").toDouble(), 60, 1e-9);
    EXPECT_EQ(field("Octaves", 3, "L1").toDouble(), 0.5);
    EXPECT_EQ(field("Octaves", 3, "L10").toDouble(), 0.5);

    // Octaves into thirds: the level splits in three, other types copy, the
    // marker passes.
    platform::setClipboard(fromOctaves);
    activate(thirds);
    moveTo(thirds, 1);
    choose("mnuEditPaste");
    EXPECT_NEAR(field("Thirds", 1, "L2").toDouble(), 65.23, 0.01);
    EXPECT_NEAR(field("Thirds", 1, "L1").toDouble(), 65.23, 0.01);
    EXPECT_EQ(field("Thirds", 1, "L29").toDouble(), -998);
    EXPECT_EQ(field("Thirds", 1, "L30").toDouble(), -998);
    EXPECT_EQ(field("Thirds", 2, "L5").toDouble(), 1.2);
    EXPECT_EQ(field("Thirds", 2, "Type").toText(), "Reverberation Time");
    EXPECT_EQ(field("Thirds", 3, "L1").toDouble(), 0.9); // beyond the data: untouched
}

TEST_F(CopyPaste, SpreadsheetTextWithLineFeedsOrCarriageReturns) {
    file_->addSheet("Sheet", 1, 14, std::vector<SpectrumRow>(3, flat(40)));
    WorksheetWindow* w = open("Sheet", 1, 2, 14);
    const QString header = "Code\tDescription\tType\tSummary 1 Type\tSummary 1 Val\tSummary 2 "
                           "Type\tSummary 2 Val\tFormula\t31.5\t63\t125\t250\t500\t1000\t2000\t4000"
                           "\t8000\t16000";
    const QString row1 =
        "1\tpump\tSound Level\tdBA\t\tdBL\t\t\t50\t\t.\tX\t#ERR\t51.5\t52\t53\t54\t55";
    const QString row2 =
        "2\tfan\tSound Level\tdBA\t\tdBL\t\t\t60\t60\t60\t60\t60\t60\t60\t60\t60\t60";
    for (const QString& eol : {QString("\n"), QString("\r\n")}) {
        platform::setClipboard(header + eol + row1 + eol + row2 + eol);
        moveTo(w, 2);
        choose("mnuEditPaste");
        EXPECT_EQ(field("Sheet", 2, "Description").toText(), "pump");
        EXPECT_EQ(field("Sheet", 3, "Description").toText(), "fan");
        const double want[] = {50, -999, -999, -998, -997, 51.5, 52, 53, 54, 55};
        for (int j = 1; j <= 10; ++j)
            EXPECT_EQ(field("Sheet", 2, "L" + std::to_string(j)).toDouble(), want[j - 1]) << j;
        EXPECT_FALSE(field("Sheet", 3, "Summary 1 Val").toText().empty()); // recalculated
        EXPECT_EQ(rows("Sheet").size(), 3u);                               // no row added
        choose("mnuEditUndo");
    }
    // Rows beyond the last spectrum are dropped: Paste adds none.
    moveTo(w, 3);
    choose("mnuEditPaste");
    EXPECT_EQ(rows("Sheet").size(), 3u);
    EXPECT_EQ(field("Sheet", 3, "Description").toText(), "pump");
    EXPECT_EQ(cursor(w), 3);

    // A spreadsheet in a decimal-comma language: "65,2" is 65.2, in the
    // header as in the bands, for Paste and Paste Insert alike.
    const QString commas =
        "1\tcomma\tSound Level\tdBA\t\tdBL\t\t\t65,2\t-3,5\t1,5.2\t7 0,25\t1\t1\t1\t1\t1\t1";
    platform::setClipboard(QString(header).replace("\t31.5", "\t31,5") + "\n" + commas);
    moveTo(w, 1);
    choose("mnuEditPaste");
    const double pasted[] = {65.2, -3.5, 1, 70.25};
    for (int j = 1; j <= 4; ++j)
        EXPECT_DOUBLE_EQ(field("Sheet", 1, "L" + std::to_string(j)).toDouble(), pasted[j - 1]);
    // Octave text from 63 Hz lands one band on.
    platform::setClipboard(
        QString(header).replace("\t31.5\t63\t125", "\t63\t125\t250").replace("16000", "31500") +
        "\n" + commas);
    choose("mnuEditPasteInsert");
    EXPECT_EQ(rows("Sheet").size(), 4u);
    EXPECT_DOUBLE_EQ(field("Sheet", 1, "L1").toDouble(), -999);
    EXPECT_DOUBLE_EQ(field("Sheet", 1, "L2").toDouble(), 65.2);
    EXPECT_DOUBLE_EQ(field("Sheet", 1, "L3").toDouble(), -3.5);
    EXPECT_TRUE(script_->prompts().empty());
}

TEST_F(CopyPaste, FormulasGoInOnlyWhenTheUserSaysSo) {
    file_->addSheet("Sheet", 1, 14, {flat(40), flat(50), flat(0), flat(0)});
    WorksheetWindow* w = open("Sheet", 1, 1, 14);
    const QString text =
        "Code\tDescription\tType\tSummary 1 Type\tSummary 1 Val\tSummary 2 Type\tSummary 2 "
        "Val\tFormula\t31.5\t63\t125\t250\t500\t1000\t2000\t4000\t8000\t16000\r\n"
        "9\tsum\tSound Level\tdBA\t\tdBL\t\ts1 !+ s2\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1";
    platform::setClipboard(text);
    moveTo(w, 3);
    script_->answerMsgBox(platform::vbNo);
    choose("mnuEditPaste");
    EXPECT_EQ(field("Sheet", 3, "Formula").toText(), "");
    EXPECT_EQ(field("Sheet", 3, "L1").toDouble(), 1);

    moveTo(w, 4);
    script_->answerMsgBox(platform::vbYes);
    choose("mnuEditPaste");
    EXPECT_EQ(field("Sheet", 4, "Formula").toText(), "s1 !+ s2");
    EXPECT_NEAR(field("Sheet", 4, "L1").toDouble(), 50.41, 0.01); // recalculated
    ASSERT_EQ(script_->prompts().size(), 2u);
    EXPECT_EQ(script_->prompts()[0], kMsgFormulaQuestion);
}

struct Refusal {
    const char* name;
    QString text;
    QString message;
};

TEST_F(CopyPaste, RefusedTextWritesNothing) {
    file_->addSheet("Sheet", 1, 14, {flat(40), flat(50)});
    WorksheetWindow* w = open("Sheet", 1, 1, 14);
    const QString fields = "Code\tDescription\tType\tSummary 1 Type\tSummary 1 Val\tSummary 2 "
                           "Type\tSummary 2 Val\tFormula\t";
    const QString octaves = "31.5\t63\t125\t250\t500\t1000\t2000\t4000\t8000\t16000";
    const QString data = "\r\n1\ta\tSound Level\tdBA\t\tdBL\t\t\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1";
    QString tall = fields + octaves;
    for (int r = 0; r < PasteArray::kMaxRows; ++r)
        tall += data;
    const Refusal cases[] = {
        {"empty clipboard", "", kMsgNoPasteData},
        {"ragged rows", fields + octaves + "\r\n1\ta", kMsgNotRectangular},
        {"header alone", fields + octaves, kMsgWrongFormat},
        {"no band at 30 Hz", fields + "30\t63\t125\t250\t500\t1000\t2000\t4000\t8000\t16000" + data,
         kMsgWrongFormat},
        {"octaves off their centres",
         fields + "40\t80\t160\t315\t630\t1250\t2500\t5000\t10000\t20000" + data, kMsgWrongFormat},
        {"nineteen cells", fields + octaves + "\tx" + data + "\tx", kMsgWrongFormat},
        {"too many rows", tall, "Paste data has more than 10000 rows"},
        {"too large a number",
         fields + octaves +
             "\r\n1\ta\tSound Level\tdBA\t\tdBL\t\t\t1e999\t1\t1\t1\t1\t1\t1\t1\t1\t1",
         "Paste data row 1, band 1: the number is too large"},
        {"a type the field refuses",
         fields + octaves + "\r\n1\ta\t\tdBA\t\tdBL\t\t\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1", ""},
    };
    const Rows before = rows("Sheet");
    for (const Refusal& c : cases) {
        for (const char* item : {"mnuEditPaste", "mnuEditPasteInsert"}) {
            if (c.text.isEmpty())
                platform::clearClipboard();
            else
                platform::setClipboard(c.text);
            script_->answerMsgBox(platform::vbOK);
            const size_t seen = script_->prompts().size();
            moveTo(w, 1);
            choose(item);
            ASSERT_EQ(script_->prompts().size(), seen + 1) << c.name << " " << item;
            if (!c.message.isEmpty()) {
                EXPECT_EQ(script_->prompts().back(), c.message) << c.name << " " << item;
            }
            EXPECT_EQ(rows("Sheet"), before) << c.name << " " << item;
            EXPECT_EQ(cursor(w), 1);
        }
    }
}

} // namespace
} // namespace editing_test
