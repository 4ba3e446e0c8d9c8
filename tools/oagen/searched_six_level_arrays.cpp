#include "tools/oagen/searched_six_level_arrays.h"

#include <string>

namespace oagen {

namespace {

struct SearchedArray {
    std::vector<int> levels;
    std::vector<std::string> rows;
};

const std::vector<SearchedArray>& searchedArrays() {
    static const std::vector<SearchedArray> arrays = {
        {{2, 3, 3, 3, 6, 6, 6},
         {"0000032", "0000252", "0001521", "0012120", "0022204", "0022443", "0102300", "0102513", "0110353",
          "0111245", "0121025", "0121112", "0202435", "0210040", "0210411", "0211554", "0220101", "0221334",
          "1001341", "1010505", "1011133", "1012014", "1020315", "1021450", "1100144", "1100424", "1111402",
          "1112231", "1120530", "1122051", "1201003", "1201210", "1202155", "1212322", "1220223", "1222542"}},
        {{2, 2, 2, 2, 3, 6, 6, 6},
         {"00002002", "00002135", "00010510", "00012251", "00100414", "00101222", "00102343", "00111104",
          "00111553", "01000150", "01001011", "01001545", "01011442", "01012334", "01100321", "01110033",
          "01110205", "01112420", "10000403", "10002524", "10010025", "10010352", "10011431", "10100141",
          "10101230", "10111315", "10112040", "11001300", "11002213", "11010244", "11011123", "11100532",
          "11101054", "11102455", "11112112", "11112501"}},
    };
    return arrays;
}

}  // namespace

std::vector<Array> searchedSixLevelArrays36() {
    std::vector<Array> arrays;
    for (const SearchedArray& s : searchedArrays()) arrays.push_back(fromDigitRows(s.rows, s.levels, 0));
    return arrays;
}

}  // namespace oagen
