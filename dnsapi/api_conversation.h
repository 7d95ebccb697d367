// The conversation with a DNS provider's API that keeps the record of each domain on an
// address: the zone, the record, then a change or a creation only where one is due. The
// same for every provider; each provider's rules build its calls and read its replies.
#ifndef KIVO_API_CONVERSATION_H
#define KIVO_API_CONVERSATION_H

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dnsapi/api_providers.h"

// Each call of a conversation is given up after this long; the whole conversation is given
// ExchangeBudgetMs, and no call starts once that is spent.
inline constexpr unsigned ApiCallBudgetMs = 10000;

// Told when there is no address to send: an API never takes the address a call comes from.
inline constexpr char ApiAddressNeededText[] =
    "该服务商须先知道IP地址,请填写IP或在\"服务商设置\"中选择IP查询!";

// The zone of the account that holds the domain: the longest whose name ends the domain at
// a dot, or is the domain; names compared without case and without a final dot. Null when
// none does.
const ApiZone* ZoneOf(const std::string& domain, const std::vector<ApiZone>& zones);

// The record that keeps the domain on the address in that zone: "A" for an IPv4 address,
// "AAAA" for IPv6; its names in lower case, "@" for the zone's own name.
RecordName RecordNameOf(const std::string& domain, const ApiZone& zone, const std::string& address);

// What a refusal of a signature's time tells: how far the PC's clock is from the provider's,
// in minutes, from the reply's Date header against the time the call was signed, and what
// to do; the watch holds 30 minutes, as Windows may set its clock meanwhile.
ReplyOutcome ClockWrongOutcome(const std::string& headers, std::int64_t signedAt);

// The verdict on a reply as HTTP tells it as well: 429 is throttling, a server error (5xx)
// that the provider's reading could not place is its trouble, and either waits as long as
// Retry-After (in seconds) asks, where the body named no wait.
ApiVerdict WithHttpStatus(ApiVerdict verdict, const HttpReply& reply);

// Told where the provider signs its calls and the system has no SHA-256 to sign with.
inline constexpr char NoSha256Text[] =
    "本系统缺少SHA-256加密组件(Windows XP须装SP3),无法使用该服务商,未发送更新!";

// What the platform lends a conversation.
struct ApiExchanges {
    // One call, given at most budgetMs.
    std::function<HttpReply(const HttpRequest& request, unsigned budgetMs)> exchange;
    std::function<unsigned()> elapsedMs;  // since the conversation began
    // The provider's text (UTF-8) in the ANSI code page, and that page's lead bytes: both
    // required.
    std::string (*toAnsi)(const std::string& utf8) = nullptr;
    bool (*isLeadByte)(unsigned char) = nullptr;
};

// Keeps each domain of domainText (one, or a comma list) on the address at the provider:
// the account's zones once, then for each domain in turn its records of the type; nothing
// is changed where a record holds the address, else the first record of the name and type
// is given the address, or a record is made where there is none. A refusal of the key or of
// the account, throttling, trouble at the provider or no answer ends the conversation; a
// refusal of one domain goes on with the next.
UpdateAnswer UpdateAtProvider(const ApiProvider& provider, const ApiContext& context,
                              const std::string& domainText, const std::string& address,
                              const ApiExchanges& exchanges);

#endif
