#include "apps/cli/CliOutput.h"

#include "apps/cli/CliArguments.h"

#include <cstdio>

namespace {

void Write(std::FILE* stream, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

void PrintLine(const QString& text)
{
    Write(stdout, text.toUtf8());
}

void PrintLine(const std::string& utf8)
{
    Write(stdout, QByteArray::fromStdString(utf8));
}

int PrintFailure(const std::string& utf8)
{
    return PrintFailure(QString::fromStdString(utf8));
}

int PrintFailure(const QString& text)
{
    Write(stderr, (text.isEmpty() ? QStringLiteral("the operation failed") : text).toUtf8());
    return ExitFailed;
}

int PrintUsage(const QString& problem)
{
    if (!problem.isEmpty())
        Write(stderr, (QStringLiteral("qovaigc: ") + problem).toUtf8());
    Write(stderr, UsageText().toUtf8());
    return ExitUsage;
}
