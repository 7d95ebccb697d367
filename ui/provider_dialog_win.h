#ifndef KIVO_PROVIDER_DIALOG_WIN_H
#define KIVO_PROVIDER_DIALOG_WIN_H

#include <windows.h>

#include "address/check_choice.h"
#include "update/providers_rules.h"

struct ProviderSettings {
    ProviderChoice provider;
    CheckChoice check;
};

// The "服务商设置" dialog (template IDD_PROVIDER), modal over the owner, showing the
// settings given. True, with the settings changed, once 确定 (or Enter) found them sound;
// false for 取消 (or Escape). What is wrong is told inside the dialog, which stays open.
bool EditProviderSettings(HWND owner, ProviderSettings& settings);

#endif
