#pragma once

#include "catalogue/CopyCatalogue.h"
#include "catalogue/OnlineCatalogue.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TBkAddFm;

// Online lookup (caption as the window's own text): the data of a book fetched by its ISBN
// barcode from the national library's web catalogue, or from the Z39.50/SRU servers of
// de.ini, and copied into the book intake window it belongs to. Nothing here waits for the
// network: the buttons start a request and the answer fills the window when it comes.
class TMyNetTmFm : public QWidget {
    Q_OBJECT
public:
    explicit TMyNetTmFm(TBkAddFm *intake);

    OnlineCatalogue *catalogue() const { return m_catalogue; }
    CopyCatalogue *copyCatalogue() const { return m_copy; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectClicked();
    void fetchClicked();
    void copyClicked();
    void connected(bool ok, const QString &message);
    void lookedUp(const OnlineCatalogue::Outcome &outcome);
    void answered(const CopyAnswer &answer);
    void copyFinished();
    // Adds a line to the result list and keeps the book it shows.
    void addLine(const CatalogueBook &book, const QString &source, const QString &barcode);
    // Copies the line's book into the intake window.
    void fillIntake(int line);
    void setBusy();

    QPointer<TBkAddFm> m_intake;
    OnlineCatalogue *m_catalogue = nullptr;
    CopyCatalogue *m_copy = nullptr;
    QVector<CatalogueServer> m_servers;
    QLineEdit *m_barcode = nullptr;
    QPushButton *m_connect = nullptr;
    QPushButton *m_fetch = nullptr;
    QPushButton *m_copyButton = nullptr;
    QTableWidget *m_results = nullptr;
    QLabel *m_status = nullptr;
    QVector<CatalogueBook> m_books;
    QStringList m_barcodes; // the barcode each line was found for, as typed
    QString m_copyBarcode;
    bool m_copyFilled = false;
};
