#include "tools/sheet/sheet_pages.h"

#include "catalogue/data_folder.h"
#include "catalogue/description_reader.h"
#include "catalogue/messages.h"
#include "catalogue/part_slots.h"
#include "tools/sheet/sheet_html.h"
#include "tools/sheet/sheet_part_files.h"

namespace specialty {

namespace {

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

} // namespace

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
    : model_(model), catalogue_(std::move(catalogue)), recordPage_(model.records.size()) {
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
    for (std::size_t p = 0; p < makePages_.size(); ++p)
        for (std::uint32_t record : pageRecords(makePages_[p]))
            recordPage_[record] = static_cast<std::uint32_t>(p);
}

std::vector<std::uint32_t> SheetPages::pageRecords(const MakePage& page) const {
    if (page.makes == 1) {
        const std::vector<std::uint32_t>& records = model_.makes[page.make];
        return std::vector<std::uint32_t>(records.begin() + static_cast<std::ptrdiff_t>(page.first),
                                          records.begin() + static_cast<std::ptrdiff_t>(page.last));
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

SheetPage SheetPages::page(std::size_t n) const {
    if (n == 0) return indexPage();
    n -= 1;
    if (n < makePages_.size()) return makePage(makePages_[n]);
    n -= makePages_.size();
    if (n < partPages()) return partPage(n);
    return findingPage(n - partPages());
}

std::string SheetPages::recordLink(std::uint32_t record) const {
    return makePageName(recordPage_[record]) + "#r" + std::to_string(model_.records[record].number);
}
std::string SheetPages::partLink(std::size_t part) const {
    return partPageName(part / kPartsPerPage) + "#p" + std::to_string(part);
}
std::string SheetPages::findingLink(std::size_t finding) const {
    return findingPageName(finding / kFindingsPerPage) + "#f" + std::to_string(finding);
}
std::string SheetPages::makeName(std::size_t make) const {
    const std::string& name = model_.records[model_.makes[make].front()].Make;
    return name.empty() ? "(no make)" : htmlText(name);
}

std::string SheetPages::slotCell(std::uint32_t index, int slot) const {
    const SheetPart& part = model_.parts[index];
    const std::string& code = part.code;
    std::string cell = "<div class=\"slot\" title=\"slot " + std::to_string(slot) +
                       "\"><span class=\"number\">slot " + std::to_string(slot) +
                       "</span><a class=\"code\" href=\"" + partLink(static_cast<std::size_t>(index)) +
                       "\">" + htmlText(code) + "</a>";
    switch (part.picture) {
    case SheetPart::File::Shown:
        cell += "<img src=\"" + thumbnailName(static_cast<std::size_t>(index)) + "\" width=\"" +
                std::to_string(part.thumbWidth) + "\" height=\"" + std::to_string(part.thumbHeight) +
                "\" loading=\"lazy\" alt=\"picture of " + htmlText(code) + "\">";
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

std::string SheetPages::vehicle(std::uint32_t index) const {
    const SheetRecord& w = model_.records[index];
    std::string html = "<section class=\"vehicle\" id=\"r" + std::to_string(w.number) + "\">\n<h2>" +
                       caption(w) + " <span class=\"where\">record " + std::to_string(w.number) + ", line " +
                       std::to_string(w.line) + "</span></h2>\n";
    if (w.hasNoParts()) {
        html += "<p>" + htmlUtf8(kNoPartsNotice) + "</p>\n";
    } else {
        html += "<div class=\"groups\">";
        const char* group = nullptr;
        for (const PartSlot& slot : kPartSlots) {
            const std::size_t field = static_cast<std::size_t>(slot.partCode - 1);
            if (slot.partCode == 0 || w.parts[field] == SheetRecord::kNoPart) continue;
            if (group == nullptr || std::string_view(group) != slot.group) {
                if (group != nullptr) html += "</div></div>";
                group = slot.group;
                html += std::string("<div class=\"group\"><h3>") + group + "</h3><div class=\"slots\">";
            }
            html += slotCell(w.parts[field], slot.number);
        }
        html += "</div></div></div>\n";
    }
    // check's findings: those about the record itself, then those about its parts' files, each linked to
    // what it is about.
    std::string own;
    std::string files;
    for (std::uint32_t f : model_.findingsOfRecord(index)) {
        const SheetFinding s = model_.findings.at(f);
        const std::string link = s.part >= 0 ? partLink(static_cast<std::size_t>(s.part)) : findingLink(f);
        (s.part >= 0 ? files : own) += "<li class=\"" + std::string(levelName(s)) + "\"><a href=\"" + link +
                                       "\">" + htmlUtf8(s.message) + "</a></li>";
    }
    if (!own.empty()) html += "<ul class=\"findings\">" + own + "</ul>\n";
    if (!files.empty()) html += "<p>Its parts' files:</p><ul class=\"findings\">" + files + "</ul>\n";
    return html + "</section>\n";
}

SheetPage SheetPages::makePage(const MakePage& page) const {
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

SheetPage SheetPages::partPage(std::size_t n) const {
    const std::string title =
        "Part codes, page " + std::to_string(n + 1) + " of " + std::to_string(partPages());
    std::string html = pageStart(title) + navigation() + "<h1>" + title + "</h1>\n";
    const std::size_t last = std::min(model_.parts.size(), (n + 1) * kPartsPerPage);
    for (std::size_t p = n * kPartsPerPage; p < last; ++p) {
        const SheetPart& part = model_.parts[p];
        std::vector<std::string> texts = model_.texts.at(part.texts);
        texts.resize(2);
        const std::string& pictureProblem = texts[0];
        const std::string& descriptionText = texts[1];
        html += "<section class=\"part\" id=\"p" + std::to_string(p) + "\">\n<div class=\"picture\">";
        switch (part.picture) {
        case SheetPart::File::Shown:
            html += "<img src=\"" + thumbnailName(p) + "\" width=\"" + std::to_string(part.thumbWidth) +
                    "\" height=\"" + std::to_string(part.thumbHeight) +
                    "\" loading=\"lazy\" alt=\"picture of " + htmlText(part.code) + "\">";
            break;
        case SheetPart::File::Missing:
            html += mark("no picture file " + htmlText(part.code) + htmlUtf8(kPictureSuffix));
            break;
        case SheetPart::File::Broken:
            html += mark("the picture does not decode: " + htmlUtf8(pictureProblem));
            break;
        case SheetPart::File::NotAName:
            html += mark("the code is not a plain file name: no picture");
            break;
        case SheetPart::File::Outside:
            html += mark("the picture file " + htmlText(part.code) + htmlUtf8(kPictureSuffix) +
                         " is a link leading outside the data folder: not shown");
            break;
        }
        html += "</div>\n<div class=\"about\"><h2 class=\"code\">" + htmlText(part.code) + "</h2>\n";
        switch (part.description) {
        case SheetPart::File::Shown: {
            // Each item on a line of its own, as the zoom view shows them.
            std::string text;
            const std::string& d = descriptionText;
            for (std::size_t at = 0; at < d.size();) {
                const std::size_t end = std::min(d.find(kItemEnd, at), d.size());
                text += htmlText(d.substr(at, end - at)) + "\n";
                at = end + kItemEnd.size();
            }
            html += "<div class=\"description\">" + text + "</div>\n";
            break;
        }
        case SheetPart::File::Missing:
            html += mark("no description file " + htmlText(part.code) + htmlUtf8(kDescriptionSuffix)) + "\n";
            break;
        case SheetPart::File::Broken:
            html += mark("the description cannot be read: " + htmlUtf8(descriptionText)) + "\n";
            break;
        case SheetPart::File::NotAName:
            html += mark("the code is not a plain file name: no description");
            break;
        case SheetPart::File::Outside:
            html += mark("the description file " + htmlText(part.code) + htmlUtf8(kDescriptionSuffix) +
                         " is a link leading outside the data folder: not shown") +
                    "\n";
            break;
        }
        html += "<p>Used by " + counted(part.userCount, "vehicle", "vehicles") + ":</p>\n<ul>";
        for (std::size_t u = 0; u < part.userCount && u < kUsersShown; ++u) {
            const std::uint32_t user = model_.users[part.firstUser + u];
            html += "<li><a href=\"" + recordLink(user) + "\">" + caption(model_.records[user]) + "</a></li>";
        }
        if (part.userCount > kUsersShown)
            html += "<li>and " + counted(part.userCount - kUsersShown, "more", "more") +
                    ": <span class=\"code\">specialty-catalogue uses</span> lists them all</li>";
        html += "</ul>\n";
        for (std::uint32_t f : model_.findingsOfPart(p)) {
            const SheetFinding s = model_.findings.at(f);
            html += "<p class=\"" + std::string(levelName(s)) + "\"><a href=\"" + findingLink(f) + "\">" +
                    findingText(s) + "</a></p>\n";
        }
        html += "</div>\n</section>\n";
    }
    return {partPageName(n), html + pageEnd()};
}

SheetPage SheetPages::findingPage(std::size_t n) const {
    const std::string title =
        "check's findings, page " + std::to_string(n + 1) + " of " + std::to_string(findingPages());
    std::string html = pageStart(title) + navigation() + "<h1>" + title + "</h1>\n";
    if (model_.findings.empty()) html += "<p>check finds nothing to report.</p>\n";
    html += "<ul>";
    const std::size_t last = std::min(model_.findings.size(), (n + 1) * kFindingsPerPage);
    for (std::size_t f = n * kFindingsPerPage; f < last; ++f) {
        const SheetFinding s = model_.findings.at(f);
        html += "<li id=\"f" + std::to_string(f) + "\" class=\"" + levelName(s) + "\">" + findingText(s);
        if (s.record >= 0)
            html += " <a href=\"" + recordLink(static_cast<std::uint32_t>(s.record)) + "\">record " +
                    std::to_string(model_.records[static_cast<std::size_t>(s.record)].number) + "</a>";
        if (s.part >= 0)
            html += " <a href=\"" + partLink(static_cast<std::size_t>(s.part)) + "\">part " +
                    htmlText(model_.parts[static_cast<std::size_t>(s.part)].code) + "</a>";
        html += "</li>\n";
    }
    return {findingPageName(n), html + "</ul>\n" + pageEnd()};
}

std::string SheetPages::makesTable() const {
    // Each page with its makes and the first and last model on it; a jump, for each initial letter of a
    // make, to the page that holds the first make of that letter.
    auto initial = [&](std::size_t make) {
        const std::string& name = model_.records[model_.makes[make].front()].Make;
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
        const SheetRecord& first = model_.records[records.front()];
        const SheetRecord& final = model_.records[records.back()];
        rows += "<tr" + id + "><td><a href=\"" + makePageName(p) + "\">" + pageTitle(page) + "</a></td><td>" +
                htmlText(first.Make) + " " + htmlText(first.Model) + " to " + htmlText(final.Make) + " " +
                htmlText(final.Model) + "</td><td>" + counted(records.size(), "vehicle", "vehicles") +
                "</td></tr>\n";
    }
    return "<h2>Makes</h2>\n<p class=\"jump\">" + jump + "</p>\n<table>\n" + rows + "</table>\n";
}

SheetPage SheetPages::indexPage() const {
    std::size_t pictures[5] = {};
    std::size_t descriptions[5] = {};
    for (const SheetPart& part : model_.parts) {
        ++pictures[static_cast<int>(part.picture)];
        ++descriptions[static_cast<int>(part.description)];
    }
    using File = SheetPart::File;
    auto row = [](const std::string& what, const std::string& value) {
        return "<tr><th>" + what + "</th><td>" + value + "</td></tr>\n";
    };
    std::string html =
        pageStart("Review sheet") + navigation() + "<h1>Review sheet of " + htmlUtf8(catalogue_) +
        "</h1>\n<table>\n" + row("Vehicles", std::to_string(model_.records.size())) +
        row("Makes", std::to_string(model_.makes.size())) +
        row("Part codes", std::to_string(model_.parts.size())) +
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
    for (std::size_t n = 0; n < partPages() && !model_.parts.empty(); ++n) {
        const std::size_t last = std::min(model_.parts.size(), (n + 1) * kPartsPerPage) - 1;
        html += "<li><a href=\"" + partPageName(n) + "\"><span class=\"code\">" +
                htmlText(model_.parts[n * kPartsPerPage].code) + "</span> to <span class=\"code\">" +
                htmlText(model_.parts[last].code) + "</span></a></li>";
    }
    return {kIndexPage, html + "</ul>\n" + pageEnd()};
}

} // namespace specialty
