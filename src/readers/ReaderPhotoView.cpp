#include "ReaderPhotoView.h"

#include "readers/ReaderPhoto.h"

#include <QMouseEvent>
#include <QPixmap>

ReaderPhotoView::ReaderPhotoView(QWidget *parent)
    : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::StyledPanel);
    // The picture follows the widget; it must not hold the widget at the picture's size.
    setMinimumSize(1, 1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setPhoto(QByteArray());
}

void ReaderPhotoView::setPhoto(const QByteArray &bytes)
{
    m_bytes = bytes;
    m_image = ReaderPhoto::image(bytes);
    rescale();
}

void ReaderPhotoView::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    rescale();
}

void ReaderPhotoView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void ReaderPhotoView::rescale()
{
    if (m_image.isNull()) {
        setPixmap(QPixmap());
        setText(m_bytes.isEmpty() ? QStringLiteral("无照片") : QStringLiteral("照片无法显示"));
        return;
    }
    const QSize room = contentsRect().size();
    if (room.width() < 2 || room.height() < 2)
        return;
    setPixmap(
        QPixmap::fromImage(m_image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}
