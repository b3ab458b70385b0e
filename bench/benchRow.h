#pragma once

#include <cstdio>

// One row of the table scripts/bench prints, on a line of its own beside the bench's own
// report: "@row<TAB>name<TAB>figure<TAB>unit<TAB><= or >=<TAB>target", "-" for both where a
// figure has no target.
enum class Better
{
    Lower,
    Higher,
};

inline void BenchRow(const char* name, double figure, const char* unit, Better better,
                     double target)
{
    std::printf("@row\t%s\t%.4g\t%s\t%s\t%.4g\n", name, figure, unit,
                better == Better::Lower ? "<=" : ">=", target);
    std::fflush(stdout);
}

inline void BenchRow(const char* name, double figure, const char* unit)
{
    std::printf("@row\t%s\t%.4g\t%s\t-\t-\n", name, figure, unit);
    std::fflush(stdout);
}
