// The command line of specialty-catalogue, read with Qt's parser into one request or one usage error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace specialty {

// What --generate prints.
enum class GeneratedText { BashCompletion, ManSynopsis, Synopsis };

struct ToolRequest {
    enum class Command { Help, Version, Generate, Find, List, Check, Export, Import, Diff, Uses, Sheet };
    Command command = Command::Help;
    std::string dataFolder; // ends in "/"
    bool json = false;
    std::string selection;                // Find: code-page text
    std::optional<std::int64_t> position; // Find: the record at this position instead
    std::string input;                    // Import: the CSV file; Diff: the old catalogue
    std::string other;                    // Diff: the new catalogue
    bool dryRun = false;                  // Import: report, write nothing
    bool acceptConversions = false;       // Import: take what looks like a spreadsheet's conversion
    std::string output;                   // Export, Import: the file to write; empty for the defaults
                                          // Sheet: the folder to write
    std::string partCode;                 // Uses: code-page text
    bool codes = false;                   // List: print each record's part codes
    GeneratedText generated = GeneratedText::Synopsis; // Generate
};

struct ParsedToolCommandLine {
    std::optional<ToolRequest> request;
    std::string usageError; // when there is no request: what is wrong, for the user
    bool json = false;      // whether --json was asked for, so that even a usage error answers in JSON
};

// `defaultFolder` is the viewer's data folder. Arguments are taken byte for byte: names are converted from
// the locale's encoding to the code page, the data folder is kept as given.
ParsedToolCommandLine parseToolCommandLine(int argc, char** argv, const std::string& defaultFolder);

// The text of --help (made from the table of commands and options).
std::string toolUsage();

} // namespace specialty
