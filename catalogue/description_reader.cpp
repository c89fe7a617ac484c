#include "description_reader.h"

#include "src/list_reader.h"

namespace specialty {

namespace {

Result<Description> readItems(ListReader& reader, std::size_t maxBytes) {
    Description description;
    while (!reader.atEnd()) {
        reader.beginUnit();
        ItemSpan item;
        if (!reader.readItem(item)) break;
        std::string_view text = reader.text(item);
        if (item.truncated || description.caption.size() + text.size() + kItemEnd.size() > maxBytes) {
            std::size_t room = maxBytes - std::min(maxBytes, description.caption.size());
            description.caption.append(text.substr(0, room)).append(kItemEnd);
            description.caption.append(kDescriptionCutNote).append(kItemEnd);
            description.cut = true;
            break;
        }
        description.caption.append(text).append(kItemEnd);
    }
    if (reader.failed()) return Result<Description>::failure(reader.failure());
    return description;
}

} // namespace

Result<Description> readDescription(const std::string& path, std::size_t maxBytes) {
    ListReader reader(maxBytes, 64 * 1024);
    if (Status opened = reader.open(path); !opened) return Result<Description>::failure(opened.error());
    Result<Description> description = readItems(reader, maxBytes);
    reader.close();
    return description;
}

Result<Description> readDescription(RegularFile file, std::size_t maxBytes) {
    ListReader reader(maxBytes, 64 * 1024);
    reader.open(std::move(file));
    Result<Description> description = readItems(reader, maxBytes);
    reader.close();
    return description;
}

Result<Description> readDescriptionBytes(std::string_view bytes, std::size_t maxBytes,
                                         std::size_t chunkBytes) {
    ListReader reader(maxBytes, chunkBytes);
    reader.openMemory(bytes);
    return readItems(reader, maxBytes);
}

} // namespace specialty
