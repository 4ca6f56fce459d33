#pragma once

#include "Prompt.h"

#include <QList>
#include <QString>
#include <QStringList>

// Records every message the program shows and answers its questions from a queue, so a
// window test can check the messages and drive the Yes/No paths. Installed for its lifetime.
class PromptRecorder : public Prompt::Handler {
public:
    PromptRecorder();
    ~PromptRecorder() override;

    struct Entry {
        Prompt::Kind kind;
        QString caption;
        QString text;
        // For questions: the answer Enter gives.
        Prompt::Answer defaultAnswer = Prompt::Answer::No;
    };

    // Answers for the next questions, in order; an empty queue answers No.
    void answer(bool yes) { m_answers.append(yes); }
    // Answers for the next password prompts; an empty queue cancels.
    void answerPassword(const QString &text) { m_passwords.append(text); }
    void answerSaveFile(const QString &path) { m_saveFiles.append(path); }
    // Files for the next open-file dialogs; an empty queue cancels.
    void answerOpenFile(const QString &path) { m_openFiles.append(path); }

    const QList<Entry> &entries() const { return m_entries; }
    QStringList texts() const;
    QString last() const { return m_entries.isEmpty() ? QString() : m_entries.last().text; }
    void clear() { m_entries.clear(); }

    void message(QWidget *, Prompt::Kind kind, const QString &caption,
                 const QString &text) override;
    bool question(QWidget *, const QString &caption, const QString &text,
                  Prompt::Answer defaultAnswer) override;
    std::optional<QString> password(QWidget *, const QString &caption, const QString &prompt,
                                    const QString &initialText, QChar mask) override;
    QString saveFileName(QWidget *, const QString &caption, const QString &suggestedPath,
                         const QString &filter) override;
    QString openFileName(QWidget *, const QString &caption, const QString &filter) override;

private:
    Prompt::Handler *m_previous;
    QList<Entry> m_entries;
    QList<bool> m_answers;
    QStringList m_passwords;
    QStringList m_saveFiles;
    QStringList m_openFiles;
};
