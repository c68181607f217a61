#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Finds the translatable texts of the sources and forms, each with the context
// the translator will look it up in, and checks them against a .ts file.

struct TrText
{
    QString context; // empty when no enclosing class could be found
    QString text;
    QString file;
    int line = 0;
};

// tr("…") with its class context, Class::tr("…"), QCoreApplication::translate("Ctx", "…"),
// QT_TR_NOOP and QT_TRANSLATE_NOOP; comments, preprocessor lines and other
// literals are skipped, escapes decoded and adjacent literals joined.
QList<TrText> scanCppSource(const QString& source, const QString& fileName);
// Every <string> of a Designer form that is not marked notr, in the form's class.
QList<TrText> scanUiForm(const QByteArray& xml, const QString& fileName);
// The .cpp, .h and .ui files under each of the folders.
QList<TrText> scanTree(const QString& root, const QStringList& folders);

// Context -> source texts that have a non-empty translation.
using TsEntries = QHash<QString, QSet<QString>>;
bool readTsEntries(const QByteArray& xml, TsEntries& entries);

bool isAsciiOnly(const QString& text);
// Texts with a non-ASCII character and no translation in their context.
QList<TrText> missingTranslations(const QList<TrText>& texts, const TsEntries& entries);
QString describe(const TrText& text);
