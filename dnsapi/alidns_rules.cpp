// 阿里云解析 (Alibaba Cloud DNS), RPC API version 2015-01-09: every call a POST to
// https://alidns.aliyuncs.com/ with its parameters in the query, signed ACS3-HMAC-SHA256 with
// the AccessKey secret; every reply JSON, an error {"Code":"…","Message":"…"}.
#include "dnsapi/alidns_rules.h"

#include "dnsapi/api_providers.h"
#include "dnsapi/json_rules.h"

namespace {

constexpr char Host[] = "alidns.aliyuncs.com";
constexpr char Version[] = "2015-01-09";

constexpr ProviderCode ErrorCodes[] = {
    {"InvalidAccessKeyId*", ApiVerdict::BadKey},    // no such AccessKey ID
    {"SignatureDoesNotMatch", ApiVerdict::BadKey},  // a wrong secret
    {"IncompleteSignature", ApiVerdict::BadKey},
    {"InvalidTimeStamp.Expired", ApiVerdict::ClockWrong},
    {"Forbidden*", ApiVerdict::NoPermission},               // the RAM user may not use AliDNS
    {"IncorrectDomainUser", ApiVerdict::NoSuchDomain},      // another account's domain
    {"DomainRecordNotBelongToUser", ApiVerdict::NoRecord},  // the record is gone
    {"InvalidDomainName.NoExist", ApiVerdict::NoSuchDomain},
    {"DomainRecordLocked", ApiVerdict::Locked},
    {"Throttling*", ApiVerdict::Throttled},
};

// The call of the action with its parameters, signed for the moment it is made.
HttpRequest Call(const ApiContext& context, const char* action, const NameValues& parameters) {
    HttpRequest request;
    request.host = Host;
    request.method = "POST";
    request.target = "/?" + QueryOf(parameters);
    request.replyLimit = ApiReplyLimit;
    request.headers =
        AcsSignedHeaders(context.sha256, context.keyId, context.secret, Host, action, Version,
                         IsoTimeOf(context.now()), context.nonce(), parameters, "");
    return request;
}

ApiVerdict VerdictOf(const JsonReply& json, const HttpReply& reply) {
    ApiVerdict verdict;
    const std::string code = json.Root()["Code"].Scalar();
    if (reply.status == 200 && json.Readable() && code.empty()) {
        verdict.kind = ApiVerdict::Ok;
        return verdict;
    }
    verdict.code = code;
    verdict.message = json.Root()["Message"].Text().value_or("");
    verdict.kind = KindOfCode(code, ErrorCodes);
    return verdict;
}

// A hundred a page, the most the API gives; pages count from 1.
HttpRequest ZonesRequest(const ApiContext& context, int page) {
    return Call(context, "DescribeDomains",
                {{"PageNumber", std::to_string(page + 1)}, {"PageSize", "100"}});
}

ApiVerdict ReadZones(const HttpReply& reply, std::vector<ApiZone>& zones) {
    const JsonReply json(reply.body);
    const ApiVerdict verdict = VerdictOf(json, reply);
    if (verdict.kind != ApiVerdict::Ok) return verdict;
    for (const JsonValue& domain : json.Root()["Domains"]["Domain"].Items()) {
        const std::string name = ZoneNameOf(domain, "PunyCode", "DomainName");
        zones.push_back({name, name});
    }
    return verdict;
}

// By the whole name and its zone, so that a zone of three labels (example.com.cn) is found.
HttpRequest RecordsRequest(const ApiContext& context, const ApiZone& zone, const RecordName& name) {
    return Call(context, "DescribeSubDomainRecords",
                {{"SubDomain", name.full}, {"DomainName", zone.name}, {"Type", name.type}});
}

// Names are listed before the zone ("www", "@" for the zone's own).
ApiVerdict ReadRecords(const HttpReply& reply, std::vector<ApiRecord>& records) {
    const JsonReply json(reply.body);
    const ApiVerdict verdict = VerdictOf(json, reply);
    if (verdict.kind != ApiVerdict::Ok) return verdict;
    for (const JsonValue& record : json.Root()["DomainRecords"]["Record"].Items()) {
        records.push_back({record["RecordId"].Scalar(), record["RR"].Scalar(),
                           record["Type"].Scalar(), record["Value"].Scalar(),
                           record["TTL"].Scalar(), record["Line"].Text().value_or("")});
    }
    return verdict;
}

// The record's own TTL and line go back with it: without them it would get 600 and the
// default line.
HttpRequest ChangeRequest(const ApiContext& context, const ApiZone&, const ApiRecord& record,
                          const std::string& address) {
    NameValues parameters = {
        {"RecordId", record.id}, {"RR", record.name}, {"Type", record.type}, {"Value", address}};
    if (!record.ttl.empty()) parameters.push_back({"TTL", record.ttl});
    if (!record.line.empty()) parameters.push_back({"Line", record.line});
    return Call(context, "UpdateDomainRecord", parameters);
}

HttpRequest CreateRequest(const ApiContext& context, const ApiZone& zone, const RecordName& name,
                          const std::string& address) {
    return Call(context, "AddDomainRecord",
                {{"DomainName", zone.name},
                 {"RR", name.relative},
                 {"Type", name.type},
                 {"Value", address}});
}

ApiVerdict ReadChange(const HttpReply& reply) { return VerdictOf(JsonReply(reply.body), reply); }

}  // namespace

std::string AcsSignedHeaders(Sha256Function sha256, const std::string& keyId,
                             const std::string& secret, const std::string& host,
                             const std::string& action, const std::string& version,
                             const std::string& isoTime, const std::string& nonce,
                             const NameValues& query, const std::string& body) {
    const NameValues headers = {{"host", host},
                                {"x-acs-action", action},
                                {"x-acs-content-sha256", Sha256Hex(sha256, body)},
                                {"x-acs-date", isoTime},
                                {"x-acs-signature-nonce", nonce},
                                {"x-acs-version", version}};
    const CanonicalRequest canonical =
        CanonicalRequestOf(sha256, "POST", "/", query, headers, body);
    const std::string toSign = "ACS3-HMAC-SHA256\n" + Sha256Hex(sha256, canonical.text);
    const NameValues sent(headers.begin() + 1, headers.end());  // the Host line is WinINet's
    return HeaderLines(sent) + "Authorization: ACS3-HMAC-SHA256 Credential=" + keyId +
           ",SignedHeaders=" + canonical.signedHeaders +
           ",Signature=" + HexOf(HmacSha256(sha256, secret, toSign)) + "\r\n";
}

const ApiRules AlidnsRules = {ZonesRequest,  ReadZones,     RecordsRequest, ReadRecords,
                              ChangeRequest, CreateRequest, ReadChange,     100};
