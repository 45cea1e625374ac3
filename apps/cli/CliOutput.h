#pragma once

#include <QString>

#include <string>

// Standard output carries results only; errors and usage go to standard error.
void PrintLine(const QString& text);
void PrintLine(const std::string& utf8);
// Prints the error text and returns the failure exit code.
int PrintFailure(const std::string& utf8);
int PrintFailure(const QString& text);
// Prints the problem and the usage text and returns the usage exit code.
int PrintUsage(const QString& problem);
