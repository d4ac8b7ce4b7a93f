#include "browser/SearchText.h"

namespace {
bool Ignored(QChar c) {
    switch (c.unicode()) {
    case '&':
    case '(':
    case ')':
    case '-':
    case '_':
    case '+':
    case '[':
    case ']':
    case '\'':
    case '@':
    case ':':
    case '?':
    case '.':
    case ',':
    case ' ':
        return true;
    default:
        return false;
    }
}
} // namespace

const QString& NormaliseForSearch(const QString& text, QString& out) {
    out.resize(text.size());
    QChar* to = out.data();
    qsizetype kept = 0;
    for (const QChar c : text)
        if (!Ignored(c))
            to[kept++] = c;
    out.truncate(kept);
    return out;
}
