// Whole numbers as decimal text, without the locale machinery of QString::number: the lists
// write tens of thousands of them per keystroke.
#pragma once

#include <QString>

#include <string_view>

// Writes `value` at the end of `buffer`; returns where its text starts.
inline int WriteDecimal(char16_t (&buffer)[24], long long value) {
    int first = 24; // digits are written from the end of the buffer
    const bool negative = value < 0;
    unsigned long long n = negative ? 0ull - static_cast<unsigned long long>(value)
                                    : static_cast<unsigned long long>(value);
    do {
        buffer[--first] = static_cast<char16_t>(u'0' + n % 10);
        n /= 10;
    } while (n > 0);
    if (negative)
        buffer[--first] = u'-';
    return first;
}

inline void AppendDecimal(QString& text, long long value) {
    char16_t digits[24];
    const int first = WriteDecimal(digits, value);
    text.append(QStringView(digits + first, 24 - first));
}

inline QString DecimalText(long long value) {
    char16_t digits[24];
    const int first = WriteDecimal(digits, value);
    return QString(reinterpret_cast<const QChar*>(digits + first), 24 - first);
}

// Plain character order, as a fast inline comparison.
inline bool CharacterLess(const QString& a, const QString& b) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(a.constData()),
                               static_cast<size_t>(a.size())) <
           std::u16string_view(reinterpret_cast<const char16_t*>(b.constData()),
                               static_cast<size_t>(b.size()));
}
