// specialty-catalogue: the maintainers' tool for finding, listing, checking and comparing catalogue records
// and exchanging the catalogue with spreadsheets, on the viewer's own catalogue layer. The pictures layer,
// and Qt's image library with it, is a module that only the commands that decode pictures load.
#include "catalogue/data_folder.h"
#include "command_table.h"
#include "commands.h"
#include "picture_module_loader.h"
#include "sheet/sheet_command.h"
#include "spreadsheet/spreadsheet_commands.h"
#include "tool_command_line.h"
#include "tool_output.h"
#include "uses/uses_command.h"

#include <QCoreApplication>

#include <cstdio>

using namespace specialty;

int main(int argc, char** argv) {
    const ParsedToolCommandLine parsed =
        parseToolCommandLine(argc, argv, dataFolderBelow(SPECIALTY_DRIVE_ROOT));
    if (!parsed.request) {
        if (parsed.json)
            writeJson({{"outcome", "usage error"}, {"message", QString::fromStdString(parsed.usageError)}});
        else
            std::fprintf(stderr, "specialty-catalogue: %s\nTry 'specialty-catalogue --help'.\n",
                         parsed.usageError.c_str());
        return finishOutput(kExitError);
    }
    const ToolRequest& request = *parsed.request;
    const ToolOptions options{request.dataFolder, request.json, request.dryRun, request.acceptConversions};
    switch (request.command) {
    case ToolRequest::Command::Help: // with --json, one document like every other outcome
        if (options.json)
            writeJson({{"outcome", "help"}, {"text", QString::fromStdString(toolUsage())}});
        else
            writeOut(toolUsage());
        return finishOutput(kExitFine);
    case ToolRequest::Command::Version:
        if (options.json)
            writeJson({{"outcome", "version"}, {"version", SPECIALTY_VERSION}});
        else
            writeOut("specialty-catalogue " SPECIALTY_VERSION "\n");
        return finishOutput(kExitFine);
    case ToolRequest::Command::Generate:
        writeOut(generatedText(request.generated));
        return finishOutput(kExitFine);
    case ToolRequest::Command::Find:
        return finishOutput(findCommand(options, request.selection, request.position));
    case ToolRequest::Command::List:
        return finishOutput(listCommand(options, request.codes));
    case ToolRequest::Command::Export:
        if (!request.output.empty()) return finishOutputAfterWriting(exportCommand(options, request.output));
        return finishOutput(exportCommand(options, request.output));
    case ToolRequest::Command::Import:
        // A dry run writes only its report, so a failure to print it is the run's failure.
        if (request.dryRun) return finishOutput(importCommand(options, request.input, request.output));
        return finishOutputAfterWriting(importCommand(options, request.input, request.output));
    case ToolRequest::Command::Diff:
        return finishOutput(diffCommand(options, request.input, request.other));
    case ToolRequest::Command::Check: {
        const Result<const PictureModule*> pictures = loadOwnPictureModule();
        if (!pictures) return finishOutput(commandFailed(options, pictures.reason()));
        int qtArgc = 1;
        QCoreApplication application(qtArgc, argv); // for the picture decoders
        return finishOutput(checkCommand(options, moduleJudgement(**pictures)));
    }
    case ToolRequest::Command::Uses:
        return finishOutput(usesCommand(options, request.partCode));
    case ToolRequest::Command::Sheet: {
        const Result<const PictureModule*> pictures = loadOwnPictureModule();
        if (!pictures) return finishOutput(commandFailed(options, pictures.reason()));
        int qtArgc = 1;
        QCoreApplication application(qtArgc, argv); // for the picture decoders and the thread pool
        return finishOutput(sheetCommand(options, **pictures, request.output));
    }
    }
    return kExitError;
}
