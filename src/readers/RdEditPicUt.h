#pragma once

#include <QByteArray>
#include <QDialog>

// The reader's photo, large (caption "Pic").
class TRdEditPicFm : public QDialog {
    Q_OBJECT
public:
    explicit TRdEditPicFm(const QByteArray &photo, QWidget *parent = nullptr);
};
