// The WinHTTP table on posix: the layer's own functions on libcurl, a test table in their place
// when one is set, and the test certificate authority trusted besides the system's roots.
#include <curl/curl.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "platform/posix/winhttp_functions.h"
#include "platform/posix/winhttp_transfer.h"
#include "platform/winhttp.h"

namespace linkgrab {

namespace {

constexpr WinHttpApi kPosixTable = {
    winhttp::CheckPlatform,  winhttp::CrackUrl,        winhttp::Open,
    winhttp::Connect,        winhttp::OpenRequest,     winhttp::SetTimeouts,
    winhttp::SetCredentials, winhttp::SetOption,       winhttp::AddRequestHeaders,
    winhttp::SendRequest,    winhttp::ReceiveResponse, winhttp::QueryDataAvailable,
    winhttp::ReadData,       winhttp::QueryHeaders,    winhttp::CloseHandle,
};

const WinHttpApi* testTable = nullptr;

std::string& Bundle() {
    static auto* bundle = new std::string();
    return *bundle;
}

bool AppendFile(const char* path, std::string& out) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    out.append(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    out += '\n';
    return true;
}

}  // namespace

const WinHttpApi& WinHttp() {
    return testTable != nullptr ? *testTable : kPosixTable;
}

void SetWinHttpForTesting(const WinHttpApi* api) {
    testTable = api;
}

void SetWinHttpTestCertificateAuthority(const char* pemFile) {
    std::string bundle;
    if (pemFile != nullptr) {
        // libcurl's own default bundle holds the system's roots.
        curl_global_init(CURL_GLOBAL_DEFAULT);
        struct EasyDeleter {
            void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
        };
        std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
        char* systemBundle = nullptr;
        if (easy) curl_easy_getinfo(easy.get(), CURLINFO_CAINFO, &systemBundle);
        if (systemBundle != nullptr) AppendFile(systemBundle, bundle);
        if (!AppendFile(pemFile, bundle)) bundle.clear();
    }
    Bundle() = bundle;
}

namespace winhttp {
const std::string& TrustedCertificateBundle() {
    return Bundle();
}
}  // namespace winhttp

}  // namespace linkgrab
