// take_numbers DSN COUNTER N: takes N numbers from the counter, one per line.
#include <cstdio>
#include <string>

#include "next_number.h"
#include "odbc.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: take_numbers DSN COUNTER N\n");
        return 1;
    }
    try {
        Connection connection(argv[1]);
        for (int i = std::stoi(argv[3]); i > 0; --i)
            std::printf("%lld\n", TakeNextNumber(connection, argv[2]));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "take_numbers: %s\n", error.what());
        return 2;
    }
    return 0;
}
