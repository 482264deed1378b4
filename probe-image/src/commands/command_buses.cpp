// probe-image buses: the I2C adapters of i2c-dev, listed without sending
// anything; and the help on naming the probe that the probe commands need.
#include <CLI/CLI.hpp>

#include <algorithm>

#include "command.h"
#include "exit_codes.h"
#include "i2c_adapters.h"
#include "sysfs_root.h"

namespace {

const char kBusHelp[] =
    "Reaching the probe (read, status, write): one of these names it, and without\n"
    "  one the command touches nothing:\n"
    "  --bus N, --bus /dev/i2c-N  an I2C adapter through the kernel's i2c-dev, the EEPROM\n"
    "     at 0x51 or at --address (0x03 to 0x77); acknowledge polling after each page\n"
    "  --eeprom FILE  a file of exactly 256 bytes, such as the at24 driver's\n"
    "     /sys/bus/i2c/devices/N-0051/eeprom\n"
    "  --simulated  the simulated bridge, for tests and demonstrations\n"
    "  buses lists the adapters of /sys/class/i2c-dev and sends nothing.\n\n";

int RunBuses(Console& console) {
    const std::string sysfs = SysfsRoot();
    const std::vector<I2cAdapter> adapters = ListI2cAdapters(sysfs, KernelI2cDevSystem());
    if (adapters.empty()) {
        console.out << (I2cDevLoaded(sysfs)
                            ? "no I2C adapters\n"
                            : "no I2C adapters: the i2c-dev module is not loaded (modprobe "
                              "i2c-dev)\n");
        return ExitBridge;
    }
    size_t deviceWidth = 6;
    for (const I2cAdapter& adapter : adapters)
        deviceWidth = std::max(deviceWidth, adapter.device.size());
    console.out << "bus  " << std::string("device") + std::string(deviceWidth - 6, ' ')
                << "  opens  name\n";
    for (const I2cAdapter& adapter : adapters) {
        std::string number = std::to_string(adapter.number);
        number.resize(std::max<size_t>(number.size(), 3), ' ');
        std::string device = adapter.device;
        device.resize(deviceWidth, ' ');
        console.out << number << "  " << device << "  " << (adapter.opens ? "yes  " : "no   ")
                    << "  " << adapter.name << "\n";
    }
    for (const I2cAdapter& adapter : adapters)
        if (!adapter.opens)
            console.out << adapter.why << "\n";
    return ExitSuccess;
}

CommandRun DeclareBuses(CLI::App& command, const CommandLine&) {
    // The help on naming the probe closes the tool's help and that of every
    // command declared from here on, as it does this one's.
    CLI::App& app = *command.get_parent();
    app.footer(kBusHelp + app.get_footer());
    command.footer(app.get_footer());
    return RunBuses;
}

}  // namespace

extern const Command kBusesCommand;
const Command kBusesCommand{"buses",
                            "List the I2C adapters of i2c-dev and whether each opens, sending "
                            "nothing on any bus (exit status 4 when there is none)",
                            DeclareBuses};
