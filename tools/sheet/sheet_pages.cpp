#include "tools/sheet/sheet_pages.h"

#include "catalogue/data_folder.h"
#include "catalogue/description_reader.h"
#include "catalogue/messages.h"
#include "catalogue/part_slots.h"
#include "tools/sheet/sheet_html.h"
#include "tools/sheet/sheet_part_files.h"

namespace specialty {

namespace sheet_piece {

std::string counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string navigation() {
    return std::string("<nav><a href=\"") + kIndexPage + "\">Index</a><a href=\"" + partPageName(0) +
           "\">Part codes</a><a href=\"" + findingPageName(0) + "\">check's findings</a></nav>\n";
}

const char* levelName(const SheetFinding& f) {
    return specialty::levelName(f.level);
}

// The viewer's window caption for a record.
std::string caption(const SheetRecord& r) {
    return "(" + htmlText(r.VehicleId) + ") " + htmlText(r.YearFrom) + "-" + htmlText(r.YearTo) + " " +
           htmlText(r.Make) + " " + htmlText(r.Model) + " " + htmlText(r.Submodel);
}

std::string mark(const std::string& text) {
    return "<span class=\"mark\">" + text + "</span>";
}

} // namespace sheet_piece

using namespace sheet_piece;

std::string makePageName(std::size_t page) {
    return "make-" + std::to_string(page + 1) + ".html";
}
std::string partPageName(std::size_t page) {
    return "parts-" + std::to_string(page + 1) + ".html";
}
std::string findingPageName(std::size_t page) {
    return "findings-" + std::to_string(page + 1) + ".html";
}

SheetPages::SheetPages(const SheetModel& model, std::string catalogue)
    : model_(model), catalogue_(std::move(catalogue)), recordPage_(model.records.size()),
      position_(model.records.size()) {
    for (std::size_t m = 0; m < model_.makes.size(); ++m) {
        const std::size_t size = model_.makes[m].size();
        if (size > kVehiclesPerPage) { // a page of its own for each part of it
            for (std::size_t first = 0, number = 1; first < size; first += kVehiclesPerPage, ++number)
                makePages_.push_back({m, 1, first, std::min(size, first + kVehiclesPerPage), number});
            continue;
        }
        // Small makes share a page while it has room for the whole make.
        MakePage* open = makePages_.empty() ? nullptr : &makePages_.back();
        if (open != nullptr && (open->makes > 1 || model_.makes[open->make].size() <= kVehiclesPerPage) &&
            open->last + size <= kVehiclesPerPage) {
            open->makes += 1;
            open->last += size;
        } else {
            makePages_.push_back({m, 1, 0, size, 1});
        }
    }
    std::uint32_t position = 0;
    for (std::size_t p = 0; p < makePages_.size(); ++p)
        for (std::uint32_t record : pageRecords(makePages_[p])) {
            recordPage_[record] = static_cast<std::uint32_t>(p);
            position_[record] = position++;
        }
}

void SheetPages::setParts(PartPass& pass) {
    parts_ = &pass;
    slots_ = std::make_unique<SortedStream>(*pass.slots);
    entries_ = std::make_unique<SortedStream>(*pass.entries);
    partFindings_ = std::make_unique<SortedStream>(*pass.partFindings);
    recordFindings_ = std::make_unique<SortedStream>(*pass.recordFindings);
}

std::vector<std::uint32_t> SheetPages::pageRecords(const MakePage& page) const {
    if (page.makes == 1) {
        const MakeRecords records = model_.makes[page.make];
        return std::vector<std::uint32_t>(records.begin() + page.first, records.begin() + page.last);
    }
    std::vector<std::uint32_t> records;
    for (std::size_t m = page.make; m < page.make + page.makes; ++m)
        records.insert(records.end(), model_.makes[m].begin(), model_.makes[m].end());
    return records;
}

std::string SheetPages::pageTitle(const MakePage& page) const {
    if (page.makes > 1) return "Makes " + makeName(page.make) + " to " + makeName(page.make + page.makes - 1);
    const std::size_t size = model_.makes[page.make].size();
    const std::size_t pages = (size + kVehiclesPerPage - 1) / kVehiclesPerPage;
    std::string title = "Make " + makeName(page.make);
    if (pages > 1) title += " (page " + std::to_string(page.number) + " of " + std::to_string(pages) + ")";
    return title;
}

std::size_t SheetPages::findingPages() const {
    return std::max<std::size_t>(1, (model_.findings.size() + kFindingsPerPage - 1) / kFindingsPerPage);
}

SheetPage SheetPages::page(std::size_t n) {
    if (n == 0) return indexPage();
    n -= 1;
    if (n < makePages_.size()) return makePage(makePages_[n]);
    n -= makePages_.size();
    if (n < partPages()) return partPage(n);
    return findingPage(n - partPages());
}

std::string SheetPages::recordLink(std::uint32_t record) const {
    return makePageName(recordPage_[record]) + "#r" + std::to_string(model_.records.number(record));
}
std::string SheetPages::partLink(std::size_t part) const {
    return partPageName(part / kPartsPerPage) + "#p" + std::to_string(part);
}
std::string SheetPages::findingLink(std::size_t finding) const {
    return findingPageName(finding / kFindingsPerPage) + "#f" + std::to_string(finding);
}
std::string SheetPages::makeName(std::size_t make) const {
    const std::string_view name = model_.records.field(model_.makes[make].front(), SheetRecords::Make);
    return name.empty() ? "(no make)" : htmlText(name);
}

std::string SheetPages::slotCell(const SlotEntry& part, int slot) const {
    const std::string_view code = part.code;
    const std::size_t index = part.part;
    std::string cell = "<div class=\"slot\" title=\"slot " + std::to_string(slot) +
                       "\"><span class=\"number\">slot " + std::to_string(slot) +
                       "</span><a class=\"code\" href=\"" + partLink(index) + "\">" + htmlText(code) + "</a>";
    switch (part.picture) {
    case SheetPart::File::Shown:
        cell += "<img src=\"" + thumbnailName(index) + "\" width=\"" + std::to_string(part.thumbWidth) +
                "\" height=\"" + std::to_string(part.thumbHeight) + "\" loading=\"lazy\" alt=\"picture of " +
                htmlText(code) + "\">";
        break;
    case SheetPart::File::Missing:
        cell += mark("no picture");
        break;
    case SheetPart::File::Broken:
        cell += mark("picture does not decode");
        break;
    case SheetPart::File::NotAName:
        cell += mark("not a file name: no picture, no description");
        break;
    case SheetPart::File::Outside:
        cell += mark("picture links outside the data folder");
        break;
    }
    if (part.description == SheetPart::File::Missing) cell += mark("no description");
    if (part.description == SheetPart::File::Outside)
        cell += mark("description links outside the data folder");
    if (part.description == SheetPart::File::Broken) cell += mark("description cannot be read");
    return cell + "</div>";
}

std::string SheetPages::findingText(const SheetFinding& f) const {
    return findingLead(htmlUtf8(f.file), f.line, f.level) + htmlUtf8(f.message);
}

std::string SheetPages::vehicle(std::uint32_t index) {
    const SheetRecord w = model_.records[index];
    // Its slots' parts, which come in the pages' order.
    struct Slot {
        bool used = false;
        SlotEntry entry;
        std::string code;
    };
    std::array<Slot, kPartCodes> parts;
    for (; slots_->more(); slots_->pop()) {
        const SlotEntry slot = readSlotEntry(slots_->head());
        if (slot.position != position_[index]) break;
        Slot& to = parts[slot.slot];
        to = {true, slot, std::string(slot.code)};
        to.entry.code = to.code;
    }
    std::string html = "<section class=\"vehicle\" id=\"r" + std::to_string(w.number) + "\">\n<h2>" +
                       caption(w) + " <span class=\"where\">record " + std::to_string(w.number) + ", line " +
                       std::to_string(w.line) + "</span></h2>\n";
    if (std::none_of(parts.begin(), parts.end(), [](const Slot& slot) { return slot.used; })) {
        html += "<p>" + htmlUtf8(kNoPartsNotice) + "</p>\n";
    } else {
        html += "<div class=\"groups\">";
        const char* group = nullptr;
        for (const PartSlot& slot : kPartSlots) {
            const std::size_t field = static_cast<std::size_t>(slot.partCode - 1);
            if (slot.partCode == 0 || !parts[field].used) continue;
            if (group == nullptr || std::string_view(group) != slot.group) {
                if (group != nullptr) html += "</div></div>";
                group = slot.group;
                html += std::string("<div class=\"group\"><h3>") + group + "</h3><div class=\"slots\">";
            }
            html += slotCell(parts[field].entry, slot.number);
        }
        html += "</div></div></div>\n";
    }
    // check's findings: those about the record itself, then those about its parts' files, each linked to
    // what it is about.
    std::string own;
    std::string files;
    for (; recordFindings_->more(); recordFindings_->pop()) {
        const FindingEntry entry = readFindingEntry(recordFindings_->head());
        if (entry.key != position_[index]) break;
        const SheetFinding& s = entry.finding;
        const std::uint32_t f = entry.number;
        const std::string link = s.part >= 0 ? partLink(static_cast<std::size_t>(s.part)) : findingLink(f);
        (s.part >= 0 ? files : own) += "<li class=\"" + std::string(levelName(s)) + "\"><a href=\"" + link +
                                       "\">" + htmlUtf8(s.message) + "</a></li>";
    }
    if (!own.empty()) html += "<ul class=\"findings\">" + own + "</ul>\n";
    if (!files.empty()) html += "<p>Its parts' files:</p><ul class=\"findings\">" + files + "</ul>\n";
    return html + "</section>\n";
}

SheetPage SheetPages::makePage(const MakePage& page) {
    const std::string title = pageTitle(page);
    std::string html = pageStart(title) + navigation() + "<h1>" + title + "</h1>\n";
    if (page.makes == 1) {
        for (std::uint32_t record : pageRecords(page))
            html += vehicle(record);
    } else { // each make under its name
        for (std::size_t m = page.make; m < page.make + page.makes; ++m) {
            html += "<h2 class=\"make\">Make " + makeName(m) + "</h2>\n";
            for (std::uint32_t record : model_.makes[m])
                html += vehicle(record);
        }
    }
    const std::size_t n = static_cast<std::size_t>(&page - makePages_.data());
    return {makePageName(n), html + pageEnd()};
}

SheetPage SheetPages::findingPage(std::size_t n) const {
    const std::string title =
        "check's findings, page " + std::to_string(n + 1) + " of " + std::to_string(findingPages());
    std::string html = pageStart(title) + navigation() + "<h1>" + title + "</h1>\n";
    if (model_.findings.empty()) html += "<p>check finds nothing to report.</p>\n";
    html += "<ul>";
    if (n == 0) model_.findings.rewind();
    const std::size_t last = std::min<std::size_t>(model_.findings.size(), (n + 1) * kFindingsPerPage);
    SheetFinding s;
    for (std::size_t f = n * kFindingsPerPage; f < last && model_.findings.next(s); ++f) {
        html += "<li id=\"f" + std::to_string(f) + "\" class=\"" + levelName(s) + "\">" + findingText(s);
        if (s.record >= 0)
            html += " <a href=\"" + recordLink(static_cast<std::uint32_t>(s.record)) + "\">record " +
                    std::to_string(model_.records.number(static_cast<std::size_t>(s.record))) + "</a>";
        if (s.part >= 0)
            html += " <a href=\"" + partLink(static_cast<std::size_t>(s.part)) + "\">part " +
                    htmlText(s.partCode) + "</a>";
        html += "</li>\n";
    }
    return {findingPageName(n), html + "</ul>\n" + pageEnd()};
}

std::string SheetPages::makesTable() const {
    // Each page with its makes and the first and last model on it; a jump, for each initial letter of a
    // make, to the page that holds the first make of that letter.
    auto initial = [&](std::size_t make) {
        const std::string_view name = model_.records.field(model_.makes[make].front(), SheetRecords::Make);
        const unsigned char c = name.empty() ? 0 : static_cast<unsigned char>(name[0]);
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c >= 'A' && c <= 'Z' ? c : '#');
    };
    std::string jump;
    std::string rows;
    std::string letters; // those jumped to already
    for (std::size_t p = 0; p < makePages_.size(); ++p) {
        const MakePage& page = makePages_[p];
        std::string id;
        for (std::size_t m = page.make; m < page.make + page.makes; ++m) {
            const char letter = initial(m);
            if (letters.find(letter) != std::string::npos) continue;
            letters += letter;
            id = " id=\"i" + std::to_string(p) + "\"";
            jump += "<a href=\"#i" + std::to_string(p) + "\">" + std::string(1, letter) + "</a> ";
        }
        const std::vector<std::uint32_t> records = pageRecords(page);
        const SheetRecord first = model_.records[records.front()];
        const SheetRecord final = model_.records[records.back()];
        rows += "<tr" + id + "><td><a href=\"" + makePageName(p) + "\">" + pageTitle(page) + "</a></td><td>" +
                htmlText(first.Make) + " " + htmlText(first.Model) + " to " + htmlText(final.Make) + " " +
                htmlText(final.Model) + "</td><td>" + counted(records.size(), "vehicle", "vehicles") +
                "</td></tr>\n";
    }
    return "<h2>Makes</h2>\n<p class=\"jump\">" + jump + "</p>\n<table>\n" + rows + "</table>\n";
}

SheetPage SheetPages::indexPage() const {
    const std::size_t* pictures = parts_->pictures;
    const std::size_t* descriptions = parts_->descriptions;
    using File = SheetPart::File;
    auto row = [](const std::string& what, const std::string& value) {
        return "<tr><th>" + what + "</th><td>" + value + "</td></tr>\n";
    };
    std::string html =
        pageStart("Review sheet") + navigation() + "<h1>Review sheet of " + htmlUtf8(catalogue_) +
        "</h1>\n<table>\n" + row("Vehicles", std::to_string(model_.records.size())) +
        row("Makes", std::to_string(model_.makes.size())) + row("Part codes", std::to_string(parts_->parts)) +
        row("Pictures",
            std::to_string(pictures[static_cast<int>(File::Shown)]) + " shown, " +
                std::to_string(pictures[static_cast<int>(File::Missing)]) + " missing, " +
                std::to_string(pictures[static_cast<int>(File::Broken)]) + " do not decode, " +
                std::to_string(pictures[static_cast<int>(File::NotAName)]) + " codes are not file names, " +
                std::to_string(pictures[static_cast<int>(File::Outside)]) + " link outside the data folder") +
        row("Descriptions", std::to_string(descriptions[static_cast<int>(File::Shown)]) + " shown, " +
                                std::to_string(descriptions[static_cast<int>(File::Missing)]) + " missing, " +
                                std::to_string(descriptions[static_cast<int>(File::Broken)]) +
                                " cannot be read, " +
                                std::to_string(descriptions[static_cast<int>(File::Outside)]) +
                                " link outside the data folder") +
        row("check",
            "<a href=\"" + findingPageName(0) + "\">" +
                counted(static_cast<std::size_t>(model_.check.errors), "error", "errors") + ", " +
                counted(static_cast<std::size_t>(model_.check.warnings), "warning", "warnings") + "</a>" +
                (!model_.check.failure
                     ? std::string()
                     : " " + mark("check could not finish: " + htmlUtf8(describe(*model_.check.failure))))) +
        "</table>\n" + makesTable();
    html += "<h2>Part codes</h2>\n<ul>";
    for (std::size_t n = 0; n < parts_->pageCodes.size(); ++n)
        html += "<li><a href=\"" + partPageName(n) + "\"><span class=\"code\">" +
                htmlText(parts_->pageCodes[n].first) + "</span> to <span class=\"code\">" +
                htmlText(parts_->pageCodes[n].second) + "</span></a></li>";
    return {kIndexPage, html + "</ul>\n" + pageEnd()};
}

} // namespace specialty
