// Code-page text (catalogue, description) to and from the window's strings.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace specialty {

QString fromCodePage(std::string_view text);
// Exact inverse of fromCodePage for every string it makes.
std::string toCodePage(const QString& text);

} // namespace specialty
