// The long fuzz run: `varnodel_fuzz [FIRST [COUNT]]` runs COUNT generated hostile data files
// (default 2000 from seed 1000) and prints every problem; exit 1 when there was one.
#include <cstdint>
#include <iostream>
#include <string>

#include "support/HostileRun.h"

int main(int argc, char** argv) {
    const std::uint64_t first = argc > 1 ? std::stoull(argv[1]) : 1000;
    const std::uint64_t count = argc > 2 ? std::stoull(argv[2]) : 2000;
    std::uint64_t failed = 0;
    for (std::uint64_t seed = first; seed < first + count; ++seed) {
        const auto problems = varnodel::test::hostileRunProblems(seed);
        for (const auto& problem : problems)
            std::cout << problem << '\n';
        failed += problems.empty() ? 0 : 1;
        if ((seed - first + 1) % 100 == 0)
            std::cerr << seed - first + 1 << " of " << count << " files\n";
    }
    std::cout << count - failed << " passed, " << failed << " failed\n";
    return failed == 0 ? 0 : 1;
}
