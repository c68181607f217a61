#include "TrScanner.h"

#include <QFile>
#include <QtTest>

namespace {

QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(FIXTURE_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList summary(const QList<TrText>& texts)
{
    QStringList lines;
    for (const TrText& text : texts)
        lines.append(QStringLiteral("%1|%2|%3").arg(text.line).arg(text.context, text.text));
    return lines;
}

} // namespace

class TestTrScanner : public QObject
{
    Q_OBJECT

private slots:
    void source_texts_found_with_their_class_context()
    {
        const QList<TrText> texts = scanCppSource(QString::fromUtf8(fixture("sample.cpp")), "sample.cpp");
        const QStringList expected {
            "6|SideWin|侧窗",
            "13|SampleDialog|标题",
            "15|SampleDialog|第一行\n第二行",
            "16|SampleDialog|引号\"和\\反斜杠",
            "17|SampleDialog|拼接的文字",
            "19|SampleDialog|Plain ASCII",
            "20|OtherWin|别的窗口",
            "22|SampleDialog|原始\"字符串",
            "29|SampleDialog|错误提示",
            "29|SampleDialog|缺少的译文",
            "34|Inline|内联",
            "37|Outer::Nested|嵌套",
            "39|QObject|自由函数",
            "41|SampleDialog|中",
            "41|SampleDialog|文",
        };
        QCOMPARE(summary(texts), expected);
    }

    void form_strings_take_the_form_class_and_skip_notr()
    {
        QCOMPARE(summary(scanUiForm(fixture("sample.ui"), "sample.ui")),
            (QStringList { "10|SampleForm|确定", "15|SampleForm|取消", "18|SampleForm|OK" }));
    }

    void missing_lists_only_untranslated_chinese_in_its_context()
    {
        TsEntries entries;
        QVERIFY(readTsEntries(fixture("sample.ts"), entries));
        const QList<TrText> texts = scanCppSource(QString::fromUtf8(fixture("sample.cpp")), "sample.cpp")
            + scanUiForm(fixture("sample.ui"), "sample.ui");
        QStringList missing;
        for (const TrText& text : missingTranslations(texts, entries))
            missing.append(describe(text));
        QCOMPARE(missing,
            (QStringList { "sample.cpp:20: [OtherWin] \"别的窗口\"",
                "sample.cpp:29: [SampleDialog] \"缺少的译文\"", "sample.cpp:39: [QObject] \"自由函数\"",
                "sample.ui:15: [SampleForm] \"取消\"" }));
    }

    void text_outside_any_class_is_reported_without_context()
    {
        const QList<TrText> texts = scanCppSource("static QString f() { return tr(\"孤立\"); }", "f.cpp");
        QCOMPARE(summary(texts), QStringList { "1||孤立" });
        QCOMPARE(describe(missingTranslations(texts, {}).value(0)),
            QStringLiteral("f.cpp:1: [no context] \"孤立\""));
    }
};

QTEST_GUILESS_MAIN(TestTrScanner)
#include "test_trscanner.moc"
