#include "writer_dialog_win32.h"

#include <optional>

#include "about_dialog_win32.h"
#include "dialog_view_win32.h"
#include "i2c_bridge.h"
#include "refresh_status.h"
#include "resource.h"
#include "write_workflow.h"

namespace {

constexpr UINT_PTR StatusTimerId = 1;
constexpr UINT StatusPeriod = 1000;  // ms between polls
constexpr UINT SystemCommandMask = 0xFFF0;
constexpr int MenuTextCapacity = 128;

struct WriterDialog {
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HWND window = nullptr;
    UINT_PTR timer = 0;
    std::optional<I2cBridge> bridge;
    std::optional<DialogView> view;
};

WriterDialog* DialogOf(HWND window) {
    return reinterpret_cast<WriterDialog*>(GetWindowLongPtrW(window, DWLP_USER));
}

void Refresh(WriterDialog& dialog) {
    RefreshStatus(*dialog.bridge, LinkedProbeBinding(), *dialog.view);
}

void AppendAboutItem(WriterDialog& dialog) {
    wchar_t text[MenuTextCapacity] = {};
    if (LoadStringW(dialog.instance, IDS_ABOUTBOX, text, MenuTextCapacity) <= 0) {
        return;
    }
    if (HMENU menu = GetSystemMenu(dialog.window, FALSE)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text);
    }
}

BOOL OnInitDialog(WriterDialog& dialog) {
    AppendAboutItem(dialog);
    SendMessageW(dialog.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(dialog.icon));
    SendMessageW(dialog.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(dialog.icon));
    dialog.bridge.emplace();
    dialog.view.emplace(dialog.window);
    Refresh(dialog);  // the status line is current before the dialog first shows
    dialog.timer = SetTimer(dialog.window, StatusTimerId, StatusPeriod, nullptr);
    return TRUE;  // focus goes to the first tab stop, "Close"
}

// Draws the program icon centred in the client area of the minimised dialog.
void PaintMinimised(const WriterDialog& dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog.window, &paint);
    SendMessageW(dialog.window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(dialog.window, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, dialog.icon);
    EndPaint(dialog.window, &paint);
}

INT_PTR CALLBACK WriterDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<WriterDialog*>(lParam);
        dialog->window = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        return OnInitDialog(*dialog);
    }
    WriterDialog* dialog = DialogOf(window);
    if (dialog == nullptr) {
        return FALSE;
    }
    switch (message) {
        case WM_TIMER:
            if (wParam == StatusTimerId) {
                Refresh(*dialog);
            }
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_WRITE && HIWORD(wParam) == BN_CLICKED) {
                RunWriteWorkflow(*dialog->bridge, *dialog->view);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(window, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        case WM_SYSCOMMAND:
            if ((wParam & SystemCommandMask) == IDM_ABOUTBOX) {
                RunAboutDialog(dialog->instance, window);
                return TRUE;
            }
            return FALSE;
        case WM_PAINT:
            if (IsIconic(window)) {
                PaintMinimised(*dialog);
                return TRUE;
            }
            return FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(dialog->icon);
    }
    return FALSE;
}

}  // namespace

INT_PTR RunWriterDialog(HINSTANCE instance) {
    WriterDialog dialog;
    dialog.instance = instance;
    dialog.icon = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_QUILLET_DIALOG), nullptr,
                           WriterDialogProc, reinterpret_cast<LPARAM>(&dialog));
}
