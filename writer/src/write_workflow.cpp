#include "write_workflow.h"

#include <array>

#include "image_files.h"
#include "status_texts.h"

void RunWriteWorkflow(ProbeEeprom& eeprom, WriterView& view) {
    const auto path = view.ChooseImageFile();
    if (!path) {
        return;
    }
    std::array<uint8_t, EepromSize> image{};
    switch (ReadImageFile(*path, image)) {
        case ImageFileResult::Missing:
            view.SetStatusText(StatusText::FileMissing);
            return;
        case ImageFileResult::Unreadable:
        case ImageFileResult::TooShort:
            view.SetStatusText(StatusText::FileTooShort);
            return;
        case ImageFileResult::Read:
            break;
    }
    const char* outcome = WriteImagePages(eeprom, image.data()) == BridgeSuccess
                              ? StatusText::WritingSuccess
                              : StatusText::WritingError;
    view.SetStatusText(outcome);
    view.ShowMessage(outcome);
}
