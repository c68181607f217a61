#pragma once

#include <QStringList>
#include <QTextStream>

// The veloka-reader control tool: one subcommand per action on the virtual
// reader's shared state. Returns the process exit code: 0 done, 1 the action
// failed, 2 bad arguments.
class ReaderTool
{
public:
    ReaderTool(QTextStream& out, QTextStream& err);
    Q_DISABLE_COPY(ReaderTool)

    int run(const QStringList& arguments);

    static constexpr int Done = 0;
    static constexpr int Failed = 1;
    static constexpr int Usage = 2;

private:
    QTextStream& m_out;
    QTextStream& m_err;
};
