#include "tools/sheet/sheet_part_files.h"
#include "tools/sheet/sheet_fault.h"

#include "catalogue/data_folder.h"
#include "catalogue/description_reader.h"
#include "catalogue/regular_file.h"
#include "tools/folder_bounds.h"

#include <algorithm>
#include <optional>

namespace specialty {

namespace {

// How much of a description the sheet shows.
constexpr std::size_t kShownDescriptionBytes = 2000;

// Opens the part file at `path` when it lies inside the data folder, judged by the file opened, so that
// no change of the path between the judgement and the read can publish a file from elsewhere: Shown when
// `file` is open and may be read, or the state to show instead (Broken with `problem`, why it cannot be
// opened). Only the state is taken from the path when the open fails; nothing is read through it.
SheetPart::File openInside(RegularFile& file, const std::string& path, const FolderBounds& inside,
                           std::string& problem) {
    if (const Status opened = file.open(path); !opened) {
        if (!inside.outsideTarget(path).empty()) return SheetPart::File::Outside;
        if (!isRegularFile(path)) return SheetPart::File::Missing;
        problem = opened.reason();
        return SheetPart::File::Broken;
    }
    if (!inside.outsideTarget(file).empty()) {
        file.close();
        return SheetPart::File::Outside;
    }
    return SheetPart::File::Shown;
}

// What a part's files tell beyond its state.
struct PartTexts {
    std::string pictureProblem;
    std::string descriptionText;
    std::string pictureNotWhole; // check's judgement, when the picture does not show whole
};

// Fills one part's state and `texts`; returns why its thumbnail could not be written, or nothing.
std::optional<Failure> readFiles(SheetPart& part, PartTexts& texts, std::size_t index,
                                 const std::string& dataFolder, const FolderBounds& inside,
                                 const SheetFolder& folder, const PictureModule& pictures) {
    const Result<std::string> picturePath = partFilePath(dataFolder, part.code, kPictureSuffix);
    const Result<std::string> descriptionPath = partFilePath(dataFolder, part.code, kDescriptionSuffix);
    if (!picturePath || !descriptionPath) {
        part.picture = part.description = SheetPart::File::NotAName;
        return {};
    }
    RegularFile description;
    part.description = openInside(description, *descriptionPath, inside, texts.descriptionText);
    if (part.description == SheetPart::File::Shown) {
        if (const Result<Description> d = readDescription(std::move(description), kShownDescriptionBytes);
            d) {
            texts.descriptionText = d->caption;
        } else {
            part.description = SheetPart::File::Broken;
            texts.descriptionText = d.reason();
        }
    }
    RegularFile pictureFile;
    part.picture = openInside(pictureFile, *picturePath, inside, texts.pictureProblem);
    if (part.picture != SheetPart::File::Shown) return {};
    Result<std::string> bytes = readWholeFile(pictureFile, pictures.mostFileBytes);
    PictureThumbnail thumbnail;
    if (bytes) {
        pictures.thumbnail(std::move(bytes.value()), kThumbWidth, kThumbHeight, thumbnail);
        if (thumbnail.judged) {
            part.pictureJudged =
                thumbnail.judgement.whole ? SheetPart::Judged::Whole : SheetPart::Judged::NotWhole;
            texts.pictureNotWhole = std::move(thumbnail.judgement.reason);
        }
    } else {
        thumbnail.reason = bytes.reason();
    }
    if (thumbnail.outcome != PictureThumbnail::Outcome::Made) {
        part.picture = SheetPart::File::Broken;
        texts.pictureProblem = thumbnail.outcome == PictureThumbnail::Outcome::NotMadeSmall
                                   ? describe(Failure(SheetFault::NoThumbnail))
                                   : std::move(thumbnail.reason);
        return {};
    }
    if (Status written = folder.write(thumbnailName(index), thumbnail.jpeg); !written) return written.error();
    part.picture = SheetPart::File::Shown;
    part.thumbWidth = static_cast<std::uint16_t>(thumbnail.width); // a thumbnail is small
    part.thumbHeight = static_cast<std::uint16_t>(thumbnail.height);
    return {};
}

} // namespace

std::string thumbnailName(std::size_t index) {
    return std::string(kThumbnailFolder) + "/p" + std::to_string(index) + ".jpg";
}

std::optional<Failure> readPart(SheetPart& part, PartTextStore& kept, std::size_t index,
                                const std::string& dataFolder, const FolderBounds& inside,
                                const SheetFolder& folder, const PictureModule& pictures) {
    PartTexts texts;
    std::optional<Failure> failed = readFiles(part, texts, index, dataFolder, inside, folder, pictures);
    if (!texts.pictureProblem.empty() || !texts.descriptionText.empty() || !texts.pictureNotWhole.empty())
        part.texts = kept.add({texts.pictureProblem, texts.descriptionText, texts.pictureNotWhole});
    return failed;
}

} // namespace specialty
