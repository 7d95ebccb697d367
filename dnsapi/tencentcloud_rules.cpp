// 腾讯云 DNSPod through Tencent Cloud's API 3.0 (version 2021-03-23): every call a POST of
// a JSON body to https://dnspod.tencentcloudapi.com/, signed TC3-HMAC-SHA256 with the
// SecretKey; every reply {"Response":{…}}, an error {"Response":{"Error":{"Code":…}}}
// whatever the HTTP status.
#include "dnsapi/tencentcloud_rules.h"

#include "dnsapi/api_providers.h"
#include "dnsapi/json_rules.h"

namespace {

constexpr char Host[] = "dnspod.tencentcloudapi.com";
constexpr char Service[] = "dnspod";
constexpr char Version[] = "2021-03-23";
constexpr char ContentType[] = "application/json";
// "默认", the line every resolver gets, in UTF-8 as the body is sent.
constexpr char DefaultLine[] = "\xE9\xBB\x98\xE8\xAE\xA4";

constexpr ProviderCode ErrorCodes[] = {
    {"AuthFailure.SignatureExpire", ApiVerdict::ClockWrong},  // 5 minutes off
    {"AuthFailure.UnauthorizedOperation", ApiVerdict::NoPermission},
    {"UnauthorizedOperation*", ApiVerdict::NoPermission},
    {"AuthFailure*", ApiVerdict::BadKey},  // no such SecretId, a wrong SecretKey
    {"InvalidParameterValue.DomainNotExists", ApiVerdict::NoSuchDomain},
    {"ResourceNotFound.NoDataOfDomain", ApiVerdict::NoSuchDomain},
    {"ResourceNotFound.NoDataOfRecord", ApiVerdict::NoRecord},
    {"InvalidParameter.RecordIdInvalid", ApiVerdict::NoRecord},  // the record is gone
    {"FailedOperation.DomainIsLocked", ApiVerdict::Locked},
    {"RequestLimitExceeded*", ApiVerdict::Throttled},
    {"InternalError*", ApiVerdict::ProviderTrouble},
};

HttpRequest Call(const ApiContext& context, const char* action, const std::string& json) {
    HttpRequest request;
    request.host = Host;
    request.method = "POST";
    request.target = "/";
    request.body = json;
    request.replyLimit = ApiReplyLimit;
    request.headers = Tc3SignedHeaders(context.sha256, context.keyId, context.secret, Host, Service,
                                       action, Version, context.now(), ContentType, json);
    return request;
}

ApiVerdict VerdictOf(const JsonReply& json) {
    ApiVerdict verdict;
    const JsonValue response = json.Root()["Response"];
    const JsonValue error = response["Error"];
    if (response.Present() && !error.Present()) {
        verdict.kind = ApiVerdict::Ok;
        return verdict;
    }
    verdict.code = error["Code"].Scalar();
    verdict.message = error["Message"].Text().value_or("");
    verdict.kind = KindOfCode(verdict.code, ErrorCodes);
    return verdict;
}

// Every zone in one call (up to 3000).
HttpRequest ZonesRequest(const ApiContext& context, int) {
    return Call(context, "DescribeDomainList", "{}");
}

// Domain takes the zone's ASCII form.
ApiVerdict ReadZones(const HttpReply& reply, std::vector<ApiZone>& zones) {
    const JsonReply json(reply.body);
    const ApiVerdict verdict = VerdictOf(json);
    if (verdict.kind != ApiVerdict::Ok) return verdict;
    for (const JsonValue& domain : json.Root()["Response"]["DomainList"].Items()) {
        const std::string name = ZoneNameOf(domain, "Punycode", "Name");
        zones.push_back({name, name});
    }
    return verdict;
}

HttpRequest RecordsRequest(const ApiContext& context, const ApiZone& zone, const RecordName& name) {
    return Call(context, "DescribeRecordList",
                "{\"Domain\":" + JsonQuoted(zone.id) + ",\"Subdomain\":" +
                    JsonQuoted(name.relative) + ",\"RecordType\":" + JsonQuoted(name.type) + "}");
}

// Names are listed before the zone ("www", "@" for the zone's own); the line by its id.
ApiVerdict ReadRecords(const HttpReply& reply, std::vector<ApiRecord>& records) {
    const JsonReply json(reply.body);
    const ApiVerdict verdict = VerdictOf(json);
    if (verdict.kind != ApiVerdict::Ok) return verdict;
    for (const JsonValue& record : json.Root()["Response"]["RecordList"].Items()) {
        records.push_back({record["RecordId"].Scalar(), record["Name"].Scalar(),
                           record["Type"].Scalar(), record["Value"].Scalar(),
                           record["TTL"].Scalar(), record["LineId"].Scalar()});
    }
    return verdict;
}

// The record's own line (by its id, which wins over the name) and TTL go back with it.
HttpRequest ChangeRequest(const ApiContext& context, const ApiZone& zone, const ApiRecord& record,
                          const std::string& address) {
    std::string json =
        "{\"Domain\":" + JsonQuoted(zone.id) + ",\"SubDomain\":" + JsonQuoted(record.name) +
        ",\"RecordType\":" + JsonQuoted(record.type) + ",\"RecordLine\":" + JsonQuoted(DefaultLine);
    if (!record.line.empty()) json += ",\"RecordLineId\":" + JsonQuoted(record.line);
    json += ",\"Value\":" + JsonQuoted(address) + ",\"RecordId\":" + JsonNumber(record.id);
    if (!record.ttl.empty()) json += ",\"TTL\":" + JsonNumber(record.ttl);
    return Call(context, "ModifyRecord", json + "}");
}

HttpRequest CreateRequest(const ApiContext& context, const ApiZone& zone, const RecordName& name,
                          const std::string& address) {
    return Call(context, "CreateRecord",
                "{\"Domain\":" + JsonQuoted(zone.id) + ",\"SubDomain\":" +
                    JsonQuoted(name.relative) + ",\"RecordType\":" + JsonQuoted(name.type) +
                    ",\"RecordLine\":" + JsonQuoted(DefaultLine) +
                    ",\"Value\":" + JsonQuoted(address) + "}");
}

ApiVerdict ReadChange(const HttpReply& reply) { return VerdictOf(JsonReply(reply.body)); }

}  // namespace

std::string Tc3Scope(std::int64_t timestamp, const std::string& service) {
    return DateOf(timestamp) + "/" + service + "/tc3_request";
}

std::string Tc3SignedHeaders(Sha256Function sha256, const std::string& secretId,
                             const std::string& secretKey, const std::string& host,
                             const std::string& service, const std::string& action,
                             const std::string& version, std::int64_t timestamp,
                             const std::string& contentType, const std::string& body) {
    const CanonicalRequest canonical = CanonicalRequestOf(
        sha256, "POST", "/", {}, {{"content-type", contentType}, {"host", host}}, body);
    const std::string scope = Tc3Scope(timestamp, service);
    const std::string toSign = "TC3-HMAC-SHA256\n" + std::to_string(timestamp) + "\n" + scope +
                               "\n" + Sha256Hex(sha256, canonical.text);
    const std::string dateKey = HmacSha256(sha256, "TC3" + secretKey, DateOf(timestamp));
    const std::string signingKey =
        HmacSha256(sha256, HmacSha256(sha256, dateKey, service), "tc3_request");
    return HeaderLines({{"Content-Type", contentType},
                        {"X-TC-Action", action},
                        {"X-TC-Timestamp", std::to_string(timestamp)},
                        {"X-TC-Version", version}}) +
           "Authorization: TC3-HMAC-SHA256 Credential=" + secretId + "/" + scope +
           ", SignedHeaders=" + canonical.signedHeaders +
           ", Signature=" + HexOf(HmacSha256(sha256, signingKey, toSign)) + "\r\n";
}

const ApiRules TencentcloudRules = {ZonesRequest,  ReadZones,     RecordsRequest, ReadRecords,
                                    ChangeRequest, CreateRequest, ReadChange,     0};
