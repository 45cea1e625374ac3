#pragma once

#include "service/TaskEnd.h"

#include <cpprest/details/basic_types.h>

#include <exception>


// Why a request failed and the words a user is shown. The kind comes from what happened on the
// way, so every client reports a refused connection, a time-out or an unreadable reply alike.
struct RequestFailure
{
    TaskError::Kind kind = TaskError::Kind::None;
    utility::string_t text;
    // The service's own code for a refusal (its "error_code"), 0 when it gave none.
    int serviceCode = 0;

    // From what a request threw. malformed leads the words of a reply that could not be parsed.
    static RequestFailure Of(const std::exception& error, const utility::string_t& malformed = {});
    // The service answered with a status other than success; format holds one "%d".
    static RequestFailure Status(const char* format, int status);
    // The service's own refusal, in its words, with its code when it gave one.
    static RequestFailure Refusal(utility::string_t text, int serviceCode = 0)
    {
        return {TaskError::Kind::Service, std::move(text), serviceCode};
    }
    // A reply that arrived whole but is not what the service promises.
    static RequestFailure Unreadable(utility::string_t text) { return {TaskError::Kind::Reply, std::move(text)}; }

    // A request of the editor's clients (downloads, the object store) that failed, in text's
    // words: what it threw, or else the status it was answered with (0: none).
    static RequestFailure Of(std::exception_ptr thrown, int status, utility::string_t text);

    explicit operator bool() const { return kind != TaskError::Kind::None; }
    // The service said the access token is invalid (110) or has expired (111): a new one may do.
    bool TokenRefused() const { return serviceCode == 110 || serviceCode == 111; }
};
