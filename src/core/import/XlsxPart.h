#pragma once

#include <QStack>
#include <QString>
#include <QXmlStreamReader>
#include <memory>

class QuaZip;
class QuaZipFile;
class XlsxPartDevice;

// One XML part of an .xlsx package (a zip archive), read as a stream under caps, so that a
// damaged or hostile file cannot make the program unpack or hold gigabytes: the part gives
// no more than the size the archive records for it and no more than maxBytes, and one step
// of the XML reader (a tag with its attributes, a text, a comment) takes at most
// kMaxStepBytes of it. The shape of the XML is capped too, where the reader's work or memory
// would grow faster than the file: attributes of a tag, nesting of elements, namespaces in
// force. The caps are far above what spreadsheet programs write.
class XlsxPart {
public:
    static constexpr qint64 kMaxStepBytes = 8 << 20;
    static constexpr int kMaxAttributes = 256;
    static constexpr int kMaxDepth = 64;
    static constexpr int kMaxNamespaces = 64;

    XlsxPart(QuaZip *zip, const QString &name, qint64 maxBytes);
    // Opens a part of the package for reading its unpacked bytes, refusing one that records
    // more than maxBytes. Null when the package has no such part (the reason stays empty)
    // or it cannot be opened (the reason says why); size gets the recorded size.
    static std::unique_ptr<QuaZipFile> openFile(QuaZip *zip, const QString &name, qint64 maxBytes,
                                                qint64 *size, QString *reason);
    // A size for a message: "1.5 MB".
    static QString sizeText(qint64 bytes);
    ~XlsxPart();
    XlsxPart(const XlsxPart &) = delete;
    XlsxPart &operator=(const XlsxPart &) = delete;

    // False when the package has no such part (the reason stays empty) or when it cannot be
    // read (the reason says why).
    bool open(QString *reason);

    const QString &name() const { return m_name; }
    QXmlStreamReader &xml() { return m_xml; }
    bool atEnd() const { return m_xml.atEnd(); }
    // The next token. A document type declaration stops the reading: these parts have none,
    // and its entities could make a few bytes into a flood of text.
    QXmlStreamReader::TokenType next();
    // At a start element: its character data up to the matching end, children included.
    // Longer than maxLength, the reading stops with that reason.
    bool readText(QString *text, int maxLength);
    // At a start element: goes on to its end.
    void skipElement();
    // Stops the reading for a reason of the caller's.
    void fail(const QString &reason);
    // After reading: whether the part was sound and complete up to where the caller
    // stopped; otherwise the reason. A part read to its end also has its checksum checked.
    bool finish(QString *reason);

private:
    QString problem() const;

    QuaZip *m_zip;
    QString m_name;
    qint64 m_maxBytes;
    std::unique_ptr<QuaZipFile> m_file;
    std::unique_ptr<XlsxPartDevice> m_device;
    QXmlStreamReader m_xml;
    QStack<int> m_namespaces; // declared by each open element
    int m_namespacesInForce = 0;
};
