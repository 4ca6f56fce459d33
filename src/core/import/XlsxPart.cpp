#include "XlsxPart.h"

#include <QIODevice>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

// Hands the unpacked bytes of a part to the XML reader and counts them: it ends the stream
// when the part grows past its cap or one step of the reader past the step cap.
class XlsxPartDevice : public QIODevice {
public:
    enum class Stop { None, PartTooLarge, StepTooLarge, ReadError };

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
};

namespace {

QString sizeText(qint64 bytes)
{
    if (bytes >= qint64(1) << 30)
        return QStringLiteral("%1 GB").arg(double(bytes) / (qint64(1) << 30), 0, 'f', 1);
    if (bytes >= 1 << 20)
        return QStringLiteral("%1 MB").arg(double(bytes) / (1 << 20), 0, 'f', 1);
    if (bytes >= 1 << 10)
        return QStringLiteral("%1 KB").arg(double(bytes) / (1 << 10), 0, 'f', 1);
    return QStringLiteral("%1 字节").arg(bytes);
}

} // namespace

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

bool XlsxPart::open(QString *reason)
{
    reason->clear();
    if (!m_zip->setCurrentFile(m_name, QuaZip::csInsensitive))
        return false;
    QuaZipFileInfo64 info;
    if (!m_zip->getCurrentFileInfo(&info)) {
        *reason = QStringLiteral("%1 不能读取").arg(m_name);
        return false;
    }
    // The unpacking library gives no more than the recorded size; more than the cap is
    // refused before anything is unpacked.
    if (info.uncompressedSize > quint64(m_maxBytes)) {
        *reason = QStringLiteral("%1 解压后有 %2，超过了 %3")
                      .arg(m_name,
                           sizeText(qint64(qMin<quint64>(info.uncompressedSize, quint64(1) << 62))),
                           sizeText(m_maxBytes));
        return false;
    }
    m_file = std::make_unique<QuaZipFile>(m_zip);
    if (!m_file->open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("%1 不能解压").arg(m_name);
        return false;
    }
    m_device = std::make_unique<XlsxPartDevice>(m_file.get(), qint64(info.uncompressedSize),
                                                kMaxStepBytes);
    m_device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_xml.setDevice(m_device.get());
    return true;
}

QXmlStreamReader::TokenType XlsxPart::next()
{
    m_device->startStep();
    const QXmlStreamReader::TokenType token = m_xml.readNext();
    if (token == QXmlStreamReader::DTD)
        fail(QStringLiteral("%1 含有文档类型声明(DTD)").arg(m_name));
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
