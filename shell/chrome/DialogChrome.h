#pragma once

#include <QString>

class QAbstractButton;
class QDialog;
class QWidget;

// The set-up every frameless working dialog shares, so forms and initForm()
// implementations don't repeat it.
//
//   DialogChrome::apply(this, m_ui->widgetTitle, m_ui->btnMenu_Min, m_ui->btnMenu_Max,
//                       m_ui->btnMenu_Close);
//   DialogChrome::centreOverParent(this);
namespace DialogChrome {

// Glyphs of the icon font on the title buttons.
constexpr ushort GlyphMinimise = 0xF068;
constexpr ushort GlyphMaximise = 0xF067;
constexpr ushort GlyphClose = 0xF00D;
constexpr int GlyphPointSize = 9;

// - properties "form" = true and "canMove" = true on the dialog (AppInit drags it);
// - window flags frameless + system menu + minimise/maximise hints (the dialog
//   is hidden by setWindowFlags; show it afterwards as usual);
// - the minimise, maximise and close glyphs at 9 points on the buttons given
//   (any of them may be null), and the shared title-button style sheet on them;
// - the dialog installed as event filter on titleBar (override eventFilter to
//   react, e.g. double-click to maximise) and titleBar's property "form" = "title".
// titleBar may be null. Delete-on-close is left to the caller that opens the
// dialog.
void apply(QDialog* dialog, QWidget* titleBar, QAbstractButton* minButton, QAbstractButton* maxButton,
    QAbstractButton* closeButton);

// Moves a window with a parent to ((parent width - own width) / 2,
// (parent height - own height) / 2) from the parent's on-screen top-left.
// Does nothing without a parent.
void centreOverParent(QWidget* window);

// Style sheet for one title button: no background or border, radius 3px, text
// #DCDCDC, padding 3px; on hover white text on blue, or on red for the close button.
QString titleButtonStyle(bool closeButton);

// The same rules as one sheet selecting btnMenu_Min, btnMenu_Max and
// btnMenu_Close by object name, for a title bar or a whole form.
QString titleBarStyleSheet();

// The working windows' colours as one sheet for the window named objectName:
// light blue background, teal title bar widgetTitle with the title labTitle
// in bold white, and the status bar widgetBom with white labels. The glyphs
// of the title buttons are light and need the teal behind them.
QString windowStyleSheet(const QString& objectName);

// Puts windowStyleSheet(window->objectName()) in front of the window's own
// sheet, so rules of the form still win.
void applyWindowStyle(QWidget* window);

} // namespace DialogChrome
