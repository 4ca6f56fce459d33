#pragma once

#include <QByteArray>
#include <QImage>
#include <QLabel>

// A reader's photo, scaled to fit the widget (aspect kept) and following its size; a hint
// where there is none. Clicking it emits clicked().
class ReaderPhotoView : public QLabel {
    Q_OBJECT
public:
    explicit ReaderPhotoView(QWidget *parent = nullptr);

    // Shows stored photo bytes; empty bytes show no picture.
    void setPhoto(const QByteArray &bytes);
    const QByteArray &photo() const { return m_bytes; }
    bool hasPicture() const { return !m_image.isNull(); }
    // The size the layouts give it, whatever the picture's size (a label sized by its
    // picture would grow with every rescale).
    void setPreferredSize(const QSize &size)
    {
        m_preferred = size;
        updateGeometry();
    }
    QSize sizeHint() const override { return m_preferred; }

signals:
    void clicked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void rescale();

    QByteArray m_bytes;
    QImage m_image;
    QSize m_preferred{150, 190};
};
