// The DNS providers' APIs: the zone of a domain, each provider's requests byte for byte and
// its reading of every form of reply, and the conversation over a scripted exchange.
#include <gtest/gtest.h>
#include <iconv.h>

#include "dnsapi/api_conversation.h"

namespace {

const ApiContext Context = {"12345", "tok3n/+Secret", {}, {}, nullptr};
const RecordName Home = {"home.example.com", "home", "A"};
const RecordName Apex = {"example.com", "@", "AAAA"};

const ApiRules& RulesOf(const char* key) { return *ApiProviderOf(key)->rules; }

TEST(ApiProviders, TheTableByKey) {
    const struct {
        const char* key;
        bool usesUserName, needsSha256;
    } cases[] = {{"cloudflare", false, false},
                 {"dnspod", true, false},
                 {"alidns", true, true},
                 {"tencentcloud", true, true},
                 {"huaweicloud", true, true}};
    for (const auto& c : cases) {
        const ApiProvider* provider = ApiProviderOf(c.key);
        ASSERT_NE(provider, nullptr) << c.key;
        EXPECT_STREQ(provider->key, c.key);
        EXPECT_EQ(provider->usesUserName, c.usesUserName) << c.key;
        EXPECT_EQ(provider->needsSha256, c.needsSha256) << c.key;
    }
    EXPECT_EQ(ApiProviderOf("dyn"), nullptr);
    EXPECT_EQ(ApiProviderOf(""), nullptr);
}

TEST(ApiRequests, EachCallOfEachProviderByteForByte) {
    const ApiZone cfZone = {"example.com", "023e105f4ecef8ad9ca31a8372d0c353"};
    const ApiZone podZone = {"example.com", "2238269"};
    const ApiRecord cfRecord = {
        "372e67954025e0ba6aaa6d586b9e0b59", "home.example.com", "A", "198.51.100.1", "1", ""};
    const ApiRecord podRecord = {"9007199254740993", "home", "A", "198.51.100.1", "600", "0"};
    const std::string cfAuth = "Authorization: Bearer tok3n/+Secret\r\n";
    const std::string cfRecords =
        "https://api.cloudflare.com/client/v4/zones/023e105f4ecef8ad9ca31a8372d0c353/dns_records";
    const std::string podForm =
        "Content-Type: application/x-www-form-urlencoded\r\n"
        "login_token=12345,tok3n%2F%2BSecret&format=json&lang=cn"
        "&error_on_empty=no";
    const struct {
        HttpRequest request;
        std::string shown;
    } cases[] = {
        {RulesOf("cloudflare").zonesRequest(Context, 1),
         "GET https://api.cloudflare.com/client/v4/zones?per_page=50&page=2\n" + cfAuth},
        {RulesOf("cloudflare").recordsRequest(Context, cfZone, Home),
         "GET " + cfRecords + "?type=A&name=home.example.com\n" + cfAuth},
        {RulesOf("cloudflare").changeRequest(Context, cfZone, cfRecord, "203.0.113.5"),
         "PATCH " + cfRecords + "/372e67954025e0ba6aaa6d586b9e0b59\n" + cfAuth +
             "Content-Type: application/json\r\n{\"content\":\"203.0.113.5\"}"},
        {RulesOf("cloudflare").createRequest(Context, cfZone, Apex, "2001:db8::5"),
         "POST " + cfRecords + "\n" + cfAuth +
             "Content-Type: application/json\r\n{\"type\":\"AAAA\",\"name\":\"example.com\","
             "\"content\":\"2001:db8::5\",\"ttl\":1,\"proxied\":false}"},
        {RulesOf("dnspod").zonesRequest(Context, 0),
         "POST https://dnsapi.cn/Domain.List\n" + podForm},
        {RulesOf("dnspod").recordsRequest(Context, podZone, Home),
         "POST https://dnsapi.cn/Record.List\n" + podForm +
             "&domain=example.com&sub_domain=home&record_type=A"},
        {RulesOf("dnspod").changeRequest(Context, podZone, podRecord, "203.0.113.5"),
         "POST https://dnsapi.cn/Record.Modify\n" + podForm +
             "&domain=example.com&record_id=9007199254740993&sub_domain=home&record_type=A"
             "&record_line_id=0&value=203.0.113.5&ttl=600"},
        {RulesOf("dnspod").createRequest(Context, podZone, Apex, "2001:db8::5"),
         "POST https://dnsapi.cn/Record.Create\n" + podForm +
             "&domain=example.com&sub_domain=%40&record_type=AAAA"
             "&record_line=%E9%BB%98%E8%AE%A4&value=2001%3Adb8%3A%3A5"},
    };
    for (const auto& [request, shown] : cases) {
        EXPECT_EQ(request.method + " " + (request.secure ? "https://" : "http://") + request.host +
                      request.target + "\n" + request.headers + request.body,
                  shown);
        EXPECT_EQ(request.port, 0);
        EXPECT_EQ(request.replyLimit, ApiReplyLimit) << shown;
    }
}

HttpReply Reply(unsigned long status, const std::string& body, const std::string& headers = "") {
    return {ExchangeEnd::Replied, body, status, headers};
}

std::string CfError(const std::string& code, const std::string& message) {
    return R"({"success":false,"errors":[{"code":)" + code + R"(,"message":")" + message +
           R"("}],"messages":[],"result":null})";
}

std::string PodStatus(const std::string& code, const std::string& message = "") {
    return R"({"status":{"code":)" + code + R"(,"message":")" + message +
           R"(","created_at":"2026-01-18 16:53:23"}})";
}

std::string AliError(const std::string& code) {
    return R"({"RequestId":"1","HostId":"alidns.aliyuncs.com","Code":")" + code +
           R"(","Message":"m"})";
}

std::string TcError(const std::string& code) {
    return R"({"Response":{"Error":{"Code":")" + code + R"(","Message":"m"},"RequestId":"1"}})";
}

TEST(ApiReplies, EachFormOfEachProviderAsAVerdict) {
    const std::string page = "<html><body><h1>502 Bad Gateway</h1></body></html>";
    const struct {
        const char* provider;
        HttpReply reply;
        ApiVerdict::Kind kind;
        std::string code, message;
        std::int64_t retryAfter;
    } cases[] = {
        {"cloudflare", Reply(200, R"({"success":true,"errors":[],"result":{"id":"r1"}})"),
         ApiVerdict::Ok, "", "", 0},
        {"cloudflare", Reply(403, CfError("10000", "Authentication error")),
         ApiVerdict::NoPermission, "10000", "Authentication error", 0},
        {"cloudflare",
         Reply(400, R"({"success":false,"errors":[{"code":6003,"message":"Invalid request )"
                    R"(headers","error_chain":[{"code":6111,"message":"Invalid format"}]}]})"),
         ApiVerdict::BadKey, "6003", "Invalid request headers", 0},
        {"cloudflare", Reply(400, CfError("6111", "m")), ApiVerdict::BadKey, "6111", "m", 0},
        {"cloudflare", Reply(400, CfError("1000", "m")), ApiVerdict::BadKey, "1000", "m", 0},
        {"cloudflare", Reply(403, CfError("9109", "m")), ApiVerdict::BadKey, "9109", "m", 0},
        {"cloudflare", Reply(404, CfError("81044", "Record does not exist.")), ApiVerdict::NoRecord,
         "81044", "Record does not exist.", 0},
        {"cloudflare", Reply(400, CfError("81057", "m")), ApiVerdict::Unknown, "81057", "m", 0},
        {"cloudflare", Reply(400, CfError("81058", "m")), ApiVerdict::Unknown, "81058", "m", 0},
        {"cloudflare", Reply(400, CfError("1038", "m")), ApiVerdict::Locked, "1038", "m", 0},
        {"cloudflare",
         Reply(429, CfError("971", "Please wait"), "HTTP/1.1 429\r\nretry-after: 120\r\n"),
         ApiVerdict::Throttled, "971", "Please wait", 120},
        {"cloudflare", Reply(429, ""), ApiVerdict::Throttled, "", "", 0},
        {"cloudflare", Reply(502, page, "Retry-After: 30\r\n"), ApiVerdict::ProviderTrouble, "", "",
         30},
        {"cloudflare", Reply(500, CfError("10001", "m")), ApiVerdict::ProviderTrouble, "10001", "m",
         0},
        {"cloudflare", Reply(200, ""), ApiVerdict::Unknown, "", "", 0},
        {"cloudflare", Reply(200, R"({"success":tr)"), ApiVerdict::Unknown, "", "", 0},
        {"cloudflare", Reply(403, CfError("10000", "x"), "Retry-After: 60\r\n"),
         ApiVerdict::NoPermission, "10000", "x", 0},  // a wait only where one is due
        {"dnspod", Reply(200, PodStatus("\"1\"", R"(\u64cd\u4f5c\u5df2\u7ecf\u6210\u529f)")),
         ApiVerdict::Ok, "1", "", 0},
        {"dnspod", Reply(200, PodStatus("1")), ApiVerdict::Ok, "1", "", 0},
        {"dnspod", Reply(200, PodStatus("\"-1\"", R"(\u767b\u9646\u5931\u8d25)")),
         ApiVerdict::BadKey, "-1", "\xE7\x99\xBB\xE9\x99\x86\xE5\xA4\xB1\xE8\xB4\xA5", 0},
        {"dnspod", Reply(200, PodStatus("\"-8\"")), ApiVerdict::Blocked, "-8", "", 0},
        {"dnspod", Reply(200, PodStatus("\"-2\"")), ApiVerdict::Throttled, "-2", "", 0},
        {"dnspod", Reply(200, PodStatus("\"6\"")), ApiVerdict::NoSuchDomain, "6", "", 0},
        {"dnspod", Reply(200, PodStatus("\"7\"")), ApiVerdict::NoPermission, "7", "", 0},
        {"dnspod", Reply(200, PodStatus("\"9\"")), ApiVerdict::NoPermission, "9", "", 0},
        {"dnspod", Reply(200, PodStatus("\"8\"")), ApiVerdict::NoRecord, "8", "", 0},
        {"dnspod", Reply(200, PodStatus("\"10\"")), ApiVerdict::NoRecord, "10", "", 0},
        {"dnspod", Reply(200, PodStatus("\"21\"")), ApiVerdict::Locked, "21", "", 0},
        {"dnspod", Reply(200, PodStatus("\"26\"", "Record line invalid")), ApiVerdict::Unknown,
         "26", "Record line invalid", 0},
        {"dnspod", Reply(403, "<html><body>403 Forbidden</body></html>"), ApiVerdict::Unknown, "",
         "", 0},
        {"dnspod", Reply(503, ""), ApiVerdict::ProviderTrouble, "", "", 0},
        {"alidns", Reply(200, R"({"RequestId":"1","RecordId":"9"})"), ApiVerdict::Ok, "", "", 0},
        {"alidns", Reply(404, AliError("InvalidAccessKeyId.NotFound")), ApiVerdict::BadKey,
         "InvalidAccessKeyId.NotFound", "m", 0},
        {"alidns", Reply(400, AliError("SignatureDoesNotMatch")), ApiVerdict::BadKey,
         "SignatureDoesNotMatch", "m", 0},
        {"alidns", Reply(400, AliError("InvalidTimeStamp.Expired")), ApiVerdict::ClockWrong,
         "InvalidTimeStamp.Expired", "m", 0},
        {"alidns", Reply(400, AliError("Forbidden.RAM")), ApiVerdict::NoPermission, "Forbidden.RAM",
         "m", 0},
        {"alidns", Reply(400, AliError("IncorrectDomainUser")), ApiVerdict::NoSuchDomain,
         "IncorrectDomainUser", "m", 0},
        {"alidns", Reply(400, AliError("DomainRecordNotBelongToUser")), ApiVerdict::NoRecord,
         "DomainRecordNotBelongToUser", "m", 0},
        {"alidns", Reply(400, AliError("DomainRecordLocked")), ApiVerdict::Locked,
         "DomainRecordLocked", "m", 0},
        {"alidns", Reply(400, AliError("Throttling.User")), ApiVerdict::Throttled,
         "Throttling.User", "m", 0},
        {"alidns", Reply(400, AliError("DomainRecordDuplicate")), ApiVerdict::Unknown,
         "DomainRecordDuplicate", "m", 0},
        {"tencentcloud",
         Reply(200, R"({"Response":{"RecordId":9007199254740993,"RequestId":"1"}})"),
         ApiVerdict::Ok, "", "", 0},
        // Decided by the error's presence, not by the HTTP status.
        {"tencentcloud", Reply(200, TcError("AuthFailure.SecretIdNotFound")), ApiVerdict::BadKey,
         "AuthFailure.SecretIdNotFound", "m", 0},
        {"tencentcloud", Reply(200, TcError("AuthFailure.SignatureFailure")), ApiVerdict::BadKey,
         "AuthFailure.SignatureFailure", "m", 0},
        {"tencentcloud", Reply(200, TcError("AuthFailure.SignatureExpire")), ApiVerdict::ClockWrong,
         "AuthFailure.SignatureExpire", "m", 0},
        {"tencentcloud", Reply(200, TcError("AuthFailure.UnauthorizedOperation")),
         ApiVerdict::NoPermission, "AuthFailure.UnauthorizedOperation", "m", 0},
        {"tencentcloud", Reply(200, TcError("InvalidParameterValue.DomainNotExists")),
         ApiVerdict::NoSuchDomain, "InvalidParameterValue.DomainNotExists", "m", 0},
        {"tencentcloud", Reply(200, TcError("ResourceNotFound.NoDataOfRecord")),
         ApiVerdict::NoRecord, "ResourceNotFound.NoDataOfRecord", "m", 0},
        {"tencentcloud", Reply(200, TcError("FailedOperation.DomainIsLocked")), ApiVerdict::Locked,
         "FailedOperation.DomainIsLocked", "m", 0},
        {"tencentcloud", Reply(200, TcError("RequestLimitExceeded.UinLimitExceeded")),
         ApiVerdict::Throttled, "RequestLimitExceeded.UinLimitExceeded", "m", 0},
        {"huaweicloud", Reply(202, R"({"id":"ff80","status":"PENDING_UPDATE"})"), ApiVerdict::Ok,
         "", "", 0},
        {"huaweicloud",
         Reply(401, R"({"error_msg":"Incorrect IAM authentication information: verify aksk )"
                    R"(signature fail","error_code":"APIGW.0301"})"),
         ApiVerdict::BadKey, "APIGW.0301",
         "Incorrect IAM authentication information: verify aksk signature fail", 0},
        {"huaweicloud",
         Reply(401, R"({"error_msg":"calc aksk signature fail:signature expired","error_code":)"
                    R"("APIGW.0301"})"),
         ApiVerdict::ClockWrong, "APIGW.0301", "calc aksk signature fail:signature expired", 0},
        {"huaweicloud", Reply(429, R"({"error_msg":"m","error_code":"APIGW.0308"})"),
         ApiVerdict::Throttled, "APIGW.0308", "m", 0},
        {"huaweicloud", Reply(403, R"({"code":"DNS.0013","message":"m"})"),
         ApiVerdict::NoPermission, "DNS.0013", "m", 0},
        {"huaweicloud", Reply(403, R"({"code":"DNS.0014","message":"m"})"), ApiVerdict::Throttled,
         "DNS.0014", "m", 0},
        {"huaweicloud", Reply(404, R"({"code":"DNS.0004","message":"m"})"), ApiVerdict::NoRecord,
         "DNS.0004", "m", 0},
        {"huaweicloud",
         Reply(401, R"({"error_msg":"Incorrect IAM authentication information: AK access )"
                    R"(failed to reach the limit,forbidden.","error_code":"APIGW.0301"})"),
         ApiVerdict::Blocked, "APIGW.0301",
         "Incorrect IAM authentication information: AK access failed to reach the limit,forbidden.",
         0},
    };
    for (const auto& c : cases) {
        const ApiVerdict verdict = WithHttpStatus(RulesOf(c.provider).readChange(c.reply), c.reply);
        EXPECT_EQ(verdict.kind, c.kind) << c.reply.body;
        EXPECT_EQ(verdict.code, c.code) << c.reply.body;
        EXPECT_EQ(verdict.message, c.message) << c.reply.body;
        EXPECT_EQ(verdict.retryAfterSeconds, c.retryAfter) << c.reply.body;
    }
}

// Ids of 64 bits as written; DNSPod's ASCII form of a Chinese domain; its line by id.
TEST(ApiReplies, ZonesAndRecordsAsListed) {
    const struct {
        const char* provider;
        std::string zonesBody, recordsBody, zones, records;
    } cases[] = {
        {"cloudflare",
         R"({"success":true,"errors":[],"result":[{"id":"z1","name":"example.com","status":)"
         R"("active"},{"id":"z2","name":"example.com.cn"}],"result_info":{"count":2}})",
         R"({"success":true,"errors":[],"result":[{"id":"r1","name":"home.example.com","type":)"
         R"("A","content":"198.51.100.1","proxied":true,"ttl":1,"meta":{"id":"no"}}]})",
         "example.com=z1 example.com.cn=z2 ", "r1 home.example.com A 198.51.100.1 ttl 1 line  "},
        {"dnspod",
         R"({"status":{"code":"1"},"domains":[{"id":2238269,"punycode":"xn--vnqp08b.cn",)"
         R"("name":"\u6211\u4eec.cn"},{"id":"18446744073709551615","name":"example.com"}]})",
         R"({"status":{"code":"1"},"domain":{"id":"1","name":"example.com"},"records":[{"id":)"
         R"("9007199254740993","name":"@","line":"\u9ed8\u8ba4","line_id":"0","type":"AAAA",)"
         R"("ttl":"600","value":"2001:db8::1"}]})",
         "xn--vnqp08b.cn=2238269 example.com=18446744073709551615 ",
         "9007199254740993 @ AAAA 2001:db8::1 ttl 600 line 0 "},
        {"alidns",
         // Regression: a domain of Chinese letters was known by its Chinese name alone.
         R"({"TotalCount":2,"Domains":{"Domain":[{"DomainId":"d1","DomainName":"example.com",)"
         R"("PunyCode":""},{"DomainId":"d2","DomainName":"\u6211\u4eec.cn","PunyCode":)"
         R"("xn--vnqp08b.cn"}]}})",
         R"({"DomainRecords":{"Record":[{"RecordId":"1001","RR":"home","Type":"A","Value":)"
         R"("198.51.100.1","TTL":120,"Line":"telecom"}]}})",
         "example.com=example.com xn--vnqp08b.cn=xn--vnqp08b.cn ",
         "1001 home A 198.51.100.1 ttl 120 line telecom "},
        {"tencentcloud",
         R"({"Response":{"DomainList":[{"DomainId":5,"Name":"我们.cn","Punycode":)"
         R"("xn--vnqp08b.cn"}],"RequestId":"1"}})",
         R"({"Response":{"RecordList":[{"RecordId":9007199254740993,"Name":"home","Type":"A",)"
         R"("Value":"198.51.100.1","TTL":600,"Line":"电信","LineId":"10=0"}]}})",
         "xn--vnqp08b.cn=xn--vnqp08b.cn ",
         "9007199254740993 home A 198.51.100.1 ttl 600 line 10=0 "},
        {"huaweicloud", R"({"zones":[{"id":"ff80","name":"example.com."}],"metadata":{}})",
         R"({"recordsets":[{"id":"r9","name":"home.example.com.","type":"A","ttl":300,)"
         R"("records":["198.51.100.1","198.51.100.2"]}]})",
         "example.com.=ff80 ", "r9 home.example.com. A 198.51.100.1,198.51.100.2 ttl 300 line  "},
    };
    for (const auto& c : cases) {
        std::vector<ApiZone> zones;
        std::vector<ApiRecord> records;
        EXPECT_EQ(RulesOf(c.provider).readZones(Reply(200, c.zonesBody), zones).kind,
                  ApiVerdict::Ok);
        EXPECT_EQ(RulesOf(c.provider).readRecords(Reply(200, c.recordsBody), records).kind,
                  ApiVerdict::Ok);
        std::string listed;
        for (const ApiZone& zone : zones) listed += zone.name + "=" + zone.id + " ";
        EXPECT_EQ(listed, c.zones);
        listed.clear();
        for (const ApiRecord& r : records) {
            listed += r.id + " " + r.name + " " + r.type + " " + r.value + " ttl " + r.ttl +
                      " line " + r.line + " ";
        }
        EXPECT_EQ(listed, c.records);
    }
}

TEST(ZoneOf, TheLongestZoneThatEndsTheDomainAtADot) {
    const std::vector<ApiZone> zones = {{"example.com", "1"},
                                        {"example.com.cn", "2"},
                                        {"b.example.com", "3"},
                                        {"Example.NET.", "4"}};
    const struct {
        const char* domain;
        const char* zone;  // its id, or "" for none
    } cases[] = {
        {"example.com", "1"},
        {"a.example.com", "1"},
        {"x.b.example.com", "3"},
        {"b.example.com", "3"},
        {"a.b.example.com.cn", "2"},
        {"HOME.example.net", "4"},
        {"home.example.net.", "4"},
        {"notexample.com", ""},
        {"example.com.au", ""},
        {"com", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        const ApiZone* zone = ZoneOf(c.domain, zones);
        EXPECT_EQ(zone ? zone->id : "", c.zone) << c.domain;
    }
    const auto shown = [](const RecordName& n) { return n.full + " " + n.relative + " " + n.type; };
    EXPECT_EQ(shown(RecordNameOf("Home.Example.com", zones[0], "203.0.113.5")),
              "home.example.com home A");
    EXPECT_EQ(shown(RecordNameOf("a.b.example.com.cn", zones[1], "2001:db8::5")),
              "a.b.example.com.cn a.b AAAA");
    EXPECT_EQ(shown(RecordNameOf("example.net", zones[3], "2001:db8::5")), "example.net @ AAAA");
}

std::string ToCp936(const std::string& utf8) {
    iconv_t converter = iconv_open("CP936", "UTF-8");
    std::string in = utf8, out(utf8.size() * 2 + 8, '\0');
    char *from = in.data(), *to = out.data();
    std::size_t fromLeft = in.size(), toLeft = out.size();
    iconv(converter, &from, &fromLeft, &to, &toLeft);
    iconv_close(converter);
    out.resize(out.size() - toLeft);
    return out;
}

bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

template <typename... Replies>
std::vector<HttpReply> Answers(const Replies&... replies) {
    return {replies...};
}

std::string Repeated(const std::string& text, int times) {
    std::string repeated;
    while (times-- > 0) repeated += text;
    return repeated;
}

const std::string Good = "恭喜您,您的域名更新成功,当前IP为:";
const std::string Nochg = "您的域名无需更新,当前IP为:";
const HttpReply CfZones = Reply(200, R"({"success":true,"errors":[],"result":[{"id":"z1","name":)"
                                     R"("example.com"},{"id":"z2","name":"example.net"}]})");
const HttpReply CfDone = Reply(200, R"({"success":true,"errors":[],"result":{"id":"r1"}})");
const HttpReply PodZones =
    Reply(200, R"({"status":{"code":"1"},"domains":[{"id":7,"name":"example.com"}]})");

HttpReply CfRecords(const std::vector<std::string>& nameAndContent) {
    std::string records;
    for (std::size_t i = 0; i + 1 < nameAndContent.size(); i += 2) {
        records += std::string(i ? "," : "") + R"({"id":"r)" + std::to_string(i / 2) +
                   R"(","name":")" + nameAndContent[i] + R"(","type":"A","content":")" +
                   nameAndContent[i + 1] + R"(","ttl":1,"proxied":true})";
    }
    return Reply(200, R"({"success":true,"errors":[],"result":[)" + records + "]}");
}

// Each call is answered by the next reply (then by none) and costs costMs of the 25 s; calls
// show their budget where it is not the whole 10 s.
TEST(UpdateAtProvider, LooksUpThenChangesOrCreatesOnlyWhereDueAndTellsTheGravest) {
    const std::string ip = "203.0.113.5", zoneMissing = "API令牌可管理的域名中没有该域名,请检查!";
    const std::string trouble = "服务商暂时出现故障,请30分钟后再试!";
    const std::string refused = "服务商拒绝了请求,请到服务商控制台检查域名和记录: ";
    const std::string unreachable = "无法连接到服务器,请检查网络!";
    const HttpReply page = Reply(502, "<html><body>502 Bad Gateway</body></html>");
    const HttpReply none = CfRecords({}), homeCurrent = CfRecords({"home.example.com", ip});
    // Only the record of the name counts, in any case and with a final dot.
    const HttpReply current =
        CfRecords({"other.example.com", "198.51.100.1", "HOME.example.com.", ip});
    const HttpReply old = CfRecords({"other.example.com", ip, "home.example.com", "198.51.100.1"});
    const HttpReply gone = Reply(404, CfError("81044", "Record does not exist."));
    const std::string wrong = R"(\u9519)";  // 错
    // A first page as full as Cloudflare's get, a zone of the domain on it and a longer one on
    // the next.
    std::string fullPage;
    for (int i = 0; i < 49; ++i) {
        fullPage += R"({"id":"z)" + std::to_string(i) + R"(","name":"site)" + std::to_string(i) +
                    R"(.org"},)";
    }
    const HttpReply firstPage = Reply(200, R"({"success":true,"errors":[],"result":[)" + fullPage +
                                               R"({"id":"parent","name":"example.com"}]})");
    const HttpReply secondPage = Reply(
        200, R"({"success":true,"errors":[],"result":[{"id":"child","name":"lab.example.com"}]})");
    const struct {
        const char* provider;
        std::string domains, address;
        std::vector<HttpReply> replies;
        unsigned costMs;
        std::string calls, status;
        AnswerKind kind;
        std::int64_t retryAfter;
        std::string log;
    } cases[] = {
        {"cloudflare", "home.example.com", ip, Answers(CfZones, current), 0,
         "GET zones GET dns_records ", Nochg + ip, AnswerKind::Confirmed, 0, "无需更新"},
        {"cloudflare", "home.example.com", ip, Answers(CfZones, old, CfDone), 0,
         "GET zones GET dns_records PATCH r1 ", Good + ip, AnswerKind::Confirmed, 0, "已更新"},
        // Regression: an IPv6 address written otherwise was changed (Aliyun then refused the
        // change as a duplicate, and the watch paused).
        {"cloudflare", "home.example.com", "2001:db8::5",
         Answers(CfZones, Reply(200, R"({"success":true,"errors":[],"result":[{"id":"r1","name":)"
                                     R"("home.example.com","type":"AAAA","content":)"
                                     R"("2001:0DB8:0:0:0:0:0:5","ttl":1}]})")),
         0, "GET zones GET dns_records ", Nochg + "2001:db8::5", AnswerKind::Confirmed, 0,
         "无需更新"},
        {"cloudflare", "home.example.com", ip, Answers(CfZones, none, CfDone), 0,
         "GET zones GET dns_records POST dns_records ", Good + ip, AnswerKind::Confirmed, 0,
         "已创建"},
        // Regression: only the first page of zones was read, so the record went into the zone
        // above its own.
        {"cloudflare", "pc.lab.example.com", ip, Answers(firstPage, secondPage, none, CfDone), 0,
         "GET zones GET zones GET dns_records POST dns_records ", Good + ip, AnswerKind::Confirmed,
         0, "已创建"},
        // Gone between the look-up and the change: made anew.
        {"cloudflare", "home.example.com", ip, Answers(CfZones, old, gone, CfDone), 0,
         "GET zones GET dns_records PATCH r1 POST dns_records ", Good + ip, AnswerKind::Confirmed,
         0, "已创建"},
        {"cloudflare", "home.example.com, www.example.net", ip,
         Answers(CfZones, homeCurrent, CfRecords({"www.example.net", "198.51.100.1"}), CfDone), 0,
         "GET zones GET dns_records GET dns_records PATCH r0 ", Good + ip, AnswerKind::Confirmed, 0,
         "home.example.com: 无需更新; www.example.net: 已更新"},
        // The first that needs the user speaks, before the provider's trouble, which ends it.
        {"cloudflare", "a.example.org, b.example.org, www.example.net, home.example.com", ip,
         Answers(CfZones, page), 0, "GET zones GET dns_records ", "a.example.org: " + zoneMissing,
         AnswerKind::NeedsUser, 0,
         "a.example.org: (账户中没有该域名的区域); b.example.org: (账户中没有该域名的区域)"},
        {"cloudflare", "home.example.com,www.example.net", ip,
         Answers(CfZones, homeCurrent, Reply(503, "", "Retry-After: 600\r\n")), 0,
         "GET zones GET dns_records GET dns_records ", "www.example.net: " + trouble,
         AnswerKind::ProviderTrouble, 600, "home.example.com: 无需更新; www.example.net: HTTP 503"},
        {"cloudflare", "home.example.org", ip, Answers(CfZones), 0, "GET zones ", zoneMissing,
         AnswerKind::NeedsUser, 0, "(账户中没有该域名的区域)"},
        {"cloudflare", "home.example.com,www.example.net", ip,
         Answers(Reply(400, CfError("6003", "Invalid request headers"))), 0, "GET zones ",
         "API令牌无效或被服务商拒绝,请检查!", AnswerKind::NeedsUser, 0,
         "HTTP 400 6003 Invalid request headers"},
        {"cloudflare", "home.example.com", ip,
         Answers(CfZones, Reply(403, CfError("10000", "Authentication error"))), 0,
         "GET zones GET dns_records ", "API令牌无效或没有该域名的DNS编辑权限,请检查!",
         AnswerKind::NeedsUser, 0, "HTTP 403 10000 Authentication error"},
        {"cloudflare", "home.example.com", ip,
         Answers(Reply(429, CfError("971", "Please wait"), "retry-after: 120\r\n")), 0,
         "GET zones ", "访问服务商过于频繁,请稍后再试!", AnswerKind::ProviderTrouble, 120,
         "HTTP 429 971 Please wait"},
        {"cloudflare", "home.example.com", ip, Answers(), 0, "GET zones ", unreachable,
         AnswerKind::NoAnswer, 0, "(无应答)"},
        {"cloudflare", "home.example.com", ip, Answers(HttpReply{ExchangeEnd::Insecure, ""}), 0,
         "GET zones ",
         "无法建立安全连接,已取消更新!本系统的TLS可能太旧,请在\"Internet 选项 → "
         "高级\"中勾选\"使用 TLS 1.2\"后再试。",
         AnswerKind::NoAnswer, 0, "(未建立安全连接)"},
        // Each call within what is left of the 25 s, and none once they are spent.
        {"cloudflare", "home.example.com", ip, Answers(CfZones, none, CfDone), 9000,
         "GET zones GET dns_records POST dns_records@7000 ", Good + ip, AnswerKind::Confirmed, 0,
         "已创建"},
        {"cloudflare", "home.example.com", ip, Answers(CfZones, none), 13000,
         "GET zones GET dns_records ", unreachable, AnswerKind::NoAnswer, 0, "(超时,未发送)"},
        {"cloudflare", "home.example.com", "", Answers(), 0, "", ApiAddressNeededText,
         AnswerKind::NeedsUser, 0, "(未发送)"},
        {"dnspod", "example.com", "2001:db8::5",
         Answers(PodZones, Reply(200, PodStatus("\"10\"")), Reply(200, PodStatus("\"1\""))), 0,
         "POST Domain.List POST Record.List POST Record.Create ", Good + "2001:db8::5",
         AnswerKind::Confirmed, 0, "已创建"},
        // The provider's Chinese in the ANSI code page.
        {"dnspod", "home.example.com", ip,
         Answers(PodZones, Reply(200, PodStatus("\"21\"", R"(\u57df\u540d\u88ab\u9501\u5b9a)"))), 0,
         "POST Domain.List POST Record.List ",
         "该域名或记录被服务商锁定,不能通过API修改,请到服务商控制台处理!", AnswerKind::NeedsUser, 0,
         "21 域名被锁定"},
        // Regression: the token that a provider echoes, as sent or percent-encoded (the ID of a
        // DNSPod token is no secret).
        {"dnspod", "home.example.com", ip,
         Answers(Reply(200, PodStatus("\"-99\"", "12345,tok3n%2F%2BSecret is no tok3n\\/+Secret"))),
         0, "POST Domain.List ", refused + "-99 12345,*** is no ***", AnswerKind::NeedsUser, 0,
         "-99 12345,*** is no ***"},
        // Cut on a character's boundary: 80 bytes in the log, 60 of the message in the status.
        {"dnspod", "home.example.com", ip,
         Answers(PodZones, Reply(200, PodStatus("\"26\"", Repeated(wrong, 40)))), 0,
         "POST Domain.List POST Record.List ", refused + "26 " + Repeated("错", 28),
         AnswerKind::NeedsUser, 0, "26 " + Repeated("错", 38)},
    };
    for (const auto& c : cases) {
        std::string calls;
        unsigned clock = 0;
        std::size_t next = 0;
        ApiExchanges exchanges;
        exchanges.exchange = [&](const HttpRequest& request, unsigned budgetMs) {
            const std::string path = request.target.substr(0, request.target.find('?'));
            calls += request.method + " " + path.substr(path.rfind('/') + 1) +
                     (budgetMs == ApiCallBudgetMs ? "" : "@" + std::to_string(budgetMs)) + " ";
            clock += c.costMs;
            return next < c.replies.size() ? c.replies[next++] : HttpReply{};
        };
        exchanges.elapsedMs = [&clock] { return clock; };
        exchanges.toAnsi = ToCp936;
        exchanges.isLeadByte = IsGbkLeadByte;
        const UpdateAnswer update =
            UpdateAtProvider(*ApiProviderOf(c.provider), Context, c.domains, c.address, exchanges);
        EXPECT_EQ(calls, c.calls) << c.domains;
        EXPECT_EQ(update.outcome.statusText.value_or("?"), c.status) << c.domains;
        EXPECT_EQ(update.outcome.kind, c.kind) << c.status;
        EXPECT_EQ(update.outcome.retryAfterSeconds, c.retryAfter) << c.status;
        EXPECT_EQ(update.logAnswer, c.log) << c.status;
        EXPECT_EQ((update.outcome.statusText.value_or("") + update.logAnswer).find("tok3n"),
                  std::string::npos);
    }
}

}  // namespace
