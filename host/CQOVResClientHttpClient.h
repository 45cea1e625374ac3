#pragma once

#include "host/RequestClient.h"

// The editor's HTTP resource client: downloads one address into a local file.
class CQOVResClientHttpClient : public RequestClient
{
public:
    explicit CQOVResClientHttpClient(const QString& userAgent);

    // Downloads url into localFile and returns non-zero on success (status 200, whole body
    // written). The body goes to a temporary name beside the target first and is renamed at the
    // end, so a failed download never leaves a partial file under the final name; an existing
    // file of that name is replaced only by a complete download. extra, window and the two numbers
    // are accepted for the editor's signature and not used.
    int DownLoad_New(const QString& url, const QString& localFile, const QString& extra, void* window, int, int);

private:
    QString m_userAgent;
};
