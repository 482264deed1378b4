#include "probe_eeprom.h"

int WriteImagePages(ProbeEeprom& eeprom, const uint8_t* image, const PageWritten& written) {
    int first = BridgeSuccess;
    for (unsigned offset = 0; offset < EepromSize; offset += EepromPageSize) {
        const int status = eeprom.WritePage(offset, image + offset);
        if (written)
            written(offset, status);
        if (first == BridgeSuccess)
            first = status;
    }
    return first;
}
