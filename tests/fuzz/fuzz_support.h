#pragma once

// A fuzzer's check: a broken one ends the run, and libFuzzer keeps the input.
inline void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}
