#include "TranslationScript.h"

#include "support/TestEnvironment.h"

#include <QJsonArray>
#include <QJsonDocument>

TranslationScript::TranslationScript(FakeServer& server, Answer answer)
{
    server.On("POST", TestEnvironment::kChatPath,
              [state = m_state, answer](const httplib::Request& request, httplib::Response& response) {
                  const QJsonObject body = QJsonDocument::fromJson(QByteArray::fromStdString(request.body)).object();
                  const QString message =
                      body.value(QLatin1String("messages")).toArray().at(0).toObject().value(QLatin1String("content")).toString();
                  Asked asked;
                  asked.content = QJsonDocument::fromJson(message.toUtf8()).object();
                  for (const QJsonValue& line : asked.content.value(QLatin1String("lines")).toArray()) {
                      asked.ids << line.toObject().value(QLatin1String("id")).toString();
                      asked.texts << line.toObject().value(QLatin1String("text")).toString();
                  }
                  int call = 0;
                  {
                      const std::lock_guard lock(state->mutex);
                      call = int(state->asked.size());
                      state->asked.push_back(asked);
                  }
                  const std::string result = answer ? answer(call, asked) : Json(Faithful(asked));
                  // A script may answer with the service's own refusal instead of a result.
                  const std::string reply = result.rfind("{\"error_code\"", 0) == 0
                                                ? result
                                                : Json({{QStringLiteral("result"), QString::fromStdString(result)}});
                  response.set_content(reply, "application/json");
              });
}

std::vector<TranslationScript::Asked> TranslationScript::Requests() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->asked;
}

QJsonObject TranslationScript::Faithful(const Asked& asked)
{
    QJsonArray lines;
    for (qsizetype i = 0; i < asked.ids.size(); ++i)
        lines.append(QJsonObject{{QStringLiteral("id"), asked.ids[i]},
                                 {QStringLiteral("text"), QStringLiteral("es:") + asked.texts[i]}});
    return {{QStringLiteral("lines"), lines}};
}

std::string TranslationScript::Json(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}
