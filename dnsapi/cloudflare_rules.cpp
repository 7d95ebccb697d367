// Cloudflare's API v4: an API token as "Authorization: Bearer", JSON both ways, every reply
// {"success":bool,"errors":[{"code":n,"message":"…"}],"result":…}.
#include "dnsapi/api_providers.h"
#include "dnsapi/json_rules.h"

namespace {

constexpr char Host[] = "api.cloudflare.com";
constexpr char Zones[] = "/client/v4/zones";

// The codes of the first error that Kivo acts on; any other is told with its message (81057
// and 81058, a record that exists already, among them).
constexpr ProviderCode ErrorCodes[] = {
    {"1000", ApiVerdict::BadKey},         // an unknown token
    {"6003", ApiVerdict::BadKey},         // the Authorization header is malformed (6111), as
    {"6111", ApiVerdict::BadKey},         //   where a Global API Key is given as a token
    {"9109", ApiVerdict::BadKey},         // the token may not be used from this address
    {"10000", ApiVerdict::NoPermission},  // the token may not reach this zone or its records
    {"81044", ApiVerdict::NoRecord},      // the record is gone
    {"1038", ApiVerdict::Locked},         // a zone of a free TLD, not to be changed by the API
    {"971", ApiVerdict::Throttled},       // 1200 calls in 5 minutes
};

HttpRequest Call(const ApiContext& context, const char* method, const std::string& target,
                 const std::string& json = "") {
    HttpRequest request;
    request.host = Host;
    request.target = target;
    request.method = method;
    request.headers = "Authorization: Bearer " + context.secret + "\r\n";
    if (!json.empty()) request.headers += "Content-Type: application/json\r\n";
    request.body = json;
    request.replyLimit = ApiReplyLimit;
    return request;
}

std::string RecordsOf(const ApiZone& zone) {
    return std::string(Zones) + "/" + PercentEncode(zone.id) + "/dns_records";
}

// Success, or the first error's code and message.
ApiVerdict VerdictOf(const JsonReply& json) {
    ApiVerdict verdict;
    const JsonValue root = json.Root();
    if (root["success"].Flag() == true) {
        verdict.kind = ApiVerdict::Ok;
        return verdict;
    }
    const std::vector<JsonValue> errors = root["errors"].Items();
    if (errors.empty()) return verdict;
    verdict.code = errors[0]["code"].Scalar();
    verdict.message = errors[0]["message"].Text().value_or("");
    verdict.kind = KindOfCode(verdict.code, ErrorCodes);
    return verdict;
}

// Every zone the token reaches; a token made for one zone lists that one alone.
// Fifty a page, the most the API gives; pages count from 1.
HttpRequest ZonesRequest(const ApiContext& context, int page) {
    return Call(context, "GET",
                std::string(Zones) + "?per_page=50&page=" + std::to_string(page + 1));
}

ApiVerdict ReadZones(const HttpReply& reply, std::vector<ApiZone>& zones) {
    const JsonReply json(reply.body);
    const ApiVerdict verdict = VerdictOf(json);
    if (verdict.kind != ApiVerdict::Ok) return verdict;
    for (const JsonValue& zone : json.Root()["result"].Items()) {
        zones.push_back({zone["name"].Scalar(), zone["id"].Scalar()});
    }
    return verdict;
}

HttpRequest RecordsRequest(const ApiContext& context, const ApiZone& zone, const RecordName& name) {
    return Call(context, "GET",
                RecordsOf(zone) + "?type=" + name.type + "&name=" + PercentEncode(name.full));
}

ApiVerdict ReadRecords(const HttpReply& reply, std::vector<ApiRecord>& records) {
    const JsonReply json(reply.body);
    const ApiVerdict verdict = VerdictOf(json);
    if (verdict.kind != ApiVerdict::Ok) return verdict;
    for (const JsonValue& record : json.Root()["result"].Items()) {
        records.push_back({record["id"].Scalar(), record["name"].Scalar(), record["type"].Scalar(),
                           record["content"].Scalar(), record["ttl"].Scalar(), ""});
    }
    return verdict;
}

// The content alone: the TTL and "proxied" stay as they are.
HttpRequest ChangeRequest(const ApiContext& context, const ApiZone& zone, const ApiRecord& record,
                          const std::string& address) {
    return Call(context, "PATCH", RecordsOf(zone) + "/" + PercentEncode(record.id),
                "{\"content\":" + JsonQuoted(address) + "}");
}

// TTL 1 is Cloudflare's "automatic"; not proxied, so that the name leads to the address.
HttpRequest CreateRequest(const ApiContext& context, const ApiZone& zone, const RecordName& name,
                          const std::string& address) {
    return Call(context, "POST", RecordsOf(zone),
                "{\"type\":" + JsonQuoted(name.type) + ",\"name\":" + JsonQuoted(name.full) +
                    ",\"content\":" + JsonQuoted(address) + ",\"ttl\":1,\"proxied\":false}");
}

ApiVerdict ReadChange(const HttpReply& reply) { return VerdictOf(JsonReply(reply.body)); }

}  // namespace

const ApiRules CloudflareRules = {ZonesRequest,  ReadZones,     RecordsRequest, ReadRecords,
                                  ChangeRequest, CreateRequest, ReadChange,     50};
