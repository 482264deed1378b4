#include "eeprom_choice.h"

#include <filesystem>
#include <set>

#include "bridge_texts.h"
#include "tool_error.h"

std::string EepromFailure(const ProbeEeprom& eeprom, int status) {
    const std::string detail = eeprom.FailureDetail();
    return BridgeFailure(status) + (detail.empty() ? "" : ": " + detail);
}

std::vector<NamedEeprom> TargetChoices(const EepromTargets& targets) {
    std::vector<NamedEeprom> chosen;
    for (const std::string& bus : targets.buses) {
        EepromChoice choice;
        choice.bus = bus;
        const std::string number = bus.rfind("/dev/i2c-", 0) == 0 ? bus.substr(9) : bus;
        chosen.push_back({"bus:" + number, choice});
    }
    for (const std::string& file : targets.files) {
        EepromChoice choice;
        choice.file = file;
        chosen.push_back({"eeprom:" + file, choice});
    }
    if (targets.simulated) {
        EepromChoice choice;
        choice.simulated = true;
        chosen.push_back({"simulated", choice});
    }
    // One file under two spellings is one target too.
    std::set<std::string> names;
    for (const NamedEeprom& target : chosen) {
        std::error_code error;
        const std::filesystem::path file =
            target.choice.file.empty()
                ? std::filesystem::path()
                : std::filesystem::weakly_canonical(target.choice.file, error);
        const std::string key = file.empty() || error ? target.name : "eeprom:" + file.string();
        if (!names.insert(key).second)
            throw ToolError(ExitUsage, "the target " + target.name +
                                           " is named twice; each probe takes one worker");
    }
    if (chosen.empty())
        chosen = DefaultTargets();
    return chosen;
}
