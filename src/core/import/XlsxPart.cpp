#include "XlsxPart.h"

#include <QIODevice>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

namespace {

// Follows the markup byte by byte and counts the attribute values of each tag. The XML reader
// compares the attributes of a tag pairwise, so that one tag with a million of them would keep
// it busy for half an hour; the count stops such a tag before the reader gets it.
class AttributeCounter {
public:
    // False once a tag has more than maxAttributes.
    bool scan(const char *data, qint64 size, int maxAttributes)
    {
        for (qint64 i = 0; i < size; ++i) {
            const char c = data[i];
            switch (m_state) {
            case Text:
                if (c == '<')
                    m_state = Open;
                break;
            case Open:
                m_attributes = 0;
                m_state = c == '!' ? Bang : c == '?' ? Instruction : c == '>' ? Text : Tag;
                m_run = 0;
                break;
            case Tag:
                if (c == '"' || c == '\'') {
                    m_quote = c;
                    m_state = Value;
                    if (++m_attributes > maxAttributes)
                        return false;
                } else if (c == '>') {
                    m_state = Text;
                }
                break;
            case Value:
                if (c == m_quote)
                    m_state = Tag;
                break;
            case Bang: // "<!--" a comment, "<![CDATA[" literal text, else a declaration
                m_state = c == '-' ? Comment : c == '[' ? CData : c == '>' ? Text : Declaration;
                break;
            case Comment: // up to "-->"
                if (c == '>' && m_run >= 2)
                    m_state = Text;
                m_run = c == '-' ? m_run + 1 : 0;
                break;
            case CData: // up to "]]>"
                if (c == '>' && m_run >= 2)
                    m_state = Text;
                m_run = c == ']' ? m_run + 1 : 0;
                break;
            case Instruction: // up to "?>"
                if (c == '>' && m_run >= 1)
                    m_state = Text;
                m_run = c == '?' ? 1 : 0;
                break;
            case Declaration:
                if (c == '>')
                    m_state = Text;
                break;
            }
        }
        return true;
    }

private:
    enum State { Text, Open, Tag, Value, Bang, Comment, CData, Instruction, Declaration };
    State m_state = Text;
    char m_quote = 0;
    int m_run = 0; // closing characters in a row
    int m_attributes = 0;
};

} // namespace

// Hands the unpacked bytes of a part to the XML reader and counts them: it ends the stream
// when the part grows past its cap, one step of the reader past the step cap, or a tag
// past the number of attributes a tag may have.
class XlsxPartDevice : public QIODevice {
public:
    enum class Stop { None, PartTooLarge, StepTooLarge, TooManyAttributes, ReadError };

    XlsxPartDevice(QuaZipFile *file, qint64 maxBytes, qint64 maxStepBytes)
        : m_file(file)
        , m_maxBytes(maxBytes)
        , m_maxStepBytes(maxStepBytes)
    {}

    bool isSequential() const override { return true; }
    void startStep() { m_stepStart = m_read; }
    Stop stop() const { return m_stop; }
    // Whether the part was given out to its end.
    bool atPartEnd() const { return m_ended; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_stop != Stop::None || m_ended)
            return -1;
        // One byte past the cap tells a part that ends exactly there from a longer one.
        const qint64 n = m_file->read(data, qMin(maxSize, m_maxBytes + 1 - m_read));
        if (n < 0) {
            m_stop = Stop::ReadError;
            return -1;
        }
        if (n == 0) {
            m_ended = true;
            return -1;
        }
        m_read += n;
        if (m_read > m_maxBytes) {
            m_stop = Stop::PartTooLarge;
            return -1;
        }
        if (m_read - m_stepStart > m_maxStepBytes) {
            m_stop = Stop::StepTooLarge;
            return -1;
        }
        if (!m_attributes.scan(data, n, XlsxPart::kMaxAttributes)) {
            m_stop = Stop::TooManyAttributes;
            return -1;
        }
        return n;
    }

    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QuaZipFile *m_file;
    qint64 m_maxBytes;
    qint64 m_maxStepBytes;
    qint64 m_read = 0;
    qint64 m_stepStart = 0;
    Stop m_stop = Stop::None;
    bool m_ended = false;
    AttributeCounter m_attributes;
};

QString XlsxPart::sizeText(qint64 bytes)
{
    if (bytes >= qint64(1) << 30)
        return QStringLiteral("%1 GB").arg(double(bytes) / (qint64(1) << 30), 0, 'f', 1);
    if (bytes >= 1 << 20)
        return QStringLiteral("%1 MB").arg(double(bytes) / (1 << 20), 0, 'f', 1);
    if (bytes >= 1 << 10)
        return QStringLiteral("%1 KB").arg(double(bytes) / (1 << 10), 0, 'f', 1);
    return QStringLiteral("%1 字节").arg(bytes);
}

XlsxPart::XlsxPart(QuaZip *zip, const QString &name, qint64 maxBytes)
    : m_zip(zip)
    , m_name(name)
    , m_maxBytes(maxBytes)
{}

XlsxPart::~XlsxPart()
{
    m_xml.setDevice(nullptr);
    if (m_file && m_file->isOpen())
        m_file->close();
}

std::unique_ptr<QuaZipFile> XlsxPart::openFile(QuaZip *zip, const QString &name, qint64 maxBytes,
                                               qint64 *size, QString *reason)
{
    reason->clear();
    if (!zip->setCurrentFile(name, QuaZip::csInsensitive))
        return nullptr;
    QuaZipFileInfo64 info;
    if (!zip->getCurrentFileInfo(&info)) {
        *reason = QStringLiteral("%1 不能读取").arg(name);
        return nullptr;
    }
    // The unpacking library gives no more than the recorded size; more than the cap is
    // refused before anything is unpacked.
    if (info.uncompressedSize > quint64(maxBytes)) {
        *reason =
            QStringLiteral("%1 解压后有 %2，超过了 %3")
                .arg(name, sizeText(qint64(qMin<quint64>(info.uncompressedSize, quint64(1) << 62))),
                     sizeText(maxBytes));
        return nullptr;
    }
    auto file = std::make_unique<QuaZipFile>(zip);
    if (!file->open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("%1 不能解压").arg(name);
        return nullptr;
    }
    *size = qint64(info.uncompressedSize);
    return file;
}

bool XlsxPart::open(QString *reason)
{
    qint64 size = 0;
    m_file = openFile(m_zip, m_name, m_maxBytes, &size, reason);
    if (!m_file)
        return false;
    m_device = std::make_unique<XlsxPartDevice>(m_file.get(), size, kMaxStepBytes);
    m_device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_xml.setDevice(m_device.get());
    return true;
}

QXmlStreamReader::TokenType XlsxPart::next()
{
    m_device->startStep();
    switch (m_xml.readNext()) {
    case QXmlStreamReader::DTD:
        fail(QStringLiteral("%1 含有文档类型声明(DTD)").arg(m_name));
        break;
    case QXmlStreamReader::StartElement: {
        // The reader keeps every open element and looks names up among the namespaces in
        // force: both stay small.
        const int declared = int(m_xml.namespaceDeclarations().size());
        m_namespacesInForce += declared;
        m_namespaces.push(declared);
        if (m_namespaces.size() > kMaxDepth)
            fail(QStringLiteral("%1 中的元素嵌套超过了 %2 层").arg(m_name).arg(kMaxDepth));
        else if (m_namespacesInForce > kMaxNamespaces)
            fail(QStringLiteral("%1 中同时有效的命名空间超过了 %2 个")
                     .arg(m_name)
                     .arg(kMaxNamespaces));
        break;
    }
    case QXmlStreamReader::EndElement:
        if (!m_namespaces.isEmpty())
            m_namespacesInForce -= m_namespaces.pop();
        break;
    default:
        break;
    }
    return m_xml.tokenType();
}

bool XlsxPart::readText(QString *text, int maxLength)
{
    text->clear();
    int depth = 1;
    while (depth > 0 && !m_xml.atEnd()) {
        switch (next()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (text->size() + m_xml.text().size() > maxLength) {
                fail(QStringLiteral("%1 中有一段文本超过 %2 个字符").arg(m_name).arg(maxLength));
                text->clear();
                return false;
            }
            text->append(m_xml.text());
            break;
        default:
            break;
        }
    }
    return !m_xml.hasError();
}

void XlsxPart::skipElement()
{
    int depth = 1;
    while (depth > 0 && !m_xml.atEnd()) {
        const QXmlStreamReader::TokenType token = next();
        if (token == QXmlStreamReader::StartElement)
            ++depth;
        else if (token == QXmlStreamReader::EndElement)
            --depth;
    }
}

void XlsxPart::fail(const QString &reason)
{
    if (!m_xml.hasError())
        m_xml.raiseError(reason);
}

QString XlsxPart::problem() const
{
    switch (m_device->stop()) {
    case XlsxPartDevice::Stop::PartTooLarge:
        return QStringLiteral("%1 解压后比文件记载的大小还大").arg(m_name);
    case XlsxPartDevice::Stop::StepTooLarge:
        return QStringLiteral("%1 中有一项内容超过 %2").arg(m_name, sizeText(kMaxStepBytes));
    case XlsxPartDevice::Stop::TooManyAttributes:
        return QStringLiteral("%1 中有一个元素的属性超过了 %2 个").arg(m_name).arg(kMaxAttributes);
    case XlsxPartDevice::Stop::ReadError:
        return QStringLiteral("%1 不能解压").arg(m_name);
    case XlsxPartDevice::Stop::None:
        break;
    }
    if (m_xml.error() == QXmlStreamReader::CustomError)
        return m_xml.errorString();
    if (m_xml.hasError())
        return QStringLiteral("%1 第 %2 行有误：%3")
            .arg(m_name)
            .arg(m_xml.lineNumber())
            .arg(m_xml.errorString());
    return QString();
}

bool XlsxPart::finish(QString *reason)
{
    *reason = problem();
    if (!reason->isEmpty())
        return false;
    // A part read to its end has its checksum checked when it is closed.
    const bool whole = m_device->atPartEnd();
    m_xml.setDevice(nullptr);
    m_file->close();
    if (whole && m_file->getZipError() != UNZ_OK) {
        *reason = QStringLiteral("%1 的校验和不符").arg(m_name);
        return false;
    }
    return true;
}
