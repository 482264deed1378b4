#include "dialog_view_win32.h"

#include <commdlg.h>

#include <string>

#include "resource.h"

namespace {

constexpr wchar_t InitialFileName[] = L"EEPROM";
constexpr wchar_t DefaultExtension[] = L"bin";
// Pairs of description and pattern; the literal's own terminator ends the list.
constexpr wchar_t ImageFileFilter[] = L"Binaire(*.bin)\0*.bin\0All Files (*.*)\0*.*\0";
constexpr DWORD FileNameCapacity = 32768;

}  // namespace

void DialogView::SetStatusText(const char* text) {
    SetDlgItemTextA(dialog_, IDC_STATUS_LINE, text);
}

std::optional<std::filesystem::path> DialogView::ChooseImageFile() {
    std::wstring fileName(FileNameCapacity, L'\0');
    fileName.replace(0, std::size(InitialFileName) - 1, InitialFileName);

    OPENFILENAMEW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = dialog_;
    choice.lpstrFilter = ImageFileFilter;
    choice.nFilterIndex = 1;
    choice.lpstrFile = fileName.data();
    choice.nMaxFile = FileNameCapacity;
    choice.lpstrDefExt = DefaultExtension;
    choice.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!GetOpenFileNameW(&choice)) {
        return std::nullopt;
    }
    return std::filesystem::path(fileName.c_str());
}

void DialogView::ShowMessage(const char* text) {
    MessageBoxA(dialog_, text, ProgramName, MB_OK);
}
