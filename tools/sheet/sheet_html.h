// Text made safe for the review sheet's HTML: whatever the catalogue holds is shown as text, never read as
// markup, and no link or file name is ever made from it.
#pragma once

#include <string>
#include <string_view>

namespace specialty {

// Code-page text as HTML text or attribute value: UTF-8, with & < > " ' written as references and control
// characters written visibly (\x1B), so that nothing in it can open a tag, end an attribute or steer
// the page.
std::string htmlText(std::string_view codePage);
// The same for UTF-8 text (messages, paths); stray bytes are taken as code-page characters.
std::string htmlUtf8(std::string_view text);

// The beginning of a page titled `title` (already HTML text), with the sheet's style sheet, and its end.
std::string pageStart(const std::string& title);
std::string pageEnd();

// The sheet's style sheet, written beside the pages.
std::string_view sheetStyle();
constexpr std::string_view kStyleName = "sheet.css";

} // namespace specialty
