#include "RdEditPicUt.h"

#include "ReaderPhotoView.h"
#include "readers/ReaderPhoto.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

TRdEditPicFm::TRdEditPicFm(const QByteArray &photo, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TRdEditPicFm"));
    setWindowTitle(QStringLiteral("Pic"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_photo = new ReaderPhotoView(this);
    m_photo->setFrameShape(QFrame::NoFrame);
    m_photo->setPhoto(photo);
    m_photo->setToolTip(QStringLiteral("单击关闭"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_photo);
    connect(m_photo, &ReaderPhotoView::clicked, this, &QDialog::close);

    // The picture at its own size where the screen has room for it, centred on the screen.
    QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QSize size = ReaderPhoto::image(photo).size();
    if (size.isEmpty())
        size = QSize(360, 450);
    size = size.scaled(size.boundedTo(room.size() * 0.8), Qt::KeepAspectRatio)
               .expandedTo(QSize(240, 240));
    resize(size);
    move(room.center() - QPoint(size.width() / 2, size.height() / 2));
}
