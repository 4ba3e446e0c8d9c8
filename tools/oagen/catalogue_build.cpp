#include "tools/oagen/catalogue_build.h"

#include "tools/oagen/constructions.h"

#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

namespace oagen {

namespace {

// One line per column count, 2..35 columns: number=runs/pattern, the
// pattern as s^k factors joined by '.'.
const char* const kListing[] = {
    "1=4/2^2 2=6/2.3 3=8/2.4 4=10/2.5 5=12/2.6 6=9/3^2 7=12/3.4 8=15/3.5 9=18/3.6 10=16/4^2 11=20/4.5 12=24/4.6 "
    "13=25/5^2 14=30/5.6 15=36/6^2",
    "16=4/2^3 17=8/2^3 18=12/2^2.3 19=8/2^2.4 20=16/2^2.4 21=20/2^2.5 22=12/2^2.6 23=24/2^2.6 24=18/2.3^2 25=24/2.3.4 "
    "26=30/2.3.5 27=36/2.3.6 28=16/2.4^2 29=32/2.4^2 30=24/2.4.6 31=36/2.6^2 32=9/3^3 33=27/3^3 34=36/3^2.4 "
    "35=18/3^2.6 36=36/3.6^2 37=16/4^3 38=25/5^3 39=36/6^3",
    "40=8/2^4 41=12/2^3.3 42=8/2^3.4 43=20/2^3.5 44=24/2^3.6 45=36/2^2.3^2 46=24/2^2.3.4 47=36/2^2.3.6 48=16/2^2.4^2 "
    "49=24/2^2.4.6 50=36/2^2.6^2 51=18/2.3^3 52=36/2.3^2.6 53=36/2.3.6^2 54=16/2.4^3 55=36/2.6^3 56=9/3^4 57=36/3^3.4 "
    "58=18/3^3.6 59=36/3^2.6^2 60=36/3.6^3 61=16/4^4 62=25/5^4",
    "63=32/2^5 64=12/2^4.3 65=8/2^4.4 66=20/2^4.5 67=24/2^4.6 68=36/2^3.3^2 69=24/2^3.3.4 70=36/2^3.3.6 71=16/2^3.4^2 "
    "72=24/2^3.4.6 73=36/2^3.6^2 74=36/2^2.3^3 75=36/2^2.3^2.6 76=36/2^2.3.6^2 77=16/2^2.4^3 78=36/2^2.6^3 79=18/2.3^4 "
    "80=36/2.3^3.6 81=36/2.3^2.6^2 82=36/2.3.6^3 83=16/2.4^4 84=18/3^5 85=36/3^4.4 86=18/3^4.6 87=36/3^3.6^2 "
    "88=36/3^2.6^3 89=16/4^5 90=25/5^5",
    "91=8/2^6 92=24/2^5.3 93=16/2^5.4 94=20/2^5.5 95=24/2^5.6 96=36/2^4.3^2 97=24/2^4.3.4 98=36/2^4.3.6 99=16/2^4.4^2 "
    "100=24/2^4.4.6 101=36/2^4.6^2 102=36/2^3.3^3 103=36/2^3.3^2.6 104=36/2^3.3.6^2 105=16/2^3.4^3 106=36/2^3.6^3 "
    "107=36/2^2.3^4 108=36/2^2.3^3.6 109=16/2^2.4^4 110=18/2.3^5 111=36/2.3^4.6 112=36/2.3^3.6^2 113=32/2.4^5 "
    "114=18/3^6 115=36/3^5.4 116=18/3^5.6 117=36/3^4.6^2 118=36/3^3.6^3 119=32/4^6 120=25/5^6",
    "121=8/2^7 122=24/2^6.3 123=16/2^6.4 124=20/2^6.5 125=24/2^6.6 126=36/2^5.3^2 127=24/2^5.3.4 128=36/2^5.3.6 "
    "129=16/2^5.4^2 130=24/2^5.4.6 131=36/2^5.6^2 132=36/2^4.3^3 133=36/2^4.3^2.6 134=36/2^4.3.6^2 135=16/2^4.4^3 "
    "136=36/2^4.6^3 137=36/2^3.3^4 138=16/2^3.4^4 139=36/2^2.3^5 140=36/2^2.3^4.6 141=32/2^2.4^5 142=18/2.3^6 "
    "143=36/2.3^5.6 144=36/2.3^4.6^2 145=32/2.4^6 146=18/3^7 147=36/3^6.4 148=18/3^6.6 149=36/3^5.6^2 150=36/3^4.6^3 "
    "151=32/4^7",
    "152=12/2^8 153=24/2^7.3 154=16/2^7.4 155=20/2^7.5 156=24/2^7.6 157=36/2^6.3^2 158=24/2^6.3.4 159=36/2^6.3.6 "
    "160=16/2^6.4^2 161=24/2^6.4.6 162=36/2^6.6^2 163=36/2^5.3^3 164=36/2^5.3^2.6 165=36/2^5.3.6^2 166=16/2^5.4^3 "
    "167=36/2^5.6^3 168=32/2^4.4^4 169=36/2^3.3^5 170=32/2^3.4^5 171=36/2^2.3^6 172=36/2^2.3^5.6 173=32/2^2.4^6 "
    "174=18/2.3^7 175=36/2.3^6.6 176=36/2.3^5.6^2 177=32/2.4^7 178=27/3^8 179=36/3^7.4 180=36/3^7.6 181=36/3^6.6^2 "
    "182=36/3^5.6^3 183=32/4^8",
    "184=12/2^9 185=24/2^8.3 186=16/2^8.4 187=20/2^8.5 188=24/2^8.6 189=36/2^7.3^2 190=24/2^7.3.4 191=36/2^7.3.6 "
    "192=16/2^7.4^2 193=24/2^7.4.6 194=36/2^7.6^2 195=36/2^6.3^3 196=36/2^6.3^2.6 197=36/2^6.3.6^2 198=16/2^6.4^3 "
    "199=36/2^6.6^3 200=32/2^5.4^4 201=32/2^4.4^5 202=36/2^3.3^6 203=32/2^3.4^6 204=36/2^2.3^7 205=36/2^2.3^6.6 "
    "206=32/2^2.4^7 207=36/2.3^8 208=36/2.3^7.6 209=36/2.3^6.6^2 210=32/2.4^8 211=27/3^9 212=36/3^8.4 213=36/3^8.6 "
    "214=36/3^7.6^2 215=36/3^6.6^3 216=32/4^9",
    "217=12/2^10 218=24/2^9.3 219=16/2^9.4 220=24/2^9.6 221=36/2^8.3^2 222=24/2^8.3.4 223=36/2^8.3.6 224=16/2^8.4^2 "
    "225=24/2^8.4.6 226=36/2^8.6^2 227=36/2^7.3^3 228=36/2^7.3^2.6 229=36/2^7.3.6^2 230=32/2^7.4^3 231=36/2^7.6^3 "
    "232=32/2^6.4^4 233=32/2^5.4^5 234=32/2^4.4^6 235=36/2^3.3^7 236=32/2^3.4^7 237=36/2^2.3^8 238=36/2^2.3^7.6 "
    "239=36/2.3^9 240=36/2.3^8.6 241=36/2.3^7.6^2 242=32/2.4^9 243=27/3^10 244=36/3^9.4 245=36/3^9.6 246=36/3^8.6^2 "
    "247=36/3^7.6^3",
    "248=12/2^11 249=24/2^10.3 250=16/2^10.4 251=24/2^10.6 252=36/2^9.3^2 253=24/2^9.3.4 254=36/2^9.3.6 255=16/2^9.4^2 "
    "256=24/2^9.4.6 257=36/2^9.6^2 258=36/2^8.3^3 259=36/2^8.3^2.6 260=36/2^8.3.6^2 261=32/2^8.4^3 262=36/2^8.6^3 "
    "263=32/2^7.4^4 264=32/2^6.4^5 265=32/2^5.4^6 266=32/2^4.4^7 267=36/2.3^10 268=27/3^11 269=36/3^10.4 270=36/3^10.6",
    "271=16/2^12 272=24/2^11.3 273=16/2^11.4 274=24/2^11.6 275=24/2^10.3.4 276=32/2^10.4^2 277=24/2^10.4.6 "
    "278=32/2^9.4^3 279=32/2^8.4^4 280=32/2^7.4^5 281=32/2^6.4^6 282=32/2^5.4^7 283=36/2.3^11 284=27/3^12 "
    "285=36/3^11.4 286=36/3^11.6",
    "287=16/2^13 288=24/2^12.3 289=16/2^12.4 290=24/2^12.6 291=24/2^11.3.4 292=32/2^11.4^2 293=24/2^11.4.6 "
    "294=32/2^10.4^3 295=32/2^9.4^4 296=32/2^8.4^5 297=32/2^7.4^6 298=32/2^6.4^7 299=36/2.3^12 300=27/3^13 "
    "301=36/3^12.4 302=36/3^12.6",
    "303=16/2^14 304=32/2^13.4 305=32/2^12.4^2 306=32/2^11.4^3 307=32/2^10.4^4 308=32/2^9.4^5 309=32/2^8.4^6 "
    "310=32/2^7.4^7",
    "311=16/2^15 312=32/2^14.4 313=32/2^13.4^2 314=32/2^12.4^3 315=32/2^11.4^4 316=32/2^10.4^5 317=32/2^9.4^6 "
    "318=32/2^8.4^7",
    "319=20/2^16 320=32/2^15.4 321=32/2^14.4^2 322=32/2^13.4^3 323=32/2^12.4^4 324=32/2^11.4^5 325=32/2^10.4^6 "
    "326=32/2^9.4^7",
    "327=20/2^17 328=32/2^16.4 329=32/2^15.4^2 330=32/2^14.4^3 331=32/2^13.4^4 332=32/2^12.4^5 333=32/2^11.4^6 "
    "334=32/2^10.4^7",
    "335=20/2^18 336=32/2^17.4 337=32/2^16.4^2 338=32/2^15.4^3 339=32/2^14.4^4 340=32/2^13.4^5 341=32/2^12.4^6",
    "342=20/2^19 343=32/2^18.4 344=32/2^17.4^2 345=32/2^16.4^3 346=32/2^15.4^4 347=32/2^14.4^5 348=32/2^13.4^6",
    "349=24/2^20 350=32/2^19.4 351=32/2^18.4^2 352=32/2^17.4^3 353=32/2^16.4^4 354=32/2^15.4^5",
    "355=24/2^21 356=32/2^20.4 357=32/2^19.4^2 358=32/2^18.4^3 359=32/2^17.4^4 360=32/2^16.4^5",
    "361=24/2^22 362=32/2^21.4 363=32/2^20.4^2 364=32/2^19.4^3 365=32/2^18.4^4",
    "366=24/2^23 367=32/2^22.4 368=32/2^21.4^2 369=32/2^20.4^3 370=32/2^19.4^4",
    "371=28/2^24 372=32/2^23.4 373=32/2^22.4^2 374=32/2^21.4^3",
    "375=28/2^25 376=32/2^24.4 377=32/2^23.4^2 378=32/2^22.4^3",
    "379=28/2^26 380=32/2^25.4 381=32/2^24.4^2",
    "382=28/2^27 383=32/2^26.4 384=32/2^25.4^2",
    "385=32/2^28",
    "386=32/2^29",
    "387=32/2^30",
    "388=32/2^31",
    "389=36/2^32",
    "390=36/2^33",
    "391=36/2^34",
    "392=36/2^35",
};

struct TableIdRule {
    int tableId;
    const char* numbers;  // single numbers and ranges a-b
};

// Entries outside every rule carry 3969.
const TableIdRule kTableIds[] = {
    {3966, "1-15 17-18 20-21 23-27 29 33-34 45 63"},
    {3967, "19 22 28 30-32 35-44 46-47 51-53 57 69 74"},
    {3968, "48-50 54-55 58-62 64-68 70 72 75-77 79-82 84-85"},
    {3991, "16 121 248 311 342 366 382 388 392"},  // 2-level arrays with one column fewer than runs
    {3994, "56 89 120"},
};
constexpr int kDefaultTableId = 3969;

// Entries whose cells are fixed run by run, levels 1..s.
const std::map<int, std::vector<std::string>> kFixedCells = {
    {1, {"11", "12", "21", "22"}},
    {16, {"111", "122", "212", "221"}},
    {40, {"2112", "2211", "2221", "1222", "2122", "1212", "1121", "1111"}},
    {56, {"1111", "1222", "1333", "2123", "2231", "2312", "3132", "3213", "3321"}},
    {152,
     {"21211122", "22121112", "12212111", "21221211", "22122121", "22212212", "12221221", "11222122", "11122212",
      "21112221", "12111222", "11111111"}},
};

bool listedIn(const char* numbers, int number) {
    std::istringstream in(numbers);
    std::string token;
    while (in >> token) {
        const std::size_t dash = token.find('-');
        const int first = std::stoi(token.substr(0, dash));
        const int last = dash == std::string::npos ? first : std::stoi(token.substr(dash + 1));
        if (number >= first && number <= last) return true;
    }
    return false;
}

int tableIdOf(int number) {
    for (const TableIdRule& rule : kTableIds)
        if (listedIn(rule.numbers, number)) return rule.tableId;
    return kDefaultTableId;
}

// "2^3.4" -> three 2-level columns and one 4-level column.
std::array<int, 6> parsePattern(const std::string& pattern) {
    std::array<int, 6> counts{};
    std::istringstream in(pattern);
    std::string factor;
    while (std::getline(in, factor, '.')) {
        const std::size_t caret = factor.find('^');
        const int levels = std::stoi(factor.substr(0, caret));
        const int times = caret == std::string::npos ? 1 : std::stoi(factor.substr(caret + 1));
        counts.at(static_cast<std::size_t>(levels - 2)) += times;
    }
    return counts;
}

// Every parent tried for a run count, in order; the first that yields the
// pattern wins. Run counts that are products of the levels use the full
// factorial instead.
std::vector<Array> parentsFor(int runs) {
    switch (runs) {
    case 8: return {binaryLinear(3, 0), binaryLinear(3, 1)};
    case 9: return {raoHamming(3, 2)};
    case 12: return {paleyTypeOne(11), signedWords12(), differenceScheme12()};
    case 16:
        return {binaryLinear(4, 0), binaryLinear(4, 1), binaryLinear(4, 2),
                binaryLinear(4, 3), binaryLinear(4, 4), binaryLinear(4, 5)};
    case 18: return {differenceScheme18(), expanded18()};
    case 20: return {paleyTypeOne(19), signedWords20()};
    case 24: return {paleyTypeOne(23), signedWords24()};
    case 25: return {raoHamming(5, 2)};
    case 27: return {raoHamming(3, 3)};
    case 28: return {paleyTypeOne(27)};
    case 32: {
        std::vector<Array> parents;
        for (int k = 0; k <= 9; ++k) parents.push_back(binaryLinear(5, k));
        return parents;
    }
    case 36:
        return {paleyTypeTwo(),     expanded36Binary(), expanded36Mixed(),  differenceScheme36(),
                sixLevelTriple28(), sixLevelTriple37(), sixLevelTriple1x1()};
    default: return {};
    }
}

std::vector<int> levelsAscending(const std::array<int, 6>& counts) {
    std::vector<int> levels;
    for (std::size_t i = 0; i < counts.size(); ++i)
        levels.insert(levels.end(), static_cast<std::size_t>(counts[i]), static_cast<int>(i) + 2);
    return levels;
}

using ParentCache = std::map<int, std::vector<Array>>;

Array arrayFor(int number, int runs, const std::array<int, 6>& counts, ParentCache& parents) {
    const std::vector<int> levels = levelsAscending(counts);
    const auto fixed = kFixedCells.find(number);
    if (fixed != kFixedCells.end()) return fromDigitRows(fixed->second, levels, 1);
    long long product = 1;  // 2^35 for the widest entries
    for (int s : levels) product *= s;
    if (product == runs) return fullFactorial(levels);
    std::vector<int> wanted(8, 0);
    for (std::size_t i = 0; i < counts.size(); ++i) wanted[i + 2] = counts[i];
    auto cached = parents.find(runs);
    if (cached == parents.end()) cached = parents.emplace(runs, parentsFor(runs)).first;
    Array derived;
    for (const Array& parent : cached->second)
        if (deriveByPattern(parent, wanted, derived)) return derived;
    throw std::logic_error("no construction yields entry " + std::to_string(number));
}

std::vector<int> cellsRowByRow(const Array& a) {
    std::vector<int> cells;
    for (int r = 0; r < a.runs; ++r)
        for (const Column& c : a.columns) cells.push_back(c.values[static_cast<std::size_t>(r)] + 1);
    return cells;
}

}  // namespace

std::vector<BuiltEntry> buildCatalogue() {
    std::vector<BuiltEntry> entries;
    ParentCache parents;
    for (const char* line : kListing) {
        std::istringstream in(line);
        std::string item;
        while (in >> item) {  // number=runs/pattern
            BuiltEntry e;
            const std::size_t eq = item.find('='), slash = item.find('/');
            e.number = std::stoi(item.substr(0, eq));
            e.runs = std::stoi(item.substr(eq + 1, slash - eq - 1));
            e.levelCounts = parsePattern(item.substr(slash + 1));
            for (int n : e.levelCounts) e.columns += n;
            if (e.number != static_cast<int>(entries.size()) + 1)
                throw std::logic_error("listing out of order at " + item);
            const bool twin =
                !entries.empty() && entries.back().columns == e.columns && entries.back().levelCounts == e.levelCounts;
            e.variant = twin ? entries.back().variant + 1 : 1;
            e.tableId = tableIdOf(e.number);
            e.cells = cellsRowByRow(arrayFor(e.number, e.runs, e.levelCounts, parents));
            entries.push_back(e);
        }
    }
    return entries;
}

std::vector<int> buildGroupIndex(const std::vector<BuiltEntry>& entries) {
    std::vector<int> index;
    std::size_t next = 0;
    for (int columns = 1; columns <= kMaxColumns; ++columns) {
        while (next < entries.size() && entries[next].columns < columns) ++next;
        index.push_back(static_cast<int>(next) + 1);
    }
    index.push_back(static_cast<int>(entries.size()) + 1);
    return index;
}

}  // namespace oagen
