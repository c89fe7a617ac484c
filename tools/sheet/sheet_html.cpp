#include "tools/sheet/sheet_html.h"

#include "catalogue/text_encoding.h"

#include <cstdio>

namespace specialty {

namespace {

// How many characters of one field a page shows: a damaged field of megabytes must not make a page of them.
constexpr std::size_t kShownChars = 300;

std::string escaped(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 16);
    for (const char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X",
                              static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out;
}

} // namespace

std::string htmlText(std::string_view codePage) {
    return escaped(printableForMessage(codePage, kShownChars));
}

std::string htmlUtf8(std::string_view text) {
    return escaped(localToUtf8(text));
}

std::string pageStart(const std::string& title) {
    // The policy lets the page load nothing but its own style sheet and pictures: no script runs, and no
    // request leaves the folder's files even if some text slipped through.
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src 'self'; "
           "style-src 'self'\">\n"
           "<meta name=\"referrer\" content=\"no-referrer\">\n<title>" +
           title + "</title>\n<link rel=\"stylesheet\" href=\"" + std::string(kStyleName) +
           "\">\n</head>\n<body>\n";
}

std::string pageEnd() {
    return "</body>\n</html>\n";
}

std::string_view sheetStyle() {
    return R"(body { font: 14px/1.35 "Liberation Sans", Arial, sans-serif; margin: 1em 2em; color: #222; background: #fff; }
h1 { font-size: 1.4em; margin: 0.2em 0 0.6em; }
h2 { font-size: 1.1em; margin: 1.2em 0 0.4em; }
nav { margin-bottom: 1em; }
nav a { margin-right: 1em; }
.vehicle { border: 1px solid #bbb; border-radius: 4px; margin: 0 0 1em; padding: 0.5em 0.8em; }
.vehicle:target { outline: 3px solid #36c; }
.vehicle h2 { margin: 0 0 0.4em; }
.where { color: #666; font-weight: normal; font-size: 0.9em; }
.groups { display: flex; flex-wrap: wrap; gap: 0.4em 1.2em; }
.group { min-width: 10em; }
.group h3 { font-size: 0.9em; margin: 0.2em 0; color: #444; }
.slots { display: flex; gap: 0.4em; flex-wrap: wrap; }
.slot { width: 130px; border: 1px solid #ccc; padding: 2px; font-size: 0.85em; text-align: center; }
.slot .number { display: block; color: #555; }
.jump a { margin-right: 0.6em; }
.slot .code { display: block; font-family: "Liberation Mono", monospace; overflow-wrap: anywhere; }
.slot img, .part img { display: block; margin: 2px auto; background: #eee; max-width: 100%; height: auto; }
.mark { display: block; color: #a00; background: #fee; border: 1px dashed #c66; padding: 2px; margin: 2px 0; overflow-wrap: anywhere; }
.findings { margin: 0.4em 0 0; padding-left: 1.2em; }
.error { color: #a00; }
.warning { color: #850; }
.part { border-top: 1px solid #ccc; padding: 0.6em 0; display: flex; gap: 1em; }
.part:target { outline: 3px solid #36c; }
.part .about { flex: 1; }
.part .picture { width: 164px; flex: none; }
.description { white-space: pre-wrap; background: #f6f6f6; padding: 0.3em; margin: 0.3em 0; max-height: 12em; overflow: auto; }
.code { font-family: "Liberation Mono", monospace; }
table { border-collapse: collapse; }
td, th { border: 1px solid #ccc; padding: 2px 6px; text-align: left; vertical-align: top; }
)";
}

} // namespace specialty
