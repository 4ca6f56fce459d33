#pragma once

#include <QString>
#include <xlsxwriter.h>

// libxlsxwriter, loaded when the first spreadsheet is written.
//
// libxlsxwriter packs the file with the minizip library, and QuaZip (which reads .xlsx files
// for the imports) carries its own copy of minizip under the same function names but with
// other arguments. Linked into one program, libxlsxwriter's calls would land in QuaZip's copy
// and crash. Loaded here with its own symbols first (RTLD_DEEPBIND), libxlsxwriter keeps the
// minizip it was built with. For this the programs must not need libxlsxwriter at start-up
// (nothing calls it directly; the linker drops the unused library).
namespace XlsxLibrary {

struct Functions {
    decltype(&::workbook_new_opt) workbook_new_opt;
    decltype(&::workbook_add_worksheet) workbook_add_worksheet;
    decltype(&::workbook_add_format) workbook_add_format;
    decltype(&::workbook_close) workbook_close;
    decltype(&::format_set_num_format) format_set_num_format;
    decltype(&::worksheet_write_string) worksheet_write_string;
    decltype(&::worksheet_write_number) worksheet_write_number;
    decltype(&::worksheet_set_column) worksheet_set_column;
    decltype(&::lxw_strerror) lxw_strerror;
};

// The functions, or nullptr (with a message) when the library cannot be loaded.
const Functions *functions(QString *error = nullptr);

} // namespace XlsxLibrary
