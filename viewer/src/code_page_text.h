// Code-page text (catalogue, description) as the window's strings.
#pragma once

#include <QString>

#include <string_view>

namespace specialty {

QString fromCodePage(std::string_view text);

} // namespace specialty
