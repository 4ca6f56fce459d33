#include "PromptRecorder.h"

PromptRecorder::PromptRecorder()
    : m_previous(Prompt::setHandler(this))
{}

PromptRecorder::~PromptRecorder()
{
    Prompt::setHandler(m_previous);
}

QStringList PromptRecorder::texts() const
{
    QStringList out;
    for (const Entry &e : m_entries)
        out << e.text;
    return out;
}

void PromptRecorder::message(QWidget *, Prompt::Kind kind, const QString &caption,
                             const QString &text)
{
    m_entries.append({kind, caption, text});
}

bool PromptRecorder::question(QWidget *, const QString &caption, const QString &text,
                              Prompt::Answer defaultAnswer)
{
    m_entries.append({Prompt::Kind::Question, caption, text, defaultAnswer});
    return m_answers.isEmpty() ? false : m_answers.takeFirst();
}

std::optional<QString> PromptRecorder::password(QWidget *, const QString &caption,
                                                const QString &prompt, const QString &, QChar)
{
    m_entries.append({Prompt::Kind::Password, caption, prompt});
    if (m_passwords.isEmpty())
        return std::nullopt;
    return m_passwords.takeFirst();
}

QString PromptRecorder::saveFileName(QWidget *, const QString &caption, const QString &,
                                     const QString &)
{
    m_entries.append({Prompt::Kind::SaveFile, caption, QString()});
    return m_saveFiles.isEmpty() ? QString() : m_saveFiles.takeFirst();
}

QString PromptRecorder::openFileName(QWidget *, const QString &caption, const QString &)
{
    m_entries.append({Prompt::Kind::OpenFile, caption, QString()});
    return m_openFiles.isEmpty() ? QString() : m_openFiles.takeFirst();
}
