// The transfer of one WinHTTP request on libcurl's multi interface: one easy handle per hop,
// redirects and the proxy challenge handled hop by hop, the body handed out as it arrives with
// the transfer paused while the reader lags behind, so memory stays bounded.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/winhttp_handles.h"
#include "platform/posix/winhttp_target.h"

namespace linkgrab::winhttp {

class Transfer {
  public:
    explicit Transfer(Request& request);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Each returns 0 or a WinHTTP error code.
    DWORD Send(std::string body);
    DWORD Receive();
    DWORD Available(DWORD& available);
    DWORD Read(char* buffer, DWORD size, DWORD& read);

    bool received() const { return received_; }
    // The final response's head: status line and header lines, each ending in CR LF, then CR LF.
    const std::string& rawHeaders() const { return rawHeaders_; }

  private:
    struct EasyDeleter {
        void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
    };
    struct MultiDeleter {
        void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
    };
    struct ListDeleter {
        void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    };
    enum class Phase { kSend, kReceive };

    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    static int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self);

    DWORD StartHop();
    void StopHop();
    DWORD SendHop();
    template <typename Ready>
    DWORD Drive(Ready ready, Phase phase);
    DWORD Failure(Phase phase) const;
    std::string Location() const;
    void StoreCookies();
    bool BuildHeaders(curl_slist*& list) const;
    int IdleLimit(Phase phase) const;
    DWORD WaitForBody();

    Request& request_;
    Address origin_;
    Address address_;
    std::string verb_;
    std::string body_;
    int redirects_ = 0;
    bool proxyCredentialsSent_ = false;

    std::unique_ptr<CURLM, MultiDeleter> multi_;
    std::unique_ptr<CURL, EasyDeleter> easy_;
    std::unique_ptr<curl_slist, ListDeleter> headerList_;
    bool viaProxy_ = false;

    // The current hop.
    bool headerSent_ = false;
    std::size_t bodyBytesSent_ = 0;
    std::vector<std::string> responseLines_;
    bool headersDone_ = false;
    long status_ = 0;
    bool done_ = false;
    CURLcode result_ = CURLE_OK;
    bool paused_ = false;
    std::string buffer_;
    std::size_t bufferStart_ = 0;
    std::chrono::steady_clock::time_point lastActivity_;

    bool received_ = false;
    DWORD failure_ = 0;  // once a wait failed, every later call fails the same way
    std::string rawHeaders_;
};

// The PEM bundle that SetWinHttpTestCertificateAuthority made (the system's roots and the
// test authority), empty when it was not called.
const std::string& TrustedCertificateBundle();

}  // namespace linkgrab::winhttp
