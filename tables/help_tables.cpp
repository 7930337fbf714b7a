#include "tables/help_tables.h"

#include "tables/vocabulary.h"

#include <algorithm>

int gHelpTopicCount = 0;
std::vector<std::string> gHelpTopics;
std::vector<std::string> gHelpTexts;

std::vector<std::string> gFuncDesc;
std::vector<int> gFuncArgCount;
std::vector<std::array<std::string, kMaxFuncHelpArgs + 1>> gFuncArgPrompts;
std::vector<int> gFuncHelpOrder;

namespace {

// What follows a fragment of a help text.
enum Joiner { kRunOn, kLineBreak, kBlankLine, kEnd };

struct Fragment {
    int topic;
    const char* text;
    Joiner then;
};

// The fragments of every topic's text in order. Sentences end with two blanks.
constexpr Fragment kFragments[] = {
    // General
    {1,
     "This program opens worksheets for acoustic calculations.  First a worksheet file is created "
     "or opened, and it may hold any number of worksheets.  ",
     kRunOn},
    {1,
     "Worksheets are third-octave or octave, and cover a range of ten octaves which you can "
     "select.  ",
     kBlankLine},
    {1, "A new worksheet is blank, or copied from templates kept in a special file.  ", kRunOn},
    {1,
     "A worksheet holds any number of spectra: Edit-New Spectrum (or Ctrl N) creates a new one.  ",
     kBlankLine},
    {1,
     "Several worksheets can be open at once, and spectra can be copied, cut and pasted within and "
     "between worksheets.  ",
     kRunOn},
    {1,
     "Datasheets are worksheets from another saved file.  You can copy from them, add records and "
     "edit existing ones.  ",
     kBlankLine},
    {1,
     "Spectra have types, for example 'Sound Level' or 'Transmission Loss', which decide among "
     "other things how a third-octave spectrum is copied to an octave spectrum.  ",
     kRunOn},
    {1,
     "Each spectrum has two summary descriptors that you can select, for example 'dBA' or 'STC'.  ",
     kBlankLine},
    {1,
     "A spectrum can be calculated from a formula in terms of other spectra of the worksheet - see "
     "the topic 'Formulas' for more.  ",
     kBlankLine},
    {1,
     "One or several spectra of a worksheet or datasheet can be graphed with various line types.  ",
     kRunOn},
    {1, "Graphs can be copied to the clipboard and pasted as data values or as a picture.  ",
     kRunOn},
    {1,
     "Printing goes through a screen that selects the spectra and data to print, and its formatted "
     "text can be copied to other applications.",
     kEnd},
    // Formulas
    {2,
     "A formula is just text typed into the 'Formula' column in the worksheet.  It is expressed "
     "much as you would in a standard spreadsheet program.  ",
     kRunOn},
    {2, "However, operations are performed on an entire spectrum.  ", kBlankLine},
    {2,
     "Brackets - i.e. '(' and ')' - are used as normal, so that, for example, '(s3 + 4) * s2' "
     "evaluates as you would expect.  Spaces in the formula are ignored, and the expressions are "
     "not case-sensitive, i.e. 'S1' is equivalent to 's1'.  There are also specialised operators "
     "which you can use for acoustic calculations.  ",
     kRunOn},
    {2,
     "For example, 's1 !+ (s2 + 10 * log( 15 ))' gives the logarithmic addition of s1 with s2 "
     "+10log(15).  By the way, 'log' means log to base 10.  ",
     kBlankLine},
    {2,
     "In addition, there are specialist functions such as 'Awt(s1)' which returns s1 after "
     "applying an A weighting.  More functions can be added fairly easily.",
     kEnd},
    // Operators
    {3,
     "Operators are listed in order from highest to lowest priority in executing (if there are no "
     "brackets to set the order):",
     kBlankLine},
    {3, "  ^  : exponentiation", kLineBreak},
    {3, "  /  : division", kLineBreak},
    {3, "  *  : multiplication", kLineBreak},
    {3, "  -  : subtraction", kLineBreak},
    {3, "  +  : addition", kLineBreak},
    {3, "  !+ : logarithmic addition", kLineBreak},
    {3, "  !- : logarithmic subtraction", kLineBreak},
    {3,
     "  =; <; >; <>; <=; >= : these operators result in a value of True (-1) if the expression is "
     "true",
     kLineBreak},
    {3,
     "                        and False (0) otherwise - e.g. 's2 > s3' gives -1 for bands where s2 "
     "> s3",
     kLineBreak},
    {3, "                        and 0 for bands where s2 <= s3", kEnd},
    // Functions
    {4, "Functions implemented so far are:", kBlankLine},
    {4, "  log(); loge()         : base-10 and natural logarithms", kBlankLine},
    {4, "  Awt(); Cwt()         : A- or C-weighting of specified spectrum", kBlankLine},
    {4, "  NR(); NC(); RC()  : gives the criterion curve for the specified value", kBlankLine},
    {4, "  logsum(); logav()  : gives logarithmic sum or average of an unlimited number of spectra",
     kBlankLine},
    {4,
     "  BarCor()               : barrier correction for specified source-receiver distances & "
     "heights",
     kBlankLine},
    {4, "  AirAbs()               : atmospheric absorption for specified distance, temp & humidity",
     kBlankLine},
    {4, "  DistPo(); DistLi()", kLineBreak},
    {4, "      DistPl()             : Distance correction for point, line & plane sources",
     kBlankLine},
    {4, "  If(a, b, c)            :  Gives expression b if expression a is True (non-zero), and",
     kLineBreak},
    {4, "                              expression c otherwise, e.g. 'If( s2>s3, s2!-s3, 0)' gives",
     kLineBreak},
    {4, "                              s2!-s3 when s2>s3 and 0 otherwise", kBlankLine},
    {4, "These are described in more detail in Help - Functions (ctrl-f).", kEnd},
    // Constants
    {5, "Apart from typing any numerical value, you can also use the following named constants:",
     kBlankLine},
    {5, "  pi   : 3.14159", kBlankLine},
    {5, "  c    : 343 (m/sec)", kBlankLine},
    {5, "  True : -1", kBlankLine},
    {5, "  False: 0", kEnd},
    // Datasheets
    {6,
     "Datasheets give access to stored data.  They are all kept in one file, which is opened "
     "automatically, or asked for when it is not found.  ",
     kRunOn},
    {6, "Their main use is to copy standard spectra and paste them into a worksheet.  ",
     kBlankLine},
    {6,
     "New datasheets are made outside this program, in the database application.  The descriptive "
     "data of a datasheet can be edited, and a new record added.  ",
     kRunOn},
    {6, "To edit the spectrum itself, use 'Edit - Spectum Editable'.  ", kEnd},
    // Graphs
    {7,
     "'Output - Graph' from a worksheet or datasheet opens a graph window, where the spectra you "
     "choose from the sheet are plotted on default axes.  ",
     kRunOn},
    {7, "The graph area and the legend can be resized and moved with their handles.  ", kRunOn},
    {7,
     "Line type, point style and the like are changed after choosing the spectrum in the list on "
     "the left, or by clicking it on the graph.  ",
     kBlankLine},
    {7,
     "'Edit - Copy' copies the graph to the clipboard.  A plain paste in a word processor or a "
     "spreadsheet gives the numerical data of each plotted spectrum.  ",
     kRunOn},
    {7, "Pasting there as a picture gives the graph as a picture.  ", kEnd},
    // Printing
    {8,
     "'Output - Print' from a worksheet or datasheet opens a print window, where you choose some "
     "or all spectra and the information to print.  ",
     kRunOn},
    {8,
     "The 'PRINT' button sends the text shown to the printer, and 'Edit - Copy' puts the text on "
     "the clipboard for other applications.  ",
     kEnd},
    // Templates
    {9, "Templates are standard worksheets that can be loaded when a new worksheet is opened.  ",
     kRunOn},
    {9, "They provide standard calculation routines.  ", kBlankLine},
    {9,
     "Templates live in a special worksheet file, which is chosen the first time the program runs. "
     " ",
     kRunOn},
    {9, "After that first choice the same file is used until it is moved or given another name.  ",
     kEnd},
};

struct FunctionHelpRow {
    const char* desc;
    int argCount;
    int helpOrder;
    std::array<const char*, kMaxFuncHelpArgs> prompts;
};

// By function number: description, entry boxes, help-list position, prompts.
constexpr FunctionHelpRow kFunctionHelp[] = {
    {"Base 10 logarithm", 1, 1, {"Enter the function argument:"}}, // 1 log
    {"Base e logarithm", 1, 2, {"Enter the function argument:"}},  // 2 loge
    {"A-weighted spectrum of another spectum or constant",
     1,
     3,
     {"Enter the spectrum name (S?) or constant:"}}, // 3 Awt
    {"C-weighted spectrum of another spectum or constant",
     1,
     4,
     {"Enter the spectrum name (S?) or constant:"}},                             // 4 Cwt
    {"NR criterion curve for a specified level", 1, 5, {"Enter the NR level:"}}, // 5 NR
    {"NC criterion curve for a specified level", 1, 6, {"Enter the NC level:"}}, // 6 NC
    {"RC criterion curve for a specified level", 1, 8, {"Enter the RC level:"}}, // 7 RC
    {"STC curve for a specified level", 1, 9, {"Enter the STC curve value:"}},   // 8 STC
    {"Log addition of any number of spectra",
     5,
     11,
     {"First spectrum (S?):", "Second spectrum (S?) or blank:", "Third spectrum (S?) or blank:",
      "Fourth spectrum (S?) or blank:", "Fifth spectrum (S?) or blank:"}}, // 9 logsum
    {"Log average of any number of spectra",
     5,
     12,
     {"First spectrum (S?):", "Second spectrum (S?) or blank:", "Third spectrum (S?) or blank:",
      "Fourth spectrum (S?) or blank:", "Fifth spectrum (S?) or blank:"}}, // 10 logav
    {"Barrier correction based on ISO 9613-2 formula",
     6,
     13,
     {"Source-barrier distance, m:", "Receiver-barrier distance, m:", "Source height, m:",
      "Barrier height, m:", "Receiver height, m:", "Barrier width, m (default = 0):"}}, // 11 BarCor
    {"Standard air absorption correction",
     3,
     14,
     {"Distance, m:", "Temperature, deg C (default = 20):",
      "Rel Humidity, % (default = 50):"}}, // 12 AirAbs
    {"Distance correction from SWL to SPL, point source on HARD GROUND",
     1,
     15,
     {"Distance, m:"}}, // 13 DistPo
    {"Distance correction, from SWL PER METRE to SPL, line source on HARD GROUND.",
     4,
     16,
     {"Distance, m:", "Length of source, m (default = infinite):",
      "Angle to line of the source, degrees (default = 90):",
      "Coherent source, enter True; Incoherent, enter False (default = False):"}}, // 14 DistLi
    {"Distance correction, from TOTAL SWL to SPL, plane source on HARD GROUND.",
     2,
     17,
     {"Distance, m:", "Area of source, square m:"}}, // 15 DistPl
    {"Gives one of two values, depending on whether a third value is True (<>0) or False (0)",
     3,
     18,
     {"Expression which may be True or False:", "Value if first expression is True:",
      "Value if first expression is False:"}},                                // 16 if
    {"Rw curve for a specified level", 1, 10, {"Enter the Rw curve value:"}}, // 17 Rw
    {"Composite TL of a panel with several parts",
     6,
     19,
     {"Area or proportion of 1st section:", "First TL spectrum (S?):",
      "Area or proportion of 2nd section, or blank:", "Second TL spectrum (S?) or blank:",
      "Area or proportion of 3rd section, or blank:",
      "Third TL spectrum (S?) or blank:"}}, // 18 CompTL
    {"Standardised level difference between rooms",
     3,
     20,
     {"Spectrum containing SPL in source room (S?):",
      "Spectrum containing SPL in receiving room (S?):",
      "Spectrum containing RT in receiving room (S?):"}},                             // 19 DnT
    {"PNC criterion curve for a specified level", 1, 7, {"Enter the NC level:"}},     // 20 PNC
    {"Ln,w reference curve for a specified level", 1, 23, {"Enter the Ln,w level:"}}, // 21 Ln,w
    {"IIC reference curve for a specified level", 1, 24, {"Enter the IIC level:"}},   // 22 IIC
    {"Plenum insertion loss",
     5,
     21,
     {"Area of plenum outlet, m2:", "Plenum internal surface area, m2:",
      "Mean plenum absorption co-efficient (enter S? or a constant):",
      "Distance to outlet, m (if blank, direct field ignored):",
      "Angle from inlet to outlet, degrees (blank = 0):"}}, // 23 Plen
    {"Schultz room correction:  SPL = SWL + RmC( )",
     4,
     22,
     {"Room volume, m3:", "Shortest distance to source, m:",
      "First dimension of rectangular source, m (if blank, assume point source):",
      "Second dimension of rectangular source, m:"}}, // 24 RmC
};

} // namespace

void fillHelpTopics() {
    gHelpTopicCount = 9;
    gHelpTexts.assign(static_cast<size_t>(gHelpTopicCount) + 1, std::string());
    gHelpTopics.assign(static_cast<size_t>(gHelpTopicCount) + 1, std::string());
    static const char* const kNames[] = {"General",   "Formulas",  "Operators",
                                         "Functions", "Constants", "Datasheets",
                                         "Graphs",    "Printing",  "Templates"};
    for (int k = 1; k <= gHelpTopicCount; ++k)
        gHelpTopics[static_cast<size_t>(k)] = kNames[k - 1];

    for (const Fragment& f : kFragments) {
        std::string& text = gHelpTexts[static_cast<size_t>(f.topic)];
        text += f.text;
        if (f.then == kLineBreak)
            text += "\r\n";
        else if (f.then == kBlankLine)
            text += "\r\n\r\n";
    }
}

void fillFunctionHelp() {
    const size_t rows = static_cast<size_t>(std::max(gFuncCount, 0)) + 1;
    gFuncDesc.assign(rows, std::string());
    gFuncArgCount.assign(rows, 0);
    gFuncHelpOrder.assign(rows, 0);
    gFuncArgPrompts.assign(rows, {});
    const int n = std::min<int>(gFuncCount, static_cast<int>(std::size(kFunctionHelp)));
    for (int i = 1; i <= n; ++i) {
        const FunctionHelpRow& row = kFunctionHelp[i - 1];
        const size_t r = static_cast<size_t>(i);
        gFuncDesc[r] = row.desc;
        gFuncArgCount[r] = row.argCount;
        gFuncHelpOrder[r] = row.helpOrder;
        for (int j = 1; j <= row.argCount; ++j)
            gFuncArgPrompts[r][static_cast<size_t>(j)] = row.prompts[static_cast<size_t>(j - 1)];
    }
}
