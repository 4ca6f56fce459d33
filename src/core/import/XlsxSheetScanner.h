#pragma once

#include <QString>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

class QuaZip;
class QuaZipFile;

// Reads the worksheet part of an .xlsx package row by row, straight from the unpacked bytes,
// so that a sheet of a hundred thousand rows is neither held in memory nor put through a
// general XML reader. It knows the few elements a sheet's data is made of (row, c, v, is, t)
// and passes over the others. The caps of the package's other parts hold here too: the part
// gives no more than its recorded size and the caller's maximum, one tag or text takes at
// most XlsxPart::kMaxStepBytes, a tag at most XlsxPart::kMaxAttributes attributes, a text
// at most kMaxTextLength characters; a document type declaration stops the reading.
class XlsxSheetScanner {
public:
    // The longest text of a cell, in characters (32 times what a spreadsheet cell holds).
    static constexpr int kMaxTextLength = 1 << 20;

    struct Cell {
        int row = 0;    // 0-based, as the cell names itself (the row's number without a name)
        int column = 0; // 0-based
        // 'n' number, 's' shared string index, 'i' inline text, 't' formula text ("str"),
        // 'e' error, 'b' boolean, 'd' ISO 8601 date
        char type = 'n';
        int style = 0;
        std::string value; // the value or inline text, UTF-8, references resolved
    };

    XlsxSheetScanner(QuaZip *zip, const QString &name, qint64 maxBytes);
    ~XlsxSheetScanner();
    XlsxSheetScanner(const XlsxSheetScanner &) = delete;
    XlsxSheetScanner &operator=(const XlsxSheetScanner &) = delete;

    // False when the package has no such part (the reason stays empty) or it cannot be read.
    bool open(QString *reason);

    // The next row element: its number (0-based) and cells. False at the end of the sheet's
    // data, or on a fault (failed() then says why).
    bool nextRow(int *row);
    int cellCount() const { return m_cellCount; }
    const Cell &cell(int i) const { return m_cells[size_t(i)]; }
    // Whether a cell stood outside any row.
    bool strayCell() const { return m_strayCell; }

    // Reads the rest of the part, so that finish() checks its checksum.
    bool readToEnd();

    bool failed() const { return !m_problem.isEmpty(); }
    // After reading: whether the part was sound up to where the caller stopped; a part read
    // to its end also has its checksum checked.
    bool finish(QString *reason);

private:
    enum class Token { Start, End, Text, Eof, Error, Skipped };

    Token readToken();
    Token readMarkup();
    bool more();
    bool find(const char *text, size_t size, size_t from, size_t *at);
    bool readCell(bool selfClosing);
    bool readInline(std::string *text, size_t *characters);
    bool readTextUntilEnd(std::string *text, size_t *characters);
    bool skipElement();
    bool appendText(std::string *text, size_t *characters);
    void fail(const QString &reason);
    // The names are literals: their length is known when compiling.
    template <size_t N> bool nameIs(const char (&name)[N]) const
    {
        return m_tokenNameSize == N - 1 && std::memcmp(m_tokenName, name, N - 1) == 0;
    }
    // The values of the attributes r, t and s of a cell's tag, found in one pass (each left
    // alone when the tag has none).
    struct CellAttributes {
        const char *r = nullptr;
        size_t rSize = 0;
        const char *t = nullptr;
        size_t tSize = 0;
        const char *s = nullptr;
        size_t sSize = 0;
    };
    void cellAttributes(CellAttributes *found) const;
    template <size_t N>
    bool attribute(const char (&name)[N], const char **value, size_t *size) const
    {
        return attribute(name, N - 1, value, size);
    }
    bool attribute(const char *name, size_t nameSize, const char **value, size_t *size) const;

    QuaZip *m_zip;
    QString m_name;
    qint64 m_maxBytes;
    std::unique_ptr<QuaZipFile> m_file;
    qint64 m_size = 0; // recorded size
    qint64 m_read = 0;
    bool m_eof = false;
    std::vector<char> m_buffer;
    size_t m_pos = 0; // start of the unread bytes
    size_t m_end = 0; // end of the bytes read

    // The last token.
    const char *m_tokenName = nullptr;
    size_t m_tokenNameSize = 0;
    std::string m_inlineText; // see readCell()
    const char *m_attributes = nullptr;
    size_t m_attributesSize = 0;
    bool m_selfClosing = false;
    const char *m_text = nullptr;
    size_t m_textSize = 0;
    bool m_rawText = false; // CDATA: no references to resolve

    std::vector<Cell> m_cells;
    int m_cellCount = 0;
    int m_row = -1;
    int m_column = -1;
    bool m_inSheetData = false;
    bool m_inRow = false;
    std::vector<std::string> m_open; // the names of the open elements
    int m_depth = 0;
    bool m_done = false;
    bool m_strayCell = false;
    QString m_problem;
};
