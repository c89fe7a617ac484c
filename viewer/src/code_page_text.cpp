#include "code_page_text.h"

#include "catalogue/text_encoding.h"

namespace specialty {

QString fromCodePage(std::string_view text) {
    return QString::fromStdString(windows1252ToUtf8(text));
}

} // namespace specialty
