#pragma once

#include <string>

// The simplified-Chinese code page: subtitle files of tools on Chinese systems come in it, and the
// file-transcription upload's form fields travel in it.
namespace CodePage936 {

// UTF-8 to code page 936; a text with a character the code page cannot represent (or that is not
// UTF-8) becomes empty, as the original conversion leaves it.
std::string FromUtf8(const std::string& utf8);
// Code page 936 back to UTF-8, for handing a converted path to the file system; empty when the
// bytes are not code page 936.
std::string ToUtf8(const std::string& cp936);

// Where the last "/" or "\" of a code page 936 text stands, stepping over double-byte characters
// whose second byte happens to be a backslash; npos when there is none.
size_t LastSeparator(const std::string& cp936);

} // namespace CodePage936
