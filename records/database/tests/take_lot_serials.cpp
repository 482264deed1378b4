// take_lot_serials DSN LOT WORKERS EACH: takes serials from a lot of the
// database with that many workers sharing one connection (EACH < 0: until used
// up), printing what each serial became.
#include <cstdio>
#include <string>

#include "lot_serials.h"
#include "odbc.h"
#include "serial_takers.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: take_lot_serials DSN LOT WORKERS EACH\n");
        return 1;
    }
    try {
        const auto ledger = OpenDatabaseLot(std::make_unique<Connection>(argv[1]), argv[2]);
        const TakersOutcome outcome =
            RunTakers(*ledger, std::stoi(argv[3]), std::stol(argv[4]), "database");
        std::fputs(TakersText(outcome).c_str(), stdout);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "take_lot_serials: %s\n", error.what());
        return 2;
    }
    return 0;
}
