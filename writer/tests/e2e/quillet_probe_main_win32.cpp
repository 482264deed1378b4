// quillet-probe: reads or closes a running Quillet from outside, for the run script.
//   quillet-probe status [SECONDS]  waits for the dialog's first poll, prints the status line
//   quillet-probe close [SECONDS]   presses "Close" and waits for the dialog to go
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "quillet_remote_win32.h"
#include "resource.h"

namespace {

constexpr char InitialStatus[] = "Communication Closed";
constexpr int DefaultSeconds = 30;

int Usage() {
    std::fprintf(stderr, "usage: quillet-probe status|close [SECONDS]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        return Usage();
    }
    const DWORD timeout = 1000u * (argc == 3 ? std::atoi(argv[2]) : DefaultSeconds);
    HWND dialog = quillet_remote::FindMainDialog(0, timeout);
    if (dialog == nullptr) {
        std::fprintf(stderr, "quillet-probe: no Quillet window\n");
        return 1;
    }
    if (std::strcmp(argv[1], "status") == 0) {
        std::string status;
        quillet_remote::WaitUntil(
            [&] {
                status = quillet_remote::Utf8(quillet_remote::ControlText(dialog, IDC_STATUS_LINE));
                return !status.empty() && status != InitialStatus;
            },
            timeout);
        std::printf("%s\n", status.c_str());
        return 0;
    }
    if (std::strcmp(argv[1], "close") == 0) {
        quillet_remote::Click(dialog, IDCANCEL);
        return quillet_remote::WaitUntil([&] { return !IsWindow(dialog); }, timeout) ? 0 : 1;
    }
    return Usage();
}
