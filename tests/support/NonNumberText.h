// Finds the texts a non-finite number prints as ("nan", "-nan", "inf", "-inf", any case) in a
// line or a file, for tests that promise none reaches a log or a result file.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace varnodel::test {

// True when `text` holds "nan", "inf" or "infinity" as a word of its own (a sign, digits, blanks
// and punctuation around it), not as a part of a word such as "infinite".
inline bool hasNonNumberToken(std::string_view text) {
    const auto letter = [&](std::size_t i) {
        return std::isalpha(static_cast<unsigned char>(text[i])) != 0;
    };
    const auto lower = [&](std::size_t i) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    };
    for (const std::string_view bad : {"nan", "inf", "infinity"}) {
        for (std::size_t at = 0; at + bad.size() <= text.size(); ++at) {
            bool match = true;
            for (std::size_t k = 0; k < bad.size() && match; ++k)
                match = lower(at + k) == bad[k];
            if (!match) continue;
            const std::size_t end = at + bad.size();
            if ((at == 0 || !letter(at - 1)) && (end == text.size() || !letter(end))) return true;
        }
    }
    return false;
}

}  // namespace varnodel::test
