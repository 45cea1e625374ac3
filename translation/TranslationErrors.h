#pragma once

#include "service/ChatClient.h"

#include <QString>
#include <QStringList>

// How translation words its failures: the chat service's (a status, an empty or malformed reply,
// an unusable address; the service's own codes read as the chat client's table says) and its own.
namespace TranslationErrors {

const ChatClient::Wording& ChatWording();

// Why a request failed, for a user: the chat service's words, except where its code means
// something of its own for a translation.
QString Failed(const RequestFailure& failure, const QString& from, const QString& to);
// Lines that never came back, by their caption numbers.
QString Missing(const QStringList& ids);
// A batch that failed, named by the captions it held.
QString InBatch(const QString& firstId, const QString& lastId, const QString& reason);
// What a batch that ran out of time says; "%1" becomes the seconds.
QString TooSlow();

} // namespace TranslationErrors
