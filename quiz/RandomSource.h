#pragma once
// The quiz's pseudo-random source: a 64-bit linear congruential generator whose
// draws are the high 32 bits of the state with the top bit cleared.
#include <QtGlobal>

#include <ctime>

class TRandomSource {
public:
    // The seed fills the low half of the state; the high half is 0.
    void Seed(quint32 seed) { State = seed; }

    // Seeds from the calendar clock, in whole seconds since 1970-01-01.
    void Randomize() { Seed(static_cast<quint32>(std::time(nullptr))); }

    // A value from 0 to 2^31 - 1.
    quint32 Next()
    {
        State = State * Q_UINT64_C(0x0000015A00004E35) + 1;
        return static_cast<quint32>(State >> 32) & 0x7FFFFFFFu;
    }

    quint64 State = 0;
};
