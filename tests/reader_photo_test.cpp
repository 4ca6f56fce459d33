// The reader photo taken from a picture file: the 2 MB rule, its message, what is kept.
#include "readers/ReaderPhoto.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray encoded(const char *format)
{
    QImage image(10, 12, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

} // namespace

class ReaderPhotoTest : public QObject {
    Q_OBJECT
private slots:
    void tooLargeMessage_data();
    void tooLargeMessage();
    void sizeLimit_data();
    void sizeLimit();
    void formatsKeptAsTheyAre_data();
    void formatsKeptAsTheyAre();
    void refusedFiles_data();
    void refusedFiles();
};

void ReaderPhotoTest::tooLargeMessage_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("size");
    QTest::newRow("2.5 MB") << qint64(2621440) << QStringLiteral("2.50MB");
    QTest::newRow("one byte over") << qint64(2097153) << QStringLiteral("2.00MB");
    QTest::newRow("two decimals") << qint64(3140000) << QStringLiteral("2.99MB");
    QTest::newRow("large") << qint64(15LL * 1024 * 1024 * 1024) << QStringLiteral("15360.00MB");
}

void ReaderPhotoTest::tooLargeMessage()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, size);
    QCOMPARE(ReaderPhoto::tooLargeMessage(bytes),
             QStringLiteral("添加失败:图片文件不能超过2MB,您选择的文件大小为:") + size);
}

void ReaderPhotoTest::sizeLimit_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("exactly 2 MB") << qint64(2097152) << true;
    QTest::newRow("one byte more") << qint64(2097153) << false;
    QTest::newRow("2.5 MB") << qint64(2621440) << false;
}

// A picture file of exactly 2 MB is taken, one byte more is refused with the message.
void ReaderPhotoTest::sizeLimit()
{
    QFETCH(qint64, bytes);
    QFETCH(bool, accepted);
    QTemporaryDir dir;
    QByteArray content = encoded("PNG");
    content.append(QByteArray(bytes - content.size(), '\0'));
    const QString path = writeFile(dir, QStringLiteral("照片.png"), content);
    QVERIFY(!path.isEmpty());
    const ReaderPhoto::Loaded loaded = ReaderPhoto::fromFile(path);
    QCOMPARE(loaded.ok, accepted);
    if (accepted) {
        QCOMPARE(loaded.bytes, content);
        QVERIFY(!ReaderPhoto::image(loaded.bytes).isNull());
    } else {
        QCOMPARE(loaded.message, ReaderPhoto::tooLargeMessage(bytes));
        QVERIFY(loaded.bytes.isEmpty());
    }
}

void ReaderPhotoTest::formatsKeptAsTheyAre_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("bmp") << QByteArray("BMP");
    QTest::newRow("jpg") << QByteArray("JPG");
    QTest::newRow("png") << QByteArray("PNG");
}

// The file's own bytes are kept, whatever the file is called, and read back as the picture.
void ReaderPhotoTest::formatsKeptAsTheyAre()
{
    QFETCH(QByteArray, format);
    QTemporaryDir dir;
    const QByteArray content = encoded(format.constData());
    QVERIFY(!content.isEmpty());
    const QString path = writeFile(dir, QStringLiteral("photo.dat"), content);
    const ReaderPhoto::Loaded loaded = ReaderPhoto::fromFile(path);
    QVERIFY2(loaded.ok, qPrintable(loaded.message));
    QCOMPARE(loaded.bytes, content);
    QCOMPARE(ReaderPhoto::image(loaded.bytes).size(), QSize(10, 12));
}

void ReaderPhotoTest::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("messageStart");
    QTest::newRow("text") << QByteArray("not a picture")
                          << QStringLiteral("所选文件不是可以显示的图片");
    QTest::newRow("cut picture") << encoded("PNG").left(30)
                                 << QStringLiteral("所选文件不是可以显示的图片");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("所选文件不是可以显示的图片");
    QTest::newRow("missing") << QByteArray("-") << QStringLiteral("找不到图片文件");
}

void ReaderPhotoTest::refusedFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, messageStart);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("none.png"));
    if (content != "-")
        path = writeFile(dir, QStringLiteral("x.png"), content);
    const ReaderPhoto::Loaded loaded = ReaderPhoto::fromFile(path);
    QVERIFY(!loaded.ok);
    QVERIFY2(loaded.message.startsWith(messageStart), qPrintable(loaded.message));
    QVERIFY(ReaderPhoto::image(QByteArray()).isNull());
}

QTEST_MAIN(ReaderPhotoTest)
#include "reader_photo_test.moc"
