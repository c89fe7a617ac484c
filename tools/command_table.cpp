#include "command_table.h"

#include <algorithm>
#include <stdexcept>

namespace specialty {

using Command = ToolRequest::Command;
using O = ToolOption;

const std::vector<OptionDefinition>& toolOptions() {
    static const std::vector<OptionDefinition> options = {
        {O::Data, "data", 0, "DIR", true, "the data folder (default: the viewer's)", "dir"},
        {O::Json, "json", 0, nullptr, true, "print one JSON document, whatever the outcome", ""},
        {O::Make, "make", 0, "M", false, "find: the make, as the selection's first 14 columns hold it", ""},
        {O::Model, "model", 0, "M", false, "find: the model (21 columns)", ""},
        {O::Submodel, "submodel", 0, "S", false, "find: the submodel (31 columns)", ""},
        {O::Years, "years", 0, "Y1 Y2", false, "find: the first and last model year (5 columns each)", ""},
        {O::Record, "record", 0, "N", false, "find: record N, counted from 1 as list and check count them",
         ""},
        {O::Position, "position", 0, "N", false, "find: the record demo mode shows at step N (record N + 1)",
         ""},
        {O::Codes, "codes", 0, nullptr, false, "list: each record's part codes on a line below it", ""},
        {O::Output, "output", 'o', "FILE", false,
         "export: write there (FILE.xlsx: a workbook, otherwise CSV;\n"
         "default: standard output); import: write the catalogue there\n"
         "(default: the data folder's); sheet: the folder to write into",
         "file"},
        {O::DryRun, "dry-run", 0, nullptr, false, "import: report what would change, write nothing", ""},
        {O::AcceptConversions, "accept-conversions", 0, nullptr, false,
         "import: take changes that look like a spreadsheet's conversion\n"
         "(0123 -> 123, 1.10 -> 1.1, 3/4 -> 03/04/26), which it refuses\n"
         "otherwise",
         ""},
        {O::Help, "help", 'h', nullptr, false, "this text", ""},
        {O::Version, "version", 0, nullptr, false, "the version", ""},
        {O::Generate, "generate", 0, "KIND", false,
         "print a bash completion script (complete-bash) or the synopsis,\n"
         "for the manual (man-synopsis) or as plain text (synopsis)",
         "complete-bash man-synopsis synopsis"},
    };
    return options;
}

const std::vector<CommandForm>& toolCommandForms() {
    static const std::vector<CommandForm> forms = {
        {Command::Find,
         "find",
         {},
         {},
         {"SELECTION"},
         false,
         "the record the viewer shows for an 80-column selection"},
        {Command::Find,
         "find",
         {{O::Years}},
         {{O::Make}, {O::Model}, {O::Submodel}},
         {},
         false,
         "the same, with the 80 columns built from their fields"},
        {Command::Find,
         "find",
         {{O::Record}},
         {},
         {},
         false,
         "record N, counted from 1 as list and check count them"},
        {Command::Find,
         "find",
         {{O::Position}},
         {},
         {},
         false,
         "the record demo mode shows at step N (record N + 1)"},
        {Command::List,
         "list",
         {},
         {{O::Codes}},
         {},
         false,
         "every record up to the end record, numbered from 1; with\n"
         "--codes each record's part codes on a line below it"},
        {Command::Check,
         "check",
         {},
         {},
         {},
         false,
         "faults in the catalogue and its pictures and descriptions, as\n"
         "FILE:LINE: error: MESSAGE and FILE:LINE: warning: MESSAGE"},
        {Command::Uses,
         "uses",
         {},
         {},
         {"CODE"},
         false,
         "every record whose slots hold the part code (exactly, as the\n"
         "viewer names its files), with its line and slot groups, and\n"
         "whether the picture and the description exist"},
        {Command::Sheet,
         "sheet",
         {{O::Output, "DIR"}},
         {},
         {},
         false,
         "a static HTML review of the catalogue in DIR (made if missing):\n"
         "a page per make, a part index with thumbnails, check's findings"},
        {Command::Export,
         "export",
         {},
         {{O::Output}},
         {},
         false,
         "the records as CSV for a spreadsheet (UTF-8, a header row), or\n"
         "with -o FILE.xlsx as a workbook of text cells"},
        {Command::Import,
         "import",
         {},
         {{O::DryRun}, {O::AcceptConversions}, {O::Output}},
         {"FILE"},
         true,
         "a spreadsheet's CSV, or a workbook (FILE.xlsx), back into the\n"
         "catalogue (default: the data folder's) after comparing it with\n"
         "the current one; written whole or not at all, the file it\n"
         "replaces kept beside it as NAME.previous; with --dry-run only\n"
         "what would change, record by record"},
        {Command::Diff,
         "diff",
         {},
         {},
         {"OLD", "NEW"},
         true,
         "what changes from catalogue OLD to catalogue NEW, record by record:\n"
         "changed fields with their old and new values, records added,\n"
         "removed and moved (exit status 0 identical, 1 different)"},
    };
    return forms;
}

const OptionDefinition& definitionOf(ToolOption option) {
    const auto& options = toolOptions();
    const auto found = std::find_if(options.begin(), options.end(),
                                    [option](const OptionDefinition& o) { return o.option == option; });
    if (found == options.end()) throw std::logic_error("an option missing from the table");
    return *found;
}

int valueWords(const OptionDefinition& option) {
    if (!option.value) return 0;
    const std::string value = option.value;
    return 1 + static_cast<int>(std::count(value.begin(), value.end(), ' '));
}

namespace {

std::string optionSynopsis(const FormOption& item) {
    const OptionDefinition& option = definitionOf(item.option);
    std::string text =
        option.shortName ? std::string("-") + option.shortName : std::string("--") + option.name;
    const char* value = item.value ? item.value : option.value;
    if (value) text += std::string(" ") + value;
    return text;
}

} // namespace

std::string formSynopsis(const CommandForm& form) {
    std::string text = form.name;
    for (const FormOption& item : form.optional)
        text += " [" + optionSynopsis(item) + "]";
    for (const FormOption& item : form.required)
        text += " " + optionSynopsis(item);
    for (const char* operand : form.operands)
        text += std::string(" ") + operand;
    return text;
}

} // namespace specialty
