#include "tool_command_line.h"

#include "command_table.h"

#include "catalogue/text_encoding.h"
#include "catalogue/vehicle_selection.h"

#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
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

// The selection or position of find, from the form that matched.
ParsedToolCommandLine findRequest(ToolRequest request, const QCommandLineParser& parser,
                                  const QStringList& words) {
    const bool wantsJson = request.json;
    if (parser.isSet("record")) {
        const auto n = position(argumentBytes(parser.value("record")));
        if (!n || *n == 0) return usage("--record needs a whole number from 1 to 2147483647", wantsJson);
        request.position = *n - 1;
        return {request, {}, wantsJson};
    }
    if (parser.isSet("position")) {
        const auto n = position(argumentBytes(parser.value("position")));
        if (!n) return usage("--position needs a whole number from 0 to 2147483647", wantsJson);
        request.position = *n;
        return {request, {}, wantsJson};
    }
    if (!parser.isSet("years")) {
        request.selection = utf8ToWindows1252(argumentBytes(words[0]));
        return {request, {}, wantsJson};
    }
    const auto m = fitted(parser.value("make"), kMakeColumns);
    const auto mo = fitted(parser.value("model"), kModelColumns);
    const auto s = fitted(parser.value("submodel"), kSubmodelColumns);
    if (!m || !mo || !s)
        return usage("a name is longer than its columns of the selection (make " +
                         std::to_string(kMakeColumns.width) + ", model " +
                         std::to_string(kModelColumns.width) + ", submodel " +
                         std::to_string(kSubmodelColumns.width) + ")",
                     wantsJson);
    // --years takes two values; the parser hands the second back as a word.
    const std::string year1 = argumentBytes(parser.value("years"));
    const std::string year2 = argumentBytes(words[0]);
    for (const std::string& year : {year1, year2})
        if (year.size() > kYear1Columns.width || !parseYear(year))
            return usage("--years needs two whole numbers of at most 5 characters, from -9999 to 32767",
                         wantsJson);
    request.selection = joinSelection(*m, *mo, *s, year1, year2);
    return {request, {}, wantsJson};
}

// The options set on the command line that are not global, with how the parser knows them.
std::vector<ToolOption> optionsSet(const QCommandLineParser& parser) {
    std::vector<ToolOption> set;
    for (const OptionDefinition& option : toolOptions())
        if (!option.global && parser.isSet(QString::fromLatin1(option.name))) set.push_back(option.option);
    return set;
}

bool has(const std::vector<FormOption>& items, ToolOption option) {
    return std::any_of(items.begin(), items.end(),
                       [option](const FormOption& i) { return i.option == option; });
}

// The form of `command` that the options set and the words given fit, if one does.
const CommandForm* matchingForm(const QString& command, const std::vector<ToolOption>& set, int words) {
    for (const CommandForm& form : toolCommandForms()) {
        if (command != QLatin1String(form.name)) continue;
        int expected = static_cast<int>(form.operands.size());
        bool fits = true;
        for (const FormOption& item : form.required) {
            fits = fits && std::find(set.begin(), set.end(), item.option) != set.end();
            expected +=
                valueWords(definitionOf(item.option)) - 1; // the parser hands extra values back as words
        }
        for (const ToolOption option : set)
            fits = fits && (has(form.required, option) || has(form.optional, option));
        if (fits && words == expected) return &form;
    }
    return nullptr;
}

// "find takes SELECTION, or [--make M] ... --years Y1 Y2, or --record N, or --position N".
std::string formsOf(const QString& command) {
    std::string text;
    for (const CommandForm& form : toolCommandForms()) {
        if (command != QLatin1String(form.name)) continue;
        std::string synopsis = formSynopsis(form).substr(std::string(form.name).size());
        if (synopsis.empty()) synopsis = " no options";
        text += (text.empty() ? " takes" : ", or") + synopsis;
    }
    return argumentBytes(command) + text;
}

std::optional<GeneratedText> generatedNamed(const QString& name) {
    for (const auto& [text, textName] : generatedTextNames())
        if (name == QLatin1String(textName)) return text;
    return std::nullopt;
}

// A parser that knows every option of the tool's table.
void addToolOptions(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionDefinition& option : toolOptions()) {
        QStringList names{QString::fromLatin1(option.name)};
        if (option.shortName) names.prepend(QString(QLatin1Char(option.shortName)));
        const QString value = option.value ? QString::fromLatin1(option.value).section(' ', 0, 0) : QString();
        parser.addOption(QCommandLineOption(names, QString(), value));
    }
}

// --help, --version or --generate, which stand alone, when one is set.
std::optional<ParsedToolCommandLine> standaloneRequest(const QCommandLineParser& parser, bool wantsJson) {
    ToolRequest request;
    request.json = wantsJson;
    if (parser.isSet("help") || parser.isSet("version")) {
        request.command = parser.isSet("help") ? ToolRequest::Command::Help : ToolRequest::Command::Version;
        return ParsedToolCommandLine{request, {}, wantsJson};
    }
    if (!parser.isSet("generate")) return std::nullopt;
    const auto generated = generatedNamed(parser.value("generate"));
    if (!generated || !parser.positionalArguments().isEmpty())
        return usage("--generate takes one of complete-bash, man-synopsis, synopsis", wantsJson);
    request.command = ToolRequest::Command::Generate;
    request.generated = *generated;
    return ParsedToolCommandLine{request, {}, wantsJson};
}

// `request` with the operands of its command taken from `words`.
ParsedToolCommandLine withOperands(ToolRequest request, const QCommandLineParser& parser,
                                   const QStringList& words) {
    const bool wantsJson = request.json;
    switch (request.command) {
    case ToolRequest::Command::Diff:
        request.input = argumentBytes(words[0]);
        request.other = argumentBytes(words[1]);
        break;
    case ToolRequest::Command::Import:
        request.input = argumentBytes(words[0]);
        break;
    case ToolRequest::Command::Uses:
        request.partCode = utf8ToWindows1252(argumentBytes(words[0]));
        if (request.partCode.empty()) return usage("uses needs a part code that is not empty", wantsJson);
        break;
    case ToolRequest::Command::Find:
        return findRequest(std::move(request), parser, words);
    default:
        break;
    }
    return {request, {}, wantsJson};
}

// The command named first among the words, in the form that its options and operands fit.
ParsedToolCommandLine commandRequest(ToolRequest request, const QCommandLineParser& parser) {
    const bool wantsJson = request.json;
    QStringList words = parser.positionalArguments();
    if (words.isEmpty()) return usage("no command", wantsJson);
    const QString command = words.takeFirst();
    const CommandForm* form = matchingForm(command, optionsSet(parser), static_cast<int>(words.size()));
    if (!form) {
        const bool known =
            std::any_of(toolCommandForms().begin(), toolCommandForms().end(),
                        [&command](const CommandForm& f) { return command == QLatin1String(f.name); });
        return usage(known ? formsOf(command) : "unknown command " + argumentBytes(command), wantsJson);
    }
    request.command = form->command;
    request.dryRun = parser.isSet("dry-run");
    request.acceptConversions = parser.isSet("accept-conversions");
    request.codes = parser.isSet("codes");
    request.output = argumentBytes(parser.value("output"));
    if (parser.isSet("output") && request.output.empty())
        return usage(form->command == ToolRequest::Command::Sheet ? "-o needs a folder" : "-o needs a file",
                     wantsJson);
    return withOperands(std::move(request), parser, words);
}

} // namespace

ParsedToolCommandLine parseToolCommandLine(int argc, char** argv, const std::string& defaultFolder) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << argumentText(argv[i]);

    QCommandLineParser parser;
    addToolOptions(parser);
    const bool parsed = parser.parse(arguments);
    const bool wantsJson = parser.isSet("json");
    if (!parsed) return usage(argumentBytes(parser.errorText()), wantsJson);
    if (auto standalone = standaloneRequest(parser, wantsJson)) return std::move(*standalone);

    ToolRequest request;
    request.json = wantsJson;
    request.dataFolder = defaultFolder;
    if (parser.isSet("data")) {
        request.dataFolder = argumentBytes(parser.value("data"));
        if (request.dataFolder.empty()) return usage("--data needs a folder", wantsJson);
        if (request.dataFolder.back() != '/') request.dataFolder += '/';
    }
    return commandRequest(std::move(request), parser);
}

} // namespace specialty
