#include "tools/rurizuda-report/ReportOptions.h"

const char* const kReportUsage =
    "Usage:\n"
    "  rurizuda-report export [--from DATE] [--to DATE] [PASS.mdb FAIL.mdb] > units.csv\n"
    "  rurizuda-report yield [--from DATE] [--to DATE] [--html report.html] [PASS.mdb FAIL.mdb]\n"
    "  rurizuda-report journal units/YYYY-MM-DD.jsonl...\n"
    "\n"
    "Reads the station's result databases (PASS.mdb and FAIL.mdb in the current\n"
    "directory unless named; a missing file counts as no rows). DATE is YYYY-MM-DD;\n"
    "--from and --to include their whole day.\n"
    "\n"
    "export  writes the stored rows as CSV (RFC 4180) to standard output, oldest\n"
    "        first: RESULT, TIME, then every column of the table as stored.\n"
    "yield   prints first-pass yield, final yield, units first tested per hour,\n"
    "        failures by item\n"
    "        and the most recent failed units; --html also writes them as one page\n"
    "        that needs nothing else to be viewed. A unit (by SN) counts in the\n"
    "        period when its first stored row lies in it; it passed first time when\n"
    "        that row is a pass, and finally when its last row up to the period's\n"
    "        end is a pass.\n"
    "\n"
    "Exit status: 0 done, 1 a database or the page could not be read or written,\n"
    "2 usage error.\n";

ReportOptions ParseReportOptions(const std::vector<std::string>& args)
{
    ReportOptions options;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        }
        if (arg == "--from" || arg == "--to" || arg == "--html") {
            if (i + 1 >= args.size()) {
                options.error = arg + " needs a value";
                return options;
            }
            const std::string& value = args[++i];
            if (arg == "--html") {
                options.html = value;
                continue;
            }
            const auto day = ParseDate(value);
            if (!day) {
                options.error = arg + " needs a date YYYY-MM-DD, not \"" + value + "\"";
                return options;
            }
            (arg == "--from" ? options.fromDay : options.toDay) = day;
        } else if (arg.size() > 1 && arg[0] == '-') {
            options.error = "unknown option " + arg;
            return options;
        } else if (options.command.empty()) {
            options.command = arg;
        } else {
            files.push_back(arg);
        }
    }
    if (options.command == "journal") {
        options.journalFiles = files;
        if (files.empty())
            options.error = "journal needs at least one .jsonl file";
        else if (!options.html.empty() || options.fromDay || options.toDay)
            options.error = "journal takes only files";
        return options;
    }
    if (options.command != "export" && options.command != "yield")
        options.error = options.command.empty() ? "a command is required" : "unknown command " + options.command;
    else if (options.command == "export" && !options.html.empty())
        options.error = "--html belongs to the yield command";
    else if (files.size() == 2) {
        options.passFile = files[0];
        options.failFile = files[1];
    } else if (!files.empty())
        options.error = "name both files, PASS.mdb and FAIL.mdb, or neither";
    if (options.error.empty() && options.fromDay && options.toDay && *options.toDay < *options.fromDay)
        options.error = "--to lies before --from";
    return options;
}
