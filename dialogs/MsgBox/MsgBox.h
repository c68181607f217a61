#pragma once

#include "hintdialog.h"

#include <QScopedPointer>

namespace Ui {
class MsgBox;
}

// The station's frameless message box; shown through showMessage/showInfo.
class MsgBox : public hintdialog
{
    Q_OBJECT
    Q_DISABLE_COPY(MsgBox)

public:
    explicit MsgBox(QWidget* parent = nullptr);
    ~MsgBox() override;

    void setTitle(const QString& title);
    void setMessage(const QString& text);
    void setOkVisible(bool visible);
    QString title() const;
    QString message() const;

private slots:
    void on_btn_ok_clicked();
    void on_Button_Close_clicked();
    void on_Button_WinMin_clicked();

private:
    const QScopedPointer<Ui::MsgBox> m_ui;
};
