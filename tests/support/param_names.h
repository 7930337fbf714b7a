#pragma once
// Names of parameterised test cases, made from what each case holds, so that
// a name says what it tests and stays the same from build to build. Names use
// letters, digits and "_" only, as GoogleTest requires.
#include <string>
#include <string_view>

namespace paramname {

// A formula or other text as a name: letters and digits stand, a decimal
// point is "p", blanks go, and every other sign is a word of its own
// ("s1 !+ (2.5)" gives s1_eplus_open_2p5_close). An empty text is "empty".
std::string fromText(std::string_view text);

// A number as a name word: -8 is m8, 0.5 is 0p5, 1e+308 is 1e308, 1e-10 is
// 1em10; the band value markers -999, -998 and -997 are none, marked, error.
std::string fromNumber(double v);

} // namespace paramname
