#include "FakePrograms.h"

#include <QDir>
#include <QFile>

FakePrograms::FakePrograms(const QString &dir)
    : m_dir(dir)
    , m_oldPath(qgetenv("PATH"))
{
    QDir().mkpath(dir);
    qputenv("PATH", dir.toLocal8Bit());
}

FakePrograms::~FakePrograms()
{
    qputenv("PATH", m_oldPath);
}

void FakePrograms::add(const QStringList &programs)
{
    for (const QString &program : programs) {
        QFile f(QDir(m_dir).filePath(program));
        if (!f.open(QIODevice::WriteOnly))
            continue;
        // Written under another name and moved, so a reader never sees half a line.
        f.write("#!/bin/sh\necho \"$@\" > \"$0.tmp\" && /bin/mv \"$0.tmp\" \"$0.ran\"\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

QString FakePrograms::ranWith(const QString &program) const
{
    QFile f(QDir(m_dir).filePath(program + QStringLiteral(".ran")));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(f.readAll()).trimmed();
}
