// What the poll and the write workflow need from the dialog around them.
#pragma once

#include <filesystem>
#include <optional>

#include "status_line.h"

class WriterView : public StatusLine {
  public:
    // The image file the operator picked, or nothing when the choice was cancelled.
    virtual std::optional<std::filesystem::path> ChooseImageFile() = 0;
    // A message with an OK button only, owned by the dialog.
    virtual void ShowMessage(const char* text) = 0;
};
