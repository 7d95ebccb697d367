// 华为云解析 (Huawei Cloud DNS): REST calls to https://dns.myhuaweicloud.com signed
// SDK-HMAC-SHA256 with the SK; names are written with a final dot; an error of the gateway
// {"error_code":"APIGW.…","error_msg":"…"}, of the DNS service {"code":"DNS.…","message":"…"}.
#include "dnsapi/huaweicloud_rules.h"

#include <algorithm>

#include "dnsapi/api_providers.h"
#include "dnsapi/json_rules.h"

namespace {

constexpr char Host[] = "dns.myhuaweicloud.com";
constexpr char ContentType[] = "application/json";

constexpr ProviderCode ErrorCodes[] = {
    {"APIGW.0301", ApiVerdict::BadKey},     // a wrong AK or SK: 5 in a row lock the AK
    {"APIGW.0308", ApiVerdict::Throttled},  // the gateway's flow control
    {"DNS.0014", ApiVerdict::Throttled},    // the service's flow control
    {"DNS.0005", ApiVerdict::NoPermission}, {"DNS.0013", ApiVerdict::NoPermission},
    {"DNS.0101", ApiVerdict::NoSuchDomain},  // no such zone
    {"DNS.0004", ApiVerdict::NoRecord},      // the record set is gone
};

std::string RecordSets(const ApiZone& zone) {
    return "/v2.1/zones/" + PercentEncode(zone.id) + "/recordsets";
}

HttpRequest Call(const ApiContext& context, const char* method, const std::string& path,
                 const NameValues& query = {}, const std::string& json = "") {
    HttpRequest request;
    request.host = Host;
    request.method = method;
    request.target = path + (query.empty() ? "" : "?" + QueryOf(query));
    request.body = json;
    request.replyLimit = ApiReplyLimit;
    request.headers = SdkSignedHeaders(context.sha256, context.keyId, context.secret, Host, method,
                                       path, query, CompactTimeOf(context.now()), json);
    return request;
}

ApiVerdict VerdictOf(const JsonReply& json, const HttpReply& reply) {
    ApiVerdict verdict;
    const JsonValue root = json.Root();
    verdict.code = root["error_code"].Scalar();
    verdict.message = root["error_msg"].Text().value_or("");
    if (verdict.code.empty()) {
        verdict.code = root["code"].Scalar();
        verdict.message = root["message"].Text().value_or("");
    }
    if ((reply.status == 200 || reply.status == 202) && json.Readable() && verdict.code.empty()) {
        verdict.kind = ApiVerdict::Ok;
        return verdict;
    }
    verdict.kind = KindOfCode(verdict.code, ErrorCodes);
    // The gateway refuses a signature too far in time, and an AK locked for 5 minutes
    // after 5 refusals, with the code of a wrong one.
    if (verdict.kind == ApiVerdict::BadKey) {
        if (verdict.message.find("signature expired") != std::string::npos) {
            verdict.kind = ApiVerdict::ClockWrong;
        } else if (verdict.message.find("reach the limit") != std::string::npos) {
            verdict.kind = ApiVerdict::Blocked;
        }
    }
    return verdict;
}

// Five hundred a page, the most the API gives.
HttpRequest ZonesRequest(const ApiContext& context, int page) {
    return Call(context, "GET", "/v2/zones",
                {{"type", "public"}, {"limit", "500"}, {"offset", std::to_string(page * 500)}});
}

ApiVerdict ReadZones(const HttpReply& reply, std::vector<ApiZone>& zones) {
    const JsonReply json(reply.body);
    const ApiVerdict verdict = VerdictOf(json, reply);
    if (verdict.kind != ApiVerdict::Ok) return verdict;
    for (const JsonValue& zone : json.Root()["zones"].Items()) {
        zones.push_back({zone["name"].Scalar(), zone["id"].Scalar()});
    }
    return verdict;
}

HttpRequest RecordsRequest(const ApiContext& context, const ApiZone& zone, const RecordName& name) {
    return Call(context, "GET", RecordSets(zone),
                {{"name", name.full + "."}, {"type", name.type}, {"search_mode", "equal"}});
}

// A record set may hold several addresses: it holds this one alone, or gets it alone.
ApiVerdict ReadRecords(const HttpReply& reply, std::vector<ApiRecord>& records) {
    const JsonReply json(reply.body);
    const ApiVerdict verdict = VerdictOf(json, reply);
    if (verdict.kind != ApiVerdict::Ok) return verdict;
    for (const JsonValue& set : json.Root()["recordsets"].Items()) {
        std::string values;
        for (const JsonValue& value : set["records"].Items()) {
            values += (values.empty() ? "" : ",") + value.Scalar();
        }
        records.push_back({set["id"].Scalar(), set["name"].Scalar(), set["type"].Scalar(), values,
                           set["ttl"].Scalar(), ""});
    }
    return verdict;
}

std::string RecordSetJson(const std::string& name, const std::string& type,
                          const std::string& address, const std::string& ttl) {
    return "{\"name\":" + JsonQuoted(name) + ",\"type\":" + JsonQuoted(type) + ",\"records\":[" +
           JsonQuoted(address) + "]" + (ttl.empty() ? "" : ",\"ttl\":" + JsonNumber(ttl)) + "}";
}

// The record set's own TTL goes back with it.
HttpRequest ChangeRequest(const ApiContext& context, const ApiZone& zone, const ApiRecord& record,
                          const std::string& address) {
    return Call(context, "PUT", RecordSets(zone) + "/" + PercentEncode(record.id), {},
                RecordSetJson(record.name, record.type, address, record.ttl));
}

HttpRequest CreateRequest(const ApiContext& context, const ApiZone& zone, const RecordName& name,
                          const std::string& address) {
    return Call(context, "POST", RecordSets(zone), {},
                RecordSetJson(name.full + ".", name.type, address, ""));
}

ApiVerdict ReadChange(const HttpReply& reply) { return VerdictOf(JsonReply(reply.body), reply); }

}  // namespace

std::string SdkCanonicalUri(const std::string& path) {
    std::string uri;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        uri += PercentEncode(path.substr(at, end - at));
        if (end < path.size()) uri += '/';
        at = end + 1;
    }
    return uri.empty() || uri.back() != '/' ? uri + "/" : uri;
}

std::string SdkSignedHeaders(Sha256Function sha256, const std::string& accessKey,
                             const std::string& secretKey, const std::string& host,
                             const std::string& method, const std::string& path,
                             const NameValues& query, const std::string& sdkDate,
                             const std::string& body) {
    const CanonicalRequest canonical = CanonicalRequestOf(
        sha256, method, SdkCanonicalUri(path), query,
        {{"content-type", ContentType}, {"host", host}, {"x-sdk-date", sdkDate}}, body);
    const std::string toSign =
        "SDK-HMAC-SHA256\n" + sdkDate + "\n" + Sha256Hex(sha256, canonical.text);
    return HeaderLines({{"Content-Type", ContentType}, {"X-Sdk-Date", sdkDate}}) +
           "Authorization: SDK-HMAC-SHA256 Access=" + accessKey +
           ", SignedHeaders=" + canonical.signedHeaders +
           ", Signature=" + HexOf(HmacSha256(sha256, secretKey, toSign)) + "\r\n";
}

const ApiRules HuaweicloudRules = {ZonesRequest,  ReadZones,     RecordsRequest, ReadRecords,
                                   ChangeRequest, CreateRequest, ReadChange,     500};
