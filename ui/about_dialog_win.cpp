#include "ui/about_dialog_win.h"

#include "resources/resource_ids.h"

INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            ShowWindow(window, SW_SHOW);
            return TRUE;
        case WM_COMMAND:
            if (wParam == IDC_ABOUT_OK_BUTTON || wParam == IDC_ABOUT_CLOSE_LABEL) EndDialog(window, 0);
            return 0;
    }
    return 0;
}
