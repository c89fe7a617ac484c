#include "tools/spreadsheet/workbook_styles.h"
#include "tools/spreadsheet/spreadsheet_fault.h"

#include "tools/spreadsheet/xml_part.h"

namespace specialty {

Status WorkbookStyles::read(void* zip, const QString& name, std::uint64_t mostBytes) {
    XmlPart part;
    if (Status opened = part.open(zip, name, mostBytes); !opened) return opened;
    int depth = 0; // inside <cellXfs>
    Result<bool> more = true;
    while ((more = part.next()) && more.value()) {
        QXmlStreamReader& xml = part.xml();
        if (xml.isEndElement() && xml.name() == u"cellXfs") depth = 0;
        if (!xml.isStartElement()) continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"cellXfs") {
            depth = 1;
        } else if (xml.name() == u"numFmt" && codes_.size() < kMostStyles) {
            codes_[a.value("numFmtId").toInt()] = a.value("formatCode").toString().toStdString();
        } else if (xml.name() == u"xf" && depth == 1) {
            if (formats_.size() >= kMostStyles)
                return Status::failure(partFault(SpreadsheetFault::WorkbookTooManyStyles, name, kMostStyles));
            formats_.push_back(a.value("numFmtId").toInt());
        }
    }
    return more ? Status(Done{}) : Status::failure(more.error());
}

NumberFormat WorkbookStyles::formatOf(std::uint64_t style) const {
    if (style >= formats_.size()) return {};
    NumberFormat format;
    format.id = formats_[style];
    if (const auto own = codes_.find(format.id); own != codes_.end()) format.code = own->second;
    return format;
}

} // namespace specialty
