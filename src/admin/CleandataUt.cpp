#include "CleandataUt.h"

#include "Prompt.h"
#include "admin/Initialization.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TCleandataFm::TCleandataFm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TCleandataFm"));
    setWindowTitle(QStringLiteral("清理数据"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    auto *notice = new QLabel(
        QStringLiteral("<b>重要提示:</b> 此步操作将永久性删除数据信息,强烈建议您备份数据后再进行."),
        this);
    notice->setWordWrap(true);
    layout->addWidget(notice);

    auto *grid = new QGridLayout;
    const auto &steps = Initialization::steps();
    for (int i = 0; i < steps.size(); ++i) {
        auto *box = new QCheckBox(steps[i].box, this);
        m_boxes << box;
        grid->addWidget(box, i / 2, i % 2);
    }
    m_all = new QCheckBox(QStringLiteral("全选"), this);
    grid->addWidget(m_all, (steps.size() + 1) / 2, 0);
    layout->addLayout(grid);
    connect(m_all, &QCheckBox::toggled, this, [this](bool on) {
        for (QCheckBox *box : std::as_const(m_boxes))
            box->setChecked(on);
    });

    auto *buttons = new QHBoxLayout;
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    auto *back = new QPushButton(QStringLiteral("返回"), this);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(back);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &TCleandataFm::Button1Click);
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
}

void TCleandataFm::Button1Click()
{
    const PasswordPromptResult code =
        PasswordPrompt(this, QStringLiteral("请输入正确的密码"), QStringLiteral("密码:"), QString(),
                       QLatin1Char('*'));
    if (!code.accepted || !Initialization::codeMatches(code.text)) {
        Prompt::warning(this, Initialization::wrongCodeMessage());
        return;
    }
    QVector<int> chosen;
    for (int i = 0; i < m_boxes.size(); ++i) {
        if (m_boxes[i]->isChecked())
            chosen << i;
    }
    const Initialization::Outcome out = Initialization::run(code.text, chosen);
    if (!out.done) {
        Prompt::error(this, QStringLiteral("没有删除任何数据:\n") + out.error);
        return;
    }
    for (const QString &message : out.messages)
        Prompt::info(this, message);
    accept();
}
