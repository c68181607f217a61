#pragma once

#include <QString>
#include <QtGlobal>

// Who is working, in which mode and language; copied into every dialog that
// records or checks the operator.
struct LoginSession
{
    qint32 devType = 0; // 0 bike, 1 car
    qint32 loginTime = 0; // seconds since 1970-01-01 UTC
    QString managerName;
    QString managerPwd;
    QString readerSerial; // "%05d", empty when no reader was identified
    qint32 language = 0; // 0 Chinese, 1 English
};
