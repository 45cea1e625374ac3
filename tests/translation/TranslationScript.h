#pragma once

#include "support/FakeServer.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// The chat route of the fake server as a translating model: each request's user message is read
// as a translation request and the script decides the answer's words. Without a script, every line
// comes back as "es:" and its text.
class TranslationScript
{
public:
    struct Asked
    {
        QJsonObject content;
        QStringList ids;
        QStringList texts;
    };
    // call counts from 0; the answer is the reply's "result".
    using Answer = std::function<std::string(int call, const Asked& asked)>;

    TranslationScript(FakeServer& server, Answer answer = {});

    // What each request asked, in order.
    std::vector<Asked> Requests() const;

    // The answer a faithful model gives: {"lines":[{"id","text":"es:"+text}]}.
    static QJsonObject Faithful(const Asked& asked);
    static std::string Json(const QJsonObject& object);

private:
    struct State
    {
        std::mutex mutex;
        std::vector<Asked> asked;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};
