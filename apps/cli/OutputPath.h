#pragma once

#include <QString>

// Where a command writes a file of its own beside the files it reads.
namespace OutputPath {

// output is input under another name: the same path, a link to it (symbolic or hard) or a path
// through a linked folder. Writing there would destroy what is being read.
bool IsInput(const QString& output, const QString& input);

} // namespace OutputPath
