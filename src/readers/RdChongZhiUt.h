#pragma once

#include <QDialog>

// Top-up or refund of a reader's prepaid account (caption "卡内充值").
class TRdChongZhiFm : public QDialog {
    Q_OBJECT
public:
    // Opens with this reader number looked up.
    explicit TRdChongZhiFm(const QString &readerNumber, QWidget *parent = nullptr);

signals:
    // A top-up was written (reader management reads its list again).
    void toppedUp();
};
