#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

class QComboBox;
class QDateEdit;
class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// The labelled inputs of the periodical intake and edit windows, each named after the column
// of 期刊 it shows (objectName), laid out three to a row with 简介 across the bottom.
class PeriodicalFields {
public:
    enum class Kind { Line, Choice, Date, Pinyin, Summary };
    struct Field {
        QString column;
        QString caption;
        Kind kind = Kind::Line;
        bool required = false; // caption in bold type
    };

    // Builds the inputs as children of owner; layout() holds them.
    PeriodicalFields(QWidget *owner, const QVector<Field> &fields);

    QGridLayout *layout() const { return m_layout; }
    QLineEdit *line(const QString &column) const { return m_lines.value(column); }
    QComboBox *choice(const QString &column) const { return m_choices.value(column); }
    QDateEdit *date(const QString &column) const { return m_dates.value(column); }
    QPlainTextEdit *summary() const { return m_summary; }

    // The text of a line, drop-down or 简介; empty for a column without one.
    QString text(const QString &column) const;
    void setText(const QString &column, const QString &text);
    // Every text input by its column.
    QMap<QString, QString> texts() const;

    // The drop-downs' choices by column (the lists, and 正常/不外借 for 状态); the texts
    // typed stay.
    void fillChoices(const QMap<QString, QStringList> &lists);

private:
    QGridLayout *m_layout = nullptr;
    QMap<QString, QLineEdit *> m_lines;
    QMap<QString, QComboBox *> m_choices;
    QMap<QString, QDateEdit *> m_dates;
    QPlainTextEdit *m_summary = nullptr;
};
