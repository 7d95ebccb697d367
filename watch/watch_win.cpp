#include "watch/watch_win.h"

#include <process.h>

#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "address/check_services.h"
#include "address/iphlpapi_win.h"
#include "address/local_ipv6_win.h"
#include "app/tray_win.h"
#include "base/code_page_win.h"
#include "base/critical_section_win.h"
#include "base/system_clock_win.h"
#include "dnsapi/api_providers.h"
#include "dnsapi/provider_update_win.h"
#include "history/activity_log_win.h"
#include "history/run_report_rules.h"
#include "resources/resource_ids.h"
#include "settings/file_io_win.h"
#include "settings/settings_file_win.h"
#include "update/http_exchange_win.h"
#include "update/run_update_win.h"
#include "watch/watch_rules.h"

namespace {

constexpr char StateExtension[] = ".state";

// What the worker asks the window to show: a status text, or the user's outcome (its status
// or its box); and at the end of a run, the tray's last result and perhaps a balloon.
struct Report {
    std::optional<ReplyOutcome> userOutcome;
    std::string status;
    std::string trayResult;
    std::optional<Balloon> balloon;
};

struct Job {
    enum Kind { User, AtStart, Due } kind;
    RunTrigger trigger;
    UpdateFields fields;
    bool ownIpv6;     // the update uses this PC's IPv6 address
    bool autoUpdate;  // "自动更新" ticked when the run was asked for
    ProviderChoice provider;
    CheckChoice check;
};

// Shared between the window's thread and the worker, under Lock.
CriticalSection Lock;
std::deque<Job> Jobs;
bool UserRunAsked = false;  // a user's update waits or runs
// What the window asks the worker to change in its memory before the next run.
enum MemoryEdit : unsigned { LiftPause = 1, ForgetAnswers = 2 };
unsigned MemoryEditsAsked = 0;
// " 关 " was clicked: no run starts any more; whenStopped is called once none runs.
bool Stopping = false;
bool JobRunning = false;
void (*WhenStopped)() = nullptr;
HANDLE JobsWaiting;  // an auto-reset event

// The window's thread alone.
HWND Window;
std::optional<CheckSchedule> Schedule;

void Post(Report report) {
    auto* posted = new Report(std::move(report));
    if (!PostMessageA(Window, WatchReportMessage, 0, reinterpret_cast<LPARAM>(posted))) {
        delete posted;  // the window has gone
    }
}

WatchMemory ReadState(const std::string& path) {
    try {
        if (FileExistsAt(path)) return ReadStateFile(ReadWholeFile(path));
    } catch (const std::exception&) {
    }
    return {};
}

// A state file that cannot be written costs at most one update more after a restart.
void SaveState(const std::string& path, const WatchMemory& memory) {
    try {
        ReplacementFile file(path);
        file.Write(ComposeStateFile(memory));
        file.PutInPlace();
    } catch (const std::exception&) {
    }
}

LocalTime LocalTimeNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

CheckResult CheckPublicAddress(const std::vector<HttpRequest>& services) {
    const DWORD start = GetTickCount();
    return CheckAddress(
        services,
        [](const HttpRequest& service, unsigned budgetMs) {
            return HttpExchange(service, budgetMs);
        },
        [start] { return static_cast<unsigned>(GetTickCount() - start); });
}

void UserRunOver() {
    Locked locked(Lock);
    UserRunAsked = false;
}

void RunJob(const Job& job, WatchMemory& memory, BalloonRules& balloons) {
    const std::vector<HttpRequest> services = CheckServicesFor(job.check);
    WatchExchanges exchanges;
    if (!services.empty()) exchanges.check = [&services] { return CheckPublicAddress(services); };
    if (job.ownIpv6) exchanges.ownIpv6 = ThisPcPublicIpv6;
    exchanges.update = [&job](const UpdateFields& fields) {
        return UpdateAtChosenProvider(job.provider, fields);
    };
    exchanges.needsAddress = NeedsAddress(job.provider.key);
    exchanges.usesUserName = UsesUserName(job.provider.key);
    exchanges.provider = DigestibleProvider(job.provider);
    exchanges.now = SecondsSince1970();
    exchanges.report = [](const std::string& status) {
        Report report;
        report.status = status;
        Post(std::move(report));
    };
    exchanges.isLeadByte = IsLeadByteOfAnsiCodePage;
    RunRecord record;
    Report end;
    const bool unattended = job.kind != Job::User;
    if (unattended) {
        record = RunUnattended(memory, job.fields, job.kind == Job::AtStart, exchanges);
        if (record.result == RunRecord::Nothing) return;
    } else {
        record = RunUserUpdate(memory, job.fields, exchanges);
        end.userOutcome = record.outcome;
    }
    const LocalTime at = LocalTimeNow();
    end.balloon = balloons.After(record, unattended);
    end.trayResult = TrayResultOf(at, record, job.autoUpdate);
    // Once its outcome shows, the user's run is over for the user: a press of "更 新" from
    // then on is no repeat, though the log and the state file are still being written.
    if (!unattended) UserRunOver();
    Post(std::move(end));
    // The outcome is out before the log is written, and nothing of the log can stop a run.
    try {
        AddToLog(LogLineOf(at, job.trigger, record, job.fields, IsLeadByteOfAnsiCodePage));
    } catch (const std::exception&) {
    }
}

std::optional<Job> NextJob() {
    Locked locked(Lock);
    if (Jobs.empty() || Stopping) return std::nullopt;
    Job job = Jobs.front();
    Jobs.pop_front();
    JobRunning = true;
    return job;
}

// Once a run's end is saved: a Kivo started after this one may read the state file.
void JobEnded(const Job& job) {
    void (*stopped)() = nullptr;
    {
        Locked locked(Lock);
        JobRunning = false;
        if (job.kind == Job::User) UserRunAsked = false;
        if (Stopping) stopped = std::exchange(WhenStopped, nullptr);
    }
    if (stopped) stopped();
}

// A provider changed: what the old one answered says nothing of the new one.
void ApplyMemoryEdits(WatchMemory& memory) {
    unsigned edits;
    {
        Locked locked(Lock);
        edits = std::exchange(MemoryEditsAsked, 0u);
    }
    if (edits & ForgetAnswers) memory = {};
    if (edits & LiftPause) memory.pausedFields.clear();
}

void AskMemoryEdit(MemoryEdit edit) {
    if (!Schedule) return;  // the settings' load fills the fields before the watch starts
    {
        Locked locked(Lock);
        MemoryEditsAsked |= edit;
    }
    SetEvent(JobsWaiting);
}

void ReportAddressesChanged() { PostMessageA(Window, AddressesChangedMessage, 0, 0); }
void ReportIpv6AddressesChanged() { PostMessageA(Window, AddressesChangedMessage, TRUE, 0); }

// Asks Windows to signal the event at the next change of the PC's IPv4 addresses; false
// where it cannot (then no change is ever reported, and the periodic checks carry on alone).
bool WatchAddresses(OVERLAPPED& overlapped) {
    const IpHelperFunctions* ipHelper = IpHelper();
    HANDLE ignored = nullptr;
    return ipHelper && ipHelper->NotifyAddrChange(&ignored, &overlapped) == ERROR_IO_PENDING;
}

unsigned __stdcall WorkerMain(void*) {
    const std::string statePath = PathBesideProgram(StateExtension);
    WatchMemory memory = ReadState(statePath);
    BalloonRules balloons;
    WatchIpv6AddressChanges(ReportIpv6AddressesChanged);
    OVERLAPPED addressChange = {};
    addressChange.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const bool watchingAddresses = WatchAddresses(addressChange);
    const HANDLE wakers[] = {JobsWaiting, addressChange.hEvent};
    for (;;) {
        const DWORD woken =
            WaitForMultipleObjects(watchingAddresses ? 2 : 1, wakers, FALSE, INFINITE);
        if (woken == WAIT_FAILED) return 1;
        if (woken == WAIT_OBJECT_0 + 1) {
            ResetEvent(addressChange.hEvent);
            ReportAddressesChanged();
            WatchAddresses(addressChange);
            continue;
        }
        // Each run first takes what the window asked meanwhile: a pause lifted by an edit
        // before a run must not lift the pause that run leaves.
        for (bool more = true; more;) {
            const WatchMemory before = memory;
            ApplyMemoryEdits(memory);
            const std::optional<Job> job = NextJob();
            if (job) {
                try {
                    RunJob(*job, memory, balloons);
                } catch (const std::exception&) {
                    // Out of memory: this run is lost, the next one comes.
                }
            }
            if (!(memory == before)) SaveState(statePath, memory);
            if (job) JobEnded(*job);
            more = job.has_value();
        }
    }
}

// A run nobody asked for replaces one that is still waiting: the newer fields count.
void Queue(Job job) {
    {
        Locked locked(Lock);
        Job* waiting = Jobs.empty() ? nullptr : &Jobs.back();
        if (job.kind == Job::User) {
            UserRunAsked = true;
            Jobs.push_back(std::move(job));
        } else if (waiting && waiting->kind != Job::User) {
            waiting->fields = job.fields;
            waiting->ownIpv6 = job.ownIpv6;
            waiting->autoUpdate = job.autoUpdate;
            waiting->provider = job.provider;
            waiting->check = job.check;
        } else {
            Jobs.push_back(std::move(job));
        }
    }
    SetEvent(JobsWaiting);
}

bool AutoUpdateTicked(HWND mainDialog) {
    return IsDlgButtonChecked(mainDialog, IDC_AUTO_UPDATE_BOX) == BST_CHECKED;
}

Job JobFor(HWND mainDialog, Job::Kind kind, RunTrigger trigger) {
    return {kind,
            trigger,
            ReadUpdateFields(mainDialog),
            OwnIpv6Chosen(),
            AutoUpdateTicked(mainDialog),
            ProviderChosen(),
            CheckChoiceMade()};
}

// With "自动更新" ticked: a run, or without a provider, nothing but the reason why.
void QueueUnattended(HWND mainDialog, Job::Kind kind, RunTrigger trigger) {
    if (!AutoUpdateTicked(mainDialog)) return;
    if (!ProviderChosen().Made()) {
        ShowStatus(mainDialog, NoProviderText);
        return;
    }
    Queue(JobFor(mainDialog, kind, trigger));
}

void ArmTimer(HWND mainDialog) {
    const std::uint32_t delay = Schedule->DelayUntilDue(GetTickCount());
    SetTimer(mainDialog, WatchTimerId, delay > 0 ? delay : 1, nullptr);
}

}  // namespace

void StartWatch(HWND mainDialog) {
    Window = mainDialog;
    JobsWaiting = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    // The worker lives as long as the process: ending Kivo never waits for an exchange.
    const uintptr_t worker = _beginthreadex(nullptr, 0, WorkerMain, nullptr, 0, nullptr);
    if (worker) CloseHandle(reinterpret_cast<HANDLE>(worker));
    Schedule.emplace(GetTickCount());
    ArmTimer(mainDialog);
    QueueUnattended(mainDialog, Job::AtStart, RunTrigger::Start);
}

// A user's update asked for while another waits or runs is dropped, without a word: pressed
// again and again, "更 新" must not send what providers count as abuse, and the status line
// keeps telling the one on its way.
void RunUpdate(HWND mainDialog, RunTrigger trigger) {
    {
        Locked locked(Lock);
        if (UserRunAsked) return;
    }
    Job job = JobFor(mainDialog, Job::User, trigger);
    if (FieldsPassForUser(mainDialog, job.fields, UsesUserName(job.provider.key))) {
        Queue(std::move(job));
    }
}

void OnPasswordEdited() { AskMemoryEdit(LiftPause); }

void OnChoicesMade(bool providerChanged) {
    if (!Schedule) return;
    {
        Locked locked(Lock);
        for (Job& waiting : Jobs) {
            waiting.provider = ProviderChosen();
            waiting.check = CheckChoiceMade();
        }
    }
    if (providerChanged) AskMemoryEdit(ForgetAnswers);
}

void StopWatch(void (*whenStopped)()) {
    bool idle = !Schedule;
    if (Schedule) {
        Locked locked(Lock);
        Stopping = true;
        Jobs.clear();
        idle = !JobRunning;
        if (!idle) WhenStopped = whenStopped;
    }
    if (idle) whenStopped();
}

void CheckNow(HWND mainDialog, RunTrigger trigger) {
    QueueUnattended(mainDialog, Job::Due, trigger);
}

void OnWatchTimer(HWND mainDialog) {
    KillTimer(mainDialog, WatchTimerId);
    if (const std::optional<RunTrigger> due = Schedule->TakeDue(GetTickCount())) {
        CheckNow(mainDialog, *due);
    }
    ArmTimer(mainDialog);
}

// A resume may be reported before the watch has started, under a box of the start-up.
void OnResumed(HWND mainDialog) {
    if (!Schedule) return;
    Schedule->Resumed(GetTickCount());
    ArmTimer(mainDialog);
}

// A change of the IPv6 addresses alone (privacy addresses come and go every day) matters
// only while the updates use this PC's IPv6 address.
void OnAddressesChanged(HWND mainDialog, bool ipv6) {
    if (ipv6 && !OwnIpv6Chosen()) return;
    Schedule->AddressesChanged(GetTickCount());
    ArmTimer(mainDialog);
}

void OnWatchReport(HWND mainDialog, LPARAM posted) {
    const std::unique_ptr<Report> report(reinterpret_cast<Report*>(posted));
    if (!report->trayResult.empty()) {
        SetTrayResult(mainDialog, report->trayResult);
        if (report->balloon) {
            ShowResultBalloon(mainDialog, report->balloon->text, report->balloon->warning);
        }
    }
    if (report->userOutcome) {
        ShowUserOutcome(mainDialog, *report->userOutcome);
    } else if (!report->status.empty()) {
        ShowStatus(mainDialog, report->status);
    }
}
