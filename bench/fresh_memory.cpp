// The cost of a process's first write to memory it has just been given: allocates a buffer of
// the given size, writes each of its bytes once, and prints the seconds that took. A program
// that must hold a body of that size pays at least this once per buffer of it.
//   fresh_memory BYTES
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: fresh_memory BYTES\n", stderr);
        return 2;
    }
    const std::size_t size = std::strtoull(argv[1], nullptr, 10);
    const auto start = std::chrono::steady_clock::now();
    const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(size);
    std::memset(buffer.get(), 0x5a, size);
    const auto end = std::chrono::steady_clock::now();
    // Reading a byte back keeps the write from being optimised away.
    const volatile unsigned char last = size > 0 ? buffer[size - 1] : 0;
    (void)last;
    std::printf("%.4f\n", std::chrono::duration<double>(end - start).count());
    return 0;
}
