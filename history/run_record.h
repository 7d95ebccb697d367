// What started a run and what it did: what the watch hands to the log, the tray tip and the
// balloons.
#ifndef KIVO_RUN_RECORD_H
#define KIVO_RUN_RECORD_H

#include <optional>
#include <string>

#include "update/update_rules.h"

// What started a run: the user (F3, "更 新", the tray menu) or the watch.
enum class RunTrigger { HotkeyF3, UpdateButton, TrayMenu, Start, Periodic, Resume, AddressChange };

// What one run did.
struct RunRecord {
    enum Result { Nothing, FieldsFailed, NoAddress, Unchanged, Sent } result = Nothing;
    std::string addressBefore;              // the last confirmed address; empty: none
    std::optional<std::string> addressNow;  // the current address, where the run learned it
    std::string checkedAt;                  // the host of the check service that told it
    std::optional<HttpReply> reply;         // the provider's, when a dyndns update went out
    std::string apiAnswer;                  // what an API conversation did, for the log
    ReplyOutcome outcome;                   // what the update came to, its texts shown
    std::string status;                     // the last status text of the run
    bool pausedNow = false;                 // the run left the watch paused
};

#endif
