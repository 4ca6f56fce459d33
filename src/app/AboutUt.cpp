#include "AboutUt.h"

#include "app/MainCommands.h"
#include "app/Version.h"
#include "db/LoginContext.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutFm::TAboutFm(const LoginContext &context, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于"));
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(context.softName, this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    title->setFont(big);
    layout->addWidget(title);
    for (const QString &text :
         {context.memo, context.telephone, context.web, context.company,
          MainCommands::aboutDatabaseLine(context), QStringLiteral("版本 ") + Version::text()}) {
        auto *label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    setMinimumWidth(360);
}
