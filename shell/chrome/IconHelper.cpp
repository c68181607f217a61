#include "IconHelper.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDebug>
#include <QFontDatabase>
#include <QLabel>

IconHelper::IconHelper(QObject* parent)
    : QObject(parent)
{
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/image/fontawesome-webfont.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        qDebug() << "load fontawesome-webfont.ttf error";
        return;
    }
    m_font = QFont(families.first());
    m_loaded = true;
}

IconHelper* IconHelper::instance()
{
    static IconHelper* self = new IconHelper(qApp);
    return self;
}

void IconHelper::setIcon(QAbstractButton* button, QChar code, int size)
{
    m_font.setPointSize(size);
    button->setFont(m_font);
    button->setText(code);
}

void IconHelper::setIcon(QLabel* label, QChar code, int size)
{
    m_font.setPointSize(size);
    label->setFont(m_font);
    label->setText(code);
}
