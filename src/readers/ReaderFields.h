#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace ReaderRegistration {
struct PickLists;
}

// The text inputs of a reader's record that the registration and editing windows share: one
// input per text column of 读者库 with its caption, the drop-down lists, and the 拼音 box that
// follows the name. Each window lays them out itself.
class ReaderFields {
public:
    enum class ClassInput { Choice, Text };
    // captions: column -> caption; a column without one gets the column name. Required
    // columns get a bold caption.
    ReaderFields(QWidget *parent, const QMap<QString, QString> &captions,
                 const QStringList &required, ClassInput classInput);

    QLabel *caption(const QString &column) const { return m_captions.value(column); }
    QWidget *input(const QString &column) const;
    QLineEdit *line(const QString &column) const { return m_lines.value(column); }
    QComboBox *choice(const QString &column) const { return m_choices.value(column); }
    QPlainTextEdit *remarks() const { return m_remarks; }
    QLineEdit *pinyin() const { return m_pinyin; }
    QLabel *pinyinCaption() const { return m_pinyinCaption; }
    const QMap<QString, QLineEdit *> &lines() const { return m_lines; }
    const QMap<QString, QComboBox *> &choices() const { return m_choices; }
    const QMap<QString, QLabel *> &captions() const { return m_captions; }

    void fillLists(const ReaderRegistration::PickLists &lists);
    // What both windows do when they open: 班级/院系 as the login's settings say, and the
    // lists read once; a list that cannot be read is said to the user over messageParent.
    void prepare(QWidget *messageParent);
    // 班级 and 院系, caption and input, as the library settings say.
    void showClassAndFaculty(bool showClass, bool showFaculty);
    void setTexts(const QMap<QString, QString> &texts);
    QMap<QString, QString> texts() const;
    // The width every single-line input gets, for the window's other inputs.
    static int inputWidth();

private:
    QMap<QString, QLabel *> m_captions;
    QMap<QString, QLineEdit *> m_lines;
    QMap<QString, QComboBox *> m_choices;
    QPlainTextEdit *m_remarks = nullptr;
    QLineEdit *m_pinyin = nullptr;
    QLabel *m_pinyinCaption = nullptr;
};
