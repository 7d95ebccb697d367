// The update command's Win32 side: the fields of MainDialog, what the user's own run
// shows, and the exchange with the provider.
#ifndef KIVO_RUN_UPDATE_WIN_H
#define KIVO_RUN_UPDATE_WIN_H

#include <windows.h>

#include <string>

#include "update/providers_rules.h"

// The four fields as MainDialog holds them now, each read into 255 bytes.
UpdateFields ReadUpdateFields(HWND mainDialog);

void ShowStatus(HWND mainDialog, const std::string& text);

// The user's run checks the fields first ("检查数据..."), the user name only where the
// provider uses one: the first failed check writes its status text and shows its "警告:"
// box; when all pass, "开始更新IP,请稍后..." shows and the result is true.
bool FieldsPassForUser(HWND mainDialog, const UpdateFields& fields, bool userNameUsed);

// The outcome as the user's run tells it: on StatusLine, or in a "未知消息:" box with no
// owner, so that the window stays usable meanwhile.
void ShowUserOutcome(HWND mainDialog, const ReplyOutcome& outcome);

// Sends the dyndns update for the fields to the provider and returns its answer. Blocks.
HttpReply SendUpdate(const ProviderChoice& provider, const UpdateFields& fields);

#endif
