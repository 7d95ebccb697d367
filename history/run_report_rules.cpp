#include "history/run_report_rules.h"

#include <cstdio>
#include <vector>

#include "base/text_lines.h"

namespace {

constexpr std::size_t AnswerLimit = 80;
constexpr char Separator[] = "  ";
constexpr char Unknown[] = "-";

std::string Clock(const LocalTime& at) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", at.hour, at.minute);
    return text;
}

std::string DateAndTime(const LocalTime& at) {
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", at.year, at.month, at.day,
                  at.hour, at.minute, at.second);
    return text;
}

// A double-byte character is a lead byte and a trail byte of 0x40 or more, never 0x7F.
bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte != 0x7F; }

std::string Escaped(const std::string& text, bool (*isLeadByte)(unsigned char)) {
    std::string shown;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (isLeadByte(byte) && at + 1 < text.size() &&
            IsTrailByte(static_cast<unsigned char>(text[at + 1]))) {
            shown += text.substr(at++, 2);
        } else if (byte < 0x20 || byte == 0x7F || isLeadByte(byte)) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            shown += escape;
        } else {
            shown += text[at];
        }
    }
    return shown;
}

// A status text's gist: up to its first comma, without the exclamation marks at its end.
std::string GistOf(const std::string& status) {
    std::string gist = status.substr(0, status.find(','));
    while (!gist.empty() && gist.back() == '!') gist.pop_back();
    return gist;
}

bool MovedTheDomain(const RunRecord& record) {
    return record.result == RunRecord::Sent && record.outcome.kind == AnswerKind::Confirmed &&
           !record.outcome.alreadyCurrent && record.outcome.address != record.addressBefore;
}

}  // namespace

const char* TriggerName(RunTrigger trigger) {
    switch (trigger) {
        case RunTrigger::HotkeyF3: return "热键F3";
        case RunTrigger::UpdateButton: return "更新按钮";
        case RunTrigger::TrayMenu: return "托盘菜单";
        case RunTrigger::Start: return "程序启动";
        case RunTrigger::Periodic: return "定时检查";
        case RunTrigger::Resume: return "系统唤醒";
        case RunTrigger::AddressChange: return "网络变化";
    }
    return "";
}

std::string AnswerForLog(const RunRecord& record, const std::string& domainText,
                         bool (*isLeadByte)(unsigned char)) {
    if (!record.reply) return record.apiAnswer.empty() ? "(未发送)" : record.apiAnswer;
    const HttpReply& reply = *record.reply;
    switch (reply.end) {
        case ExchangeEnd::Unreachable: return "(无应答)";
        case ExchangeEnd::Insecure: return "(未建立安全连接)";
        case ExchangeEnd::NoWinInet: return "(未发送,无法加载wininet.dll)";
        case ExchangeEnd::Replied: break;
    }
    // Only a line that is too long is cut: a lead byte that ends a short one is shown.
    const auto shown = [isLeadByte](std::string line) {
        if (line.size() > AnswerLimit) line = TextWithin(line, AnswerLimit, isLeadByte);
        return Escaped(line, isLeadByte);
    };
    std::string answer = reply.status == 200 ? "" : "HTTP " + std::to_string(reply.status) + " ";
    const std::vector<std::string> domains = DomainsIn(domainText);
    const std::vector<std::string> lines = ReplyLines(reply.body);
    if (domains.size() < 2 || lines.empty()) {
        const std::string first = reply.body.substr(0, reply.body.find_first_of("\r\n"));
        return answer + (first.empty() ? "(空)" : shown(first));
    }
    // Several domains: each one's answer, as far as the provider gave one.
    for (size_t i = 0; i < lines.size() && i < domains.size(); ++i) {
        answer += (i ? "; " : "") + domains[i] + ": " + shown(lines[i]);
    }
    return answer;
}

std::string LogLineOf(const LocalTime& at, RunTrigger trigger, const RunRecord& record,
                      const UpdateFields& fields, bool (*isLeadByte)(unsigned char)) {
    // The provider's bytes lose the secrets before anything is cut from them, so that no
    // part of one is left at a cut; the status lost them before it was cut.
    RunRecord told = record;
    if (told.reply) told.reply->body = WithoutSecrets(told.reply->body, fields);
    const std::string before = told.addressBefore.empty() ? Unknown : told.addressBefore;
    std::string now = told.addressNow.value_or(told.outcome.address);
    if (now.empty()) now = Unknown;
    if (!told.checkedAt.empty()) now += " (" + told.checkedAt + ")";
    // The status line shows nothing of a line end at the status text's end: neither does the log.
    std::string status = told.status;
    while (!status.empty() && (status.back() == '\n' || status.back() == '\r')) status.pop_back();
    // Everything but Kivo's own time and trigger may hold what a provider echoed.
    const std::string columns = before + " → " + now + Separator +
                                AnswerForLog(told, fields.domain, isLeadByte) + Separator +
                                Escaped(WithoutSecrets(status, fields), isLeadByte);
    return DateAndTime(at) + Separator + TriggerName(trigger) + Separator +
           WithoutSecrets(columns, fields);
}

bool LogMovesAsideBefore(std::uint64_t logBytes, std::size_t lineBytes) {
    return logBytes > 0 && logBytes + lineBytes > LogLimitBytes;
}

std::string TrayResultOf(const LocalTime& at, const RunRecord& record, bool autoUpdate) {
    if (record.pausedNow && autoUpdate) return "自动更新已暂停: " + GistOf(record.status);
    std::string result = Clock(at) + " ";
    if (record.result == RunRecord::Unchanged) return result + "IP未变 " + *record.addressNow;
    if (record.result == RunRecord::Sent && record.outcome.kind == AnswerKind::Confirmed) {
        return result + (record.outcome.alreadyCurrent ? "IP未变 " : "更新成功 ") +
               record.outcome.address;
    }
    return result + GistOf(record.status);
}

std::optional<Balloon> BalloonRules::After(const RunRecord& record, bool unattended) {
    const bool failed =
        record.result == RunRecord::NoAddress ||
        (record.result == RunRecord::Sent && (record.outcome.kind == AnswerKind::NoAnswer ||
                                              record.outcome.kind == AnswerKind::ProviderTrouble));
    if (record.result == RunRecord::Nothing) return std::nullopt;
    if (!unattended) {  // the user's update that worked ends a run of failures, nothing more
        if (!failed) failuresInARow_ = 0;
        return std::nullopt;
    }
    failuresInARow_ = failed ? failuresInARow_ + 1 : 0;
    if (MovedTheDomain(record)) return Balloon{"域名已更新为 " + record.outcome.address, false};
    if (record.pausedNow || (failed && failuresInARow_ == 3)) return Balloon{record.status, true};
    return std::nullopt;
}
