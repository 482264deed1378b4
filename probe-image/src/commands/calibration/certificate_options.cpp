#include "certificate_options.h"

#include <CLI/CLI.hpp>

#include "database_commands.h"

void AddCertificateOptions(CLI::App& command, CertificateOptions& options) {
    AddDatabaseOption(command, options.database);
    command.add_option("--budget", options.budget,
                       "TOML uncertainty budget: [[position]] and [[force]] contributions, "
                       "[[reference]] standards; gives U = k u_c at every point");
    command
        .add_option("--decision-rule", options.decisionRule,
                    "simple (no guard band), guarded[:r] (accept within the tolerance less "
                    "r U, r = 1 unless given) or non-binary (pass, conditional pass, "
                    "conditional fail: status 7, fail: status 3)")
        ->capture_default_str();
    command.add_option("--certificate-prefix", options.prefix,
                       "text before the certificate number taken for a --report, "
                       "e.g. LAB-2026-");
    CLI::Option* amends = command.add_option("--amends", options.amends,
                                             "the number of the certificate this one replaces");
    CLI::Option* reason =
        command.add_option("--reason", options.reason, "why the certificate is replaced");
    amends->needs(reason);
    reason->needs(amends);
    command.add_option("--customer", options.customer, "the customer, for the certificate");
    command.add_option("--asset", options.asset, "the customer's asset number");
    command.add_option("--method", options.method,
                       "the calibration method (default the budget's method)");
    command.add_option("--temperature", options.temperature,
                       "the ambient temperature during calibration, as stated");
    command.add_option("--humidity", options.humidity,
                       "the relative humidity during calibration, as stated");
    command.add_option("--authorised-by", options.authorisedBy, "who authorises the certificate");
    command.add_option("--calibration-date", options.calibrationDate,
                       "the day of calibration, YYYY-MM-DD (default today, UTC)");
    CLI::Option* record = command.add_option(
        "--record", options.record,
        "journal to append this calibration to (default probe-image/records.jsonl in the "
        "user's data folder)");
    command.add_flag("--no-record", options.noRecord, "keep no record of this calibration")
        ->excludes(record);
}
