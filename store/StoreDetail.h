#pragma once

#include <QString>
#include <QVariant>

// Text columns get empty text, never NULL, even from a null QString (an
// untouched line edit), so searches and comparisons see "".
inline QVariant sqlText(const QString& text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

// Card numbers are unsigned 32-bit; bound as such they never turn negative.
inline QVariant sqlCardNumber(quint32 cardnum)
{
    return QVariant(qulonglong(cardnum));
}
// Rows written with a signed binding hold negative numbers; both read back alike.
inline quint32 cardNumberFromSql(const QVariant& value)
{
    return quint32(value.toLongLong());
}
