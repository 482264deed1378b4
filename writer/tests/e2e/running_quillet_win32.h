// A Quillet process started for one test, with its own bridge settings, and the
// means to watch and drive its dialog.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct BridgeEnvironment {
    std::optional<std::filesystem::path> eepromFile;  // I2CBRDG_EEPROM
    std::optional<std::string> faults;                // I2CBRDG_FAULT
};

class RunningQuillet {
  public:
    explicit RunningQuillet(const BridgeEnvironment& environment = {},
                            const std::filesystem::path& workingDirectory = {});
    ~RunningQuillet();
    RunningQuillet(const RunningQuillet&) = delete;
    RunningQuillet& operator=(const RunningQuillet&) = delete;

    HWND Dialog() const { return dialog_; }
    DWORD ProcessId() const { return process_.dwProcessId; }
    DWORD ThreadId() const { return process_.dwThreadId; }
    std::wstring Status() const;
    // Waits until the status line reads `text`.
    bool WaitForStatus(const std::wstring& text, DWORD timeoutMs) const;
    // Watches the status line without pause, to catch a text that the next poll
    // replaces within a second.
    bool CatchStatus(const std::wstring& text, DWORD timeoutMs) const;
    // Presses "Close" and waits for the process to end; false if it does not.
    bool Close();

    // Presses "Write" and waits for the open-file dialog.
    HWND OpenFileDialog();
    // Presses "Write", types the path into the open-file dialog and presses Open.
    bool ChooseImageFile(const std::wstring& path);
    // Waits for the result message box, reads it, presses OK.
    std::optional<std::wstring> AnswerMessageBox(DWORD timeoutMs);

  private:
    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

// The folder of the running test program, where Quillet and the libraries are built.
std::filesystem::path ProgramDirectory();

// A fresh folder under the temporary folder, removed with the object.
struct ScratchFolder {
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path Write(const std::string& name, const void* bytes, size_t size) const;

    std::filesystem::path path;
};

// Saves the screen area of a window as a 24-bit BMP file.
bool SaveWindowImage(HWND window, const std::filesystem::path& file);
