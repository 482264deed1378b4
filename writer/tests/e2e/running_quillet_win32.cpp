#include "running_quillet_win32.h"

#include <atomic>
#include <fstream>

#include "quillet_remote_win32.h"
#include "resource.h"

namespace {

constexpr DWORD StartTimeout = 30000;
constexpr DWORD DialogTimeout = 15000;
constexpr DWORD ExitTimeout = 10000;
constexpr wchar_t EepromVariable[] = L"I2CBRDG_EEPROM";
constexpr wchar_t FaultVariable[] = L"I2CBRDG_FAULT";

void SetVariable(const wchar_t* name, const std::optional<std::wstring>& value) {
    SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
}

std::optional<std::wstring> Wide(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    return std::wstring(text->begin(), text->end());
}

}  // namespace

RunningQuillet::RunningQuillet(const BridgeEnvironment& environment,
                               const std::filesystem::path& workingDirectory) {
    SetVariable(EepromVariable, environment.eepromFile
                                    ? std::optional<std::wstring>(environment.eepromFile->wstring())
                                    : std::nullopt);
    SetVariable(FaultVariable, Wide(environment.faults));

    std::wstring commandLine = L"\"" + (ProgramDirectory() / L"Quillet.exe").wstring() + L"\"";
    const std::wstring directory =
        workingDirectory.empty() ? ProgramDirectory().wstring() : workingDirectory.wstring();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, directory.c_str(), &startup, &process_);
    SetVariable(EepromVariable, std::nullopt);
    SetVariable(FaultVariable, std::nullopt);
    if (started) {
        dialog_ = quillet_remote::FindMainDialog(process_.dwProcessId, StartTimeout);
    }
}

RunningQuillet::~RunningQuillet() {
    if (process_.hProcess == nullptr) {
        return;
    }
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT && !Close()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, ExitTimeout);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

std::wstring RunningQuillet::Status() const {
    return quillet_remote::ControlText(dialog_, IDC_STATUS_LINE);
}

bool RunningQuillet::WaitForStatus(const std::wstring& text, DWORD timeoutMs) const {
    return quillet_remote::WaitUntil([&] { return Status() == text; }, timeoutMs);
}

bool RunningQuillet::Close() {
    quillet_remote::Click(dialog_, IDCANCEL);
    return WaitForSingleObject(process_.hProcess, ExitTimeout) == WAIT_OBJECT_0;
}

HWND RunningQuillet::OpenFileDialog() {
    quillet_remote::Click(dialog_, IDC_WRITE);
    return quillet_remote::WaitForOwnedDialog(
        dialog_, [](const std::wstring& caption) { return caption != L"Quillet"; }, DialogTimeout);
}

bool RunningQuillet::ChooseImageFile(const std::wstring& path) {
    HWND chooser = OpenFileDialog();
    return chooser != nullptr && quillet_remote::ChooseFile(chooser, path);
}

std::optional<std::wstring> RunningQuillet::AnswerMessageBox(DWORD timeoutMs) {
    HWND box = quillet_remote::WaitForOwnedDialog(
        dialog_, [](const std::wstring& caption) { return caption == L"Quillet"; }, timeoutMs);
    if (box == nullptr) {
        return std::nullopt;
    }
    std::wstring text = quillet_remote::MessageBoxText(box);
    quillet_remote::Click(box, IDOK);
    quillet_remote::WaitUntil([&] { return !IsWindowVisible(box); }, DialogTimeout);
    return text;
}

bool RunningQuillet::CatchStatus(const std::wstring& text, DWORD timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < deadline) {
        if (Status() == text) {
            return true;
        }
    }
    return false;
}

std::filesystem::path ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    path = std::filesystem::temp_directory_path() /
           (L"quillet-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++));
    std::filesystem::create_directories(path);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::filesystem::path ScratchFolder::Write(const std::string& name, const void* bytes,
                                           size_t size) const {
    const auto file = path / name;
    std::ofstream out(file, std::ios::binary);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    return file;
}

bool SaveWindowImage(HWND window, const std::filesystem::path& file) {
    RECT area;
    if (!GetWindowRect(window, &area)) {
        return false;
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();

    const DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
    const DWORD imageBytes = rowBytes * height;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageBytes;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageBytes);

    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return copied && out.good();
}
