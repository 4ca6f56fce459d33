#pragma once

#include <QString>

// First letters of the pinyin readings of GB2312 level-1 hanzi, for the py search columns.

// The letter for one GBK character given as its two bytes, or a blank.
QChar PinyinInitial(unsigned char first, unsigned char second);
// One letter (or blank) per character of the text. Each character is looked up on its
// own, so a single-byte character gives one blank and does not disturb the ones after it.
QString PinyinInitials(const QString &text);
