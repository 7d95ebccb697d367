// The rules of the unattended watch over plain byte strings: when a check is due, whether
// to send an update, what an answer leaves for the next run, and the state file that keeps
// it across restarts.
#ifndef KIVO_WATCH_RULES_H
#define KIVO_WATCH_RULES_H

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "address/check_services.h"
#include "history/run_record.h"
#include "update/update_rules.h"

inline constexpr char AddressUnchangedText[] = "IP地址没有变化,无需更新,当前IP为:";
inline constexpr char CheckFailedText[] = "无法获取当前IP地址,稍后自动重试!";
inline constexpr char NoPublicIpv6Text[] = "本机没有公网IPv6地址,请检查网络设置!";

// --- when checks are due (milliseconds of a clock that wraps, like GetTickCount's)

inline constexpr std::uint32_t CheckPeriodMs = 10 * 60 * 1000;
inline constexpr std::uint32_t NudgeDelayMs = 5 * 1000;
// A network that reconnects reports many address changes: their checks stay this far apart.
inline constexpr std::uint32_t AddressChangeSpacingMs = 60 * 1000;

class CheckSchedule {
public:
    explicit CheckSchedule(std::uint32_t now) : dueAt_(now + CheckPeriodMs) {}
    // Windows resumed from sleep.
    void Resumed(std::uint32_t now) { Bring(now + NudgeDelayMs, RunTrigger::Resume); }
    // The PC's own addresses changed.
    void AddressesChanged(std::uint32_t now);
    // How long until the next check is due; 0 when it is due now. Once due, the next one
    // is due a period later.
    std::uint32_t DelayUntilDue(std::uint32_t now) const;
    // What brought the check that is due now (Periodic, Resume or AddressChange), or nothing.
    std::optional<RunTrigger> TakeDue(std::uint32_t now);

private:
    void Bring(std::uint32_t at, RunTrigger reason);

    std::uint32_t dueAt_;
    RunTrigger dueFor_ = RunTrigger::Periodic;
    std::optional<std::uint32_t> lastChangeCheckAt_;
};

// --- what the watch remembers, and the state file that keeps it

inline constexpr std::int64_t RefreshAfterSeconds = 25 * 24 * 60 * 60;
inline constexpr std::int64_t ProviderTroubleWaitSeconds = 30 * 60;
// A provider may ask for a longer wait (Retry-After), up to this.
inline constexpr std::int64_t LongestProviderWaitSeconds = 6 * 60 * 60;

// A digest of the domain, the IP field and the user name, of the choice of this PC's IPv6
// address and of the provider, that stands for them in the state file: it changes whenever
// any of them changes and holds none of them. The password is no input: the running Kivo
// lifts a pause when it is edited instead. Of the provider only its key and its address up
// to the query go in, where a password typed into the address would stand.
std::string FieldsFingerprint(const UpdateFields& fields, bool ownIpv6 = false,
                              const std::string& provider = "");

struct WatchMemory {
    std::string confirmedAddress;  // empty: none confirmed, or a confirmation that named none
    std::int64_t confirmedAt = 0;  // seconds since 1970 (UTC)
    std::string confirmedFields;   // the fingerprint of the fields of that update
    std::string pausedFields;      // the fields an answer that needs the user came for
    std::int64_t heldUntil = 0;    // no unattended update before this, after 911 or dnserr
    bool operator==(const WatchMemory& o) const {
        return confirmedAddress == o.confirmedAddress && confirmedAt == o.confirmedAt &&
               confirmedFields == o.confirmedFields && pausedFields == o.pausedFields &&
               heldUntil == o.heldUntil;
    }
};

// The state file's bytes, and back; a missing, damaged or foreign file is an empty memory.
std::string ComposeStateFile(const WatchMemory& memory);
WatchMemory ReadStateFile(const std::string& bytes);

// What an answer leaves: a confirmation records the address that led to it (the one sent
// as myip, else the one the answer names, else none), the fields and the time, and lifts a
// pause; an answer that needs the user pauses the watch until the fields change; trouble
// at the provider holds it for 30 minutes, or as long as the provider asked up to 6 hours;
// no answer changes nothing.
WatchMemory MemoryAfter(WatchMemory memory, const ReplyOutcome& outcome,
                        const std::string& fingerprint, const std::string& sentAddress,
                        std::int64_t now);

// --- runs

// The exchanges of one run: the check of the public address (null when no service is to be
// asked) and the update at the provider; this PC's public IPv6 address (null unless the user chose
// it); the current time; and where the run's status texts go.
struct WatchExchanges {
    std::function<CheckResult()> check;
    std::function<std::optional<std::string>()> ownIpv6;
    std::function<UpdateAnswer(const UpdateFields&)> update;
    std::string provider;  // the chosen provider's key and address: a change sends anew
    // The provider's API takes no address from where a request comes: one must be sent.
    bool needsAddress = false;
    bool usesUserName = true;  // else the user name is not checked
    std::int64_t now = 0;
    std::function<void(const std::string&)> report;
    bool (*isLeadByte)(unsigned char) = nullptr;  // of the ANSI code page
};

// A run nobody watches: at start, or when a check is due with "自动更新" ticked. Paused,
// held or with fields that fail their checks it sends nothing; it learns the current
// address (the IP field's, else this PC's IPv6 address where chosen, else the check
// service's) and sends the update only when that
// address differs from the last confirmed one, a field changed since, 25 days have passed,
// or no update has been confirmed. At start without a confirmed update, or without any way
// to learn the address, it sends as every start did before.
RunRecord RunUnattended(WatchMemory& memory, const UpdateFields& fields, bool atStart,
                        const WatchExchanges& exchanges);

// The user's own update (F3, "更 新", the tray menu), whose fields passed their checks: it
// always sends (but not without an address where this PC's IPv6 address was chosen or the
// provider needs one, and none could be learned), and its going out lifts a pause.
RunRecord RunUserUpdate(WatchMemory& memory, const UpdateFields& fields,
                        const WatchExchanges& exchanges);

#endif
