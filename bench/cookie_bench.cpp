// The cost of a response with many Set-Cookie lines, as the number of lines grows: collecting
// them (every request) and merging them with the cookies the caller sent (only when it did).
// Google Benchmark fits each to a complexity class and prints it (BigO, RMS).
#include <benchmark/benchmark.h>

#include <string>

#include "text/text.h"
#include "web/cookie_merge.h"
#include "web/response_headers.h"

namespace linkgrab {
namespace {

Text HeadersWithCookies(long long count) {
    Text headers = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    for (long long i = 1; i <= count; ++i) {
        const std::string number = std::to_string(i);
        headers.append("Set-Cookie: c").append(number).append("=").append(number);
        headers.append("; path=/\r\n");
    }
    headers += "Content-Length: 0\r\n\r\n";
    return headers;
}

void CollectCookies(benchmark::State& state) {
    const Text headers = HeadersWithCookies(state.range(0));
    for (auto _ : state) {
        Text responseHeaders, statusText, receivedCookies, redirectLocation;
        InterpretResponseHeaders(headers, nullptr, true, responseHeaders, statusText,
                                 receivedCookies, redirectLocation);
        benchmark::DoNotOptimize(receivedCookies.data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(CollectCookies)->RangeMultiplier(2)->Range(1250, 20000)->Complexity();

void CollectAndMergeCookies(benchmark::State& state) {
    const Text headers = HeadersWithCookies(state.range(0));
    for (auto _ : state) {
        Text cookies = "c1=old; kept=1";
        Text responseHeaders, statusText, receivedCookies, redirectLocation;
        InterpretResponseHeaders(headers, &cookies, true, responseHeaders, statusText,
                                 receivedCookies, redirectLocation);
        benchmark::DoNotOptimize(cookies.data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(CollectAndMergeCookies)->RangeMultiplier(2)->Range(1250, 20000)->Complexity();

}  // namespace
}  // namespace linkgrab

BENCHMARK_MAIN();
