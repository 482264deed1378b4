#include "bench_place.h"

std::filesystem::path DefaultRecordPath() {
    const std::filesystem::path folder = UserDataFolder();
    if (folder.empty())
        return {};
    return folder / "probe-image" / "records.jsonl";
}
