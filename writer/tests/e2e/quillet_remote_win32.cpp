#include "quillet_remote_win32.h"

#include <vector>

#include "resource.h"

namespace quillet_remote {

namespace {

constexpr DWORD PollInterval = 50;
constexpr UINT MessageTimeout = 2000;
constexpr int MessageBoxTextId = 0xFFFF;
constexpr int FileNameComboId = 0x047C;  // cmb13 of the explorer-style dialog
constexpr int FileNameEditId = 0x0480;   // edt1

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && ClassName(window) == DialogClass) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TopLevelDialogs() {
    std::vector<HWND> windows;
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The edit control that takes the file name, in either layout of the dialog.
HWND FileNameEdit(HWND fileDialog) {
    if (HWND combo = GetDlgItem(fileDialog, FileNameComboId)) {
        if (HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr)) {
            return edit;
        }
        HWND inner = FindWindowExW(combo, nullptr, L"ComboBox", nullptr);
        if (HWND edit = inner ? FindWindowExW(inner, nullptr, L"Edit", nullptr) : nullptr) {
            return edit;
        }
    }
    return GetDlgItem(fileDialog, FileNameEditId);
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

bool WaitUntil(const std::function<bool()>& probe, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (probe()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(PollInterval);
    }
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, MessageTimeout, &copied)) {
        return {};
    }
    return std::wstring(text, copied);
}

std::wstring ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::wstring();
}

HWND FindMainDialog(DWORD processId, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelDialogs()) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if ((processId == 0 || owner == processId) &&
                    GetDlgItem(window, IDC_STATUS_LINE) != nullptr &&
                    WindowText(window) == ProgramCaption) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND WaitForOwnedDialog(HWND owner, const std::function<bool(const std::wstring&)>& accept,
                        DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelDialogs()) {
                if (GetWindow(window, GW_OWNER) == owner && accept(WindowText(window))) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

void Click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring FileNameText(HWND fileDialog) {
    HWND edit = FileNameEdit(fileDialog);
    return edit ? WindowText(edit) : std::wstring();
}

bool ChooseFile(HWND fileDialog, const std::wstring& path) {
    HWND edit = FileNameEdit(fileDialog);
    if (edit == nullptr) {
        return false;
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                        SMTO_ABORTIFHUNG, MessageTimeout, &ignored);
    Click(fileDialog, IDOK);
    return true;
}

std::wstring MessageBoxText(HWND messageBox) {
    return ControlText(messageBox, MessageBoxTextId);
}

}  // namespace quillet_remote
