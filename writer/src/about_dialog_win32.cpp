#include "about_dialog_win32.h"

#include "resource.h"

namespace {

INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(window, LOWORD(wParam));
                return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

void RunAboutDialog(HINSTANCE instance, HWND owner) {
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, AboutDialogProc, 0);
}
