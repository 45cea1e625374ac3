#include "apps/cli/CliOutput.h"

#include <cstdio>

namespace {

void Write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    if (!bytes.endsWith('\n'))
        std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

void PrintLine(const QString& text)
{
    Write(stdout, text);
}

void PrintError(const QString& text)
{
    Write(stderr, text);
}
