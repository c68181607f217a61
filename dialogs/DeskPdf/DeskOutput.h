#pragma once

#include "DeskPdf.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>

class QAbstractItemModel;
class QWidget;

// The desk windows' outputs: the table to .xlsx, a document to PDF or to the
// printer, each asked for and reported the same way.
class DeskOutput
{
    Q_DECLARE_TR_FUNCTIONS(DeskOutput)

public:
    // Asks where (file-dialog wrapper), writes, says how it went.
    static void exportSheet(QWidget* parent, const QAbstractItemModel& model, const QString& proposedName);
    static void savePdf(QWidget* parent, const DeskDocument& document, const QString& proposedName);
    static void print(QWidget* parent, const DeskDocument& document);

    struct Receipt
    {
        bool refund = false; // a return; else a recharge
        QString company;
        QString readerSerial;
        quint32 cardnum = 0;
        quint32 amount = 0; // fen
        quint32 balanceBefore = 0;
        quint32 balanceAfter = 0;
        QDateTime time;
        QString manager;
    };
    // A small page with the operation's facts, for the customer.
    static DeskDocument receipt(const Receipt& receipt);
    // The receipt's proposed file name: kind, card and time.
    static QString receiptFileName(const Receipt& receipt);
    static void saveReceipt(QWidget* parent, const Receipt& receipt);
    static void printReceipt(QWidget* parent, const Receipt& receipt);
};
