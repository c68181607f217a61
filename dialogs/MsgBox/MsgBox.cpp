#include "MsgBox.h"

#include "ui_MsgBox.h"

MsgBox::MsgBox(QWidget* parent)
    : hintdialog(parent)
    , m_ui(new Ui::MsgBox)
{
    m_ui->setupUi(this);
}

MsgBox::~MsgBox() = default;

void MsgBox::setTitle(const QString& title)
{
    m_ui->label_titleText->setText(title);
}

void MsgBox::setMessage(const QString& text)
{
    m_ui->label_msg->setText(text);
}

void MsgBox::setOkVisible(bool visible)
{
    m_ui->btn_ok->setVisible(visible);
}

QString MsgBox::title() const
{
    return m_ui->label_titleText->text();
}

QString MsgBox::message() const
{
    return m_ui->label_msg->text();
}

void MsgBox::on_btn_ok_clicked()
{
    accept();
}

void MsgBox::on_Button_Close_clicked()
{
    reject();
}

void MsgBox::on_Button_WinMin_clicked()
{
    showMinimized();
}
