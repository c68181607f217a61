#include "DialogChrome.h"

#include "IconHelper.h"

#include <QAbstractButton>
#include <QDialog>
#include <QVariant>

namespace {

const char* const kButtonRule = "border-style:none; border-radius:3px; padding:3px; color:#DCDCDC; "
                                "background:none;";
const char* const kHoverRule = "color:#FFFFFF; background-color:rgba(51,127,209,230);";
const char* const kCloseHoverRule = "color:#FFFFFF; background-color:rgba(238,0,0,128);";

void decorate(QAbstractButton* button, ushort glyph, bool closeButton)
{
    if (!button)
        return;
    IconHelper::instance()->setIcon(button, QChar(glyph), DialogChrome::GlyphPointSize);
    button->setStyleSheet(DialogChrome::titleButtonStyle(closeButton));
}

} // namespace

namespace DialogChrome {

void apply(QDialog* dialog, QWidget* titleBar, QAbstractButton* minButton, QAbstractButton* maxButton,
    QAbstractButton* closeButton)
{
    dialog->setProperty("form", true);
    dialog->setProperty("canMove", true);
    // Qt::Dialog: a dialog given a parent must stay a window of its own.
    dialog->setWindowFlags(
        Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint);

    decorate(minButton, GlyphMinimise, false);
    decorate(maxButton, GlyphMaximise, false);
    decorate(closeButton, GlyphClose, true);

    if (titleBar) {
        titleBar->installEventFilter(dialog);
        titleBar->setProperty("form", QStringLiteral("title"));
    }
}

void centreOverParent(QWidget* window)
{
    const QWidget* parent = window->parentWidget();
    if (!parent)
        return;
    const QPoint origin = parent->mapToGlobal(QPoint(0, 0));
    window->move(origin.x() + (parent->width() - window->width()) / 2,
        origin.y() + (parent->height() - window->height()) / 2);
}

QString titleButtonStyle(bool closeButton)
{
    return QStringLiteral("QAbstractButton{%1} QAbstractButton:hover{%2}")
        .arg(QLatin1String(kButtonRule), QLatin1String(closeButton ? kCloseHoverRule : kHoverRule));
}

QString titleBarStyleSheet()
{
    return QStringLiteral("QPushButton#btnMenu_Min,QPushButton#btnMenu_Max,QPushButton#btnMenu_Close{%1}"
                          " QPushButton#btnMenu_Min:hover,QPushButton#btnMenu_Max:hover{%2}"
                          " QPushButton#btnMenu_Close:hover{%3}")
        .arg(QLatin1String(kButtonRule), QLatin1String(kHoverRule), QLatin1String(kCloseHoverRule));
}

QString windowStyleSheet(const QString& objectName)
{
    return QStringLiteral("#%1{background-color:rgb(208,233,255);}"
                          " #widgetTitle{background-color:rgb(29,176,184);}"
                          " #labTitle{color:white; font-size:14px; font-weight:bold;}"
                          " #widgetBom{background-color:rgb(55,198,192);}"
                          " #widgetBom QLabel{color:white;}")
        .arg(objectName);
}

void applyWindowStyle(QWidget* window)
{
    const QString own = window->styleSheet();
    const QString shared = windowStyleSheet(window->objectName());
    if (own.startsWith(shared))
        return;
    window->setStyleSheet(own.isEmpty() ? shared : shared + QLatin1Char('\n') + own);
}

} // namespace DialogChrome
