#pragma once

#include <QString>

// One object-store operation as the editor's resource client takes it: where the store is, whose
// credentials sign the request, and which local file and object key it concerns.
struct SHuaweiObsPolicy
{
    QString endpoint;        // host name, optionally ":port"
    QString accessKeyId;
    QString secretAccessKey;
    QString bucketName;
    QString localFilePath;   // the file an upload reads; unused by a delete
    QString objectKey;       // the key as the caller made it, not encoded
    int option = 0;          // accepted for the editor's signature; no operation depends on it
};
