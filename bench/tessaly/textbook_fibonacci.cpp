// The second yardstick, in a file of its own so that nothing around it changes what the compiler
// makes of it: the double recursion as a textbook writes it, with nothing forbidden.

#include <cstdint>

static std::int64_t fib(int n) {
    return n < 2 ? n : fib(n - 1) + fib(n - 2);
}

std::int64_t textbookFibonacci(int n) {
    return fib(n);
}
