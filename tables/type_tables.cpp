#include "tables/type_tables.h"

int gSummaryTypeCount = 0;
std::vector<std::string> gSummaryTypes;
int gSpectrumTypeCount = 0;
std::vector<std::array<std::string, 4>> gSpectrumTypes;
int gDataSourceCount = 0;
std::vector<std::string> gDataSources;
int gDescriptorCount = 0;
std::vector<std::string> gDescriptors;

namespace {

// Sets the count, sizes the table to rows 0..count and fills rows 1..count.
template <size_t N>
void fillNames(int& count, std::vector<std::string>& table, const char* const (&names)[N]) {
    count = static_cast<int>(N);
    table.assign(N + 1, std::string());
    for (size_t i = 0; i < N; ++i)
        table[i + 1] = names[i];
}

} // namespace

void fillTypeTables() {
    static const char* const kSummary[] = {"dBL",    "dBA", "dBC",  "NR",  "NC",  "RC", "STC",
                                           "Rw",     "NRC", "Max",  "Min", "Ctr", "C",  "Ctr50-5K",
                                           "C50-5K", "PNC", "Ln,w", "C1",  "IIC"};
    fillNames(gSummaryTypeCount, gSummaryTypes, kSummary);

    static const char* const kSpectrum[][3] = {
        {"Sound Level", "dBA", "dBL"},
        {"Transmission Loss", "Rw", "Ctr"},
        {"Absorption", "NRC", ""},
        {"Reverberation Time", "", ""},
        {"Vibration Acceleration", "", ""},
        {"Vibration Velocity", "", ""},
        {"Impact Sound Level", "IIC", "Ln,w"},
        {"Constant", "Max", "Min"},
    };
    gSpectrumTypeCount = 8;
    gSpectrumTypes.assign(static_cast<size_t>(gSpectrumTypeCount) + 1, {});
    for (int i = 1; i <= gSpectrumTypeCount; ++i)
        for (int c = 1; c <= 3; ++c)
            gSpectrumTypes[i][c] = kSpectrum[i - 1][c - 1];

    static const char* const kSources[] = {"Laboratory Test",
                                           "Manufacturer's Data",
                                           "Textbook Data",
                                           "Company Measurements",
                                           "Other Consultant's Measurements",
                                           "Other - see comments"};
    fillNames(gDataSourceCount, gDataSources, kSources);

    static const char* const kDescriptors[] = {"Leq", "Lmax",  "Lavmax", "L10",
                                               "L90", "Lpeak", "Other"};
    fillNames(gDescriptorCount, gDescriptors, kDescriptors);
}

int summaryTypeNumber(const std::string& name) {
    int number = 0;
    for (int i = 1; i <= gSummaryTypeCount && i < static_cast<int>(gSummaryTypes.size()); ++i)
        if (gSummaryTypes[i] == name) number = i;
    return number;
}

int spectrumTypeNumber(const std::string& name) {
    int number = 0;
    for (int i = 1; i <= gSpectrumTypeCount && i < static_cast<int>(gSpectrumTypes.size()); ++i)
        if (gSpectrumTypes[i][1] == name) number = i;
    return number;
}
