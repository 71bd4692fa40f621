// Data files of analyses as a careless export, a broken transfer or a hostile user makes them:
// reordered, repeated and unknown columns, every separator, numbers that are not numbers or not
// finite, quoted names, stray bytes, odd line ends. One seed gives one file, always the same.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace varnodel::test {

inline std::string hostileDataFile(std::uint64_t seed) {
    std::mt19937_64 random(seed);
    const auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const auto chance = [&](int percent) { return static_cast<int>(pick(100)) < percent; };

    static const std::vector<std::string> kColumns = {
        "SiO2", "TiO2",   "Al2O3", "FeO",     "FeOt",      "Fe2O3",    "MnO",  "MgO",
        "CaO",  "Na2O",   "K2O",   "P2O5",    "Cr2O3",     "H2O",      "Ni",   "La",
        "Yb",   "P KBAR", "T",     "FO_HOST", "FEO_FINAL", "MgO_melt", "junk", ""};
    static const std::vector<double> kBasalt = {50.8, 1.85, 14.1, 11.8, 11.8, 1.2, 0.22, 6.7,
                                                11.1, 2.62, 0.19, 0.2,  0.05, 0.5, 150,  4,
                                                2,    1,    1150, 85,   12,   6.7, 1,    0};
    static const std::vector<std::string> kHostile = {"",
                                                      "nan",
                                                      "-inf",
                                                      "inf",
                                                      "1e999",
                                                      "1e-310",
                                                      "-5",
                                                      "0x1p3",
                                                      "1,5",
                                                      "12abc",
                                                      "  7 ",
                                                      "1e",
                                                      "+",
                                                      "--3",
                                                      "\"a,b\"",
                                                      "\"",
                                                      "\"\"\"",
                                                      "\x01",
                                                      "1e308",
                                                      "-0",
                                                      "99999",
                                                      std::string(5000, '9'),
                                                      "0." + std::string(400, '0') + "1",
                                                      "\xef\xbb\xbf",
                                                      "\xff\xfe"};
    const std::string separators = ",;\t|";
    const char separator = separators[pick(separators.size())];
    const std::string lineEnd = std::vector<std::string>{"\n", "\r\n", "\r"}[pick(3)];

    std::vector<std::size_t> columns;
    // The columns every analysis needs are there most of the time, so that most files run.
    const auto needed = [](std::size_t c) { return c == 0 || c == 3 || c == 7 || c == 8; };
    for (std::size_t c = 0; c < kColumns.size(); ++c)
        if (chance(needed(c) ? 97 : 60)) columns.push_back(c);
    for (int extra = static_cast<int>(pick(3)); extra > 0; --extra)
        columns.push_back(pick(kColumns.size()));  // repeated columns
    std::shuffle(columns.begin(), columns.end(), random);

    std::string text = chance(10) ? "\xef\xbb\xbf" : "";
    text += chance(80) ? "Name" : "";
    for (const std::size_t c : columns)
        text += std::string(1, separator) + kColumns[c];
    text += lineEnd;
    for (int row = 1 + static_cast<int>(pick(6)); row > 0; --row) {
        text += chance(20) ? "\"Kil" + std::string(1, separator) + " 1959\""
                           : "S" + std::to_string(row);
        for (const std::size_t c : columns) {
            text += separator;
            if (chance(10)) {
                text += kHostile[pick(kHostile.size())];
            } else {
                const double factor = 0.5 + static_cast<double>(pick(1000)) / 1000.0;
                text += std::to_string(kBasalt[c] * factor);
            }
        }
        if (chance(1)) text += std::string(1, '\0');
        text += chance(5) ? std::string(1, separator) + "extra" : "";
        text += lineEnd;
    }
    if (chance(5)) text.resize(pick(text.size() + 1));  // cut short
    return text;
}

}  // namespace varnodel::test
