#include "update/update_rules.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <utility>

#include "base/text_lines.h"
#include "resources/resource_ids.h"

// Literal pieces, so that each box text is one stored literal beside its status text.
#define WARNING_PADDING "   "
#define DOMAIN_WRONG_TEXT "您的 域名 输入不正确,请检查后在尝试更新操作!"
#define USER_WRONG_TEXT "您的 用户名 输入不正确,请检查后在尝试更新操作!"
#define PASSWORD_WRONG_TEXT "您的 密码 输入不正确,请检查后在尝试更新操作!"
#define ADDRESS_WRONG_TEXT "您的 IP地址 输入不正确,请检查格式是否正确!"

namespace {

// Paragraphs of the address box are parted by two bare carriage returns.
constexpr char AddressWrongBoxText[] =
    "您的 IP地址 输入不正确,请检查后在尝试更新操作!" WARNING_PADDING
    "\r\r"
    "注:IP地址可不填写,程序会自动获得您的外网IP."
    "\r\r"
    "如需自定义IP,请注意格式,例如:127.0.0.1";

constexpr char GoodWord[] = "good";
constexpr char NochgWord[] = "nochg";
constexpr char NohostMarker[] = "nohost";
constexpr char UpdatedText[] = "恭喜您,您的域名更新成功,当前IP为:";
constexpr char UnchangedText[] = "您的域名无需更新,当前IP为:";
constexpr char NoHostText[] = "您的域名输入错误,请检查!";
constexpr char EmptyReplyText[] = "可能是用户名或密码错误,请您检查!!";
// The provider's other standard answers, each told in Chinese, in this order.
constexpr struct {
    const char* code;
    const char* text;
    AnswerKind kind;
} StandardAnswers[] = {
    {"badauth", "用户名或密码错误,请检查!", AnswerKind::NeedsUser},
    {"notfqdn", "域名不完整,请输入完整的域名!", AnswerKind::NeedsUser},
    {"numhost", "一次更新的域名太多!", AnswerKind::NeedsUser},
    {"abuse", "该域名因更新过于频繁已被服务商封禁!", AnswerKind::NeedsUser},
    {"badagent", "服务商拒绝了本程序的请求!", AnswerKind::NeedsUser},
    {"dnserr", "服务商暂时出现故障,请30分钟后再试!", AnswerKind::ProviderTrouble},
    {"911", "服务商暂时出现故障,请30分钟后再试!", AnswerKind::ProviderTrouble},
    {"!donator", "该功能需要服务商的付费账户!", AnswerKind::NeedsUser},
};
constexpr std::size_t UnattendedReplyLimit = 100;
constexpr char UnreachableText[] = "无法连接到服务器,请检查网络!";
constexpr char HttpStatusText[] = "服务商返回 HTTP ";
constexpr char HttpStatusAfterText[] = ",没有更新结果,请稍后再试!";
constexpr char InsecureText[] = "无法建立安全连接,已取消更新!";
constexpr char NoWinInetText[] = "无法加载系统组件 wininet.dll,未能更新!";

// WinINet's errors of the secure connection: the certificate's dates, name, issuer,
// revocation or form, a client certificate asked for, no common protocol.
constexpr unsigned long SecureConnectionErrors[] = {
    12037,  // ERROR_INTERNET_SEC_CERT_DATE_INVALID
    12038,  // ERROR_INTERNET_SEC_CERT_CN_INVALID
    12044,  // ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED
    12045,  // ERROR_INTERNET_INVALID_CA
    12046,  // ERROR_INTERNET_CLIENT_AUTH_NOT_SETUP
    12055,  // ERROR_INTERNET_SEC_CERT_ERRORS
    12056,  // ERROR_INTERNET_SEC_CERT_NO_REV
    12057,  // ERROR_INTERNET_SEC_CERT_REV_FAILED
    12157,  // ERROR_INTERNET_SECURITY_CHANNEL_ERROR
    12169,  // ERROR_INTERNET_SEC_INVALID_CERT
    12170,  // ERROR_INTERNET_SEC_CERT_REVOKED
};

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Groups of one to four hex digits parted by single colons; the last may be a dotted quad
// where `quadAllowed`. Counts the groups (a quad as two); -1 when the text is not such.
int Ipv6GroupCount(const std::string& text, bool quadAllowed) {
    if (text.empty()) return 0;
    int groups = 0;
    for (size_t at = 0;;) {
        const size_t end = std::min(text.find(':', at), text.size());
        const std::string group = text.substr(at, end - at);
        const bool last = end == text.size();
        if (last && quadAllowed && IsDottedQuad(group)) return groups + 2;
        if (group.empty() || group.size() > 4 ||
            !std::all_of(group.begin(), group.end(), IsHexDigit)) {
            return -1;
        }
        ++groups;
        if (last) return groups;
        at = end + 1;
    }
}

// The first word of a reply line: up to its first space.
std::string FirstWordOf(const std::string& line) { return line.substr(0, line.find(' ')); }

bool IsDyndnsAnswer(const std::string& line) {
    const std::string word = FirstWordOf(line);
    if (word == GoodWord || word == NochgWord || StartsWith(line, NohostMarker)) return true;
    return std::any_of(std::begin(StandardAnswers), std::end(StandardAnswers),
                       [&line](const auto& answer) { return StartsWith(line, answer.code); });
}

// The address that a "good" or "nochg" line names: its second word, where that is an
// address; whatever else stands there (an echo of the request, say) names none.
std::string AddressNamedBy(const std::string& line) {
    const size_t space = line.find(' ');
    if (space == std::string::npos) return {};
    const std::string token = FirstWordOf(line.substr(space + 1));
    return IsAddressText(token) ? token : std::string();
}

ReplyOutcome Told(const std::string& text, AnswerKind kind = AnswerKind::NeedsUser,
                  const std::string& address = "") {
    ReplyOutcome outcome;
    outcome.statusText = text;
    outcome.kind = kind;
    outcome.address = address;
    return outcome;
}

std::string Base64Of(const std::string& bytes) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const size_t count = bytes.size() - at < 3 ? bytes.size() - at : 3;
        unsigned long group = 0;
        for (size_t i = 0; i < 3; ++i) {
            const unsigned long byte = i < count ? static_cast<unsigned char>(bytes[at + i]) : 0;
            group = (group << 8) | byte;
        }
        for (size_t i = 0; i < 4; ++i) {
            encoded += i <= count ? alphabet[(group >> (18 - 6 * i)) & 0x3F] : '=';
        }
    }
    return encoded;
}

// The text of the field that the control shows.
const std::string& FieldTextOf(const UpdateFields& fields, int controlId) {
    switch (controlId) {
        case IDC_HOST_FIELD: return fields.domain;
        case IDC_IP_FIELD: return fields.address;
        case IDC_USER_FIELD: return fields.user;
    }
    return fields.password;
}

}  // namespace

const FieldCheck* FirstFailedCheck(const UpdateFields& fields, bool userNameUsed) {
    for (const FieldCheck& check : FieldChecksInOrder) {
        if (check.controlId == IDC_USER_FIELD && !userNameUsed) continue;
        if (!check.passes(FieldTextOf(fields, check.controlId))) return &check;
    }
    return nullptr;
}

// One domain, or each of a list's: a dot and at least 10 bytes. An empty item is refused
// as a domain too short.
bool DomainPasses(const std::string& text) {
    const std::vector<std::string> domains = DomainsIn(text);
    return std::all_of(domains.begin(), domains.end(), [](const std::string& domain) {
        return Contains(domain, ".") && domain.size() >= 10;
    });
}

std::vector<std::string> DomainsIn(const std::string& text) {
    if (!Contains(text, ",")) {  // one domain, trimmed as a list's items are
        const size_t first = text.find_first_not_of(' ');
        return {first == std::string::npos
                    ? std::string()
                    : text.substr(first, text.find_last_not_of(' ') + 1 - first)};
    }
    std::vector<std::string> domains;
    for (size_t at = 0;;) {
        const size_t end = std::min(text.find(',', at), text.size());
        const size_t first = text.find_first_not_of(' ', at);
        const size_t last = text.find_last_not_of(' ', end - 1);
        domains.push_back(first < end && last != std::string::npos && last >= first
                              ? text.substr(first, last + 1 - first)
                              : std::string());
        if (end == text.size()) return domains;
        at = end + 1;
    }
}

std::string HostParameter(const std::string& domainText) {
    std::string parameter;
    for (const std::string& domain : DomainsIn(domainText)) {
        parameter += (parameter.empty() ? "" : ",") + PercentEncode(domain);
    }
    return parameter;
}

bool UserPasses(const std::string& text) { return text.size() >= 4; }

bool PasswordPasses(const std::string& text) { return text.size() >= 4; }

// IPv4 holds "." and IPv6 ":"; the provider judges the rest. Digits and dots alone must be
// four decimal parts: "012.1.1.1" is 10.1.1.1 to a provider that reads octal.
bool AddressPasses(const std::string& text) {
    if (!text.empty() && text.find_first_not_of("0123456789.") == std::string::npos) {
        return IsDottedQuad(text);
    }
    return text.empty() || Contains(text, ".") || Contains(text, ":");
}

const FieldCheck FieldChecksInOrder[FieldCheckCount] = {
    {IDC_HOST_FIELD, DomainPasses, DOMAIN_WRONG_TEXT, DOMAIN_WRONG_TEXT WARNING_PADDING},
    {IDC_USER_FIELD, UserPasses, USER_WRONG_TEXT, USER_WRONG_TEXT WARNING_PADDING},
    {IDC_PASSWORD_FIELD, PasswordPasses, PASSWORD_WRONG_TEXT, PASSWORD_WRONG_TEXT WARNING_PADDING},
    {IDC_IP_FIELD, AddressPasses, ADDRESS_WRONG_TEXT, AddressWrongBoxText},
};

std::string BasicCredentials(const std::string& user, const std::string& password) {
    return Base64Of(user + ":" + password);
}

std::string PercentEncode(const std::string& bytes) {
    static const char hexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                                byte == '_' || byte == '~';
        if (unreserved) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += hexDigits[byte >> 4];
            encoded += hexDigits[byte & 0x0F];
        }
    }
    return encoded;
}

std::optional<HttpRequest> RequestForUrl(const std::string& url) {
    HttpRequest request;
    size_t rest = 0;
    if (url.rfind("https://", 0) == 0) {
        rest = 8;
    } else if (url.rfind("http://", 0) == 0) {
        request.secure = false;
        rest = 7;
    } else {
        return std::nullopt;
    }
    for (const char c : url) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '\x7F') return std::nullopt;
    }
    const size_t pathAt = std::min(url.find_first_of("/?", rest), url.size());
    std::string authority = url.substr(rest, pathAt - rest);
    if (const size_t colon = authority.find(':'); colon != std::string::npos) {
        const std::string port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5 ||
            port.find_first_not_of("0123456789") != std::string::npos || std::stoul(port) < 1 ||
            std::stoul(port) > 65535) {
            return std::nullopt;
        }
        request.port = static_cast<unsigned short>(std::stoul(port));
        authority.resize(colon);
    }
    const bool hostChars =
        authority.find_first_not_of(
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.-_") ==
        std::string::npos;
    if (authority.empty() || !hostChars) return std::nullopt;
    request.host = authority;
    request.target = pathAt < url.size() ? url.substr(pathAt) : "/";
    if (request.target[0] == '?') request.target.insert(0, "/");
    return request;
}

std::vector<std::string> ReplyLines(const std::string& reply) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < reply.size();) {
        const size_t end = std::min(reply.find_first_of("\r\n", at), reply.size());
        if (end > at) lines.push_back(reply.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

bool IsDottedQuad(const std::string& text) {
    int parts = 0;
    for (size_t at = 0; at <= text.size(); ++parts) {
        const size_t end = std::min(text.find('.', at), text.size());
        const std::string part = text.substr(at, end - at);
        // A part with a leading zero is read as octal by some and as decimal by others.
        if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == '0') ||
            part.find_first_not_of("0123456789") != std::string::npos ||
            std::atoi(part.c_str()) > 255) {
            return false;
        }
        at = end + 1;
    }
    return parts == 4;
}

bool IsAddressText(const std::string& text) {
    if (IsDottedQuad(text)) return true;
    if (text.size() > 45) return false;
    const size_t gap = text.find("::");
    if (gap == std::string::npos) return Ipv6GroupCount(text, true) == 8;
    if (text.find("::", gap + 1) != std::string::npos) return false;
    const int before = Ipv6GroupCount(text.substr(0, gap), false);
    const int after = Ipv6GroupCount(text.substr(gap + 2), true);
    return before >= 0 && after >= 0 && before + after <= 7;
}

namespace {

// The 16-bit groups of the parts of an IPv6 text before or after its "::" (a dotted quad as
// two groups), where IsAddressText has passed it.
std::vector<unsigned> Ipv6GroupsOf(const std::string& part) {
    std::vector<unsigned> groups;
    for (size_t at = 0; at < part.size();) {
        const size_t end = std::min(part.find(':', at), part.size());
        const std::string group = part.substr(at, end - at);
        if (IsDottedQuad(group)) {
            unsigned quad[4] = {};
            const char* number = group.c_str();
            for (unsigned& byte : quad) {
                char* dot = nullptr;
                byte = static_cast<unsigned>(std::strtoul(number, &dot, 10));
                number = dot + 1;
            }
            groups.push_back(quad[0] << 8 | quad[1]);
            groups.push_back(quad[2] << 8 | quad[3]);
        } else {
            groups.push_back(static_cast<unsigned>(std::strtoul(group.c_str(), nullptr, 16)));
        }
        at = end + 1;
    }
    return groups;
}

// The eight groups of an IPv6 address, or none for any other text.
std::vector<unsigned> Ipv6Groups(const std::string& text) {
    if (!IsAddressText(text) || IsDottedQuad(text)) return {};
    const size_t gap = text.find("::");
    std::vector<unsigned> groups = Ipv6GroupsOf(text.substr(0, gap));
    if (gap == std::string::npos) return groups;
    const std::vector<unsigned> after = Ipv6GroupsOf(text.substr(gap + 2));
    groups.resize(8 - after.size(), 0);
    groups.insert(groups.end(), after.begin(), after.end());
    return groups;
}

}  // namespace

bool SameAddress(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const std::vector<unsigned> groups = Ipv6Groups(a);
    return !groups.empty() && groups == Ipv6Groups(b);
}

ReplyOutcome InterpretReply(const std::string& reply) {
    const std::vector<std::string> lines = ReplyLines(reply);
    // A line is a confirmation when its first word is "good" or "nochg", with the address
    // after it or alone, as several providers answer; good first.
    for (const auto& [word, text] :
         {std::pair{GoodWord, UpdatedText}, {NochgWord, UnchangedText}}) {
        for (const std::string& line : lines) {
            if (FirstWordOf(line) != word) continue;
            const std::string address = AddressNamedBy(line);
            ReplyOutcome confirmed = Told(text + address, AnswerKind::Confirmed, address);
            confirmed.alreadyCurrent = word == std::string(NochgWord);
            return confirmed;
        }
    }
    if (Contains(reply, NohostMarker)) return Told(NoHostText);
    for (const auto& answer : StandardAnswers) {
        for (const std::string& line : lines) {
            if (StartsWith(line, answer.code)) return Told(answer.text, answer.kind);
        }
    }
    if (reply.size() < 2) return Told(EmptyReplyText);
    ReplyOutcome unknown;
    unknown.unknownBoxText = reply;
    return unknown;
}

int GravityOf(const ReplyOutcome& outcome) {
    if (outcome.unknownBoxText) return 2;
    switch (outcome.kind) {
        case AnswerKind::NeedsUser: return 4;
        case AnswerKind::ProviderTrouble: return 3;
        case AnswerKind::NoAnswer: return 1;
        case AnswerKind::Confirmed: break;
    }
    return 0;
}

ReplyOutcome InterpretReplyFor(const std::string& reply, const std::string& domainText) {
    const std::vector<std::string> domains = DomainsIn(domainText);
    std::vector<std::string> lines = ReplyLines(reply);
    // A page that holds no answer of the protocol is told as it always was.
    if (domains.size() < 2 || std::none_of(lines.begin(), lines.end(), IsDyndnsAnswer)) {
        return InterpretReply(reply);
    }
    if (lines.size() > domains.size()) lines.resize(domains.size());
    // One line stands for the whole request; another count of lines says nothing for sure.
    const bool forEach = lines.size() == domains.size();
    if (!forEach && lines.size() > 1) {
        ReplyOutcome unknown;
        unknown.unknownBoxText = reply;
        return unknown;
    }
    size_t worst = 0;
    bool updated = false;
    std::vector<ReplyOutcome> told;
    for (const std::string& line : lines) {
        told.push_back(InterpretReply(line));
        updated =
            updated || (told.back().kind == AnswerKind::Confirmed && !told.back().alreadyCurrent);
        if (GravityOf(told.back()) > GravityOf(told[worst])) worst = told.size() - 1;
    }
    if (GravityOf(told[worst]) == 0) {
        const auto named = std::find_if(told.begin(), told.end(), [](const ReplyOutcome& line) {
            return !line.address.empty();
        });
        const std::string address = named == told.end() ? "" : named->address;
        ReplyOutcome confirmed =
            Told((updated ? UpdatedText : UnchangedText) + address, AnswerKind::Confirmed, address);
        confirmed.alreadyCurrent = !updated;
        return confirmed;
    }
    const std::string text = told[worst].statusText.value_or(UnknownReplyCaption + lines[worst]);
    return Told((forEach ? domains[worst] + ": " : "") + text, told[worst].kind);
}

std::optional<std::string> HeaderValue(const std::string& headers, const std::string& name) {
    for (const std::string& line : ReplyLines(headers)) {
        const size_t colon = line.find(':');
        if (colon != name.size() || colon == std::string::npos ||
            !std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            continue;
        }
        const size_t first = line.find_first_not_of(" \t", colon + 1);
        if (first == std::string::npos) return std::string();
        return line.substr(first, line.find_last_not_of(" \t") + 1 - first);
    }
    return std::nullopt;
}

std::int64_t RetryAfterSeconds(const std::string& headers) {
    const std::string value = HeaderValue(headers, "Retry-After").value_or("");
    if (value.empty() || value.size() > 9 ||
        value.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return std::stoll(value);
}

ExchangeEnd FailureOf(unsigned long winInetError) {
    for (const unsigned long secureError : SecureConnectionErrors) {
        if (winInetError == secureError) return ExchangeEnd::Insecure;
    }
    return ExchangeEnd::Unreachable;
}

ReplyOutcome OutcomeOf(const HttpReply& reply, const std::string& domainText) {
    switch (reply.end) {
        case ExchangeEnd::Replied: {
            // A status other than 200 without an answer of the protocol is a server's error, a
            // redirect or a page in front of the provider (a captive portal, a proxy): its
            // trouble, not the user's, and the watch waits. A 401 is the wrong password's,
            // whatever page comes with it.
            const std::vector<std::string> lines = ReplyLines(reply.body);
            if (reply.status != 200 && std::none_of(lines.begin(), lines.end(), IsDyndnsAnswer)) {
                if (reply.status == 401) return Told(EmptyReplyText);
                ReplyOutcome waits =
                    Told(HttpStatusText + std::to_string(reply.status) + HttpStatusAfterText,
                         AnswerKind::ProviderTrouble);
                waits.retryAfterSeconds = RetryAfterSeconds(reply.headers);
                return waits;
            }
            return InterpretReplyFor(reply.body, domainText);
        }
        case ExchangeEnd::Insecure: return Told(InsecureText, AnswerKind::NoAnswer);
        case ExchangeEnd::NoWinInet: return Told(NoWinInetText, AnswerKind::NoAnswer);
        case ExchangeEnd::Unreachable: break;
    }
    return Told(UnreachableText, AnswerKind::NoAnswer);
}

namespace {

std::string Hide(const std::string& text, const std::string& secret) {
    return secret.empty() ? text : ReplaceEvery(text, secret, "***");
}

}  // namespace

// The Base64 first: the password may be a part of it. A custom address's {pwd} sends it
// percent-encoded, as a provider may echo it.
std::string WithoutSecrets(std::string text, const UpdateFields& fields) {
    text = Hide(text, BasicCredentials(fields.user, fields.password));
    text = Hide(text, PercentEncode(fields.password));
    return Hide(text, fields.password);
}

ReplyOutcome WithoutSecrets(ReplyOutcome outcome, const UpdateFields& fields) {
    for (std::optional<std::string>* text : {&outcome.statusText, &outcome.unknownBoxText}) {
        if (*text) *text = WithoutSecrets(**text, fields);
    }
    return outcome;
}

std::string InProtocolWords(const std::string& reply, const AnswerForm* forms) {
    if (!forms) return reply;
    std::string said;
    for (const std::string& line : ReplyLines(reply)) {
        const AnswerForm* form = forms;
        while (form->starts &&
               !(StartsWith(line, form->starts) && (!form->holds || Contains(line, form->holds)))) {
            ++form;
        }
        std::string word = form->starts ? form->word : line;
        if (word == GoodWord || word == NochgWord) {
            // The address it names, a word of its own ("… to 1.2.3.4 in", "1.2.3.4 has").
            for (size_t at = 0; at < line.size();) {
                const size_t end = std::min(line.find(' ', at), line.size());
                std::string token = line.substr(at, end - at);
                if (!token.empty() && token.back() == '.') token.pop_back();
                if (form->starts && IsAddressText(token)) {
                    word += " " + token;
                    break;
                }
                at = end + 1;
            }
        }
        said += word + "\n";
    }
    return said;
}

UpdateAnswer DyndnsAnswer(const HttpReply& reply, const std::string& domainText,
                          const AnswerForm* forms) {
    HttpReply read = reply;
    read.body = InProtocolWords(reply.body, forms);
    ReplyOutcome outcome = OutcomeOf(read, domainText);
    // The user reads what the provider said, not its words rebuilt.
    if (outcome.unknownBoxText) outcome.unknownBoxText = reply.body;
    return {outcome, reply, ""};
}

std::string UnattendedStatusOf(const ReplyOutcome& outcome, bool (*isLeadByte)(unsigned char)) {
    if (outcome.statusText) return *outcome.statusText;
    return UnknownReplyCaption +
           FirstLineWithin(outcome.unknownBoxText.value_or(""), UnattendedReplyLimit, isLeadByte);
}

std::optional<std::string> ReadReply(const ReadPiece& readPiece,
                                     const std::function<unsigned()>& elapsedMs, unsigned budgetMs,
                                     std::size_t limit) {
    std::string buffer(limit, '\0');
    size_t filled = 0;
    while (filled < limit) {
        // Once the budget is spent a read waits no more, but still takes what has arrived
        // and still finds the end of a body that is complete: a reply is never thrown away.
        const unsigned elapsed = elapsedMs();
        const unsigned waitMs = elapsed < budgetMs ? budgetMs - elapsed : 0;
        size_t got = 0;
        if (!readPiece(&buffer[filled], limit - filled, waitMs, &got)) return std::nullopt;
        if (got == 0) break;
        filled += got < limit - filled ? got : limit - filled;
    }
    buffer.resize(filled);
    return buffer.substr(0, buffer.find('\0'));
}
