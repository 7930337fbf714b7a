#pragma once
// Spectrum types, summary types, information sources and noise descriptors.
// Every table is sized count + 1; row 0 stays empty (the empty text). A row's
// number is the type's number throughout the system, so the order is fixed.
#include <array>
#include <string>
#include <vector>

extern int gSummaryTypeCount; // 19
// Row i: name of summary type i ("dBL" ... "IIC"), the number CalcSummary takes.
extern std::vector<std::string> gSummaryTypes;

extern int gSpectrumTypeCount; // 8
// Row i, columns 1 to 3 (column 0 unused): name, default summary 1 type,
// default summary 2 type; "" where the type has no default.
extern std::vector<std::array<std::string, 4>> gSpectrumTypes;

extern int gDataSourceCount;                  // 6
extern std::vector<std::string> gDataSources; // information sources

extern int gDescriptorCount;                  // 7
extern std::vector<std::string> gDescriptors; // noise descriptors

// Number of a summary type or spectrum type by its name: exact match (case
// and blanks count); 0 when no row matches, the empty text included.
int summaryTypeNumber(const std::string& name);
int spectrumTypeNumber(const std::string& name);

void fillTypeTables();
