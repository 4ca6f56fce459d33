#include "Prompt.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

class DialogHandler : public Prompt::Handler {
public:
    void message(QWidget *parent, Prompt::Kind kind, const QString &caption,
                 const QString &text) override
    {
        switch (kind) {
        case Prompt::Kind::Warning:
            QMessageBox::warning(parent, caption, text);
            break;
        case Prompt::Kind::Error:
            QMessageBox::critical(parent, caption, text);
            break;
        default:
            QMessageBox::information(parent, caption, text);
            break;
        }
    }

    bool question(QWidget *parent, const QString &caption, const QString &text,
                  Prompt::Answer defaultAnswer) override
    {
        return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                     defaultAnswer == Prompt::Answer::Yes
                                         ? QMessageBox::Yes
                                         : QMessageBox::No) == QMessageBox::Yes;
    }

    std::optional<QString> password(QWidget *parent, const QString &caption, const QString &prompt,
                                    const QString &initialText, QChar mask) override
    {
        QDialog dialog(parent);
        dialog.setWindowTitle(caption);
        auto *layout = new QVBoxLayout(&dialog);
        auto *label = new QLabel(prompt, &dialog);
        label->setWordWrap(true);
        auto *edit = new QLineEdit(initialText, &dialog);
        edit->setMaxLength(255);
        if (!mask.isNull()) {
            // The style draws its own bullet unless told which character to show.
            edit->setEchoMode(QLineEdit::Password);
            edit->setStyleSheet(
                QStringLiteral("lineedit-password-character: %1").arg(mask.unicode()));
        }
        edit->selectAll();
        auto *buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
        buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(label);
        layout->addWidget(edit);
        layout->addWidget(buttons);
        dialog.setMinimumWidth(300);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return edit->text();
    }

    QString saveFileName(QWidget *parent, const QString &caption, const QString &suggestedPath,
                         const QString &filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
    }

    QString openFileName(QWidget *parent, const QString &caption, const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
    }
};

DialogHandler g_dialogs;
Prompt::Handler *g_handler = nullptr;

} // namespace

namespace Prompt {

Handler *setHandler(Handler *h)
{
    Handler *previous = g_handler;
    g_handler = h;
    return previous;
}

Handler *handler()
{
    return g_handler ? g_handler : &g_dialogs;
}

void info(QWidget *parent, const QString &text, const QString &caption)
{
    handler()->message(parent, Kind::Information, caption, text);
}

void warning(QWidget *parent, const QString &text, const QString &caption)
{
    handler()->message(parent, Kind::Warning, caption, text);
}

void error(QWidget *parent, const QString &text, const QString &caption)
{
    handler()->message(parent, Kind::Error, caption, text);
}

bool ask(QWidget *parent, const QString &text, Answer defaultAnswer, const QString &caption)
{
    return handler()->question(parent, caption, text, defaultAnswer);
}

QString saveFileName(QWidget *parent, const QString &caption, const QString &suggestedPath,
                     const QString &filter)
{
    return handler()->saveFileName(parent, caption, suggestedPath, filter);
}

QString openFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    return handler()->openFileName(parent, caption, filter);
}

std::optional<QString> input(QWidget *parent, const QString &caption, const QString &prompt,
                             const QString &initialText)
{
    return handler()->password(parent, caption, prompt, initialText, QChar());
}

} // namespace Prompt

PasswordPromptResult PasswordPrompt(QWidget *parent, const QString &caption, const QString &prompt,
                                    const QString &initialText, QChar maskCharacter)
{
    const std::optional<QString> text =
        Prompt::handler()->password(parent, caption, prompt, initialText, maskCharacter);
    if (!text)
        return {false, initialText};
    return {true, *text};
}
