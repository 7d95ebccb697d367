// What a run leaves for the user to read without opening the window: its line in the log,
// the last result in the tray icon's tip, and a balloon when something needs telling.
#ifndef KIVO_RUN_REPORT_RULES_H
#define KIVO_RUN_REPORT_RULES_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "history/run_record.h"

struct LocalTime {
    int year, month, day, hour, minute, second;
};

// How the log names what started a run.
const char* TriggerName(RunTrigger trigger);

// --- the log

// The provider's answer as the log shows it: the first line, at most 80 bytes, after
// "HTTP nnn " when its status was not 200; control bytes and lead bytes without their
// trail byte as \xNN; for several domains, each one's line after its name. An API
// conversation's account of its calls. Or, in brackets, why there is no answer.
std::string AnswerForLog(const RunRecord& record, const std::string& domainText,
                         bool (*isLeadByte)(unsigned char));

// One line of the log, without its line end: the local time, what started the run, the
// address before and the one it learned (with the check service's host in brackets, where
// one told it), the answer, the status text. Two spaces part them.
std::string LogLineOf(const LocalTime& at, RunTrigger trigger, const RunRecord& record,
                      const UpdateFields& fields, bool (*isLeadByte)(unsigned char));

inline constexpr std::uint64_t LogLimitBytes = 256 * 1024;
// Whether a log of this size moves aside before a line of this size is added: when the
// line would take it past the limit. An empty log takes any line.
bool LogMovesAsideBefore(std::uint64_t logBytes, std::size_t lineBytes);

// --- the tray

// The tip's line for the last result: "hh:mm 更新成功 <address>", "hh:mm IP未变 <address>",
// "hh:mm <what failed>", or "自动更新已暂停: <why>" when the run paused the watch.
std::string TrayResultOf(const LocalTime& at, const RunRecord& record, bool autoUpdate);

struct Balloon {
    std::string text;
    bool warning;  // the watch paused or keeps failing
};

// Decides the balloons of unattended runs: the domain moved to a new address; the watch
// paused; the third failure in a row. Never for a run that found no change, nor for the
// user's own runs, though one that worked ends a run of failures.
class BalloonRules {
public:
    std::optional<Balloon> After(const RunRecord& record, bool unattended);

private:
    int failuresInARow_ = 0;
};

#endif
