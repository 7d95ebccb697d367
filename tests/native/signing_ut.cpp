// The signatures of 阿里云, 腾讯云 and 华为云 against their published examples, with OpenSSL's
// SHA-256 standing for the system's; HMAC, the times and the clock's gap they rest on.
#include <gtest/gtest.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

#include <algorithm>

#include "dnsapi/alidns_rules.h"
#include "dnsapi/api_conversation.h"
#include "dnsapi/huaweicloud_rules.h"
#include "dnsapi/tencentcloud_rules.h"

namespace {

std::string OpenSslSha256(const std::string& bytes) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
    return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

TEST(HmacSha256, AsOpenSslsForKeysUpToAndBeyondOneBlock) {
    const std::string message = "TC3-HMAC-SHA256\n1551113065\n2019-02-25/cvm/tc3_request";
    for (const std::size_t size : {0, 64, 65, 200}) {
        std::string key(size, '\0');
        for (std::size_t i = 0; i < size; ++i) key[i] = static_cast<char>(i * 7 + 1);
        unsigned char expected[SHA256_DIGEST_LENGTH];
        unsigned int length = 0;
        HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
             reinterpret_cast<const unsigned char*>(message.data()), message.size(), expected,
             &length);
        EXPECT_EQ(HmacSha256(OpenSslSha256, key, message),
                  std::string(reinterpret_cast<const char*>(expected), length))
            << size;
    }
}

// The examples each provider publishes, byte for byte.
TEST(Signatures, ThePublishedExamplesOfAcs3Tc3AndSdk) {
    const NameValues acsQuery = {{"ImageId", "win2019_1809_x64_dtc_zh-cn_40G_alibase_20230811.vhd"},
                                 {"RegionId", "cn-shanghai"}};
    const std::string emptyHash = Sha256Hex(OpenSslSha256, "");
    const CanonicalRequest acs =
        CanonicalRequestOf(OpenSslSha256, "POST", "/", acsQuery,
                           {{"x-acs-version", "2014-05-26"},
                            {"host", "ecs.cn-shanghai.aliyuncs.com"},
                            {"x-acs-action", "RunInstances"},
                            {"x-acs-content-sha256", emptyHash},
                            {"x-acs-date", "2023-10-26T10:22:32Z"},
                            {"x-acs-signature-nonce", "3156853299f313e23d1673dc12e1703d"}},
                           "");
    EXPECT_EQ(Sha256Hex(OpenSslSha256, acs.text),
              "7ea06492da5221eba5297e897ce16e55f964061054b7695beedaac1145b1e259");
    const std::string acsHeaders =
        AcsSignedHeaders(OpenSslSha256, "YourAccessKeyId", "YourAccessKeySecret",
                         "ecs.cn-shanghai.aliyuncs.com", "RunInstances", "2014-05-26",
                         "2023-10-26T10:22:32Z", "3156853299f313e23d1673dc12e1703d", acsQuery, "");
    EXPECT_EQ(acsHeaders.substr(acsHeaders.find("Authorization: ")),
              "Authorization: ACS3-HMAC-SHA256 Credential=YourAccessKeyId,SignedHeaders=host;"
              "x-acs-action;x-acs-content-sha256;x-acs-date;x-acs-signature-nonce;x-acs-version,"
              "Signature=06563a9e1b43f5dfe96b81484da74bceab24a1d853912eee15083a6f0f3283c0\r\n");

    const std::string body =
        R"({"Limit": 1, "Filters": [{"Values": ["\u672a\u547d\u540d"], "Name": "instance-name"}]})";
    EXPECT_EQ(Sha256Hex(OpenSslSha256, body),
              "35e9c5b0e3ae67532d3c9f17ead6c90222632e5b1ff7f6e89887f1398934f064");
    const std::string tc3 = Tc3SignedHeaders(
        OpenSslSha256, "AKIDz8krbsJ5yKBZQpn74WFkmLPx3EXAMPLE", "Gu5t9xGARNpq86cd98joQYCN3EXAMPLE",
        "cvm.tencentcloudapi.com", "cvm", "DescribeInstances", "2017-03-12", 1551113065,
        "application/json; charset=utf-8", body);
    EXPECT_EQ(Sha256Hex(OpenSslSha256,
                        CanonicalRequestOf(OpenSslSha256, "POST", "/", {},
                                           {{"content-type", "application/json; charset=utf-8"},
                                            {"host", "cvm.tencentcloudapi.com"}},
                                           body)
                            .text),
              "5ffe6a04c0664d6b969fab9a13bdab201d63ee709638e2749d62a09ca18d7031");
    EXPECT_EQ(tc3.substr(tc3.find("Authorization: ")),
              "Authorization: TC3-HMAC-SHA256 Credential=AKIDz8krbsJ5yKBZQpn74WFkmLPx3EXAMPLE/"
              "2019-02-25/cvm/tc3_request, SignedHeaders=content-type;host, "
              "Signature=72e494ea809ad7a8c8f7a4507b9bddcbaa8e581f516e8da2f66e2c5a96525168\r\n");

    const NameValues sdkQuery = {{"limit", "2"},
                                 {"marker", "13551d6b-755d-4757-b956-536f674975c0"}};
    const std::string path = "/v1/77b6a44cba5143ab91d13ab9a8ff44fd/vpcs";
    EXPECT_EQ(Sha256Hex(OpenSslSha256,
                        CanonicalRequestOf(OpenSslSha256, "GET", SdkCanonicalUri(path), sdkQuery,
                                           {{"Content-Type", "application/json"},
                                            {"Host", "service.region.example.com"},
                                            {"X-Sdk-Date", "20191115T033655Z"}},
                                           "")
                            .text),
              "b25362e603ee30f4f25e7858e8a7160fd36e803bb2dfe206278659d71a9bcd7a");
    const std::string sdk = SdkSignedHeaders(
        OpenSslSha256, "QTWAOYTTINDUT2QVKYUC", "MFyfvK41ba2giqM7Uio6PznpdUKGpownRZlmVmHc",
        "service.region.example.com", "GET", path, sdkQuery, "20191115T033655Z", "");
    EXPECT_EQ(sdk,
              "Content-Type: application/json\r\nX-Sdk-Date: 20191115T033655Z\r\n"
              "Authorization: SDK-HMAC-SHA256 Access=QTWAOYTTINDUT2QVKYUC, "
              "SignedHeaders=content-type;host;x-sdk-date, "
              "Signature=7be6668032f70418fcc22abc52071e57aff61b84a1d2381bb430d6870f4f6ebe\r\n");
}

// Regressions guarded: a local date in Tencent's scope breaks every call from 00:00 to 08:00
// Beijing time; a Huawei URI without its final "/" is refused; an unencoded name changes
// what is signed.
TEST(Signatures, TheUtcDateTheFinalSlashAndRfc3986) {
    const std::pair<std::int64_t, std::string> scopes[] = {
        {1796687999, "2026-12-07/dnspod/tc3_request"},  // 23:59:59 UTC
        {1796688001, "2026-12-08/dnspod/tc3_request"},  // 00:00:01 UTC
        {1796661000, "2026-12-07/dnspod/tc3_request"},  // 00:30 on the 8th in Beijing
    };
    for (const auto& [at, scope] : scopes) EXPECT_EQ(Tc3Scope(at, "dnspod"), scope) << at;
    EXPECT_EQ(IsoTimeOf(1796630400), "2026-12-07T08:00:00Z");
    EXPECT_EQ(CompactTimeOf(1796630400), "20261207T080000Z");
    EXPECT_EQ(IsoTimeOf(951782400), "2000-02-29T00:00:00Z");
    const std::pair<std::string, std::string> uris[] = {
        {"/v2/zones", "/v2/zones/"},
        {"/v2.1/zones/ff80/recordsets/", "/v2.1/zones/ff80/recordsets/"},
        {"/", "/"},
        {"/a b/\xE4\xB8\xAD~*", "/a%20b/%E4%B8%AD~%2A/"},
    };
    for (const auto& [path, uri] : uris) EXPECT_EQ(SdkCanonicalUri(path), uri) << path;
    EXPECT_EQ(QueryOf({{"name", "\xE4\xB8\xAD.example."}, {"a b", "~*"}}),
              "name=%E4%B8%AD.example.&a%20b=~%2A");
}

// How far the PC's clock is from the provider's, from its reply's Date header.
TEST(ClockWrongOutcome, TheGapInMinutesEitherWayOrWithoutADate) {
    const std::int64_t signedAt = 1796630400;  // Mon, 07 Dec 2026 08:00:00 GMT
    const std::pair<std::string, std::string> cases[] = {
        {"Date: Mon, 07 Dec 2026 08:20:01 GMT\r\n", "约 20 分钟"},
        {"Date: Mon, 07 Dec 2026 07:15:00 GMT\r\n", "约 45 分钟"},
        {"Date: Sun, 06 Dec 2026 08:00:00 GMT\r\n", "约 1440 分钟"},
        {"Date: Mon, 07 Dec 2026 08:00:00 UTC\r\n", "太多"},
        {"Date: Mon, 7 Dec 2026 08:00:00 GMT\r\n", "太多"},
        {"", "太多"},
    };
    for (const auto& [headers, gap] : cases) {
        const ReplyOutcome outcome = ClockWrongOutcome(headers, signedAt);
        EXPECT_EQ(outcome.statusText,
                  "电脑时间与服务商相差" + gap + ",请校准系统时间(设置 → 时间和语言 → 立即同步)!")
            << headers;
        EXPECT_EQ(outcome.kind, AnswerKind::ProviderTrouble) << "a hold, not a pause";
    }
}

// Each call of each provider that signs: its method, address and body, and the headers it
// sends besides WinINet's own, each signed with a nonce of its own.
TEST(SignedRequests, EachCallOfEachProvider) {
    int nonces = 0;
    const ApiContext context = {"AKIDEXAMPLE", "s3cret", [] { return std::int64_t{1796630400}; },
                                [&nonces] { return "n" + std::to_string(++nonces); },
                                OpenSslSha256};
    const ApiZone zone = {"example.com", "example.com"}, huaweiZone = {"example.com.", "ff80"};
    const RecordName home = {"home.example.com", "home", "A"}, apex = {"example.com", "@", "AAAA"};
    const ApiRecord aliRecord = {"1001", "home", "A", "198.51.100.1", "120", "telecom"};
    const ApiRecord tcRecord = {"9007199254740993", "home", "A", "198.51.100.1", "600", "10=0"};
    const ApiRecord hwRecord = {"r9", "home.example.com.", "A", "198.51.100.1", "300", ""};
    const std::string acs =
        "x-acs-action x-acs-content-sha256 x-acs-date x-acs-signature-nonce x-acs-version "
        "Authorization:ACS3-HMAC-SHA256";
    const std::string tc3 =
        "Content-Type X-TC-Action X-TC-Timestamp X-TC-Version Authorization:TC3-HMAC-SHA256";
    const std::string sdk = "Content-Type X-Sdk-Date Authorization:SDK-HMAC-SHA256";
    const auto& ali = *ApiProviderOf("alidns")->rules;
    const auto& tc = *ApiProviderOf("tencentcloud")->rules;
    const auto& hw = *ApiProviderOf("huaweicloud")->rules;
    const std::string tcBody = R"({"Domain":"example.com","SubDomain":"home","RecordType":"A",)";
    const std::string DefaultLine = "\xE9\xBB\x98\xE8\xAE\xA4";  // 默认 in UTF-8
    const struct {
        HttpRequest request;
        std::string shown;
    } cases[] = {
        {ali.zonesRequest(context, 1), "POST /?PageNumber=2&PageSize=100 |  | " + acs},
        {ali.recordsRequest(context, zone, home),
         "POST /?SubDomain=home.example.com&DomainName=example.com&Type=A |  | " + acs},
        {ali.changeRequest(context, zone, aliRecord, "203.0.113.5"),
         "POST /?RecordId=1001&RR=home&Type=A&Value=203.0.113.5&TTL=120&Line=telecom |  | " + acs},
        {ali.createRequest(context, zone, apex, "2001:db8::5"),
         "POST /?DomainName=example.com&RR=%40&Type=AAAA&Value=2001%3Adb8%3A%3A5 |  | " + acs},
        {tc.zonesRequest(context, 0), "POST / | {} | " + tc3},
        {tc.recordsRequest(context, zone, home),
         R"(POST / | {"Domain":"example.com","Subdomain":"home","RecordType":"A"} | )" + tc3},
        {tc.changeRequest(context, zone, tcRecord, "203.0.113.5"),
         "POST / | " + tcBody + R"("RecordLine":")" + DefaultLine +
             R"(","RecordLineId":"10=0","Value":"203.0.113.5","RecordId":9007199254740993,)"
             R"("TTL":600} | )" +
             tc3},
        {tc.createRequest(context, zone, apex, "2001:db8::5"),
         R"(POST / | {"Domain":"example.com","SubDomain":"@","RecordType":"AAAA","RecordLine":")" +
             DefaultLine + R"(","Value":"2001:db8::5"} | )" + tc3},
        {hw.zonesRequest(context, 1), "GET /v2/zones?type=public&limit=500&offset=500 |  | " + sdk},
        {hw.recordsRequest(context, huaweiZone, home),
         "GET /v2.1/zones/ff80/recordsets?name=home.example.com.&type=A&search_mode=equal |  | " +
             sdk},
        {hw.changeRequest(context, huaweiZone, hwRecord, "203.0.113.5"),
         R"(PUT /v2.1/zones/ff80/recordsets/r9 | {"name":"home.example.com.","type":"A",)"
         R"("records":["203.0.113.5"],"ttl":300} | )" +
             sdk},
        {hw.createRequest(context, huaweiZone, apex, "2001:db8::5"),
         R"(POST /v2.1/zones/ff80/recordsets | {"name":"example.com.","type":"AAAA",)"
         R"("records":["2001:db8::5"]} | )" +
             sdk},
    };
    std::vector<std::string> seen;
    for (const auto& [request, shown] : cases) {
        std::string headers;
        for (const std::string& line : ReplyLines(request.headers)) {
            const std::size_t colon = line.find(':');
            headers += (headers.empty() ? "" : " ") + line.substr(0, colon);
            if (line.rfind("Authorization", 0) == 0) {
                headers += ":" + line.substr(colon + 2, line.find(' ', colon + 2) - colon - 2);
            }
            if (line.rfind("x-acs-signature-nonce", 0) == 0) seen.push_back(line);
        }
        EXPECT_EQ(request.method + " " + request.target + " | " + request.body + " | " + headers,
                  shown);
        EXPECT_EQ(request.replyLimit, ApiReplyLimit);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end()) << "a nonce used twice";
}

// A provider that signs: a clock too far off holds the watch, telling the gap; a refused key
// ends the conversation at its first call (Huawei locks an AK after 5 in a row); without the
// system's SHA-256 nothing is sent.
TEST(UpdateAtProvider, TheClockToldARefusedKeyAskedOnceAndNothingWithoutSha256) {
    const auto date = [](const char* time) {
        return std::string("Date: Mon, 07 Dec 2026 ") + time + " GMT\r\n";
    };
    const struct {
        const char* provider;
        Sha256Function sha256;
        HttpReply reply;
        std::string status;
        AnswerKind kind;
        int calls;
    } cases[] = {
        {"alidns",
         OpenSslSha256,
         {ExchangeEnd::Replied,
          R"({"Code":"InvalidTimeStamp.Expired","Message":"Specified time stamp or date value )"
          R"(is expired."})",
          400, date("08:20:00")},
         "电脑时间与服务商相差约 20 分钟,请校准系统时间(设置 → 时间和语言 → 立即同步)!",
         AnswerKind::ProviderTrouble,
         1},
        {"tencentcloud",
         OpenSslSha256,
         {ExchangeEnd::Replied,
          R"({"Response":{"Error":{"Code":"AuthFailure.SignatureExpire","Message":"m"}}})", 200,
          date("07:40:00")},
         "电脑时间与服务商相差约 20 分钟,请校准系统时间(设置 → 时间和语言 → 立即同步)!",
         AnswerKind::ProviderTrouble,
         1},
        {"huaweicloud",
         OpenSslSha256,
         {ExchangeEnd::Replied,
          R"({"error_msg":"verify aksk signature fail","error_code":)"
          R"("APIGW.0301"})",
          401, date("08:00:00")},
         "访问密钥(AK/SK)无效或被服务商拒绝,请检查!",
         AnswerKind::NeedsUser,
         1},
        {"tencentcloud", nullptr, {}, NoSha256Text, AnswerKind::NeedsUser, 0},
    };
    for (const auto& c : cases) {
        int calls = 0;
        ApiExchanges exchanges;
        exchanges.exchange = [&](const HttpRequest&, unsigned) { return ++calls, c.reply; };
        exchanges.elapsedMs = [] { return 0u; };
        exchanges.toAnsi = [](const std::string& text) { return text; };
        exchanges.isLeadByte = [](unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; };
        const ApiContext context = {"AKIDEXAMPLE", "s3cret",
                                    [] { return std::int64_t{1796630400}; },
                                    [] { return std::string("n"); }, c.sha256};
        const UpdateAnswer answer = UpdateAtProvider(*ApiProviderOf(c.provider), context,
                                                     "home.example.com", "203.0.113.5", exchanges);
        EXPECT_EQ(answer.outcome.statusText.value_or(""), c.status) << c.provider;
        EXPECT_EQ(answer.outcome.kind, c.kind) << c.provider;
        EXPECT_EQ(calls, c.calls) << c.provider;
    }
}

}  // namespace
