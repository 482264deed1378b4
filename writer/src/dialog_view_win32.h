// The main dialog's status line, open-file dialog and message box.
#pragma once

#include <windows.h>

#include "writer_view.h"

inline constexpr char ProgramName[] = "Quillet";

class DialogView final : public WriterView {
  public:
    explicit DialogView(HWND dialog) : dialog_(dialog) {}

    void SetStatusText(const char* text) override;
    std::optional<std::filesystem::path> ChooseImageFile() override;
    void ShowMessage(const char* text) override;

  private:
    HWND dialog_;
};
