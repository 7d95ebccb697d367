// The rules of the update command over plain byte strings (code page 936): the field
// checks, the request sent to the provider and the reading of its reply.
#ifndef KIVO_UPDATE_RULES_H
#define KIVO_UPDATE_RULES_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "build_config.h"

// How Kivo names itself to the provider, as providers of the protocol require of a client.
inline constexpr char UserAgent[] = "Kivo/" KIVO_VERSION " (" KIVO_AUTHOR_EMAIL ")";
inline constexpr char CheckingDataText[] = "检查数据...";
inline constexpr char StartingUpdateText[] = "开始更新IP,请稍后...";
inline constexpr char WarningCaption[] = "警告:";
inline constexpr char UnknownReplyCaption[] = "未知消息:";

// The four texts that an update sends, as MainDialog's fields hold them.
struct UpdateFields {
    std::string domain, address, user, password;
    bool operator==(const UpdateFields& o) const {
        return domain == o.domain && address == o.address && user == o.user &&
               password == o.password;
    }
};

// One check of a field of MainDialog: the control it reads and what a failure says.
struct FieldCheck {
    int controlId;
    bool (*passes)(const std::string& text);
    const char* statusText;  // written to StatusLine when the check fails
    const char* boxText;     // the text of the "警告:" box that follows
};

inline constexpr std::size_t FieldCheckCount = 4;
// Domain, user name, password, address: the first failure ends the run.
extern const FieldCheck FieldChecksInOrder[FieldCheckCount];

// The first check that the fields fail, in that order, or null; the user name's only where
// the provider uses one.
const FieldCheck* FirstFailedCheck(const UpdateFields& fields, bool userNameUsed = true);

bool DomainPasses(const std::string& text);
// The domains that "服务器" names: its text, or the items of a comma-separated list, without
// the spaces around them (an empty item stays, and fails the domain check).
std::vector<std::string> DomainsIn(const std::string& text);
// The hostname parameter: each domain percent-encoded, a list's parted by bare commas.
std::string HostParameter(const std::string& domainText);
bool UserPasses(const std::string& text);
bool PasswordPasses(const std::string& text);
bool AddressPasses(const std::string& text);

inline constexpr std::size_t ReplyLimit = 1024;

// One HTTP request: the method, the server's host name, the path and query, extra header
// lines and a body, over TLS (secure) or in clear, to the port given or else the scheme's
// own (443 or 80). At most replyLimit bytes of the reply's body are read.
struct HttpRequest {
    std::string host;
    std::string target;
    std::string headers;  // each line ends in CR LF
    bool secure = true;
    unsigned short port = 0;
    std::string method = "GET";
    std::string body = {};  // sent as it is
    std::size_t replyLimit = ReplyLimit;
};

// How an exchange ended: with a reply, judged by InterpretReply; before any reply arrived
// (no name, no connection, a time-out); or without a secure connection, before the request
// with the credentials was sent; or not at all, the system's WinINet being missing.
enum class ExchangeEnd { Replied, Unreachable, Insecure, NoWinInet };
struct HttpReply {
    ExchangeEnd end = ExchangeEnd::Unreachable;
    std::string body;
    unsigned long status = 200;  // the HTTP status of a reply
    std::string headers = {};    // its header lines, each ending in CR LF, the status line first
};

// The value of the reply's first header of that name (in any case), without the blanks
// around it; nothing when there is none.
std::optional<std::string> HeaderValue(const std::string& headers, const std::string& name);

// The wait that a reply's Retry-After asks for in seconds; 0 for none, or for an HTTP date
// (the default wait holds then).
std::int64_t RetryAfterSeconds(const std::string& headers);

// Insecure for WinINet's certificate and secure-channel errors, else Unreachable.
ExchangeEnd FailureOf(unsigned long winInetError);

// What the Authorization header carries: the Base64 of "user:password".
std::string BasicCredentials(const std::string& user, const std::string& password);

// Every byte but the unreserved characters of a URI (letters, digits, "-._~") as %XX.
std::string PercentEncode(const std::string& bytes);

// The GET for an address "http://host[:port][/path]" or "https://...", without headers;
// nothing when the scheme is another, the host is empty or holds anything but letters,
// digits, ".", "-" and "_", the port is not 1-65535, or a byte is a space or a control.
std::optional<HttpRequest> RequestForUrl(const std::string& url);

// What an answer asks of Kivo: the update was confirmed (good, nochg); the user has to act
// first (a wrong account or domain, a block, an answer Kivo does not know); the provider
// has trouble and asks for 30 minutes; no answer arrived.
enum class AnswerKind { Confirmed, NeedsUser, ProviderTrouble, NoAnswer };

// What a reply tells the user: a status text, or a "未知消息:" box with the reply.
struct ReplyOutcome {
    std::optional<std::string> statusText;
    std::optional<std::string> unknownBoxText;
    AnswerKind kind = AnswerKind::NeedsUser;
    std::string address;                 // the address a confirmation names
    bool alreadyCurrent = false;         // confirmed with nochg: the domain had that address
    std::int64_t retryAfterSeconds = 0;  // the provider asked for at least this long a wait
};
// The reply's lines: CR LF, LF or CR end a line; empty lines are left out.
std::vector<std::string> ReplyLines(const std::string& reply);
// Four decimal parts of 0-255 parted by dots, none with a leading zero.
bool IsDottedQuad(const std::string& text);
// A dotted quad, or an IPv6 address in its text form (groups of hex digits, one "::" at
// most, a dotted quad as its last 32 bits).
bool IsAddressText(const std::string& text);
// The same address, however written: IPv6 in upper or lower case, with "::", leading zeros
// or a dotted quad for its last 32 bits.
bool SameAddress(const std::string& a, const std::string& b);

// A line whose first word is "good" or "nochg" confirms (good first), naming the address
// after it only where that is one; then "nohost" anywhere; then the provider's other
// standard answers at the start of a line; anything else of 2 bytes or more is unknown, a
// shorter reply hints at the credentials.
ReplyOutcome InterpretReply(const std::string& reply);
// The reply to an update of the domains that domainText names. For one domain, and for a
// reply that holds no answer of the protocol, InterpretReply. For several, a line each in
// the order sent: every line confirming is the success (good before nochg, naming the
// first line's address); else the gravest line speaks (answers that need the user, then
// trouble at the provider, then unknown ones, each the first of its kind), after its
// domain's name where there is a line for every domain; a confirmation names the address of
// the first line that names one. Lines beyond the domains are ignored; one line answers for
// the whole request; another count of lines is an unknown answer.
ReplyOutcome InterpretReplyFor(const std::string& reply, const std::string& domainText);
// How grave an outcome is, where one speaks for several domains: an answer that needs the
// user, then trouble at the provider, then an unknown answer, then no answer; 0 for a
// confirmation.
int GravityOf(const ReplyOutcome& outcome);
// What an exchange tells the user: its reply's outcome, or why there is none. A reply of
// another status than 200 or 401 that holds no dyndns answer (a server's error, a redirect,
// a portal's page) is the provider's trouble, told with its status and any Retry-After in
// seconds.
ReplyOutcome OutcomeOf(const HttpReply& reply, const std::string& domainText = "");
// What an update at the provider came to: what it tells the user, and for the log the
// provider's reply where one request went (dyndns), or else an account of the calls that an
// API conversation made (at most 80 bytes, without secrets).
struct UpdateAnswer {
    ReplyOutcome outcome;
    std::optional<HttpReply> reply;
    std::string logAnswer;
};

// The text with every copy of the password (as typed or percent-encoded) and of the
// credentials' Base64 replaced by "***": whatever a provider echoes, nothing Kivo shows or
// writes holds them.
std::string WithoutSecrets(std::string text, const UpdateFields& fields);
// The outcome's texts without the secrets, before anything is cut from them; what it means
// is read from the provider's own bytes.
ReplyOutcome WithoutSecrets(ReplyOutcome outcome, const UpdateFields& fields);

// A provider's own way of giving an answer of the protocol: a line that starts so, and
// holds this where it is not null, says the word ("good", "nochg", "badauth", …).
struct AnswerForm {
    const char* starts;
    const char* holds;
    const char* word;
};
// The reply with each line of a provider's own form put as the protocol says it, "good" and
// "nochg" followed by the address the line names; other lines as they are. forms ends at an
// entry whose form is null; null forms leave the reply as it is.
std::string InProtocolWords(const std::string& reply, const AnswerForm* forms);

// The update's answer from a dyndns provider's reply to the fields' domains, read in the
// protocol's words (forms: the provider's own, or null); the log keeps the reply as it came.
UpdateAnswer DyndnsAnswer(const HttpReply& reply, const std::string& domainText,
                          const AnswerForm* forms = nullptr);

// The outcome as a run that nobody watches tells it, on the status line alone: an unknown
// reply as "未知消息:" and its first line, cut to at most 100 bytes without splitting a
// double-byte character.
std::string UnattendedStatusOf(const ReplyOutcome& outcome, bool (*isLeadByte)(unsigned char));

// An exchange's reading stops waiting this long after it began, unless it is given less:
// a body that trickles in cannot hold the run.
inline constexpr unsigned ExchangeBudgetMs = 25000;
// Reads one piece of the body into the buffer: at most `room` bytes, waiting at most
// `waitMs` for them; with 0 it takes only bytes that have already arrived. Returns false
// when the read failed or nothing came in time; a true read of 0 bytes is the end of the
// body (its announced length read, or the connection closed after it).
using ReadPiece =
    std::function<bool(char* buffer, std::size_t room, unsigned waitMs, std::size_t* got)>;
// Reads piece after piece until `limit` bytes or the end of the body, and keeps the
// bytes before the first NUL. Nothing when a read failed, or when the body is still
// incomplete once budgetMs have passed since the exchange began (elapsedMs tells how long
// ago): a body complete by then is kept, however late its end is read.
std::optional<std::string> ReadReply(const ReadPiece& readPiece,
                                     const std::function<unsigned()>& elapsedMs,
                                     unsigned budgetMs = ExchangeBudgetMs,
                                     std::size_t limit = ReplyLimit);

#endif
