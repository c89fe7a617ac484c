// The texts made from the table of commands and options: --help, the synopses and the bash completion.
#include "command_table.h"

#include <set>
#include <sstream>

namespace specialty {

namespace {

constexpr const char* kProgram = "specialty-catalogue";
constexpr std::size_t kHelpColumn = 28;

// "[--data DIR] [--json]": the options every command takes.
std::string globalSynopsis() {
    std::string text;
    for (const OptionDefinition& option : toolOptions())
        if (option.global)
            text += std::string(text.empty() ? "" : " ") + "[--" + option.name +
                    (option.value ? std::string(" ") + option.value : "") + "]";
    return text;
}

// `term` at two blanks, then `help` from kHelpColumn on, its lines below each other.
void addEntry(std::ostringstream& out, const std::string& term, const std::string& help) {
    std::string line = "  " + term;
    std::istringstream lines(help);
    std::string part;
    bool first = true;
    while (std::getline(lines, part)) {
        if (first && line.size() + 2 > kHelpColumn) {
            out << line << "\n";
            line.clear();
        }
        line.resize(kHelpColumn, ' ');
        out << line << part << "\n";
        line.clear();
        first = false;
    }
}

std::string optionTerm(const OptionDefinition& option) {
    const std::string value = option.value ? std::string(" ") + option.value : "";
    std::string term;
    if (option.shortName) term = std::string("-") + option.shortName + value + ", ";
    term += std::string("--") + option.name + value;
    if (option.value && valueWords(option) == 1)
        term += std::string(", --") + option.name + "=" + option.value;
    return term;
}

std::string roffEscaped(const std::string& text) {
    std::string escaped;
    for (const char c : text)
        escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    return escaped;
}

std::string roffOption(const OptionDefinition& option, const char* value, bool optional) {
    const std::string name =
        roffEscaped(option.shortName ? std::string("-") + option.shortName : std::string("--") + option.name);
    if (!value) return optional ? ".RB [ " + name + " ]\n" : ".B " + name + "\n";
    if (optional) return ".RB [ " + name + "\n.IR " + value + " ]\n";
    return ".B " + name + "\n.I " + value + "\n";
}

std::string manSynopsis() {
    std::string text;
    for (const CommandForm& form : toolCommandForms()) {
        text += ".B " + std::string(kProgram) + "\n";
        for (const OptionDefinition& option : toolOptions())
            if (option.global) text += roffOption(option, option.value, true);
        text += ".B " + std::string(form.name) + "\n";
        for (const FormOption& item : form.optional)
            text += roffOption(definitionOf(item.option),
                               item.value ? item.value : definitionOf(item.option).value, true);
        for (const FormOption& item : form.required)
            text += roffOption(definitionOf(item.option),
                               item.value ? item.value : definitionOf(item.option).value, false);
        for (const char* operand : form.operands)
            text += ".I " + std::string(operand) + "\n";
        text += ".br\n";
    }
    text += ".B " + std::string(kProgram) + "\n.BR \\-\\-help \" | \" \\-\\-version\n.br\n";
    text +=
        ".B " + std::string(kProgram) + "\n" + roffOption(definitionOf(ToolOption::Generate), "KIND", false);
    return text;
}

std::string plainSynopsis() {
    std::string text;
    for (const CommandForm& form : toolCommandForms())
        text += std::string(kProgram) + " " + globalSynopsis() + " " + formSynopsis(form) + "\n";
    text += std::string(kProgram) + " --help | --version\n";
    text += std::string(kProgram) + " --generate KIND\n";
    return text;
}

// Options that take a value, as a case pattern: "--data|-o|--output".
std::string valuePattern(int words) {
    std::string pattern;
    for (const OptionDefinition& option : toolOptions()) {
        if (valueWords(option) != words) continue;
        if (option.shortName) pattern += std::string(pattern.empty() ? "" : "|") + "-" + option.shortName;
        pattern += std::string(pattern.empty() ? "" : "|") + "--" + option.name;
    }
    return pattern;
}

std::string bashCompletion() {
    std::ostringstream out;
    out << "# bash completion for " << kProgram << "; made by '" << kProgram << " --generate complete-bash'\n"
        << "_specialty_catalogue() {\n"
        << "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
        << "    COMPREPLY=()\n"
        << "    case \"$prev\" in\n";
    for (const OptionDefinition& option : toolOptions()) {
        if (!option.value) continue;
        const std::string names =
            (option.shortName ? std::string("-") + option.shortName + "|" : "") + "--" + option.name;
        const std::string completes = option.completes;
        out << "    " << names << ") ";
        if (completes == "dir")
            out << "COMPREPLY=($(compgen -d -- \"$cur\"))";
        else if (completes == "file")
            out << "COMPREPLY=($(compgen -f -- \"$cur\"))";
        else if (!completes.empty())
            out << "COMPREPLY=($(compgen -W \"" << completes << "\" -- \"$cur\"))";
        out << (completes.empty() ? "" : "; ") << "return ;;\n";
    }
    out << "    esac\n"
        << "    local i command=\n"
        << "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
        << "        case \"${COMP_WORDS[i]}\" in\n"
        << "        " << valuePattern(1) << ") ((i += 1)) ;;\n"
        << "        " << valuePattern(2) << ") ((i += 2)) ;;\n"
        << "        -*) ;;\n"
        << "        *) command=${COMP_WORDS[i]}; break ;;\n"
        << "        esac\n"
        << "    done\n"
        << "    local words\n"
        << "    case \"$command\" in\n";
    std::string commands;
    std::string firstWords;
    for (const OptionDefinition& option : toolOptions())
        if (option.global || option.option == ToolOption::Help || option.option == ToolOption::Version ||
            option.option == ToolOption::Generate)
            firstWords += std::string(" --") + option.name;
    std::set<std::string> seen;
    for (const CommandForm& form : toolCommandForms()) {
        if (!seen.insert(form.name).second) continue;
        commands += std::string(commands.empty() ? "" : " ") + form.name;
        std::string words;
        bool files = false;
        for (const CommandForm& same : toolCommandForms()) {
            if (std::string(same.name) != form.name) continue;
            files = files || same.operandsAreFiles;
            for (const auto* items : {&same.required, &same.optional})
                for (const FormOption& item : *items) {
                    const OptionDefinition& option = definitionOf(item.option);
                    if (option.shortName) words += std::string(" -") + option.shortName;
                    words += std::string(" --") + option.name;
                }
        }
        out << "    " << form.name << ")\n"
            << "        words=\"" << words.substr(words.empty() ? 0 : 1) << "\"\n";
        if (files)
            out << "        [[ $cur == -* ]] || { COMPREPLY=($(compgen -f -- \"$cur\")); return; } ;;\n";
        else
            out << "        ;;\n";
    }
    out << "    *) words=\"" << commands << firstWords << "\" ;;\n"
        << "    esac\n"
        << "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
        << "}\n"
        << "complete -o filenames -F _specialty_catalogue " << kProgram << "\n";
    return out.str();
}

} // namespace

std::string toolUsage() {
    std::ostringstream out;
    out << "usage: " << kProgram << " " << globalSynopsis() << " COMMAND\n\ncommands:\n";
    for (const CommandForm& form : toolCommandForms())
        addEntry(out, formSynopsis(form), form.help);
    out << "\noptions:\n";
    for (const OptionDefinition& option : toolOptions())
        addEntry(out, optionTerm(option), option.help);
    out << "\n"
           "exit status: 0 found, used, written or no errors, 1 not found, not used or errors found,\n"
           "             2 usage error, a file that cannot be read or written, or a damaged catalogue\n";
    return out.str();
}

const std::vector<std::pair<GeneratedText, const char*>>& generatedTextNames() {
    static const std::vector<std::pair<GeneratedText, const char*>> names = {
        {GeneratedText::BashCompletion, "complete-bash"},
        {GeneratedText::ManSynopsis, "man-synopsis"},
        {GeneratedText::Synopsis, "synopsis"},
    };
    return names;
}

std::string generatedText(GeneratedText which) {
    switch (which) {
    case GeneratedText::BashCompletion:
        return bashCompletion();
    case GeneratedText::ManSynopsis:
        return manSynopsis();
    case GeneratedText::Synopsis:
        return plainSynopsis();
    }
    return {};
}

} // namespace specialty
