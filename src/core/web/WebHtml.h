#pragma once

#include "LibraryPages.h"

#include <QString>

// The frame of every web page: plain HTML with its style sheet inline (no script, no file to
// fetch), readable on a telephone and on a desktop, in Chinese. Every value that comes from
// the database or from a request goes through escape().
namespace WebHtml {

// & < > " ' written as entities, so a value never becomes markup.
QString escape(const QString &text);
// escape() with line breaks kept as <br>.
QString escapeLines(const QString &text);
// A text for a URL query value (percent-encoded UTF-8).
QString urlValue(const QString &text);

struct Frame {
    LibraryPages::Library library;
    QString title;      // the page's own heading, shown after the library's name
    QString readerName; // the signed-in reader (empty: nobody)
    QString token;      // the session's form token (for the sign-out button)
    QString searchText; // put back into the search box
};

// The whole document: head, the library's name, the search box, the navigation, body (already
// HTML), the library's address and telephone.
QString page(const Frame &frame, const QString &body);

// A message box inside a page: kind "ok", "error" or "info".
QString message(const QString &text, const QString &kind);

// "label: value" kept on one line (value escaped); nothing for an empty value.
QString field(const QString &label, const QString &value);

// A hidden field with the form token.
QString tokenField(const QString &token);

} // namespace WebHtml
