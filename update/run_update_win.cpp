#include "update/run_update_win.h"

void RunUpdate(HWND) {}
