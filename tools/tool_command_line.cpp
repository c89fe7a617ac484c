#include "tool_command_line.h"

#include "catalogue/text_encoding.h"
#include "catalogue/vehicle_selection.h"

#include <QCommandLineParser>
#include <QStringList>

#include <climits>

namespace specialty {

namespace {

// Each byte of an argument becomes one character and back again, so that text in any encoding reaches the
// catalogue and the file system exactly as the shell passed it.
QString argumentText(const char* bytes) {
    return QString::fromLatin1(bytes);
}
std::string argumentBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

ParsedToolCommandLine usage(std::string message, bool json) {
    ParsedToolCommandLine parsed;
    parsed.usageError = std::move(message);
    parsed.json = json;
    return parsed;
}

// A name option's value in the code page, if it fits its columns of the selection.
std::optional<std::string> fitted(const QString& value, SelectionColumn columns) {
    std::string name = utf8ToWindows1252(argumentBytes(value));
    if (name.size() > columns.width) return std::nullopt;
    return name;
}

// Digits only, from 0 to INT_MAX.
std::optional<std::int32_t> position(const std::string& text) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long long value = std::stoll(text);
    if (value > INT_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

std::string toolUsage() {
    return "usage: specialty-catalogue [--data DIR] [--json] COMMAND\n"
           "\n"
           "commands:\n"
           "  find SELECTION            the record the viewer shows for an 80-column selection\n"
           "  find --make M --model M --submodel S --years Y1 Y2\n"
           "                            the same, with the 80 columns built from their fields\n"
           "  find --record N           record N, counted from 1 as list and check count them\n"
           "  find --position N         the record demo mode shows at step N (record N + 1)\n"
           "  list [--codes]            every record up to the end record, numbered from 1; with\n"
           "                            --codes each record's part codes on a line below it\n"
           "  check                     faults in the catalogue and its pictures and descriptions, as\n"
           "                            FILE:LINE: error: MESSAGE and FILE:LINE: warning: MESSAGE\n"
           "  uses CODE                 every record whose slots hold the part code (exactly, as the\n"
           "                            viewer names its files), with its line and slot groups, and\n"
           "                            whether the picture and the description exist\n"
           "  sheet -o DIR              a static HTML review of the catalogue in DIR (made if missing):\n"
           "                            a page per make, a part index with thumbnails, check's findings\n"
           "  export [-o FILE]          the records as CSV for a spreadsheet (UTF-8, a header row), or\n"
           "                            with -o FILE.xlsx as a workbook of text cells\n"
           "  import FILE [-o FILE]     a spreadsheet's CSV, or a workbook (FILE.xlsx), back into the\n"
           "                            catalogue (default: the data folder's) after comparing it with\n"
           "                            the current one; written whole or not at all, the file it\n"
           "                            replaces kept beside it as NAME.previous\n"
           "  import --dry-run FILE     what import would change, record by record; writes nothing\n"
           "  diff OLD NEW              what changes from catalogue OLD to catalogue NEW, record by record:\n"
           "                            changed fields with their old and new values, records added,\n"
           "                            removed and moved (exit status 0 identical, 1 different)\n"
           "\n"
           "options:\n"
           "  --data DIR, --data=DIR    the data folder (default: the viewer's)\n"
           "  --json                    print one JSON document, whatever the outcome\n"
           "  -o FILE, --output FILE    export: write the CSV there (default: standard output);\n"
           "                            import: write the catalogue there (default: the data folder's)\n"
           "  --accept-conversions      import: take changes that look like a spreadsheet's conversion\n"
           "                            (0123 -> 123, 1.10 -> 1.1, 3/4 -> 03/04/26), which it refuses\n"
           "                            otherwise\n"
           "  --help                    this text\n"
           "  --version                 the version\n"
           "\n"
           "exit status: 0 found, used, written or no errors, 1 not found, not used or errors found,\n"
           "             2 usage error, a file that cannot be read or written, or a damaged catalogue\n";
}

ParsedToolCommandLine parseToolCommandLine(int argc, char** argv, const std::string& defaultFolder) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << argumentText(argv[i]);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version("version");
    const QCommandLineOption json("json");
    const QCommandLineOption data("data", QString(), "DIR");
    const QCommandLineOption make("make", QString(), "M");
    const QCommandLineOption model("model", QString(), "M");
    const QCommandLineOption submodel("submodel", QString(), "S");
    const QCommandLineOption years("years", QString(), "Y1");
    const QCommandLineOption at("position", QString(), "N");
    const QCommandLineOption numbered("record", QString(), "N");
    const QCommandLineOption output(QStringList{"o", "output"}, QString(), "FILE");
    const QCommandLineOption dryRun("dry-run");
    const QCommandLineOption acceptConversions("accept-conversions");
    const QCommandLineOption codes("codes");
    parser.addOptions({help, version, json, data, make, model, submodel, years, at, numbered, output, dryRun,
                       acceptConversions, codes});
    const bool parsed = parser.parse(arguments);
    const bool wantsJson = parser.isSet(json);
    if (!parsed) return usage(argumentBytes(parser.errorText()), wantsJson);

    ToolRequest request;
    request.json = wantsJson;
    if (parser.isSet(help) || parser.isSet(version)) {
        request.command = parser.isSet(help) ? ToolRequest::Command::Help : ToolRequest::Command::Version;
        return {request, {}, wantsJson};
    }
    request.dataFolder = defaultFolder;
    if (parser.isSet(data)) {
        request.dataFolder = argumentBytes(parser.value(data));
        if (request.dataFolder.empty()) return usage("--data needs a folder", wantsJson);
        if (request.dataFolder.back() != '/') request.dataFolder += '/';
    }

    QStringList words = parser.positionalArguments();
    if (words.isEmpty()) return usage("no command", wantsJson);
    const QString command = words.takeFirst();
    const bool named =
        parser.isSet(make) || parser.isSet(model) || parser.isSet(submodel) || parser.isSet(years);
    if ((parser.isSet(dryRun) || parser.isSet(acceptConversions)) && command != "import")
        return usage("--dry-run and --accept-conversions go only with import", wantsJson);
    if (parser.isSet(codes) && command != "list") return usage("--codes goes only with list", wantsJson);
    if (command == "diff") {
        if (named || parser.isSet(at) || parser.isSet(numbered) || parser.isSet(output) || words.size() != 2)
            return usage("diff takes two catalogue files, OLD and NEW, and no other options", wantsJson);
        request.command = ToolRequest::Command::Diff;
        request.input = argumentBytes(words[0]);
        request.other = argumentBytes(words[1]);
        return {request, {}, wantsJson};
    }
    if (command == "export" || command == "import") {
        const bool importing = command == "import";
        if (named || parser.isSet(at) || parser.isSet(numbered) || words.size() != (importing ? 1 : 0))
            return usage(
                importing
                    ? "import takes one CSV file or workbook and no other options than -o, --dry-run and "
                      "--accept-conversions"
                    : "export takes no other options than -o",
                wantsJson);
        request.command = importing ? ToolRequest::Command::Import : ToolRequest::Command::Export;
        if (importing) request.input = argumentBytes(words[0]);
        request.dryRun = parser.isSet(dryRun);
        request.acceptConversions = parser.isSet(acceptConversions);
        request.output = argumentBytes(parser.value(output));
        if (parser.isSet(output) && request.output.empty()) return usage("-o needs a file", wantsJson);
        return {request, {}, wantsJson};
    }
    if (command == "uses" || command == "sheet") {
        const bool uses = command == "uses";
        if (named || parser.isSet(at) || parser.isSet(numbered) || parser.isSet(codes) ||
            words.size() != (uses ? 1 : 0) || parser.isSet(output) == uses)
            return usage(uses ? "uses takes one part code and no other options"
                              : "sheet takes -o DIR and no other options",
                         wantsJson);
        request.command = uses ? ToolRequest::Command::Uses : ToolRequest::Command::Sheet;
        if (uses) request.partCode = utf8ToWindows1252(argumentBytes(words[0]));
        if (uses && request.partCode.empty())
            return usage("uses needs a part code that is not empty", wantsJson);
        request.output = argumentBytes(parser.value(output));
        if (!uses && request.output.empty()) return usage("-o needs a folder", wantsJson);
        return {request, {}, wantsJson};
    }
    request.codes = parser.isSet(codes);
    if (parser.isSet(output)) return usage("-o goes only with export, import and sheet", wantsJson);
    if (command != "find") {
        if (!words.isEmpty() || named || parser.isSet(at) || parser.isSet(numbered))
            return usage("the options or words given do not go with " + argumentBytes(command), wantsJson);
        if (command == "list")
            request.command = ToolRequest::Command::List;
        else if (command == "check")
            request.command = ToolRequest::Command::Check;
        else
            return usage("unknown command " + argumentBytes(command), wantsJson);
        return {request, {}, wantsJson};
    }

    request.command = ToolRequest::Command::Find;
    if (parser.isSet(at) || parser.isSet(numbered)) {
        if (named || !words.isEmpty() || (parser.isSet(at) && parser.isSet(numbered)))
            return usage("find takes one SELECTION, or the name options, or --record, or --position",
                         wantsJson);
        if (parser.isSet(numbered)) {
            const auto n = position(argumentBytes(parser.value(numbered)));
            if (!n || *n == 0) return usage("--record needs a whole number from 1 to 2147483647", wantsJson);
            request.position = *n - 1;
        } else {
            const auto n = position(argumentBytes(parser.value(at)));
            if (!n) return usage("--position needs a whole number from 0 to 2147483647", wantsJson);
            request.position = *n;
        }
        return {request, {}, wantsJson};
    }
    if (!named) {
        if (words.size() != 1)
            return usage("find takes one SELECTION, or the name options, or --record, or --position",
                         wantsJson);
        request.selection = utf8ToWindows1252(argumentBytes(words[0]));
        return {request, {}, wantsJson};
    }
    // --years takes two values; the parser hands the second back as a word.
    if (!parser.isSet(years) || words.size() != 1)
        return usage("find with names needs --years Y1 Y2 and no SELECTION", wantsJson);
    const auto m = fitted(parser.value(make), kMakeColumns);
    const auto mo = fitted(parser.value(model), kModelColumns);
    const auto s = fitted(parser.value(submodel), kSubmodelColumns);
    if (!m || !mo || !s)
        return usage("a name is longer than its columns of the selection (make " +
                         std::to_string(kMakeColumns.width) + ", model " +
                         std::to_string(kModelColumns.width) + ", submodel " +
                         std::to_string(kSubmodelColumns.width) + ")",
                     wantsJson);
    const std::string year1 = argumentBytes(parser.value(years));
    const std::string year2 = argumentBytes(words[0]);
    for (const std::string& year : {year1, year2})
        if (year.size() > kYear1Columns.width || !parseYear(year))
            return usage("--years needs two whole numbers of at most 5 characters, from -9999 to 32767",
                         wantsJson);
    request.selection = joinSelection(*m, *mo, *s, year1, year2);
    return {request, {}, wantsJson};
}

} // namespace specialty
