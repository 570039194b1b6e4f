// The yardsticks for the window's seconds per cycle: the double recursion as it is written with
// nothing around it, in one file, built with the program's own flags. tessaly_plain forbids the
// compiler to inline the recursion into itself; tessaly_textbook, the same file built with
// TESSALY_TEXTBOOK, forbids nothing, and the compiler unfolds levels of it as it likes.
//
//   tessaly_plain INDEX [TIMES]
//   tessaly_textbook INDEX [TIMES]
//
// Prints the fastest of TIMES computations (1 unless given) in seconds, and the number.

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>

#ifndef TESSALY_TEXTBOOK
static std::int64_t fib(int n) __attribute__((noinline));
#endif
static std::int64_t fib(int n) {
    return n < 2 ? n : fib(n - 1) + fib(n - 2);
}

static bool parse(const char* text, int low, int high, int& value) {
    const char* end = text + std::strlen(text);
    const auto [last, error] = std::from_chars(text, end, value);
    return error == std::errc() && last == end && value >= low && value <= high;
}

int main(int argc, char** argv) {
    int index = 0, times = 1;
    // Index 92 is the last whose number fits 64 bits; beyond 60 a run would take centuries.
    if (argc < 2 || argc > 3 || !parse(argv[1], 0, 60, index) ||
        (argc == 3 && !parse(argv[2], 1, 1000, times))) {
        std::fprintf(stderr, "usage: %s INDEX [TIMES]   (INDEX 0 to 60, TIMES 1 to 1000)\n",
                     argv[0]);
        return 2;
    }
    double best = 0;
    std::int64_t number = 0;
    for (int i = 0; i < times; ++i) {
        const auto start = std::chrono::steady_clock::now();
        number = fib(index);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (i == 0 || seconds < best)
            best = seconds;
    }
    std::printf("%.6f %lld\n", best, static_cast<long long>(number));
    return 0;
}
