// Edit > Paste From through real worksheet windows, the real clipboard and
// the real column picker: a sound level meter's export and an insulation
// prediction's table land in the current spectrum, converted to the sheet's
// bands; malformed text is refused with a message and writes nothing; Undo
// brings the spectrum back.
#include "editing/imports.h"
#include "editing/paste_data.h"
#include "tests/editing/edit_fixture.h"
#include "workspace/frm_sel_worksheet.h"

#include <QListWidget>
#include <QPushButton>

#include <cmath>

namespace editing_test {
namespace {

const QStringList kOctaveLabels = {"31.5", "63", "125", "250", "500",
                                   "1k",   "2k", "4k",  "8k",  "16k"};
const QStringList kThirdLabels = {"20",  "25",  "31.5", "40",  "50",   "63",  "80",   "100",
                                  "125", "160", "200",  "250", "315",  "400", "500",  "630",
                                  "800", "1k",  "1k25", "1k6", "2k",   "2k5", "3k15", "4k",
                                  "5k",  "6k3", "8k",   "10k", "12k5", "16k", "20k"};

QString joined(const QStringList& lines, const QString& eol) {
    return lines.join(eol) + eol;
}

// A meter's octave export: two columns named Leq (the second with dashes
// where the meter had no value), a summary row after the bands.
QStringList octaveExport() {
    QStringList lines = {
        "C:\\Survey\\Plant room 3.txt", "Logged\t12/03/2019 10:15",      "Duration\t00:05:00",
        "Band\tCentre\tLeq\tLmax\tLeq", "Broadband\t\t78.2\t85.0\t77.9", "Hz\t\tdB\tdB\tdB"};
    for (int j = 1; j <= 10; ++j) {
        const QString second = j == 9 ? "---.-" : j == 10 ? "--.--" : QString::number(40 + j);
        lines << kOctaveLabels[j - 1] + "\t\t" + QString::number(50 + j) + "\t" +
                     QString::number(70 + j) + "\t" + second;
    }
    lines << "Total\t\t80.1\t88\t79.5"
          << "Calibrated at 94 dB";
    return lines;
}

// A third-octave export from 25 Hz of two reverberation times and a level;
// T30 of the band at table index i is i / 10, Leq is 18 + i.
QStringList thirdOctaveExport() {
    QStringList lines = {"Hall B", "Band\tT20\tT30\tLeq", "Hz\ts\ts\tdB"};
    for (int i = 13; i < 12 + kThirdLabels.size(); ++i)
        lines << kThirdLabels[i - 12] + "\t9.9\t" + QString::number(i / 10.0) + "\t" +
                     QString::number(18 + i);
    return lines;
}

// An insulation prediction's table: the thirds 50 Hz to 5000 Hz, frequency
// and loss; `losses` gives the 21 values.
QStringList insulExport(const std::vector<double>& losses) {
    QStringList lines;
    for (size_t i = 0; i < losses.size(); ++i)
        lines << kThirdLabels[static_cast<int>(i) + 4] + "\t" + QString::number(losses[i]);
    lines << "Rw 45\t(-1;-5)";
    return lines;
}

double band(const Rows& rows, int code, int j) {
    return rows[static_cast<size_t>(code - 1)][static_cast<size_t>(7 + j)].toDouble();
}

class Imports : public EditFixture {
protected:
    // The picker's next showing: checks its caption and entries, then
    // chooses entry `row` (-1: Cancel).
    void pick(const QStringList& entries, int row) {
        script_->onModal([entries, row](QObject& form) {
            auto* d = qobject_cast<frmSelWorksheet*>(&form);
            EXPECT_TRUE(d) << form.objectName().toStdString();
            if (!d) return 0;
            EXPECT_EQ(d->windowTitle(), kCaptionPickColumn);
            QStringList shown;
            for (int i = 0; i < d->lstSheets->count(); ++i)
                shown << d->lstSheets->item(i)->text();
            EXPECT_EQ(shown, entries);
            if (row < 0) {
                d->cmdCancel->click();
            } else {
                d->lstSheets->setCurrentRow(row);
                d->cmdOK->click();
            }
            return 0;
        });
    }
    // Every spectrum but one unchanged in description and bands.
    void expectOthersKept(const Rows& before, const Rows& after, int changed) {
        ASSERT_EQ(before.size(), after.size());
        for (size_t r = 0; r < before.size(); ++r) {
            if (static_cast<int>(r) + 1 == changed) continue;
            for (size_t f = 8; f < before[r].size(); ++f)
                EXPECT_EQ(after[r][f], before[r][f]) << "spectrum " << r + 1 << " field " << f;
            EXPECT_EQ(after[r][1], before[r][1]);
        }
    }
};

TEST_F(Imports, MeterColumnChosenLandsInTheCurrentSpectrum) {
    file_->addSheet("Oct", 1, 14,
                    {flat(40), flat(50), flat(60), flat(0, 10, "s1 !+ s2"), flat(30)});
    file_->addSheet("Third", 2, 13, std::vector<SpectrumRow>(2, flat(20, 30)));
    WorksheetWindow* w = open("Oct", 1, 1, 14);
    const Rows before = rows("Oct");
    for (const QString& eol : {QString("\r\n"), QString("\n")}) {
        platform::setClipboard(joined(octaveExport(), eol));
        moveTo(w, 4);
        pick({"Leq", "Lmax", "Leq"}, 2); // the second of two columns named Leq
        choose("mnuEditPasteFromCEL");
        EXPECT_TRUE(script_->prompts().empty());
        EXPECT_EQ(cursor(w), 4);
        const Rows after = rows("Oct");
        const auto& got = after[3];
        EXPECT_EQ(got[0].toLong(), 4);
        EXPECT_EQ(got[1].toText(), "Plant room 3.txt: Leq");
        EXPECT_EQ(got[2].toText(), "Sound Level");
        EXPECT_EQ(got[3].toText(), "dBA");
        EXPECT_EQ(got[5].toText(), "dBL");
        EXPECT_EQ(got[7].toText(), ""); // its formula is gone
        for (int j = 1; j <= 8; ++j)
            EXPECT_EQ(band(after, 4, j), 40 + j) << j;
        EXPECT_EQ(band(after, 4, 9), -999);     // "---.-"
        EXPECT_EQ(band(after, 4, 10), -999);    // "--.--"; the Total row is no band
        EXPECT_EQ(got[4].toText(), "53.1 dBA"); // recalculated
        expectOthersKept(before, after, 4);

        choose("mnuEditUndo");
        EXPECT_EQ(rows("Oct"), before);
    }

    // The same octaves into thirds: each third of a level octave takes a third
    // of its energy.
    platform::setClipboard(joined(octaveExport(), "\r\n"));
    WorksheetWindow* thirds = open("Third", 2, 2, 13);
    moveTo(thirds, 2);
    pick({"Leq", "Lmax", "Leq"}, 0);
    choose("mnuEditPasteFromCEL");
    const Rows t = rows("Third");
    EXPECT_NEAR(band(t, 2, 1), 51 - 10 * std::log10(3.0), 1e-9);  // 25 Hz, in the 31.5 Hz octave
    EXPECT_NEAR(band(t, 2, 4), 52 - 10 * std::log10(3.0), 1e-9);  // 40 Hz
    EXPECT_NEAR(band(t, 2, 30), 60 - 10 * std::log10(3.0), 1e-9); // 20 kHz
    EXPECT_EQ(band(t, 1, 1), 20);
}

TEST_F(Imports, ThirdOctaveExportWithKilohertzLabels) {
    file_->addSheet("Oct", 1, 14, std::vector<SpectrumRow>(2, flat(40)));
    file_->addSheet("Third", 2, 13, std::vector<SpectrumRow>(2, flat(40, 30)));
    platform::setClipboard(joined(thirdOctaveExport(), "\r\n"));

    // Reverberation times into octaves: the octave takes its centre third;
    // T30's header starts the list at column 2.
    WorksheetWindow* oct = open("Oct", 1, 1, 14);
    moveTo(oct, 1);
    pick({"T20", "T30", "Leq"}, 1);
    choose("mnuEditPasteFromCEL");
    Rows got = rows("Oct");
    EXPECT_EQ(got[0][1].toText(), "Hall B: T30");
    EXPECT_EQ(got[0][2].toText(), "Reverberation Time");
    EXPECT_EQ(got[0][3].toText(), "");
    EXPECT_EQ(got[0][5].toText(), "");
    for (int j = 1; j <= 10; ++j)
        EXPECT_NEAR(band(got, 1, j), (14 + 3 * (j - 1)) / 10.0, 1e-9) << j;

    // Levels into thirds from 25 Hz, up to 20 kHz ("12k5", "1k25" read as
    // 12500 and 1250 Hz).
    WorksheetWindow* thirds = open("Third", 2, 1, 13);
    moveTo(thirds, 2);
    pick({"T20", "T30", "Leq"}, 2);
    choose("mnuEditPasteFromCEL");
    got = rows("Third");
    EXPECT_EQ(got[1][2].toText(), "Sound Level");
    for (int j = 1; j <= 30; ++j)
        EXPECT_EQ(band(got, 2, j), 30 + j) << j;
    EXPECT_EQ(band(got, 1, 1), 40);
    EXPECT_TRUE(script_->prompts().empty());

    QString label = "12k5";
    EXPECT_EQ(CELDecode(label), 12500);
    EXPECT_EQ(label, "12500");
    label = "1K25"; // no upper-case K
    EXPECT_EQ(CELDecode(label), 1);
    label = "31,5"; // a decimal comma
    EXPECT_EQ(CELDecode(label), 31.5);
}

TEST_F(Imports, InsulationTableBecomesATransmissionLossSpectrum) {
    std::vector<double> losses;
    for (int i = 0; i < 21; ++i)
        losses.push_back(20 + i);
    losses[0] = losses[1] = losses[2] = 30;         // the 63 Hz octave's thirds
    losses[3] = 20, losses[4] = 30, losses[5] = 40; // the 125 Hz octave's
    file_->addSheet("Oct", 1, 14, std::vector<SpectrumRow>(3, flat(40)));
    file_->addSheet("Third", 2, 13, std::vector<SpectrumRow>(2, flat(40, 30)));

    for (const QString& eol : {QString("\r\n"), QString("\n")}) {
        platform::setClipboard(joined(insulExport(losses), eol));
        WorksheetWindow* oct = open("Oct", 1, 1, 14);
        moveTo(oct, 2);
        choose("mnuEditPasteFromIns");
        const Rows got = rows("Oct");
        EXPECT_EQ(got[1][1].toText(), "Insul TL spectrum");
        EXPECT_EQ(got[1][2].toText(), "Transmission Loss");
        EXPECT_EQ(got[1][3].toText(), "Rw");
        EXPECT_EQ(got[1][5].toText(), "STC");
        EXPECT_FALSE(got[1][4].isNull()); // Rw and STC recalculated
        EXPECT_FALSE(got[1][6].isNull());
        EXPECT_EQ(band(got, 2, 1), -999); // 31.5 Hz
        EXPECT_NEAR(band(got, 2, 2), 30, 1e-9);
        EXPECT_NEAR(band(got, 2, 3), 24.3, 0.05);
        EXPECT_EQ(band(got, 2, 9), -999); // 8 kHz
        EXPECT_EQ(band(got, 2, 10), -999);
        EXPECT_EQ(band(got, 1, 2), 40);
        EXPECT_EQ(band(got, 3, 2), 40);
        choose("mnuEditUndo");
        EXPECT_EQ(rows("Oct")[1][2].toText(), "Sound Level");
        EXPECT_EQ(band(rows("Oct"), 2, 2), 40);
        main_->mdiArea->closeAllSubWindows();
        QApplication::processEvents();
    }

    platform::setClipboard(joined(insulExport(losses), "\r\n"));
    WorksheetWindow* thirds = open("Third", 2, 2, 13);
    moveTo(thirds, 1);
    choose("mnuEditPasteFromIns");
    const Rows got = rows("Third");
    for (int j = 1; j <= 30; ++j) {
        const double want = j >= 4 && j <= 24 ? losses[static_cast<size_t>(j - 4)] : -999;
        EXPECT_EQ(band(got, 1, j), want) << j;
    }

    // Written with decimal commas: "20,5" is 20.5.
    QStringList commas = insulExport(losses);
    for (int i = 0; i < 21; ++i)
        commas[i] += ",5";
    platform::setClipboard(joined(commas, "\r\n"));
    choose("mnuEditPasteFromIns");
    EXPECT_EQ(band(rows("Third"), 1, 4), losses[0] + 0.5);
    EXPECT_EQ(band(rows("Third"), 1, 24), losses[20] + 0.5);
    EXPECT_TRUE(script_->prompts().empty());
}

struct Refusal {
    const char* name;
    const char* item;
    QString text;
    QString message;
};

TEST_F(Imports, MalformedTextIsRefusedAndWritesNothing) {
    file_->addSheet("Oct", 1, 14, {flat(40), flat(50, 10, "s1 + 3")});
    WorksheetWindow* w = open("Oct", 1, 1, 14);
    const char* cel = "mnuEditPasteFromCEL";
    const char* ins = "mnuEditPasteFromIns";
    const auto meter = [](const QStringList& labels) {
        QStringList lines = {"C:\\a.txt", "Band\tCentre\tLeq"};
        for (const QString& l : labels)
            lines << l + "\t\t50";
        return joined(lines, "\r\n");
    };
    QStringList shortTable = insulExport(std::vector<double>(20, 30));
    shortTable.removeLast();
    QStringList wordy = insulExport(std::vector<double>(21, 30));
    wordy[6] = "160\t35 dB";
    const QString spectrumText =
        "Code\tDescription\tType\tSummary 1 Type\tSummary 1 Val\tSummary 2 Type\tSummary 2 "
        "Val\tFormula\t31.5\t63\t125\t250\t500\t1000\t2000\t4000\t8000\t16000\r\n"
        "1\ta\tSound Level\tdBA\t\tdBL\t\t\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1";
    const Refusal cases[] = {
        {"empty clipboard", cel, "", kMsgNoPasteData},
        {"two rows", cel, "C:\\a.txt\r\nBand\tCentre\tLeq", kMsgInvalidFormat},
        {"no Band row", cel, joined({"C:\\a.txt", "Freq\tx\tLeq", "63\t\t50", "125\t\t50"}, "\n"),
         kMsgInvalidFormat},
        {"only summary rows", cel,
         joined({"C:\\a.txt", "Band\tx\tLeq", "Broadband\t\t70", "Hz"}, "\n"), kMsgInvalidFormat},
        {"30 Hz is no band", cel, meter({"30", "63"}), kMsgInvalidFormat},
        // 20 Hz starts neither thirds nor octaves, whatever follows it.
        {"a lone 20 Hz band", cel, meter({"20"}), kMsgInvalidFirstBand},
        {"thirds from 20 Hz", cel, meter({"20", "25", "31.5", "40"}), kMsgInvalidFirstBand},
        {"octaves from 20 Hz", cel, meter({"20", "40", "80"}), kMsgInvalidFirstBand},
        {"empty clipboard", ins, "", kMsgNoPasteData},
        {"twenty rows", ins, joined(shortTable, "\r\n"), kMsgInvalidFormat},
        {"a loss with its unit", ins, joined(wordy, "\r\n"), kMsgInvalidFormat},
        {"the program's own spectrum text", ins, spectrumText, kMsgInvalidFormat},
        {"ragged rows", ins, joined(insulExport(std::vector<double>(21, 30)), "\r\n") + "x\ty\tz",
         kMsgNotRectangular},
    };
    const Rows before = rows("Oct");
    for (const Refusal& c : cases) {
        if (c.text.isEmpty())
            platform::clearClipboard();
        else
            platform::setClipboard(c.text);
        script_->answerMsgBox(platform::vbOK);
        const size_t seen = script_->prompts().size();
        moveTo(w, 2);
        choose(c.item);
        ASSERT_EQ(script_->prompts().size(), seen + 1) << c.name;
        EXPECT_EQ(script_->prompts().back(), c.message) << c.name;
        EXPECT_EQ(rows("Oct"), before) << c.name;
        EXPECT_EQ(cursor(w), 2);
    }

    // Cancelling the picker ends quietly.
    platform::setClipboard(joined(octaveExport(), "\r\n"));
    pick({"Leq", "Lmax", "Leq"}, -1);
    choose(cel);
    EXPECT_EQ(rows("Oct"), before);

    // A write the file refuses leaves the spectrum as it was.
    file_->database()->Execute("CREATE TRIGGER fail BEFORE UPDATE ON \"Oct\" BEGIN SELECT "
                               "RAISE(ABORT, 'forced failure'); END");
    for (const char* item : {cel, ins}) {
        platform::setClipboard(item == cel
                                   ? joined(octaveExport(), "\r\n")
                                   : joined(insulExport(std::vector<double>(21, 30)), "\n"));
        if (item == cel) pick({"Leq", "Lmax", "Leq"}, 0);
        script_->answerMsgBox(platform::vbOK);
        choose(item);
        EXPECT_TRUE(script_->prompts().back().contains("forced failure")) << item;
        EXPECT_EQ(rows("Oct"), before) << item;
    }
}

} // namespace
} // namespace editing_test
