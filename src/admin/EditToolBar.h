#pragma once

#include "AdminToolBar.h"

#include <QDialog>

// The 添加 修改 保存 取消 删除 退出 bar of the editor windows. In the browsing state 添加, 修改
// and 删除 are enabled; while a row is added or modified only 保存 and 取消 are; 退出 always.
class EditToolBar : public AdminToolBar {
public:
    enum Button { Add, Modify, Save, Cancel, Delete, Exit };

    explicit EditToolBar(QWidget *parent)
        : AdminToolBar({QStringLiteral("添加"), QStringLiteral("修改"), QStringLiteral("保存"),
                        QStringLiteral("取消"), QStringLiteral("删除"), QStringLiteral("退出")},
                       parent)
    {}

    void setBrowsing(bool browsing)
    {
        button(Add)->setEnabled(browsing);
        button(Modify)->setEnabled(browsing);
        button(Save)->setEnabled(!browsing);
        button(Cancel)->setEnabled(!browsing);
        button(Delete)->setEnabled(browsing);
    }

    // Wires the buttons to the window's addClicked … deleteClicked; 退出 closes it.
    template <class Window> void connectTo(Window *window)
    {
        QObject::connect(button(Add), &QToolButton::clicked, window, &Window::addClicked);
        QObject::connect(button(Modify), &QToolButton::clicked, window, &Window::modifyClicked);
        QObject::connect(button(Save), &QToolButton::clicked, window, &Window::saveClicked);
        QObject::connect(button(Cancel), &QToolButton::clicked, window, &Window::cancelClicked);
        QObject::connect(button(Delete), &QToolButton::clicked, window, &Window::deleteClicked);
        QObject::connect(button(Exit), &QToolButton::clicked, window, &QDialog::close);
    }
};
