// Programs writing images of one serial at once, each to an EEPROM file of its
// own and all into one journal: every write succeeds, every as-found backup
// takes a name of its own, and the journal's chain holds every record.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;

TEST(ParallelWrites, OfOneSerialAllSucceedWithABackupEach) {
    constexpr int kPrograms = 4, kWrites = 15;
    const fs::path folder = fs::path(::testing::TempDir()) / "probe-image-parallel";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const auto run = [&](const std::vector<std::string>& arguments, const std::string& output) {
        return RunProgram(ProgramBesideMe("probe-image"), arguments, folder / output);
    };
    const std::string image = (folder / "a.bin").string();
    ASSERT_EQ(
        run({"new", "--type", "3", "-o", image, "--set", "Serial=42", "PositionCoefficients=0,1"},
            "new.txt"),
        0);
    const std::string journal = (folder / "records.jsonl").string();

    int failed[kPrograms] = {};
    std::vector<std::thread> programs;
    for (int p = 0; p < kPrograms; ++p)
        programs.emplace_back([&, p] {
            for (int w = 0; w < kWrites; ++w) {
                const std::string name = std::to_string(p) + "-" + std::to_string(w);
                const fs::path eeprom = folder / ("eeprom-" + name + ".bin");
                std::ofstream(eeprom, std::ios::binary) << std::string(256, '\xFF');
                if (run({"write", image, "--eeprom", eeprom.string(), "--record", journal},
                        "write-" + name + ".txt") != 0)
                    ++failed[p];
            }
        });
    for (std::thread& program : programs)
        program.join();
    for (int p = 0; p < kPrograms; ++p)
        EXPECT_EQ(failed[p], 0) << "program " << p;

    std::set<std::string> backups;
    std::ifstream lines(journal, std::ios::binary);
    int records = 0;
    for (std::string line; std::getline(lines, line); ++records) {
        const auto record = nlohmann::json::parse(line);
        EXPECT_EQ(record["exit"], 0) << record["message"];
        backups.insert(record["backup"].get<std::string>());
    }
    EXPECT_EQ(records, kPrograms * kWrites);
    EXPECT_EQ(backups.size(), std::size_t{kPrograms * kWrites});
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder / "as-found")) {
        EXPECT_EQ(entry.path().filename().string().rfind("42-", 0), 0u);
        ++files;
    }
    EXPECT_EQ(files, std::size_t{kPrograms * kWrites});
    EXPECT_EQ(run({"records", "--record", journal, "verify"}, "verify.txt"), 0);
    std::ifstream said(folder / "verify.txt");
    std::ostringstream text;
    text << said.rdbuf();
    EXPECT_NE(text.str().find("the chain holds: 60 lines"), std::string::npos) << text.str();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace
