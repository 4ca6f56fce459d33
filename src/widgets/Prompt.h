#pragma once

#include <QString>
#include <optional>

class QWidget;

// Every message box and Yes/No question of the program goes through here, so that window
// tests can read the messages and answer the questions (see PromptRecorder).
namespace Prompt {

enum class Kind { Information, Warning, Error, Question, Password, SaveFile, OpenFile };

// The answer Enter gives to a question. A question before a deletion or another step that
// cannot be undone defaults to No; every other question defaults to Yes.
enum class Answer { Yes, No };

void info(QWidget *parent, const QString &text, const QString &caption = QStringLiteral("提示"));
void warning(QWidget *parent, const QString &text, const QString &caption = QStringLiteral("警告"));
void error(QWidget *parent, const QString &text, const QString &caption = QStringLiteral("错误"));
// A Yes/No question; true for Yes.
bool ask(QWidget *parent, const QString &text, Answer defaultAnswer,
         const QString &caption = QStringLiteral("请确认"));
// A file to save to, or an empty text when the user cancels.
QString saveFileName(QWidget *parent, const QString &caption, const QString &suggestedPath,
                     const QString &filter);
// An existing file to read, or an empty text when the user cancels.
QString openFileName(QWidget *parent, const QString &caption, const QString &filter);
// One line of text typed by the user (the password prompt without a mask), or nothing when
// cancelled.
std::optional<QString> input(QWidget *parent, const QString &caption, const QString &prompt,
                             const QString &initialText = QString());

// The handler that shows the prompts; tests install their own.
class Handler {
public:
    virtual ~Handler() = default;
    virtual void message(QWidget *parent, Kind kind, const QString &caption,
                         const QString &text) = 0;
    virtual bool question(QWidget *parent, const QString &caption, const QString &text,
                          Answer defaultAnswer) = 0;
    // Returns the entered text, or nothing when cancelled. A null mask shows the text as typed.
    virtual std::optional<QString> password(QWidget *parent, const QString &caption,
                                            const QString &prompt, const QString &initialText,
                                            QChar mask) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &caption,
                                 const QString &suggestedPath, const QString &filter) = 0;
    virtual QString openFileName(QWidget *parent, const QString &caption,
                                 const QString &filter) = 0;
};

// Installs a handler (nullptr restores the dialogs). Returns the previous one.
Handler *setHandler(Handler *handler);
Handler *handler();

} // namespace Prompt

// The masked one-line prompt: whether the user accepted, and the entered text (the initial
// text unchanged when cancelled). Every character typed is shown as maskCharacter.
struct PasswordPromptResult {
    bool accepted = false;
    QString text;
};
PasswordPromptResult PasswordPrompt(QWidget *parent, const QString &caption, const QString &prompt,
                                    const QString &initialText, QChar maskCharacter);
