#pragma once

#include "ReaderTopUp.h"

#include <QString>

class CardReader;
class QWidget;
struct LoginSession;

// The system menu's reader top-up: asks for a charge file, runs ReaderTopUp
// and tells the operator the outcome. Texts belong to the "SysDialog" context.
namespace ReaderTopUpPrompt {

ReaderTopUp::Result run(QWidget* parent, CardReader* reader, const LoginSession& session);

// "%1.%2元" of an amount in fen, translated.
QString amountText(quint32 fen);
// The message shown for a finished run.
QString outcomeText(const ReaderTopUp::Result& result);

} // namespace ReaderTopUpPrompt
