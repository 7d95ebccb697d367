// DNSPod's own API (the DNSPod Token): every call a POST of a UTF-8 form to
// https://dnsapi.cn/<Action>; every reply {"status":{"code":"1","message":"…"},…}, "1" the
// success and any other code a string.
//
// DNSPod asks for a User-Agent "Program/Version (contact)": Kivo's own, "Kivo/<version>
// (<e-mail>)", is of that form, so it is sent as it is (a second User-Agent line of the
// request's own could reach the provider twice).
#include "dnsapi/api_providers.h"
#include "dnsapi/json_rules.h"

namespace {

constexpr char Host[] = "dnsapi.cn";
// JSON with messages in Chinese; an empty list is a success, not an error.
constexpr char CommonFields[] = "&format=json&lang=cn&error_on_empty=no";
// "默认", the line every resolver gets, in UTF-8 as the form is sent.
constexpr char DefaultLine[] = "\xE9\xBB\x98\xE8\xAE\xA4";

constexpr ProviderCode StatusCodes[] = {
    {"-1", ApiVerdict::BadKey},       // login failed: 30 in 5 minutes block the account
    {"-8", ApiVerdict::Blocked},      // blocked for an hour after failed logins
    {"-2", ApiVerdict::Throttled},    // over the API's limit
    {"6", ApiVerdict::NoSuchDomain},  // no such domain
    {"7", ApiVerdict::NoPermission},  // not the domain's owner, or no permission
    {"9", ApiVerdict::NoPermission},  //   for it
    {"8", ApiVerdict::NoRecord},      // the record is gone
    {"10", ApiVerdict::NoRecord},     // the name has no records
    {"21", ApiVerdict::Locked},       // the domain is locked
};

std::string Field(const char* name, const std::string& value) {
    return std::string("&") + name + "=" + PercentEncode(value);
}

HttpRequest Call(const ApiContext& context, const char* action, const std::string& fields) {
    HttpRequest request;
    request.host = Host;
    request.target = std::string("/") + action;
    request.method = "POST";
    request.headers = "Content-Type: application/x-www-form-urlencoded\r\n";
    request.body = "login_token=" + PercentEncode(context.keyId) + "," +
                   PercentEncode(context.secret) + CommonFields + fields;
    request.replyLimit = ApiReplyLimit;
    return request;
}

ApiVerdict VerdictOf(const JsonReply& json) {
    ApiVerdict verdict;
    const JsonValue status = json.Root()["status"];
    verdict.code = status["code"].Scalar();
    if (verdict.code == "1") {
        verdict.kind = ApiVerdict::Ok;
        return verdict;
    }
    verdict.message = status["message"].Text().value_or("");
    verdict.kind = KindOfCode(verdict.code, StatusCodes);
    return verdict;
}

// Every zone in one call (up to 3000).
HttpRequest ZonesRequest(const ApiContext& context, int) {
    return Call(context, "Domain.List", "");
}

ApiVerdict ReadZones(const HttpReply& reply, std::vector<ApiZone>& zones) {
    const JsonReply json(reply.body);
    const ApiVerdict verdict = VerdictOf(json);
    if (verdict.kind != ApiVerdict::Ok) return verdict;
    for (const JsonValue& domain : json.Root()["domains"].Items()) {
        zones.push_back({ZoneNameOf(domain, "punycode", "name"), domain["id"].Scalar()});
    }
    return verdict;
}

HttpRequest RecordsRequest(const ApiContext& context, const ApiZone& zone, const RecordName& name) {
    return Call(context, "Record.List",
                Field("domain", zone.name) + Field("sub_domain", name.relative) +
                    Field("record_type", name.type));
}

// Names are listed before the zone ("www", "@" for the zone's own); the line by its id.
ApiVerdict ReadRecords(const HttpReply& reply, std::vector<ApiRecord>& records) {
    const JsonReply json(reply.body);
    const ApiVerdict verdict = VerdictOf(json);
    if (verdict.kind != ApiVerdict::Ok) return verdict;
    for (const JsonValue& record : json.Root()["records"].Items()) {
        records.push_back({record["id"].Scalar(), record["name"].Scalar(), record["type"].Scalar(),
                           record["value"].Scalar(), record["ttl"].Scalar(),
                           record["line_id"].Scalar()});
    }
    return verdict;
}

// The record's own line and TTL go back with it: without a TTL the record would get 600.
HttpRequest ChangeRequest(const ApiContext& context, const ApiZone& zone, const ApiRecord& record,
                          const std::string& address) {
    return Call(context, "Record.Modify",
                Field("domain", zone.name) + Field("record_id", record.id) +
                    Field("sub_domain", record.name) + Field("record_type", record.type) +
                    Field("record_line_id", record.line) + Field("value", address) +
                    (record.ttl.empty() ? "" : Field("ttl", record.ttl)));
}

HttpRequest CreateRequest(const ApiContext& context, const ApiZone& zone, const RecordName& name,
                          const std::string& address) {
    return Call(context, "Record.Create",
                Field("domain", zone.name) + Field("sub_domain", name.relative) +
                    Field("record_type", name.type) + Field("record_line", DefaultLine) +
                    Field("value", address));
}

ApiVerdict ReadChange(const HttpReply& reply) { return VerdictOf(JsonReply(reply.body)); }

}  // namespace

const ApiRules DnspodRules = {ZonesRequest,  ReadZones,     RecordsRequest, ReadRecords,
                              ChangeRequest, CreateRequest, ReadChange,     0};
