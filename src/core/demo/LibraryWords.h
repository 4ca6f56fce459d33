#pragma once

#include "GeneratorRandom.h"

#include <QString>
#include <QVector>

// The words a generated library is made of: classification numbers with their categories,
// publishers with their ISBN prefixes, Chinese words for titles, names of people and
// periodicals. Titles and names come with their pinyin initials, computed once per word.
namespace LibraryWords {

struct Text {
    QString text;
    QString py; // PinyinInitials(text)
};

struct Classification {
    QString number;      // 分类号, e.g. "I247.5"
    QString category;    // 分类
    QString subcategory; // 二级分类
    QVector<Text> topics;
};

struct Publisher {
    QString name;
    QString digits; // the publisher part of the ISBN, after "7-"
    QString place;
};

struct Periodical {
    Text name;
    QString issn;
    QString cn;
    QString postCode;
    QString publisher;
    int issuesPerYear;
};

const QVector<Classification> &classifications();
const QVector<Publisher> &publishers();
const QVector<Periodical> &periodicals();
QStringList categories();    // the first-level categories, once each
QStringList subcategories(); // the second-level categories, once each

// A book title of the class, e.g. "新编程序设计教程（第2版）", with its initials.
Text bookTitle(GeneratorRandom &r, int classification);
// A Chinese personal name of two or three characters.
Text personName(GeneratorRandom &r);
// A short summary of a book, or an empty text.
QString summary(GeneratorRandom &r, const QString &title);
QString address(GeneratorRandom &r);

} // namespace LibraryWords
