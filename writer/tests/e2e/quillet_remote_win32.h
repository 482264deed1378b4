// Drives a running Quillet from another process through window messages only:
// finds its dialog, reads control texts, presses buttons, answers the open-file
// dialog and the message boxes it opens.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace quillet_remote {

inline constexpr wchar_t DialogClass[] = L"#32770";
inline constexpr wchar_t ProgramCaption[] = L"Quillet";

std::string Utf8(const std::wstring& text);

// Calls `probe` every 50 ms until it returns true or `timeoutMs` has passed.
bool WaitUntil(const std::function<bool()>& probe, DWORD timeoutMs);

// Text of a window, asked for with WM_GETTEXT so that it crosses processes.
std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int id);

// The visible main dialog of Quillet (of the given process, or of any when 0).
HWND FindMainDialog(DWORD processId, DWORD timeoutMs);

// A visible dialog owned by `owner` whose caption passes `accept`, e.g. the
// open-file dialog or a message box.
HWND WaitForOwnedDialog(HWND owner, const std::function<bool(const std::wstring&)>& accept,
                        DWORD timeoutMs);

// Posts a button click, so that a modal loop it starts does not block the caller.
void Click(HWND dialog, int id);

// The text of an open-file dialog's file-name box.
std::wstring FileNameText(HWND fileDialog);

// Types the path into the file-name box of an open-file dialog and presses Open.
bool ChooseFile(HWND fileDialog, const std::wstring& path);

// The text of a message box (its static control).
std::wstring MessageBoxText(HWND messageBox);

}  // namespace quillet_remote
