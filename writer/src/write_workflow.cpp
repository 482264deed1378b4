#include "write_workflow.h"

#include <fstream>

#include "status_texts.h"

ImageFileResult ReadImageFile(const std::filesystem::path& path,
                              std::array<uint8_t, EepromSize>& image) {
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file.is_open()) {
        return ImageFileResult::Missing;
    }
    std::array<char, EepromSize> bytes{};
    file.read(bytes.data(), bytes.size());
    if (file.gcount() != static_cast<std::streamsize>(bytes.size())) {
        return ImageFileResult::TooShort;
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        image[i] = static_cast<uint8_t>(bytes[i]);
    }
    return ImageFileResult::Read;
}

void RunWriteWorkflow(I2cBridge& bridge, WriterView& view) {
    const auto path = view.ChooseImageFile();
    if (!path) {
        return;
    }
    std::array<uint8_t, EepromSize> image{};
    switch (ReadImageFile(*path, image)) {
        case ImageFileResult::Missing:
            view.SetStatusText(StatusText::FileMissing);
            return;
        case ImageFileResult::TooShort:
            view.SetStatusText(StatusText::FileTooShort);
            return;
        case ImageFileResult::Read:
            break;
    }
    const char* outcome = bridge.WriteImage(image.data()) == BridgeSuccess
                              ? StatusText::WritingSuccess
                              : StatusText::WritingError;
    view.SetStatusText(outcome);
    view.ShowMessage(outcome);
}
