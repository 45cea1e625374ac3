#pragma once

#include "service/RequestFailure.h"

#include <cpprest/details/basic_types.h>
#include <pplx/pplxtasks.h>

#include <functional>

// Messages of the access-token request.
extern const char* const kTokenUrlEmpty;
extern const char* const kTokenStatusFormat;
extern const char* const kTokenMalformed; // followed by the JSON library's message

// Exchanges a client's credentials for an access token at the "Token" section's address. Blocks
// the calling thread for one HTTP exchange. True when the endpoint answered 200: then accessToken
// holds the reply's "access_token" (when it has one) and errorText its "error" (when it has one).
// False otherwise, with the reason in errorText and accessToken unchanged. Cancelling cancel (a
// task's stop) ends the exchange at once.
//
// A token whose reply said how long it lasts ("expires_in") is kept for the process and handed to
// every client of those credentials until shortly before it expires, without a request.
bool GetAccessToken(const utility::string_t& clientId, const utility::string_t& clientSecret,
                    utility::string_t& accessToken, utility::string_t& errorText,
                    const pplx::cancellation_token& cancel = pplx::cancellation_token::none());
// The same, with the failure's kind.
bool GetAccessToken(const utility::string_t& clientId, const utility::string_t& clientSecret,
                    utility::string_t& accessToken, RequestFailure& failure, const pplx::cancellation_token& cancel);

// A service said token is invalid or expired: the next GetAccessToken asks for a new one.
void ForgetAccessToken(const utility::string_t& token);
// Runs attempt with accessToken as it is. When it fails and refused says the service no longer takes
// that token (invalid or expired), the token is forgotten, a new one asked for, and attempt runs
// once more. False when attempt failed; renewal then says why no new token came, if that is why.
bool AttemptWithToken(const utility::string_t& clientId, const utility::string_t& clientSecret,
                      utility::string_t& accessToken, const std::function<bool()>& attempt,
                      const std::function<bool()>& refused, RequestFailure& renewal,
                      const pplx::cancellation_token& cancel);
// Every kept token goes (new credentials or a new token address in the settings).
void ForgetAccessTokens();
