// Every command and option of specialty-catalogue, defined once. The parser reads this table, and so do the
// texts made from it: --help, the synopsis in the manual and the README, and the bash completion script.
#pragma once

#include "tool_command_line.h"

#include <string>
#include <vector>

namespace specialty {

enum class ToolOption {
    Help,
    Version,
    Json,
    Data,
    Generate,
    Make,
    Model,
    Submodel,
    Years,
    Record,
    Position,
    Output,
    DryRun,
    AcceptConversions,
    Codes,
};

struct OptionDefinition {
    ToolOption option;
    const char* name;      // the long name, without the dashes
    char shortName;        // 0: none
    const char* value;     // what it takes, as the usage shows it ("DIR", "Y1 Y2"); nullptr: a switch
    bool global;           // given before the command, with any command
    const char* help;      // lines of the option's description; "\n" starts a new one
    const char* completes; // what the shell offers for its value: "dir", "file", or words; "": nothing
};

// An option as one form of a command takes it: `value` names what it takes there, when the option's own
// name for it does not fit ("-o DIR" for sheet).
struct FormOption {
    ToolOption option;
    const char* value = nullptr;
};

// One way to call a command: the options it must have, those it may have, and its operands.
struct CommandForm {
    ToolRequest::Command command;
    const char* name;
    std::vector<FormOption> required; // in the order the synopsis shows them
    std::vector<FormOption> optional;
    std::vector<const char*> operands; // "SELECTION", "OLD", "NEW"
    bool operandsAreFiles;             // for the shell's completion
    const char* help;                  // lines of its description; "\n" starts a new one
};

const std::vector<OptionDefinition>& toolOptions();
const std::vector<CommandForm>& toolCommandForms();
const OptionDefinition& definitionOf(ToolOption option);

// How many words an option's value takes ("Y1 Y2": two).
int valueWords(const OptionDefinition& option);

// "import [--dry-run] [--accept-conversions] [-o FILE] FILE", without the program and its global options.
std::string formSynopsis(const CommandForm& form);

// The names --generate takes: "complete-bash", "man-synopsis", "synopsis".
const std::vector<std::pair<GeneratedText, const char*>>& generatedTextNames();
std::string generatedText(GeneratedText which);

} // namespace specialty
