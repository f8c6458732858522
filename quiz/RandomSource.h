#pragma once
// The quiz's pseudo-random source: a 64-bit linear congruential generator whose
// draws are the high 32 bits of the state with the top bit cleared.
#include <QtGlobal>

#include <ctime>

class TRandomSource {
public:
    // The seed fills the low half of the state; the high half is 0.
    void Seed(quint32 seed) { State = seed; }

    // Seeds from the calendar clock, in whole seconds since 1970-01-01. The
    // seconds are mixed first: the first draw after seeding with consecutive
    // seconds would otherwise put the answer on only two of the four buttons.
    void Randomize() { Seed(MixClock(static_cast<quint32>(std::time(nullptr)))); }

    // A bijective 32-bit mix (the finaliser of MurmurHash3).
    static quint32 MixClock(quint32 x)
    {
        x ^= x >> 16;
        x *= 0x85EBCA6Bu;
        x ^= x >> 13;
        x *= 0xC2B2AE35u;
        x ^= x >> 16;
        return x;
    }

    // A value from 0 to 2^31 - 1.
    quint32 Next()
    {
        State = State * Q_UINT64_C(0x0000015A00004E35) + 1;
        return static_cast<quint32>(State >> 32) & 0x7FFFFFFFu;
    }

    quint64 State = 0;
};
