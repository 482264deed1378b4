// take_local_serials FOLDER LOT FIRST-LAST WORKERS EACH: makes the lot in the
// folder where new and takes serials from it with that many workers (EACH < 0:
// until used up), printing what each serial became.
#include <cstdio>
#include <string>

#include "serial_takers.h"

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: take_local_serials FOLDER LOT FIRST-LAST WORKERS EACH\n");
        return 1;
    }
    try {
        LotDefinition lot;
        lot.name = argv[2];
        lot.serials = ParseSerialRange(argv[3]);
        lot.templateSha256 = std::string(64, '0');
        const auto ledger = OpenLocalLot(argv[1], lot);
        const TakersOutcome outcome =
            RunTakers(*ledger, std::stoi(argv[4]), std::stol(argv[5]), "local");
        std::fputs(TakersText(outcome).c_str(), stdout);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "take_local_serials: %s\n", error.what());
        return 2;
    }
    return 0;
}
