// The exit status of probe-image: one per class of failure, so that a script can
// tell a typing mistake from a refused image or a probe that is not there.
#pragma once

enum ExitCode : int {
    ExitSuccess = 0,
    ExitUsage = 1,     // the command line cannot be understood, or asks what an image cannot hold
    ExitFile = 2,      // a file cannot be read or written, is shorter than an image, or holds
                       // measurements that cannot give the fit asked for
    ExitRefused = 3,   // the probe library refuses the image or the record
    ExitBridge = 4,    // the bridge or the EEPROM behind it failed
    ExitMismatch = 5,  // the EEPROM does not read back what was written, or reads differ
    ExitChainBroken = 6,  // records verify: a journal line was changed, removed or moved
    ExitConditional = 7,  // a conditional fail: beyond the tolerance by no more than the guard band
};

inline constexpr char kExitCodeHelp[] =
    "Exit status:\n"
    "  0  success (show: the image is accepted, and with --strict no finding is an error)\n"
    "  1  usage: unknown command, option, field or value; an order beyond the image\n"
    "  2  file: missing, unreadable, shorter than 256 bytes, or cannot be written;\n"
    "     a record file that cannot be opened or written\n"
    "     measurements that do not read, are not finite or too few for the order\n"
    "  3  refused: the probe library refuses the image or the edited record\n"
    "     (also: no library for the image's type; show --strict: a finding is an error;\n"
    "     fit: an image further from the measurements than no calibration;\n"
    "     check: an error beyond --tolerance or --force-tolerance, or a point that fails\n"
    "     the --decision-rule; a reference standard past its due date)\n"
    "  4  bridge: no bridge, no probe, bus error or a failed page write\n"
    "  5  verify: the EEPROM read back differs from the file written;\n"
    "     read --verify: no two of 3 reads agree\n"
    "  6  records verify: a line of the journal was changed, removed or moved\n"
    "  7  conditional fail (check with --decision-rule non-binary): a point beyond\n"
    "     the tolerance by no more than its guard band, and none beyond that\n";
