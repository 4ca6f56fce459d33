#pragma once

#include <QDialog>

struct LoginContext;

// 关于: the program's name, introduction, contact details and the database in use.
class TAboutFm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutFm(const LoginContext &context, QWidget *parent = nullptr);
};
