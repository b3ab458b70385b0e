#pragma once

#include <valgrind/callgrind.h>

#include <cstdio>
#include <string>
#include <utility>

// Counts the instructions of every thread over a stretch of work, when the bench runs under
//   valgrind --tool=callgrind --instr-atstart=no BENCH ...
// and writes them to a dump of their own named "NAME|UNITS" (UNITS: the number of units the
// stretch covered, a tick, a frame, or "6.1 s" of wall time), which scripts/bench divides.
// Outside valgrind the client requests are a few no-op instructions: the time figures stay.
//
// Instrumentation, not collection, is what is switched: callgrind's collection state is
// per thread (a toggle reaches only the calling thread), its instrumentation is global.
// Outside the zones the program runs uninstrumented, several times faster too.
class InstructionCount
{
public:
    explicit InstructionCount(std::string name, double units = 1)
        : m_name(std::move(name)), m_units(units)
    {
        CALLGRIND_START_INSTRUMENTATION;
        CALLGRIND_ZERO_STATS;
    }
    InstructionCount(const InstructionCount&) = delete;
    InstructionCount& operator=(const InstructionCount&) = delete;
    ~InstructionCount() { end(); }

    // A window's wall seconds, known only at its end.
    void setSeconds(double seconds)
    {
        m_units = seconds;
        m_seconds = true;
    }

    void end()
    {
        if (m_ended)
            return;
        m_ended = true;
        char label[256];
        std::snprintf(label, sizeof label, m_seconds ? "%s|%.3f s" : "%s|%.0f", m_name.c_str(),
                      m_units);
        CALLGRIND_DUMP_STATS_AT(label);
        CALLGRIND_STOP_INSTRUMENTATION;
    }

    // Under valgrind the benches do less of the same work: it runs 50 times slower.
    static bool counting() { return RUNNING_ON_VALGRIND != 0; }

private:
    std::string m_name;
    double m_units;
    bool m_seconds = false;
    bool m_ended = false;
};
