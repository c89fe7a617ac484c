#include "tools/sheet/sheet_command.h"
#include "tools/sheet/sheet_fault.h"

#include "catalogue/data_folder.h"
#include "tools/picture_module_loader.h"
#include "tools/sheet/sheet_folder.h"
#include "tools/sheet/sheet_html.h"
#include "tools/sheet/sheet_pages.h"
#include "tools/sheet/sheet_part_pass.h"
#include "tools/tool_output.h"

#include <cstdio>
#include <unistd.h>

namespace specialty {

namespace {

// One line on a terminal, rewritten in place as a long run goes on; nothing when standard error is not
// a terminal, so that logs and pipes get only the outcome.
class ProgressLine {
  public:
    ProgressLine() : shown_(::isatty(STDERR_FILENO) == 1) {}
    ~ProgressLine() { clear(); }
    // `total` 0: not known yet.
    void show(const char* what, std::size_t done, std::size_t total) {
        if (!shown_) return;
        if (total == 0)
            std::fprintf(stderr, "\rsheet: %s %zu\033[K", what, done);
        else
            std::fprintf(stderr, "\rsheet: %s %zu/%zu\033[K", what, done, total);
        std::fflush(stderr);
        used_ = true;
    }
    void clear() {
        if (used_) std::fprintf(stderr, "\r\033[K");
        used_ = false;
    }

  private:
    bool shown_;
    bool used_ = false;
};

// The failure `fault` (NotWritten or Incomplete) caused by `why`.
int refused(const ToolOptions& options, SheetFault fault, const Failure& why) {
    const std::string message = describe(causedBy(Failure(fault), why));
    if (options.json)
        writeJson({{"outcome", "failed"}, {"message", jsonPath(message)}});
    else
        std::fprintf(stderr, "%s\n", message.c_str());
    return kExitError;
}

} // namespace

int sheetCommand(const ToolOptions& options, const PictureModule& pictures, const std::string& folderPath) {
    SheetFolder folder;
    if (Status prepared = folder.prepare(folderPath); !prepared)
        return refused(options, SheetFault::NotWritten, prepared.error());
    Result<SheetModel> made = readSheetModel(options.dataFolder);
    if (!made) return refused(options, SheetFault::NotWritten, made.error());
    SheetModel& model = made.value();
    ProgressLine progress;
    SheetPages pages(model, options.dataFolder + std::string(kCatalogueName));
    PartPass parts;
    const Status read = readParts(
        model, [&](std::uint32_t record) { return pages.position(record); }, options.dataFolder, folder,
        pictures, parts, [&](std::size_t done) { progress.show("pictures and descriptions", done, 0); });
    if (!read) return refused(options, SheetFault::Incomplete, read.error());
    progress.show("checking the catalogue", 0, 1);
    checkIntoModel(model, options.dataFolder, moduleJudgement(pictures), parts.judgedPictures);
    if (const Status attached =
            attachPartFindings(model, parts, [&](std::uint32_t record) { return pages.position(record); });
        !attached)
        return refused(options, SheetFault::Incomplete, attached.error());
    pages.setParts(parts);

    Status written = folder.write(std::string(kStyleName), sheetStyle());
    for (std::size_t n = 0; written && n < pages.count(); ++n) {
        if (n % 16 == 0) progress.show("pages", n, pages.count());
        const SheetPage page = pages.page(n);
        written = folder.write(page.name, page.html);
    }
    progress.clear();
    if (written && model.findings.failure()) written = Status::failure(*model.findings.failure());
    if (written && model.texts.failure()) written = Status::failure(*model.texts.failure());
    for (const SpillSort* sort :
         {parts.slots.get(), parts.entries.get(), parts.partFindings.get(), parts.recordFindings.get()})
        if (written && sort->failure()) written = Status::failure(*sort->failure());
    if (!written) return refused(options, SheetFault::Incomplete, written.error());

    const std::string index = folder.path() + kIndexPage;
    if (options.json) {
        writeJson({{"outcome", "written"},
                   {"index", jsonPath(index)},
                   {"pages", static_cast<double>(pages.count())},
                   {"records", static_cast<double>(model.records.size())},
                   {"partCodes", static_cast<double>(parts.parts)},
                   {"findings", static_cast<double>(model.findings.size())}});
    } else {
        writeOut("Wrote " + shown(index) + ": " + std::to_string(pages.count()) + " pages, " +
                 std::to_string(model.records.size()) + " vehicles, " + std::to_string(parts.parts) +
                 " part codes, " + std::to_string(model.findings.size()) + " findings of check\n");
    }
    return kExitFine;
}

} // namespace specialty
