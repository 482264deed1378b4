#include <CLI/CLI.hpp>

#include <cstdlib>

#include "eeprom_choice.h"
#include "eeprom_file.h"
#include "i2c_dev_eeprom.h"
#include "simulated_bridge_eeprom.h"
#include "sysfs_root.h"
#include "tool_error.h"

namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() <= 6 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

// "7" or "/dev/i2c-7" is /dev/i2c-7.
std::string BusDevice(const std::string& bus) {
    static const std::string prefix = "/dev/i2c-";
    if (AllDigits(bus))
        return prefix + bus;
    if (bus.rfind(prefix, 0) == 0 && AllDigits(bus.substr(prefix.size())))
        return bus;
    throw ToolError(ExitUsage, "--bus takes a bus number or /dev/i2c-N, not '" + bus + "'");
}

// A 7-bit address a device may have, in hex (0x51) or decimal (81).
uint8_t SlaveAddress(const std::string& text) {
    if (text.empty())
        return EepromSlaveAddress;
    const bool hex = text.size() > 2 && (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0);
    const std::string digits = hex ? text.substr(2) : text;
    const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (!digits.empty() && digits.size() <= 3 &&
        digits.find_first_not_of(allowed) == std::string::npos) {
        const unsigned long value = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
        if (value >= LowestDeviceAddress && value <= HighestDeviceAddress)
            return static_cast<uint8_t>(value);
    }
    throw ToolError(ExitUsage,
                    "--address takes a 7-bit device address from 0x03 to 0x77, not '" + text + "'");
}

}  // namespace

std::string SysfsRoot() {
    const char* root = std::getenv("PROBE_IMAGE_SYSFS");
    return root && *root ? root : "/sys";
}

void AddEepromOptions(CLI::App& command, EepromChoice& choice) {
    CLI::Option* bus =
        command
            .add_option("--bus", choice.bus,
                        "reach the probe on this I2C bus (N or /dev/i2c-N) through i2c-dev")
            ->type_name("BUS");
    CLI::Option* file =
        command
            .add_option(
                "--eeprom", choice.file,
                "use this 256-byte EEPROM file, such as at24's /sys/bus/i2c/devices/N-0051/eeprom")
            ->type_name("FILE");
    command
        .add_option("--address", choice.address,
                    "the EEPROM's slave address on --bus, 0x03 to 0x77 (default 0x51)")
        ->type_name("ADDRESS")
        ->needs(bus);
    CLI::Option* simulated = command.add_flag(
        "--simulated", choice.simulated,
        "reach the simulated bridge, for tests and demonstrations (its EEPROM: the file "
        "I2CBRDG_EEPROM names, else a sample image in memory)");
    bus->excludes(file);
    simulated->excludes(bus)->excludes(file);
}

void RequireEeprom(const EepromChoice& choice) {
    if (choice.bus.empty() && choice.file.empty() && !choice.simulated)
        throw ToolError(ExitUsage,
                        "name the EEPROM to reach: --bus N (an I2C bus), --eeprom FILE (an "
                        "EEPROM file) or --simulated (the simulated bridge); nothing was touched");
}

std::unique_ptr<ProbeEeprom> OpenEeprom(const EepromChoice& choice) {
    RequireEeprom(choice);
    if (!choice.bus.empty())
        return std::make_unique<I2cDevEeprom>(BusDevice(choice.bus), SlaveAddress(choice.address),
                                              KernelI2cDevSystem(), SysfsRoot());
    if (!choice.file.empty())
        return std::make_unique<EepromFile>(choice.file);
    return std::make_unique<SimulatedBridgeEeprom>();
}

void AddEepromTargetOptions(CLI::App& command, EepromTargets& targets) {
    command
        .add_option("--bus", targets.buses,
                    "program the probe on this I2C bus (N or /dev/i2c-N) through i2c-dev; "
                    "repeat for several")
        ->type_name("BUS");
    command
        .add_option("--eeprom", targets.files,
                    "program this 256-byte EEPROM file; repeat for several")
        ->type_name("FILE");
    command.add_flag("--simulated", targets.simulated,
                     "program the simulated bridge's EEPROM, for tests and demonstrations");
}

std::vector<NamedEeprom> DefaultTargets() {
    throw ToolError(ExitUsage,
                    "name the targets to program: --bus N (an I2C bus), --eeprom FILE (an "
                    "EEPROM file), each repeatable, or --simulated; nothing was touched");
}
