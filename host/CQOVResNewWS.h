#pragma once

#include "host/RequestClient.h"
#include "host/SHuaweiObsPolicy.h"

#include <string>

// The editor's object-store client: a signed PUT that streams a local file into the store and a
// signed DELETE of an object, one request each.
class CQOVResNewWS : public RequestClient
{
public:
    // Uploads policy.localFilePath under policy.objectKey: non-zero only when the store answered
    // with a 2xx status. The file is read twice, once for its Content-MD5 and once as the body,
    // never whole into memory.
    int huaweiObsUploadFile(const SHuaweiObsPolicy& policy);
    // Deletes policy.objectKey: non-zero only when the store answered with a 2xx status.
    int huaweiObsDeleteFile(const SHuaweiObsPolicy& policy);

private:
    // The signed request; a PUT streams the local file, of size bytes, as its body.
    int Send(const SHuaweiObsPolicy& policy, const std::string& verb, const QByteArray& contentMd5, qint64 size);
    bool Fail(const QString& error);
};
