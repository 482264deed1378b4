// The records of read, write and status, the records command, write
// --only-changed and read --verify, against the simulated bridge.
#include <fstream>
#include <set>

#include "i2c_bridge.h"
#include "sha256.h"
#include "simulated_probe.h"
#include "tool_fixture.h"

namespace {

ImageBytes Filled(std::uint8_t value) {
    ImageBytes image;
    image.fill(value);
    return image;
}

std::string Sha(const ImageBytes& image) {
    return Sha256Hex(image.data(), image.size());
}

// Counts what reaches the bridge library: opens, and the address of each write.
int opens = 0;
std::vector<unsigned> writtenAddresses;

HANDLE U2C_CALL CountingOpen(uint8_t index) {
    ++opens;
    return LinkedBridgeApi().openDevice(index);
}

int U2C_CALL CountingWrite(HANDLE device, I2cTransaction* transaction) {
    // A packed field: copied before it is kept.
    writtenAddresses.push_back(uint32_t{transaction->memoryAddress});
    return LinkedBridgeApi().write(device, transaction);
}

class RecordTest : public ToolTest {
  protected:
    void SetUp() override {
        ToolTest::SetUp();
        opens = 0;
        writtenAddresses.clear();
        ActiveBridgeApi().openDevice = CountingOpen;
        ActiveBridgeApi().write = CountingWrite;
    }
};

TEST_F(RecordTest, AWriteRecordsWhoWhatAsFoundAndAsLeft) {
    const std::string file = NewLinearType6("a.bin");
    SetEeprom(Filled(0xA5));
    const ToolRun run = RunSimulated({"write", file, "--operator", "Ada"});
    ASSERT_EQ(run.code, 0) << run.err;

    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    const auto& record = records[0];
    const std::string time = record["time"];
    EXPECT_EQ(time.size(), 20u);
    EXPECT_EQ(time.back(), 'Z');
    EXPECT_EQ(record["operator"], "Ada");
    EXPECT_TRUE(record["host"].is_string());
    EXPECT_EQ(record["tool"].get<std::string>().rfind("probe-image ", 0), 0u);
    EXPECT_NE(record["library"].get<std::string>().find("Palvo6"), std::string::npos);
    EXPECT_FALSE(record["libraryVersion"].get<std::string>().empty());
    EXPECT_EQ(record["transport"], SimulatedTransport());
    EXPECT_EQ(record["device"], "0");
    EXPECT_EQ(record["command"], "write");
    EXPECT_EQ(record["arguments"], nlohmann::json(WithSimulatedProbe({file, "--operator", "Ada"})));
    // The EEPROM held no probe: the probe is named by the image written.
    EXPECT_EQ(record["type"], "M006");
    EXPECT_EQ(record["serial"], "1234567");
    EXPECT_EQ(record["asFound"]["sha256"], Sha(Filled(0xA5)));
    EXPECT_EQ(record["asFound"]["verdict"].get<std::string>().rfind("refused", 0), 0u);
    EXPECT_EQ(record["asLeft"]["sha256"], Sha(ReadBytes("a.bin")));
    EXPECT_EQ(record["asLeft"]["verdict"], "accepted");
    EXPECT_EQ(record["asLeft"]["calibrationDate"], "2512");
    EXPECT_EQ(record["asLeft"]["readBack"], true);
    EXPECT_EQ(record["pagesWritten"].size(), 16u);
    EXPECT_EQ(record["verification"], "passed");
    EXPECT_EQ(record["exit"], 0);
    EXPECT_EQ(record["message"], "written and verified");

    // The as-found image went beside the record, named by serial and UTC time.
    const std::filesystem::path backup = record["backup"].get<std::string>();
    EXPECT_EQ(backup.parent_path(), std::filesystem::path(Path("data/probe-image/as-found")));
    EXPECT_EQ(backup.filename().string().rfind("1234567-", 0), 0u);
    EXPECT_EQ(ReadBytes("data/probe-image/as-found/" + backup.filename().string()), Filled(0xA5));

    // Read and status leave theirs in the same file; the probe is now found.
    ASSERT_EQ(RunSimulated({"read", Path("copy.bin")}).code, 0);
    EXPECT_EQ(RunSimulated({"status"}).code, 0);
    const auto all = Records();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1]["command"], "read");
    EXPECT_EQ(all[1]["asFound"]["sha256"], Sha(ReadBytes("a.bin")));
    EXPECT_EQ(all[1]["asFound"]["verdict"], "accepted");
    EXPECT_EQ(all[2]["command"], "status");
    EXPECT_EQ(all[2]["serial"], "1234567");
    EXPECT_EQ(all[2]["message"], "System Available");
}

TEST_F(RecordTest, ARecordFileThatCannotBeOpenedStopsBeforeTheProbeIsTouched) {
    const std::string file = NewLinearType6("a.bin");
    SetEeprom(Filled(0x11));
    std::filesystem::create_directories(Path("folder"));
    const std::vector<std::vector<std::string>> commands = {
        {"write", file}, {"read", Path("copy.bin")}, {"status"}};
    for (std::vector<std::string> command : commands) {
        command.insert(command.end(), {"--record", Path("folder")});
        const ToolRun run = RunWith(WithSimulatedProbe(command));
        EXPECT_EQ(run.code, 2) << command[0];
        EXPECT_NE(run.err.find("cannot open the record file"), std::string::npos) << run.err;
    }
    EXPECT_EQ(opens, 0);
    EXPECT_EQ(Eeprom(), Filled(0x11));
    EXPECT_FALSE(Exists("copy.bin"));
    EXPECT_FALSE(Exists("data/probe-image/as-found"));
}

TEST_F(RecordTest, AWriteFailingHalfWayIsRecordedAsFailedWithThePagesWritten) {
    const std::string file = NewLinearType6("a.bin");
    SetEeprom(Filled(0x5A));
    SetFaults("page-fails=48");
    ASSERT_EQ(RunSimulated({"write", file}).code, 4);
    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    const auto& record = records[0];
    EXPECT_EQ(record["exit"], 4);
    EXPECT_NE(record["message"].get<std::string>().find("write failed"), std::string::npos);
    EXPECT_EQ(record["pagesFailed"], nlohmann::json({48}));
    const std::vector<unsigned> written = record["pagesWritten"];
    EXPECT_EQ(std::vector<unsigned>(written.begin(), written.begin() + 3),
              (std::vector<unsigned>{0, 16, 32}));
    EXPECT_EQ(std::count(written.begin(), written.end(), 48u), 0);
    EXPECT_EQ(record["verification"], "failed");
    EXPECT_NE(record["asLeft"]["sha256"], Sha(ReadBytes("a.bin")));
}

TEST_F(RecordTest, OnlyChangedWritesExactlyThePagesThatDiffer) {
    const std::string file = NewLinearType6("a.bin");
    SetEeprom(ReadBytes("a.bin"));
    ASSERT_EQ(Run({"edit", file, "-o", Path("b.bin"), "--mode", "calibration", "--set",
                   "CalibrationDate=2601"})
                  .code,
              0);
    const ImageBytes before = ReadBytes("a.bin");
    const ImageBytes after = ReadBytes("b.bin");
    std::vector<unsigned> differing;
    for (unsigned offset = 0; offset < 256; offset += 16)
        if (!std::equal(before.begin() + offset, before.begin() + offset + 16,
                        after.begin() + offset))
            differing.push_back(offset);
    ASSERT_FALSE(differing.empty());
    ASSERT_LE(differing.size(), 3u);

    const ToolRun run = RunSimulated({"write", Path("b.bin"), "--only-changed"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(writtenAddresses, differing);
    EXPECT_EQ(pauses_.size(), differing.size());
    EXPECT_EQ(Eeprom(), after);
    EXPECT_NE(run.out.find("writing only the pages that differ: at "), std::string::npos);
    EXPECT_EQ(Records().back()["pagesWritten"], nlohmann::json(differing));

    // The same image again: nothing to write, and the read-back still passes.
    writtenAddresses.clear();
    const ToolRun same = RunSimulated({"write", Path("b.bin"), "--only-changed"});
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_TRUE(writtenAddresses.empty());
    EXPECT_NE(same.out.find("no page differs from the EEPROM"), std::string::npos);
    EXPECT_EQ(Records().back()["verification"], "passed");

    // Without the option every page is written, as the bench tool does.
    EXPECT_EQ(RunSimulated({"write", Path("b.bin")}).code, 0);
    EXPECT_EQ(writtenAddresses.size(), 16u);
}

TEST_F(RecordTest, AVerifiedReadRetriesAndFailsWhenNoTwoReadsAgree) {
    const std::string file = NewLinearType6("a.bin");
    SetEeprom(ReadBytes("a.bin"));
    SetFaults("unstable-reads=2");  // the second read differs
    const ToolRun retried = RunSimulated({"read", Path("copy.bin"), "--verify"});
    ASSERT_EQ(retried.code, 0) << retried.err;
    EXPECT_NE(retried.out.find("reads 1 and 3 of the EEPROM agree"), std::string::npos)
        << retried.out;
    EXPECT_EQ(ReadBytes("copy.bin"), ReadBytes("a.bin"));

    SetFaults("unstable-reads=1");  // every read differs
    const ToolRun failed = RunSimulated({"read", Path("other.bin"), "--verify"});
    EXPECT_EQ(failed.code, 5);
    EXPECT_NE(failed.err.find("no two of 3 reads"), std::string::npos) << failed.err;
    EXPECT_FALSE(Exists("other.bin"));
    EXPECT_EQ(Records().back()["exit"], 5);
}

TEST_F(RecordTest, RecordsListsOldestFirstAndSkipsADamagedLine) {
    const std::string file = NewLinearType6("a.bin");
    SetEeprom(ReadBytes("a.bin"));
    ASSERT_EQ(RunSimulated({"status"}).code, 0);
    {
        std::ofstream record(RecordPath(), std::ios::binary | std::ios::app);
        record << "{\"time\":\"2026-01-01T00:00:00Z\",\"command\":\"wri\n";
    }
    SetEeprom(Filled(0xFF));
    ASSERT_EQ(RunSimulated({"status"}).code, 3);

    const ToolRun table = Run({"records"});
    ASSERT_EQ(table.code, 0) << table.err;
    EXPECT_NE(table.err.find("line 2: not JSON; skipped"), std::string::npos) << table.err;
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 3) << table.out;
    EXPECT_EQ(table.out.rfind("TIME ", 0), 0u);
    EXPECT_LT(table.out.find("System Available"), table.out.find("DLL Probe Error"));

    const ToolRun json = Run({"records", "--json", "--serial", "1234567"});
    ASSERT_EQ(json.code, 0);
    const auto list = nlohmann::json::parse(json.out);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["message"], "System Available");

    EXPECT_EQ(Run({"records", "--since", "2099-01-01", "--json"}).out, "[]\n");
    EXPECT_EQ(Run({"records", "--since", "yesterday"}).code, 1);
    // No journal yet: nothing to list, which is no failure.
    const ToolRun missing = Run({"records", "--record", Path("missing.jsonl")});
    EXPECT_EQ(missing.code, 0);
    EXPECT_NE(missing.out.find("no records yet"), std::string::npos) << missing.out;
}

}  // namespace
