#include "XlsxSheetScanner.h"

#include "XlsxPart.h"
#include "XlsxReader.h"

#include <cstring>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace {

constexpr size_t kChunk = 256 * 1024;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The name without its namespace prefix.
void localName(const char **name, size_t *size)
{
    const void *colon = std::memchr(*name, ':', *size);
    if (!colon)
        return;
    const size_t skip = size_t(static_cast<const char *>(colon) - *name) + 1;
    *name += skip;
    *size -= skip;
}

bool equals(const char *text, size_t size, const char *name, size_t nameSize)
{
    return size == nameSize && std::memcmp(text, name, size) == 0;
}

template <size_t N> bool equals(const char *text, size_t size, const char (&name)[N])
{
    return equals(text, size, name, N - 1);
}

QString shown(const char *text, size_t size)
{
    const QString s = QString::fromUtf8(text, qsizetype(qMin<size_t>(size, 64)));
    return s.size() > 20 ? s.left(20) + QStringLiteral("…") : s;
}

// "123" as 123, 1 to kMaxRows.
bool parseRowNumber(const char *text, size_t size, int *row)
{
    if (size == 0 || size > 7)
        return false;
    int n = 0;
    for (size_t i = 0; i < size; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        n = n * 10 + (text[i] - '0');
    }
    if (n < 1 || n > XlsxReader::kMaxRows)
        return false;
    *row = n;
    return true;
}

// "AB12" as column 27, row 11 (both 0-based).
bool parseCellName(const char *text, size_t size, int *row, int *column)
{
    int col = 0;
    size_t i = 0;
    for (; i < size && i < 3 && text[i] >= 'A' && text[i] <= 'Z'; ++i)
        col = col * 26 + (text[i] - 'A' + 1);
    int r = 0;
    if (col == 0 || col > XlsxReader::kMaxColumns || !parseRowNumber(text + i, size - i, &r))
        return false;
    *row = r - 1;
    *column = col - 1;
    return true;
}

void appendUtf8(std::string *out, uint code)
{
    if (code < 0x80) {
        out->push_back(char(code));
    } else if (code < 0x800) {
        out->push_back(char(0xC0 | (code >> 6)));
        out->push_back(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out->push_back(char(0xE0 | (code >> 12)));
        out->push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(char(0x80 | (code & 0x3F)));
    } else {
        out->push_back(char(0xF0 | (code >> 18)));
        out->push_back(char(0x80 | ((code >> 12) & 0x3F)));
        out->push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(char(0x80 | (code & 0x3F)));
    }
}

// Resolves a reference "&...;" at text[0]; false when it is none the XML knows.
bool appendReference(std::string *out, const char *text, size_t size, size_t *used)
{
    const void *semicolon = std::memchr(text, ';', qMin<size_t>(size, 12));
    if (!semicolon)
        return false;
    const size_t length = size_t(static_cast<const char *>(semicolon) - text) + 1;
    const char *name = text + 1;
    const size_t nameSize = length - 2;
    char c = 0;
    if (equals(name, nameSize, "lt"))
        c = '<';
    else if (equals(name, nameSize, "gt"))
        c = '>';
    else if (equals(name, nameSize, "amp"))
        c = '&';
    else if (equals(name, nameSize, "quot"))
        c = '"';
    else if (equals(name, nameSize, "apos"))
        c = '\'';
    if (c) {
        out->push_back(c);
        *used = length;
        return true;
    }
    if (nameSize < 2 || name[0] != '#')
        return false;
    const bool hex = name[1] == 'x';
    uint code = 0;
    size_t digits = 0;
    for (size_t i = hex ? 2 : 1; i < nameSize; ++i, ++digits) {
        const char d = name[i];
        int v = -1;
        if (d >= '0' && d <= '9')
            v = d - '0';
        else if (hex && d >= 'a' && d <= 'f')
            v = d - 'a' + 10;
        else if (hex && d >= 'A' && d <= 'F')
            v = d - 'A' + 10;
        if (v < 0)
            return false;
        code = code * (hex ? 16 : 10) + uint(v);
    }
    if (digits == 0 || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return false;
    appendUtf8(out, code);
    *used = length;
    return true;
}

} // namespace

XlsxSheetScanner::XlsxSheetScanner(QuaZip *zip, const QString &name, qint64 maxBytes)
    : m_zip(zip)
    , m_name(name)
    , m_maxBytes(maxBytes)
{}

XlsxSheetScanner::~XlsxSheetScanner()
{
    if (m_file && m_file->isOpen())
        m_file->close();
}

bool XlsxSheetScanner::open(QString *reason)
{
    m_file = XlsxPart::openFile(m_zip, m_name, m_maxBytes, &m_size, reason);
    if (!m_file)
        return false;
    m_buffer.resize(kChunk * 2);
    m_open.resize(size_t(XlsxPart::kMaxDepth));
    return true;
}

void XlsxSheetScanner::fail(const QString &reason)
{
    if (m_problem.isEmpty())
        m_problem = reason;
}

// Reads more of the part after the unread bytes. False at the end of the part or on a fault.
bool XlsxSheetScanner::more()
{
    if (m_eof || failed())
        return false;
    if (m_end - m_pos > size_t(XlsxPart::kMaxStepBytes)) {
        fail(QStringLiteral("%1 中有一项内容超过 %2")
                 .arg(m_name, XlsxPart::sizeText(XlsxPart::kMaxStepBytes)));
        return false;
    }
    if (m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
        m_end -= m_pos;
        m_pos = 0;
    }
    if (m_buffer.size() - m_end < kChunk)
        m_buffer.resize(m_end + kChunk);
    // One byte past the cap tells a part that ends exactly there from a longer one.
    const qint64 cap = qMin(m_size, m_maxBytes);
    const qint64 n = m_file->read(m_buffer.data() + m_end, qMin<qint64>(kChunk, cap + 1 - m_read));
    if (n < 0) {
        fail(QStringLiteral("%1 不能解压").arg(m_name));
        return false;
    }
    if (n == 0) {
        m_eof = true;
        return false;
    }
    m_read += n;
    if (m_read > cap) {
        fail(QStringLiteral("%1 解压后比文件记载的大小还大").arg(m_name));
        return false;
    }
    m_end += size_t(n);
    return true;
}

// Finds the text from the unread bytes' offset on; its offset in *at. False when the part
// ends first or on a fault.
bool XlsxSheetScanner::find(const char *text, size_t size, size_t from, size_t *at)
{
    for (;;) {
        if (m_end - m_pos >= from + size) {
            const char *start = m_buffer.data() + m_pos;
            const void *hit = memmem(start + from, m_end - m_pos - from, text, size);
            if (hit) {
                *at = size_t(static_cast<const char *>(hit) - start);
                return true;
            }
            from = m_end - m_pos - (size - 1);
        }
        if (!more()) {
            if (!failed())
                fail(QStringLiteral("%1 不完整").arg(m_name));
            return false;
        }
    }
}

XlsxSheetScanner::Token XlsxSheetScanner::readToken()
{
    // Comments and processing instructions are passed over.
    Token token = Token::Skipped;
    while (token == Token::Skipped)
        token = readMarkup();
    // Elements must be closed in the order they were opened, and nest no deeper than the
    // other parts may.
    if (token == Token::Start && !m_selfClosing) {
        if (m_depth == XlsxPart::kMaxDepth) {
            fail(
                QStringLiteral("%1 中的元素嵌套超过了 %2 层").arg(m_name).arg(XlsxPart::kMaxDepth));
            return Token::Error;
        }
        m_open[size_t(m_depth++)].assign(m_tokenName, m_tokenNameSize);
    } else if (token == Token::End) {
        if (m_depth == 0 ||
            !equals(m_tokenName, m_tokenNameSize, m_open[size_t(m_depth - 1)].data(),
                    m_open[size_t(m_depth - 1)].size())) {
            fail(QStringLiteral("%1 中的元素没有正确结束：</%2>")
                     .arg(m_name, shown(m_tokenName, m_tokenNameSize)));
            return Token::Error;
        }
        --m_depth;
    } else if (token == Token::Eof && m_depth > 0) {
        fail(QStringLiteral("%1 不完整").arg(m_name));
        return Token::Error;
    }
    return token;
}

XlsxSheetScanner::Token XlsxSheetScanner::readMarkup()
{
    if (failed())
        return Token::Error;
    if (m_pos >= m_end && !more())
        return failed() ? Token::Error : Token::Eof;
    if (m_buffer[m_pos] != '<') {
        // Text up to the next tag or the end of the part.
        size_t i = 0;
        for (;;) {
            const char *start = m_buffer.data() + m_pos;
            const void *lt = std::memchr(start + i, '<', m_end - m_pos - i);
            if (lt) {
                i = size_t(static_cast<const char *>(lt) - start);
                break;
            }
            i = m_end - m_pos;
            if (!more()) {
                if (failed())
                    return Token::Error;
                break;
            }
        }
        m_text = m_buffer.data() + m_pos;
        m_textSize = i;
        m_rawText = false;
        m_pos += i;
        return Token::Text;
    }
    while (m_end - m_pos < 2) {
        if (!more()) {
            if (!failed())
                fail(QStringLiteral("%1 不完整").arg(m_name));
            return Token::Error;
        }
    }
    const char second = m_buffer[m_pos + 1];
    size_t at = 0;
    if (second == '!') {
        while (m_end - m_pos < 9) {
            if (!more())
                break;
        }
        if (failed())
            return Token::Error;
        const char *start = m_buffer.data() + m_pos;
        const size_t have = m_end - m_pos;
        if (have >= 4 && std::memcmp(start, "<!--", 4) == 0) {
            if (!find("-->", 3, 4, &at))
                return Token::Error;
            m_pos += at + 3;
            return Token::Skipped;
        }
        if (have >= 9 && std::memcmp(start, "<![CDATA[", 9) == 0) {
            if (!find("]]>", 3, 9, &at))
                return Token::Error;
            m_text = m_buffer.data() + m_pos + 9;
            m_textSize = at - 9;
            m_rawText = true;
            m_pos += at + 3;
            return Token::Text;
        }
        fail(QStringLiteral("%1 含有文档类型声明(DTD)").arg(m_name));
        return Token::Error;
    }
    if (second == '?') {
        if (!find("?>", 2, 2, &at))
            return Token::Error;
        m_pos += at + 2;
        return Token::Skipped;
    }
    if (second == '/') {
        if (!find(">", 1, 2, &at))
            return Token::Error;
        const char *start = m_buffer.data() + m_pos;
        size_t size = at - 2;
        while (size > 0 && isSpace(start[2 + size - 1]))
            --size;
        m_tokenName = start + 2;
        m_tokenNameSize = size;
        localName(&m_tokenName, &m_tokenNameSize);
        m_pos += at + 1;
        return Token::End;
    }
    // A start tag: up to the ">" outside the attribute values, counting the values.
    size_t i = 1;
    char quote = 0;
    int attributes = 0;
    for (;;) {
        const char *start = m_buffer.data() + m_pos;
        const size_t n = m_end - m_pos;
        for (; i < n; ++i) {
            const char c = start[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
                if (++attributes > XlsxPart::kMaxAttributes) {
                    fail(QStringLiteral("%1 中有一个元素的属性超过了 %2 个")
                             .arg(m_name)
                             .arg(XlsxPart::kMaxAttributes));
                    return Token::Error;
                }
            } else if (c == '>') {
                break;
            }
        }
        if (i < n)
            break;
        if (!more()) {
            if (!failed())
                fail(QStringLiteral("%1 不完整").arg(m_name));
            return Token::Error;
        }
    }
    const char *start = m_buffer.data() + m_pos;
    m_selfClosing = start[i - 1] == '/';
    const size_t inner = m_selfClosing ? i - 1 : i; // the tag without "<" and "/>"
    size_t nameEnd = 1;
    while (nameEnd < inner && !isSpace(start[nameEnd]))
        ++nameEnd;
    m_tokenName = start + 1;
    m_tokenNameSize = nameEnd - 1;
    localName(&m_tokenName, &m_tokenNameSize);
    m_attributes = start + nameEnd;
    m_attributesSize = inner - nameEnd;
    m_pos += i + 1;
    return Token::Start;
}

namespace {

// Calls found(name, nameSize, value, valueSize) for each attribute of a tag, names without
// their namespace prefix, until it returns true. False when it never did or the attributes
// are malformed.
template <typename Found> bool findAttribute(const char *p, const char *end, Found found)
{
    while (p < end) {
        while (p < end && isSpace(*p))
            ++p;
        const char *nameStart = p;
        while (p < end && *p != '=' && !isSpace(*p))
            ++p;
        const char *attributeName = nameStart;
        size_t nameSize = size_t(p - nameStart);
        localName(&attributeName, &nameSize);
        while (p < end && (isSpace(*p) || *p == '='))
            ++p;
        if (p >= end || (*p != '"' && *p != '\''))
            return false;
        const char quote = *p++;
        const char *valueStart = p;
        while (p < end && *p != quote)
            ++p;
        if (found(attributeName, nameSize, valueStart, size_t(p - valueStart)))
            return true;
        ++p;
    }
    return false;
}

} // namespace

bool XlsxSheetScanner::attribute(const char *name, size_t wantedSize, const char **value,
                                 size_t *size) const
{
    return findAttribute(m_attributes, m_attributes + m_attributesSize,
                         [&](const char *n, size_t nSize, const char *v, size_t vSize) {
                             if (!equals(n, nSize, name, wantedSize))
                                 return false;
                             *value = v;
                             *size = vSize;
                             return true;
                         });
}

void XlsxSheetScanner::cellAttributes(CellAttributes *found) const
{
    findAttribute(m_attributes, m_attributes + m_attributesSize,
                  [found](const char *n, size_t nSize, const char *v, size_t vSize) {
                      if (nSize != 1)
                          return false;
                      if (*n == 'r' && !found->r) {
                          found->r = v;
                          found->rSize = vSize;
                      } else if (*n == 't' && !found->t) {
                          found->t = v;
                          found->tSize = vSize;
                      } else if (*n == 's' && !found->s) {
                          found->s = v;
                          found->sSize = vSize;
                      }
                      return found->r && found->t && found->s;
                  });
}

bool XlsxSheetScanner::appendText(std::string *text, size_t *characters)
{
    const char *p = m_text;
    const char *end = m_text + m_textSize;
    const size_t before = text->size();
    if (m_rawText) {
        text->append(p, m_textSize);
    } else {
        while (p < end) {
            const char *stop = p;
            while (stop < end && *stop != '&' && *stop != '\r')
                ++stop;
            text->append(p, size_t(stop - p));
            p = stop;
            if (p == end)
                break;
            if (*p == '\r') {
                // Line ends are read as line feeds, as XML has it.
                text->push_back('\n');
                p += p + 1 < end && p[1] == '\n' ? 2 : 1;
                continue;
            }
            size_t used = 0;
            if (appendReference(text, p, size_t(end - p), &used)) {
                p += used;
            } else {
                text->push_back('&');
                ++p;
            }
        }
    }
    // Characters in UTF-16 units, as the text will be held: one for each byte that starts
    // a character, two for the four-byte ones.
    for (size_t i = before; i < text->size(); ++i) {
        const uchar c = uchar((*text)[i]);
        *characters += (c & 0xC0) != 0x80;
        *characters += c >= 0xF0;
    }
    if (*characters > size_t(kMaxTextLength)) {
        fail(QStringLiteral("%1 中有一段文本超过 %2 个字符").arg(m_name).arg(kMaxTextLength));
        return false;
    }
    return true;
}

bool XlsxSheetScanner::skipElement()
{
    int depth = 1;
    while (depth > 0) {
        switch (readToken()) {
        case Token::Start:
            if (!m_selfClosing)
                ++depth;
            break;
        case Token::End:
            --depth;
            break;
        case Token::Text:
        case Token::Skipped:
            break;
        case Token::Eof:
            fail(QStringLiteral("%1 不完整").arg(m_name));
            return false;
        case Token::Error:
            return false;
        }
    }
    return true;
}

bool XlsxSheetScanner::readTextUntilEnd(std::string *text, size_t *characters)
{
    int depth = 1;
    while (depth > 0) {
        switch (readToken()) {
        case Token::Start:
            if (!m_selfClosing)
                ++depth;
            break;
        case Token::End:
            --depth;
            break;
        case Token::Text:
            if (!appendText(text, characters))
                return false;
            break;
        case Token::Skipped:
            break;
        case Token::Eof:
            fail(QStringLiteral("%1 不完整").arg(m_name));
            return false;
        case Token::Error:
            return false;
        }
    }
    return true;
}

// The text of an <is> element: its <t> parts, in runs or not, without phonetic runs.
bool XlsxSheetScanner::readInline(std::string *text, size_t *characters)
{
    int depth = 1;
    while (depth > 0) {
        switch (readToken()) {
        case Token::Start:
            if (m_selfClosing)
                break;
            if (nameIs("t")) {
                if (!readTextUntilEnd(text, characters))
                    return false;
            } else if (nameIs("r")) {
                ++depth;
            } else if (!skipElement()) {
                return false;
            }
            break;
        case Token::End:
            --depth;
            break;
        case Token::Text:
        case Token::Skipped:
            break;
        case Token::Eof:
            fail(QStringLiteral("%1 不完整").arg(m_name));
            return false;
        case Token::Error:
            return false;
        }
    }
    return true;
}

bool XlsxSheetScanner::readCell(bool selfClosing)
{
    if (size_t(m_cellCount) == m_cells.size())
        m_cells.emplace_back();
    Cell &cell = m_cells[size_t(m_cellCount)];
    CellAttributes attributes;
    cellAttributes(&attributes);
    cell.row = qMax(m_row, 0);
    cell.column = m_column + 1;
    if (attributes.r && !parseCellName(attributes.r, attributes.rSize, &cell.row, &cell.column)) {
        fail(QStringLiteral("单元格位置“%1”无效，列应在 A 到 XFD 之间，行应在 1 到 %2 之间")
                 .arg(shown(attributes.r, attributes.rSize))
                 .arg(XlsxReader::kMaxRows));
        return false;
    }
    if (cell.column >= XlsxReader::kMaxColumns) {
        fail(QStringLiteral("第 %1 行超过了 %2 列").arg(cell.row + 1).arg(XlsxReader::kMaxColumns));
        return false;
    }
    m_column = cell.column;
    cell.type = 'n';
    const char *value = attributes.t;
    size_t size = attributes.tSize;
    if (value) {
        if (equals(value, size, "s"))
            cell.type = 's';
        else if (equals(value, size, "inlineStr"))
            cell.type = 'i';
        else if (equals(value, size, "str"))
            cell.type = 't';
        else if (equals(value, size, "e"))
            cell.type = 'e';
        else if (equals(value, size, "b"))
            cell.type = 'b';
        else if (equals(value, size, "d"))
            cell.type = 'd';
    }
    cell.style = 0;
    value = attributes.s;
    size = attributes.sSize;
    if (value && size <= 9) {
        int style = 0;
        for (size_t i = 0; i < size && style >= 0; ++i)
            style = value[i] >= '0' && value[i] <= '9' ? style * 10 + (value[i] - '0') : -1;
        cell.style = qMax(style, 0);
    }
    cell.value.clear();
    ++m_cellCount;
    if (selfClosing)
        return true;
    // The inline text is read into a buffer kept from cell to cell and swapped into the cell,
    // so that neither allocates once the rows run.
    std::string &inlineText = m_inlineText;
    inlineText.clear();
    bool hasInline = false;
    for (;;) {
        switch (readToken()) {
        case Token::Start:
            if (m_selfClosing)
                break;
            if (nameIs("v")) {
                cell.value.clear();
                size_t characters = 0;
                if (!readTextUntilEnd(&cell.value, &characters))
                    return false;
            } else if (nameIs("is")) {
                inlineText.clear();
                size_t characters = 0;
                if (!readInline(&inlineText, &characters))
                    return false;
                hasInline = true;
            } else if (!skipElement()) {
                return false;
            }
            break;
        case Token::End:
            if (cell.type == 'i' || hasInline) {
                cell.type = 'i';
                cell.value.swap(inlineText);
            }
            return true;
        case Token::Text:
        case Token::Skipped:
            break;
        case Token::Eof:
            fail(QStringLiteral("%1 不完整").arg(m_name));
            return false;
        case Token::Error:
            return false;
        }
    }
}

bool XlsxSheetScanner::nextRow(int *row)
{
    m_cellCount = 0;
    if (m_done)
        return false;
    for (;;) {
        switch (readToken()) {
        case Token::Eof:
            if (m_inSheetData)
                fail(QStringLiteral("%1 不完整").arg(m_name));
            m_done = true;
            return false;
        case Token::Error:
            m_done = true;
            return false;
        case Token::Text:
        case Token::Skipped:
            break;
        case Token::End:
            if (nameIs("row") && m_inRow) {
                m_inRow = false;
                *row = m_row;
                return true;
            }
            if (nameIs("sheetData")) {
                m_inSheetData = false;
                m_done = true;
                return false;
            }
            break;
        case Token::Start:
            if (nameIs("sheetData")) {
                m_inSheetData = !m_selfClosing;
                if (m_selfClosing) {
                    m_done = true;
                    return false;
                }
            } else if (nameIs("row")) {
                const char *value = nullptr;
                size_t size = 0;
                int number = m_row + 2;
                if (attribute("r", &value, &size) && !parseRowNumber(value, size, &number)) {
                    fail(QStringLiteral("行号“%1”无效，行号应在 1 到 %2 之间")
                             .arg(shown(value, size))
                             .arg(XlsxReader::kMaxRows));
                    m_done = true;
                    return false;
                }
                if (number > XlsxReader::kMaxRows) {
                    fail(QStringLiteral("工作表超过了 %1 行").arg(XlsxReader::kMaxRows));
                    m_done = true;
                    return false;
                }
                m_row = number - 1;
                m_column = -1;
                if (m_selfClosing) {
                    *row = m_row;
                    return true;
                }
                m_inRow = true;
            } else if (nameIs("c")) {
                if (!m_inRow)
                    m_strayCell = true;
                if (!readCell(m_selfClosing)) {
                    m_done = true;
                    return false;
                }
            }
            break;
        }
    }
}

bool XlsxSheetScanner::readToEnd()
{
    while (!failed()) {
        m_pos = m_end;
        if (!more())
            break;
    }
    return !failed();
}

bool XlsxSheetScanner::finish(QString *reason)
{
    *reason = m_problem;
    if (!reason->isEmpty())
        return false;
    if (!m_file)
        return true;
    m_file->close();
    if (m_eof && m_file->getZipError() != UNZ_OK) {
        *reason = QStringLiteral("%1 的校验和不符").arg(m_name);
        return false;
    }
    return true;
}
