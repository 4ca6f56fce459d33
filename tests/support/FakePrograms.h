#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Stand-ins for the desktop's programs: PATH holds only a folder of small scripts, each of
// which writes its arguments to "<program>.ran" beside it. The old PATH comes back when the
// object goes.
class FakePrograms {
public:
    explicit FakePrograms(const QString &dir);
    ~FakePrograms();

    void add(const QStringList &programs);
    // The arguments the program was started with, or an empty text while it has not run.
    QString ranWith(const QString &program) const;

private:
    QString m_dir;
    QByteArray m_oldPath;
};
