#include "ReaderTool.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veloka-reader"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    ReaderTool tool(out, err);
    return tool.run(QCoreApplication::arguments());
}
