// Search throughput on a large code page 936 page: mostly double-byte Chinese characters with
// runs of ASCII, a few characters whose second byte is '@', and the markers only at the end.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "text/text.h"
#include "text/text_between.h"

namespace linkgrab {
namespace {

constexpr std::size_t kPageBytes = 64u << 20;  // 64 MiB
const Text kMarker = "@@";
const Text kLink = "https://example.invalid/s/i0Ab3";

// Deterministic pseudo-random numbers (xorshift64).
class Random {
  public:
    std::uint32_t Next(std::uint32_t bound) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<std::uint32_t>(state_ % bound);
    }

  private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

Text MakePage() {
    static const char kAscii[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,:/-_=<>\"'\n";
    Random random;
    Text page;
    page.reserve(kPageBytes);
    const std::size_t body = kPageBytes - (2 * kMarker.size() + kLink.size());
    while (page.size() + 2 <= body) {
        const std::uint32_t kind = random.Next(100);
        if (kind < 85) {
            // A common character of the GB2312 area: first byte B0-D7, second byte A1-FE.
            page += static_cast<char>(0xB0 + random.Next(0xD8 - 0xB0));
            page += static_cast<char>(0xA1 + random.Next(0xFF - 0xA1));
        } else if (kind < 90) {
            // A character of the extended area whose second byte lies in 40-7E ('@' among
            // them), the bytes a byte-wise search mistakes for ASCII.
            page += static_cast<char>(0x81 + random.Next(0xA0 - 0x81));
            page += static_cast<char>(kind == 89 ? 0x40 : 0x40 + random.Next(0x7F - 0x40));
        } else {
            // A run of ASCII: words, markup, digits.
            const std::uint32_t run = 1 + random.Next(12);
            for (std::uint32_t i = 0; i < run && page.size() < body; ++i) {
                page += kAscii[random.Next(sizeof kAscii - 1)];
            }
        }
    }
    while (page.size() < body) page += ' ';
    page += kMarker;
    page += kLink;
    page += kMarker;
    return page;
}

const Text& Page() {
    static const Text page = MakePage();
    return page;
}

void SetThroughput(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(Page().size()));
}

void BM_FindText(benchmark::State& state) {
    const Text& page = Page();
    for (auto _ : state) {
        long long found = FindText(page, kMarker);
        benchmark::DoNotOptimize(found);
        if (found != static_cast<long long>(page.size() - 2 * kMarker.size() - kLink.size()) + 1) {
            state.SkipWithError("FindText found the wrong position");
            break;
        }
    }
    SetThroughput(state);
}
BENCHMARK(BM_FindText)->Unit(benchmark::kMillisecond);

void BM_FindTextIgnoreCase(benchmark::State& state) {
    const Text& page = Page();
    for (auto _ : state) {
        long long found = FindText(page, kMarker, 1, true);
        benchmark::DoNotOptimize(found);
    }
    SetThroughput(state);
}
BENCHMARK(BM_FindTextIgnoreCase)->Unit(benchmark::kMillisecond);

void BM_TextBetween(benchmark::State& state) {
    const Text& page = Page();
    for (auto _ : state) {
        Text between = TextBetween(page, kMarker, kMarker);
        benchmark::DoNotOptimize(between);
        if (between != kLink) {
            state.SkipWithError("TextBetween cut the wrong piece");
            break;
        }
    }
    SetThroughput(state);
}
BENCHMARK(BM_TextBetween)->Unit(benchmark::kMillisecond);

// The hardest page for the boundary checks: every character is 81 40, so every second byte is
// a false '@' candidate, and the markers stand at the end.
const Text& SecondBytePage() {
    static const Text page = [] {
        Text p;
        p.reserve(kPageBytes);
        while (p.size() + 2 <= kPageBytes - 2 * kMarker.size()) p += "\x81\x40";
        p += kMarker;
        p += kMarker;
        return p;
    }();
    return page;
}

void BM_FindTextAllSecondBytesAt(benchmark::State& state) {
    const Text& page = SecondBytePage();
    for (auto _ : state) {
        long long found = FindText(page, kMarker);
        benchmark::DoNotOptimize(found);
        if (found != static_cast<long long>(page.size() - 2 * kMarker.size()) + 1) {
            state.SkipWithError("FindText found the wrong position");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.size()));
}
BENCHMARK(BM_FindTextAllSecondBytesAt)->Unit(benchmark::kMillisecond);

// The C library's byte search on the same buffer, which knows nothing of characters.
void BM_Memmem(benchmark::State& state) {
    const Text& page = Page();
    for (auto _ : state) {
        const void* found = memmem(page.data(), page.size(), kMarker.data(), kMarker.size());
        benchmark::DoNotOptimize(found);
    }
    SetThroughput(state);
}
BENCHMARK(BM_Memmem)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace linkgrab
