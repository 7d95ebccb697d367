#include "update/update_rules.h"

#include <algorithm>
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

constexpr char UpdateTargetTemplate[] =
    "/dyndns/update?system=dyndns&hostname={host}&myip={ip}&wildcard=OFF";

constexpr char GoodMarker[] = "good ";
constexpr char NochgMarker[] = "nochg ";
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

// Where the first line that starts with the marker begins, or npos: a marker counts only
// at the start of the reply or right after a LF or a CR, never inside a page's text.
size_t LineStartingWith(const std::string& reply, const std::string& marker) {
    for (size_t at = reply.find(marker); at != std::string::npos; at = reply.find(marker, at + 1)) {
        if (at == 0 || reply[at - 1] == '\n' || reply[at - 1] == '\r') return at;
    }
    return std::string::npos;
}

// The address behind the marker at `at`, up to a space or carriage return.
std::string AddressAfter(const std::string& reply, size_t at, const std::string& marker) {
    std::string address = reply.substr(at + marker.size());
    address = address.substr(0, address.find(' '));
    return address.substr(0, address.find('\r'));
}

ReplyOutcome Told(const std::string& text, AnswerKind kind = AnswerKind::NeedsUser,
                  const std::string& address = "") {
    ReplyOutcome outcome;
    outcome.statusText = text;
    outcome.kind = kind;
    outcome.address = address;
    return outcome;
}

// Every byte but the unreserved characters of a URI (letters, digits, "-._~") as %XX.
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

const FieldCheck* FirstFailedCheck(const UpdateFields& fields) {
    for (const FieldCheck& check : FieldChecksInOrder) {
        if (!check.passes(FieldTextOf(fields, check.controlId))) return &check;
    }
    return nullptr;
}

bool DomainPasses(const std::string& text) { return Contains(text, ".") && text.size() >= 10; }

bool UserPasses(const std::string& text) { return text.size() >= 4; }

bool PasswordPasses(const std::string& text) { return text.size() >= 4; }

// IPv4 holds "." and IPv6 ":"; the provider judges the rest.
bool AddressPasses(const std::string& text) {
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

HttpRequest UpdateRequestFor(const std::string& updateHost, const std::string& domain,
                             const std::string& address, const std::string& user,
                             const std::string& password) {
    std::string target = ReplaceEvery(UpdateTargetTemplate, "{host}", PercentEncode(domain));
    target = ReplaceEvery(target, "{ip}", PercentEncode(address));
    const std::string headers = "Authorization: Basic " + BasicCredentials(user, password) + "\r\n";
    return {updateHost, target, headers};
}

ReplyOutcome InterpretReply(const std::string& reply) {
    for (const auto& [marker, text] :
         {std::pair{GoodMarker, UpdatedText}, {NochgMarker, UnchangedText}}) {
        if (const size_t at = LineStartingWith(reply, marker); at != std::string::npos) {
            const std::string address = AddressAfter(reply, at, marker);
            // The status keeps a bare LF after the address, as it always has; the address
            // that the watch keeps and tells does not.
            ReplyOutcome confirmed =
                Told(text + address, AnswerKind::Confirmed, address.substr(0, address.find('\n')));
            confirmed.alreadyCurrent = marker == NochgMarker;
            return confirmed;
        }
    }
    if (Contains(reply, NohostMarker)) return Told(NoHostText);
    for (const auto& answer : StandardAnswers) {
        if (LineStartingWith(reply, answer.code) != std::string::npos) {
            return Told(answer.text, answer.kind);
        }
    }
    if (reply.size() < 2) return Told(EmptyReplyText);
    ReplyOutcome unknown;
    unknown.unknownBoxText = reply;
    return unknown;
}

ExchangeEnd FailureOf(unsigned long winInetError) {
    for (const unsigned long secureError : SecureConnectionErrors) {
        if (winInetError == secureError) return ExchangeEnd::Insecure;
    }
    return ExchangeEnd::Unreachable;
}

ReplyOutcome OutcomeOf(const HttpReply& reply) {
    switch (reply.end) {
        case ExchangeEnd::Replied: {
            ReplyOutcome outcome = InterpretReply(reply.body);
            // A server error's page, or its empty body, is told as before, but it is the
            // provider's trouble (or its proxy's), not the user's: the watch waits.
            const bool dyndnsAnswer = outcome.kind != AnswerKind::NeedsUser ||
                                      (outcome.statusText && reply.body.size() >= 2);
            if (reply.status >= 500 && !dyndnsAnswer) outcome.kind = AnswerKind::ProviderTrouble;
            return outcome;
        }
        case ExchangeEnd::Insecure: return Told(InsecureText, AnswerKind::NoAnswer);
        case ExchangeEnd::NoWinInet: return Told(NoWinInetText, AnswerKind::NoAnswer);
        case ExchangeEnd::Unreachable: break;
    }
    return Told(UnreachableText, AnswerKind::NoAnswer);
}

std::string UnattendedStatusOf(const ReplyOutcome& outcome, bool (*isLeadByte)(unsigned char)) {
    if (outcome.statusText) return *outcome.statusText;
    return UnknownReplyCaption +
           FirstLineWithin(outcome.unknownBoxText.value_or(""), UnattendedReplyLimit, isLeadByte);
}

std::optional<std::string> ReadReply(const ReadPiece& readPiece,
                                     const std::function<unsigned()>& elapsedMs) {
    char buffer[ReplyLimit];
    size_t filled = 0;
    while (filled < ReplyLimit) {
        // Once the budget is spent a read waits no more, but still takes what has arrived
        // and still finds the end of a body that is complete: a reply is never thrown away.
        const unsigned elapsed = elapsedMs();
        const unsigned waitMs = elapsed < ExchangeBudgetMs ? ExchangeBudgetMs - elapsed : 0;
        size_t got = 0;
        if (!readPiece(buffer + filled, ReplyLimit - filled, waitMs, &got)) return std::nullopt;
        if (got == 0) break;
        filled += got < ReplyLimit - filled ? got : ReplyLimit - filled;
    }
    const std::string body(buffer, filled);
    return body.substr(0, body.find('\0'));
}
