// The workbook path's figures, one measurement a process (bench/measure_workbook.sh runs them under
// /usr/bin/time):
//   bench_workbook hostile DIR           writes the hostile workbooks into DIR
//   bench_workbook rows DIR N            writes DIR/rows.xlsx: N rows as export writes them (inline strings)
//   bench_workbook read FILE             reads the first sheet's rows with the tool's workbook reader
//   bench_workbook expat FILE            reads xl/worksheets/sheet1.xml with libexpat, streaming, with the
//                                        same bounds (depth, attributes, inflation) in its handlers
//   bench_workbook folder DIR N          makes DIR a data folder of N synthetic records
//   bench_workbook alone CATALOGUE FILE  libxlsxwriter alone writing every cell of the catalogue's records
//                                        (empty ones too); prints the CPU seconds of the writing only
#include "synthetic_catalogue.h"
#include "tools/spreadsheet/spreadsheet.h"
#include "tools/spreadsheet/table_rows.h"
#include "tools/spreadsheet/xlsx_reader.h"

#define XML_DTD // Debian builds expat with it: the amplification limits are declared under it
#include <expat.h>
#include <unzip.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Writes a workbook whose first sheet is `sheet`, deflated as spreadsheets do.
void writeWorkbook(const std::string& path, const std::string& sheet) {
    const std::vector<std::pair<const char*, std::string>> parts{
        {"xl/workbook.xml",
         "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
         "<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
         "</Relationships>"},
        {"xl/worksheets/sheet1.xml", sheet}};
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    for (const auto& [name, bytes] : parts) {
        zipOpenNewFileInZip64(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9, 1);
        for (std::size_t at = 0; at < bytes.size(); at += 1 << 20)
            zipWriteInFileInZip(zip, bytes.data() + at,
                                static_cast<unsigned>(std::min<std::size_t>(1 << 20, bytes.size() - at)));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

std::string repeated(const std::string& piece, std::size_t times) {
    std::string all;
    all.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        all += piece;
    return all;
}

std::string cell(const std::string& reference, const std::string& text) {
    return "<c r=\"" + reference + "\" s=\"1\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

const char* const kSheetStart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet "
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
const char* const kSheetEnd = "</sheetData></worksheet>";

int writeHostile(const std::string& dir) {
    const std::string start = kSheetStart;
    writeWorkbook(dir + "/nested-1M.xlsx",
                  start + repeated("<a>", 1000000) + repeated("</a>", 1000000) + kSheetEnd);
    writeWorkbook(dir + "/nested-10M.xlsx",
                  start + repeated("<a>", 10000000) + repeated("</a>", 10000000) + kSheetEnd);
    std::string attributes;
    for (int i = 0; i < 100000; ++i)
        attributes += " a" + std::to_string(i) + "=\"\"";
    writeWorkbook(dir + "/attributes-100k.xlsx", start + "<row r=\"1\"" + attributes + "/>" + kSheetEnd);
    // Cheap tokens: empty tags just short of the old fixed bound of 512 MB.
    writeWorkbook(dir + "/cheap-tokens.xlsx", start + repeated("<a/>", 127 * 1024 * 1024) + kSheetEnd);
    // UTF-16, where "<" is followed by a zero byte: a CDATA section of 200 million characters, with a "<"
    // every thousand of them.
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><worksheet><sheetData><row r=\"1\">"
                       "<c r=\"A1\" t=\"inlineStr\"><is><t><![CDATA[" +
                       repeated(std::string(999, 'x') + "<", 200000) + "]]></t></is></c></row>" + kSheetEnd;
    std::string utf16 = "\xFF\xFE";
    utf16.reserve(2 * text.size() + 2);
    for (char c : text)
        utf16 += std::string(1, c) + '\0';
    writeWorkbook(dir + "/utf16-cdata.xlsx", utf16);
    return 0;
}

// Rows as export writes them: 23 columns, the empty ones left out, about 120 bytes of text a row.
int writeRows(const std::string& dir, long rows) {
    std::string sheet = kSheetStart;
    for (long r = 1; r <= rows; ++r) {
        const std::string n = std::to_string(r);
        sheet += "<row r=\"" + n + "\" spans=\"1:23\">" + cell("A" + n, std::to_string(100000 + r)) +
                 cell("C" + n, "Make" + std::to_string(r % 97)) +
                 cell("D" + n, "Model " + std::to_string(r % 1013)) +
                 cell("E" + n, "2.0 TDI " + std::to_string(r % 7)) + cell("F" + n, "1998") +
                 cell("G" + n, "2004") + cell("H" + n, "AC" + std::to_string(r % 9973)) +
                 cell("I" + n, "BX" + std::to_string(r % 7919)) +
                 cell("J" + n, "CZ" + std::to_string(r % 6007)) + "</row>";
    }
    writeWorkbook(dir + "/rows.xlsx", sheet + kSheetEnd);
    return 0;
}

int readWithTool(const std::string& file) {
    const double start = cpuSeconds();
    auto opened = specialty::openWorkbook(file);
    long rows = 0;
    std::string outcome = "read";
    if (!opened) {
        outcome = opened.reason();
    } else {
        specialty::TableRow row;
        specialty::Result<bool> more = true;
        while ((more = opened.value()->next(row)) && more.value())
            ++rows;
        if (!more) outcome = more.reason();
    }
    std::printf("tool reader: %ld rows, %.2f s CPU: %s\n", rows, cpuSeconds() - start, outcome.c_str());
    return 0;
}

struct ExpatState {
    XML_Parser parser = nullptr;
    unsigned depth = 0;
    long rows = 0;
    const char* stopped = nullptr;
    void stop(const char* why) {
        stopped = why;
        XML_StopParser(parser, XML_FALSE);
    }
};

void XMLCALL startElement(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto* s = static_cast<ExpatState*>(data);
    if (++s->depth > 256) return s->stop("too deep");
    std::size_t count = 0;
    while (attributes[2 * count] != nullptr)
        ++count;
    if (count > 256) return s->stop("too many attributes");
    if (std::strcmp(name, "row") == 0) ++s->rows;
}
void XMLCALL endElement(void* data, const XML_Char*) {
    --static_cast<ExpatState*>(data)->depth;
}
void XMLCALL characters(void*, const XML_Char*, int) {}
void XMLCALL doctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<ExpatState*>(data)->stop("document type");
}

int readWithExpat(const std::string& file) {
    const double start = cpuSeconds();
    unzFile zip = unzOpen64(file.c_str());
    unz_file_info64 info{};
    if (zip == nullptr || unzLocateFile(zip, "xl/worksheets/sheet1.xml", 1) != UNZ_OK ||
        unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzOpenCurrentFile(zip) != UNZ_OK)
        return std::printf("expat: no sheet\n"), 1;
    ExpatState s;
    s.parser = XML_ParserCreate("UTF-8"); // the part's own declaration cannot make it UTF-16
    XML_SetUserData(s.parser, &s);
    XML_SetElementHandler(s.parser, startElement, endElement);
    XML_SetCharacterDataHandler(s.parser, characters);
    XML_SetStartDoctypeDeclHandler(s.parser, doctype);
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(s.parser, 100.0f);
    std::vector<char> chunk(64 * 1024);
    std::uint64_t inflated = 0;
    const char* outcome = "read";
    for (;;) {
        const int got = unzReadCurrentFile(zip, chunk.data(), static_cast<unsigned>(chunk.size()));
        if (got < 0) {
            outcome = "cannot inflate";
            break;
        }
        inflated += static_cast<std::uint64_t>(got);
        if (inflated > 8 * 1024 * 1024 && inflated / 100 > info.compressed_size) {
            outcome = "inflates more than 100 times";
            break;
        }
        if (XML_Parse(s.parser, chunk.data(), got, got == 0) != XML_STATUS_OK) {
            outcome = s.stopped != nullptr ? s.stopped : XML_ErrorString(XML_GetErrorCode(s.parser));
            break;
        }
        if (got == 0) break;
    }
    XML_ParserFree(s.parser);
    unzClose(zip);
    std::printf("expat %d.%d.%d: %ld rows, %.2f s CPU: %s\n", XML_MAJOR_VERSION, XML_MINOR_VERSION,
                XML_MICRO_VERSION, s.rows, cpuSeconds() - start, outcome);
    return 0;
}

int writeAlone(const std::string& catalogue, const std::string& file) {
    std::vector<std::vector<std::string>> rows;
    const specialty::Status read =
        specialty::forEachExportRow(catalogue, [&](std::int64_t, const std::vector<std::string>& cells) {
            rows.push_back(cells);
            return specialty::Status(specialty::Done{});
        });
    if (!read) return std::printf("%s\n", read.reason().c_str()), 1;
    const double start = cpuSeconds();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(file.c_str(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Catalogue");
    lxw_format* text = workbook_add_format(book);
    format_set_num_format(text, "@");
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                   rows[r][c].c_str(), text);
    workbook_close(book);
    std::printf("libxlsxwriter alone: %zu rows, %.2f s CPU\n", rows.size(), cpuSeconds() - start);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> a(argv + 1, argv + argc);
    if (a.size() == 2 && a[0] == "hostile") return writeHostile(a[1]);
    if (a.size() == 3 && a[0] == "rows") return writeRows(a[1], std::stol(a[2]));
    if (a.size() == 2 && a[0] == "read") return readWithTool(a[1]);
    if (a.size() == 2 && a[0] == "expat") return readWithExpat(a[1]);
    if (a.size() == 3 && a[0] == "folder")
        return specialty::bench::prepareSyntheticFolder(a[1], std::stoll(a[2])) > 0 ? 0 : 1;
    if (a.size() == 3 && a[0] == "alone") return writeAlone(a[1], a[2]);
    std::fprintf(stderr, "usage: see bench/bench_workbook.cpp\n");
    return 2;
}
