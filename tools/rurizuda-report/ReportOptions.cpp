#include "tools/rurizuda-report/ReportOptions.h"

#include <algorithm>

const char* const kReportUsage =
    "Usage:\n"
    "  rurizuda-report export [--from DATE] [--to DATE] [SOURCE] > units.csv\n"
    "  rurizuda-report yield [--from DATE] [--to DATE] [--html report.html] [PAGE] [SOURCE]\n"
    "  rurizuda-report watch --every SECONDS --html report.html [--from DATE] [--to DATE] [PAGE] [SOURCE]\n"
    "  rurizuda-report journal units/YYYY-MM-DD.jsonl...\n"
    "  rurizuda-report rebuild --db URL\n"
    "\n"
    "SOURCE is PASS.mdb FAIL.mdb (SQLite files; the ones in the current directory\n"
    "unless named; a missing file counts as no rows), or --db URL: SNTable of the\n"
    "line-wide PostgreSQL database (libpq URL or key=value words; the password\n"
    "never in it, but in ~/.pgpass or PGPASSWORD), with --station NAME (repeatable)\n"
    "to read only those stations. DATE is YYYY-MM-DD; --from and --to include\n"
    "their whole day.\n"
    "\n"
    "PAGE options: --threshold-2g N, --threshold-3g N, --threshold-4g N (the RSSI\n"
    "thresholds drawn on the histograms; those not given are read from\n"
    "--profile workstation.ini), --drift N (a station whose median RSSI lies more\n"
    "than N from the line's is named at the top; default 5), --journal DIR\n"
    "(repeatable; DIR/units/*.jsonl or DIR/*.jsonl: item durations per station).\n"
    "\n"
    "export  writes the stored rows as CSV (RFC 4180) to standard output, oldest\n"
    "        first: RESULT, TIME, then every column of the table as stored, and\n"
    "        STATION for --db.\n"
    "yield   prints first-pass yield, final yield, units first tested per hour,\n"
    "        failures by item and the most recent failed units; --html also writes\n"
    "        them as one page that needs nothing else to be viewed, with a table and\n"
    "        chart per station, failures by item and station, and RSSI histograms.\n"
    "        A unit (by SN) counts in the period when its first stored row lies in\n"
    "        it, at the station of that row; it passed first time when that row is a\n"
    "        pass, and finally when its last row up to the period's end is a pass.\n"
    "rebuild builds the line database's summary tables again from every stored\n"
    "        row, in one transaction (stations wait for it while it runs).\n"
    "watch   rewrites the page every SECONDS (to a temporary file renamed over it)\n"
    "        and the page reloads itself as often; Ctrl-C ends it.\n"
    "\n"
    "Exit status: 0 done, 1 a source or the page could not be read or written,\n"
    "2 usage error.\n";

namespace {

constexpr const char* kThresholdOptions[] = {"--threshold-2g", "--threshold-3g", "--threshold-4g"};

std::optional<int> ParseInteger(const std::string& text)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("-0123456789") != std::string::npos ||
        text.find('-', 1) != std::string::npos || text == "-")
        return std::nullopt;
    return std::stoi(text);
}

// Takes the value of one option; false with `error` set when it is refused.
bool TakeValue(ReportOptions* options, const std::string& name, const std::string& value)
{
    if (name == "--html") {
        options->html = value;
    } else if (name == "--db") {
        options->dbUrl = value;
    } else if (name == "--station") {
        options->stations.push_back(value);
    } else if (name == "--profile") {
        options->profile = value;
    } else if (name == "--journal") {
        options->journalFolders.push_back(value);
    } else if (name == "--from" || name == "--to") {
        const auto day = ParseDate(value);
        if (!day) {
            options->error = name + " needs a date YYYY-MM-DD, not \"" + value + "\"";
            return false;
        }
        (name == "--from" ? options->fromDay : options->toDay) = day;
    } else {
        const auto number = ParseInteger(value);
        if (!number || (name == "--every" && (*number < 1 || *number > kLongestWatchSeconds)) ||
            (name == "--drift" && *number < 0)) {
            options->error = name + " needs a whole number" + (name == "--every" ? " of seconds" : "") + ", not \"" +
                             value + "\"";
            return false;
        }
        if (name == "--every")
            options->everySeconds = *number;
        else if (name == "--drift")
            options->signalSettings.driftLimit = *number;
        else
            options->signalSettings.thresholds[std::find(std::begin(kThresholdOptions), std::end(kThresholdOptions), name) -
                                        std::begin(kThresholdOptions)] = *number;
    }
    return true;
}

bool TakesValue(const std::string& arg)
{
    static const std::string kValued[] = {"--from",    "--to",      "--html",  "--db",    "--station",
                                          "--profile", "--journal", "--every", "--drift", kThresholdOptions[0],
                                          kThresholdOptions[1], kThresholdOptions[2]};
    return std::find(std::begin(kValued), std::end(kValued), arg) != std::end(kValued);
}

// Combinations the commands refuse; "" when sound.
std::string Refusal(const ReportOptions& o, size_t files)
{
    const bool pageCommand = o.command == "yield" || o.command == "watch";
    if (o.command != "export" && !pageCommand)
        return o.command.empty() ? "a command is required" : "unknown command " + o.command;
    if (o.command == "export" && !o.html.empty())
        return "--html belongs to the yield and watch commands";
    if (o.command == "watch" && (o.html.empty() || o.everySeconds == 0))
        return "watch needs --every SECONDS and --html FILE";
    if (o.command != "watch" && o.everySeconds)
        return "--every belongs to the watch command";
    if (!o.stations.empty() && o.dbUrl.empty())
        return "--station needs --db";
    if (!o.dbUrl.empty() && files)
        return "name either --db or the two files, not both";
    if (files != 0 && files != 2)
        return "name both files, PASS.mdb and FAIL.mdb, or neither";
    if (o.fromDay && o.toDay && *o.toDay < *o.fromDay)
        return "--to lies before --from";
    return "";
}

}  // namespace

ReportOptions ParseReportOptions(const std::vector<std::string>& args)
{
    ReportOptions options;
    std::vector<std::string> files;
    bool pageOptions = false;  // options only a page uses
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        }
        if (TakesValue(arg)) {
            if (i + 1 >= args.size()) {
                options.error = arg + " needs a value";
                return options;
            }
            if (!TakeValue(&options, arg, args[++i]))
                return options;
            pageOptions = pageOptions || (arg != "--from" && arg != "--to" && arg != "--db" && arg != "--station");
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
        else if (pageOptions || options.fromDay || options.toDay || !options.dbUrl.empty() || !options.stations.empty())
            options.error = "journal takes only files";
        return options;
    }
    if (options.command == "rebuild") {
        if (options.dbUrl.empty())
            options.error = "rebuild needs --db URL";
        else if (pageOptions || !files.empty() || options.fromDay || options.toDay || !options.stations.empty())
            options.error = "rebuild takes only --db URL";
        return options;
    }
    options.error = Refusal(options, files.size());
    if (files.size() == 2) {
        options.passFile = files[0];
        options.failFile = files[1];
    }
    return options;
}
