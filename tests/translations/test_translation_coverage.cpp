#include "TrScanner.h"

#include <QFile>
#include <QtTest>

// Every Chinese text that the station shows must have its English form in
// translations/english.ts, in the context the translator looks it up in.
class TestTranslationCoverage : public QObject
{
    Q_OBJECT

private slots:
    void every_chinese_text_has_an_english_entry()
    {
        const QString root = QStringLiteral(VELOKA_SOURCE_DIR);
        QFile ts(root + QStringLiteral("/translations/english.ts"));
        QVERIFY(ts.open(QIODevice::ReadOnly));
        TsEntries entries;
        QVERIFY2(readTsEntries(ts.readAll(), entries), "english.ts is not well-formed");

        const QList<TrText> texts
            = scanTree(root, { "reader", "cards", "dialogs", "shell", "store", "update" });
        const QList<TrText> missing = missingTranslations(texts, entries);
        for (const TrText& text : missing)
            qWarning().noquote() << describe(text);
        QVERIFY2(missing.isEmpty(),
            qPrintable(QStringLiteral("%1 of %2 texts have no English entry")
                           .arg(missing.size())
                           .arg(texts.size())));
    }
};

QTEST_GUILESS_MAIN(TestTranslationCoverage)
#include "test_translation_coverage.moc"
