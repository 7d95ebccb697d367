#include "watch/watch_rules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dnsapi/api_conversation.h"

namespace {

constexpr char StateHeader[] = "[Kivo state 1]";

bool After(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) > 0; }

// A decimal count of at most 12 digits (seconds up to the year 33658), else 0.
std::int64_t NumberOf(const std::string& text) {
    if (text.empty() || text.size() > 12 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return std::strtoll(text.c_str(), nullptr, 10);
}

std::string FirstLineOf(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

void CheckSchedule::Bring(std::uint32_t at, RunTrigger reason) {
    if (!After(dueAt_, at)) return;
    dueAt_ = at;
    dueFor_ = reason;
}

void CheckSchedule::AddressesChanged(std::uint32_t now) {
    if (lastChangeCheckAt_ && After(*lastChangeCheckAt_, now)) return;  // that check sees it
    std::uint32_t at = now + NudgeDelayMs;
    if (lastChangeCheckAt_ && After(*lastChangeCheckAt_ + AddressChangeSpacingMs, at)) {
        at = *lastChangeCheckAt_ + AddressChangeSpacingMs;
    }
    lastChangeCheckAt_ = at;
    Bring(at, RunTrigger::AddressChange);
}

std::uint32_t CheckSchedule::DelayUntilDue(std::uint32_t now) const {
    return After(dueAt_, now) ? dueAt_ - now : 0;
}

std::optional<RunTrigger> CheckSchedule::TakeDue(std::uint32_t now) {
    if (After(dueAt_, now)) return std::nullopt;
    const RunTrigger reason = dueFor_;
    dueAt_ = now + CheckPeriodMs;
    dueFor_ = RunTrigger::Periodic;
    // A check still booked for an address change keeps its time. The time of one that came
    // is kept only while it spaces the next: a stale time must never be compared across the
    // clock's wrap.
    if (lastChangeCheckAt_ && After(*lastChangeCheckAt_, now)) {
        dueAt_ = *lastChangeCheckAt_;
        dueFor_ = RunTrigger::AddressChange;
    } else if (lastChangeCheckAt_ && now - *lastChangeCheckAt_ >= AddressChangeSpacingMs) {
        lastChangeCheckAt_.reset();
    }
    return reason;
}

// FNV-1a over each field's length and bytes, so that no two field sets run together. The
// password is left out: a fast digest of it would let anyone holding the state file alone
// test guesses of it. The IPv6 choice adds a byte only when made, and the provider its bytes
// only when it has any, so fingerprints saved before them still match.
std::string FieldsFingerprint(const UpdateFields& fields, bool ownIpv6,
                              const std::string& provider) {
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](unsigned char byte) { hash = (hash ^ byte) * 1099511628211ull; };
    for (const std::string* field : {&fields.domain, &fields.address, &fields.user}) {
        for (size_t size = field->size(), i = 0; i < 4; ++i, size >>= 8) mix(size & 0xFF);
        for (const char c : *field) mix(static_cast<unsigned char>(c));
    }
    if (ownIpv6) mix('6');
    for (const char c : provider) mix(static_cast<unsigned char>(c));
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(hash));
    return text;
}

std::string ComposeStateFile(const WatchMemory& memory) {
    return std::string(StateHeader) + "\r\naddress=" + FirstLineOf(memory.confirmedAddress) +
           "\r\nconfirmed=" + std::to_string(memory.confirmedAt) +
           "\r\nfields=" + memory.confirmedFields + "\r\npaused=" + memory.pausedFields +
           "\r\nheld=" + std::to_string(memory.heldUntil) + "\r\n";
}

WatchMemory ReadStateFile(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < bytes.size();) {
        const size_t end = std::min(bytes.find('\n', at), bytes.size());
        std::string line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    WatchMemory memory;
    if (lines.empty() || lines[0] != StateHeader) return memory;
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (equals == std::string::npos) continue;
        if (key == "address") memory.confirmedAddress = value;
        if (key == "confirmed") memory.confirmedAt = NumberOf(value);
        if (key == "fields") memory.confirmedFields = value;
        if (key == "paused") memory.pausedFields = value;
        if (key == "held") memory.heldUntil = NumberOf(value);
    }
    // A confirmation is whole or none: without its fields it could never be compared.
    if (memory.confirmedFields.empty()) memory.confirmedAddress.clear();
    return memory;
}

WatchMemory MemoryAfter(WatchMemory memory, const ReplyOutcome& outcome,
                        const std::string& fingerprint, const std::string& sentAddress,
                        std::int64_t now) {
    switch (outcome.kind) {
        case AnswerKind::Confirmed:
            memory.confirmedAddress =
                FirstLineOf(sentAddress.empty() ? outcome.address : sentAddress);
            memory.confirmedAt = now;
            memory.confirmedFields = fingerprint;
            memory.pausedFields.clear();
            memory.heldUntil = 0;
            break;
        case AnswerKind::NeedsUser: memory.pausedFields = fingerprint; break;
        case AnswerKind::ProviderTrouble:
            memory.heldUntil =
                now + std::clamp(outcome.retryAfterSeconds, ProviderTroubleWaitSeconds,
                                 LongestProviderWaitSeconds);
            break;
        case AnswerKind::NoAnswer: break;
    }
    return memory;
}

namespace {

// Learns the current address where the IP field holds none: this PC's IPv6 address where
// chosen, else what the check services tell. Nothing, with the status that says why, where
// none could be learned.
std::optional<std::string> LearnAddress(RunRecord& record, const WatchExchanges& exchanges,
                                        const char** why) {
    if (exchanges.ownIpv6) {
        record.addressNow = exchanges.ownIpv6();
        *why = NoPublicIpv6Text;
    } else if (exchanges.check) {
        const CheckResult checked = exchanges.check();
        record.addressNow = checked.address;
        record.checkedAt = checked.host;
        *why = CheckFailedText;
    } else {
        *why = ApiAddressNeededText;
    }
    if (!record.addressNow) record.result = RunRecord::NoAddress;
    return record.addressNow;
}

// Sends the update and takes what it came to; the texts shown lose every secret first.
void Send(RunRecord& record, const UpdateFields& sent, const WatchExchanges& exchanges) {
    UpdateAnswer answer = exchanges.update(sent);
    record.reply = answer.reply;
    record.apiAnswer = answer.logAnswer;
    record.outcome = WithoutSecrets(answer.outcome, sent);
    record.result = RunRecord::Sent;
    record.pausedNow = record.outcome.kind == AnswerKind::NeedsUser;
    record.status = UnattendedStatusOf(record.outcome, exchanges.isLeadByte);
}

}  // namespace

RunRecord RunUnattended(WatchMemory& memory, const UpdateFields& fields, bool atStart,
                        const WatchExchanges& exchanges) {
    RunRecord record;
    record.addressBefore = memory.confirmedAddress;
    const auto say = [&](const std::string& text) {
        exchanges.report(text);
        record.status = text;
    };
    const bool ownIpv6 = static_cast<bool>(exchanges.ownIpv6);
    const std::string fingerprint = FieldsFingerprint(fields, ownIpv6, exchanges.provider);
    if (memory.pausedFields == fingerprint) return record;
    if (const FieldCheck* failed = FirstFailedCheck(fields, exchanges.usesUserName)) {
        say(failed->statusText);
        memory.pausedFields = fingerprint;
        record.result = RunRecord::FieldsFailed;
        record.pausedNow = true;
        return record;
    }
    // A hold longer than any wait was set by a clock that has since been put right.
    if (exchanges.now < memory.heldUntil &&
        memory.heldUntil - exchanges.now <= LongestProviderWaitSeconds) {
        return record;
    }
    // A confirmation that named no address and followed none still counts: its fields and
    // time are kept, and only they, or an address learned later, bring the next update.
    const bool confirmed = !memory.confirmedFields.empty();
    std::optional<std::string>& current = record.addressNow;
    if (!fields.address.empty()) {
        current = fields.address;
    } else if (ownIpv6 || exchanges.needsAddress || (exchanges.check && (confirmed || !atStart))) {
        const char* why = nullptr;
        if (!LearnAddress(record, exchanges, &why)) {
            say(why);
            return record;
        }
    }
    // A confirmation dated in the future came from a clock that was wrong: refresh it.
    const bool send = !confirmed || memory.confirmedFields != fingerprint ||
                      exchanges.now - memory.confirmedAt >= RefreshAfterSeconds ||
                      exchanges.now < memory.confirmedAt ||
                      (current ? *current != memory.confirmedAddress : atStart);
    if (!send) {
        if (!current) return record;
        say(AddressUnchangedText + *current);
        record.result = RunRecord::Unchanged;
        return record;
    }
    say(StartingUpdateText);
    // The address that was compared is the one the provider gets: the address it would see
    // the request come from may be another (an IPv6 route, a proxy, NAT with several).
    UpdateFields sent = fields;
    if (current) sent.address = *current;
    Send(record, sent, exchanges);
    memory = MemoryAfter(memory, record.outcome, fingerprint, sent.address, exchanges.now);
    say(record.status);
    return record;
}

RunRecord RunUserUpdate(WatchMemory& memory, const UpdateFields& fields,
                        const WatchExchanges& exchanges) {
    RunRecord record;
    record.addressBefore = memory.confirmedAddress;
    UpdateFields sent = fields;
    if (fields.address.empty() && (exchanges.ownIpv6 || exchanges.needsAddress)) {
        const char* why = nullptr;
        if (!LearnAddress(record, exchanges, &why)) {
            record.outcome.statusText = record.status = why;
            record.outcome.kind = AnswerKind::NoAnswer;
            return record;
        }
        sent.address = *record.addressNow;
    }
    memory.pausedFields.clear();
    Send(record, sent, exchanges);
    memory = MemoryAfter(
        memory, record.outcome,
        FieldsFingerprint(fields, static_cast<bool>(exchanges.ownIpv6), exchanges.provider),
        sent.address, exchanges.now);
    return record;
}
