#include "dnsapi/api_conversation.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <initializer_list>

#include "base/text_lines.h"
#include "dnsapi/signing_rules.h"

namespace {

constexpr std::size_t LogAnswerLimit = 80;
// Zones are listed up to this many pages (a thousand at Cloudflare).
constexpr int ZonePagesLimit = 20;
// What the status line shows of a provider's message that Kivo does not know.
constexpr std::size_t StatusMessageLimit = 60;
constexpr char UnreadableText[] = "服务商的答复无法识别,请检查网络和代理设置!";
constexpr char RefusedText[] = "服务商拒绝了请求,请到服务商控制台检查域名和记录: ";
// The APIs take TLS 1.2 and newer only, which Windows 7 gives a program only where Internet
// Options has it on, and XP and Vista not at all.
constexpr char OldTlsText[] =
    "本系统的TLS可能太旧,请在\"Internet 选项 → 高级\"中勾选\"使用 TLS 1.2\"后再试。";

// A name as names are compared: lower case, without a final dot.
std::string Plain(const std::string& name) {
    std::string plain = AsciiLowerCase(name);
    if (!plain.empty() && plain.back() == '.') plain.pop_back();
    return plain;
}

ReplyOutcome Told(const std::string& text, AnswerKind kind = AnswerKind::NeedsUser) {
    ReplyOutcome outcome;
    outcome.statusText = text;
    outcome.kind = kind;
    return outcome;
}

// What one step of the conversation came to: for the user, for the log, and whether the
// provider is asked anything more.
struct Result {
    ReplyOutcome outcome;
    std::string log;
    bool ends = false;
};

// A confirmation told as the dyndns answer "good" or "nochg" with the address is told.
Result Confirmed(const char* answer, const std::string& address, const char* log) {
    return {InterpretReply(std::string(answer) + " " + address), log};
}

bool EndsConversation(ApiVerdict::Kind kind) {
    switch (kind) {
        case ApiVerdict::BadKey:
        case ApiVerdict::Blocked:
        case ApiVerdict::Throttled:
        case ApiVerdict::ProviderTrouble:
        case ApiVerdict::ClockWrong: return true;
        default: return false;
    }
}

class Conversation {
public:
    Conversation(const ApiProvider& provider, const ApiContext& context,
                 const ApiExchanges& exchanges)
        : provider_(provider), rules_(*provider.rules), context_(context), exchanges_(exchanges) {}

    // The result of the step that lists the zones when it fails; else nothing. A full page
    // is followed by the next: a domain's zone may be on any of them.
    std::optional<Result> ListZones() {
        for (int page = 0; page < ZonePagesLimit; ++page) {
            const std::size_t listed = zones_.size();
            ApiVerdict verdict;
            if (std::optional<Result> failed = Ask(
                    rules_.zonesRequest(context_, page),
                    [this](const HttpReply& reply) { return rules_.readZones(reply, zones_); },
                    {ApiVerdict::Ok}, verdict)) {
                return failed;
            }
            if (rules_.zonesPerPage == 0 || zones_.size() - listed < rules_.zonesPerPage) break;
        }
        return std::nullopt;
    }

    Result KeepDomain(const std::string& domain, const std::string& address) {
        const ApiZone* zone = ZoneOf(domain, zones_);
        if (!zone) {
            ApiVerdict none;
            none.kind = ApiVerdict::NoSuchDomain;
            return {Refusal(none, ""), "(账户中没有该域名的区域)"};
        }
        const RecordName name = RecordNameOf(domain, *zone, address);
        std::vector<ApiRecord> records;
        ApiVerdict verdict;
        if (std::optional<Result> failed = Ask(
                rules_.recordsRequest(context_, *zone, name),
                [this, &records](const HttpReply& reply) {
                    return rules_.readRecords(reply, records);
                },
                {ApiVerdict::Ok, ApiVerdict::NoRecord}, verdict)) {
            return *failed;
        }
        std::vector<ApiRecord> matches;
        for (const ApiRecord& record : records) {
            const std::string recordName = Plain(record.name);
            if ((recordName == name.full || recordName == name.relative) &&
                AsciiLowerCase(record.type) == AsciiLowerCase(name.type)) {
                matches.push_back(record);
            }
        }
        if (std::any_of(matches.begin(), matches.end(), [&address](const ApiRecord& record) {
                return SameAddress(record.value, address);
            })) {
            return Confirmed("nochg", address, "无需更新");
        }
        if (!matches.empty()) {
            if (std::optional<Result> failed =
                    Ask(rules_.changeRequest(context_, *zone, matches[0], address),
                        rules_.readChange, {ApiVerdict::Ok, ApiVerdict::NoRecord}, verdict)) {
                return *failed;
            }
            if (verdict.kind == ApiVerdict::Ok) return Confirmed("good", address, "已更新");
            // The record went between the look-up and the change: it is made anew.
        }
        if (std::optional<Result> failed = Ask(rules_.createRequest(context_, *zone, name, address),
                                               rules_.readChange, {ApiVerdict::Ok}, verdict)) {
            return *failed;
        }
        return Confirmed("good", address, "已创建");
    }

    // The text without any copy of the secret, nor of the key's id where that is one too.
    std::string Scrubbed(std::string text) const {
        text = WithoutSecrets(text, {"", "", context_.keyId, context_.secret});
        if (!provider_.keyIdSecret) return text;
        return WithoutSecrets(text, {"", "", "", context_.keyId});
    }

private:
    // The call's reply, or nothing once the conversation's time is spent.
    std::optional<HttpReply> Call(const HttpRequest& request) {
        const unsigned elapsed = exchanges_.elapsedMs();
        if (elapsed >= ExchangeBudgetMs) return std::nullopt;
        return exchanges_.exchange(request, std::min(ApiCallBudgetMs, ExchangeBudgetMs - elapsed));
    }

    // Sends the call and reads its reply into verdict: nothing while the verdict is one of
    // those accepted, else the result of the step.
    template <typename Read>
    std::optional<Result> Ask(const HttpRequest& request, const Read& read,
                              std::initializer_list<ApiVerdict::Kind> accepted,
                              ApiVerdict& verdict) {
        const std::int64_t signedAt = context_.now ? context_.now() : 0;
        const std::optional<HttpReply> reply = Call(request);
        if (!reply) return Result{OutcomeOf(HttpReply{}), "(超时,未发送)", true};
        switch (reply->end) {
            case ExchangeEnd::Replied: break;
            case ExchangeEnd::Insecure: {
                ReplyOutcome outcome = OutcomeOf(*reply);
                *outcome.statusText += OldTlsText;
                return Result{outcome, "(未建立安全连接)", true};
            }
            case ExchangeEnd::NoWinInet:
                return Result{OutcomeOf(*reply), "(未发送,无法加载wininet.dll)", true};
            case ExchangeEnd::Unreachable: return Result{OutcomeOf(*reply), "(无应答)", true};
        }
        verdict = WithHttpStatus(read(*reply), *reply);
        if (std::find(accepted.begin(), accepted.end(), verdict.kind) != accepted.end()) {
            return std::nullopt;
        }
        std::string said = verdict.code;
        if (!verdict.message.empty()) said += (said.empty() ? "" : " ") + verdict.message;
        said = InAnsi(said);
        std::string log = reply->status == 200 ? "" : "HTTP " + std::to_string(reply->status);
        if (!said.empty()) log += (log.empty() ? "" : " ") + said;
        if (log.empty()) log = "(无法识别的答复)";
        if (verdict.kind == ApiVerdict::ClockWrong) {
            return Result{ClockWrongOutcome(reply->headers, signedAt), log, true};
        }
        return Result{Refusal(verdict, said), log, EndsConversation(verdict.kind)};
    }

    // The provider's text in the ANSI code page, without secrets or line breaks.
    std::string InAnsi(const std::string& utf8) const {
        std::string text = Scrubbed(exchanges_.toAnsi(Scrubbed(utf8)));
        std::replace_if(
            text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; },
            ' ');
        return text;
    }

    // What a refusal tells the user, naming the key as the provider does; what the provider
    // said (scrubbed) where Kivo does not know its verdict.
    ReplyOutcome Refusal(const ApiVerdict& verdict, const std::string& said) const {
        const std::string key = provider_.keyNoun;
        switch (verdict.kind) {
            case ApiVerdict::BadKey: return Told(key + "无效或被服务商拒绝,请检查!");
            case ApiVerdict::NoSuchDomain: return Told(key + "可管理的域名中没有该域名,请检查!");
            case ApiVerdict::NoPermission:
                return Told(key + "无效或没有该域名的DNS编辑权限,请检查!");
            case ApiVerdict::Locked:
                return Told("该域名或记录被服务商锁定,不能通过API修改,请到服务商控制台处理!");
            case ApiVerdict::Blocked:
                return Told("登录失败次数过多,账户被服务商暂时封禁,请检查" + key + "后再试!");
            case ApiVerdict::Throttled:
            case ApiVerdict::ProviderTrouble: {
                ReplyOutcome outcome = Told(verdict.kind == ApiVerdict::Throttled
                                                ? "访问服务商过于频繁,请稍后再试!"
                                                : "服务商暂时出现故障,请30分钟后再试!",
                                            AnswerKind::ProviderTrouble);
                outcome.retryAfterSeconds = verdict.retryAfterSeconds;
                return outcome;
            }
            default: break;
        }
        if (said.empty()) return Told(UnreadableText);
        return Told(RefusedText + TextWithin(said, StatusMessageLimit, exchanges_.isLeadByte));
    }

    const ApiProvider& provider_;
    const ApiRules& rules_;
    const ApiContext& context_;
    const ApiExchanges& exchanges_;
    std::vector<ApiZone> zones_;
};

}  // namespace

const ApiZone* ZoneOf(const std::string& domain, const std::vector<ApiZone>& zones) {
    const std::string name = Plain(domain);
    const ApiZone* found = nullptr;
    std::size_t foundLength = 0;
    for (const ApiZone& zone : zones) {
        const std::string zoneName = Plain(zone.name);
        const bool holds = !zoneName.empty() &&
                           (name == zoneName || (name.size() > zoneName.size() &&
                                                 name.compare(name.size() - zoneName.size(),
                                                              std::string::npos, zoneName) == 0 &&
                                                 name[name.size() - zoneName.size() - 1] == '.'));
        if (holds && zoneName.size() > foundLength) {
            found = &zone;
            foundLength = zoneName.size();
        }
    }
    return found;
}

RecordName RecordNameOf(const std::string& domain, const ApiZone& zone,
                        const std::string& address) {
    const std::string full = Plain(domain), zoneName = Plain(zone.name);
    const std::string relative =
        full.size() > zoneName.size() ? full.substr(0, full.size() - zoneName.size() - 1) : "@";
    return {full, relative, address.find(':') == std::string::npos ? "A" : "AAAA"};
}

ReplyOutcome ClockWrongOutcome(const std::string& headers, std::int64_t signedAt) {
    const std::optional<std::int64_t> providers =
        SecondsOfHttpDate(HeaderValue(headers, "Date").value_or(""));
    std::string gap = "太多";
    if (providers)
        gap = "约 " + std::to_string((std::llabs(*providers - signedAt) + 30) / 60) + " 分钟";
    return Told("电脑时间与服务商相差" + gap + ",请校准系统时间(设置 → 时间和语言 → 立即同步)!",
                AnswerKind::ProviderTrouble);
}

ApiVerdict WithHttpStatus(ApiVerdict verdict, const HttpReply& reply) {
    if (reply.status == 429) {
        verdict.kind = ApiVerdict::Throttled;
    } else if (reply.status >= 500 && verdict.kind == ApiVerdict::Unknown) {
        verdict.kind = ApiVerdict::ProviderTrouble;
    }
    const bool waits =
        verdict.kind == ApiVerdict::Throttled || verdict.kind == ApiVerdict::ProviderTrouble;
    if (waits && verdict.retryAfterSeconds == 0) {
        verdict.retryAfterSeconds = RetryAfterSeconds(reply.headers);
    }
    return verdict;
}

UpdateAnswer UpdateAtProvider(const ApiProvider& provider, const ApiContext& context,
                              const std::string& domainText, const std::string& address,
                              const ApiExchanges& exchanges) {
    if (!IsAddressText(address)) return {Told(ApiAddressNeededText), std::nullopt, "(未发送)"};
    if (provider.needsSha256 && !context.sha256) {
        return {Told(NoSha256Text), std::nullopt, "(未发送,系统缺少SHA-256)"};
    }
    Conversation conversation(provider, context, exchanges);
    // The secrets leave every text before anything is cut from it.
    const auto logAnswer = [&conversation, &exchanges](const std::string& log) {
        return TextWithin(conversation.Scrubbed(log), LogAnswerLimit, exchanges.isLeadByte);
    };
    if (std::optional<Result> failed = conversation.ListZones()) {
        return {failed->outcome, std::nullopt, logAnswer(failed->log)};
    }
    const std::vector<std::string> domains = DomainsIn(domainText);
    std::vector<Result> results;
    for (const std::string& domain : domains) {
        results.push_back(conversation.KeepDomain(domain, address));
        if (results.back().ends) break;
    }
    const bool several = domains.size() > 1;
    std::size_t worst = 0;
    bool changed = false;
    std::string log;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const ReplyOutcome& outcome = results[i].outcome;
        if (GravityOf(outcome) > GravityOf(results[worst].outcome)) worst = i;
        changed = changed || (outcome.kind == AnswerKind::Confirmed && !outcome.alreadyCurrent);
        log += (i ? "; " : "") + (several ? domains[i] + ": " : "") + results[i].log;
    }
    ReplyOutcome outcome = results[worst].outcome;
    if (GravityOf(outcome) == 0) {
        outcome = InterpretReply((changed ? "good " : "nochg ") + address);
    } else if (several && outcome.statusText) {
        outcome.statusText = domains[worst] + ": " + *outcome.statusText;
    }
    return {outcome, std::nullopt, logAnswer(log)};
}
