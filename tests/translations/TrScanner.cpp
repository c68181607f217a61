#include "TrScanner.h"

#include <QDirIterator>
#include <QFile>
#include <QXmlStreamReader>

namespace {

struct Token
{
    enum Kind { Ident, String, Punct, Number };
    Kind kind;
    QString text; // identifier, punctuation, or the decoded literal
    int line;
};

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c.unicode() > 0x7f;
}
bool isIdentChar(QChar c)
{
    return isIdentStart(c) || c.isDigit();
}

const QSet<QString> kStringPrefixes { "u8", "u", "U", "L", "R", "u8R", "uR", "UR", "LR" };

class Lexer
{
public:
    explicit Lexer(const QString& source)
        : m_s(source)
    {
    }

    QList<Token> run()
    {
        bool lineStart = true;
        while (m_i < m_s.size()) {
            const QChar c = m_s.at(m_i);
            if (c == QLatin1Char('\n')) {
                ++m_line;
                ++m_i;
                lineStart = true;
                continue;
            }
            if (c.isSpace()) {
                ++m_i;
                continue;
            }
            if (c == QLatin1Char('#') && lineStart) {
                skipPreprocessor();
                continue;
            }
            lineStart = false;
            if (startsWith("//")) {
                while (m_i < m_s.size() && m_s.at(m_i) != QLatin1Char('\n'))
                    ++m_i;
            } else if (startsWith("/*")) {
                const int end = m_s.indexOf(QLatin1String("*/"), m_i + 2);
                advanceTo(end < 0 ? m_s.size() : end + 2);
            } else if (isIdentStart(c)) {
                lexIdentifier();
            } else if (c.isDigit()) {
                while (m_i < m_s.size()
                    && (isIdentChar(m_s.at(m_i)) || m_s.at(m_i) == QLatin1Char('.')
                        || m_s.at(m_i) == QLatin1Char('\'')))
                    ++m_i;
                m_tokens.append({ Token::Number, QString(), m_line });
            } else if (c == QLatin1Char('"')) {
                lexString(false);
            } else if (c == QLatin1Char('\'')) {
                skipCharLiteral();
            } else if (startsWith("::") || startsWith("->")) {
                m_tokens.append({ Token::Punct, m_s.mid(m_i, 2), m_line });
                m_i += 2;
            } else {
                m_tokens.append({ Token::Punct, QString(c), m_line });
                ++m_i;
            }
        }
        return m_tokens;
    }

private:
    bool startsWith(const char* text) const { return m_s.midRef(m_i).startsWith(QLatin1String(text)); }

    void advanceTo(int end)
    {
        for (; m_i < end; ++m_i) {
            if (m_s.at(m_i) == QLatin1Char('\n'))
                ++m_line;
        }
    }

    void skipPreprocessor()
    {
        while (m_i < m_s.size() && m_s.at(m_i) != QLatin1Char('\n')) {
            if (m_s.at(m_i) == QLatin1Char('\\') && m_i + 1 < m_s.size()
                && m_s.at(m_i + 1) == QLatin1Char('\n')) {
                ++m_line;
                m_i += 2;
                continue;
            }
            ++m_i;
        }
    }

    void lexIdentifier()
    {
        const int start = m_i;
        while (m_i < m_s.size() && isIdentChar(m_s.at(m_i)))
            ++m_i;
        const QString ident = m_s.mid(start, m_i - start);
        if (m_i < m_s.size() && m_s.at(m_i) == QLatin1Char('"') && kStringPrefixes.contains(ident)) {
            lexString(ident.endsWith(QLatin1Char('R')));
            return;
        }
        m_tokens.append({ Token::Ident, ident, m_line });
    }

    void skipCharLiteral()
    {
        ++m_i;
        while (m_i < m_s.size() && m_s.at(m_i) != QLatin1Char('\'') && m_s.at(m_i) != QLatin1Char('\n'))
            m_i += m_s.at(m_i) == QLatin1Char('\\') ? 2 : 1;
        ++m_i;
    }

    // m_i is at the opening quote.
    void lexString(bool raw)
    {
        const int line = m_line;
        ++m_i;
        if (raw) {
            const int paren = m_s.indexOf(QLatin1Char('('), m_i);
            const QString closing = QLatin1Char(')') + m_s.mid(m_i, paren - m_i) + QLatin1Char('"');
            const int end = m_s.indexOf(closing, paren);
            const QString body = m_s.mid(paren + 1, (end < 0 ? m_s.size() : end) - paren - 1);
            advanceTo(end < 0 ? m_s.size() : end + closing.size());
            m_tokens.append({ Token::String, body, line });
            return;
        }
        QByteArray bytes;
        while (m_i < m_s.size() && m_s.at(m_i) != QLatin1Char('"') && m_s.at(m_i) != QLatin1Char('\n')) {
            if (m_s.at(m_i) == QLatin1Char('\\') && m_i + 1 < m_s.size())
                decodeEscape(bytes);
            else
                bytes += QString(m_s.at(m_i++)).toUtf8();
        }
        ++m_i;
        m_tokens.append({ Token::String, QString::fromUtf8(bytes), line });
    }

    int takeDigits(int base, int maxCount, uint& value)
    {
        int count = 0;
        value = 0;
        while (m_i < m_s.size() && count < maxCount) {
            bool ok = false;
            const uint digit = QString(m_s.at(m_i)).toUInt(&ok, base);
            if (!ok)
                break;
            value = value * uint(base) + digit;
            ++m_i;
            ++count;
        }
        return count;
    }

    // m_i is at the backslash.
    void decodeEscape(QByteArray& bytes)
    {
        ++m_i;
        const char c = m_s.at(m_i).toLatin1();
        uint value = 0;
        switch (c) {
        case 'n':
            bytes += '\n';
            break;
        case 't':
            bytes += '\t';
            break;
        case 'r':
            bytes += '\r';
            break;
        case 'a':
            bytes += '\a';
            break;
        case 'b':
            bytes += '\b';
            break;
        case 'f':
            bytes += '\f';
            break;
        case 'v':
            bytes += '\v';
            break;
        case 'x':
            ++m_i;
            takeDigits(16, 8, value);
            bytes += char(value);
            return;
        case 'u':
        case 'U':
            ++m_i;
            takeDigits(16, c == 'u' ? 4 : 8, value);
            bytes += QString::fromUcs4(&value, 1).toUtf8();
            return;
        default:
            if (c >= '0' && c <= '7') {
                takeDigits(8, 3, value);
                bytes += char(value);
                return;
            }
            bytes += QString(m_s.at(m_i)).toUtf8(); // \" \' \\ \?
        }
        ++m_i;
    }

    const QString& m_s;
    int m_i = 0;
    int m_line = 1;
    QList<Token> m_tokens;
};

class CppScanner
{
public:
    CppScanner(const QList<Token>& tokens, const QString& fileName)
        : m_t(tokens)
        , m_file(fileName)
    {
    }

    QList<TrText> run()
    {
        for (int i = 0; i < m_t.size(); ++i) {
            const Token& token = m_t.at(i);
            if (token.kind == Token::Punct) {
                punctuation(i);
                continue;
            }
            if (token.kind == Token::Ident)
                identifier(i);
            m_head.append(i);
        }
        return m_texts;
    }

private:
    enum ScopeKind { Namespace, Class, Block };
    struct Scope
    {
        ScopeKind kind;
        QString name;
    };

    bool is(int i, const char* text) const
    {
        return i >= 0 && i < m_t.size() && m_t.at(i).kind != Token::String
            && m_t.at(i).text == QLatin1String(text);
    }

    bool atTopLevel() const
    {
        for (const Scope& scope : m_scopes) {
            if (scope.kind != Namespace)
                return false;
        }
        return true;
    }

    QString classContext() const
    {
        for (int k = m_scopes.size() - 1; k >= 0; --k) {
            if (m_scopes.at(k).kind == Class)
                return m_scopes.at(k).name;
        }
        return m_functionContext;
    }

    void punctuation(int i)
    {
        const QString& p = m_t.at(i).text;
        if (p == QLatin1String("(")) {
            if (m_parenDepth == 0 && !m_headHasCall && atTopLevel())
                functionHead(i);
            m_headHasCall = true;
            ++m_parenDepth;
        } else if (p == QLatin1String(")")) {
            m_parenDepth = qMax(0, m_parenDepth - 1);
        } else if (p == QLatin1String("{")) {
            m_scopes.append(scopeFromHead());
            m_head.clear();
            m_parenDepth = 0;
            m_headHasCall = false;
        } else if (p == QLatin1String("}")) {
            if (!m_scopes.isEmpty())
                m_scopes.removeLast();
            m_head.clear();
            m_parenDepth = 0;
            m_headHasCall = false;
        } else if (p == QLatin1String(";")) {
            m_head.clear();
            m_parenDepth = 0;
            m_headHasCall = false;
        } else {
            m_head.append(i);
        }
    }

    // At file or namespace level, "A::B::name(" starts a member definition of
    // A::B; an unqualified "name(" a free function, which has no context.
    void functionHead(int paren)
    {
        int k = paren - 1;
        if (k < 0 || m_t.at(k).kind != Token::Ident)
            return;
        if (is(k - 1, "~"))
            --k;
        QStringList qualifiers;
        while (is(k - 1, "::") && k - 2 >= 0 && m_t.at(k - 2).kind == Token::Ident) {
            qualifiers.prepend(m_t.at(k - 2).text);
            k -= 2;
        }
        // ", m_member(" after a braced member initialiser is no function.
        if (qualifiers.isEmpty() && (is(k - 1, ",") || is(k - 1, ":")))
            return;
        m_functionContext = qualifiers.join(QLatin1String("::"));
    }

    Scope scopeFromHead() const
    {
        int keyword = -1;
        for (int k = m_head.size() - 1; k >= 0; --k) {
            const int i = m_head.at(k);
            if (is(i, "namespace") || is(i, "extern"))
                return { Namespace, QString() };
            if (keyword < 0 && (is(i, "class") || is(i, "struct") || is(i, "union")) && !is(i - 1, "enum"))
                keyword = k;
        }
        if (keyword < 0)
            return { Block, QString() };
        QString name;
        for (int k = keyword + 1; k < m_head.size(); ++k) {
            const Token& token = m_t.at(m_head.at(k));
            if (token.kind != Token::Ident || token.text == QLatin1String("final"))
                break;
            name = token.text;
        }
        return { name.isEmpty() ? Block : Class, name };
    }

    // The literals at i and after, joined; -1 when i holds none.
    int literal(int i, QString& text) const
    {
        if (i >= m_t.size() || m_t.at(i).kind != Token::String)
            return -1;
        text.clear();
        while (i < m_t.size() && m_t.at(i).kind == Token::String)
            text += m_t.at(i++).text;
        return i;
    }

    void add(const QString& context, const QString& text, int tokenIndex)
    {
        m_texts.append({ context, text, m_file, m_t.at(tokenIndex).line });
    }

    void identifier(int i)
    {
        const QString& name = m_t.at(i).text;
        QString text;
        QString context;
        if ((name == QLatin1String("tr") || name == QLatin1String("QT_TR_NOOP")) && is(i + 1, "(")) {
            if (literal(i + 2, text) < 0)
                return;
            if (is(i - 1, "::") && i >= 2 && m_t.at(i - 2).kind == Token::Ident)
                context = m_t.at(i - 2).text;
            else
                context = classContext();
            add(context, text, i);
        } else if ((name == QLatin1String("translate") || name == QLatin1String("QT_TRANSLATE_NOOP"))
            && is(i + 1, "(")) {
            const int comma = literal(i + 2, context);
            if (comma < 0 || !is(comma, ",") || literal(comma + 1, text) < 0)
                return;
            add(context, text, i);
        }
    }

    const QList<Token>& m_t;
    QString m_file;
    QList<Scope> m_scopes;
    QList<int> m_head; // tokens since the last ; { or }
    int m_parenDepth = 0;
    bool m_headHasCall = false; // only the first "(" of a declaration names a function
    QString m_functionContext;
    QList<TrText> m_texts;
};

} // namespace

QList<TrText> scanCppSource(const QString& source, const QString& fileName)
{
    const QList<Token> tokens = Lexer(source).run();
    return CppScanner(tokens, fileName).run();
}

QList<TrText> scanUiForm(const QByteArray& xml, const QString& fileName)
{
    QList<TrText> texts;
    QString formClass;
    QXmlStreamReader reader(xml);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType type = reader.readNext();
        if (type == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (type != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        if (depth == 2 && reader.name() == QLatin1String("class")) {
            formClass = reader.readElementText();
            --depth;
        } else if (reader.name() == QLatin1String("string")) {
            const bool untranslated
                = reader.attributes().value(QLatin1String("notr")) == QLatin1String("true");
            const int line = int(reader.lineNumber());
            const QString text = reader.readElementText();
            --depth;
            if (!untranslated && !text.isEmpty())
                texts.append({ QString(), text, fileName, line });
        }
    }
    // uic translates in the form's class, which may be declared after the widgets.
    for (TrText& text : texts)
        text.context = formClass;
    return texts;
}

QList<TrText> scanTree(const QString& root, const QStringList& folders)
{
    QList<TrText> texts;
    for (const QString& folder : folders) {
        QDirIterator it(root + QLatin1Char('/') + folder, { "*.cpp", "*.h", "*.ui" }, QDir::Files,
            QDirIterator::Subdirectories);
        QStringList files;
        while (it.hasNext())
            files.append(it.next());
        files.sort();
        for (const QString& path : files) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = file.readAll();
            const QString shown = path.mid(root.size() + 1);
            texts += path.endsWith(QLatin1String(".ui")) ? scanUiForm(bytes, shown)
                                                         : scanCppSource(QString::fromUtf8(bytes), shown);
        }
    }
    return texts;
}

bool readTsEntries(const QByteArray& xml, TsEntries& entries)
{
    QXmlStreamReader reader(xml);
    QString context;
    QString source;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QStringRef name = reader.name();
        if (name == QLatin1String("name")) {
            context = reader.readElementText();
        } else if (name == QLatin1String("message")) {
            source.clear();
        } else if (name == QLatin1String("source")) {
            source = reader.readElementText();
        } else if (name == QLatin1String("translation")) {
            const QStringRef type = reader.attributes().value(QLatin1String("type"));
            const bool gone = type == QLatin1String("obsolete") || type == QLatin1String("vanished");
            const QString translation = reader.readElementText(QXmlStreamReader::IncludeChildElements);
            if (!gone && !translation.isEmpty())
                entries[context].insert(source);
        }
    }
    return !reader.hasError();
}

bool isAsciiOnly(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x7f)
            return false;
    }
    return true;
}

QList<TrText> missingTranslations(const QList<TrText>& texts, const TsEntries& entries)
{
    QList<TrText> missing;
    for (const TrText& text : texts) {
        if (!isAsciiOnly(text.text) && !entries.value(text.context).contains(text.text))
            missing.append(text);
    }
    return missing;
}

QString describe(const TrText& text)
{
    QString shown = text.text;
    shown.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QStringLiteral("%1:%2: [%3] \"%4\"")
        .arg(text.file)
        .arg(text.line)
        .arg(text.context.isEmpty() ? QStringLiteral("no context") : text.context, shown);
}
