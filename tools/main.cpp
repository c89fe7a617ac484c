// specialty-catalogue: finds, lists and checks catalogue records with the viewer's own catalogue layer.
#include "commands.h"
#include "data_folder.h"
#include "picture_loader.h"
#include "text_encoding.h"
#include "vehicle_selection.h"

#include <QCoreApplication>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace specialty;

namespace {

const char* const kUsage =
    "usage: specialty-catalogue [--data DIR] [--json] COMMAND\n"
    "\n"
    "commands:\n"
    "  find SELECTION            the record the viewer shows for an 80-column selection\n"
    "  find --make M --model M --submodel S --years Y1 Y2\n"
    "                            the same, with the 80 columns built from their fields\n"
    "  find --position N         the record demo mode shows at step N (DemoIndex -N)\n"
    "  list                      every record up to the end record, in the order demo mode shows them\n"
    "  check                     faults in the catalogue and its pictures and descriptions\n"
    "\n"
    "options:\n"
    "  --data DIR                the data folder (default: the viewer's)\n"
    "  --json                    print one JSON document\n"
    "  --help                    this text\n"
    "\n"
    "exit status: 0 fine, 1 problems found or no match, 2 usage or I/O error\n";

int usageError(const char* message) {
    std::fprintf(stderr, "specialty-catalogue: %s\n\n%s", message, kUsage);
    return kExitError;
}

} // namespace

int main(int argc, char** argv) {
    ToolOptions options;
    options.dataFolder = dataFolderBelow(SPECIALTY_DRIVE_ROOT);
    std::vector<std::string> words;
    std::string make, model, submodel, year1, year2;
    bool named = false;
    long long position = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (arg == "--help" || arg == "-h") {
            std::printf("%s", kUsage);
            return kExitFine;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--data") {
            if (!(v = value())) return usageError("--data needs a folder");
            options.dataFolder = v;
            if (options.dataFolder.back() != '/') options.dataFolder += '/';
        } else if (arg == "--make" || arg == "--model" || arg == "--submodel") {
            if (!(v = value())) return usageError("a name option needs a value");
            (arg == "--make" ? make : arg == "--model" ? model : submodel) = utf8ToWindows1252(v);
            named = true;
        } else if (arg == "--years") {
            if (i + 2 >= argc) return usageError("--years needs two years");
            year1 = argv[++i];
            year2 = argv[++i];
            named = true;
        } else if (arg == "--position") {
            char* end = nullptr;
            if (!(v = value()) || (position = std::strtoll(v, &end, 10), *end != '\0') || position < 0 ||
                position > INT_MAX)
                return usageError("--position needs a whole number from 0 to 2147483647");
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return usageError(("unknown option " + arg).c_str());
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty()) return usageError("no command");
    const std::string& command = words[0];
    if (command == "find") {
        const int ways = (words.size() == 2) + named + (position >= 0);
        if (ways != 1 || words.size() > 2)
            return usageError("find takes one SELECTION, or the name options, or --position");
        if (position >= 0)
            return findCommand(options, std::string(kPositionMarker), static_cast<std::int32_t>(-position));
        const std::string selection =
            named ? joinSelection(make, model, submodel, year1, year2) : utf8ToWindows1252(words[1]);
        return findCommand(options, selection, 0);
    }
    if (words.size() != 1 || named || position >= 0)
        return usageError(("the options or words given do not go with " + command).c_str());
    if (command == "list") return listCommand(options);
    if (command == "check") {
        int qtArgc = 1;
        QCoreApplication application(qtArgc, argv); // for the picture decoders
        return checkCommand(options, [](const std::string& path) { return !loadPicture(path).image.isNull(); });
    }
    return usageError(("unknown command " + command).c_str());
}
