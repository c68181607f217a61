#pragma once

#include <QFont>
#include <QObject>

class QAbstractButton;
class QLabel;

// Puts glyphs of the embedded icon font on title buttons. One instance per
// program; the font is registered on first use.
class IconHelper : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(IconHelper)

public:
    static IconHelper* instance();

    void setIcon(QAbstractButton* button, QChar code, int size = 9);
    void setIcon(QLabel* label, QChar code, int size = 9);

    // False when the font was missing from the resources: glyphs then show as
    // the bare code points in the default font.
    bool fontLoaded() const { return m_loaded; }
    QFont iconFont() const { return m_font; }

private:
    explicit IconHelper(QObject* parent = nullptr);

    QFont m_font;
    bool m_loaded = false;
};
