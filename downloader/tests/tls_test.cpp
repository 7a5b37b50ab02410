// Downloads over https from the servers of tests/support/with_tls_servers.py
// (ctest entry downloader.tls), through the built zqdownload.dll: which
// certificates are taken, which are refused and what the log says why; and the
// module's own chain check on chains built from the same certificates, read
// from beside the program, which runs without the servers too.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "http_test_server.h"

#include "server_certificate.h"
#include "test_debug_log.h"
#include "test_platform.h"
#include "test_support.h"
#include "tls_servers.h"

namespace {

using zqd_test::ReadBytes;
using zqd_test::TlsUrl;

// Every test here needs the authority trusted, and Wine's chain engine reads
// the stores only once per process: it is trusted from before the first test
// to after the last, failed or not. Only an administrator can trust it.
class TrustedAuthorityForTheRun : public ::testing::Environment {
public:
    void SetUp() override {
        if (RunningElevated()) authority.emplace(zqd_test::TlsAuthority());
    }
    void TearDown() override { authority.reset(); }
    std::optional<zqd_test::TrustedAuthority> authority;
};
auto* const g_run = static_cast<TrustedAuthorityForTheRun*>(
    ::testing::AddGlobalTestEnvironment(new TrustedAuthorityForTheRun));

#define WARESEEK_TRUSTS_THE_AUTHORITY \
    "the test authority is trusted in the machine's Root store for the tests and removed after"

// Why the download tests cannot run here, or empty. The servers run beside the
// test program on Linux (CTest's downloader.tls always starts them); from the
// Windows test bundle there are none.
std::string WhyNoDownloads() {
    if (!zqd_test::TlsServersPresent()) {
        return "no HTTPS test servers: they run only under CTest (downloader.tls), through "
               "tests/support/with_tls_servers.py";
    }
    if (!RunningElevated()) {
        return WARESEEK_NEEDS_ELEVATION WARESEEK_TRUSTS_THE_AUTHORITY;
    }
    return {};
}

void ExpectTrust() {
    ASSERT_TRUE(g_run->authority && g_run->authority->Trusted())
        << "the test authority (tls-certificates\\authority.der beside the program) is not trusted";
}

// The log lines of the certificate check, other lines left out.
std::vector<std::wstring> RefusalLines() {
    std::vector<std::wstring> lines;
    for (const std::wstring& message : DebugLogMessages()) {
        if (message.rfind(L"certificate refused", 0) == 0) lines.push_back(message);
    }
    return lines;
}

struct Refused {
    const char* server;
    const wchar_t* reason;
};

const Refused kRefused[] = {
    {"SELF_SIGNED", L"certificate refused: not issued by a trusted authority"},
    {"OTHER_HOST", L"certificate refused: issued for another host"},
    {"EXPIRED", L"certificate refused: expired or not yet valid"},
    {"NOT_FOR_SERVER", L"certificate refused: not a valid server certificate"},
};

class HttpsDownload : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = WhyNoDownloads(); !why.empty()) GTEST_SKIP() << why;
        WARESEEK_SKIP_WITH(WhyTheDebugLogIsNotOurs());
        ExpectTrust();
        // Loaded once the switch is on, so that the module's log writes.
        log.emplace();
        module.emplace();
        ASSERT_TRUE(module->Loaded()) << "zqdownload.dll not found in the stage folder";
        zqd_test::WriteBytes(target, "old catalogue");
    }

    int Download(const std::vector<std::wstring>& urls) const {
        return module->Download(zqd_test::RequestDocument(target, L"", urls).c_str());
    }

    std::optional<DebugLogSwitchedOn> log;
    std::optional<zqd_test::DownloadModule> module;
    zqd_test::TempFolder folder;
    const std::wstring target = folder.Sub(L"SMBPlugins_x86.xml");
};

TEST_F(HttpsDownload, TakesTheCatalogueFromAServerTheMachineTrusts) {
    EXPECT_NE(Download({TlsUrl("GOOD", L"/catalogue.xml")}), 0);
    EXPECT_EQ(ReadBytes(target), zqd_test::kTlsCatalogue);
    EXPECT_TRUE(RefusalLines().empty());
}

// A refused certificate fails its address like an unreachable server: the old
// file stays, the next address is tried, and the log says why in one line.
TEST_F(HttpsDownload, RefusesAnUntrustworthyCertificateAndTriesTheNextAddress) {
    for (const Refused& refused : kRefused) {
        SCOPED_TRACE(refused.server);
        ClearDebugLog();
        EXPECT_EQ(Download({TlsUrl(refused.server, L"/catalogue.xml")}), 0);
        EXPECT_EQ(ReadBytes(target), "old catalogue");
        EXPECT_EQ(RefusalLines(), std::vector<std::wstring>{refused.reason});

        EXPECT_NE(Download({TlsUrl(refused.server, L"/catalogue.xml"), TlsUrl("GOOD", L"/catalogue.xml")}), 0);
        EXPECT_EQ(ReadBytes(target), zqd_test::kTlsCatalogue);
        zqd_test::WriteBytes(target, "old catalogue");
    }
}

// A redirect from https may go on to https, never to plain http: the answer
// would then come from anyone on the path. The refused hop fails its address.
TEST_F(HttpsDownload, FollowsARedirectFromHttpsOnlyToHttps) {
    HttpTestServer plain;
    plain.Serve("/catalogue.xml", 200, zqd_test::kTlsCatalogue);
    ASSERT_TRUE(plain.Start());
    const std::wstring toHttps = TlsUrl("GOOD", L"/redirect?to=" + TlsUrl("GOOD", L"/catalogue.xml"));
    const std::wstring toHttp = TlsUrl("GOOD", L"/redirect?to=" + plain.Url(L"/catalogue.xml"));
    EXPECT_NE(Download({toHttps}), 0);
    EXPECT_EQ(ReadBytes(target), zqd_test::kTlsCatalogue);
    zqd_test::WriteBytes(target, "old catalogue");
    // The rule holds for each hop, also when the first address was plain http.
    const std::string toHttpText(toHttp.begin(), toHttp.end());
    plain.Serve("/via-https", CannedResponse{302, "", {}, "Location: " + toHttpText + "\r\n"});
    for (const std::wstring& refused : {toHttp, plain.Url(L"/via-https")}) {
        ClearDebugLog();
        EXPECT_EQ(Download({refused}), 0) << ToUtf8(refused);
        EXPECT_EQ(ReadBytes(target), "old catalogue");
        EXPECT_EQ(plain.RequestCount("/catalogue.xml"), 0);
        const std::vector<std::wstring> messages = DebugLogMessages();
        EXPECT_EQ(std::count(messages.begin(), messages.end(), L"redirect refused: from https to http"), 1);
    }
    EXPECT_NE(Download({toHttp, TlsUrl("GOOD", L"/catalogue.xml")}), 0) << "the next address is tried";
}

// The module's own check, for a WinINet that lets a certificate through.
class ChainCheck : public ::testing::Test {
protected:
    void SetUp() override {
        if (!RunningElevated()) GTEST_SKIP() << WARESEEK_NEEDS_ELEVATION WARESEEK_TRUSTS_THE_AUTHORITY;
        ExpectTrust();
    }

    // The chain of a server's certificate as engine builds it (default: the
    // machine's) for a server's use, as WinINet asks for it: Wine 8's SSL
    // policy finds a certificate not meant for servers only in such a chain.
    static UniqueCertContext Certificate(const char* server) {
        const std::string der = zqd_test::TlsCertificate(server);
        return UniqueCertContext(CertCreateCertificateContext(
            X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size())));
    }

    // GOOD's certificate comes with every chain, as a server sends its
    // intermediates: one it issued, though it is no authority, chains up.
    static UniqueCertChain ChainOf(const char* server, HCERTCHAINENGINE engine = nullptr) {
        const UniqueCertContext certificate = Certificate(server);
        const UniqueCertStore sent(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
        CertAddCertificateContextToStore(sent.Get(), Certificate("GOOD").Get(), CERT_STORE_ADD_ALWAYS, nullptr);
        LPSTR serverUse[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
        CERT_CHAIN_PARA parameters{};
        parameters.cbSize = sizeof parameters;
        parameters.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
        parameters.RequestedUsage.Usage.cUsageIdentifier = 1;
        parameters.RequestedUsage.Usage.rgpszUsageIdentifier = serverUse;
        UniqueCertChain chain;
        if (certificate) {
            CertGetCertificateChain(engine, certificate.Get(), nullptr, sent.Get(), &parameters, 0, nullptr,
                                    chain.Receive());
        }
        return chain;
    }
};

TEST_F(ChainCheck, NamesTheFaultOfEachServersChain) {
    struct Case {
        const char* server;
        const wchar_t* host;
        HRESULT fault;
    };
    const Case cases[] = {
        {"GOOD", L"localhost", S_OK},
        {"GOOD", L"other-host.example", CERT_E_CN_NO_MATCH},
        {"OTHER_HOST", L"other-host.example", S_OK},
        {"OTHER_HOST", L"localhost", CERT_E_CN_NO_MATCH},
        {"SELF_SIGNED", L"localhost", CERT_E_UNTRUSTEDROOT},
        {"EXPIRED", L"localhost", CERT_E_EXPIRED},
        {"NOT_FOR_SERVER", L"localhost", CERT_E_WRONG_USAGE},  // Wine 8 and Windows' documentation agree
        // Windows' policy names it (TRUST_E_BASIC_CONSTRAINTS); Wine 8's lets
        // it pass, and the chain's own status refuses it.
        {"ISSUED_BY_GOOD", L"localhost", RunningUnderWine() ? TRUST_E_FAIL : TRUST_E_BASIC_CONSTRAINTS},
    };
    for (const Case& c : cases) {
        const UniqueCertChain chain = ChainOf(c.server);
        ASSERT_TRUE(chain) << "no chain of tls-certificates\\" << c.server << ".der beside the program";
        EXPECT_EQ(zqd::ChainFault(chain.Get(), c.host), static_cast<DWORD>(c.fault))
            << c.server << " as " << ToUtf8(c.host) << ", fault 0x" << std::hex << static_cast<DWORD>(c.fault);
        EXPECT_EQ(c.fault == S_OK, zqd::ServerCertificateAccepted(chain, c.host)) << c.server << " as " << ToUtf8(c.host);
    }
}

// Wine 8's SSL policy passes a chain that stops short of any root when the
// name matches; the check refuses it all the same.
TEST_F(ChainCheck, RefusesAChainThatReachesNoTrustedRoot) {
    const UniqueCertStore noRoots(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    CERT_CHAIN_ENGINE_CONFIG config{};
    config.cbSize = sizeof config;
    config.hRestrictedRoot = noRoots.Get();
    UniqueCertChainEngine engine;
    ASSERT_TRUE(CertCreateCertificateChainEngine(&config, engine.Receive()));
    const UniqueCertChain chain = ChainOf("GOOD", engine.Get());
    ASSERT_TRUE(chain);
    const DWORD fault = zqd::ChainFault(chain.Get(), L"localhost");
    EXPECT_TRUE(fault == static_cast<DWORD>(CERT_E_CHAINING) || fault == static_cast<DWORD>(CERT_E_UNTRUSTEDROOT))
        << std::hex << fault;
}

}  // namespace
