#pragma once

#include <QByteArray>
#include <QDialog>

class ReaderPhotoView;

// The reader's photo, large (caption "Pic").
class TRdEditPicFm : public QDialog {
    Q_OBJECT
public:
    explicit TRdEditPicFm(const QByteArray &photo, QWidget *parent = nullptr);

    ReaderPhotoView *photoView() const { return m_photo; }

private:
    ReaderPhotoView *m_photo = nullptr;
};
