#include "data_folder.h"

#include "text_encoding.h"

namespace specialty {

std::string dataFolderBelow(std::string_view driveRoot) {
    std::string folder(driveRoot);
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder + "tolvane/quintar/";
}

bool isPlainPartName(std::string_view code) {
    if (code.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos) return false;
    return code.empty() || code.find_first_not_of('.') != std::string_view::npos;
}

Result<std::string> partFilePath(const std::string& dataFolder, std::string_view code,
                                 std::string_view suffix) {
    if (!isPlainPartName(code)) {
        Failure failure(CatalogueFault::PartCodeNotPlainName);
        failure.value = std::string(code);
        return Result<std::string>::failure(std::move(failure));
    }
    return dataFolder + windows1252ToUtf8(code) + std::string(suffix);
}

} // namespace specialty
