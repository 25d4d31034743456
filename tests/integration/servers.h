// The servers that tests/fixtures/with_servers.sh starts around the integration tests, and a
// way to run one exchange against them and keep every output.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "text/text.h"
#include "web/web_request.h"

namespace linkgrab {

// The environment's view of the servers: each value empty when its variable is not set.
struct TestServers {
    std::string httpPort;
    std::string httpsPort;
    std::string proxyPort;
    std::string authProxyPort;   // the proxy that wants proxyuser:proxypass
    std::string wrongHostPort;   // a certificate for another host name
    std::string selfSignedPort;  // a certificate that nobody signed
    std::string testCa;
    std::string missing;  // the names of the variables that are not set, or empty
};

const TestServers& Servers();

// http://127.0.0.1:PORT followed by path (which starts with "/").
Text HttpUrl(const std::string& path);
// https://localhost:PORT followed by path: the test certificate is made out to localhost.
Text HttpsUrl(const std::string& path);
// 127.0.0.1:PORT of the proxy.
Text ProxyAddress();
// The same for the proxy that asks for the basic credentials proxyuser:proxypass.
Text AuthProxyAddress();
// The fixture server's /raw address that answers with exactly these bytes.
Text RawResponseUrl(const std::string& response);
// An address on 127.0.0.1 where nothing listens.
Text RefusedUrl(const std::string& path);

// Percent-encoding of a query value.
std::string QueryValue(const std::string& value);

// True when the Windows build runs under Wine, whose WinHTTP lacks a few things of Windows'.
bool RunningUnderWine();

// Everything one WebRequest call hands back.
struct Exchange {
    Text pageText;
    Text statusText;
    Text responseHeaders;
    Text receivedCookies;
    Text redirectLocation;
    ByteString responseBody;
};

// Runs WebRequest with these arguments, its out-parameters pointed at the Exchange (cookies,
// when passed, stay the caller's).
Exchange Fetch(WebRequestArguments arguments);

// Counts the lines of a header text that start with name (letter case significant).
int LinesStartingWith(const Text& text, const std::string& name);

// Every test of this folder: fails at once, saying why, when the servers' variables are
// missing, and trusts the test certificate authority before the first exchange.
class ServerTest : public ::testing::Test {
  protected:
    void SetUp() override;
};

}  // namespace linkgrab
