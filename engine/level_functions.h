#pragma once
// Bodies of the functions that work on levels and truth values.
#include "engine/bands.h"

#include <string>

std::string fnLog(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                  int firstBand);
std::string fnLoge(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                   int firstBand);
std::string fnAwt(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                  int firstBand);
std::string fnCwt(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                  int firstBand);
std::string fnLogsum(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                     int firstBand);
std::string fnLogav(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                    int firstBand);
std::string fnIf(const ArgMatrix& args, int argCount, BandArray& result, int bandCount,
                 int firstBand);
